// The perception message of one robot, in the server's layout: time, game
// state, gyro, joint angles, foot forces and vision.
#ifndef FIELDSIM_PERCEPTION_H
#define FIELDSIM_PERCEPTION_H

#include <cstddef>
#include <string>

#include "world.h"

namespace fieldsim {

// The longest message an agent accepts (16 KiB less the length prefix and a
// terminator); the other players that would not fit (the farthest ones) are
// left out of the vision. A full view of 22 players takes about 2.5 KB.
constexpr std::size_t kMaxPerceptionBytes = 16384 - 4 - 1;

struct Polar {
  double distance;    // metres, from the camera
  double horizontal;  // degrees, anticlockwise from the heading
  double vertical;    // degrees, up from the horizontal
};

// Where a point of the field (height z) is seen from the robot's camera.
Polar seenFrom(const Robot& robot, Vec2 point, double z);

// The force under one foot (newtons): the robot's weight shared by the feet
// on the ground, 0 for a lifted foot.
double footForce(const Robot& robot, LegSide leg);

std::string perception(const World& world, const Robot& robot);

}  // namespace fieldsim

#endif
