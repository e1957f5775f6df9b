// Plays the gait and the kick against a tiny body model, from a fresh start
// to the end of the kick.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "agent.h"
#include "world_model.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

// Degrees a joint turns in one 20 ms cycle per unit of commanded speed.
const double kDegreesPerSpeed = 0.02 * 180 / std::acos(-1.0);

// A foot touches the ground while its knee is bent less than 40 degrees.
bool onGround(double knee) {
  return knee > -40;
}

void countContact(bool contact, int& count, int& zero_count) {
  count = contact ? count + 1 : 0;
  zero_count = contact ? 0 : zero_count + 1;
}

// Moves every limb joint by its commanded speed and reports the feet.
void advanceBody() {
  for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
    const int count = limb == Limb::LeftLeg || limb == Limb::RightLeg ? 6 : 4;
    for (int k = 1; k <= count; ++k) {
      const JointId joint = limbJoint(limb, k);
      const double speed = wm::agent.exec_ang(joint);
      ASSERT_TRUE(std::isfinite(speed)) << static_cast<int>(joint);
      wm::agent.set_cur_ang(joint, wm::agent.get_cur_ang(joint) + speed * kDegreesPerSpeed);
    }
  }
  countContact(onGround(wm::agent.get_cur_ang_lle4()), wm::lfrp_count, wm::lfrp_0_count);
  countContact(onGround(wm::agent.get_cur_ang_rle4()), wm::rfrp_count, wm::rfrp_0_count);
  ++wm::Sim_Cycle;
}

struct Played {
  std::vector<int> walk_phases;
  std::vector<int> kick_phases;
  std::string out;
};

// Runs the motions as the decision picks them until the kick hands back to
// the gait. The ball comes 0.15 closer with every step; it lies at
// `ball_angle`, or at `turned_angle` once a turn on the spot is done.
Played play(double ball_angle, double turned_angle) {
  wm::reset();
  wm::agent.shank_length = 0.11;
  wm::agent.thigh_length = 0.14;
  wm::Walk_Cycle = 303;
  wm::pm = PM_PLAY_ON;
  wm::pol_ball.pal_angle = ball_angle;
  wm::dis_to_ball = 0.8;
  Agent agent(nullptr);
  Played played;
  CaptureStdout();
  for (int cycle = 0; cycle < 5000 && !wm::is_lie_down; ++cycle) {
    agent.empty_exec();
    const bool walking = wm::wft != WF_Stop_Walk_Over;
    walking ? agent.walk() : agent.kick_ball();
    std::vector<int>& phases = walking ? played.walk_phases : played.kick_phases;
    const int phase = walking ? int(wm::wft) : int(wm::kbs);
    if (phases.empty() || phases.back() != phase) {
      if (!phases.empty() && phases.back() == WF_Bend_Down2) wm::pol_ball.pal_angle = turned_angle;
      phases.push_back(phase);
      if (phase == WF_Extend_Left_Leg || phase == WF_Extend_Right_Leg) wm::dis_to_ball -= 0.15;
    }
    if (!walking && wm::wft == WF_Stand_Up) break;
    advanceBody();
  }
  played.out = GetCapturedStdout();
  return played;
}

TEST(GaitSequence, WalksTwoStepsStopsAndKicksWithTheLeftLeg) {
  const Played p = play(3, 3);
  EXPECT_FALSE(wm::is_lie_down);
  EXPECT_THAT(
      p.walk_phases,
      ElementsAre(WF_Stand_Up, WF_Bend_Down, WF_Move_Body_Right, WF_Raise_Left_Leg,
                  WF_Extend_Left_Leg, WF_Raise_Right_Leg, WF_Extend_Right_Leg, WF_Raise_Left_Leg2,
                  WF_Extend_Left_Leg, WF_Raise_Right_Leg, WF_Extend_Right_Leg, WF_Raise_Left_Leg2,
                  WF_Stop_Walk, WF_Stop_Walk_Over));
  EXPECT_FALSE(wm::should_around);
  EXPECT_THAT(p.kick_phases,
              ElementsAre(KB_Move_Body_Right, KB_Raise_Left_Leg, KB_Kick_Left_Leg, KB_Bend_Down));
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  EXPECT_THAT(p.out, HasSubstr("raise left over\nkick left leg\n"));
}

TEST(GaitSequence, BallOnTheLeftKicksWithTheRightLeg) {
  const Played p = play(-3, -3);
  EXPECT_FALSE(wm::is_lie_down);
  EXPECT_EQ(p.walk_phases.back(), WF_Stop_Walk_Over);
  EXPECT_THAT(p.kick_phases,
              ElementsAre(KB_Move_Body_Left, KB_Raise_Right_Leg, KB_Kick_Right_Leg, KB_Bend_Down));
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  EXPECT_THAT(p.out, HasSubstr("kick right leg\n"));
}

TEST(GaitSequence, TurnsOnTheSpotBeforeWalkingToABallFarRight) {
  const Played p = play(12, 2);
  EXPECT_FALSE(wm::is_lie_down);
  ASSERT_GE(p.walk_phases.size(), 9u);
  EXPECT_THAT(
      std::vector<int>(p.walk_phases.begin(), p.walk_phases.begin() + 9),
      ElementsAre(WF_Stand_Up, WF_Bend_Down, WF_Move_Body_Right, WF_Raise_Left_Leg, WF_Bend_Down2,
                  WF_Bend_Down, WF_Move_Body_Right, WF_Raise_Left_Leg, WF_Extend_Left_Leg));
  EXPECT_EQ(p.walk_phases.back(), WF_Stop_Walk_Over);
  EXPECT_EQ(p.kick_phases.back(), KB_Bend_Down);
}

}  // namespace
