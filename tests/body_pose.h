// Puts the body's joints at given angles and reads back the speeds a motion
// wrote, for the tests of the motions.
#ifndef VEXA_TESTS_BODY_POSE_H
#define VEXA_TESTS_BODY_POSE_H

#include <initializer_list>

#include "objects.h"
#include "world_model.h"

// Sets the current angles of a limb's joints, joint 1 first.
template <typename Angles>
void setLimb(Limb limb, const Angles& angles) {
  int k = 1;
  for (double angle : angles) wm::agent.set_cur_ang(limbJoint(limb, k++), angle);
}

inline void setLimb(Limb limb, std::initializer_list<double> angles) {
  setLimb<std::initializer_list<double>>(limb, angles);
}

template <typename Angles>
void setLegs(const Angles& left, const Angles& right) {
  setLimb(Limb::LeftLeg, left);
  setLimb(Limb::RightLeg, right);
}

inline void setLegs(std::initializer_list<double> left, std::initializer_list<double> right) {
  setLegs<std::initializer_list<double>>(left, right);
}

// The speed written for joint k of a limb.
inline double speed(Limb limb, int k) { return wm::agent.exec_ang(limbJoint(limb, k)); }

#endif
