// Effector command records, the perception parser and the play-mode names.
#ifndef VEXA_PARASE_MESSAGE_H
#define VEXA_PARASE_MESSAGE_H

#include <cstddef>
#include <ostream>
#include <string>

#include "socket.h"
#include "world_model.h"

class TRoboCupConnection;

enum CommandT { CMD_ILLEGAL = 0, CMD_JOINT = 1, CMD_SAY = 2, CMD_MAX_COMMANDS = 3 };

// One command for the server: a joint command or a short say text.
class SoccerCommand {
 public:
  SoccerCommand(CommandT com = CMD_ILLEGAL, JointT jid = JID_ILLEGAL,
                double d1 = UnknownDoubleValue, double d2 = UnknownDoubleValue);
  SoccerCommand(CommandT com, char* msg);

  void makeCommand(CommandT com, JointT jid, double d1, double d2);
  void makeCommand(CommandT com, char* msg);
  bool isIllegal();
  bool makeCommandString(char* strMsg) const;
  bool getCommandString(char* str) const;
  void show(std::ostream& os);

  CommandT commandType;
  JointT JID;
  double dSpeed1;
  double dSpeed2;
  char str[10];
};

std::ostream& operator<<(std::ostream& os, SoccerCommand sc);

// A command queue bound to a connection; declared, with no behaviour.
class Command {
 public:
  explicit Command(TRoboCupConnection* conn);
  bool putCommandInQueue(SoccerCommand command);
  void emptyQueue();
  bool sendCommands();
  bool sendCommand(const SoccerCommand& soc) const;
  bool sendMessage(const char* str) const;

 private:
  TRoboCupConnection* connection;
  SoccerCommand m_queueJointCommands[MAX_JOINTS];
  SoccerCommand m_SayCommand;
};

// Turns one perception message into the world model.
class Parase {
 public:
  void Get_Info(char* str);
  void Par_Info();
  double Get_Double();
  bool no_dig();
  bool Is_Same(std::string str);
  PlayModeT Get_Play_Mode();

 private:
  char server_msg[kMaxMessageLength + 1] = {};
  int msg_index = 0;
  // Length of the text in server_msg; the cursor never moves past it.
  int msg_length = 0;

  void Skip(int count);
  void Skip_Rest_Of_Tag();
  bool Match(const char* word, size_t size);
  int Find_Keyword();
  void Run_Keyword(int row);
};

extern const char* const PlayModeNames[];
extern const char* const ObjectNames[];
extern const char* const JointNames[];
extern const char* const JointCommands[];
extern const char* const SenseNames[];
extern const char* const SideNames[];

#endif
