#include "options.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "formatted.h"
#include "live_server.h"
#include "progress.h"
#include "result.h"

namespace fieldsim {
namespace {

constexpr int kMaxShirtNumber = 11;
// Eleven days: its milliseconds fit the clock's integer (inf or 1e300 would not).
constexpr double kMaxJoinTimeoutSeconds = 1e6;

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

// "X,Y" within the field's lines.
std::string toBallStart(const std::string& text, Vec2& ball) {
  if (!toPoint(text, ball)) return "expected X,Y";
  if (std::abs(ball.x) <= kFieldHalfLength && std::abs(ball.y) <= kFieldHalfWidth) return "";
  return formatted("the ball must start on the field (x from %g to %g, y from %g to %g)",
                   -kFieldHalfLength, kFieldHalfLength, -kFieldHalfWidth, kFieldHalfWidth);
}

std::string toCfm(const std::string& text, double& cfm) {
  const bool ok = toDouble(text, cfm) && std::isfinite(cfm) && cfm > 0;
  return ok ? "" : "the CFM must be a finite number above 0";
}

std::string toCycles(const std::string& text, int& cycles) {
  if (toInt(text, 1, 1 << 30, cycles)) return "";
  return "a whole number from 1 to 2^30 (without --cycles the game runs until it is stopped)";
}

bool toTimeout(const std::string& text, double& seconds) {
  return toDouble(text, seconds) && seconds >= 0 && seconds <= kMaxJoinTimeoutSeconds;
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

// The result file tells how any game ended, one that could not start among
// them, so it is checked before anything else: it can be written there.
std::string toResultFile(const std::string& text, std::string& path) {
  if (text.empty()) return "no file name";
  const std::filesystem::path folder = std::filesystem::path(text).parent_path();
  std::error_code error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return "the folder " + folder.string() + " does not exist";
  }
  if (!canWriteResult(text)) return "cannot be written there";
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
  if (flag == "--result") return toResultFile(value, options.result_file);
  if (flag == "--ball") return toBallStart(value, options.ball);
  if (flag == "--cfm") return toCfm(value, options.physics.cfm);
  if (flag == "--cycles") return toCycles(value, options.cycles);
  bool ok = !value.empty();
  if (flag == "--port") ok = toInt(value, 0, 65535, options.port);
  if (flag == "--agents") ok = toInt(value, 1, 22, options.agents);
  if (flag == "--join-timeout") ok = toTimeout(value, options.join_timeout_seconds);
  if (flag == "--reply-timeout") ok = toInt(value, 1, 600000, options.reply_timeout_ms);
  if (flag == "--world") ok = toWorld(value, options.world);
  if (flag == "--solver") ok = toSolver(value, options.physics.quick_step);
  if (flag == "--robot-contact") {
    ok = toRobotContact(value, options.physics.joined_robot_contacts);
  }
  if (flag == "--trace") options.trace_file = value;
  if (flag == "--svg") options.svg_file = value;
  if (flag == "--replay") options.replay_file = value;
  if (flag == "--progress") options.progress_file = value;
  if (flag == "--live-host") options.live_host = value;
  return ok ? "" : "bad value";
}

bool takesValue(const std::string& flag) {
  for (const char* name : {"--port", "--cycles", "--agents", "--join-timeout", "--reply-timeout",
                           "--ball", "--push", "--knock", "--world", "--cfm", "--solver",
                           "--robot-contact", "--trace", "--svg", "--replay", "--result",
                           "--progress", "--live-host"}) {
    if (flag == name) return true;
  }
  return false;
}

// A value never begins with "--", so that an option given without its value
// is not taken for the value ("--trace --port 0").
bool isOption(const std::string& arg) {
  return arg.rfind("--", 0) == 0;
}

// The physics world's options given for the kinematic world, which has no
// engine to set.
std::string worldMismatch(const Options& options, const std::set<std::string>& given) {
  if (options.world != WorldKind::kKinematic) return "";
  for (const char* flag : {"--cfm", "--solver", "--robot-contact"}) {
    if (given.count(flag) > 0) {
      return std::string(flag) + " applies to the physics world only, not to --world kinematic";
    }
  }
  return "";
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& command, std::string& error) {
  Options options;
  std::set<std::string> given;
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
    } else if (flag == "--live") {
      // The port is optional: a number after --live is its port.
      options.live_port = kDefaultLivePort;
      const bool port_given =
          i + 1 < args.size() && std::isdigit(static_cast<unsigned char>(args[i + 1][0]));
      if (port_given && !toInt(args[++i], 0, 65535, options.live_port)) {
        error = "--live " + args[i] + ": bad port";
        return std::nullopt;
      }
    } else if (!takesValue(flag)) {
      error = "unknown option " + flag + " (fieldsim --help lists them)";
      return std::nullopt;
    } else if (i + 1 == args.size() || isOption(args[i + 1])) {
      error =
          flag + " needs a value" + (i + 1 == args.size() ? "" : ", not the option " + args[i + 1]);
      return std::nullopt;
    } else if (const std::string bad = readValue(options, flag, args[++i]); !bad.empty()) {
      error = flag + " " + args[i] + ": " + bad;
      return std::nullopt;
    }
    given.insert(flag);
  }
  error = worldMismatch(options, given);
  if (!error.empty()) return std::nullopt;
  if (!options.live_host.empty() && options.live_port < 0) {
    error = "--live-host needs --live";
    return std::nullopt;
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
      "  --cycles N          end the game after N cycles, N from 1 (default: run until\n"
      "                      interrupted or every agent has left)\n"
      "  --agents N          start once N agents have registered (default 1)\n"
      "  --join-timeout S    ...or after S seconds with those that have (default 30)\n"
      "  --reply-timeout MS  sync mode: a reply later than this is late (default 1000)\n"
      "  --ball X,Y          where the ball starts, on the field (default 0,0)\n"
      "  --push LABEL@CYCLE[:IMPULSE[:DIRECTION]]\n"
      "                      push the robot LABEL (L2, R7) at CYCLE (repeatable). Physics:\n"
      "                      IMPULSE N s on the torso (default %g) from DIRECTION degrees\n"
      "                      in its own frame (default 0: from behind; 90: from its right;\n"
      "                      180: from the front). Kinematic: any push knocks the robot\n"
      "                      over, whatever its strength and direction\n"
      "  --knock UNUM@CYCLE  the same as --push LUNUM@CYCLE\n"
      "  --world W           physics (default): rigid bodies on the Open Dynamics Engine;\n"
      "                      kinematic: the fast world of movement rules\n"
      "  --cfm VALUE         physics: the world's constraint force mixing, above 0\n"
      "                      (default %g)\n"
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
      "  --progress FILE     the game's progress for a person watching, appended (/dev/fd/N:\n"
      "                      the open descriptor N itself): on a terminal one line redrawn\n"
      "                      in place, elsewhere a line every %g s\n"
      "  --live [PORT]       watch the game in a browser while it is played, at\n"
      "                      http://127.0.0.1:PORT/ (default %d; 0 picks a free port);\n"
      "                      at most %d pages at once, and the game never waits for them\n"
      "  --live-host ADDRESS serve the live page on ADDRESS instead of 127.0.0.1: anyone\n"
      "                      who can reach that address can watch\n"
      "Every file is tried before the port opens; one that cannot be written, then or at\n"
      "the end, is an error line and exit status 1. A refused option is one line and exit\n"
      "status 2.\n"
      "A beam (beam X Y R) places the robot at X, Y facing R degrees, in its team's frame.\n",
      kDefaultPushImpulse, physics::kWorldCfm, physics::kQuickStepIterations, kPlainLineSeconds,
      kDefaultLivePort, kMaxStreams);
}

}  // namespace fieldsim
