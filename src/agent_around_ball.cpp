// Circling the ball by side steps until the goal to attack lies ahead. From
// the crouch the robot shifts its weight onto one leg, swings the other leg
// out sideways, sets it down and returns to the crouch, where it looks at the
// goal posts again. Only the legs are driven; the arms keep speed 0.
#include <cmath>
#include <initializer_list>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

// Sideways lean of the weight shifts (hip and ankle roll), in degrees.
constexpr double kLean = 15;
constexpr double B = kLean;
constexpr double F = motion::FREE;

// The goal counts as ahead while the two posts' bearings add up to less than this.
constexpr double kGoalAheadSum = 30;

struct Keyframe {
  AroundBallT phase;
  const char* line;  // printed in every call of the phase, or nullptr
  double divisor;
  double left_leg[6], right_leg[6];
};

// Lines printed in every call of their phases.
const char* const kCrouching = "I'm Around Balling";
const char* const kShifting = "I'm moving  left";

// clang-format off
const Keyframe kKeyframes[] = {
  // phase               line        D   left leg                      right leg
  {AB_Bend_Down,         kCrouching, 20, {0,  0, 10, -20,  10,   0}, {0,   0, 10, -20,  10,  0}},
  {AB_Move_Body_Left,    kShifting,  18, {F, -B,  F,   F,   F,   B}, {F,  -B,  F,   F,   F,  B}},
  {AB_Move_Body_Right,   kShifting,  18, {F,  B,  F,   F,   F,  -B}, {F,   B,  F,   F,   F, -B}},
  {AB_Extend_Right_Leg,  nullptr,    18, {0, -B, 10, -20,  10,   B}, {0, -30, 10, -20,  10, 30}},
  {AB_Extend_Right_Leg2, nullptr,    18, {0,  B, 10, -20,  10,  -B}, {0, -30, 20,   0, -20, 30}},
  {AB_Extend_Left_Leg,   nullptr,    18, {0, 30, 10, -20,  10, -30}, {0,   B, 10, -20,  10, -B}},
  {AB_Extend_Left_Leg2,  nullptr,    18, {0, 30, 20,   0, -20, -30}, {0,  -B, 10, -20,  10,  B}},
};
// clang-format on

const Keyframe* keyframeOf(AroundBallT phase) {
  for (const Keyframe& frame : kKeyframes) {
    if (frame.phase == phase) return &frame;
  }
  return nullptr;
}

bool reached(Limb limb, std::initializer_list<double> row, double tol) {
  return motion::reached(limb, row.begin(), tol);
}

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

void advance() {
  const Limb left = Limb::LeftLeg, right = Limb::RightLeg;
  switch (wm::abt) {
    case AB_Bend_Down:
      if (reached(left, {0, 0, 10, -20, 10, 0}, 2) && reached(right, {0, 0, 10, -20, 10, 0}, 2)) {
        checkGoal();
      }
      return;
    // The weight shifts drive only the rolls; the other joints hold the crouch.
    case AB_Move_Body_Left:
      if (reached(left, {0, -B, 10, -20, 10, B}, 2) && reached(right, {0, -B, 10, -20, 10, B}, 2)) {
        wm::abt = AB_Extend_Right_Leg;
      }
      return;
    case AB_Move_Body_Right:
      if (reached(left, {0, B, 10, -20, 10, -B}, 2) && reached(right, {0, B, 10, -20, 10, -B}, 2)) {
        wm::abt = AB_Extend_Left_Leg;
      }
      return;
    case AB_Extend_Right_Leg:
      if (reached(right, {0, -30, 10, -20, 10, 30}, 2)) wm::abt = AB_Extend_Right_Leg2;
      return;
    case AB_Extend_Right_Leg2:
      if (reached(left, {0, B, 10, -20, 10, -B}, 2)) {
        std::cout << "ok\n";
        wm::abt = AB_Bend_Down;
      }
      return;
    case AB_Extend_Left_Leg:
      if (reached(left, {0, 30, 10, -20, 10, -30}, 2)) wm::abt = AB_Extend_Left_Leg2;
      return;
    case AB_Extend_Left_Leg2:
      // Tolerance 1, tighter than the 2 of the mirrored AB_Extend_Right_Leg2.
      if (reached(right, {0, -B, 10, -20, 10, B}, 1)) wm::abt = AB_Bend_Down;
      return;
    default:
      return;
  }
}

}  // namespace

void Agent::around_ball() {
  // In the first cycles the gait's hand-over may not have happened yet: crouch.
  if (wm::Sim_Cycle <= 49) wm::abt = AB_Bend_Down;
  wm::best_lr = kLean;
  // Phases 3 to 6 and values outside the phases have no keyframe.
  const Keyframe* frame = keyframeOf(wm::abt);
  if (frame == nullptr) return;
  if (frame->line != nullptr) std::cout << frame->line << "\n";
  motion::drivePose(Limb::LeftLeg, frame->left_leg, frame->divisor);
  motion::drivePose(Limb::RightLeg, frame->right_leg, frame->divisor);
  advance();
}
