// Feeds arbitrary bytes to the perception parser as one message.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "parase_message.h"
#include "world_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Parase parser;
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  // Both sides of the cycle-50 side decision and player 3's ball rule.
  wm::Sim_Cycle = static_cast<int>(size % 100);
  wm::my_number = size % 2 == 0 ? 2 : 3;
  parser.Get_Info(text.data());
  parser.Par_Info();
  return 0;
}
