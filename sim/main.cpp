// fieldsim: a stand-in for the 3D soccer simulation server, so that agents
// can be run, watched and tested without it.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "options.h"
#include "server.h"

int main(int argc, char** argv) {
  // Each printed line reaches a file or pipe as it is written, so that a
  // script following the game sees it at once.
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  std::string error;
  const auto options = fieldsim::parseOptions(std::vector<std::string>(argv, argv + argc), error);
  if (!options) {
    std::cerr << "fieldsim: " << error << "\n";
    return 2;
  }
  if (options->help) {
    std::cout << fieldsim::usage();
    return 0;
  }
  std::signal(SIGINT, fieldsim::requestStop);
  std::signal(SIGTERM, fieldsim::requestStop);
  std::signal(SIGPIPE, SIG_IGN);
  fieldsim::Server server(*options);
  return server.run();
}
