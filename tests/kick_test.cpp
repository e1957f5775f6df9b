#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const double b = 10;  // the kick's roll amplitude

class Kick : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::Sim_Cycle = 700;
    wm::Record_Cycle = 3;
    wm::wft = WF_Stop_Walk_Over;
  }
  std::string kick(int phase) {
    wm::kbs = static_cast<KickT>(phase);
    wm::goal_in_cycle = 1;
    CaptureStdout();
    agent.kick_ball();
    return GetCapturedStdout();
  }
  Agent agent{nullptr};
};

TEST_F(Kick, EveryCallSetsRollAndRearmsTheGoalBeamEvenWhenIdle) {
  for (int phase : {0, int(KB_Bend_Down)}) {
    wm::agent.exec_ang_lle3 = 1;  // not cleared: the cycle clears speeds
    EXPECT_EQ(kick(phase), "");
    EXPECT_EQ(wm::best_lr, b);
    EXPECT_EQ(wm::goal_in_cycle, 0);
    EXPECT_EQ(wm::kbs, phase);
    EXPECT_EQ(wm::agent.exec_ang_lle3, 1);
  }
}

// Coupled knees see hip and ankle pitch; the other knees go straight to their
// target; the kick phases command more than the whole remaining angle.
TEST_F(Kick, PhasesDriveBothLegsWithTheirDivisorAndKnees) {
  // clang-format off
  const struct {
    KickT phase;
    Pose left, right;
    Speeds speeds;
  } cases[] = {
      {KB_Move_Body_Left, {0, 0, 5, -20, -2, 0}, {0, 0, 0, -20, 0, 0},
       {{J::lle2, -1}, {J::lle3, -0.5}, {J::lle5, 0.2}, {J::lle4, 0.3}, {J::lle6, 1}, {J::rle4, 0}}},
      {KB_Move_Body_Right, {0, 0, 5, -20, -2, 0}, {0, 0, 0, -20, 0, 0},
       {{J::lle2, 1}, {J::lle4, 2}, {J::rle4, 2}, {J::rle6, -1}}},
      {KB_Raise_Left_Leg, {0, 0, 0, -20, 0, 0}, {0, 0, 3, -20, 0, 0},
       {{J::lle3, 25.0 / 15}, {J::lle4, -40.0 / 15}, {J::lle5, 35.0 / 15}, {J::rle4, 0.2}}},
      {KB_Raise_Right_Leg, {3, 0, 3, -20, 0, 0}, {0, 0, 0, -20, 0, 0},
       {{J::lle1, -0.2}, {J::lle4, 0.2}, {J::rle3, 25.0 / 15}, {J::rle4, -40.0 / 15}}},
      {KB_Kick_Left_Leg, {0, b, 0, -60, 35, -b}, {0, b, 0, -20, 6, -b},
       {{J::lle3, 50}, {J::lle5, -75}, {J::lle4, 100}, {J::rle4, 10}}},
      {KB_Kick_Right_Leg, {0, -b, 0, -20, 6, b}, {0, -b, 0, -60, 35, b},
       {{J::lle4, 20 / 0.6}, {J::lle5, -10}, {J::rle3, 50}, {J::rle5, -75}, {J::rle4, 100}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    setLegs(c.left, c.right);
    kick(c.phase);
    expectSpeeds(c.speeds, c.phase);
  }
}

// Each case: a pose that ends the phase, and one joint that holds it when
// moved to exactly its tolerance (or beyond).
TEST_F(Kick, TransitionsAtTheirStrictTolerancesAndTheirLines) {
  // clang-format off
  const struct {
    KickT phase;
    Pose left, right;
    KickT next;
    std::string line;
    J holder;
    double hold_at;
  } cases[] = {
      {KB_Move_Body_Left, {0, -b, 0, 9, 0, b}, {0, -b, 0, 9, 0, b}, KB_Raise_Right_Leg, "",
       J::rle1, 0.8},
      {KB_Raise_Right_Leg, {1.9, -b, 0, 9, 0, b}, {0, -b, 25, 0, 35, b}, KB_Kick_Right_Leg, "",
       J::lle1, 2},
      {KB_Raise_Left_Leg, {0, b, 25, 0, 35, -b}, {0, b, 0, 9, 0, -b}, KB_Kick_Left_Leg,
       "raise left over\n", J::rle1, 1.8},
      {KB_Kick_Left_Leg, {0, b, 30, -50, 0, -b}, {30, 30, 30, 30, 30, 30}, KB_Bend_Down,
       "kick left leg\n", J::lle5, 6},
      {KB_Kick_Right_Leg, {30, 30, 30, 30, 30, 30}, {0, -b, 30, -50, 0, b}, KB_Bend_Down,
       "kick right leg\n", J::rle5, 5.8},
  };
  // clang-format on
  for (const auto& c : cases) {
    SetUp();
    setLegs(c.left, c.right);
    wm::agent.set_cur_ang(c.holder, c.hold_at);
    EXPECT_EQ(kick(c.phase), "");
    EXPECT_EQ(wm::kbs, c.phase);
    EXPECT_EQ(wm::wft, WF_Stop_Walk_Over);

    setLegs(c.left, c.right);
    EXPECT_EQ(kick(c.phase), c.line);
    EXPECT_EQ(wm::kbs, c.next);
    const bool over = c.next == KB_Bend_Down;
    EXPECT_EQ(wm::wft, over ? WF_Stand_Up : WF_Stop_Walk_Over) << c.phase;
    EXPECT_EQ(wm::Record_Cycle, over ? 700 : 3) << c.phase;
  }
}

TEST_F(Kick, MoveBodyRightReportsOnEveryCall) {
  setLegs({0, b, 0, 9, 0, -b}, {0, b, 0, 9, 0, 0});
  EXPECT_EQ(kick(KB_Move_Body_Right), "move_body_right_for_kick_over\n");
  EXPECT_EQ(wm::kbs, KB_Move_Body_Right);
  setLegs({0, b, 0, 9, 0, -b}, {0, b, 0, 9, 0, -b});
  EXPECT_EQ(kick(KB_Move_Body_Right), "move_body_right_for_kick_over\n");
  EXPECT_EQ(wm::kbs, KB_Raise_Left_Leg);
}

}  // namespace
