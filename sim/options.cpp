#include "options.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "formatted.h"

namespace fieldsim {
namespace {

constexpr int kMaxShirtNumber = 11;

bool toInt(const std::string& text, int low, int high, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool toDouble(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0';
}

// "X,Y"
bool toPoint(const std::string& text, Vec2& point) {
  const auto comma = text.find(',');
  return comma != std::string::npos && toDouble(text.substr(0, comma), point.x) &&
         toDouble(text.substr(comma + 1), point.y);
}

bool toSide(char letter, TeamSide& side) {
  if (letter != 'L' && letter != 'R') return false;
  side = letter == 'L' ? TeamSide::kLeft : TeamSide::kRight;
  return true;
}

// "LABEL@CYCLE[:IMPULSE[:DIRECTION]]", the label L1 to L11 or R1 to R11.
std::string toPush(const std::string& text, Push& push) {
  const auto at = text.find('@');
  if (at == std::string::npos) return "expected LABEL@CYCLE[:IMPULSE[:DIRECTION]]";
  const std::string label = text.substr(0, at);
  if (label.empty() || !toSide(label[0], push.side) ||
      !toInt(label.substr(1), 1, kMaxShirtNumber, push.number)) {
    return "unknown label " + label + " (L1 to L11, R1 to R11)";
  }
  std::vector<std::string> fields{""};
  for (const char c : text.substr(at + 1)) {
    if (c == ':') {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  if (fields.size() > 3 || !toInt(fields[0], 0, 1 << 30, push.cycle)) {
    return "expected LABEL@CYCLE[:IMPULSE[:DIRECTION]] with a cycle from 0";
  }
  if (fields.size() > 1 &&
      !(toDouble(fields[1], push.impulse) && std::isfinite(push.impulse) && push.impulse >= 0)) {
    return "the impulse must be a number of N s, 0 or more";
  }
  if (fields.size() > 2 &&
      !(toDouble(fields[2], push.direction) && std::isfinite(push.direction))) {
    return "the direction must be a number of degrees";
  }
  return "";
}

// "UNUM@CYCLE": the left team's player UNUM, pushed as by default.
std::string toKnock(const std::string& text, Push& push) {
  const auto at = text.find('@');
  int number = 0;
  if (at == std::string::npos || !toInt(text.substr(0, at), 1, kMaxShirtNumber, number)) {
    return "expected UNUM@CYCLE with UNUM 1 to 11";
  }
  return toPush("L" + text, push);
}

// A file fieldsim writes at the end: its folder must be there at the start.
std::string toOutputFile(const std::string& text, std::string& path) {
  if (text.empty()) return "no file name";
  const std::filesystem::path folder = std::filesystem::path(text).parent_path();
  std::error_code error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return "the folder " + folder.string() + " does not exist";
  }
  path = text;
  return "";
}

bool toWorld(const std::string& text, WorldKind& world) {
  if (text != "physics" && text != "kinematic") return false;
  world = text == "physics" ? WorldKind::kPhysics : WorldKind::kKinematic;
  return true;
}

bool toRobotContact(const std::string& text, bool& joined) {
  if (text != "one-sided" && text != "joined") return false;
  joined = text == "joined";
  return true;
}

bool toSolver(const std::string& text, bool& quick) {
  if (text != "step" && text != "quick") return false;
  quick = text == "quick";
  return true;
}

// Why the value is bad, or nothing.
std::string readValue(Options& options, const std::string& flag, const std::string& value) {
  const auto pushed = [&](const std::string& error, const Push& push) {
    if (error.empty()) options.pushes.push_back(push);
    return error;
  };
  Push push;
  if (flag == "--push") return pushed(toPush(value, push), push);
  if (flag == "--knock") return pushed(toKnock(value, push), push);
  if (flag == "--result") return toOutputFile(value, options.result_file);
  bool ok = !value.empty();
  if (flag == "--port") ok = toInt(value, 0, 65535, options.port);
  if (flag == "--cycles") ok = toInt(value, 0, 1 << 30, options.cycles);
  if (flag == "--agents") ok = toInt(value, 1, 22, options.agents);
  if (flag == "--join-timeout") {
    ok = toDouble(value, options.join_timeout_seconds) && options.join_timeout_seconds >= 0;
  }
  if (flag == "--reply-timeout") ok = toInt(value, 1, 600000, options.reply_timeout_ms);
  if (flag == "--ball") ok = toPoint(value, options.ball);
  if (flag == "--world") ok = toWorld(value, options.world);
  if (flag == "--cfm") ok = toDouble(value, options.physics.cfm) && options.physics.cfm >= 0;
  if (flag == "--solver") ok = toSolver(value, options.physics.quick_step);
  if (flag == "--robot-contact") {
    ok = toRobotContact(value, options.physics.joined_robot_contacts);
  }
  if (flag == "--trace") options.trace_file = value;
  if (flag == "--svg") options.svg_file = value;
  if (flag == "--replay") options.replay_file = value;
  return ok ? "" : "bad value";
}

bool takesValue(const std::string& flag) {
  for (const char* name : {"--port", "--cycles", "--agents", "--join-timeout", "--reply-timeout",
                           "--ball", "--push", "--knock", "--world", "--cfm", "--solver",
                           "--robot-contact", "--trace", "--svg", "--replay", "--result"}) {
    if (flag == name) return true;
  }
  return false;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& command, std::string& error) {
  Options options;
  options.command = command;
  const std::vector<std::string> args(command.begin() + (command.empty() ? 0 : 1), command.end());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
    } else if (flag == "--sync") {
      options.realtime = false;
    } else if (flag == "--realtime") {
      options.realtime = true;
    } else if (!takesValue(flag)) {
      error = "unknown option " + flag + " (fieldsim --help lists them)";
      return std::nullopt;
    } else if (i + 1 == args.size()) {
      error = flag + " needs a value";
      return std::nullopt;
    } else if (const std::string bad = readValue(options, flag, args[++i]); !bad.empty()) {
      error = flag + " " + args[i] + ": " + bad;
      return std::nullopt;
    }
  }
  return options;
}

std::string usage() {
  return formatted(
      "usage: fieldsim [options]\n"
      "A stand-in simulation server for 3D humanoid soccer agents.\n"
      "  --port N            listen on 127.0.0.1:N (default 3100; 0 picks a free port)\n"
      "  --sync              each cycle waits for every agent's reply (default)\n"
      "  --realtime          one cycle every 20 ms\n"
      "  --cycles N          end the game after N cycles (default: run until interrupted\n"
      "                      or every agent has left)\n"
      "  --agents N          start once N agents have registered (default 1)\n"
      "  --join-timeout S    ...or after S seconds with those that have (default 30)\n"
      "  --reply-timeout MS  sync mode: a reply later than this is late (default 1000)\n"
      "  --ball X,Y          where the ball starts (default 0,0)\n"
      "  --push LABEL@CYCLE[:IMPULSE[:DIRECTION]]\n"
      "                      push the robot LABEL (L2, R7) at CYCLE (repeatable). Physics:\n"
      "                      IMPULSE N s on the torso (default %g) from DIRECTION degrees\n"
      "                      in its own frame (default 0: from behind; 90: from its right;\n"
      "                      180: from the front). Kinematic: any push knocks the robot\n"
      "                      over, whatever its strength and direction\n"
      "  --knock UNUM@CYCLE  the same as --push LUNUM@CYCLE\n"
      "  --world W           physics (default): rigid bodies on the Open Dynamics Engine;\n"
      "                      kinematic: the fast world of movement rules\n"
      "  --cfm VALUE         physics: the world's constraint force mixing (default %g)\n"
      "  --solver S          physics: step (default, dWorldStep) or quick (dWorldQuickStep,\n"
      "                      %d iterations)\n"
      "  --robot-contact C   physics: one-sided (default: each robot meets another as a\n"
      "                      moving obstacle, its own island of the solver) or joined\n"
      "                      (contacts join the two robots, one island, as the ground's do)\n"
      "  --trace FILE        one line per cycle: cycle, play mode, ball, robots' poses\n"
      "  --svg FILE          a picture of the field with the robots' and the ball's paths\n"
      "  --replay FILE       a page (HTML) that plays the game back in a browser, offline\n"
      "  --result FILE       the game's figures and events as JSON, written when it ends,\n"
      "                      however it ends (its folder must exist)\n"
      "A beam (beam X Y R) places the robot at X, Y facing R degrees, in its team's frame.\n",
      kDefaultPushImpulse, physics::kWorldCfm, physics::kQuickStepIterations);
}

}  // namespace fieldsim
