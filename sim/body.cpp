#include "body.h"

#include <algorithm>
#include <cmath>

namespace fieldsim {
namespace {

const JointInfo kJoints[kJointCount] = {
    {"he1", "hj1", -120, 120},   {"he2", "hj2", -45, 45},

    {"lae1", "laj1", -120, 120}, {"lae2", "laj2", -1, 95},  {"lae3", "laj3", -120, 120},
    {"lae4", "laj4", -90, 1},

    {"rae1", "raj1", -120, 120}, {"rae2", "raj2", -95, 1},  {"rae3", "raj3", -120, 120},
    {"rae4", "raj4", -1, 90},

    {"lle1", "llj1", -90, 1},    {"lle2", "llj2", -25, 45}, {"lle3", "llj3", -25, 100},
    {"lle4", "llj4", -130, 1},   {"lle5", "llj5", -45, 75}, {"lle6", "llj6", -45, 25},

    {"rle1", "rlj1", -90, 1},    {"rle2", "rlj2", -45, 25}, {"rle3", "rlj3", -25, 100},
    {"rle4", "rlj4", -130, 1},   {"rle5", "rlj5", -45, 75}, {"rle6", "rlj6", -25, 45},
};

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) {
  return degrees * kPi / 180;
}

// First joint (hip yaw) of a leg; the others follow in order.
int hip(LegSide leg) {
  return leg == LegSide::kLeft ? kLle1 : kRle1;
}

}  // namespace

const JointInfo& jointInfo(int joint) {
  return kJoints[joint];
}

int jointByEffector(std::string_view name) {
  for (int j = 0; j < kJointCount; ++j) {
    if (name == kJoints[j].effector) return j;
  }
  return -1;
}

void Body::setAngle(int joint, double degrees) {
  angles_[joint] = std::clamp(degrees, kJoints[joint].min_degrees, kJoints[joint].max_degrees);
}

void Body::move(int joint, double radians_per_second) {
  const double step = radians_per_second * kCycleSeconds * 180 / kPi;
  setAngle(joint, angles_[joint] + std::clamp(step, -kMaxDegreesPerCycle, kMaxDegreesPerCycle));
}

double legHeight(const Body& body, LegSide leg) {
  const int j = hip(leg);
  const double roll = radians(body.angle(j + 1));
  const double pitch = radians(body.angle(j + 2));
  const double shank = pitch + radians(body.angle(j + 3));
  return (kThighLength * std::cos(pitch) + kShankLength * std::cos(shank)) * std::cos(roll);
}

double legReach(const Body& body, LegSide leg) {
  const int j = hip(leg);
  const double pitch = radians(body.angle(j + 2));
  const double shank = pitch + radians(body.angle(j + 3));
  return kThighLength * std::sin(pitch) + kShankLength * std::sin(shank);
}

double outwardRoll(const Body& body, LegSide leg) {
  const double roll = body.angle(hip(leg) + 1);
  return leg == LegSide::kLeft ? roll : -roll;
}

double hipPitch(const Body& body, LegSide leg) {
  return body.angle(hip(leg) + 2);
}

Contacts footContacts(const Body& body) {
  const double left = legHeight(body, LegSide::kLeft);
  const double right = legHeight(body, LegSide::kRight);
  return {left >= right - kLiftMargin, right >= left - kLiftMargin};
}

}  // namespace fieldsim
