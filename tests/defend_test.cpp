#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

using Row = std::vector<double>;

const Row kCrouch = {0, 0, 10, -20, 10, 0};

void setPose(const Row& legs, const Row& left_arm, const Row& right_arm) {
  setLimb(Limb::LeftLeg, legs);
  setLimb(Limb::RightLeg, legs);
  setLimb(Limb::LeftArm, left_arm);
  setLimb(Limb::RightArm, right_arm);
}

// One call with fresh speeds; returns what it printed.
std::string step(Agent& agent) {
  for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
    wm::agent.exec_ang(static_cast<JointId>(j)) = 0;
  }
  testing::internal::CaptureStdout();
  agent.defend();
  return testing::internal::GetCapturedStdout();
}

// The status, told by the speeds of lae1 and lle5 that one call writes from
// the zero pose, which no status accepts as reached. They also show the
// divisors: arms 1 in statuses 3 and 4, 90 in 5; ankles to 80 in 1 and 2.
int statusNow(Agent& agent) {
  const double kZeroPoseSpeeds[][2] = {{0, 1},   {18, 8},  {0, 8},
                                       {-20, 5}, {-20, 1}, {-1, 10.0 / 30}};
  const double distance = wm::dis_to_ball;
  wm::dis_to_ball = 0;
  setPose({0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0});
  step(agent);
  wm::dis_to_ball = distance;
  for (int status = 0; status < 6; ++status) {
    if (speed(Limb::LeftArm, 1) == kZeroPoseSpeeds[status][0] &&
        speed(Limb::LeftLeg, 5) == kZeroPoseSpeeds[status][1]) {
      return status;
    }
  }
  return -1;
}

// `status` is a static of defend() that tests cannot reset, so one test plays
// the whole sequence from its start value 1 and round to 1 again.
TEST(Defend, PlaysTheSequenceOnceStartedThenWaitsForTheBall) {
  wm::reset();
  Agent agent(nullptr);
  wm::Sim_Cycle = 1000;
  wm::dis_to_ball = 5;
  const std::string far = "the distance to the ball5\n";
  EXPECT_EQ(statusNow(agent), 1);

  // The ankles at their target 80 fail the test at 75, however long the wait.
  setPose({0, 0, 10, -20, 80, 0}, {90, 0, 90, -45}, {90, 0, -90, 45});
  EXPECT_EQ(step(agent), far);
  setPose({0, 0, 10, -20, 75, 0}, {90, 0, 90, -45}, {90, 0, -90, 45});
  wm::Record_Cycle = wm::Sim_Cycle - 100;
  EXPECT_EQ(step(agent), far);
  ++wm::Sim_Cycle;
  EXPECT_EQ(step(agent), far + "1\n");
  EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle);
  EXPECT_EQ(statusNow(agent), 2);

  setPose({0, 0, 10, -20, 75, 0}, {0, 0, 90, 0}, {0, 0, -90, 0});
  wm::Sim_Cycle += 101;
  EXPECT_EQ(step(agent), far + "2\n");
  EXPECT_EQ(statusNow(agent), 3);

  const int mark = wm::Sim_Cycle;
  ++wm::Sim_Cycle;
  setLimb(Limb::LeftLeg, {-87, 45, 100, -130, 75, -45});
  step(agent);
  EXPECT_EQ(statusNow(agent), 3);
  setLimb(Limb::LeftLeg, {-87.01, 45, 100, -130, 75, -45});
  EXPECT_EQ(step(agent), far);
  EXPECT_EQ(wm::Record_Cycle, mark);
  EXPECT_EQ(statusNow(agent), 4);

  setLimb(Limb::LeftLeg, {1.79, 45, 100, -130, 30, -45});
  EXPECT_EQ(step(agent), far + "0\n");
  EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle);
  EXPECT_EQ(statusNow(agent), 5);

  setLimb(Limb::LeftLeg, kCrouch);
  setLimb(Limb::RightLeg, {0.8, 0, 10, -20, 10, 0});
  step(agent);
  EXPECT_EQ(statusNow(agent), 5);
  setLimb(Limb::LeftLeg, kCrouch);
  setLimb(Limb::RightLeg, {0.79, 0, 10, -20, 10, 0});
  EXPECT_EQ(step(agent), far + "Stand_Up successfully \n");
  EXPECT_EQ(statusNow(agent), 0);

  // Ready: the ball must come closer than 2 before anything moves.
  wm::dis_to_ball = 2;
  EXPECT_EQ(step(agent), "the distance to the ball2\n");
  EXPECT_EQ(speed(Limb::LeftLeg, 3), 0);
  wm::dis_to_ball = 1.99;
  setPose(kCrouch, {0, 0, 0, 0.8}, {0, 0, 0, 0});
  EXPECT_EQ(step(agent), "the distance to the ball1.99\n");
  EXPECT_DOUBLE_EQ(speed(Limb::LeftArm, 4), -0.8 / 5);
  setPose(kCrouch, {0, 0, 0, 0.79}, {0, 0, 0, 0});
  EXPECT_EQ(step(agent), "the distance to the ball1.99\n0\n");
  EXPECT_EQ(statusNow(agent), 1);
}

}  // namespace
