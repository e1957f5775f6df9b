// The messages an agent sends, read into commands: the scene request, the
// registration, beams and joint speeds.
#ifndef FIELDSIM_COMMAND_H
#define FIELDSIM_COMMAND_H

#include <string>
#include <string_view>
#include <vector>

namespace fieldsim {

struct AgentCommand {
  enum class Kind { kScene, kInit, kBeam, kJointSpeed };
  Kind kind;
  std::string text;              // scene path, or team name of an init
  int number = 0;                // shirt number of an init, joint of a speed
  double values[3] = {0, 0, 0};  // beam x y rotation, or the speed first
};

struct ParsedMessage {
  std::vector<AgentCommand> commands;
  std::string error;  // empty when the whole message was understood
};

// Reads every command of one message. Anything not understood (a broken
// expression, an unknown command, a number that is not a finite value, a
// team name with other characters than letters, digits, '_' and '-') makes
// the whole message an error.
ParsedMessage parseAgentMessage(std::string_view text);

}  // namespace fieldsim

#endif
