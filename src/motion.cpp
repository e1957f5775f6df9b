#include "motion.h"

#include <cmath>
#include <iostream>

#include "world_model.h"

namespace {

// The motions convert with this value of pi, not the library's.
const double kPi = 3.1415926;

double toRadians(double degrees) {
  return degrees / 180 * kPi;
}

double legHeight(double hip_roll, double hip_pitch, double ankle_pitch) {
  const AgentObject& body = wm::agent;
  return (body.thigh_length * std::cos(toRadians(hip_pitch)) +
          body.shank_length * std::cos(toRadians(ankle_pitch))) *
         std::cos(toRadians(hip_roll));
}

// A height the leg cannot reach, or a hip roll of 90 degrees, clamps the
// cosine to -1..1 so that the angle is always finite.
double ankleForHeight(double hip_roll, double hip_pitch) {
  const AgentObject& body = wm::agent;
  const double cosine = (body.bend_height / std::cos(toRadians(hip_roll)) -
                         body.thigh_length * std::cos(toRadians(hip_pitch))) /
                        body.shank_length;
  // fmin/fmax also turn a NaN (0/0 at a hip roll of 90 degrees) into 1.
  const double clamped = std::fmax(-1.0, std::fmin(1.0, cosine));
  return std::acos(clamped) * 180 / kPi;
}

}  // namespace

namespace motion {

double current(Limb limb, int k) {
  return wm::agent.get_cur_ang(limbJoint(limb, k));
}

double& speed(Limb limb, int k) {
  return wm::agent.exec_ang(limbJoint(limb, k));
}

double steppedSpeed(double d) {
  const double magnitude = std::fabs(d);
  double step;
  if (magnitude > 20) {
    step = 2;
  } else if (magnitude > 10) {
    step = 1;
  } else if (magnitude > 2) {
    step = 0.5;
  } else if (magnitude > 0.5) {
    step = 0.1;
  } else {
    return 0;
  }
  return d > 0 ? step : -step;
}

double coupledKnee(Limb leg) {
  return -(speed(leg, 3) + speed(leg, 5));
}

void recordLegHeight(Limb leg) {
  wm::agent.bend_height = legHeight(current(leg, 2), current(leg, 3), current(leg, 5));
  std::cout << wm::agent.bend_height << "\n";
}

double heightKeepingAnkle(Limb leg) {
  return ankleForHeight(current(leg, 2), current(leg, 3));
}

// Joints are tested in order, stopping at the first one outside the
// tolerance. A leg's knee is skipped: most keyframes couple it instead.
bool reached(Limb limb, const double* row, double tol) {
  const int count = jointCount(limb);
  for (int k = 1; k <= count; ++k) {
    if (k == 4 && count == 6) continue;
    if (!(std::fabs(current(limb, k) - row[k - 1]) < tol)) return false;
  }
  return true;
}

bool ballCloseEnoughToStop() {
  std::cout << "wm::dis_to_ball" << wm::dis_to_ball << "\n";
  return wm::dis_to_ball < 0.3;
}

void driveJoint(Limb limb, int k, double target, double divisor, double gain) {
  speed(limb, k) = (target - current(limb, k)) * gain / divisor;
}

static void driveCell(Limb limb, int k, double target, double divisor) {
  if (target == FREE) return;
  if (target == COUPLED) {
    speed(limb, k) = coupledKnee(limb);
    return;
  }
  driveJoint(limb, k, target, divisor);
}

void drivePose(Limb limb, const double* targets, double divisor) {
  static const int kArmOrder[] = {1, 2, 3, 4};
  static const int kLegOrder[] = {1, 2, 3, 5, 6, 4};
  const bool leg = jointCount(limb) == 6;
  const int* order = leg ? kLegOrder : kArmOrder;
  for (int i = 0; i < jointCount(limb); ++i) {
    driveCell(limb, order[i], targets[order[i] - 1], divisor);
  }
}

const double* rowOf(const BodyKeyframe& frame, Limb limb) {
  switch (limb) {
    case Limb::LeftArm:
      return frame.left_arm;
    case Limb::RightArm:
      return frame.right_arm;
    case Limb::LeftLeg:
      return frame.left_leg;
    case Limb::RightLeg:
      return frame.right_leg;
  }
  return nullptr;
}

double divisorOf(const BodyKeyframe& frame, Limb limb) {
  return jointCount(limb) == 4 ? frame.arm_divisor : frame.leg_divisor;
}

void driveBody(const BodyKeyframe& frame) {
  for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
    drivePose(limb, rowOf(frame, limb), divisorOf(frame, limb));
  }
}

}  // namespace motion
