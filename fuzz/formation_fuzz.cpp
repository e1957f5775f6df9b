// Reads arbitrary content as formations.conf: the reader must end, never
// overrun a field, and never write outside the formation table.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "agent.h"
#include "world_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool in_scratch_dir = [] {
    char pattern[] = "/tmp/vexa-formation-fuzz-XXXXXX";
    return mkdtemp(pattern) != nullptr && chdir(pattern) == 0;
  }();
  if (!in_scratch_dir || size == 0) return 0;

  FILE* file = std::fopen("formations.conf", "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  wm::reset();
  wm::my_number = static_cast<int8_t>(data[0]);
  Agent(nullptr).get_my_position();
  return 0;
}
