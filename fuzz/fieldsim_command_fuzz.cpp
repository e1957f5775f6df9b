// Reads arbitrary text as an agent's message, as fieldsim does, and checks
// what it makes of it: an error and no command, or commands that are whole
// (finite values, a joint that exists, a valid team name); written back as
// text, those commands read the same again.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "body.h"
#include "command.h"

namespace {

using fieldsim::AgentCommand;

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string written(const AgentCommand& command) {
  switch (command.kind) {
    case AgentCommand::Kind::kScene:
      return "(scene " + command.text + ")";
    case AgentCommand::Kind::kInit:
      return "(init (unum " + std::to_string(command.number) + ")(teamname " + command.text + "))";
    case AgentCommand::Kind::kBeam:
      return "(beam " + number(command.values[0]) + " " + number(command.values[1]) + " " +
             number(command.values[2]) + ")";
    case AgentCommand::Kind::kJointSpeed:
      return std::string("(") + fieldsim::jointInfo(command.number).effector + " " +
             number(command.values[0]) + ")";
  }
  return "";
}

bool whole(const AgentCommand& command) {
  switch (command.kind) {
    case AgentCommand::Kind::kScene:
      return !command.text.empty();
    case AgentCommand::Kind::kInit:
      return !command.text.empty() && command.text.size() <= 32 &&
             std::all_of(command.text.begin(), command.text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
             });
    case AgentCommand::Kind::kBeam:
      return std::isfinite(command.values[0]) && std::isfinite(command.values[1]) &&
             std::isfinite(command.values[2]);
    case AgentCommand::Kind::kJointSpeed:
      return command.number >= 0 && command.number < fieldsim::kJointCount &&
             std::isfinite(command.values[0]);
  }
  return false;
}

bool same(const AgentCommand& a, const AgentCommand& b) {
  return a.kind == b.kind && a.text == b.text && a.number == b.number &&
         std::equal(std::begin(a.values), std::end(a.values), std::begin(b.values));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const fieldsim::ParsedMessage message = fieldsim::parseAgentMessage(text);
  if (!message.error.empty()) {
    if (!message.commands.empty()) std::abort();
    return 0;
  }
  std::string again;
  for (const AgentCommand& command : message.commands) {
    if (!whole(command)) std::abort();
    again += written(command);
  }
  const fieldsim::ParsedMessage reread = fieldsim::parseAgentMessage(again);
  if (!reread.error.empty() || reread.commands.size() != message.commands.size()) std::abort();
  for (std::size_t i = 0; i < reread.commands.size(); ++i) {
    if (!same(reread.commands[i], message.commands[i])) std::abort();
  }
  return 0;
}
