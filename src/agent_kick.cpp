// The kick: shift the body onto the supporting leg, lift the kicking leg,
// throw it through and hand control back to the gait. The gait's stop phase
// chooses the side: KB_Move_Body_Left kicks with the right leg,
// KB_Move_Body_Right with the left.
#include <array>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

using Pose = std::array<double, 6>;

constexpr double K = motion::COUPLED;

// The motion of one kick phase: both legs with one divisor, joints written in
// the order 1, 2, 3, 5, 6, 4, left leg first.
struct KickFrame {
  double divisor;
  Pose left;
  Pose right;
};

// The kick phases divide by 0.6, commanding more than the whole remaining
// angle each cycle, so that the leg is thrown rather than placed. The sides
// are not mirror images: the knees of KB_Move_Body_Right and of
// KB_Kick_Right_Leg go to 0 where the other side's are coupled.
KickFrame frameOf(KickT phase, double b) {
  // clang-format off
  switch (phase) {
    case KB_Move_Body_Left:  return {10,  {0, -b,  0,   K,   0,  b}, {0, -b,  0,   K,   0,  b}};
    case KB_Move_Body_Right: return {10,  {0,  b,  0,   0,   0, -b}, {0,  b,  0,   0,   0, -b}};
    case KB_Raise_Left_Leg:  return {15,  {0,  b, 25, -60,  35, -b}, {0,  b,  0,   K,   0, -b}};
    case KB_Raise_Right_Leg: return {15,  {0, -b,  0,   K,   0,  b}, {0, -b, 25, -60,  35,  b}};
    case KB_Kick_Left_Leg:   return {0.6, {0,  b, 30,   0, -10, -b}, {0,  b,  0,   K,   0, -b}};
    case KB_Kick_Right_Leg:
    default:                 return {0.6, {0, -b,  0,   0,   0,  b}, {0, -b, 30,   0, -10,  b}};
  }
  // clang-format on
}

bool at(Limb leg, const Pose& pose, double tol) {
  return motion::reached(leg, pose.data(), tol);
}

// The reached test of a phase. The kick phases end while the swinging ankle
// passes 0 and the hip pitch nears 30, before the swing has finished.
bool phaseReached(KickT phase, double b) {
  const Limb l = Limb::LeftLeg;
  const Limb r = Limb::RightLeg;
  // clang-format off
  switch (phase) {
    case KB_Move_Body_Left:
      return at(l, {0, -b, 0, 0, 0, b}, 0.8) && at(r, {0, -b, 0, 0, 0, b}, 0.8);
    case KB_Move_Body_Right:
      return at(l, {0, b, 0, 0, 0, -b}, 0.8) && at(r, {0, b, 0, 0, 0, -b}, 0.8);
    case KB_Raise_Left_Leg:
      return at(l, {0, b, 25, -60, 35, -b}, 2.8) && at(r, {0, b, 0, 0, 0, -b}, 1.8);
    case KB_Raise_Right_Leg:
      return at(l, {0, -b, 0, 0, 0, b}, 2) && at(r, {0, -b, 25, -60, 35, b}, 1.8);
    case KB_Kick_Left_Leg:
      return at(l, {0, b, 30, -10, 0, -b}, 5.8);
    case KB_Kick_Right_Leg:
    default:
      return at(r, {0, -b, 30, -10, 0, b}, 5.8);
  }
  // clang-format on
}

// The kick is over: back to the gait, and the fall test counts from now.
void finishKick() {
  wm::kbs = KB_Bend_Down;
  wm::wft = WF_Stand_Up;
  wm::Record_Cycle = wm::Sim_Cycle;
}

void advance(KickT phase) {
  switch (phase) {
    case KB_Move_Body_Left:
      wm::kbs = KB_Raise_Right_Leg;
      break;
    case KB_Move_Body_Right:
      wm::kbs = KB_Raise_Left_Leg;
      break;
    case KB_Raise_Left_Leg:
      wm::kbs = KB_Kick_Left_Leg;
      std::cout << "raise left over\n";
      break;
    case KB_Raise_Right_Leg:
      wm::kbs = KB_Kick_Right_Leg;
      break;
    case KB_Kick_Left_Leg:
      finishKick();
      std::cout << "kick left leg\n";
      break;
    case KB_Kick_Right_Leg:
    default:
      finishKick();
      std::cout << "kick right leg\n";
      break;
  }
}

bool isKickPhase(int phase) {
  return phase >= KB_Move_Body_Left && phase <= KB_Kick_Right_Leg;
}

}  // namespace

void Agent::kick_ball() {
  wm::best_lr = 10;
  // Re-arms the one repositioning after a goal.
  wm::goal_in_cycle = 0;
  const KickT phase = wm::kbs;
  if (!isKickPhase(phase)) return;  // KB_Bend_Down: finished; 0: never started
  const double b = wm::best_lr;
  const KickFrame frame = frameOf(phase, b);
  motion::drivePose(Limb::LeftLeg, frame.left.data(), frame.divisor);
  motion::drivePose(Limb::RightLeg, frame.right.data(), frame.divisor);
  if (phase == KB_Move_Body_Right) std::cout << "move_body_right_for_kick_over\n";
  if (phaseReached(phase, b)) advance(phase);
}
