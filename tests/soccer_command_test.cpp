#include <gtest/gtest.h>

#include <sstream>

#include "parase_message.h"

namespace {

// A said text is cut to what the record holds, however long it is; only a
// say command with a text, and no joint command, has a text form.
TEST(SoccerCommand, SayCommandKeepsAtMostNineCharacters) {
  char empty[] = "", longer[] = "0123456789ABCDEF";
  EXPECT_TRUE(SoccerCommand(CMD_SAY, empty).isIllegal());
  SoccerCommand say(CMD_SAY, longer);
  char text[64];
  EXPECT_TRUE(say.getCommandString(text));
  EXPECT_STREQ(text, "(say 012345678)");
  std::ostringstream os;
  os << SoccerCommand(CMD_JOINT, JID_LARM_3, 0.5, 0);
  EXPECT_EQ(os.str(), "");
}

}  // namespace
