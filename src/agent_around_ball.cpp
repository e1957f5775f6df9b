// Circling the ball by side steps until the goal to attack lies ahead. From
// the crouch the robot shifts its weight onto one leg, swings the other leg
// out sideways, sets it down and returns to the crouch, where it looks at the
// goal posts again. Only the legs are driven; the arms keep speed 0.
#include <cmath>

#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using namespace motion;

// Sideways lean of the weight shifts (hip and ankle roll), in degrees.
constexpr double kCirclingLean = 15;

// Up to this cycle the gait's hand-over may not have happened yet: crouch.
constexpr int kLastCrouchCycle = 49;

// The goal counts as ahead while the two posts' bearings add up to less than this.
constexpr double kGoalAheadSum = 30;

// In the crouch: with the goal ahead, stay and hand over to the kick; else
// step towards the goal.
int kickOrStepTowardsTheGoal() {
  const double bearing_sum = wm::pol_gtr.pal_angle + wm::pol_gtl.pal_angle;
  if (std::fabs(bearing_sum) < kGoalAheadSum) {
    wm::should_around = false;
    return AB_Bend_Down;
  }
  return bearing_sum > 0 ? AB_Move_Body_Left : AB_Move_Body_Right;
}

// The crouch leaning onto the left or the right leg (hip and ankle roll).
// clang-format off
constexpr Targets kLeaningLeft  = {0, -kCirclingLean, 10, -20, 10,  kCirclingLean};
constexpr Targets kLeaningRight = {0,  kCirclingLean, 10, -20, 10, -kCirclingLean};

// The weight shifts drive only the rolls; the other joints hold the crouch,
// which their reached tests expect. AB_Extend_Left_Leg2 is tested within 1,
// tighter than the 2 of its mirror AB_Extend_Right_Leg2.
constexpr Phase kPhases[] = {
  Phase(AB_Bend_Down)
      .print("I'm Around Balling")
      .driveLegs(P(20), kCrouch)
      .reached(kLeftLeg, 2).reached(kRightLeg, 2)
      .next(kickOrStepTowardsTheGoal),
  Phase(AB_Move_Body_Left)
      .print("I'm moving  left")
      .driveLegs(P(18), {FREE, -kCirclingLean, FREE, FREE, FREE,  kCirclingLean})
      .reached(kLeftLeg, 2, kLeaningLeft).reached(kRightLeg, 2, kLeaningLeft)
      .next(AB_Extend_Right_Leg),
  Phase(AB_Move_Body_Right)
      .print("I'm moving  left")
      .driveLegs(P(18), {FREE,  kCirclingLean, FREE, FREE, FREE, -kCirclingLean})
      .reached(kLeftLeg, 2, kLeaningRight).reached(kRightLeg, 2, kLeaningRight)
      .next(AB_Extend_Left_Leg),
  Phase(AB_Extend_Right_Leg)
      .drive(kLeftLeg,  P(18), kLeaningLeft)
      .drive(kRightLeg, P(18), {0, -30, 10, -20,  10,  30})
      .reached(kRightLeg, 2)
      .next(AB_Extend_Right_Leg2),
  Phase(AB_Extend_Right_Leg2)
      .drive(kLeftLeg,  P(18), kLeaningRight)
      .drive(kRightLeg, P(18), {0, -30, 20,   0, -20,  30})
      .reached(kLeftLeg, 2)
      .printWhenLeft("ok")
      .next(AB_Bend_Down),
  Phase(AB_Extend_Left_Leg)
      .drive(kLeftLeg,  P(18), {0,  30, 10, -20,  10, -30})
      .drive(kRightLeg, P(18), kLeaningRight)
      .reached(kLeftLeg, 2)
      .next(AB_Extend_Left_Leg2),
  Phase(AB_Extend_Left_Leg2)
      .drive(kLeftLeg,  P(18), {0,  30, 20,   0, -20, -30})
      .drive(kRightLeg, P(18), kLeaningLeft)
      .reached(kRightLeg, 1)
      .next(AB_Bend_Down),
};
// clang-format on

}  // namespace

void Agent::around_ball() {
  const AroundBallT now = wm::Sim_Cycle <= kLastCrouchCycle ? AB_Bend_Down : wm::abt;
  wm::best_lr = kCirclingLean;
  // Phases 3 to 6 and values outside the phases have no keyframe.
  if (const Phase* phase = find(kPhases, now)) step(*phase, wm::abt);
}

motion::PhaseList motion::circlingPhases() { return listOf(kPhases); }
