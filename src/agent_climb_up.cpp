// Standing up after a fall. The robot first probes, legs straight and knees
// bent, whether its left foot touches the ground: with contact it rolls the
// body over (the CU_Rorate_Body phases) and then joins the other branch, which
// pushes the body up on arms and legs into the crouch. Standing is confirmed
// from the foot sensors before the gait takes over again; otherwise the whole
// sequence starts again.
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using namespace motion;

// Cycles held, counted from the mark: the straight-legged probe pose before
// the contact probe, the straightened left leg before the roll, and at most
// the bent left arm.
constexpr int kProbeHold = 50;
constexpr int kStraightHold = 10;
constexpr int kBendHandTimeout = 100;
// A left-foot reading within this many messages counts as contact.
constexpr int kRecentContact = 5;
// More messages than this without any foot reading: the push failed.
constexpr int kFeetStillSilent = 10;
// A foot carries the body after more readings in a row than this, or when
// both feet together feel less force than kLightLoad.
constexpr int kSteadyContact = 20;
constexpr double kLightLoad = 18;

void mark() { wm::Record_Cycle = wm::Sim_Cycle; }

// The contact probe: a recent left-foot reading means the robot lies so that
// it must roll over first; otherwise it can push itself up straight away.
int rollOverOrPushUp() {
  if (wm::lfrp_0_count <= kRecentContact) {
    std::cout << "!!!!!!!!!!!!lfrp_0_count=" << wm::lfrp_0_count;
    return CU_Extend_Body2;
  }
  std::cout << "lfrp_count=" << wm::lfrp_count << "\n";
  return CU_Bend_Hand2;
}

// Both feet still silent after the push: start again, the wait counting from
// the last mark. Otherwise mark and crouch.
int startAgainOrCrouch() {
  if (wm::frp_0_count > kFeetStillSilent) return CU_Extend_Body;
  mark();
  return CU_Bend_Down;
}

bool feetCarryTheBody() {
  const bool loaded = wm::lfrp_count > kSteadyContact || wm::rfrp_count > kSteadyContact ||
                      wm::lfrp.f_z + wm::rfrp.f_z < kLightLoad;
  return loaded && wm::lfrp_0_count == 0 && wm::rfrp_0_count == 0;
}

// Standing: the gait takes over from its crouch. Otherwise the sequence
// starts again (the exit has gone back to CU_Extend_Body).
void checkStanding() {
  if (!feetCarryTheBody()) return;
  std::cout << "Stand_Up successfully " << wm::gyr.x << "\n";
  wm::is_lie_down = false;
  wm::wft = WF_Bend_Down;
}

// Straight legs with the knee bent (the contact probe's pose), and the right
// arm as the body rolls over.
// clang-format off
constexpr Targets kKneeBent = {0, 0, 0, -90, 0, 0};
constexpr Targets kRightArmRolling = {120, 0, 90, 90};

// In CU_Bend_Hand the shoulder is driven to +120 but tested at -120, so it is
// mostly the time-out that ends the phase. In CU_Rorate_Body the right leg is
// not driven.
constexpr Phase kPhases[] = {
  Phase(CU_Extend_Body)
      .driveArms(P(5), kArmsDown)
      .driveLegs(P(5), kKneeBent)
      .reached(kLeftLeg, 3).waitMoreThan(kProbeHold)
      .markWhenLeft()
      .next(rollOverOrPushUp),
  Phase(CU_Extend_Body2)
      .driveArms(P(5), kArmsDown)
      .drive(kLeftLeg,  P(5),  kStraightLeg)
      .drive(kRightLeg, P(5),  kKneeBent)
      .reached(kLeftLeg, 3).waitMoreThan(kStraightHold)
      .markWhenLeft()
      .next(CU_Bend_Hand),
  Phase(CU_Bend_Hand)
      .drive(kLeftArm,  P(10), {{120, P(10, 100)}, 0, -90, -60})
      .drive(kRightArm, P(10), {0, 0, 20, 90})
      .drive(kLeftLeg,  P(10), {0, 0, 0, {-108, P(10, 100)}, -65, 0})
      .drive(kRightLeg, P(10), {-30, 0, 90, 0, 0, 0})
      .reached(kLeftArm, 1, {-120, 0, -90, -60}).timeOutAfter(kBendHandTimeout)
      .next(CU_Rorate_Body),
  Phase(CU_Rorate_Body)
      .drive(kLeftArm,  P(10), {90, 0, 0, 0})
      .drive(kRightArm, P(10), kRightArmRolling)
      .drive(kLeftLeg,  P(10), {0, 0, 90, 0, 0, 0})
      .reached(kRightArm, 2)
      .next(CU_Rorate_Body2),
  Phase(CU_Rorate_Body2)
      .drive(kLeftArm,  P(10), {120, 0, 0, 0})
      .drive(kRightArm, P(10), kRightArmRolling)
      .drive(kLeftLeg,  P(10), kStraightLeg)
      .drive(kRightLeg, P(10), kKneeBent)
      .reached(kRightLeg, 0.5)
      .next(CU_Bend_Hand2),
  Phase(CU_Bend_Hand2)
      .driveArms(P(20), {-98, 0, 0, 0})
      .driveLegs(P(20), {0, 0, 0, 0, -10, 0})
      .reached(kLeftLeg, 1)
      .markWhenLeft()
      .next(CU_Push_Hand),
  Phase(CU_Push_Hand)
      .driveArms(P(1), kPushingArms)
      .drive(kLeftLeg,  P(60), kLeftLegFolded)
      .drive(kRightLeg, P(60), kRightLegFolded)
      .reached(kLeftLeg, 4)
      .markWhenLeft()
      .next(CU_Bend_Down2),
  Phase(CU_Bend_Down2)
      .driveArms(P(10), kPushingArms)
      .drive(kLeftLeg,  P(30), kLeftLegSquatting)
      .drive(kRightLeg, P(30), kRightLegSquatting)
      .reached(kLeftLeg, 1.8)
      .next(startAgainOrCrouch),
  Phase(CU_Bend_Down)
      .driveArms(P(90), kArmsDown)
      .driveLegs(P(30), kCrouch)
      .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
      .markWhenLeft()
      .whenLeft(checkStanding)
      .next(CU_Extend_Body),
};
// clang-format on

}  // namespace

void Agent::climb_up() {
  // CU_Rorate_Hand, CU_Rorate_Body3 and values outside the phases have no
  // keyframe: every joint keeps the speed 0 of the cycle.
  if (const Phase* phase = find(kPhases, wm::cut)) step(*phase, wm::cut);
}

motion::PhaseList motion::standUpPhases() { return listOf(kPhases); }
