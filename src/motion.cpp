#include "motion.h"

#include <cmath>
#include <iostream>

#include "world_model.h"

namespace {

// The current angle and the commanded speed of joint k (1-based) of a limb.
double current(Limb limb, int k) { return wm::agent.get_cur_ang(limbJoint(limb, k)); }
double& speed(Limb limb, int k) { return wm::agent.exec_ang(limbJoint(limb, k)); }

// Number of joints of a limb: 4 for an arm, 6 for a leg.
int jointCount(Limb limb) { return limb == Limb::LeftLeg || limb == Limb::RightLeg ? 6 : 4; }

// The gait stops for a ball closer than this.
const double kStopDistance = 0.3;

// The motions convert with this value of pi, not the library's.
const double kPi = 3.1415926;

double toRadians(double degrees) { return degrees / 180 * kPi; }

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
  return wm::dis_to_ball < kStopDistance;
}

namespace {

// The speed of a joint of `limb` by `law`, the cell's own or its row's.
double speedOf(Limb limb, JointId joint, const Cell& cell, const Law& law) {
  auto rest = [&] {
    return (cell.rule != nullptr ? cell.rule() : cell.target) - wm::agent.get_cur_ang(joint);
  };
  switch (law.kind) {
    case LawKind::kProportional:
      return rest() * law.gain / law.divisor;
    case LawKind::kStepped:
      return law.gain * steppedSpeed(law.scale * rest());
    case LawKind::kSteppedOver:
      return steppedSpeed(rest() / law.divisor);
    case LawKind::kKnee:
      return coupledKnee(limb);
    case LawKind::kSteppedKnee:
      return steppedSpeed(coupledKnee(limb));
    default:
      return 0;
  }
}

void drive(const Row& row) {
  static const int kArmOrder[] = {1, 2, 3, 4};
  static const int kLegOrder[] = {1, 2, 3, 5, 6, 4};
  const int count = jointCount(row.limb);
  const int* order = count == 6 ? kLegOrder : kArmOrder;
  for (int i = 0; i < count; ++i) {
    const int k = order[i];
    const Cell& cell = row.targets.cells[k - 1];
    const Law& law = cell.law.kind == LawKind::kRowLaw ? row.law : cell.law;
    if (law.kind == LawKind::kFree) continue;
    const JointId joint = limbJoint(row.limb, k);
    wm::agent.exec_ang(joint) = speedOf(row.limb, joint, cell, law);
  }
}

bool waitedMoreThan(int cycles) { return wm::Sim_Cycle - wm::Record_Cycle > cycles; }

bool reachedExit(const Phase& phase) {
  if (phase.timeout != Phase::kNoWait && waitedMoreThan(phase.timeout)) return true;
  if (phase.test_count == 0) return false;
  for (int t = 0; t < phase.test_count; ++t) {
    const Test& test = phase.tests[t];
    if (!reached(test.limb, test.pose.angles, test.tol)) return false;
  }
  return phase.min_wait == Phase::kNoWait || waitedMoreThan(phase.min_wait);
}

}  // namespace

bool ends(const Phase& phase) {
  if (phase.line != nullptr) std::cout << phase.line << "\n";
  for (int r = 0; r < phase.row_count; ++r) drive(phase.rows[r]);
  const bool reached = reachedExit(phase);
  return phase.every_cycle != nullptr ? phase.every_cycle(reached) : reached;
}

int leave(const Phase& phase) {
  if (phase.marks) wm::Record_Cycle = wm::Sim_Cycle;
  if (phase.leaving_line != nullptr) std::cout << phase.leaving_line << "\n";
  if (phase.when_left != nullptr) phase.when_left();
  if (phase.next_choice != nullptr) return phase.next_choice();
  return phase.next_phase == Phase::kStay ? phase.id : phase.next_phase;
}

}  // namespace motion
