// The walking gait: a keyframe machine over wm::wft. It stands up, crouches,
// shifts the body onto the right leg and then steps forward with alternating
// legs, steering by the hip yaw, turning on the spot when the ball is far off
// to one side, and stopping next to the ball, where it hands over to the kick
// or to circling the ball.
#include <algorithm>
#include <cmath>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using namespace motion;

// Sideways lean of the body (hip and ankle roll), in degrees.
constexpr double kWalkLean = 6.5;
// The steering angle is the ball's angle limited to this many degrees.
constexpr double kMaxSteering = 4;
// A ball further off than this at the first lift of a walk: turn on the spot.
constexpr double kTurnAngle = 10;
// Circle the ball before kicking when the bearings of the attacked goal's
// posts add up to more than this.
constexpr double kGoalOffSum = 30;
// A swinging foot has landed after more readings in a row than this.
constexpr int kLanded = 8;
// Fall marks: more messages than this without a reading of the supporting
// right foot (crouching, lifting the left leg, turning), or of a foot that
// should have landed.
constexpr int kSupportSilent = 10;
constexpr int kLandingSilent = 80;

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
  if (p > 0) return std::min(p, kMaxSteering);
  if (p < 0) return std::max(p, -kMaxSteering);
  return 0;
}

// Targets computed in each cycle: the supporting leg's hip yaw steers towards
// the ball, and its ankle keeps the hip at the height recorded at the lift.
double rightYaw() { return wm::turn_ang > 0 ? -wm::turn_ang : 0; }
double leftYaw() { return wm::turn_ang < 0 ? wm::turn_ang : 0; }
double turningYaw() { return wm::turn_ang > 0 ? -2 * wm::turn_ang : 0; }
double rightAnkle() { return heightKeepingAnkle(kRightLeg); }
double leftAnkle() { return heightKeepingAnkle(kLeftLeg); }

// Special rules, run in every call of their phase; each returns whether the
// phase ends.
bool crouching(bool reached) {
  ++wm::Walk_Cycle;
  fallMarkIf(wm::rfrp_0_count > kSupportSilent || wm::lfrp_0_count > 30);
  return reached;
}
bool liftingFirst(bool reached) {
  fallMarkIf(wm::rfrp_0_count > kSupportSilent);
  return reached;
}
bool liftingAgain(bool reached) {
  fallMarkIf(wm::rfrp_0_count > 3);
  return reached;
}
// A swinging leg has come down once its foot is on the ground, reached or
// not; a foot in the air for long marks a fall.
bool leftLanding(bool reached) {
  const bool landed = wm::lfrp_count > kLanded || reached;
  if (!landed) fallMarkIf(wm::lfrp_0_count > kLandingSilent);
  return landed;
}
bool rightLanding(bool reached) {
  const bool landed = wm::rfrp_count > kLanded || reached;
  if (!landed) fallMarkIf(wm::rfrp_0_count > kLandingSilent);
  return landed;
}
bool turning(bool reached) {
  std::cout << "wm::pol_ball.pal_angle=" << wm::pol_ball.pal_angle << "\n";
  fallMarkIf(wm::rfrp_0_count > kSupportSilent);
  return reached;
}

// Choices of the next phase, made as their phase is left.
// Standing (each such call counted): crouch once play is on or the own
// kick-off has come.
int crouchOncePlayStarts() {
  ++wm::Walk_Cycle;
  return wm::pm == PM_PLAY_ON || wm::pm == PM_KICK_OFF_LEFT ? WF_Bend_Down : WF_Stand_Up;
}
// The lifts record the supporting leg's height for the extend phase; the
// first lift of a walk turns on the spot for a ball far off to one side,
// the later ones stop for a ball close by.
int extendLeftOrTurn() {
  recordLegHeight(kRightLeg);
  return std::fabs(wm::pol_ball.pal_angle) > kTurnAngle ? WF_Bend_Down2 : WF_Extend_Left_Leg;
}
int extendOrStop(Limb supporting_leg, WalkForwardT extend) {
  recordLegHeight(supporting_leg);
  return ballCloseEnoughToStop() ? WF_Stop_Walk : extend;
}
int extendLeftOrStop() { return extendOrStop(kRightLeg, WF_Extend_Left_Leg); }
int extendRightOrStop() { return extendOrStop(kLeftLeg, WF_Extend_Right_Leg); }

