#include "result.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "formatted.h"
#include "json.h"

namespace fieldsim {
namespace {

// Where the file is written before it is renamed.
std::string temporaryName(const std::string& path) {
  return path + ".part" + std::to_string(getpid());
}

std::string nameOrNull(const std::string& name) {
  return name.empty() ? "null" : jsonString(name);
}

std::string commandJson(const std::vector<std::string>& command) {
  std::string out = "[";
  for (const std::string& arg : command) out += (out.size() > 1 ? ", " : "") + jsonString(arg);
  return out + "]";
}

std::string worldJson(const Options& options) {
  if (options.world == WorldKind::kKinematic) return "{\"kind\": \"kinematic\"}";
  return "{\"kind\": \"physics\", \"cfm\": " + jsonNumber(options.physics.cfm) +
         ", \"solver\": " + (options.physics.quick_step ? "\"quick\"" : "\"step\"") +
         ", \"robot_contact\": " +
         (options.physics.joined_robot_contacts ? "\"joined\"" : "\"one-sided\"") + "}";
}

std::string poseJson(const Pose& pose) {
  return "\"x\": " + jsonNumber(pose.position.x) + ", \"y\": " + jsonNumber(pose.position.y) +
         ", \"heading\": " + jsonNumber(pose.heading);
}

std::string robotJson(const Robot& robot) {
  const RobotStats& s = robot.stats;
  std::string out = "{\"label\": " + jsonString(robot.label()) + ", \"side\": \"" +
                    sideName(robot.side) + "\", \"team\": " + jsonString(robot.team) +
                    formatted(", \"number\": %d,\n     ", robot.number);
  out += formatted(
      "\"beams\": %d, \"steps\": %d, \"side_steps\": %d, \"kicks\": %d, \"falls\": %d, "
      "\"get_ups\": %d, \"late_replies\": %d, \"messages_in\": %d, \"messages_out\": %d, "
      "\"blow_ups\": %d, \"laid_flat\": %d, \"left_early\": %s,\n     ",
      s.beams, s.steps, s.side_steps, s.kicks, s.falls, s.get_ups, s.late_replies, s.messages_in,
      s.messages_out, s.blow_ups, s.laid_flat, robot.present ? "false" : "true");
  out += "\"start\": " + (robot.start ? "{" + poseJson(*robot.start) + "}" : std::string("null"));
  return out + ", \"end\": {" + poseJson(robot.pose()) +
         ", \"torso_height\": " + jsonNumber(robot.record.torso_height) +
         ", \"fallen\": " + (robot.down ? "true" : "false") + "}}";
}

// What each kind of event carries besides its cycle, kind and robot.
std::string eventDetails(const Event& event) {
  switch (event.kind) {
    case EventKind::kBeam:
      return ", " + poseJson(event.where);
    case EventKind::kPlayMode:
      return formatted(", \"mode\": \"%s\"", playModeName(event.mode));
    case EventKind::kGoal:
      return formatted(", \"side\": \"%s\"", sideName(event.side));
    case EventKind::kPush:
      return ", \"impulse\": " + jsonNumber(event.impulse) +
             ", \"direction\": " + jsonNumber(event.direction) +
             (event.note.empty() ? "" : ", \"note\": " + jsonString(event.note));
    case EventKind::kNearBall:
      return ", \"distance\": " + jsonNumber(event.distance);
    case EventKind::kKick:
      return ", \"ball_speed\": " + jsonNumber(event.ball_speed);
    case EventKind::kBlowUp:
      return std::string(event.rebuild ? ", \"rebuild\": true" : "") +
             (event.laid_flat ? ", \"laid_flat\": true" : "");
    default:
      return "";
  }
}

std::string eventJson(const Event& event) {
  std::string out =
      formatted("{\"cycle\": %d, \"kind\": \"%s\"", event.cycle, eventName(event.kind));
  const bool has_robot = event.kind != EventKind::kPlayMode && event.kind != EventKind::kGoal;
  if (has_robot) out += ", \"robot\": " + nameOrNull(event.robot);
  return out + eventDetails(event) + "}";
}

// A window's figures, with its times when they were taken.
std::string windowJson(const Window& window, const std::vector<WindowTime>& times, std::size_t i) {
  const WindowTime time = i < times.size() ? times[i] : WindowTime{};
  const auto rate = [&](double seconds) {
    return seconds > 0 ? jsonNumber(window.cycles / seconds) : std::string("null");
  };
  return formatted("{\"first_cycle\": %d, \"cycles\": %d, ", window.first_cycle, window.cycles) +
         "\"wall_seconds\": " + jsonNumber(time.wall_seconds) +
         ", \"cycles_per_second\": " + rate(time.wall_seconds) +
         ", \"processor_seconds\": " + jsonNumber(time.processor_seconds) +
         ", \"cycles_per_processor_second\": " + rate(time.processor_seconds) +
         formatted(", \"largest_touching_group\": %d}", window.largest_touching_group);
}

template <typename Items, typename ToJson>
std::string list(const Items& items, ToJson to_json) {
  std::string out = "[";
  for (const auto& item : items) out += (out.size() > 1 ? ",\n    " : "\n    ") + to_json(item);
  return out + (out.size() > 1 ? "\n  ]" : "]");
}

}  // namespace

std::string resultJson(const World& world, const Options& options, const GameEnd& end) {
  const double rate = end.wall_seconds > 0 ? world.cycle() / end.wall_seconds : 0;
  const Vec2 start = world.ballStart();
  const Vec2 ball = world.ball();
  std::string out = formatted("{\n  \"format\": %d,\n  \"status\": ", kResultFormat) +
                    jsonString(end.status) + ",\n  \"reason\": " + jsonString(end.reason) +
                    ",\n  \"command\": " + commandJson(options.command) +
                    ",\n  \"world\": " + worldJson(options);
  out += formatted(",\n  \"cycles\": %d,\n  \"cycle_seconds\": %g,\n  \"kick_off_cycle\": ",
                   world.cycle(), kCycleSeconds);
  out += world.kickOffCycle() ? std::to_string(*world.kickOffCycle()) : "null";
  out += ",\n  \"wall_seconds\": " + jsonNumber(end.wall_seconds) +
         ",\n  \"cycles_per_second\": " + jsonNumber(rate);
  out += ",\n  \"teams\": {\"left\": " + nameOrNull(world.teamName(TeamSide::kLeft)) +
         ", \"right\": " + nameOrNull(world.teamName(TeamSide::kRight)) + "}";
  out += formatted(",\n  \"score\": {\"left\": %d, \"right\": %d}", world.score(TeamSide::kLeft),
                   world.score(TeamSide::kRight));
  out += ",\n  \"ball\": {\"start\": [" + jsonNumber(start.x) + ", " + jsonNumber(start.y) +
         "], \"end\": [" + jsonNumber(ball.x) + ", " + jsonNumber(ball.y) +
         "], \"moved\": " + jsonNumber(distance(start, ball)) + "}";
  out += ",\n  \"robots\": " +
         list(world.robotsInTeamOrder(), [](const Robot* robot) { return robotJson(*robot); });
  out += ",\n  \"events\": " + list(world.events(), eventJson);
  std::size_t i = 0;
  out += ",\n  \"windows\": " + list(world.windows(), [&](const Window& window) {
           return windowJson(window, end.window_times, i++);
         });
  return out + "\n}\n";
}

bool canWriteResult(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  const std::string temporary = temporaryName(path);
  const bool created = std::ofstream(temporary).is_open();
  std::remove(temporary.c_str());
  return created;
}

bool writeResult(const std::string& path, const std::string& json) {
  const std::string temporary = temporaryName(path);
  {
    std::ofstream out(temporary, std::ios::binary);
    out << json;
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace fieldsim
