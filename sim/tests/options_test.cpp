#include "options.h"

#include <gtest/gtest.h>

namespace fieldsim {
namespace {

std::optional<Options> parsed(std::vector<std::string> args, std::string& error) {
  args.insert(args.begin(), "fieldsim");
  return parseOptions(args, error);
}

// Every form of a push, --knock among them, in the order given; the whole
// command line is kept for the result file. (The bad values are refused in
// the e2e game bad_options.sh, which sees their one line and exit status.)
TEST(OptionsTest, PushesTakeALabelACycleAndOptionallyImpulseAndDirection) {
  std::string error;
  const auto options =
      parsed({"--push", "R7@300:2.5:-90", "--knock", "3@10", "--push", "L11@0:0"}, error);
  ASSERT_TRUE(options) << error;
  ASSERT_EQ(options->pushes.size(), 3u);
  const Push& first = options->pushes[0];
  EXPECT_EQ(first.side, TeamSide::kRight);
  EXPECT_EQ(first.number, 7);
  EXPECT_EQ(first.cycle, 300);
  EXPECT_DOUBLE_EQ(first.impulse, 2.5);
  EXPECT_DOUBLE_EQ(first.direction, -90);
  const Push& knock = options->pushes[1];
  EXPECT_EQ(knock.side, TeamSide::kLeft);
  EXPECT_EQ(knock.number, 3);
  EXPECT_DOUBLE_EQ(knock.impulse, kDefaultPushImpulse);
  EXPECT_DOUBLE_EQ(knock.direction, 0);
  EXPECT_DOUBLE_EQ(options->pushes[2].impulse, 0);
  EXPECT_EQ(options->command.size(), 7u);
  EXPECT_EQ(options->command[1], "--push");
}

// The refusals (a ball off the field, no cycles, a CFM of 0, an option as a
// value) must not catch their limits, nor a value that begins with one dash.
TEST(OptionsTest, TakesValuesAtTheirLimitsAndNegativeNumbers) {
  std::string error;
  const auto options = parsed({"--ball", "-6,4", "--cycles", "1", "--world", "physics", "--cfm",
                               "1e-9", "--solver", "quick", "--trace", "-trace.txt"},
                              error);
  ASSERT_TRUE(options) << error;
  EXPECT_DOUBLE_EQ(options->ball.x, -6);
  EXPECT_DOUBLE_EQ(options->ball.y, 4);
  EXPECT_EQ(options->cycles, 1);
  EXPECT_DOUBLE_EQ(options->physics.cfm, 1e-9);
  EXPECT_TRUE(options->physics.quick_step);
  EXPECT_EQ(options->trace_file, "-trace.txt");
}

// --live takes a port when a number follows it, its default otherwise;
// --live-host means nothing without it.
TEST(OptionsTest, LiveTakesAnOptionalPortAndLiveHostNeedsIt) {
  std::string error;
  EXPECT_EQ(parsed({}, error)->live_port, -1);
  EXPECT_EQ(parsed({"--live"}, error)->live_port, kDefaultLivePort);
  const auto options = parsed({"--live", "--cycles", "5"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->live_port, kDefaultLivePort);
  EXPECT_EQ(options->cycles, 5);
  EXPECT_EQ(parsed({"--live", "0"}, error)->live_port, 0);
  EXPECT_EQ(parsed({"--live-host", "0.0.0.0", "--live", "8080"}, error)->live_host, "0.0.0.0");
  EXPECT_FALSE(parsed({"--live", "65536"}, error));
  EXPECT_EQ(error, "--live 65536: bad port");
  EXPECT_FALSE(parsed({"--live-host", "0.0.0.0"}, error));
  EXPECT_EQ(error, "--live-host needs --live");
}

TEST(OptionsTest, TheHelpListsTheOptionsWithTheirDefaults) {
  const std::string help = usage();
  for (const char* text :
       {"--push LABEL@CYCLE[:IMPULSE[:DIRECTION]]", "(default 5)", "--knock UNUM@CYCLE",
        "(default 1e-05)", "20 iterations", "--robot-contact C", "--result FILE",
        "--progress FILE", "a line every 3 s", "--live [PORT]", "(default 3300;",
        "--live-host ADDRESS"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace fieldsim
