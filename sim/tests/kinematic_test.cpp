// The kinematic world's rules of movement (kinematic.h), played through
// World, with the robot's joints posed directly.
#include "kinematic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace fieldsim {
namespace {

class KinematicTest : public ::testing::Test {
 protected:
  KinematicTest() { make({}, -2); }

  // A new world with the ball at `ball` and player 2 at (x, y) in the
  // walking crouch, both feet down.
  void make(Vec2 ball, double x, double y = 0) {
    auto dynamics = std::make_unique<KinematicDynamics>();
    kinematic_ = dynamics.get();
    world_ = std::make_unique<World>(ball, std::move(dynamics));
    id_ = world_->join(TeamSide::kLeft, 2, "VEXA3D");
    world_->beam(id_, x, y, 0);
    crouch();
    world_->step();
  }

  void legPose(LegSide leg, double roll, double pitch, double knee, double yaw = 0) {
    Body& body = kinematic_->robot(id_).body;
    const int hip = leg == LegSide::kLeft ? kLle1 : kRle1;
    body.setAngle(hip, yaw);
    body.setAngle(hip + 1, roll);
    body.setAngle(hip + 2, pitch);
    body.setAngle(hip + 3, knee);
  }
  void crouch() {
    legPose(LegSide::kLeft, 0, 10, -20);
    legPose(LegSide::kRight, 0, 10, -20);
  }

  // Lifts the left foot for a few cycles and sets it down in the given pose.
  void stepLeft(double pitch, double knee, double support_pitch, double right_yaw = 0) {
    legPose(LegSide::kLeft, 0, 40, -70);
    run(kStepAirCycles);
    ASSERT_FALSE(state().contacts.left);
    legPose(LegSide::kLeft, 0, pitch, knee);
    legPose(LegSide::kRight, 0, support_pitch, -20, right_yaw);
    world_->step();
    ASSERT_TRUE(state().contacts.left);
  }

  void run(int cycles) {
    for (int i = 0; i < cycles; ++i) world_->step();
  }
  void runUntil(PlayMode mode) {
    for (int i = 0; i < 100 && world_->mode() != mode; ++i) world_->step();
  }

  const KinematicRobot& state() { return kinematic_->robot(id_); }
  const Robot& robot() const { return world_->robot(id_); }
  Vec2 position() const { return robot().record.position; }

