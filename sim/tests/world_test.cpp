#include "world.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kinematic.h"

namespace fieldsim {
namespace {

void legPose(Robot& robot, LegSide leg, double roll, double pitch, double knee, double yaw = 0) {
  const int hip = leg == LegSide::kLeft ? kLle1 : kRle1;
  robot.body.setAngle(hip, yaw);
  robot.body.setAngle(hip + 1, roll);
  robot.body.setAngle(hip + 2, pitch);
  robot.body.setAngle(hip + 3, knee);
}

void crouch(Robot& robot) {
  legPose(robot, LegSide::kLeft, 0, 10, -20);
  legPose(robot, LegSide::kRight, 0, 10, -20);
}

class WorldTest : public ::testing::Test {
 protected:
  WorldTest() : robot_(world_.addRobot(TeamSide::kLeft, 2, "VEXA3D")) {
    world_.beam(robot_, -2, 0, 0);
    crouch(robot_);
    world_.step();
  }

  // Lifts the left foot for a cycle and sets it down in the given pose.
  void stepLeft(double pitch, double knee, double support_pitch, double right_yaw = 0) {
    legPose(robot_, LegSide::kLeft, 0, 40, -70);
    world_.step();
    ASSERT_FALSE(robot_.contacts.left);
    legPose(robot_, LegSide::kLeft, 0, pitch, knee);
    legPose(robot_, LegSide::kRight, 0, support_pitch, -20, right_yaw);
    world_.step();
    ASSERT_TRUE(robot_.contacts.left);
  }

  void runUntil(PlayMode mode, int most_cycles) {
    for (int i = 0; i < most_cycles && world_.mode() != mode; ++i) world_.step();
  }

  // A new world with the ball at `ball` and player 3 at (x, y).
  Robot& place(Vec2 ball, double x, double y = 0) {
    world_ = World(ball);
    Robot& robot = world_.addRobot(TeamSide::kLeft, 3, "VEXA3D");
    world_.beam(robot, x, y, 0);
    return robot;
  }

