// The kick: shift the body onto the supporting leg, lift the kicking leg,
// throw it through and hand control back to the gait. The gait's stop phase
// chooses the side: KB_Move_Body_Left kicks with the right leg,
// KB_Move_Body_Right with the left.
#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

using namespace motion;

constexpr Limb kLeft = Limb::LeftLeg;
constexpr Limb kRight = Limb::RightLeg;

// Sideways lean of the body (hip and ankle roll), in degrees.
constexpr double kLean = 10;
constexpr double b = kLean;

// The kick is over: the gait stands up again.
void backToTheGait() { wm::wft = WF_Stand_Up; }

// The kick phases divide by 0.6, commanding more than the whole remaining
// angle each cycle, so that the leg is thrown rather than placed; they end
// while the swinging ankle passes 0 and the hip pitch nears 30, before the
// swing has finished. The sides are not mirror images: the knees of
// KB_Move_Body_Right and of KB_Kick_Right_Leg go to 0 where the other side's
// are coupled.
// clang-format off
constexpr Phase kPhases[] = {
  {KB_Move_Body_Left,
   {{kLeft,  P(10),  {0, -b,  0,   K,   0,  b}},
    {kRight, P(10),  {0, -b,  0,   K,   0,  b}}},
   {{{kLeft, 0.8}, {kRight, 0.8}}, KB_Raise_Right_Leg}},
  {KB_Move_Body_Right,
   {{kLeft,  P(10),  {0,  b,  0,   0,   0, -b}},
    {kRight, P(10),  {0,  b,  0,   0,   0, -b}}},
   {{{kLeft, 0.8}, {kRight, 0.8}}, KB_Raise_Left_Leg},
   "move_body_right_for_kick_over"},
  {KB_Raise_Left_Leg,
   {{kLeft,  P(15),  {0,  b, 25, -60,  35, -b}},
    {kRight, P(15),  {0,  b,  0,   K,   0, -b}}},
   {{{kLeft, 2.8}, {kRight, 1.8}}, KB_Kick_Left_Leg, "raise left over"}},
  {KB_Raise_Right_Leg,
   {{kLeft,  P(15),  {0, -b,  0,   K,   0,  b}},
    {kRight, P(15),  {0, -b, 25, -60,  35,  b}}},
   {{{kLeft, 2}, {kRight, 1.8}}, KB_Kick_Right_Leg}},
  {KB_Kick_Left_Leg,
   {{kLeft,  P(0.6), {0,  b, 30,   0, -10, -b}},
    {kRight, P(0.6), {0,  b,  0,   K,   0, -b}}},
   {{{kLeft, 5.8, {0, b, 30, -10, 0, -b}}}, KB_Bend_Down, "kick left leg", kMark},
   nullptr, nullptr, backToTheGait},
  {KB_Kick_Right_Leg,
   {{kLeft,  P(0.6), {0, -b,  0,   0,   0,  b}},
    {kRight, P(0.6), {0, -b, 30,   0, -10,  b}}},
   {{{kRight, 5.8, {0, -b, 30, -10, 0, b}}}, KB_Bend_Down, "kick right leg", kMark},
   nullptr, nullptr, backToTheGait},
};
// clang-format on

}  // namespace

void Agent::kick_ball() {
  wm::best_lr = kLean;
  // Re-arms the one repositioning after a goal.
  wm::goal_in_cycle = 0;
  // KB_Bend_Down (the kick is over) and 0 (never started) have no phase.
  if (const Phase* phase = find(kPhases, wm::kbs)) step(*phase, wm::kbs);
}
