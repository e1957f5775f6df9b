#include "command.h"

#include <gtest/gtest.h>

#include <string>

#include "body.h"

namespace fieldsim {
namespace {

using Kind = AgentCommand::Kind;

TEST(AgentMessage, InitBeamAndJointSpeedsAsAStreamWritesThem) {
  auto init = parseAgentMessage("(init (unum 7)(teamname Blue))");
  ASSERT_TRUE(init.error.empty()) << init.error;
  EXPECT_EQ(init.commands[0].kind, Kind::kInit);
  EXPECT_EQ(init.commands[0].number, 7);
  EXPECT_EQ(init.commands[0].text, "Blue");
  EXPECT_TRUE(parseAgentMessage("(init (teamname B-2_x) (unum 11))").error.empty());
  auto beam = parseAgentMessage("(beam -3.000000 1.500000 0.000000)");
  ASSERT_TRUE(beam.error.empty());
  EXPECT_EQ(beam.commands[0].kind, Kind::kBeam);
  EXPECT_DOUBLE_EQ(beam.commands[0].values[0], -3);
  EXPECT_DOUBLE_EQ(beam.commands[0].values[1], 1.5);
  auto speeds = parseAgentMessage("(lae1 0)(rae1 -0)(lle4 -0.125)(rle6 1e-05)(he1 2)");
  ASSERT_TRUE(speeds.error.empty()) << speeds.error;
  ASSERT_EQ(speeds.commands.size(), 5u);
  EXPECT_EQ(speeds.commands[2].number, kLle4);
  EXPECT_DOUBLE_EQ(speeds.commands[2].values[0], -0.125);
  EXPECT_DOUBLE_EQ(speeds.commands[3].values[0], 1e-05);
  EXPECT_EQ(speeds.commands[4].number, kHead1);
  EXPECT_TRUE(parseAgentMessage("").error.empty());
}

TEST(AgentMessage, MalformedMessagesAreErrors) {
  // clang-format off
  for (const char* text :
       {"(init (unum 7))", "(init (teamname Blue))", "(init (unum 7.5)(teamname Blue))",
        "(init (unum 7)(teamname B.lue))", "(init (unum 7)(teamname (Blue)))",
        "(init (unum 7)(team Blue))", "(beam 1 2)", "(beam 1 2 x)", "(lae1 nan)", "(lae1 inf)",
        "(lae1 -nan)", "(lae1)", "(lae1 1 2)", "(lae9 1)", "(say hi)", "(lae1 1", "lae1 1)",
        "(lae1 1))", "(lae1 (1))", "(lae1 0.5x)", "((((((lae1 1))))))"}) {
    // clang-format on
    const auto parsed = parseAgentMessage(text);
    EXPECT_FALSE(parsed.error.empty()) << text;
    EXPECT_TRUE(parsed.commands.empty()) << text;
  }
  // The longest team name there is room for, and one character more.
  const auto init = [](std::size_t length) {
    return parseAgentMessage("(init (unum 1)(teamname " + std::string(length, 'a') + "))");
  };
  EXPECT_TRUE(init(32).error.empty());
  EXPECT_FALSE(init(33).error.empty());
}

}  // namespace
}  // namespace fieldsim