// Hooks run as their phase is left. After a turn the left foot must report
// again soon.
void turnedRight() { fallMarkIf(wm::lfrp_0_count > kLandingSilent); }
void turnedLeft() { fallMarkIf(wm::lfrp_0_count > 2); }
// Back in the crouch: choose the kicking side and whether to circle the ball
// first, and leave the gait.
void handOver() {
  wm::kbs = wm::pol_ball.pal_angle < 0 ? KB_Move_Body_Left : KB_Move_Body_Right;
  wm::should_around = std::fabs(wm::pol_gtl.pal_angle + wm::pol_gtr.pal_angle) > kGoalOffSum;
  wm::abt = AB_Bend_Down;
}

// Lifting the left leg, the right one supporting: the first lift of a walk
// (WF_Raise_Left_Leg) and the later ones (WF_Raise_Left_Leg2) move alike.
// clang-format off
constexpr Phase kLiftingTheLeftLeg =
  Phase()
      .drive(kLeftLeg,  S(2), {0, kWalkLean, 40, {-70, S(2, 2)}, 30, -kWalkLean})
      .drive(kRightLeg, S(2), {0, kWalkLean, 10, -20, 10, -kWalkLean})
      .reached(kLeftLeg, 2.8).reached(kRightLeg, 3.8);

// The two extend phases are not mirror images: each keeps its own divisor,
// swing hip pitch and ankle, reached poses and tolerances.
constexpr Phase kPhases[] = {
  Phase(WF_Stand_Up)
      .driveArms(P(20), kArmsDown)
      .driveLegs(P(20), kStraightLeg)
      .reached(kLeftArm, 0.6).reached(kRightArm, 0.6)
      .reached(kLeftLeg, 0.6).reached(kRightLeg, 0.6)
      .next(crouchOncePlayStarts),
  Phase(WF_Bend_Down)
      .driveLegs(P(20), kCrouch)
      .reached(kLeftLeg, 1.8).reached(kRightLeg, 1.8)
      .everyCycle(crouching)
      .next(WF_Move_Body_Right),
  Phase(WF_Move_Body_Right)
      .driveLegs(S(1), {0, kWalkLean, 10, SK, 10, -kWalkLean})
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .printWhenLeft("9")
      .next(WF_Raise_Left_Leg),
  kLiftingTheLeftLeg.as(WF_Raise_Left_Leg)
      .everyCycle(liftingFirst)
      .next(extendLeftOrTurn),
  kLiftingTheLeftLeg.as(WF_Raise_Left_Leg2)
      .everyCycle(liftingAgain)
      .next(extendLeftOrStop),
  Phase(WF_Extend_Left_Leg)
      .drive(kLeftLeg,  P(21), {0, -kWalkLean, {16, P(21, 2)}, {-20, P(21, 2.8)}, {4, P(21, 3)},
                                kWalkLean})
      .drive(kRightLeg, P(21), {computed(rightYaw), -kWalkLean / 3, {-15, P(21, 1.1)}, K,
                                computed(rightAnkle), kWalkLean / 3})
      .reached(kLeftLeg,  0.8, {0, -10, 10, -20, 10, 10})
      .reached(kRightLeg, 0.8, {0, -10, 0, -25, 25, 10})
      .everyCycle(leftLanding)
      .printWhenLeft("WF_Raise_Right_Leg")
      .next(WF_Raise_Right_Leg),
  Phase(WF_Raise_Right_Leg)
      .drive(kLeftLeg,  S(2), {0, -kWalkLean, 10, -20, 10, kWalkLean})
      .drive(kRightLeg, S(2), {0, -kWalkLean, 40, {-70, S(2, 2)}, 30, kWalkLean})
      .reached(kRightLeg, 2.8)
      .next(extendRightOrStop),
  Phase(WF_Extend_Right_Leg)
      .drive(kLeftLeg,  P(22), {computed(leftYaw), kWalkLean / 3, {-15, P(22, 1.1)}, K,
                                computed(leftAnkle), -kWalkLean / 3})
      .drive(kRightLeg, P(22), {0, kWalkLean, {17, P(22, 2)}, {-20, P(22, 2.8)}, {3, P(22, 3)},
                                -kWalkLean})
      .reached(kLeftLeg,  2.8, {0, 10, 0, -10, 10, -10})
      .reached(kRightLeg, 2.8, {0, 10, 10, -20, 10, -10})
      .everyCycle(rightLanding)
      .next(WF_Raise_Left_Leg2),
  Phase(WF_Stop_Walk)
      .driveLegs(P(10), kCrouch)
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .whenLeft(handOver)
      .next(WF_Stop_Walk_Over),
};

