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
  void SetUp() override { wm::reset(); }

  // Reads `content` as formations.conf for player `number`; returns what was
  // written to standard error.
  std::string load(const std::string& content, int number) {
    dir.write("formations.conf", content);
    return loadExisting(number);
  }
  std::string loadExisting(int number) {
    wm::my_number = number;
    CaptureStderr();
    Agent(nullptr).get_my_position();
    return GetCapturedStderr();
  }
  static void expectSlot(int number, double x, double y, double z) {
    SCOPED_TRACE("slot " + std::to_string(number));
    EXPECT_DOUBLE_EQ(wm::my_player_pos[number].getX(), x);
    EXPECT_DOUBLE_EQ(wm::my_player_pos[number].getY(), y);
    EXPECT_DOUBLE_EQ(wm::my_player_pos[number].getZ(), z);
  }
  static void expectOwnPosition(double x, double y, double z) {
    const VecPosition own = wm::agent.getPosition();
    EXPECT_DOUBLE_EQ(own.getX(), x);
    EXPECT_DOUBLE_EQ(own.getY(), y);
    EXPECT_DOUBLE_EQ(own.getZ(), z);
  }

  ScratchDir dir;
  const std::string three_players =
      "a comment without stars or hashes\n"
      "*1 -5.5 0 0 \n"
      "*2 -3 1.5 0 \n"
      "*3 -3 -1.5 0 \n"
      "#\n";
};

TEST_F(Formation, ThreePlayerFilePlacesEachNumber) {
  EXPECT_EQ(load(three_players, 2), "");
  expectOwnPosition(-3, 1.5, 0);
  expectSlot(1, -5.5, 0, 0);
  expectSlot(3, -3, -1.5, 0);
}

TEST_F(Formation, NumberWithoutRecordStaysAtTheOrigin) {
  load(three_players, 7);
  expectOwnPosition(0, 0, 0);
}

TEST_F(Formation, LaterDuplicateWinsAndCommentsBetweenRecordsAreSkipped) {
  load("*4 1 1 0.5 \nmiddle comment\n*4 2 -2 0.25 \n#", 4);
  expectOwnPosition(2, -2, 0.25);
}

TEST_F(Formation, FieldEndedByLineEndSwallowsTheNextRecord) {
  load("*2 -3 1.5 0\n*3 -3 -1.5 0 \n*4 -1 0 0 \n#", 3);
  expectSlot(2, -3, 1.5, 0);
  expectSlot(3, 0, 0, 0);
  expectSlot(4, -1, 0, 0);
}

TEST_F(Formation, BlankAfterTheStarReadsNumberZeroAndShiftsTheFields) {
  load("* 5 1 2 3 \n#", 0);
  expectSlot(0, 5, 1, 2);
  expectSlot(5, 0, 0, 0);
}

TEST_F(Formation, WhatFollowsTheEndMarkIsNeverRead) {
  load("*2 1 1 0 \n#\n*2 9 9 9 \n", 2);
  expectOwnPosition(1, 1, 0);
}

TEST_F(Formation, NumberElevenHasItsOwnSlot) {
  load("*10 -1 -3 0 \n*11 -0.6 0 0 \n#", 11);
  expectOwnPosition(-0.6, 0, 0);
  expectSlot(10, -1, -3, 0);
}

TEST_F(Formation, MissingOrUnreadableFileIsReportedOnceAndLeavesTheOrigin) {
  const std::string missing = loadExisting(2);
  EXPECT_NE(missing.find("formations.conf: cannot be read ("), std::string::npos);
  EXPECT_EQ(std::count(missing.begin(), missing.end(), '\n'), 1);
  expectOwnPosition(0, 0, 0);
  // A directory of that name opens, but its first read fails.
  ASSERT_EQ(mkdir((dir.path() + "/formations.conf").c_str(), 0755), 0);
  const std::string directory = loadExisting(2);
  EXPECT_EQ(directory.substr(0, directory.find('(')), missing.substr(0, missing.find('(')));
  EXPECT_EQ(directory.substr(directory.find(')')), missing.substr(missing.find(')')));
  expectOwnPosition(0, 0, 0);
}

TEST_F(Formation, NulBytesAreSkippedLikeAnyOtherCharacter) {
  const char content[] = "hdr\0x\n*7 -1.5 2 0 \n\0\n*8 1 1 1 \n#\n";
  load(std::string(content, sizeof content - 1), 7);
  expectOwnPosition(-1.5, 2, 0);
  expectSlot(8, 1, 1, 1);
}

TEST_F(Formation, FileWithoutEndMarkKeepsItsRecords) {
  load("*2 -3 1.5 0 \n*3 -3 -1.5 0 \n", 3);
  expectSlot(2, -3, 1.5, 0);
  expectOwnPosition(-3, -1.5, 0);
}

TEST_F(Formation, RecordCutOffByTheEndOfFileEndsTheReading) {
  load("*2 -3 1.5 0 \n*3 -3", 2);
  expectOwnPosition(-3, 1.5, 0);
  expectSlot(3, 0, 0, 0);
  load("*2 1 2 3 \n*", 2);
  load("no record at all", 2);
}

TEST_F(Formation, LongFieldIsCutToNineCharacters) {
  load("*2 -1.23456789999 0.5 000000000000000007 \n#", 2);
  expectOwnPosition(-1.234567, 0.5, 0);
}

TEST_F(Formation, NumberOutsideTheTableIsReportedAndIgnored) {
  const std::string err = load("*12 1 1 1 \n*-1 2 2 2 \n*2 3 3 3 \n#", 2);
  EXPECT_NE(err.find("12"), std::string::npos);
  EXPECT_NE(err.find("-1"), std::string::npos);
  expectOwnPosition(3, 3, 3);
}

TEST_F(Formation, OwnNumberOutsideTheTableStandsAtTheOrigin) {
  load(three_players, 99);
  expectOwnPosition(0, 0, 0);
}

}  // namespace
