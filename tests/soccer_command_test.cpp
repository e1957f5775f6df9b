#include <gtest/gtest.h>

#include <sstream>

#include "parase_message.h"

namespace {

std::string shown(const SoccerCommand& command) {
  std::ostringstream os;
  os << command;
  return os.str();
}

TEST(SoccerCommand, JointCommandNeedsTheJointTypeAndAJoint) {
  EXPECT_TRUE(SoccerCommand(CMD_JOINT, JID_ILLEGAL, 1, 2).isIllegal());
  EXPECT_TRUE(SoccerCommand(CMD_SAY, JID_LARM_3, 1, 2).isIllegal());

  SoccerCommand joint(CMD_JOINT, JID_LARM_3, 0.5, 0);
  EXPECT_FALSE(joint.isIllegal());
  char text[64] = "unchanged";
  EXPECT_FALSE(joint.makeCommandString(text));
  EXPECT_STREQ(text, "unchanged");
  EXPECT_EQ(shown(joint), "");
}

TEST(SoccerCommand, SayCommandKeepsAtMostNineCharacters) {
  char empty[] = "", hi[] = "hi", longer[] = "0123456789ABCDEF";
  EXPECT_TRUE(SoccerCommand(CMD_SAY, empty).isIllegal());
  EXPECT_TRUE(SoccerCommand(CMD_JOINT, hi).isIllegal());
  EXPECT_EQ(shown(SoccerCommand(CMD_SAY, hi)), "(say hi)");

  SoccerCommand say(CMD_SAY, longer);
  char text[64];
  EXPECT_TRUE(say.getCommandString(text));
  EXPECT_STREQ(text, "(say 012345678)");
  say.makeCommand(CMD_SAY, empty);
  EXPECT_STREQ(say.str, "012345678");
}

}  // namespace
