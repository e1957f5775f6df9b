#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "log.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LoggerFile : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path.c_str()); }
  const std::string path = "logger_test.log";
};

TEST_F(LoggerFile, EachItemIsInTheFileBeforeTheLoggerIsDestroyed) {
  Logger log(path.c_str(), true);
  log << "a" << 1 << 2.5 << '\n';
  EXPECT_EQ(readFile(path), "a12.5\n");
  log << std::string("b") << 1.0 / 3;
  log.write("\0\0\0\2hi", 6);  // a frame's raw bytes keep their NULs
  EXPECT_EQ(readFile(path), std::string("a12.5\nb0.333333\0\0\0\2hi", 21));
}

TEST_F(LoggerFile, DisabledLoggerLeavesItsFileEmptyUntilEnabled) {
  {
    std::ofstream(path) << "old content";
  }
  Logger log(path.c_str(), false);
  log << "not written" << 7;
  EXPECT_EQ(readFile(path), "");
  EXPECT_TRUE(log.setEnabled(true));
  log << "now";
  EXPECT_EQ(readFile(path), "now");
}

// Each hold writes only what was logged while it lasted, once.
TEST_F(LoggerFile, HeldItemsWaitAndThenGoOutTogetherInOrder) {
  Logger log(path.c_str(), true);
  log << "before ";
  {
    LogHold hold(log);
    log << "a" << 1 << 2.5 << '\n';
    log.write("\0\0", 2);
    EXPECT_EQ(readFile(path), "before ");
  }
  EXPECT_EQ(readFile(path), std::string("before a12.5\n\0\0", 15));
  log << "after";
  EXPECT_EQ(readFile(path).substr(15), "after");
  {
    LogHold hold(log);
    log << " b";
  }
  EXPECT_EQ(readFile(path).substr(15), "after b");
}

TEST(Logger, UnopenableFileIsSilentlyLost) {
  Logger log("./no-such-directory/x.log", true);
  log << "lost" << 1;
  EXPECT_TRUE(log.getEnabled());
}

TEST(Logger, StreamInABadStateIsNotKept) {
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  Logger log(broken, true);
  broken.clear();
  log << "ignored";
  EXPECT_EQ(broken.str(), "");
}

}  // namespace
