// Small helpers that drive a limb towards a keyframe row and test a row, so
// that the motions can write their keyframes as data.
#ifndef VEXA_MOTION_H
#define VEXA_MOTION_H

#include "objects.h"

class Agent;

namespace motion {

// Marks for a cell of a keyframe row that holds no target angle.
// FREE: the joint is not driven and keeps the speed 0 of the cycle.
constexpr double FREE = 1e300;
// COUPLED: the knee turns by minus the hip-pitch and ankle-pitch speeds
// already written this cycle (get_exec_lleg4 / get_exec_rleg4).
constexpr double COUPLED = -1e300;

// Number of joints of a limb: 4 for an arm, 6 for a leg.
constexpr int jointCount(Limb limb) {
  return limb == Limb::LeftLeg || limb == Limb::RightLeg ? 6 : 4;
}

double current(Limb limb, int k);
double& speed(Limb limb, int k);

// Proportional law: speed of joint k = (target - current) * gain / divisor.
void driveJoint(Limb limb, int k, double target, double divisor, double gain = 1);

// Drives a whole limb with the proportional law and one divisor. Arms are
// written in the order 1..4; legs in the order 1, 2, 3, 5, 6, 4, knee last,
// so that a COUPLED knee sees the hip and ankle pitch of this cycle.
void drivePose(Agent& agent, Limb limb, const double* targets, double divisor);

// The reached test of the limb (is_la/ra/ll/rl_reach_ang) on a row.
bool reached(Agent& agent, Limb limb, const double* targets, double tol);

// A keyframe of the whole body: per limb group a divisor and the rows of
// both sides.
struct BodyKeyframe {
  double arm_divisor;
  double left_arm[4], right_arm[4];
  double leg_divisor;
  double left_leg[6], right_leg[6];
};

const double* rowOf(const BodyKeyframe& frame, Limb limb);
double divisorOf(const BodyKeyframe& frame, Limb limb);

// Drives every limb of the keyframe with the proportional law: left arm,
// right arm, left leg, right leg.
void driveBody(Agent& agent, const BodyKeyframe& frame);

}  // namespace motion

#endif
