#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

using Row = std::vector<double>;

const Row kCrouch = {0, 0, 10, -20, 10, 0};
const Row kElsewhere = {50, 50, 50, 50, 50, 50};
// A leg leaning 15 degrees (the lean of every call) by hip and ankle roll.
const Row kLeanLeft = {0, -15, 10, -20, 10, 15};
const Row kLeanRight = {0, 15, 10, -20, 10, -15};

class AroundBall : public testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::Sim_Cycle = 50;
    wm::should_around = true;
  }
  // One call from `phase`; returns what it printed.
  std::string step(int phase) {
    wm::abt = static_cast<AroundBallT>(phase);
    testing::internal::CaptureStdout();
    agent_.around_ball();
    return testing::internal::GetCapturedStdout();
  }
  Agent agent_{nullptr};
};

TEST_F(AroundBall, PhasesWithoutKeyframeDoNothingButSetTheLean) {
  for (int phase : {0, 4, 12}) {
    wm::best_lr = 3;
    EXPECT_EQ(step(phase), "");
    EXPECT_EQ(wm::abt, phase);
    EXPECT_EQ(wm::best_lr, 15);
    for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
      EXPECT_EQ(wm::agent.exec_ang(static_cast<JointId>(j)), 0);
    }
  }
}

TEST_F(AroundBall, WeightShiftDrivesOnlyTheRolls) {
  setLimb(Limb::LeftLeg, {5, 5, 5, 5, 5, 5});
  setLimb(Limb::RightLeg, {5, 5, 5, 5, 5, 5});
  EXPECT_EQ(step(AB_Move_Body_Left), "I'm moving  left\n");
  EXPECT_DOUBLE_EQ(speed(Limb::LeftLeg, 2), -20.0 / 18);
  EXPECT_DOUBLE_EQ(speed(Limb::RightLeg, 6), 10.0 / 18);
  for (int k : {1, 3, 4, 5}) {
    EXPECT_EQ(speed(Limb::LeftLeg, k), 0);
    EXPECT_EQ(speed(Limb::RightLeg, k), 0);
  }
}

TEST_F(AroundBall, CrouchesInTheFirstFiftyCycles) {
  wm::Sim_Cycle = 49;
  EXPECT_EQ(step(AB_Extend_Left_Leg), "I'm Around Balling\n");
  EXPECT_EQ(wm::abt, AB_Bend_Down);
  EXPECT_DOUBLE_EQ(speed(Limb::LeftLeg, 3), 10.0 / 20);
  wm::Sim_Cycle = 50;
  EXPECT_EQ(step(AB_Extend_Left_Leg), "");
  EXPECT_DOUBLE_EQ(speed(Limb::LeftLeg, 2), 30.0 / 18);
}

// The tested legs at their rows (an untested leg far away) hold with the
// ankle roll of the last tested leg exactly at the tolerance, driving it back
// with divisor 18, and move on just inside it.
TEST_F(AroundBall, LeavesEachStepPhaseJustInsideItsTolerance) {
  struct Case {
    AroundBallT phase;
    Row left, right;  // empty: not tested
    double tol;
    AroundBallT next;
    const char* printed;
  };
  const Case cases[] = {
      {AB_Move_Body_Left, kLeanLeft, kLeanLeft, 2, AB_Extend_Right_Leg, "I'm moving  left\n"},
      {AB_Move_Body_Right, kLeanRight, kLeanRight, 2, AB_Extend_Left_Leg, "I'm moving  left\n"},
      {AB_Extend_Right_Leg, {}, {0, -30, 10, -20, 10, 30}, 2, AB_Extend_Right_Leg2, ""},
      {AB_Extend_Right_Leg2, kLeanRight, {}, 2, AB_Bend_Down, "ok\n"},
      {AB_Extend_Left_Leg, {0, 30, 10, -20, 10, -30}, {}, 2, AB_Extend_Left_Leg2, ""},
      {AB_Extend_Left_Leg2, {}, kLeanLeft, 1, AB_Bend_Down, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    Row left = c.left.empty() ? kElsewhere : c.left;
    Row right = c.right.empty() ? kElsewhere : c.right;
    Row& last = c.right.empty() ? left : right;
    last[5] += c.tol;
    setLimb(Limb::LeftLeg, left);
    setLimb(Limb::RightLeg, right);
    step(c.phase);
    EXPECT_EQ(wm::abt, c.phase);
    EXPECT_DOUBLE_EQ(speed(c.right.empty() ? Limb::LeftLeg : Limb::RightLeg, 6), -c.tol / 18);
    last[5] -= 0.01;
    setLimb(Limb::LeftLeg, left);
    setLimb(Limb::RightLeg, right);
    EXPECT_EQ(step(c.phase), c.printed);
    EXPECT_EQ(wm::abt, c.next);
  }
}

TEST_F(AroundBall, InTheCrouchKicksOnceTheGoalIsWithinThirtyDegrees) {
  struct Case {
    double left_post, right_post;
    bool around;
    AroundBallT next;
  };
  const Case cases[] = {
      {10, 19.9, false, AB_Bend_Down},      {-10, -19.9, false, AB_Bend_Down},
      {-40, 40, false, AB_Bend_Down},       {10, 20, true, AB_Move_Body_Left},
      {-10, -20, true, AB_Move_Body_Right},
  };
  setLimb(Limb::LeftLeg, kCrouch);
  setLimb(Limb::RightLeg, kCrouch);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left_post + c.right_post);
    wm::should_around = true;
    wm::pol_gtl.pal_angle = c.left_post;
    wm::pol_gtr.pal_angle = c.right_post;
    EXPECT_EQ(step(AB_Bend_Down), "I'm Around Balling\n");
    EXPECT_EQ(wm::should_around, c.around);
    EXPECT_EQ(wm::abt, c.next);
  }
  Row off = kCrouch;
  off[0] = 2;
  setLimb(Limb::RightLeg, off);
  step(AB_Bend_Down);
  EXPECT_TRUE(wm::should_around);
}

}  // namespace
