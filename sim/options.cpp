#include "options.h"

#include <cstdlib>

#include "formatted.h"

namespace fieldsim {
namespace {

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

// "UNUM@CYCLE"
bool toKnock(const std::string& text, Knock& knock) {
  const auto at = text.find('@');
  return at != std::string::npos && toInt(text.substr(0, at), 1, 11, knock.number) &&
         toInt(text.substr(at + 1), 0, 1 << 30, knock.cycle);
}

bool toWorld(const std::string& text, WorldKind& world) {
  if (text != "physics" && text != "kinematic") return false;
  world = text == "physics" ? WorldKind::kPhysics : WorldKind::kKinematic;
  return true;
}

bool toSolver(const std::string& text, bool& quick) {
  if (text != "step" && text != "quick") return false;
  quick = text == "quick";
  return true;
}

bool readValue(Options& options, const std::string& flag, const std::string& value) {
  if (flag == "--port") return toInt(value, 0, 65535, options.port);
  if (flag == "--cycles") return toInt(value, 0, 1 << 30, options.cycles);
  if (flag == "--agents") return toInt(value, 1, 22, options.agents);
  if (flag == "--join-timeout") {
    return toDouble(value, options.join_timeout_seconds) && options.join_timeout_seconds >= 0;
  }
  if (flag == "--reply-timeout") return toInt(value, 1, 600000, options.reply_timeout_ms);
  if (flag == "--ball") return toPoint(value, options.ball);
  if (flag == "--knock") {
    Knock knock{};
    if (!toKnock(value, knock)) return false;
    options.knocks.push_back(knock);
    return true;
  }
  if (flag == "--world") return toWorld(value, options.world);
  if (flag == "--cfm") return toDouble(value, options.physics.cfm) && options.physics.cfm >= 0;
  if (flag == "--solver") return toSolver(value, options.physics.quick_step);
  if (flag == "--trace") options.trace_file = value;
  if (flag == "--svg") options.svg_file = value;
  if (flag == "--replay") options.replay_file = value;
  return !value.empty();
}

bool takesValue(const std::string& flag) {
  for (const char* name :
       {"--port", "--cycles", "--agents", "--join-timeout", "--reply-timeout", "--ball", "--knock",
        "--world", "--cfm", "--solver", "--trace", "--svg", "--replay"}) {
    if (flag == name) return true;
  }
  return false;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
    } else if (flag == "--sync") {
      options.realtime = false;
    } else if (flag == "--realtime") {
      options.realtime = true;
    } else if (!takesValue(flag)) {
      error = "unknown option " + flag;
      return std::nullopt;
    } else if (i + 1 == args.size() || !readValue(options, flag, args[i + 1])) {
      error = "bad or missing value for " + flag;
      return std::nullopt;
    } else {
      ++i;
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
      "  --knock UNUM@CYCLE  knock the left team's player UNUM over at CYCLE (repeatable);\n"
      "                      in the physics world, a push on the torso from behind\n"
      "  --world W           physics (default): rigid bodies on the Open Dynamics Engine;\n"
      "                      kinematic: the fast world of movement rules\n"
      "  --cfm VALUE         physics: the world's constraint force mixing (default %g)\n"
      "  --solver S          physics: step (default, dWorldStep) or quick (dWorldQuickStep,\n"
      "                      %d iterations)\n"
      "  --trace FILE        one line per cycle: cycle, play mode, ball, robots' poses\n"
      "  --svg FILE          a picture of the field with the robots' and the ball's paths\n"
      "  --replay FILE       a page (HTML) that plays the game back in a browser, offline\n"
      "A beam (beam X Y R) places the robot at X, Y facing R degrees, in its team's frame.\n",
      physics::kWorldCfm, physics::kQuickStepIterations);
}

}  // namespace fieldsim
