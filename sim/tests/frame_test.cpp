#include "frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fieldsim {
namespace {

// Three frames (one empty) arriving byte by byte: each comes out once its
// last byte is in, not before.
TEST(FrameReader, AssemblesFramesArrivingByteByByte) {
  const std::string frame = encodeFrame(std::string(300, 'x'));
  EXPECT_EQ(frame.substr(0, 4), std::string("\x00\x00\x01\x2c", 4));
  const std::string bytes = encodeFrame("(lae1 0.5)") + encodeFrame("") + frame;
  FrameReader reader;
  std::vector<std::string> got;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    reader.append(&bytes[i], 1);
    while (auto text = reader.next()) got.push_back(*text + " at " + std::to_string(i));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"(lae1 0.5) at 13", " at 17",
                                           std::string(300, 'x') + " at 321"}));
  EXPECT_EQ(reader.pending(), 0u);
}

TEST(FrameReader, TakesTheLargestFrameAndRefusesALargerOne) {
  FrameReader reader;
  const std::string largest = encodeFrame(std::string(kMaxFrameBytes, 'a'));
  reader.append(largest.data(), largest.size());
  EXPECT_EQ(reader.next().value_or("").size(), kMaxFrameBytes);

  const std::string prefix("\x00\x01\x00\x01", 4);  // one byte over
  reader.append(prefix.data(), prefix.size());
  EXPECT_FALSE(reader.next());
  EXPECT_TRUE(reader.failed());
  // Nothing after the refused frame is read as a message.
  const std::string next = encodeFrame("(beam 1 2 3)");
  reader.append(next.data(), next.size());
  EXPECT_FALSE(reader.next());
}

}  // namespace
}  // namespace fieldsim
