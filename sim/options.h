// The command line of fieldsim.
#ifndef FIELDSIM_OPTIONS_H
#define FIELDSIM_OPTIONS_H

#include <optional>
#include <string>
#include <vector>

#include "physics.h"
#include "world.h"

namespace fieldsim {

struct Knock {
  int number;  // shirt number in the left team
  int cycle;
};

enum class WorldKind { kPhysics, kKinematic };

struct Options {
  int port = 3100;  // 0 picks a free port
  bool realtime = false;
  int cycles = 0;  // 0: until interrupted or every agent has left
  int agents = 1;  // the game starts once this many have registered
  double join_timeout_seconds = 30;
  int reply_timeout_ms = 1000;
  Vec2 ball;
  std::vector<Knock> knocks;
  std::string trace_file;
  std::string svg_file;
  WorldKind world = WorldKind::kPhysics;
  PhysicsSettings physics;
  std::string replay_file;
  bool help = false;
};

// Reads the arguments after the program name; nullopt with `error` set when
// one is unknown or has a bad value.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);
std::string usage();

}  // namespace fieldsim

#endif
