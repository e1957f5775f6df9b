#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "agent.h"
#include "scratch_dir.h"
#include "world_model.h"

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class Formation : public ::testing::Test {
 protected:
  // Reads formations.conf for player `number`; returns what was written to
  // standard error.
  std::string load(int number) {
    wm::reset();
    wm::my_number = number;
    CaptureStderr();
    Agent(nullptr).get_my_position();
    return GetCapturedStderr();
  }
  static void expectOwnPosition(double x, double y, double z) {
    const VecPosition own = wm::agent.getPosition();
    EXPECT_DOUBLE_EQ(own.getX(), x);
    EXPECT_DOUBLE_EQ(own.getY(), y);
    EXPECT_DOUBLE_EQ(own.getZ(), z);
  }

  ScratchDir dir;
};

TEST_F(Formation, RecordsFieldsAndTheEndMark) {
  const std::string three = "a comment without stars or hashes\n*1 -5.5 0 0 \n*2 -3 1.5 0 \n#\n";
  const char nul[] = "hdr\0x\n*7 -1.5 2 0 \n\0\n*8 1 1 1 \n#\n";
  const struct {
    std::string content;
    int number;
    double x, y, z;
  } cases[] = {
      {three, 1, -5.5, 0, 0},
      {three, 2, -3, 1.5, 0},
      {three, 7, 0, 0, 0},   // no record: the origin
      {three, 99, 0, 0, 0},  // no slot
      {"*4 1 1 0.5 \nmiddle comment\n*4 2 -2 0.25 \n#", 4, 2, -2, 0.25},  // the later one wins
      // A field ended by the line end swallows the next record.
      {"*2 -3 1.5 0\n*3 -3 -1.5 0 \n*4 -1 0 0 \n#", 2, -3, 1.5, 0},
      {"*2 -3 1.5 0\n*3 -3 -1.5 0 \n*4 -1 0 0 \n#", 3, 0, 0, 0},
      {"*2 -3 1.5 0\n*3 -3 -1.5 0 \n*4 -1 0 0 \n#", 4, -1, 0, 0},
      // A blank after the star reads number 0 and shifts the fields.
      {"* 5 1 2 3 \n#", 0, 5, 1, 2},
      {"* 5 1 2 3 \n#", 5, 0, 0, 0},
      {"*2 1 1 0 \n#\n*2 9 9 9 \n", 2, 1, 1, 0},  // nothing after the end mark is read
      {"*10 -1 -3 0 \n*11 -0.6 0 0 \n#", 11, -0.6, 0, 0},
      {std::string(nul, sizeof nul - 1), 7, -1.5, 2, 0},  // NUL bytes are skipped
      {std::string(nul, sizeof nul - 1), 8, 1, 1, 1},
      {"*2 -3 1.5 0 \n*3 -3 -1.5 0 \n", 3, -3, -1.5, 0},  // no end mark
      {"*2 -3 1.5 0 \n*3 -3", 2, -3, 1.5, 0},              // cut off by the end of the file
      {"*2 -3 1.5 0 \n*3 -3", 3, 0, 0, 0},
      {"*2 1 2 3 \n*", 2, 1, 2, 3},
      {"no record at all", 2, 0, 0, 0},
      {"*2 -1.23456789999 0.5 000000000000000007 \n#", 2, -1.234567, 0.5, 0},  // nine characters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.number << " in \"" << c.content << "\"");
    dir.write("formations.conf", c.content);
    EXPECT_EQ(load(c.number), "");
    expectOwnPosition(c.x, c.y, c.z);
  }
}

TEST_F(Formation, NumberOutsideTheTableIsReportedAndIgnored) {
  dir.write("formations.conf", "*12 1 1 1 \n*-1 2 2 2 \n*2 3 3 3 \n#");
  const std::string err = load(2);
  EXPECT_NE(err.find("12"), std::string::npos);
  EXPECT_NE(err.find("-1"), std::string::npos);
  expectOwnPosition(3, 3, 3);
}

TEST_F(Formation, MissingOrUnreadableFileIsReportedOnceAndLeavesTheOrigin) {
  const std::string missing = load(2);
  EXPECT_NE(missing.find("formations.conf: cannot be read ("), std::string::npos);
  EXPECT_EQ(std::count(missing.begin(), missing.end(), '\n'), 1);
  expectOwnPosition(0, 0, 0);
  // A directory of that name opens, but its first read fails.
  ASSERT_EQ(mkdir((dir.path() + "/formations.conf").c_str(), 0755), 0);
  const std::string directory = load(2);
  EXPECT_EQ(directory.substr(0, directory.find('(')), missing.substr(0, missing.find('(')));
  EXPECT_EQ(directory.substr(directory.find(')')), missing.substr(missing.find(')')));
  expectOwnPosition(0, 0, 0);
}

}  // namespace
