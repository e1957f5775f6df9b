// The walking gait: a keyframe machine over wm::wft. It stands up, crouches,
// shifts the body onto the right leg and then steps forward with alternating
// legs, steering by the hip yaw, turning on the spot when the ball is far off
// to one side, and stopping next to the ball, where it hands over to the kick
// or to circling the ball.
//
// Each phase is a table: per limb a row of targets (degrees) and a row of the
// laws that turn them into speeds, written in a fixed joint order, followed by
// the phase's reached tests and transitions.
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

constexpr Limb kLeftArm = Limb::LeftArm;
constexpr Limb kRightArm = Limb::RightArm;
constexpr Limb kLeftLeg = Limb::LeftLeg;
constexpr Limb kRightLeg = Limb::RightLeg;

// How a cell turns its target T into a speed; S(x) is the stepped law
// steppedSpeed and cur the joint's current angle.
enum class LawKind {
  kProportional,  // (T - cur) * gain / divisor
  kStepped,       // gain * S(scale * (T - cur))
  kSteppedOver,   // S((T - cur) / divisor)
  kKnee,          // coupled knee, no target
  kSteppedKnee,   // S(coupled knee)
};

struct Law {
  LawKind kind;
  double divisor;
  double scale;
  double gain;
};

// P D, and P D ×g.
constexpr Law P(double divisor, double gain = 1) {
  return {LawKind::kProportional, divisor, 1, gain};
}
// S k, and m·S k.
constexpr Law S(double scale, double gain = 1) {
  return {LawKind::kStepped, 1, scale, gain};
}
// S /D.
constexpr Law SOver(double divisor) {
  return {LawKind::kSteppedOver, divisor, 1, 1};
}
constexpr Law K{LawKind::kKnee, 1, 1, 1};
constexpr Law SK{LawKind::kSteppedKnee, 1, 1, 1};

// Target of a cell whose law has none (the coupled knees).
constexpr double kNone = 0;

using Laws = std::array<Law, 6>;

// One law for every joint of a limb.
constexpr Laws all(Law law) {
  return {law, law, law, law, law, law};
}

// One limb of a keyframe: targets (degrees) and laws for joints 1..6; an arm
// uses 1..4.
struct Row {
  Limb limb;
  std::array<double, 6> targets;
  Laws laws;
};

// Orders of writing the joints of a limb. Knee last lets a coupled knee see
// this cycle's hip-pitch and ankle-pitch speeds.
const int kKneeLast[] = {1, 2, 3, 5, 6, 4};
const int kNatural[] = {1, 2, 3, 4, 5, 6};

double jointSpeed(Limb limb, int k, double target, const Law& law) {
  const double rest = target - motion::current(limb, k);
  switch (law.kind) {
    case LawKind::kProportional:
      return rest * law.gain / law.divisor;
    case LawKind::kStepped:
      return law.gain * motion::steppedSpeed(law.scale * rest);
    case LawKind::kSteppedOver:
      return motion::steppedSpeed(rest / law.divisor);
    case LawKind::kKnee:
      return motion::coupledKnee(limb);
    case LawKind::kSteppedKnee:
      return motion::steppedSpeed(motion::coupledKnee(limb));
  }
  return 0;
}

// Writes the rows one after the other, each limb in the given joint order.
void drive(std::initializer_list<Row> rows, const int* order = kKneeLast) {
  for (const Row& row : rows) {
    for (int i = 0; i < motion::jointCount(row.limb); ++i) {
      const int k = order[i];
      motion::speed(row.limb, k) = jointSpeed(row.limb, k, row.targets[k - 1], row.laws[k - 1]);
    }
  }
}

// The reached test of one limb; the knee value is passed but not compared.
bool at(Limb limb, const std::array<double, 6>& pose, double tol) {
  return motion::reached(limb, pose.data(), tol);
}

// A passed contact limit marks the robot as fallen; the decision then stands
// it up.
void fallMarkIf(bool limit_passed) {
  if (!limit_passed) return;
  wm::is_lie_down = true;
  wm::Record_Cycle = wm::Sim_Cycle;
}

// The ball angle limited to -4..4 degrees; 0 for a ball straight ahead or an
// angle that is not a number.
double steeringAngle(double p) {
  if (p > 0) return std::min(p, 4.0);
  if (p < 0) return std::max(p, -4.0);
  return 0;
}

