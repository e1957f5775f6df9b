#include "report.h"

#include "formatted.h"

namespace fieldsim {
namespace {

constexpr double kScale = 50;   // pixels per metre
constexpr double kMargin = 60;  // pixels around the field, where robots may stray

double px(double x) {
  return kMargin + (x + kFieldHalfLength) * kScale;
}
double py(double y) {
  return kMargin + (kFieldHalfWidth - y) * kScale;
}

const char* teamColour(TeamSide side) {
  return side == TeamSide::kLeft ? "#64b5f6" : "#ef5350";
}

std::string polyline(const std::vector<Vec2>& piece, const char* style) {
  std::string points;
  for (const Vec2& p : piece) points += formatted("%.1f,%.1f ", px(p.x), py(p.y));
  return "<polyline points=\"" + points + "\" fill=\"none\" " + style + "/>\n";
}

std::string rect(double x0, double y0, double x1, double y1, const char* style) {
  return formatted("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" %s/>\n", px(x0),
                   py(y1), (x1 - x0) * kScale, (y1 - y0) * kScale, style);
}

std::string circle(Vec2 centre, double radius, const std::string& style) {
  return formatted("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" %s/>\n", px(centre.x), py(centre.y),
                   radius, style.c_str());
}

std::string field() {
  const double l = kFieldHalfLength;
  const double w = kFieldHalfWidth;
  const double g = kGoalHalfWidth;
  const char* line = "fill=\"none\" stroke=\"white\" stroke-width=\"2\"";
  const double m = kMargin / kScale;
  std::string out = rect(-l - m, -w - m, l + m, w + m, "fill=\"#2e7d32\"");
  out += rect(-l, -w, l, w, line);
  out += rect(-l - kGoalDepth, -g, -l, g, line);
  out += rect(l, -g, l + kGoalDepth, g, line);
  out += formatted("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" %s/>\n", px(0), py(w),
                   px(0), py(-w), line);
  out += circle({0, 0}, kCentreCircleRadius * kScale, line);
  return out;
}

// The path in pieces, a ring where it began and a numbered disc where it
// ended.
std::string robotPath(const Robot& robot) {
  const std::string colour = teamColour(robot.side);
  const std::string stroke = "stroke=\"" + colour + "\" stroke-width=\"2\"";
  std::string out;
  for (const auto& piece : robot.path) out += polyline(piece, stroke.c_str());
  out += circle(robot.path.back().front(), 3, "fill=\"none\" stroke=\"" + colour + "\"");
  out += circle(robot.record.position, 7, "fill=\"" + colour + "\"");
  out +=
      formatted("<text x=\"%.1f\" y=\"%.1f\" font-size=\"10\" text-anchor=\"middle\">%d</text>\n",
                px(robot.record.position.x), py(robot.record.position.y) + 4, robot.number);
  return out;
}

std::string ballPath(const World& world) {
  std::string out;
  for (const auto& piece : world.ballPath()) {
    out += polyline(piece, "stroke=\"black\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"");
  }
  return out + circle(world.ball(), 4, "fill=\"white\" stroke=\"black\"");
}

// The engine, the blow-ups it recovered from (a rebuilt world counts once)
// and which robots were put back; nothing for a world without an engine.
std::string engineLine(const World& world) {
  const std::string engine = world.dynamics().engine();
  if (engine.empty()) return "";
  std::string out =
      formatted("physics: %s; %d blow-ups recovered", engine.c_str(), world.blowUps());
  if (world.rebuilds() > 0) out += formatted(", %d by rebuilding the world", world.rebuilds());
  std::string who;
  for (const Robot& robot : world.robots()) {
    if (robot.stats.blow_ups == 0) continue;
    who += formatted(" %s %d", robot.label().c_str(), robot.stats.blow_ups);
    if (robot.stats.laid_flat > 0) who += formatted(" (%d laid flat)", robot.stats.laid_flat);
  }
  if (!who.empty()) out += "; robots reset:" + who;
  return out + formatted("; %d engine messages\n", world.dynamics().engineMessages());
}

}  // namespace

std::string scoreText(const World& world) {
  const std::string score = formatted("%s %d:%d", world.teamName(TeamSide::kLeft).c_str(),
                                      world.score(TeamSide::kLeft), world.score(TeamSide::kRight));
  const std::string right = world.teamName(TeamSide::kRight);
  return right.empty() ? score : score + " " + right;
}

std::string progressLine(const World& world) {
  std::string out = formatted("fieldsim: %.2f s, cycle %d, %s, %s, ball (%.2f, %.2f)", world.time(),
                              world.cycle(), playModeName(world.mode()), scoreText(world).c_str(),
                              world.ball().x, world.ball().y);
  for (const Robot& robot : world.robots()) {
    if (!robot.present) continue;
    out += formatted(", %s (%.2f, %.2f)", robot.label().c_str(), robot.record.position.x,
                     robot.record.position.y);
  }
  return out;
}

std::string traceLine(const World& world) {
  std::string out = formatted("cycle %d %s ball %.3f %.3f", world.cycle(),
                              playModeName(world.mode()), world.ball().x, world.ball().y);
  for (const Robot& robot : world.robots()) {
    if (!robot.present) continue;
    out += formatted(" %s %.3f %.3f %.1f", robot.label().c_str(), robot.record.position.x,
                     robot.record.position.y, robot.record.heading);
  }
  return out;
}

std::string summary(const World& world, double wall_seconds) {
  const double rate = wall_seconds > 0 ? world.cycle() / wall_seconds : 0;
  std::string out = formatted(
      "fieldsim: game over after %d cycles (%.2f s simulated in %.2f s, %.0f cycles per "
      "second)\n",
      world.cycle(), world.time(), wall_seconds, rate);
  out += "score: " + scoreText(world) + "\n";
  const Vec2 start = world.ballStart();
  const Vec2 end = world.ball();
  out += formatted("ball: from (%.2f, %.2f) to (%.2f, %.2f), %.2f m from its start, %s\n", start.x,
                   start.y, end.x, end.y, distance(start, end),
                   counted(world.kicks(), "kick").c_str());
  int received = 0;
  int sent = 0;
  for (const Robot* robot : world.robotsInTeamOrder()) {
    const RobotStats& s = robot->stats;
    out += formatted(
        "agent %s (%s %d): beams %d, steps %d, side steps %d, kicks %d, falls %d, get-ups %d, "
        "late replies %d, messages in %d out %d%s\n",
        robot->label().c_str(), robot->team.c_str(), robot->number, s.beams, s.steps, s.side_steps,
        s.kicks, s.falls, s.get_ups, s.late_replies, s.messages_in, s.messages_out,
        robot->present ? "" : ", left early");
    received += s.messages_in;
    sent += s.messages_out;
  }
  out += formatted("messages exchanged: %d received, %d sent\n", received, sent);
  return out + engineLine(world);
}

std::string svgPicture(const World& world) {
  const double width = 2 * (kMargin + kFieldHalfLength * kScale);
  const double height = 2 * (kMargin + kFieldHalfWidth * kScale);
  std::string out = formatted(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\">\n"
      "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
      width, height + 20);
  out += field();
  for (const Robot& robot : world.robots()) out += robotPath(robot);
  out += ballPath(world);
  out += formatted("<text x=\"%.0f\" y=\"%.0f\" font-size=\"14\">%s, %s, %s</text>\n", kMargin,
                   height + 15, scoreText(world).c_str(), counted(world.cycle(), "cycle").c_str(),
                   counted(world.kicks(), "kick").c_str());
  return out + "</svg>\n";
}

}  // namespace fieldsim
