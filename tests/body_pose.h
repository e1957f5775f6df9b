// Puts the body's joints at given angles and reads back the speeds a motion
// wrote, for the tests of the motions.
#ifndef VEXA_TESTS_BODY_POSE_H
#define VEXA_TESTS_BODY_POSE_H

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include "objects.h"
#include "world_model.h"

using J = JointId;
// The six angles of a leg, joint 1 first.
using Pose = std::array<double, 6>;
// Expected speeds of some joints.
using Speeds = std::vector<std::pair<J, double>>;

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

// Every listed joint was given its speed; `phase` names the case.
inline void expectSpeeds(const Speeds& expected, int phase) {
  for (const auto& [joint, value] : expected) {
    EXPECT_NEAR(wm::agent.exec_ang(joint), value, 1e-12)
        << "phase " << phase << " joint " << static_cast<int>(joint);
  }
}

#endif
