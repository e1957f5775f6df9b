#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class Primitives : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::agent.shank_length = 0.11;
    wm::agent.thigh_length = 0.14;
  }
  Agent agent{nullptr};
};

TEST_F(Primitives, SteppedLawThresholdsAreStrictFromTheTop) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double in, out;
  } cases[] = {{0, 0},  {0.5, 0}, {0.6, 0.1}, {2, 0.1},   {2.01, 0.5}, {10, 0.5},    {10.01, 1},
               {20, 1}, {25, 2},  {-25, -2},  {-1, -0.1}, {-0.5, 0},   {-10.01, -1}, {nan, 0}};
  for (const auto& c : cases) EXPECT_EQ(agent.get_exec_angle(c.in), c.out) << c.in;
}

TEST_F(Primitives, CoupledKneeSeesOnlyTheSpeedsWrittenSoFar) {
  wm::agent.exec_ang_lle3 = 0.5;
  EXPECT_DOUBLE_EQ(agent.get_exec_lleg4(), -0.5);  // ankle not yet written
  wm::agent.exec_ang_lle5 = 0.25;
  EXPECT_DOUBLE_EQ(agent.get_exec_lleg4(), -0.75);
  wm::agent.exec_ang_rle3 = -1;
  wm::agent.exec_ang_rle5 = 3;
  EXPECT_DOUBLE_EQ(agent.get_exec_rleg4(), -2);
}

// Offsets and tolerances are exact binary fractions, so "exactly at the
// tolerance" is exact.
TEST_F(Primitives, ReachedTestsAreStrictAndIgnoreTheKnee) {
  setLimb(Limb::LeftArm, {1, 2, 3, 4});
  EXPECT_TRUE(agent.is_la_reach_ang(1, 2, 3, 4, 0.5));
  EXPECT_FALSE(agent.is_la_reach_ang(1, 2, 3, 4.5, 0.5));
  EXPECT_FALSE(agent.is_la_reach_ang(1, 2, 3, 4, 0));
  setLimb(Limb::RightArm, {1, 2, 3, 4});
  EXPECT_FALSE(agent.is_ra_reach_ang(0.5, 2, 3, 4, 0.5));
  EXPECT_TRUE(agent.is_ra_reach_ang(0.75, 2, 3, 4, 0.5));

  setLimb(Limb::LeftLeg, {0, 10, 20, -70, 30, -10});
  EXPECT_TRUE(agent.is_ll_reach_ang(0, 10, 20, -20, 30, -10, 0.5));  // knee 50 away
  EXPECT_FALSE(agent.is_ll_reach_ang(0, 10, 20, -70, 30.5, -10, 0.5));
  setLimb(Limb::RightLeg, {0, 10, 20, -70, 30, -10});
  EXPECT_TRUE(agent.is_rl_reach_ang(0, 10, 20, 0, 30, -10, 0.5));
  EXPECT_FALSE(agent.is_rl_reach_ang(0, 10, 20, -70, 30, -9.5, 0.5));
  EXPECT_FALSE(agent.is_rl_reach_ang(-0.5, 10, 20, -70, 30, -10, 0.5));
}

TEST_F(Primitives, BendHeightIsStoredAndPrinted) {
  CaptureStdout();
  agent.get_l_bend_height();
  EXPECT_EQ(GetCapturedStdout(), "0.25\n");
  EXPECT_DOUBLE_EQ(wm::agent.bend_height, 0.25);

  setLimb(Limb::RightLeg, {0, 60, 0, 0, 0, 0});  // hip roll halves the height
  CaptureStdout();
  agent.get_r_bend_height();
  EXPECT_EQ(GetCapturedStdout(), "0.125\n");
}

TEST_F(Primitives, HeightKeepingAnkleInvertsTheHeight) {
  setLimb(Limb::LeftLeg, {0, 5, 20, -40, 25, -5});
  CaptureStdout();
  agent.get_l_bend_height();
  GetCapturedStdout();
  EXPECT_NEAR(agent.get_exec_lleg5(), 25, 1e-5);

  setLimb(Limb::RightLeg, {0, 5, 20, -40, -25, -5});
  CaptureStdout();
  agent.get_r_bend_height();
  GetCapturedStdout();
  EXPECT_NEAR(agent.get_exec_rleg5(), 25, 1e-5);  // the inverse has no negative branch
}

// A height the leg cannot reach, or a hip roll of 90 degrees, must still give
// a finite ankle angle: the speed derived from it is sent to the server.
TEST_F(Primitives, HeightKeepingAnkleIsAlwaysFinite) {
  wm::agent.bend_height = 0.4;  // above the longest leg
  EXPECT_DOUBLE_EQ(agent.get_exec_lleg5(), 0);
  wm::agent.bend_height = -0.4;
  EXPECT_NEAR(agent.get_exec_rleg5(), 180, 1e-5);
  for (double roll : {90.0, -90.0, 270.0}) {
    for (double height : {0.0, 0.2, -0.2}) {
      wm::agent.bend_height = height;
      setLimb(Limb::LeftLeg, {0, roll, 0, 0, 0, 0});
      EXPECT_TRUE(std::isfinite(agent.get_exec_lleg5())) << roll << " " << height;
    }
  }
}

TEST_F(Primitives, StopTestPrintsTheDistanceAndIsStrict) {
  wm::dis_to_ball = 0.3;
  CaptureStdout();
  EXPECT_FALSE(agent.should_stop_walk());
  EXPECT_EQ(GetCapturedStdout(), "wm::dis_to_ball0.3\n");
  wm::dis_to_ball = 0.29;
  CaptureStdout();
  EXPECT_TRUE(agent.should_stop_walk());
  EXPECT_EQ(GetCapturedStdout(), "wm::dis_to_ball0.29\n");
}

}  // namespace
