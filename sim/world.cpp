#include "world.h"

#include <algorithm>
#include <cmath>

#include "kinematic.h"

namespace fieldsim {
namespace {

// A path point is recorded once the robot has moved this far.
constexpr double kPathResolution = 0.01;
// Robots may stray a little past the lines, not away from the field.
constexpr double kRobotMargin = 1;

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

void keepNearField(Vec2& p) {
  p.x = std::clamp(p.x, -kFieldHalfLength - kRobotMargin, kFieldHalfLength + kRobotMargin);
  p.y = std::clamp(p.y, -kFieldHalfWidth - kRobotMargin, kFieldHalfWidth + kRobotMargin);
}

std::string Robot::label() const {
  return (side == TeamSide::kLeft ? "L" : "R") + std::to_string(number);
}

World::World(Vec2 ball_start, std::unique_ptr<Dynamics> dynamics)
    : dynamics_(dynamics ? std::move(dynamics) : std::make_unique<KinematicDynamics>()),
      ball_start_(ball_start) {
  dynamics_->placeBall(ball_start);
  ball_path_.push_back({ball_start});
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
  dynamics_->addRobot(*robot);
  robots_.push_back(std::move(robot));
  return *robots_.back();
}

bool World::beamAllowed() const {
  return mode_ == PlayMode::kBeforeKickOff || mode_ == PlayMode::kGoalLeft ||
         mode_ == PlayMode::kGoalRight;
}

void World::beam(Robot& robot, double x, double y, double rotation_degrees) {
  const bool left = robot.side == TeamSide::kLeft;
  Vec2 place = left ? Vec2{x, y} : Vec2{-x, -y};
  keepNearField(place);
  dynamics_->place(robot, place,
                   normalizeDegrees(left ? rotation_degrees : rotation_degrees + 180));
  robot.path.push_back({robot.position});
  ++robot.stats.beams;
}

void World::knock(Robot& robot) {
  dynamics_->push(robot);
}

double World::gameTime() const {
  return std::max(0, cycle_ - kBeforeKickOffCycles) * kCycleSeconds;
}

Vec2 World::ball() const {
  const Vec3 ball = dynamics_->ball();
  return {ball.x, ball.y};
}

std::array<PartPose, kPartCount> World::partPoses(const Robot& robot) const {
  return dynamics_->partPoses(robot);
}

std::array<double, 2> World::footForces(const Robot& robot) const {
  const Senses senses = dynamics_->senses(robot);
  std::array<double, 2> forces{};
  for (int leg = 0; leg < 2; ++leg) {
    if (senses.feet[leg]) forces[leg] = senses.feet[leg]->force.z;
  }
  return forces;
}

void World::step() {
  const Vec2 from = ball();
  for (Robot* robot : dynamics_->step(ballInPlay())) countKick(*robot);
  ruleBall(from);
  for (auto& robot : robots_) {
    if (robot->present) countFalls(*robot);
  }
  updatePlayMode();
  ++cycle_;
  for (auto& robot : robots_) recordPath(*robot);
}

bool World::ballInPlay() const {
  return !beamAllowed();
}

// Modes change during a step; the new one shows from the next cycle.
void World::setMode(PlayMode mode) {
  mode_ = mode;
  mode_since_ = cycle_ + 1;
}

void World::countKick(Robot& robot) {
  ++robot.stats.kicks;
  ++kicks_;
  if (mode_ == PlayMode::kKickOffLeft || mode_ == PlayMode::kKickOffRight) {
    setMode(PlayMode::kPlayOn);
  }
}

// Goals, and the lines, which stop the ball: there are no throw-ins or
// corners here. A ball resting in a goal stays there until the kick-off.
void World::ruleBall(Vec2 from) {
  const Vec3 to = dynamics_->ball();
  if ((to.x == from.x && to.y == from.y) || !ballInPlay()) return;
  if (checkGoal(from, to)) return;
  const Vec2 inside = {std::clamp(to.x, -kFieldHalfLength, kFieldHalfLength),
                       std::clamp(to.y, -kFieldHalfWidth, kFieldHalfWidth)};
  if (inside.x != to.x || inside.y != to.y) dynamics_->placeBall(inside);
  if (distance(ball(), ball_path_.back().back()) >= kPathResolution) {
    ball_path_.back().push_back(ball());
  }
}

// A goal when the whole ball crossed a goal line between the posts and below
// the bar on its way from `from`; the ball then rests in the goal.
bool World::checkGoal(Vec2 from, Vec3 to) {
  const double extent = dynamics_->ballExtent();
  if (to.z >= kGoalHeight - extent) return false;
  for (double goal_line : {kFieldHalfLength, -kFieldHalfLength}) {
    const double line = goal_line > 0 ? goal_line + extent : goal_line - extent;
    const bool crossed = (from.x < line && to.x >= line) || (from.x > line && to.x <= line);
    if (!crossed) continue;
    const double y = from.y + (to.y - from.y) * (line - from.x) / (to.x - from.x);
    if (std::fabs(y) >= kGoalHalfWidth) continue;
    const Vec2 rest = {line > 0 ? goal_line + 0.2 : goal_line - 0.2, y};
    dynamics_->placeBall(rest);
    ball_path_.back().push_back(rest);
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
      dynamics_->placeBall({});
      ball_path_.push_back({Vec2{}});
      // The team that conceded kicks off.
      setMode(mode_ == PlayMode::kGoalLeft ? PlayMode::kKickOffRight : PlayMode::kKickOffLeft);
      return;
    case PlayMode::kPlayOn:
      return;
  }
}

void World::countFalls(Robot& robot) {
  const bool down = dynamics_->fallen(robot);
  if (down && !robot.down) ++robot.stats.falls;
  if (!down && robot.down) ++robot.stats.get_ups;
  robot.down = down;
}

void World::recordPath(Robot& robot) {
  auto& piece = robot.path.back();
  if (piece.empty() || distance(robot.position, piece.back()) >= kPathResolution) {
    piece.push_back(robot.position);
  }
}

}  // namespace fieldsim
