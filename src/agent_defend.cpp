// The goalkeeper. It waits in the ready crouch until the ball comes close,
// then plays one fixed sequence that cannot be interrupted: a diving pose held
// for more than 100 cycles, a second arm pose held as long, and three recovery
// keyframes back into the crouch. The sequence position is `status`, a static
// of defend(); it starts at 1, so the first calls play the sequence whatever
// the ball does.
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using namespace motion;

// The ball counts as close below this distance.
constexpr double kCloseBall = 2.0;
// Cycles a pose is held, counted from the mark.
constexpr int kHold = 100;

// The legs in the dive of statuses 1 and 2: the ankles are driven to 80 but
// tested at 75.
// clang-format off
constexpr Targets kDivingLeg = {0, 0, 10, -20, 80, 0};
constexpr Targets kHeld = {0, 0, 10, -20, 75, 0};

// Statuses 1 and 2: the arms in a pose of their own and the legs in the
// dive, held for more than kHold cycles from the mark.
constexpr Phase holdingTheDive(int status, const Targets& left_arm, const Targets& right_arm) {
  return Phase(status)
      .drive(kLeftArm,  P(5),  left_arm)
      .drive(kRightArm, P(5),  right_arm)
      .driveLegs(P(10), kDivingLeg)
      .reached(kLeftLeg, 0.8, kHeld).reached(kRightLeg, 0.8, kHeld)
      .reached(kLeftArm, 0.8).reached(kRightArm, 0.8)
      .waitMoreThan(kHold)
      .markWhenLeft();
}

// One phase per status, its id the status; every arm and leg joint driven.
constexpr Phase kStatuses[] = {
  Phase(0)
      .driveArms(P(5), {0, 0, 0, 0})
      .driveLegs(P(10), kCrouch)
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .reached(kLeftArm, 0.8).reached(kRightArm, 0.8)
      .markWhenLeft().printWhenLeft("0")
      .next(1),
  holdingTheDive(1, {90, 0, 90, -45}, {90, 0, -90, 45}).printWhenLeft("1").next(2),
  holdingTheDive(2, {0, 0, 90, 0}, {0, 0, -90, 0}).printWhenLeft("2").next(3),
  Phase(3)
      .driveArms(P(1), kPushingArms)
      .drive(kLeftLeg,  P(15), kLeftLegFolded)
      .drive(kRightLeg, P(15), kRightLegFolded)
      .reached(kLeftLeg, 3)
      .next(4),
  Phase(4)
      .driveArms(P(1), kPushingArms)
      .drive(kLeftLeg,  P(30), kLeftLegSquatting)
      .drive(kRightLeg, P(30), kRightLegSquatting)
      .reached(kLeftLeg, 1.8)
      .markWhenLeft().printWhenLeft("0")
      .next(5),
  Phase(5)
      .driveArms(P(90), kArmsDown)
      .driveLegs(P(30), kCrouch)
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .markWhenLeft().printWhenLeft("Stand_Up successfully ")
      .next(0),
};
// clang-format on

}  // namespace

void Agent::defend() {
  static int status = 1;
  std::cout << "the distance to the ball" << wm::dis_to_ball << "\n";
  // Once started, the sequence runs to its end whatever the ball does.
  if (!(wm::dis_to_ball < kCloseBall) && status == 0) return;
  step(kStatuses[status], status);
}

motion::PhaseList motion::goalkeeperStatuses() { return listOf(kStatuses); }
