#include "frame.h"

#include <gtest/gtest.h>

namespace fieldsim {
namespace {

TEST(EncodeFrame, PrefixesTheLengthBigEndian) {
  const std::string frame = encodeFrame(std::string(300, 'x'));
  ASSERT_EQ(frame.size(), 304u);
  EXPECT_EQ(frame.substr(0, 4), std::string("\x00\x00\x01\x2c", 4));
  EXPECT_EQ(encodeFrame(""), std::string(4, '\0'));
}

TEST(FrameReader, AssemblesAFrameArrivingByteByByte) {
  const std::string frame = encodeFrame("(lae1 0.5)");
  FrameReader reader;
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    reader.append(&frame[i], 1);
    EXPECT_FALSE(reader.next()) << "after byte " << i;
  }
  reader.append(&frame.back(), 1);
  EXPECT_EQ(reader.next(), "(lae1 0.5)");
  EXPECT_FALSE(reader.next());
  EXPECT_EQ(reader.pending(), 0u);
}

TEST(FrameReader, SplitsFramesThatArriveTogether) {
  const std::string both = encodeFrame("(scene a)") + encodeFrame("") + encodeFrame("(init)");
  FrameReader reader;
  reader.append(both.data(), both.size() - 2);
  EXPECT_EQ(reader.next(), "(scene a)");
  EXPECT_EQ(reader.next(), "");
  EXPECT_FALSE(reader.next());
  reader.append(both.data() + both.size() - 2, 2);
  EXPECT_EQ(reader.next(), "(init)");
}

TEST(FrameReader, TakesTheLargestFrameAndRefusesALargerOne) {
  FrameReader reader;
  const std::string largest = encodeFrame(std::string(kMaxFrameBytes, 'a'));
  reader.append(largest.data(), largest.size());
  EXPECT_EQ(reader.next()->size(), kMaxFrameBytes);

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
