// Plays arbitrary bytes to the agent as a run of perception messages, one
// per line, through whole cycles: every answer must be a beam or the 20
// effector items, with finite numbers only.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "agent.h"
#include "world_model.h"

namespace {

const char* const kEffectorNames[] = {"lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4",
                                      "rae4", "lle1", "rle1", "lle2", "rle2", "lle3", "rle3",
                                      "lle4", "rle4", "lle5", "rle5", "lle6", "rle6"};

// True when `reply` is "(name value)" for every effector, in order, each
// value a finite number.
bool isEffectorText(const std::string& reply) {
  const char* at = reply.c_str();
  for (const char* name : kEffectorNames) {
    if (*at++ != '(' || std::strncmp(at, name, 4) != 0 || at[4] != ' ') return false;
    char* end = nullptr;
    const double value = std::strtod(at + 5, &end);
    if (end == at + 5 || !std::isfinite(value) || *end != ')') return false;
    at = end + 1;
  }
  return *at == '\0';
}

bool isBeam(const std::string& reply) {
  double x, y, z;
  char close = 0;
  return std::sscanf(reply.c_str(), "(beam %lf %lf %lf%c", &x, &y, &z, &close) == 4 &&
         close == ')' && std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    std::cout.setstate(std::ios::badbit);  // the cycle's progress lines
    return true;
  }();
  static_cast<void>(quiet);
  if (size == 0) return 0;
  wm::reset();
  wm::my_number = data[0] % 12;  // 1 keeps goal
  Agent agent(nullptr);
  agent.Init_Agent_Info();

  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string message = input.substr(start, end - start);
    const std::string reply = agent.answer(&message[0]);
    if (!isEffectorText(reply) && !isBeam(reply)) {
      std::cerr << "bad answer: " << reply << "\n";
      std::abort();
    }
    start = end + 1;
  }
  return 0;
}
