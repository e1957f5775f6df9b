#include "kinematic.h"

#include <algorithm>
#include <cmath>

namespace fieldsim {
namespace {

constexpr double kBothFeetForce = 22.05;  // newtons per foot
constexpr double kOneFootForce = 2 * kBothFeetForce;

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

// The lowest point of a part's shape, as a height relative to its centre.
double lowestPoint(int part, const Quat& orientation) {
  const PartInfo& info = partInfo(part);
  if (info.shape == Shape::kSphere) return -info.size.x;
  const Vec3 x = rotate(orientation, {1, 0, 0});
  const Vec3 y = rotate(orientation, {0, 1, 0});
  const Vec3 z = rotate(orientation, {0, 0, 1});
  if (info.shape == Shape::kCapsule) return -std::fabs(z.z) * info.size.z / 2 - info.size.x;
  return -(std::fabs(x.z) * info.size.x + std::fabs(y.z) * info.size.y +
           std::fabs(z.z) * info.size.z) /
         2;
}

}  // namespace

void KinematicDynamics::addRobot(Vec2 position, double heading) {
  KinematicRobot& robot = robots_.emplace_back();
  robot.position = position;
  robot.heading = heading;
}

void KinematicDynamics::place(int robot, Vec2 position, double heading) {
  robots_[robot].position = position;
  robots_[robot].heading = heading;
}

// Any push knocks the robot over, whatever its strength and direction.
void KinematicDynamics::push(int id, double, double) {
  KinematicRobot& robot = robots_[id];
  robot.knocked = true;
  robot.contacts = {false, false};
  robot.spike_cycles = kGyroSpikeCycles;
  robot.swing_kicked = {true, true};
}

void KinematicDynamics::placeBall(Vec2 position) {
  ball_ = position;
  ball_velocity_ = {};
}

CycleRecord KinematicDynamics::step(const std::vector<RobotCommand>& commands, bool ball_in_play) {
  ball_in_play_ = ball_in_play;
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    robots_[r].kicked = false;
    if (!commands[r].on_field) continue;
    for (int j = 0; j < kJointCount; ++j) robots_[r].body.move(j, commands[r].speeds[j]);
  }
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    if (commands[r].on_field) updateFeet(robots_[r]);
  }
  moveBall();
  CycleRecord cycle;
  for (std::size_t r = 0; r < robots_.size(); ++r) cycle.robots.push_back(record(r));
  cycle.ball = ball();
  return cycle;
}

RobotRecord KinematicDynamics::record(int id) const {
  const KinematicRobot& robot = robots_[id];
  RobotRecord out;
  out.position = robot.position;
  out.heading = robot.heading;
  const auto parts = partPoses(id);
  out.torso_height = parts[kTorso].position.z;
  out.feet = {parts[kLFoot].position, parts[kRFoot].position};
  const double spin = robot.spike_cycles > 0 ? kGyroSpike : 0;
  out.senses.gyro = {spin, 0.0, robot.yaw_rate};
  for (int j = 0; j < kJointCount; ++j) out.senses.angles[j] = robot.body.angle(j);
  const bool both = robot.contacts.left && robot.contacts.right;
  const FootForce foot{{0, 0, -0.02}, {0, 0, both ? kBothFeetForce : kOneFootForce}};
  if (robot.contacts.left) out.senses.feet[0] = foot;
  if (robot.contacts.right) out.senses.feet[1] = foot;
  out.touches_ball = robot.kicked;
  return out;
}

BallRecord KinematicDynamics::ball() const {
  return {{ball_.x, ball_.y, kBallRadius}, {ball_velocity_.x, ball_velocity_.y, 0}, false};
}

Polar KinematicDynamics::seen(int id, Vec3 point) const {
  const KinematicRobot& robot = robots_[id];
  const double dx = point.x - robot.position.x;
  const double dy = point.y - robot.position.y;
  const double dz = point.z - kCameraHeight;
  const double ground = std::hypot(dx, dy);
  const double bearing = degrees(std::atan2(dy, dx));
  return {std::hypot(ground, dz), normalizeDegrees(bearing - robot.heading),
          degrees(std::atan2(dz, ground))};
}

Vec3 KinematicDynamics::camera(int robot) const {
  return {robots_[robot].position.x, robots_[robot].position.y, kCameraHeight};
}

// The joint pose stood on the ground at the robot's place and heading; a
// knocked robot lies on its back.
std::array<PartPose, kPartCount> KinematicDynamics::partPoses(int id) const {
  const KinematicRobot& robot = robots_[id];
  auto poses = fieldsim::partPoses(robot.body);
  Quat turn = axisAngle({0, 0, 1}, radians(robot.heading - 90));
  if (robot.knocked) turn = turn * axisAngle({1, 0, 0}, kPi / 2);
  double lowest = 0;
  for (int p = 0; p < kPartCount; ++p) {
    poses[p] = {rotate(turn, poses[p].position), turn * poses[p].orientation};
    if (!partInfo(p).collides) continue;
    lowest = std::min(lowest, poses[p].position.z + lowestPoint(p, poses[p].orientation));
  }
  for (PartPose& pose : poses) {
    pose.position = {pose.position.x + robot.position.x, pose.position.y + robot.position.y,
                     pose.position.z - lowest};
  }
  return poses;
}

// True while the robot is still down.
bool KinematicDynamics::updateKnocked(KinematicRobot& robot) {
  if (robot.spike_cycles > 0) --robot.spike_cycles;
  if (!robot.knocked) return false;
  if (!inSquat(robot.body)) return true;
  robot.knocked = false;
  // It stands up from the squat: no step is taken by this landing.
  robot.contacts = footContacts(robot.body);
  robot.last_reach = {legReach(robot.body, LegSide::kLeft), legReach(robot.body, LegSide::kRight)};
  return true;
}

void KinematicDynamics::updateFeet(KinematicRobot& robot) {
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

void KinematicDynamics::land(KinematicRobot& robot, LegSide leg) {
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
}

void KinematicDynamics::sideStep(KinematicRobot& robot, LegSide leg) {
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
}

void KinematicDynamics::maybeKick(KinematicRobot& robot, double foot_speed, int leg) {
  if (robot.swing_kicked[leg] || foot_speed < kKickFootSpeed || !ball_in_play_) return;
  const double bearing =
      degrees(std::atan2(ball_.y - robot.position.y, ball_.x - robot.position.x));
  if (distance(robot.position, ball_) > kKickReach ||
      std::fabs(normalizeDegrees(bearing - robot.heading)) > kKickHalfAngle) {
    return;
  }
  const double speed = std::min(kKickGain * foot_speed, kMaxBallSpeed);
  ball_velocity_ = ahead(robot.heading, speed);
  robot.swing_kicked[leg] = true;
  robot.kicked = true;
}

// The ball rolls and slows down; the lines and goals are the game's rules.
void KinematicDynamics::moveBall() {
  const double speed = std::hypot(ball_velocity_.x, ball_velocity_.y);
  if (speed == 0) return;
  ball_.x += ball_velocity_.x * kCycleSeconds;
  ball_.y += ball_velocity_.y * kCycleSeconds;
  const double slower = std::max(0.0, speed - kBallDeceleration * kCycleSeconds);
  ball_velocity_ = {ball_velocity_.x * slower / speed, ball_velocity_.y * slower / speed};
}

}  // namespace fieldsim