// Turning on the spot (WF_Bend_Down2): the left leg swings one way or the
// other by the side of the ball while the right leg, supporting, yaws
// towards it. A ball straight ahead (or an angle that is not a number)
// leaves the left leg still and the phase never ends.
constexpr Targets kTurningSupport =
    {computed(turningYaw), kWalkLean, 10, -20, 10, -kWalkLean};
constexpr Phase kTurnBallRight =
  Phase(WF_Bend_Down2)
      .drive(kLeftLeg,  S(0.5),   {0, kWalkLean, 15, {-10, S(0.5, 2)}, -5, -kWalkLean})
      .drive(kRightLeg, SOver(2), kTurningSupport)
      .reached(kLeftLeg, 4.8)
      .everyCycle(turning)
      .whenLeft(turnedRight)
      .next(WF_Bend_Down);
constexpr Phase kTurnBallLeft =
  Phase(WF_Bend_Down2)
      .drive(kLeftLeg,  S(1),     {0, kWalkLean, {0, S(1, 2)}, {-30, S(1, 2)}, {25, S(1, 1.5)},
                                   -kWalkLean})
      .drive(kRightLeg, SOver(1), kTurningSupport)
      .reached(kLeftLeg, 4.8)
      .everyCycle(turning)
      .whenLeft(turnedLeft)
      .next(WF_Bend_Down);
constexpr Phase kTurnBallAhead =
  Phase(WF_Bend_Down2)
      .drive(kRightLeg, SOver(1), kTurningSupport)
      .everyCycle(turning);
// clang-format on

// The phase to run; the other values of wft have no movement, and
// WF_Stop_Walk_Over is the gait's exit.
const Phase* phaseOf(WalkForwardT phase) {
  if (phase != WF_Bend_Down2) return find(kPhases, phase);
  const double p = wm::pol_ball.pal_angle;
  return p < 0 ? &kTurnBallRight : p > 0 ? &kTurnBallLeft : &kTurnBallAhead;
}

}  // namespace

void Agent::walk() {
  // A fresh walk starts standing, unless it is crouching already.
  const bool fresh = wm::wft != WF_Bend_Down && wm::Walk_Cycle == kFreshWalkCycle;
  empty_exec();
  wm::best_lr = kWalkLean;
  wm::turn_ang = steeringAngle(wm::pol_ball.pal_angle);
  if (const Phase* phase = phaseOf(fresh ? WF_Stand_Up : wm::wft)) step(*phase, wm::wft);
}

motion::PhaseList motion::walkPhases() {
  PhaseList phases = listOf(kPhases);
  phases.insert(phases.end(), {&kTurnBallRight, &kTurnBallLeft, &kTurnBallAhead});
  return phases;
}
