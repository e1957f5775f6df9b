// fieldsim: a stand-in for the 3D soccer simulation server, so that agents
// can be run, watched and tested without it.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "options.h"
#include "server.h"

int main(int argc, char** argv) {
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
