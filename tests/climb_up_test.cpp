#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

class ClimbUp : public testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::Sim_Cycle = 1000;
    wm::is_lie_down = true;
  }
  // One call from `phase`; returns what it printed.
  std::string step(ClimbUpT phase) {
    wm::cut = phase;
    testing::internal::CaptureStdout();
    agent_.climb_up();
    return testing::internal::GetCapturedStdout();
  }
  Agent agent_{nullptr};
};

TEST_F(ClimbUp, PhasesWithoutKeyframeDoNothing) {
  for (int phase : {0, 3, 11, 12}) {
    EXPECT_EQ(step(static_cast<ClimbUpT>(phase)), "");
    EXPECT_EQ(wm::cut, phase);
    for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
      EXPECT_EQ(wm::agent.exec_ang(static_cast<JointId>(j)), 0);
    }
  }
}

TEST_F(ClimbUp, DrivesTheSpecialCells) {
  setLimb(Limb::RightLeg, {5, 5, 5, 5, 5, 5});
  step(CU_Rorate_Body);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(wm::agent.exec_ang(limbJoint(Limb::RightLeg, k)), 0);
  step(CU_Bend_Hand);
  EXPECT_DOUBLE_EQ(wm::agent.exec_ang_lle4, -108.0 / 10 * 100);
  step(CU_Push_Hand);
  EXPECT_DOUBLE_EQ(wm::agent.exec_ang_rae1, -20);
}

// The tested limb at its row holds with its first joint exactly at the
// tolerance, driven back by the phase's divisor, and moves on just inside it,
// whatever the knee does.
TEST_F(ClimbUp, LeavesEachPhaseJustInsideItsTolerance) {
  using L = Limb;
  struct Case {
    ClimbUpT phase;
    Limb limb;
    std::vector<double> row;
    double tol;
    ClimbUpT next;
    bool marks;
    double first_speed;  // of joint 1 while holding: (target - current) / D
  };
  const Case cases[] = {
      {CU_Extend_Body2, L::LeftLeg, {0, 0, 0, 0, 0, 0}, 3, CU_Bend_Hand, true, -0.6},
      {CU_Bend_Hand, L::LeftArm, {-120, 0, -90, -60}, 1, CU_Rorate_Body, false, 2390},
      {CU_Rorate_Body, L::RightArm, {120, 0, 90, 90}, 2, CU_Rorate_Body2, false, -0.2},
      {CU_Rorate_Body2, L::RightLeg, {0, 0, 0, -90, 0, 0}, 0.5, CU_Bend_Hand2, false, -0.05},
      {CU_Bend_Hand2, L::LeftLeg, {0, 0, 0, 0, -10, 0}, 1, CU_Push_Hand, true, -0.05},
      {CU_Push_Hand, L::LeftLeg, {-90, 45, 100, -130, 75, -45}, 4, CU_Bend_Down2, true, -1.0 / 15},
      {CU_Bend_Down2, L::LeftLeg, {0, 45, 100, -130, 30, -45}, 1.8, CU_Bend_Down, true, -0.06},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    wm::Record_Cycle = wm::Sim_Cycle - 20;
    std::vector<double> pose = c.row;
    pose[0] += c.tol;
    if (pose.size() == 6) pose[3] += 50;
    setLimb(c.limb, pose);
    step(c.phase);
    EXPECT_EQ(wm::cut, c.phase);
    EXPECT_DOUBLE_EQ(wm::agent.exec_ang(limbJoint(c.limb, 1)), c.first_speed);
    pose[0] -= 0.01;
    setLimb(c.limb, pose);
    step(c.phase);
    EXPECT_EQ(wm::cut, c.next);
    EXPECT_EQ(wm::Record_Cycle, c.marks ? wm::Sim_Cycle : wm::Sim_Cycle - 20);
  }
}