  World world_;
  Robot& robot_;
};

TEST_F(WorldTest, PlayModesFromBeforeKickOffToPlayOn) {
  EXPECT_EQ(world_.mode(), PlayMode::kBeforeKickOff);
  EXPECT_TRUE(world_.beamAllowed());
  runUntil(PlayMode::kKickOffLeft, 100);
  EXPECT_EQ(world_.cycle(), kBeforeKickOffCycles);
  EXPECT_FALSE(world_.beamAllowed());
  runUntil(PlayMode::kPlayOn, 200);
  EXPECT_EQ(world_.cycle(), kBeforeKickOffCycles + kKickOffCycles);
}

TEST_F(WorldTest, TheRightTeamBeamsIntoTheFieldTurnedHalfRound) {
  Robot& right = world_.addRobot(TeamSide::kRight, 2, "RIVALS");
  world_.beam(right, -4, 1.5, 0);
  EXPECT_DOUBLE_EQ(right.position.x, 4);
  EXPECT_DOUBLE_EQ(right.position.y, -1.5);
  EXPECT_DOUBLE_EQ(right.heading, 180);
  EXPECT_EQ(right.stats.beams, 1);
}

TEST_F(WorldTest, AWalkingStepAdvancesByTheLandingFootsLead) {
  const double lead = 0.14 * std::sin(16 * M_PI / 180) - 0.11 * std::sin(4 * M_PI / 180) -
                      (0.14 * std::sin(-M_PI / 36) + 0.11 * std::sin(-25 * M_PI / 180));
  stepLeft(16, -20, -5);
  EXPECT_NEAR(robot_.position.x, -2 + lead, 1e-9);
  EXPECT_NEAR(robot_.position.y, 0, 1e-9);
  EXPECT_EQ(robot_.stats.steps, 1);
}

TEST_F(WorldTest, AWalkingStepTurnsByTheHipYawOffsets) {
  stepLeft(16, -20, -5, -3);  // right hip yawed: the robot turns left
  EXPECT_NEAR(robot_.heading, 3, 1e-9);
}

TEST_F(WorldTest, AFootLandingAheadOfAnUprightLegTurnsTheRobotAway) {
  stepLeft(32, -38, 10);
  EXPECT_NEAR(robot_.position.x, -2, 1e-12);
  EXPECT_NEAR(robot_.heading, -std::atan(kMaxPivotOffset / kFeetApart) * 180 / M_PI, 1e-9);
}

TEST_F(WorldTest, AFootLandingBehindTurnsTheRobotTowardsIt) {
  stepLeft(10, -40, 10);
  EXPECT_GT(robot_.heading, 0);
  EXPECT_NEAR(robot_.position.x, -2, 1e-12);
}

TEST_F(WorldTest, ASideStepGoesRoundANearBallAndTurnsTheOtherWay) {
  Robot& robot = place({-1.7, 0}, -2);
  crouch(robot);
  world_.step();
  legPose(robot, LegSide::kRight, -30, 20, 0);
  world_.step();
  ASSERT_FALSE(robot.contacts.right);
  crouch(robot);
  world_.step();
  EXPECT_EQ(robot.stats.side_steps, 1);
  EXPECT_NEAR(distance(robot.position, world_.ball()), 0.3, 1e-9);
  EXPECT_LT(robot.position.y, 0);  // a step to the right
  const double alpha = kSideStepLength / 0.3 * 180 / M_PI;
  EXPECT_NEAR(robot.heading, alpha, 1e-9);  // now facing the ball again
}

TEST_F(WorldTest, AFastSwingNearTheBallKicksItAlongTheHeading) {
  Robot& robot = place({-1.7, 0.05}, -2);
  runUntil(PlayMode::kKickOffLeft, 100);
  legPose(robot, LegSide::kLeft, -10, 0, 0);
  legPose(robot, LegSide::kRight, -10, 25, -60);
  world_.step();
  legPose(robot, LegSide::kRight, -10, 30, -53);
  world_.step();
  EXPECT_EQ(robot.stats.kicks, 1);
  EXPECT_EQ(world_.mode(), PlayMode::kPlayOn);
  for (int i = 0; i < 500; ++i) world_.step();
  const Vec2 ball = world_.ball();
  EXPECT_GT(ball.x, -1.7 + 1);
  EXPECT_NEAR(ball.y, 0.05, 1e-9);
  const double rest = ball.x;
  world_.step();
  EXPECT_DOUBLE_EQ(world_.ball().x, rest);  // friction has stopped it
}

TEST_F(WorldTest, ASlowSwingDoesNotKick) {
  Robot& robot = place({-1.7, 0}, -2);
  runUntil(PlayMode::kKickOffLeft, 100);
  legPose(robot, LegSide::kRight, 0, 25, -66);
  world_.step();
  legPose(robot, LegSide::kRight, 0, 27.5, -67);  // raising the knee
  world_.step();
  EXPECT_EQ(robot.stats.kicks, 0);
}

TEST_F(WorldTest, AGoalPausesThePlayAndTheConcedingTeamKicksOff) {
  Robot& robot = place({5.5, 0.2}, 5.2, 0.2);
  runUntil(PlayMode::kKickOffLeft, 100);
  legPose(robot, LegSide::kRight, -10, 25, -60);
  world_.step();
  legPose(robot, LegSide::kRight, -10, 30, -53);
  runUntil(PlayMode::kGoalLeft, 100);
  ASSERT_EQ(world_.mode(), PlayMode::kGoalLeft);
  EXPECT_EQ(world_.score(TeamSide::kLeft), 1);
  EXPECT_GT(world_.ball().x, kFieldHalfLength);
  EXPECT_TRUE(world_.beamAllowed());
  const int goal_cycle = world_.cycle();
  runUntil(PlayMode::kKickOffRight, 200);
  EXPECT_EQ(world_.cycle() - goal_cycle, kGoalPauseCycles);
  EXPECT_DOUBLE_EQ(world_.ball().x, 0);
  EXPECT_DOUBLE_EQ(world_.ball().y, 0);
}

TEST_F(WorldTest, AKnockedRobotHasNoFootDownUntilTheSquat) {
  world_.knock(robot_);
  world_.step();
  EXPECT_FALSE(robot_.contacts.left || robot_.contacts.right);
  EXPECT_GT(robot_.spike_cycles, 0);
  legPose(robot_, LegSide::kLeft, 45, 90, -120);
  legPose(robot_, LegSide::kRight, -45, 90, -120);
  world_.step();
  EXPECT_TRUE(robot_.knocked);
  legPose(robot_, LegSide::kLeft, 45, 97, -127);
  legPose(robot_, LegSide::kRight, -45, 97, -127);
  world_.step();
  EXPECT_FALSE(robot_.knocked);
  EXPECT_TRUE(robot_.contacts.left && robot_.contacts.right);
  EXPECT_EQ(robot_.stats.falls, 1);
  EXPECT_EQ(robot_.stats.get_ups, 1);
  EXPECT_EQ(robot_.stats.steps, 0);  // standing up is not a step
}

TEST_F(WorldTest, SpeedsHoldForOneCycle) {
  robot_.speeds[kLae1] = 1;
  world_.step();
  const double moved = robot_.body.angle(kLae1);
  EXPECT_GT(moved, 0);
  world_.step();
  EXPECT_DOUBLE_EQ(robot_.body.angle(kLae1), moved);
}

// What the replay shows: the parts stood on the ground at the robot's place
// and heading, lying when knocked, and the weight on the touching feet.
TEST_F(WorldTest, PartsInFieldCoordinatesAndTheFeetsForces) {
  world_.beam(robot_, -2, 1, 90);
  legPose(robot_, LegSide::kLeft, 0, 0, 0);
  legPose(robot_, LegSide::kRight, 0, 0, 0);
  auto parts = world_.partPoses(robot_);
  EXPECT_NEAR(parts[kTorso].position.x, -2, 1e-9);
  EXPECT_NEAR(parts[kTorso].position.y, 1, 1e-9);
  EXPECT_NEAR(parts[kTorso].position.z, kTorsoHeightAboveSoles, 1e-9);
  const Vec3 forward = rotate(parts[kTorso].orientation, {0, 1, 0});
  EXPECT_NEAR(forward.y, 1, 1e-9);  // facing the field's y axis
  EXPECT_NEAR(parts[kLFoot].position.x, -2 - 0.055, 1e-9);
  EXPECT_NEAR(parts[kLFoot].position.y, 1 + 0.025, 1e-9);
  const auto forces = world_.footForces(robot_);
  EXPECT_NEAR(forces[0] + forces[1], 44.1, 1e-9);
  world_.knock(robot_);
  world_.step();
  parts = world_.partPoses(robot_);
  EXPECT_LT(parts[kTorso].position.z, 0.1);
  EXPECT_GT(parts[kTorso].position.z, 0.04);
  EXPECT_EQ(world_.footForces(robot_)[0], 0);
}

}  // namespace
}  // namespace fieldsim
