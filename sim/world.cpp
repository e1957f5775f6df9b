#include "world.h"

#include <algorithm>
#include <cmath>

namespace fieldsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Robots may stray a little past the lines, not away from the field.
constexpr double kRobotMargin = 1;
// A path point is recorded once the robot has moved this far.
constexpr double kPathResolution = 0.01;

double radians(double degrees) {
  return degrees * kPi / 180;
}
double degrees(double radians) {
  return radians * 180 / kPi;
}

Vec2 ahead(double heading_degrees, double length) {
  return {length * std::cos(radians(heading_degrees)), length * std::sin(radians(heading_degrees))};
}

LegSide legSide(int leg) {
  return leg == 0 ? LegSide::kLeft : LegSide::kRight;
}

bool inSquat(const Body& body) {
  return body.angle(kLle3) >= kSquatHipPitch && body.angle(kRle3) >= kSquatHipPitch &&
         body.angle(kLle4) <= kSquatKnee && body.angle(kRle4) <= kSquatKnee;
}

void keepNearField(Vec2& p) {
  p.x = std::clamp(p.x, -kFieldHalfLength - kRobotMargin, kFieldHalfLength + kRobotMargin);
  p.y = std::clamp(p.y, -kFieldHalfWidth - kRobotMargin, kFieldHalfWidth + kRobotMargin);
}

}  // namespace

const char* playModeName(PlayMode mode) {
  switch (mode) {
    case PlayMode::kBeforeKickOff:
      return "BeforeKickOff";
    case PlayMode::kKickOffLeft:
      return "KickOff_Left";
    case PlayMode::kKickOffRight:
      return "KickOff_Right";
    case PlayMode::kPlayOn:
      return "PlayOn";
    case PlayMode::kGoalLeft:
      return "Goal_Left";
    case PlayMode::kGoalRight:
      return "Goal_Right";
  }
  return "PlayOn";
}

