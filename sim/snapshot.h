// One cycle of a game as the replay records it: the state of play, the ball,
// and every robot's parts in field coordinates (x towards the right team's
// goal, y to the left of that, z up, metres; orientations turn a part from
// the model frame into the field).
#ifndef FIELDSIM_SNAPSHOT_H
#define FIELDSIM_SNAPSHOT_H

#include <array>
#include <string>
#include <vector>

#include "body.h"
#include "world.h"

namespace fieldsim {

struct RobotSnapshot {
  TeamSide side = TeamSide::kLeft;
  int number = 0;
  bool fallen = false;
  std::array<PartPose, kPartCount> parts{};
  double left_foot_force = 0;  // newtons
  double right_foot_force = 0;
  double torso_height = 0;  // of the torso's centre above the ground, metres
};

struct Snapshot {
  int cycle = 0;
  double time = 0;  // seconds
  PlayMode mode = PlayMode::kBeforeKickOff;
  std::array<std::string, 2> teams;  // left, right; empty until a team registers
  std::array<int, 2> score{};
  Vec3 ball;
  double ball_radius = 0;
  std::vector<RobotSnapshot> robots;  // those on the field
};

// The world as it stands, every robot on the field included.
Snapshot takeSnapshot(const World& world);

}  // namespace fieldsim

#endif
