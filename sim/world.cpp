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

const char* sideName(TeamSide side) {
  return side == TeamSide::kLeft ? "left" : "right";
}

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

const char* eventName(EventKind kind) {
  // In EventKind's order.
  static const char* const kNames[] = {"join",      "leave", "beam",    "play-mode", "step",
                                       "side-step", "push",  "fall",    "get-up",    "near-ball",
                                       "kick",      "goal",  "blow-up", "late-reply"};
  return kNames[static_cast<int>(kind)];
}

int largestTouchingGroup(int robots, const std::vector<std::pair<int, int>>& touching) {
  std::vector<int> group(robots);
  for (int r = 0; r < robots; ++r) group[r] = r;
  const auto root = [&](int r) {
    while (group[r] != r) r = group[r] = group[group[r]];
    return r;
  };
  for (const auto& [a, b] : touching) group[root(a)] = root(b);
  std::vector<int> size(robots);
  int largest = 0;
  for (int r = 0; r < robots; ++r) largest = std::max(largest, ++size[root(r)]);
  return largest;
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

const Robot* World::findRobot(TeamSide side, int number) const {
  for (const Robot& robot : robots_) {
    if (robot.side == side && robot.number == number) return &robot;
  }
  return nullptr;
}

std::vector<const Robot*> World::robotsInTeamOrder() const {
  std::vector<const Robot*> ordered;
  for (const Robot& robot : robots_) ordered.push_back(&robot);
  std::sort(ordered.begin(), ordered.end(), [](const Robot* a, const Robot* b) {
    return std::make_pair(index(a->side), a->number) < std::make_pair(index(b->side), b->number);
  });
  return ordered;
}

int World::join(TeamSide side, int number, const std::string& team) {
  const Robot* found = findRobot(side, number);
  if (found == nullptr) {
    Robot robot;
    robot.id = static_cast<int>(robots_.size());
    robot.side = side;
    robot.number = number;
    robot.team = team;
    // Until it beams, a robot waits by the touchline of its own half.
    const double x = -0.5 * number - 0.5;
    const double y = -kFieldHalfWidth + 0.2;
    const Vec2 place = side == TeamSide::kLeft ? Vec2{x, y} : Vec2{-x, -y};
    const double heading = side == TeamSide::kLeft ? 0 : 180;
    robot.path.push_back({place});
    dynamics_->addRobot(place, heading);
    robot.record = dynamics_->record(robot.id);
    robots_.push_back(std::move(robot));
    found = &robots_.back();
  }
  Robot& robot = robots_[found->id];
  robot.present = true;
  if (kick_off_cycle_ && !robot.start) robot.start = robot.pose();
  addEvent(cycle_, EventKind::kJoin, &robot);
  return robot.id;
}

void World::leave(int robot) {
  robots_[robot].present = false;
  addEvent(cycle_, EventKind::kLeave, &robots_[robot]);
}

void World::command(int robot, int joint, double speed) {
  robots_[robot].speeds[joint] = speed;
}

void World::countMessageIn(int robot) {
  ++robots_[robot].stats.messages_in;
}

void World::countMessageOut(int robot) {
  ++robots_[robot].stats.messages_out;
}

void World::lateReply(int robot) {
  ++robots_[robot].stats.late_replies;
  addEvent(cycle_, EventKind::kLateReply, &robots_[robot]);
}

bool World::beamAllowed() const {
  return mode_ == PlayMode::kBeforeKickOff || mode_ == PlayMode::kGoalLeft ||
         mode_ == PlayMode::kGoalRight;
}

void World::beam(int id, double x, double y, double rotation_degrees) {
  Robot& robot = robots_[id];
  const bool left = robot.side == TeamSide::kLeft;
  Pose place{left ? Vec2{x, y} : Vec2{-x, -y},
             normalizeDegrees(left ? rotation_degrees : rotation_degrees + 180)};
  keepNearField(place.position);
  dynamics_->place(id, place.position, place.heading);
  robot.record = dynamics_->record(id);
  robot.path.push_back({place.position});
  ++robot.stats.beams;
  addEvent(cycle_, EventKind::kBeam, &robot).where = place;
}

void World::push(TeamSide side, int number, double impulse, double direction) {
  const Robot* robot = findRobot(side, number);
  Event& event = addEvent(cycle_, EventKind::kPush);
  event.robot = (side == TeamSide::kLeft ? "L" : "R") + std::to_string(number);
  event.impulse = impulse;
  event.direction = direction;
  if (robot == nullptr || !robot->present) {
    event.note = robot == nullptr ? "no such robot has joined" : "its agent has left";
    return;
  }
  dynamics_->push(robot->id, impulse, direction);
  robots_[robot->id].record = dynamics_->record(robot->id);
}

Vec2 World::ball() const {
  const Vec3 ball = ballPosition();
  return {ball.x, ball.y};
}

double World::gameTime() const {
  return std::max(0, cycle_ - kBeforeKickOffCycles) * kCycleSeconds;
}

std::array<PartPose, kPartCount> World::partPoses(const Robot& robot) const {
  return dynamics_->partPoses(robot.id);
}

std::array<double, 2> World::footForces(const Robot& robot) const {
  std::array<double, 2> forces{};
  for (int leg = 0; leg < 2; ++leg) {
    if (robot.record.senses.feet[leg]) forces[leg] = robot.record.senses.feet[leg]->force.z;
  }
  return forces;
}

Event& World::addEvent(int cycle, EventKind kind, const Robot* robot) {
  Event& event = events_.emplace_back();
  event.cycle = cycle;
  event.kind = kind;
  if (robot != nullptr) event.robot = robot->label();
  return event;
}

void World::step() {
  const bool in_play = ballInPlay();
  const Vec2 from = ball();
  std::vector<RobotCommand> commands;
  for (const Robot& robot : robots_) commands.push_back({robot.present, robot.speeds});
  const CycleRecord cycle = dynamics_->step(commands, in_play);
  for (Robot& robot : robots_) robot.record = cycle.robots[robot.id];
  countBlowUps(cycle);
  measureWindow(cycle);
  for (Robot& robot : robots_) countSteps(robot);
  countKicks(cycle.ball, in_play);
  ruleBall(from, cycle.ball.position);
  for (Robot& robot : robots_) {
    if (robot.present) countFalls(robot);
  }
  updatePlayMode();
  ++cycle_;
  for (Robot& robot : robots_) {
    noteNearBall(robot);
    recordPath(robot);
  }
}

bool World::ballInPlay() const {
  return !beamAllowed();
}

// Modes change during a step; the new one shows from the next cycle. Every
// kick-off lets each robot come near the ball again; the first one fixes
// where the robots on the field start.
void World::setMode(PlayMode mode) {
  mode_ = mode;
  mode_since_ = cycle_ + 1;
  addEvent(mode_since_, EventKind::kPlayMode).mode = mode;
  if (mode != PlayMode::kKickOffLeft && mode != PlayMode::kKickOffRight) return;
  for (Robot& robot : robots_) robot.near_ball = false;
  if (kick_off_cycle_) return;
  kick_off_cycle_ = mode_since_;
  for (Robot& robot : robots_) {
    if (robot.present) robot.start = robot.pose();
  }
}

// A rebuilt world puts every robot back, and counts once in the total.
void World::countBlowUps(const CycleRecord& cycle) {
  if (cycle.rebuilt) {
    ++rebuilds_;
    ++blow_ups_;
    for (Robot& robot : robots_) {
      ++robot.stats.blow_ups;
      addEvent(cycle_ + 1, EventKind::kBlowUp, &robot).rebuild = true;
    }
  }
  for (Robot& robot : robots_) {
    if (!robot.record.reset) continue;
    ++robot.stats.blow_ups;
    robot.stats.laid_flat += robot.record.laid_flat;
    ++blow_ups_;
    addEvent(cycle_ + 1, EventKind::kBlowUp, &robot).laid_flat = robot.record.laid_flat;
  }
  if (cycle.ball.reset) {
    ++blow_ups_;
    addEvent(cycle_ + 1, EventKind::kBlowUp);
  }
}

void World::measureWindow(const CycleRecord& cycle) {
  if (cycle_ % kWindowCycles == 0) windows_.push_back({cycle_, 0, 0});
  Window& window = windows_.back();
  ++window.cycles;
  const int group = largestTouchingGroup(static_cast<int>(robots_.size()), cycle.touching);
  window.largest_touching_group = std::max(window.largest_touching_group, group);
}

// A foot that lands after a while in the air has stepped: sideways when it
// moved more to the side than forward, measured along the heading.
void World::countSteps(Robot& robot) {
  const double heading = radians(robot.record.heading);
  for (int leg = 0; leg < 2; ++leg) {
    const Vec3 foot = robot.record.feet[leg];
    int& air = robot.air_cycles[leg];
    if (!robot.record.senses.feet[leg]) {
      if (air++ == 0) robot.lift_off[leg] = foot;
      continue;
    }
    if (air >= kStepAirCycles) {
      const double dx = foot.x - robot.lift_off[leg].x;
      const double dy = foot.y - robot.lift_off[leg].y;
      const double forward = dx * std::cos(heading) + dy * std::sin(heading);
      const double side = -dx * std::sin(heading) + dy * std::cos(heading);
      const bool sideways = std::fabs(side) > std::fabs(forward);
      ++(sideways ? robot.stats.side_steps : robot.stats.steps);
      addEvent(cycle_ + 1, sideways ? EventKind::kSideStep : EventKind::kStep, &robot);
    }
    air = 0;
  }
}

void World::countKicks(const BallRecord& ball, bool ball_in_play) {
  const double speed = std::hypot(ball.velocity.x, ball.velocity.y);
  for (Robot& robot : robots_) {
    const bool new_touch = robot.record.touches_ball && !robot.touching_ball;
    robot.touching_ball = robot.record.touches_ball;
    if (!new_touch || speed < kKickBallSpeed || !ball_in_play) continue;
    ++robot.stats.kicks;
    ++kicks_;
    addEvent(cycle_ + 1, EventKind::kKick, &robot).ball_speed = speed;
    if (mode_ == PlayMode::kKickOffLeft || mode_ == PlayMode::kKickOffRight) {
      setMode(PlayMode::kPlayOn);
    }
  }
}

// Goals, and the lines, which stop the ball: there are no throw-ins or
// corners here. Between the posts and below the bar the goal line lets a
// ball that is partly over it roll on, so that it can go wholly over and
// score. A ball resting in a goal stays there until the kick-off.
void World::ruleBall(Vec2 from, Vec3 to) {
  if ((to.x == from.x && to.y == from.y) || !ballInPlay()) return;
  if (checkGoal(from, to)) return;
  Vec2 inside = {std::clamp(to.x, -kFieldHalfLength, kFieldHalfLength),
                 std::clamp(to.y, -kFieldHalfWidth, kFieldHalfWidth)};
  if (partlyInGoal(to)) inside.x = to.x;
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
    const Vec2 rest = {line > 0 ? goal_line + kGoalDepth / 2 : goal_line - kGoalDepth / 2, y};
    dynamics_->placeBall(rest);
    ball_path_.back().push_back(rest);
    const TeamSide scorer = line > 0 ? TeamSide::kLeft : TeamSide::kRight;
    ++score_[index(scorer)];
    addEvent(cycle_ + 1, EventKind::kGoal).side = scorer;
    setMode(scorer == TeamSide::kLeft ? PlayMode::kGoalLeft : PlayMode::kGoalRight);
    return true;
  }
  return false;
}

bool World::partlyInGoal(Vec3 ball) const {
  const double extent = dynamics_->ballExtent();
  return std::fabs(ball.x) > kFieldHalfLength && std::fabs(ball.x) < kFieldHalfLength + extent &&
         std::fabs(ball.y) < kGoalHalfWidth && ball.z < kGoalHeight - extent;
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
  const bool down = robot.record.torso_height < kFallenHeight;
  if (down != robot.down) {
    ++(down ? robot.stats.falls : robot.stats.get_ups);
    addEvent(cycle_ + 1, down ? EventKind::kFall : EventKind::kGetUp, &robot);
  }
  robot.down = down;
}

void World::noteNearBall(Robot& robot) {
  if (!kick_off_cycle_ || !robot.present || robot.near_ball) return;
  const double apart = distance(robot.record.position, ball());
  if (apart >= kNearBall) return;
  robot.near_ball = true;
  addEvent(cycle_, EventKind::kNearBall, &robot).distance = apart;
}

void World::recordPath(Robot& robot) {
  auto& piece = robot.path.back();
  if (piece.empty() || distance(robot.record.position, piece.back()) >= kPathResolution) {
    piece.push_back(robot.record.position);
  }
}

}  // namespace fieldsim
