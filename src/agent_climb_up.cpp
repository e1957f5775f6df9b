// Standing up after a fall. The robot first probes, legs straight and knees
// bent, whether its left foot touches the ground: with contact it rolls the
// body over (the CU_Rorate_Body phases) and then joins the other branch, which
// pushes the body up on arms and legs into the crouch. Standing is confirmed
// from the foot sensors before the gait takes over again; otherwise the whole
// sequence starts again.
#include <iostream>

#include "agent.h"
#include "motion.h"
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

// A recent left-foot reading means the robot lies so that it must roll over
// first; otherwise it can push itself up straight away.
void probeContact() {
  if (wm::lfrp_0_count <= kRecentContact) {
    std::cout << "!!!!!!!!!!!!lfrp_0_count=" << wm::lfrp_0_count;
    mark();
    wm::cut = CU_Extend_Body2;
  } else {
    std::cout << "lfrp_count=" << wm::lfrp_count << "\n";
    mark();
    wm::cut = CU_Bend_Hand2;
  }
}

// Both feet still silent after the push: start again, the wait counting from
// the last mark.
void leaveBendDown2() {
  if (wm::frp_0_count > kFeetStillSilent) {
    wm::cut = CU_Extend_Body;
  } else {
    mark();
    wm::cut = CU_Bend_Down;
  }
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

// In CU_Bend_Hand the shoulder is driven to +120 but tested at -120, so it is
// mostly the time-out that ends the phase. In CU_Rorate_Body the right leg is
// not driven.
// clang-format off
constexpr Phase kPhases[] = {
  {CU_Extend_Body,
   {{kLeftArm,  P(5),  {-90, 0, 0, 0}},        {kRightArm, P(5), {-90, 0, 0, 0}},
    {kLeftLeg,  P(5),  {0, 0, 0, -90, 0, 0}},  {kRightLeg, P(5), {0, 0, 0, -90, 0, 0}}},
   {{{kLeftLeg, 3}}, kStay, nullptr, false, kProbeHold}, nullptr, nullptr, probeContact},
  {CU_Extend_Body2,
   {{kLeftArm,  P(5),  {-90, 0, 0, 0}},        {kRightArm, P(5), {-90, 0, 0, 0}},
    {kLeftLeg,  P(5),  {0, 0, 0, 0, 0, 0}},    {kRightLeg, P(5), {0, 0, 0, -90, 0, 0}}},
   {{{kLeftLeg, 3}}, CU_Bend_Hand, nullptr, kMark, kStraightHold}},
  {CU_Bend_Hand,
   {{kLeftArm,  P(10), {{120, P(10, 100)}, 0, -90, -60}},
    {kRightArm, P(10), {0, 0, 20, 90}},
    {kLeftLeg,  P(10), {0, 0, 0, {-108, P(10, 100)}, -65, 0}},
    {kRightLeg, P(10), {-30, 0, 90, 0, 0, 0}}},
   {{{kLeftArm, 1, {-120, 0, -90, -60}}}, CU_Rorate_Body, nullptr, false, kNoWait,
    kBendHandTimeout}},
  {CU_Rorate_Body,
   {{kLeftArm,  P(10), {90, 0, 0, 0}},         {kRightArm, P(10), {120, 0, 90, 90}},
    {kLeftLeg,  P(10), {0, 0, 90, 0, 0, 0}}},
   {{{kRightArm, 2}}, CU_Rorate_Body2}},
  {CU_Rorate_Body2,
   {{kLeftArm,  P(10), {120, 0, 0, 0}},        {kRightArm, P(10), {120, 0, 90, 90}},
    {kLeftLeg,  P(10), {0, 0, 0, 0, 0, 0}},    {kRightLeg, P(10), {0, 0, 0, -90, 0, 0}}},
   {{{kRightLeg, 0.5}}, CU_Bend_Hand2}},
  {CU_Bend_Hand2,
   {{kLeftArm,  P(20), {-98, 0, 0, 0}},        {kRightArm, P(20), {-98, 0, 0, 0}},
    {kLeftLeg,  P(20), {0, 0, 0, 0, -10, 0}},  {kRightLeg, P(20), {0, 0, 0, 0, -10, 0}}},
   {{{kLeftLeg, 1}}, CU_Push_Hand, nullptr, kMark}},
  {CU_Push_Hand,
   {{kLeftArm,  P(1),  {-20, 0, 0, 0}},        {kRightArm, P(1), {-20, 0, 0, 0}},
    {kLeftLeg,  P(60), {-90, 45, 100, -130, 75, -45}},
    {kRightLeg, P(60), {-90, -45, 100, -130, 75, 45}}},
   {{{kLeftLeg, 4}}, CU_Bend_Down2, nullptr, kMark}},
  {CU_Bend_Down2,
   {{kLeftArm,  P(10), {-20, 0, 0, 0}},        {kRightArm, P(10), {-20, 0, 0, 0}},
    {kLeftLeg,  P(30), {0, 45, 100, -130, 30, -45}},
    {kRightLeg, P(30), {0, -45, 100, -130, 30, 45}}},
   {{{kLeftLeg, 1.8}}}, nullptr, nullptr, leaveBendDown2},
  {CU_Bend_Down,
   {{kLeftArm,  P(90), {-90, 0, 0, 0}},        {kRightArm, P(90), {-90, 0, 0, 0}},
    {kLeftLeg,  P(30), {0, 0, 10, -20, 10, 0}}, {kRightLeg, P(30), {0, 0, 10, -20, 10, 0}}},
   {{{kLeftLeg, 0.8}, {kRightLeg, 0.8}}, CU_Extend_Body, nullptr, kMark},
   nullptr, nullptr, checkStanding},
};
// clang-format on

}  // namespace

void Agent::climb_up() {
  // CU_Rorate_Hand, CU_Rorate_Body3 and values outside the phases have no
  // keyframe: every joint keeps the speed 0 of the cycle.
  if (const Phase* phase = find(kPhases, wm::cut)) step(*phase, wm::cut);
}