double distance(Vec2 a, Vec2 b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

double normalizeDegrees(double angle) {
  angle = std::fmod(angle, 360);
  if (angle > 180) angle -= 360;
  if (angle <= -180) angle += 360;
  return angle;
}

std::string Robot::label() const {
  return (side == TeamSide::kLeft ? "L" : "R") + std::to_string(number);
}

World::World(Vec2 ball_start) : ball_start_(ball_start), ball_(ball_start) {
  ball_path_.push_back({ball_});
}

std::optional<TeamSide> World::assignSide(const std::string& team) {
  for (TeamSide side : {TeamSide::kLeft, TeamSide::kRight}) {
    std::string& name = teams_[index(side)];
    if (name.empty()) name = team;
    if (name == team) return side;
  }
  return std::nullopt;
}

Robot* World::findRobot(TeamSide side, int number) {
  for (auto& robot : robots_) {
    if (robot->side == side && robot->number == number) return robot.get();
  }
  return nullptr;
}

Robot& World::addRobot(TeamSide side, int number, const std::string& team) {
  auto robot = std::make_unique<Robot>();
  robot->side = side;
  robot->number = number;
  robot->team = team;
  // Until it beams, a robot waits by the touchline of its own half.
  const double x = -0.5 * number - 0.5;
  const double y = -kFieldHalfWidth + 0.2;
  robot->position = side == TeamSide::kLeft ? Vec2{x, y} : Vec2{-x, -y};
  robot->heading = side == TeamSide::kLeft ? 0 : 180;
  robot->path.push_back({robot->position});
  robots_.push_back(std::move(robot));
  return *robots_.back();
}

bool World::beamAllowed() const {
  return mode_ == PlayMode::kBeforeKickOff || mode_ == PlayMode::kGoalLeft ||
         mode_ == PlayMode::kGoalRight;
}

void World::beam(Robot& robot, double x, double y, double rotation_degrees) {
  const bool left = robot.side == TeamSide::kLeft;
  robot.position = left ? Vec2{x, y} : Vec2{-x, -y};
  keepNearField(robot.position);
  robot.heading = normalizeDegrees(left ? rotation_degrees : rotation_degrees + 180);
  robot.path.push_back({robot.position});
  ++robot.stats.beams;
}

void World::knock(Robot& robot) {
  robot.knocked = true;
  robot.contacts = {false, false};
  robot.spike_cycles = kGyroSpikeCycles;
  robot.swing_kicked = {true, true};
  ++robot.stats.falls;
}

double World::gameTime() const {
  return std::max(0, cycle_ - kBeforeKickOffCycles) * kCycleSeconds;
}

void World::step() {
  for (auto& robot : robots_) {
    if (!robot->present) continue;
    for (int j = 0; j < kJointCount; ++j) robot->body.move(j, robot->speeds[j]);
    // A speed holds for one cycle: an agent that does not answer stands still.
    robot->speeds.fill(0);
  }
  for (auto& robot : robots_) {
    if (robot->present) updateFeet(*robot);
  }
  moveBall();
  updatePlayMode();
  ++cycle_;
  for (auto& robot : robots_) recordPath(*robot);
}

// Modes change during a step; the new one shows from the next cycle.
void World::setMode(PlayMode mode) {
  mode_ = mode;
  mode_since_ = cycle_ + 1;
}

// True while the robot is still down.
bool World::updateKnocked(Robot& robot) {
  if (robot.spike_cycles > 0) --robot.spike_cycles;
  if (!robot.knocked) return false;
  if (!inSquat(robot.body)) return true;
  robot.knocked = false;
  ++robot.stats.get_ups;
  // It stands up from the squat: no step is taken by this landing.
  robot.contacts = footContacts(robot.body);
  robot.last_reach = {legReach(robot.body, LegSide::kLeft), legReach(robot.body, LegSide::kRight)};
  return true;
}

void World::updateFeet(Robot& robot) {
  robot.yaw_rate = 0;
  if (updateKnocked(robot)) return;
  const Contacts now = footContacts(robot.body);
  const bool was_down[2] = {robot.contacts.left, robot.contacts.right};
  const bool is_down[2] = {now.left, now.right};
  robot.contacts = now;
  for (int leg = 0; leg < 2; ++leg) {
    const double reach = legReach(robot.body, legSide(leg));
    const double roll = outwardRoll(robot.body, legSide(leg));
    if (!is_down[leg]) {
      if (was_down[leg]) {
        robot.swing_roll[leg] = roll;
        robot.swing_kicked[leg] = false;
      }
      robot.swing_roll[leg] = std::max(robot.swing_roll[leg], roll);
      maybeKick(robot, (reach - robot.last_reach[leg]) / kCycleSeconds, leg);
    } else if (!was_down[leg]) {
      land(robot, legSide(leg));
    }
    robot.last_reach[leg] = reach;
  }
}

void World::land(Robot& robot, LegSide leg) {
  const int i = leg == LegSide::kLeft ? 0 : 1;
  if (robot.swing_roll[i] > kSideStepRoll) return sideStep(robot, leg);
  const LegSide other = leg == LegSide::kLeft ? LegSide::kRight : LegSide::kLeft;
  const double ahead_of_other = legReach(robot.body, leg) - legReach(robot.body, other);
  double turn = robot.body.angle(kLle1) - robot.body.angle(kRle1);
  if (hipPitch(robot.body, other) >= kUprightHipPitch) {
    const double offset = std::clamp(ahead_of_other, -kMaxPivotOffset, kMaxPivotOffset);
    const double pivot = degrees(std::atan(offset / kFeetApart));
    turn += leg == LegSide::kLeft ? -pivot : pivot;
  } else {
    const double advance = std::clamp(ahead_of_other, 0.0, kMaxStep);
    const Vec2 move = ahead(robot.heading, advance);
    robot.position = {robot.position.x + move.x, robot.position.y + move.y};
    keepNearField(robot.position);
  }
  robot.heading = normalizeDegrees(robot.heading + turn);
  robot.yaw_rate = turn / kCycleSeconds;
  ++robot.stats.steps;
}

void World::sideStep(Robot& robot, LegSide leg) {
  // Stepping to the right moves anticlockwise around the ball.
  const double sign = leg == LegSide::kRight ? 1 : -1;
  const double r = distance(robot.position, ball_);
  if (r <= kOrbitRadius && r > kBallRadius) {
    const double alpha = sign * kSideStepLength / r;
    const double dx = robot.position.x - ball_.x;
    const double dy = robot.position.y - ball_.y;
    robot.position = {ball_.x + dx * std::cos(alpha) - dy * std::sin(alpha),
                      ball_.y + dx * std::sin(alpha) + dy * std::cos(alpha)};
    robot.heading = normalizeDegrees(robot.heading + degrees(alpha));
    robot.yaw_rate = degrees(alpha) / kCycleSeconds;
  } else {
    const Vec2 move = ahead(robot.heading - sign * 90, kSideStepLength);
    robot.position = {robot.position.x + move.x, robot.position.y + move.y};
  }
  keepNearField(robot.position);
  ++robot.stats.side_steps;
}

void World::maybeKick(Robot& robot, double foot_speed, int leg) {
  if (robot.swing_kicked[leg] || foot_speed < kKickFootSpeed) return;
  if (mode_ == PlayMode::kBeforeKickOff || mode_ == PlayMode::kGoalLeft ||
      mode_ == PlayMode::kGoalRight) {
    return;
  }
  const double bearing =
      degrees(std::atan2(ball_.y - robot.position.y, ball_.x - robot.position.x));
  if (distance(robot.position, ball_) > kKickReach ||
      std::fabs(normalizeDegrees(bearing - robot.heading)) > kKickHalfAngle) {
    return;
  }
  const double speed = std::min(kKickGain * foot_speed, kMaxBallSpeed);
  ball_velocity_ = ahead(robot.heading, speed);
  robot.swing_kicked[leg] = true;
  ++robot.stats.kicks;
  ++kicks_;
  if (mode_ == PlayMode::kKickOffLeft || mode_ == PlayMode::kKickOffRight) {
    setMode(PlayMode::kPlayOn);
  }
}

void World::moveBall() {
  const double speed = std::hypot(ball_velocity_.x, ball_velocity_.y);
  if (speed == 0) return;
  const Vec2 from = ball_;
  ball_.x += ball_velocity_.x * kCycleSeconds;
  ball_.y += ball_velocity_.y * kCycleSeconds;
  const double slower = std::max(0.0, speed - kBallDeceleration * kCycleSeconds);
  ball_velocity_ = {ball_velocity_.x * slower / speed, ball_velocity_.y * slower / speed};
  if (checkGoal(from)) return;
  const Vec2 inside = {std::clamp(ball_.x, -kFieldHalfLength, kFieldHalfLength),
                       std::clamp(ball_.y, -kFieldHalfWidth, kFieldHalfWidth)};
  // The lines stop the ball: there are no throw-ins or corners here.
  if (inside.x != ball_.x || inside.y != ball_.y) {
    ball_ = inside;
    ball_velocity_ = {};
  }
  if (distance(ball_, ball_path_.back().back()) >= kPathResolution) {
    ball_path_.back().push_back(ball_);
  }
}

// A goal when the ball crossed a goal line between the posts on its way
// from `from`; the ball then rests in the goal.
bool World::checkGoal(Vec2 from) {
  for (double line : {kFieldHalfLength, -kFieldHalfLength}) {
    const bool crossed = (from.x < line && ball_.x >= line) || (from.x > line && ball_.x <= line);
    if (!crossed) continue;
    const double y = from.y + (ball_.y - from.y) * (line - from.x) / (ball_.x - from.x);
    if (std::fabs(y) >= kGoalHalfWidth) continue;
    ball_ = {line > 0 ? line + 0.2 : line - 0.2, y};
    ball_velocity_ = {};
    ball_path_.back().push_back(ball_);
    const TeamSide scorer = line > 0 ? TeamSide::kLeft : TeamSide::kRight;
    ++score_[index(scorer)];
    setMode(scorer == TeamSide::kLeft ? PlayMode::kGoalLeft : PlayMode::kGoalRight);
    return true;
  }
  return false;
}

void World::updatePlayMode() {
  const int in_mode = cycle_ + 1 - mode_since_;
  switch (mode_) {
    case PlayMode::kBeforeKickOff:
      if (cycle_ + 1 >= kBeforeKickOffCycles) setMode(PlayMode::kKickOffLeft);
      return;
    case PlayMode::kKickOffLeft:
    case PlayMode::kKickOffRight:
      if (in_mode >= kKickOffCycles) setMode(PlayMode::kPlayOn);
      return;
    case PlayMode::kGoalLeft:
    case PlayMode::kGoalRight:
      if (in_mode < kGoalPauseCycles) return;
      ball_ = {};
      ball_velocity_ = {};
      ball_path_.push_back({ball_});
      // The team that conceded kicks off.
      setMode(mode_ == PlayMode::kGoalLeft ? PlayMode::kKickOffRight : PlayMode::kKickOffLeft);
      return;
    case PlayMode::kPlayOn:
      return;
  }
}

void World::recordPath(Robot& robot) {
  auto& piece = robot.path.back();
  if (piece.empty() || distance(robot.position, piece.back()) >= kPathResolution) {
    piece.push_back(robot.position);
  }
}

}  // namespace fieldsim
