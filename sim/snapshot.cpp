#include "snapshot.h"

namespace fieldsim {
namespace {

RobotSnapshot robotSnapshot(const World& world, const Robot& robot) {
  RobotSnapshot out;
  out.side = robot.side;
  out.number = robot.number;
  out.fallen = robot.down;
  out.parts = world.partPoses(robot);
  const std::array<double, 2> forces = world.footForces(robot);
  out.left_foot_force = forces[0];
  out.right_foot_force = forces[1];
  out.torso_height = robot.record.torso_height;
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
  out.ball = world.ballPosition();
  out.ball_radius = world.dynamics().ballRadius();
  for (const Robot& robot : world.robots()) {
    if (robot.present) out.robots.push_back(robotSnapshot(world, robot));
  }
  return out;
}

}  // namespace fieldsim
