// Circling the ball by side steps until the goal to attack lies ahead. From
// the crouch the robot shifts its weight onto one leg, swings the other leg
// out sideways, sets it down and returns to the crouch, where it looks at the
// goal posts again. Only the legs are driven; the arms keep speed 0.
#include <cmath>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

using namespace motion;

constexpr Limb kLeft = Limb::LeftLeg;
constexpr Limb kRight = Limb::RightLeg;

// Sideways lean of the weight shifts (hip and ankle roll), in degrees.
constexpr double kLean = 15;
constexpr double B = kLean;
constexpr Law F = FREE;

// Up to this cycle the gait's hand-over may not have happened yet: crouch.
constexpr int kLastCrouchCycle = 49;

// The goal counts as ahead while the two posts' bearings add up to less than this.
constexpr double kGoalAheadSum = 30;

// In the crouch: kick when the goal is ahead, else step towards it.
void checkGoal() {
  const double bearing_sum = wm::pol_gtr.pal_angle + wm::pol_gtl.pal_angle;
  if (std::fabs(bearing_sum) < kGoalAheadSum) {
    wm::should_around = false;
  } else if (bearing_sum > 0) {
    wm::abt = AB_Move_Body_Left;
  } else {
    wm::abt = AB_Move_Body_Right;
  }
}

// The weight shifts drive only the rolls; the other joints hold the crouch,
// which their reached tests expect. AB_Extend_Left_Leg2 is tested within 1,
// tighter than the 2 of its mirror AB_Extend_Right_Leg2.
// clang-format off
constexpr Phase kPhases[] = {
  {AB_Bend_Down,
   {{kLeft,  P(20), {0,   0, 10, -20,  10,   0}},
    {kRight, P(20), {0,   0, 10, -20,  10,   0}}},
   {{{kLeft, 2}, {kRight, 2}}},
   "I'm Around Balling", nullptr, checkGoal},
  {AB_Move_Body_Left,
   {{kLeft,  P(18), {F,  -B,  F,   F,   F,   B}},
    {kRight, P(18), {F,  -B,  F,   F,   F,   B}}},
   {{{kLeft, 2, {0, -B, 10, -20, 10, B}}, {kRight, 2, {0, -B, 10, -20, 10, B}}},
    AB_Extend_Right_Leg},
   "I'm moving  left"},
  {AB_Move_Body_Right,
   {{kLeft,  P(18), {F,   B,  F,   F,   F,  -B}},
    {kRight, P(18), {F,   B,  F,   F,   F,  -B}}},
   {{{kLeft, 2, {0, B, 10, -20, 10, -B}}, {kRight, 2, {0, B, 10, -20, 10, -B}}},
    AB_Extend_Left_Leg},
   "I'm moving  left"},
  {AB_Extend_Right_Leg,
   {{kLeft,  P(18), {0,  -B, 10, -20,  10,   B}},
    {kRight, P(18), {0, -30, 10, -20,  10,  30}}},
   {{{kRight, 2}}, AB_Extend_Right_Leg2}},
  {AB_Extend_Right_Leg2,
   {{kLeft,  P(18), {0,   B, 10, -20,  10,  -B}},
    {kRight, P(18), {0, -30, 20,   0, -20,  30}}},
   {{{kLeft, 2}}, AB_Bend_Down, "ok"}},
  {AB_Extend_Left_Leg,
   {{kLeft,  P(18), {0,  30, 10, -20,  10, -30}},
    {kRight, P(18), {0,   B, 10, -20,  10,  -B}}},
   {{{kLeft, 2}}, AB_Extend_Left_Leg2}},
  {AB_Extend_Left_Leg2,
   {{kLeft,  P(18), {0,  30, 20,   0, -20, -30}},
    {kRight, P(18), {0,  -B, 10, -20,  10,   B}}},
   {{{kRight, 1}}, AB_Bend_Down}},
};
// clang-format on

}  // namespace

void Agent::around_ball() {
  if (wm::Sim_Cycle <= kLastCrouchCycle) wm::abt = AB_Bend_Down;
  wm::best_lr = kLean;
  // Phases 3 to 6 and values outside the phases have no keyframe.
  if (const Phase* phase = find(kPhases, wm::abt)) step(*phase, wm::abt);
}
