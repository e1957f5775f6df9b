// The joint-motion primitives every motion shares, and small helpers that
// drive a limb towards a keyframe row and test a row, so that the motions can
// write their keyframes as data. All of them work on wm::agent; none keeps
// state of its own.
#ifndef VEXA_MOTION_H
#define VEXA_MOTION_H

#include "objects.h"

namespace motion {

// The current angle and the commanded speed of joint k (1-based) of a limb.
double current(Limb limb, int k);
double& speed(Limb limb, int k);

// The stepped speed law: 2, 1, 0.5 or 0.1 with the sign of d, for |d| above
// 20, 10, 2 or 0.5 (each bound exclusive), and 0 up to 0.5.
double steppedSpeed(double d);

// The coupled knee of a leg: minus the hip-pitch and ankle-pitch speeds
// written so far in this cycle, which keeps the foot's pitch.
double coupledKnee(Limb leg);

// Stores the hip's height above the ankle of a leg in bend_height and prints
// it; the height-keeping ankle below then holds the hip at that height.
void recordLegHeight(Limb leg);

// The ankle pitch (degrees, 0..180) that keeps the hip at bend_height for the
// leg's current hip roll and pitch.
double heightKeepingAnkle(Limb leg);

// True when every joint of the limb is strictly within tol of its row; a
// leg's knee (joint 4) is not compared.
bool reached(Limb limb, const double* row, double tol);

// Prints the distance to the ball; true when the gait should stop there.
bool ballCloseEnoughToStop();

// Marks for a cell of a keyframe row that holds no target angle.
// FREE: the joint is not driven and keeps the speed 0 of the cycle.
constexpr double FREE = 1e300;
// COUPLED: the knee turns by minus the hip-pitch and ankle-pitch speeds
// already written this cycle (coupledKnee).
constexpr double COUPLED = -1e300;

// Number of joints of a limb: 4 for an arm, 6 for a leg.
constexpr int jointCount(Limb limb) {
  return limb == Limb::LeftLeg || limb == Limb::RightLeg ? 6 : 4;
}

// Proportional law: speed of joint k = (target - current) * gain / divisor.
void driveJoint(Limb limb, int k, double target, double divisor, double gain = 1);

// Drives a whole limb with the proportional law and one divisor. Arms are
// written in the order 1..4; legs in the order 1, 2, 3, 5, 6, 4, knee last,
// so that a COUPLED knee sees the hip and ankle pitch of this cycle.
void drivePose(Limb limb, const double* targets, double divisor);

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
void driveBody(const BodyKeyframe& frame);

}  // namespace motion

#endif
