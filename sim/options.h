// The command line of fieldsim.
#ifndef FIELDSIM_OPTIONS_H
#define FIELDSIM_OPTIONS_H

#include <optional>
#include <string>
#include <vector>

#include "physics.h"
#include "world.h"

namespace fieldsim {

// --push LABEL@CYCLE[:IMPULSE[:DIRECTION]]; --knock N@CYCLE is L N's.
struct Push {
  TeamSide side = TeamSide::kLeft;
  int number = 0;
  int cycle = 0;
  double impulse = kDefaultPushImpulse;  // N s
  double direction = 0;  // degrees in the robot's frame: 0 from behind, 90 from its right
};

enum class WorldKind { kPhysics, kKinematic };

// Neither the agents' port (3100) nor the monitors' (3200) of the league's server.
constexpr int kDefaultLivePort = 3300;

struct Options {
  std::vector<std::string> command;  // the whole command line, program first
  int port = 3100;                   // 0 picks a free port
  bool realtime = false;
  int cycles = 0;  // 0 (no --cycles): until interrupted or every agent has left
  int agents = 1;  // the game starts once this many have registered
  double join_timeout_seconds = 30;
  int reply_timeout_ms = 1000;
  Vec2 ball;
  std::vector<Push> pushes;
  std::string trace_file;
  std::string svg_file;
  std::string result_file;
  WorldKind world = WorldKind::kPhysics;
  PhysicsSettings physics;
  std::string replay_file;
  std::string progress_file;  // the live progress line, for a person watching
  int live_port = -1;     // --live: the page's port; -1: no live page
  std::string live_host;  // empty: 127.0.0.1
  bool help = false;
};

// Reads the command line (the program's name first); nullopt with `error`
// set to one line when an option is unknown, lacks its value, has a bad
// value or does not apply to the chosen world.
std::optional<Options> parseOptions(const std::vector<std::string>& command, std::string& error);
std::string usage();

}  // namespace fieldsim

#endif
