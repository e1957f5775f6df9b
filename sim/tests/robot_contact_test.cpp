// Robots of the physics world against each other, without agents: they do
// not pass through each other, a robot driven or falling into another moves
// it or is stopped, and the cycle's record says which robots touched.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "physics.h"
#include "world.h"

namespace fieldsim {
namespace {

constexpr double kTooDeep = 0.02;  // m
constexpr int kTooLong = 3;        // cycles in a row

// Lying on its back, arms along the body.
Posture lying(Vec3 torso, double heading) {
  Body arms_down;
  arms_down.setAngle(kLae1, -90);
  arms_down.setAngle(kRae1, -90);
  return onItsBack(torso, heading, arms_down);
}

double apart(Vec3 a, Vec3 b) {
  return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Two robots, A (0) and B (1), their motors holding still.
class RobotContactTest : public ::testing::Test {
 protected:
  RobotContactTest() { start(); }

  void start() {
    physics_ = std::make_unique<PhysicsDynamics>();
    longest_deep_ = 0;
    touched_ = false;
    b_moved_ = 0;
  }

  // Steps the world, `before` acting between cycles; keeps the longest run
  // of cycles in which the robots were more than kTooDeep in each other,
  // and how far B's torso got from where it began.
  void run(
      int cycles, const std::function<void(int)>& before = [](int) {}) {
    const Vec3 b_start = torso(1);
    int deep = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
      before(cycle);
      const CycleRecord record = physics_->step(commands_, false);
      deep = physics_->robotDepth() > kTooDeep ? deep + 1 : 0;
      longest_deep_ = std::max(longest_deep_, deep);
      touched_ = touched_ || !record.touching.empty();
      b_moved_ = std::max(b_moved_, apart(torso(1), b_start));
    }
  }

  Vec3 torso(int robot) const { return physics_->bodies(robot).torsoPosition(); }

  std::unique_ptr<PhysicsDynamics> physics_;
  std::vector<RobotCommand> commands_ = std::vector<RobotCommand>(2);
  int longest_deep_ = 0;
  bool touched_ = false;
  double b_moved_ = 0;
};

// A robot lying on its back, another dropped across it from 0.3 m: the
// upper one comes to rest on the lower one, which it moves.
TEST_F(RobotContactTest, ARobotDroppedOntoALyingOneRestsOnItAndMovesIt) {
  physics_->addRobot({0, 0}, 90);
  physics_->addRobot({0, 0}, 0);
  physics_->bodies(1).assemble(lying({0, 0, 0.06}, 0));
  physics_->bodies(0).assemble(lying({0, 0, 0.36}, 90));
  run(150);
  EXPECT_LE(longest_deep_, kTooLong);
  EXPECT_GT(b_moved_, 0.01);
  EXPECT_GT(torso(0).z, torso(1).z + 0.05);  // on it, not through it
  const CycleRecord still_touching = physics_->step(commands_, false);
  ASSERT_EQ(still_touching.touching.size(), 1u);
  EXPECT_EQ(still_touching.touching[0], std::make_pair(0, 1));
}

// A pushed from behind falls onto B, which stands in front of it facing
// the same way; from 0.45 m A's arms reach B's back.
TEST_F(RobotContactTest, ARobotFallingOntoAStandingOneMovesIt) {
  physics_->addRobot({-0.45, 0}, 0);
  physics_->addRobot({0, 0}, 0);
  run(200, [&](int cycle) {
    if (cycle == 10) physics_->push(0, kDefaultPushImpulse, 0);
  });
  EXPECT_TRUE(touched_);
  EXPECT_LE(longest_deep_, kTooLong);
  EXPECT_GT(b_moved_, 0.01);
  EXPECT_LT(torso(0).x, torso(1).x - 0.1);
}

// A, all its parts driven forward at a steady speed for two seconds, runs
// into B standing 0.3 m ahead: B is pushed along or A is stopped, and A
// never comes through B.
TEST_F(RobotContactTest, ARobotDrivenIntoAStandingOnePushesItOrIsStopped) {
  for (double speed : {0.1, 0.3}) {
    start();
    physics_->addRobot({-0.3, 0}, 0);
    physics_->addRobot({0, 0}, 0);
    double closest = 1;
    run(100, [&](int) {
      RobotState state = physics_->bodies(0).state();
      for (BodyState& part : state) part.velocity.x = speed;
      physics_->bodies(0).setState(state, false);
      closest = std::min(closest, torso(1).x - torso(0).x);
    });
    const std::string which = "driven at " + std::to_string(speed) + " m/s";
    EXPECT_TRUE(touched_) << which;
    EXPECT_LE(longest_deep_, kTooLong) << which;
    EXPECT_GT(closest, 0.1) << which;
    // Unhindered, A would have gone speed x 2 s.
    const bool stopped = torso(0).x + 0.3 < speed;
    EXPECT_TRUE(b_moved_ > 0.02 || stopped) << which;
  }
}

// Robots apart do not touch; the record lists no pair.
TEST_F(RobotContactTest, RobotsApartTouchNobody) {
  physics_->addRobot({-1, 0}, 0);
  physics_->addRobot({1, 0}, 0);
  run(50);
  EXPECT_FALSE(touched_);
}

// Two robots put 6 cm into each other, one lying across the other, are
// pushed apart as fast as one contact between them would push them: each
// one-sided contact corrects its half of the depth, no more.
TEST(RobotContact, RobotsInEachOtherSeparateAsFastAsWithJoinedContacts) {
  const auto depthAfterOneStep = [](bool joined) {
    PhysicsSettings settings;
    settings.joined_robot_contacts = joined;
    PhysicsDynamics physics(settings);
    physics.addRobot({0, 0}, 90);
    physics.addRobot({0, 0}, 0);
    physics.bodies(1).assemble(lying({0, 0, 0.06}, 0));
    physics.bodies(0).assemble(lying({0, 0, 0.10}, 90));
    const std::vector<RobotCommand> commands(2);
    physics.step(commands, false);
    EXPECT_NEAR(physics.robotDepth(), 0.06, 1e-3);
    physics.step(commands, false);
    return physics.robotDepth();
  };
  const double joined = depthAfterOneStep(true);
  EXPECT_NEAR(depthAfterOneStep(false) / joined, 1, 0.2) << "joined: " << joined;
}

}  // namespace
}  // namespace fieldsim
