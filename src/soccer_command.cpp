#include <cstdio>
#include <cstring>

#include "parase_message.h"

namespace {

// Room of SoccerCommand::str for the text, without its terminating NUL.
const size_t kMaxSayLength = sizeof(SoccerCommand::str) - 1;

}  // namespace

SoccerCommand::SoccerCommand(CommandT com, JointT jid, double d1, double d2)
    : commandType(CMD_ILLEGAL),
      JID(JID_ILLEGAL),
      dSpeed1(UnknownDoubleValue),
      dSpeed2(UnknownDoubleValue),
      str() {
  makeCommand(com, jid, d1, d2);
}

SoccerCommand::SoccerCommand(CommandT com, char* msg) : SoccerCommand() {
  makeCommand(com, msg);
}

void SoccerCommand::makeCommand(CommandT com, JointT jid, double d1, double d2) {
  if (com != CMD_JOINT || jid == JID_ILLEGAL) return;
  commandType = CMD_JOINT;
  JID = jid;
  dSpeed1 = d1;
  dSpeed2 = d2;
}

void SoccerCommand::makeCommand(CommandT com, char* msg) {
  if (com != CMD_SAY || msg[0] == '\0') return;
  commandType = CMD_SAY;
  // A longer text is cut to what str holds.
  strncpy(str, msg, kMaxSayLength);
  str[kMaxSayLength] = '\0';
}

bool SoccerCommand::isIllegal() {
  return commandType == CMD_ILLEGAL;
}

bool SoccerCommand::makeCommandString(char* strMsg) const {
  if (commandType != CMD_SAY) return false;
  sprintf(strMsg, "(say %s)", str);
  return true;
}

bool SoccerCommand::getCommandString(char* str) const {
  return makeCommandString(str);
}

void SoccerCommand::show(std::ostream& os) {
  char text[1024];
  if (makeCommandString(text)) os << text;
}

std::ostream& operator<<(std::ostream& os, SoccerCommand sc) {
  sc.show(os);
  return os;
}