void standUp() {
  // clang-format off
  drive({{kLeftArm,  {-90, 0, 0, 0},       all(P(20))},
                {kRightArm, {-90, 0, 0, 0},       all(P(20))},
                {kLeftLeg,  {0, 0, 0, 0, 0, 0},   all(P(20))},
                {kRightLeg, {0, 0, 0, 0, 0, 0},   all(P(20))}},
        kNatural);
  // clang-format on
  const bool reached = at(kLeftArm, {-90, 0, 0, 0}, 0.6) && at(kRightArm, {-90, 0, 0, 0}, 0.6) &&
                       at(kLeftLeg, {0, 0, 0, 0, 0, 0}, 0.6) &&
                       at(kRightLeg, {0, 0, 0, 0, 0, 0}, 0.6);
  if (!reached) return;
  if (wm::pm == PM_PLAY_ON || wm::pm == PM_KICK_OFF_LEFT) wm::wft = WF_Bend_Down;
  ++wm::Walk_Cycle;
}

// Both legs straight to the crouch (bend down, stop), knees driven directly.
void crouch(double divisor) {
  drive({{kLeftLeg, {0, 0, 10, -20, 10, 0}, all(P(divisor))},
         {kRightLeg, {0, 0, 10, -20, 10, 0}, all(P(divisor))}});
}

bool bothLegsAt(const std::array<double, 6>& pose, double tol) {
  return at(kLeftLeg, pose, tol) && at(kRightLeg, pose, tol);
}

void bendDown() {
  crouch(20);
  ++wm::Walk_Cycle;
  fallMarkIf(wm::rfrp_0_count > 10 || wm::lfrp_0_count > 30);
  if (bothLegsAt({0, 0, 10, -20, 10, 0}, 1.8)) wm::wft = WF_Move_Body_Right;
}

void moveBodyRight() {
  const double b = wm::best_lr;
  const Law s = S(1);
  // clang-format off
  drive({{kLeftLeg,  {0, b, 10, kNone, 10, -b}, {s, s, s, SK, s, s}},
                {kRightLeg, {0, b, 10, kNone, 10, -b}, {s, s, s, SK, s, s}}});
  // clang-format on
  if (bothLegsAt({0, b, 10, -20, 10, -b}, 0.8)) {
    wm::wft = WF_Raise_Left_Leg;
    std::cout << "9\n";
  }
}

// Lifts the left leg off the supporting right one; true when the lift is
// complete (WF_Raise_Left_Leg and WF_Raise_Left_Leg2 move alike).
bool raiseLeftLeg(int right_contact_limit) {
  const double b = wm::best_lr;
  const Law s = S(2);
  // clang-format off
  drive({{kLeftLeg,  {0, b, 40, -70, 30, -b}, {s, s, s, S(2, 2), s, s}},
                {kRightLeg, {0, b, 10, -20, 10, -b}, {s, s, s, s,       s, s}}});
  // clang-format on
  fallMarkIf(wm::rfrp_0_count > right_contact_limit);
  return at(kLeftLeg, {0, b, 40, -70, 30, -b}, 2.8) && at(kRightLeg, {0, b, 10, -20, 10, -b}, 3.8);
}

// The first left step of a walk: once lifted, turn on the spot if the ball is
// more than 10 degrees off.
void raiseLeftLegFirst() {
  if (!raiseLeftLeg(10)) return;
  motion::recordLegHeight(kRightLeg);
  wm::wft = WF_Extend_Left_Leg;
  if (std::fabs(wm::pol_ball.pal_angle) > 10) wm::wft = WF_Bend_Down2;
}

// A left step inside a running walk: once lifted, stop if the ball is close.
void raiseLeftLegAgain() {
  if (!raiseLeftLeg(3)) return;
  motion::recordLegHeight(kRightLeg);
  wm::wft = WF_Extend_Left_Leg;
  if (motion::ballCloseEnoughToStop()) wm::wft = WF_Stop_Walk;
}

// The lifted left leg comes down in front while the right leg, steering with
// its hip yaw, keeps the hip at the height recorded at the lift.
void extendLeftLeg() {
  const double b = wm::best_lr;
  const double t = wm::turn_ang;
  const double right_yaw = t > 0 ? -t : 0;
  // clang-format off
  drive({{kLeftLeg,  {0, -b, 16, -20, 4, b},
                            {P(21), P(21), P(21, 2), P(21, 2.8), P(21, 3), P(21)}},
                {kRightLeg, {right_yaw, -b / 3, -15, kNone, motion::heightKeepingAnkle(kRightLeg), b / 3},
                            {P(21), P(21), P(21, 1.1), K, P(21), P(21)}}});
  // clang-format on
  if (wm::lfrp_count > 8 || (at(kLeftLeg, {0, -10, 10, -20, 10, 10}, 0.8) &&
                             at(kRightLeg, {0, -10, 0, -25, 25, 10}, 0.8))) {
    wm::wft = WF_Raise_Right_Leg;
    std::cout << "WF_Raise_Right_Leg\n";
    return;
  }
  fallMarkIf(wm::lfrp_0_count > 80);
}

