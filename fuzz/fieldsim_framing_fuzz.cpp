// Feeds arbitrary bytes, cut into chunks of a fuzzed size, to fieldsim's
// frame reader (what it reads from every agent's connection), and checks
// every message against a reference reading of the same stream: none lost,
// none invented, and the first over-long frame refused for good.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame.h"

namespace {

struct Reading {
  std::vector<std::string> messages;
  bool refused = false;
  std::size_t used = 0;  // bytes taken by the messages
};

Reading referenceReading(const uint8_t* data, size_t size) {
  Reading reading;
  size_t at = 0;
  while (at + 4 <= size) {
    const uint32_t length = (uint32_t{data[at]} << 24) | (uint32_t{data[at + 1]} << 16) |
                            (uint32_t{data[at + 2]} << 8) | uint32_t{data[at + 3]};
    if (length > fieldsim::kMaxFrameBytes) {
      reading.refused = true;
      break;
    }
    if (size - at - 4 < length) break;
    reading.messages.emplace_back(reinterpret_cast<const char*>(data + at + 4), length);
    at += 4 + length;
  }
  reading.used = at;
  return reading;
}

}  // namespace

// The first byte of an input chooses the chunk size.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t chunk = 1 + data[0] % 64;
  ++data;
  --size;
  const Reading expected = referenceReading(data, size);
  fieldsim::FrameReader reader;
  std::vector<std::string> got;
  for (size_t at = 0; at < size; at += chunk) {
    reader.append(reinterpret_cast<const char*>(data + at), std::min(chunk, size - at));
    while (auto message = reader.next()) got.push_back(*message);
  }
  if (got != expected.messages || reader.failed() != expected.refused) std::abort();
  if (!expected.refused && reader.pending() != size - expected.used) std::abort();
  return 0;
}
