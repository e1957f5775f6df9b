// The kick: shift the body onto the supporting leg, lift the kicking leg,
// throw it through and hand control back to the gait. The gait's stop phase
// chooses the side: KB_Move_Body_Left kicks with the right leg,
// KB_Move_Body_Right with the left.
#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using namespace motion;

// Sideways lean of the body (hip and ankle roll), in degrees.
constexpr double kKickLean = 10;

// The kick is over: the gait stands up again.
void backToTheGait() { wm::wft = WF_Stand_Up; }

// A leg while the other one kicks: the body's weight on the left or on the
// right leg, the knee coupled.
// clang-format off
constexpr Targets kOnTheLeftLeg  = {0, -kKickLean, 0, K, 0,  kKickLean};
constexpr Targets kOnTheRightLeg = {0,  kKickLean, 0, K, 0, -kKickLean};

// The kick phases divide by 0.6, commanding more than the whole remaining
// angle each cycle, so that the leg is thrown rather than placed; they end
// while the swinging ankle passes 0 and the hip pitch nears 30, before the
// swing has finished. The sides are not mirror images: the knees of
// KB_Move_Body_Right and of KB_Kick_Right_Leg go to 0 where the other side's
// are coupled.
constexpr Phase kPhases[] = {
  Phase(KB_Move_Body_Left)
      .driveLegs(P(10), kOnTheLeftLeg)
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .next(KB_Raise_Right_Leg),
  Phase(KB_Move_Body_Right)
      .print("move_body_right_for_kick_over")
      .driveLegs(P(10), {0, kKickLean, 0, 0, 0, -kKickLean})
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .next(KB_Raise_Left_Leg),
  Phase(KB_Raise_Left_Leg)
      .drive(kLeftLeg,  P(15),  {0,  kKickLean, 25, -60,  35, -kKickLean})
      .drive(kRightLeg, P(15),  kOnTheRightLeg)
      .reached(kLeftLeg, 2.8).reached(kRightLeg, 1.8)
      .printWhenLeft("raise left over")
      .next(KB_Kick_Left_Leg),
  Phase(KB_Raise_Right_Leg)
      .drive(kLeftLeg,  P(15),  kOnTheLeftLeg)
      .drive(kRightLeg, P(15),  {0, -kKickLean, 25, -60,  35,  kKickLean})
      .reached(kLeftLeg, 2).reached(kRightLeg, 1.8)
      .next(KB_Kick_Right_Leg),
  Phase(KB_Kick_Left_Leg)
      .drive(kLeftLeg,  P(0.6), {0,  kKickLean, 30,   0, -10, -kKickLean})
      .drive(kRightLeg, P(0.6), kOnTheRightLeg)
      .reached(kLeftLeg, 5.8, {0, kKickLean, 30, -10, 0, -kKickLean})
      .markWhenLeft().printWhenLeft("kick left leg")
      .whenLeft(backToTheGait)
      .next(KB_Bend_Down),
  Phase(KB_Kick_Right_Leg)
      .drive(kLeftLeg,  P(0.6), {0, -kKickLean,  0,   0,   0,  kKickLean})
      .drive(kRightLeg, P(0.6), {0, -kKickLean, 30,   0, -10,  kKickLean})
      .reached(kRightLeg, 5.8, {0, -kKickLean, 30, -10, 0, kKickLean})
      .markWhenLeft().printWhenLeft("kick right leg")
      .whenLeft(backToTheGait)
      .next(KB_Bend_Down),
};
// clang-format on

}  // namespace

void Agent::kick_ball() {
  wm::best_lr = kKickLean;
  // Re-arms the one repositioning after a goal.
  wm::goal_in_cycle = 0;
  // KB_Bend_Down (the kick is over) and 0 (never started) have no phase.
  if (const Phase* phase = find(kPhases, wm::kbs)) step(*phase, wm::kbs);
}

motion::PhaseList motion::kickPhases() { return listOf(kPhases); }