TEST_F(ClimbUp, WaitsHoldAtTheirLimit) {
  setLimb(Limb::LeftLeg, {0, 0, 0, 0, 0, 0});
  wm::Record_Cycle = wm::Sim_Cycle - 10;
  step(CU_Extend_Body2);
  EXPECT_EQ(wm::cut, CU_Extend_Body2);
  // The shoulder at its target +120 never passes the test at -120.
  setLimb(Limb::LeftArm, {120, 0, -90, -60});
  wm::Record_Cycle = wm::Sim_Cycle - 100;
  step(CU_Bend_Hand);
  EXPECT_EQ(wm::cut, CU_Bend_Hand);
  ++wm::Sim_Cycle;
  step(CU_Bend_Hand);
  EXPECT_EQ(wm::cut, CU_Rorate_Body);
}

TEST_F(ClimbUp, ContactProbeAfterTheWaitChoosesTheBranch) {
  setLimb(Limb::LeftLeg, {0, 0, 0, -90, 0, 0});
  wm::Record_Cycle = wm::Sim_Cycle - 50;
  wm::lfrp_0_count = 5;
  EXPECT_EQ(step(CU_Extend_Body), "");
  ++wm::Sim_Cycle;
  EXPECT_EQ(step(CU_Extend_Body), "!!!!!!!!!!!!lfrp_0_count=5");
  EXPECT_EQ(wm::cut, CU_Extend_Body2);
  EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle);
  wm::Sim_Cycle += 51;
  wm::lfrp_0_count = 6;
  wm::lfrp_count = 7;
  EXPECT_EQ(step(CU_Extend_Body), "lfrp_count=7\n");
  EXPECT_EQ(wm::cut, CU_Bend_Hand2);
  EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle);
}

TEST_F(ClimbUp, SilentFeetAfterThePushStartAgainWithoutMark) {
  setLimb(Limb::LeftLeg, {0, 45, 100, -130, 30, -45});
  wm::frp_0_count = 11;
  step(CU_Bend_Down2);
  EXPECT_EQ(wm::cut, CU_Extend_Body);
  EXPECT_EQ(wm::Record_Cycle, 0);
  wm::frp_0_count = 10;
  step(CU_Bend_Down2);
  EXPECT_EQ(wm::cut, CU_Bend_Down);
}

TEST_F(ClimbUp, StandingCheckNeedsLoadAndBothFeetReporting) {
  struct Case {
    int lfrp_count, rfrp_count;
    double force_sum;
    int lfrp_0_count, rfrp_0_count;
    bool standing;
  };
  const Case cases[] = {{25, 0, 50, 0, 0, true},
                        {25, 0, 50, 0, 1, false},
                        {0, 21, 50, 0, 0, true},
                        {20, 20, 18, 0, 0, false},
                        {20, 20, 17.9, 0, 0, true},
                        {20, 20, 17.9, 1, 0, false},
                        {20, 20, std::nan(""), 0, 0, false}};
  for (const Case& c : cases) {
    SetUp();
    setLimb(Limb::LeftLeg, {0, 0, 10, -20, 10, 0});
    setLimb(Limb::RightLeg, {0, 0, 10, -20, 10, 0});
    wm::lfrp_count = c.lfrp_count;
    wm::rfrp_count = c.rfrp_count;
    wm::lfrp.f_z = c.force_sum;
    wm::lfrp_0_count = c.lfrp_0_count;
    wm::rfrp_0_count = c.rfrp_0_count;
    wm::gyr.x = 0.25;
    SCOPED_TRACE(testing::Message() << c.lfrp_count << " " << c.force_sum);
    EXPECT_EQ(step(CU_Bend_Down), c.standing ? "Stand_Up successfully 0.25\n" : "");
    EXPECT_EQ(wm::is_lie_down, !c.standing);
    EXPECT_EQ(wm::wft, c.standing ? WF_Bend_Down : 0);
    EXPECT_EQ(wm::cut, CU_Extend_Body);
    EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle);
  }
}

}  // namespace
