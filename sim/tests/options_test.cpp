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

TEST(OptionsTest, TheHelpListsThePushAndResultOptionsWithTheirDefaults) {
  const std::string help = usage();
  for (const char* text :
       {"--push LABEL@CYCLE[:IMPULSE[:DIRECTION]]", "(default 5)", "--knock UNUM@CYCLE",
        "(default 1e-05)", "20 iterations", "--robot-contact C", "--result FILE"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace fieldsim