void raiseRightLeg() {
  const double b = wm::best_lr;
  const Law s = S(2);
  // clang-format off
  drive({{kLeftLeg,  {0, -b, 10, -20, 10, b}, {s, s, s, s,       s, s}},
                {kRightLeg, {0, -b, 40, -70, 30, b}, {s, s, s, S(2, 2), s, s}}});
  // clang-format on
  if (!at(kRightLeg, {0, -b, 40, -70, 30, b}, 2.8)) return;
  wm::wft = WF_Extend_Right_Leg;
  motion::recordLegHeight(kLeftLeg);
  if (motion::ballCloseEnoughToStop()) wm::wft = WF_Stop_Walk;
}

// The mirror of extendLeftLeg, but with its own divisor, hip pitch, ankle and
// reach pose.
void extendRightLeg() {
  const double b = wm::best_lr;
  const double t = wm::turn_ang;
  const double left_yaw = t < 0 ? t : 0;
  // clang-format off
  drive({{kLeftLeg,  {left_yaw, b / 3, -15, kNone, motion::heightKeepingAnkle(kLeftLeg), -b / 3},
                            {P(22), P(22), P(22, 1.1), K, P(22), P(22)}},
                {kRightLeg, {0, b, 17, -20, 3, -b},
                            {P(22), P(22), P(22, 2), P(22, 2.8), P(22, 3), P(22)}}});
  // clang-format on
  if (wm::rfrp_count > 8 || (at(kLeftLeg, {0, 10, 0, -10, 10, -10}, 2.8) &&
                             at(kRightLeg, {0, 10, 10, -20, 10, -10}, 2.8))) {
    wm::wft = WF_Raise_Left_Leg2;
    return;
  }
  fallMarkIf(wm::rfrp_0_count > 80);
}

// Turning on the spot: the left leg swings one way or the other by the side
// of the ball while the right leg yaws towards it. A ball straight ahead (or
// an angle that is not a number) leaves the left leg still.
void bendDown2() {
  const double b = wm::best_lr;
  const double t = wm::turn_ang;
  const double p = wm::pol_ball.pal_angle;
  std::cout << "wm::pol_ball.pal_angle=" << p << "\n";
  if (p < 0) {
    const Law s = S(0.5);
    drive({{kLeftLeg, {0, b, 15, -10, -5, -b}, {s, s, s, S(0.5, 2), s, s}}});
    if (at(kLeftLeg, {0, b, 15, 0, -5, -b}, 4.8)) {
      wm::wft = WF_Bend_Down;
      fallMarkIf(wm::lfrp_0_count > 80);
    }
  } else if (p > 0) {
    const Law s = S(1);
    // clang-format off
    drive({{kLeftLeg, {0, b, 0,       -30,     25,        -b},
                             {s, s, S(1, 2), S(1, 2), S(1, 1.5), s}}});
    // clang-format on
    if (at(kLeftLeg, {0, b, 0, -30, 25, -b}, 4.8)) {
      wm::wft = WF_Bend_Down;
      fallMarkIf(wm::lfrp_0_count > 2);
    }
  }
  fallMarkIf(wm::rfrp_0_count > 10);
  const double right_yaw = t > 0 ? -2 * t : 0;
  drive({{kRightLeg, {right_yaw, b, 10, -20, 10, -b}, all(SOver(p < 0 ? 2 : 1))}});
}

// Back to the crouch; then choose the kicking side and whether to circle the
// ball first, and leave the gait.
void stopWalk() {
  crouch(10);
  if (!bothLegsAt({0, 0, 10, -20, 10, 0}, 0.8)) return;
  wm::wft = WF_Stop_Walk_Over;
  wm::kbs = wm::pol_ball.pal_angle < 0 ? KB_Move_Body_Left : KB_Move_Body_Right;
  wm::should_around = std::fabs(wm::pol_gtl.pal_angle + wm::pol_gtr.pal_angle) > 30;
  wm::abt = AB_Bend_Down;
}

}  // namespace

void Agent::walk() {
  if (wm::wft != WF_Bend_Down && wm::Walk_Cycle == 303) wm::wft = WF_Stand_Up;
  empty_exec();
  wm::best_lr = 6.5;
  wm::turn_ang = steeringAngle(wm::pol_ball.pal_angle);
  switch (wm::wft) {
    case WF_Stand_Up:
      return standUp();
    case WF_Bend_Down:
      return bendDown();
    case WF_Move_Body_Right:
      return moveBodyRight();
    case WF_Raise_Left_Leg:
      return raiseLeftLegFirst();
    case WF_Raise_Left_Leg2:
      return raiseLeftLegAgain();
    case WF_Extend_Left_Leg:
      return extendLeftLeg();
    case WF_Raise_Right_Leg:
      return raiseRightLeg();
    case WF_Extend_Right_Leg:
      return extendRightLeg();
    case WF_Bend_Down2:
      return bendDown2();
    case WF_Stop_Walk:
      return stopWalk();
    default:
      // The other phases have no movement; WF_Stop_Walk_Over is the exit.
      return;
  }
}
