#include "snapshot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "perception.h"

namespace fieldsim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// How far a part reaches below its centre. The z components of its turned
// axes are the last row of its rotation matrix.
double depthBelowCentre(const PartInfo& info, const Quat& q) {
  const double x_axis_z = 2 * (q.x * q.z - q.w * q.y);
  const double y_axis_z = 2 * (q.y * q.z + q.w * q.x);
  const double z_axis_z = 1 - 2 * (q.x * q.x + q.y * q.y);
  switch (info.shape) {
    case Shape::kSphere:
      return info.size.x;
    case Shape::kCapsule:
      return std::fabs(z_axis_z) * info.size.z / 2 + info.size.x;
    case Shape::kBox:
      return (std::fabs(x_axis_z) * info.size.x + std::fabs(y_axis_z) * info.size.y +
              std::fabs(z_axis_z) * info.size.z) /
             2;
  }
  return 0;
}

// The kinematic world knows a robot's place, heading and joint angles: the
// parts are posed by the joint angles, turned so that the model's forward
// (+y) points along the heading, and set down with the lowest point of the
// body on the ground. A knocked robot lies on its back until it stands up.
std::array<PartPose, kPartCount> partsOnField(const Robot& robot) {
  Quat placing = axisAngle({0, 0, 1}, (robot.heading - 90) * kPi / 180);
  if (robot.knocked) placing = placing * axisAngle({1, 0, 0}, kPi / 2);
  std::array<PartPose, kPartCount> parts = partPoses(robot.body);
  double lowest = std::numeric_limits<double>::infinity();
  for (int p = 0; p < kPartCount; ++p) {
    parts[p] = {rotate(placing, parts[p].position), placing * parts[p].orientation};
    const PartInfo& info = partInfo(p);
    if (info.collides) {
      lowest = std::min(lowest, parts[p].position.z - depthBelowCentre(info, parts[p].orientation));
    }
  }
  for (PartPose& part : parts) {
    part.position = {part.position.x + robot.position.x, part.position.y + robot.position.y,
                     part.position.z - lowest};
  }
  return parts;
}

RobotSnapshot robotSnapshot(const Robot& robot) {
  RobotSnapshot out;
  out.side = robot.side;
  out.number = robot.number;
  out.fallen = robot.knocked;
  out.parts = partsOnField(robot);
  out.left_foot_force = footForce(robot, LegSide::kLeft);
  out.right_foot_force = footForce(robot, LegSide::kRight);
  out.torso_height = out.parts[kTorso].position.z;
  return out;
}

}  // namespace

Snapshot takeSnapshot(const World& world) {
  Snapshot out;
  out.cycle = world.cycle();
  out.time = world.time();
  out.mode = world.mode();
  for (TeamSide side : {TeamSide::kLeft, TeamSide::kRight}) {
    const int i = side == TeamSide::kLeft ? 0 : 1;
    out.teams[i] = world.teamName(side);
    out.score[i] = world.score(side);
  }
  out.ball = {world.ball().x, world.ball().y, kBallRadius};
  for (const auto& robot : world.robots()) {
    if (robot->present) out.robots.push_back(robotSnapshot(*robot));
  }
  return out;
}

}  // namespace fieldsim
