#include "motion.h"

#include "agent.h"
#include "world_model.h"

namespace motion {

double current(Limb limb, int k) { return wm::agent.get_cur_ang(limbJoint(limb, k)); }

double& speed(Limb limb, int k) { return wm::agent.exec_ang(limbJoint(limb, k)); }

void driveJoint(Limb limb, int k, double target, double divisor, double gain) {
  speed(limb, k) = (target - current(limb, k)) * gain / divisor;
}

static void driveCell(Agent& agent, Limb limb, int k, double target, double divisor) {
  if (target == FREE) return;
  if (target == COUPLED) {
    speed(limb, k) = limb == Limb::LeftLeg ? agent.get_exec_lleg4() : agent.get_exec_rleg4();
    return;
  }
  driveJoint(limb, k, target, divisor);
}

void drivePose(Agent& agent, Limb limb, const double* targets, double divisor) {
  static const int kArmOrder[] = {1, 2, 3, 4};
  static const int kLegOrder[] = {1, 2, 3, 5, 6, 4};
  const bool leg = jointCount(limb) == 6;
  const int* order = leg ? kLegOrder : kArmOrder;
  for (int i = 0; i < jointCount(limb); ++i) {
    driveCell(agent, limb, order[i], targets[order[i] - 1], divisor);
  }
}

bool reached(Agent& agent, Limb limb, const double* t, double tol) {
  switch (limb) {
    case Limb::LeftArm:
      return agent.is_la_reach_ang(t[0], t[1], t[2], t[3], tol);
    case Limb::RightArm:
      return agent.is_ra_reach_ang(t[0], t[1], t[2], t[3], tol);
    case Limb::LeftLeg:
      return agent.is_ll_reach_ang(t[0], t[1], t[2], t[3], t[4], t[5], tol);
    case Limb::RightLeg:
      return agent.is_rl_reach_ang(t[0], t[1], t[2], t[3], t[4], t[5], tol);
  }
  return false;
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

void driveBody(Agent& agent, const BodyKeyframe& frame) {
  for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
    drivePose(agent, limb, rowOf(frame, limb), divisorOf(frame, limb));
  }
}

}  // namespace motion