  KinematicDynamics* kinematic_ = nullptr;
  std::unique_ptr<World> world_;
  int id_ = 0;
};

TEST_F(KinematicTest, AWalkingStepAdvancesByTheLandingFootsLead) {
  const double lead = 0.14 * std::sin(16 * M_PI / 180) - 0.11 * std::sin(4 * M_PI / 180) -
                      (0.14 * std::sin(-M_PI / 36) + 0.11 * std::sin(-25 * M_PI / 180));
  stepLeft(16, -20, -5);
  EXPECT_NEAR(position().x, -2 + lead, 1e-9);
  EXPECT_NEAR(position().y, 0, 1e-9);
  EXPECT_EQ(robot().stats.steps, 1);  // the foot landed ahead of where it rose
}

TEST_F(KinematicTest, AWalkingStepTurnsByTheHipYawOffsets) {
  stepLeft(16, -20, -5, -3);  // right hip yawed: the robot turns left
  EXPECT_NEAR(robot().record.heading, 3, 1e-9);
}

TEST_F(KinematicTest, AFootLandingAheadOfAnUprightLegTurnsTheRobotAway) {
  stepLeft(32, -38, 10);
  EXPECT_NEAR(position().x, -2, 1e-12);
  EXPECT_NEAR(robot().record.heading, -std::atan(kMaxPivotOffset / kFeetApart) * 180 / M_PI, 1e-9);
}

TEST_F(KinematicTest, AFootLandingBehindTurnsTheRobotTowardsIt) {
  stepLeft(10, -40, 10);
  EXPECT_GT(robot().record.heading, 0);
  EXPECT_NEAR(position().x, -2, 1e-12);
}

// Round a ball within reach; straight aside when the ball is far.
TEST_F(KinematicTest, ASideStepGoesRoundANearBallAndTurnsTheOtherWay) {
  const auto stepRight = [this](Vec2 ball) {
    make(ball, -2);
    legPose(LegSide::kRight, -30, 20, 0);
    world_->step();
    ASSERT_FALSE(state().contacts.right);
    crouch();
    world_->step();
  };
  stepRight({-1.7, 0});
  EXPECT_NEAR(distance(position(), world_->ball()), 0.3, 1e-9);
  EXPECT_LT(position().y, 0);  // a step to the right
  const double alpha = kSideStepLength / 0.3 * 180 / M_PI;
  EXPECT_NEAR(robot().record.heading, alpha, 1e-9);  // now facing the ball again
  stepRight({2, 0});
  EXPECT_NEAR(position().x, -2, 1e-9);
  EXPECT_NEAR(position().y, -kSideStepLength, 1e-9);
  EXPECT_NEAR(robot().record.heading, 0, 1e-9);
}

TEST_F(KinematicTest, AFastSwingNearTheBallKicksItAlongTheHeading) {
  make({-1.7, 0.05}, -2);
  runUntil(PlayMode::kKickOffLeft);
  legPose(LegSide::kLeft, -10, 0, 0);
  legPose(LegSide::kRight, -10, 25, -60);
  world_->step();
  legPose(LegSide::kRight, -10, 30, -53);
  world_->step();
  EXPECT_EQ(robot().stats.kicks, 1);
  EXPECT_EQ(world_->mode(), PlayMode::kPlayOn);
  run(500);
  EXPECT_FALSE(robot().record.touches_ball);  // only in the cycle of the kick
  const Vec2 ball = world_->ball();
  EXPECT_GT(ball.x, -1.7 + 1);
  EXPECT_NEAR(ball.y, 0.05, 1e-9);
  const double rest = ball.x;
  world_->step();
  EXPECT_DOUBLE_EQ(world_->ball().x, rest);  // friction has stopped it
}

TEST_F(KinematicTest, ASlowSwingDoesNotKick) {
  make({-1.7, 0}, -2);
  runUntil(PlayMode::kKickOffLeft);
  legPose(LegSide::kRight, 0, 25, -66);
  world_->step();
  legPose(LegSide::kRight, 0, 27.5, -67);  // raising the knee
  world_->step();
  EXPECT_EQ(robot().stats.kicks, 0);
}

// Whatever the push, the robot lies on its back, no foot down, until its
// legs reach the squat; it is up again once it has risen from there.
TEST_F(KinematicTest, APushedRobotLiesWithNoFootDownUntilItRisesFromTheSquat) {
  world_->push(TeamSide::kLeft, 2, 0.1, 180);
  EXPECT_EQ(robot().record.senses.gyro.x, kGyroSpike);  // seen at once
  world_->step();
  EXPECT_FALSE(robot().record.senses.feet[0] || robot().record.senses.feet[1]);
  EXPECT_TRUE(robot().down);
  legPose(LegSide::kLeft, 45, 90, -120);
  legPose(LegSide::kRight, -45, 90, -120);
  world_->step();
  EXPECT_TRUE(state().knocked);
  legPose(LegSide::kLeft, 45, 97, -127);
  legPose(LegSide::kRight, -45, 97, -127);
  world_->step();
  EXPECT_FALSE(state().knocked);
  EXPECT_TRUE(state().contacts.left && state().contacts.right);
  crouch();
  world_->step();
  EXPECT_EQ(robot().stats.falls, 1);
  EXPECT_EQ(robot().stats.get_ups, 1);
}

TEST_F(KinematicTest, ASpeedHoldsUntilTheNextCommand) {
  world_->command(id_, kLae1, 1);
  world_->step();
  const double moved = robot().record.senses.angles[kLae1];
  EXPECT_GT(moved, 0);
  world_->step();
  EXPECT_DOUBLE_EQ(robot().record.senses.angles[kLae1], 2 * moved);
  world_->command(id_, kLae1, 0);
  world_->step();
  EXPECT_DOUBLE_EQ(robot().record.senses.angles[kLae1], 2 * moved);
}

// What the replay and the rules see: the parts stood on the ground at the
// robot's place and heading, lying when knocked, and the weight on the
// touching feet.
TEST_F(KinematicTest, PartsInFieldCoordinatesAndTheFeetsForces) {
  world_->beam(id_, -2, 1, 90);
  legPose(LegSide::kLeft, 0, 0, 0);
  legPose(LegSide::kRight, 0, 0, 0);
  world_->step();
  auto parts = world_->partPoses(robot());
  EXPECT_NEAR(parts[kTorso].position.x, -2, 1e-9);
  EXPECT_NEAR(parts[kTorso].position.y, 1, 1e-9);
  EXPECT_NEAR(parts[kTorso].position.z, kTorsoHeightAboveSoles, 1e-9);
  EXPECT_DOUBLE_EQ(robot().record.torso_height, parts[kTorso].position.z);
  const Vec3 forward = rotate(parts[kTorso].orientation, {0, 1, 0});
  EXPECT_NEAR(forward.y, 1, 1e-9);  // facing the field's y axis
  EXPECT_NEAR(parts[kLFoot].position.x, -2 - 0.055, 1e-9);
  EXPECT_NEAR(parts[kLFoot].position.y, 1 + 0.025, 1e-9);
  EXPECT_NEAR(robot().record.feet[0].x, -2 - 0.055, 1e-9);
  const auto forces = world_->footForces(robot());
  EXPECT_NEAR(forces[0] + forces[1], 44.1, 1e-9);
  world_->push(TeamSide::kLeft, 2, kDefaultPushImpulse, 0);
  world_->step();
  parts = world_->partPoses(robot());
  EXPECT_LT(parts[kTorso].position.z, 0.1);
  EXPECT_GT(parts[kTorso].position.z, 0.04);
  EXPECT_EQ(world_->footForces(robot())[0], 0);
}

}  // namespace
}  // namespace fieldsim
