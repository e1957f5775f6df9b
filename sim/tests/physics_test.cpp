#include "physics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "perception.h"
#include "report.h"
#include "world.h"

namespace fieldsim {
namespace {

constexpr double kWeight = 4.6071 * physics::kGravity;
constexpr int kTenSeconds = 500;

struct Pose {
  int joint;
  double degrees;
};
const std::vector<Pose> kWalkingCrouch = {{kLle3, 10}, {kLle4, -20}, {kLle5, 10},
                                          {kRle3, 10}, {kRle4, -20}, {kRle5, 10}};

double distance3(Vec3 a, Vec3 b) {
  return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

class PhysicsTest : public ::testing::Test {
 protected:
  explicit PhysicsTest(PhysicsSettings settings = {}) { make(settings); }

  void make(PhysicsSettings settings) {
    auto dynamics = std::make_unique<PhysicsDynamics>(settings);
    physics_ = dynamics.get();
    world_ = std::make_unique<World>(Vec2{3, 3}, std::move(dynamics));
    id_ = world_->join(TeamSide::kLeft, 2, "VEXA3D");
    world_->beam(id_, -2, 0, 0);
  }

  void run(int cycles) {
    for (int i = 0; i < cycles; ++i) world_->step();
  }

  // Drives joints to a pose as an agent would, then holds them still.
  void pose(const std::vector<Pose>& targets) {
    for (int i = 0; i < 100; ++i) {
      for (const Pose& p : targets) {
        const double now = robot().record.senses.angles[p.joint];
        world_->command(id_, p.joint, (p.degrees - now) * kPi / 180 / 0.1);
      }
      world_->step();
    }
    for (int j = 0; j < kJointCount; ++j) world_->command(id_, j, 0);
  }

  const Robot& robot() const { return world_->robot(id_); }
  Vec3 torso() const { return physics_->bodies(id_).torsoPosition(); }
  Vec3 ballVelocity() const { return physics_->ball().velocity; }
  Vec3 ball() const { return physics_->ball().position; }

  PhysicsDynamics* physics_ = nullptr;
  std::unique_ptr<World> world_;
  int id_ = 0;
};

TEST_F(PhysicsTest, AFreeBodyFallsWithGravity) {
  physics_->lift(id_, 3);
  const double start = torso().z;
  run(20);
  // The stepper's semi-implicit Euler: after n steps of dt the drop is
  // g dt^2 n(n+1)/2, that is g t^2/2 with t^2 read as t(t+dt).
  const double t = 20 * kCycleSeconds;
  EXPECT_NEAR(start - torso().z, physics::kGravity * t * (t + kCycleSeconds) / 2,
              0.01 * physics::kGravity * t * t / 2);
}

TEST_F(PhysicsTest, ADroppedBallBouncesAndComesToRest) {
  physics_->throwBall({0, 0, 1}, {});
  double rebound = 0;
  for (int i = 0; i < 100; ++i) {
    world_->step();
    if (ballVelocity().z > 0) rebound = std::max(rebound, ball().z);
  }
  EXPECT_GT(rebound, 0.3);  // restitution 0.8 of the impact speed would reach 0.64 m
  run(400);
  EXPECT_NEAR(ball().z, physics::kBallRadius, 0.002);
  EXPECT_LT(distance3(ballVelocity(), {}), 0.001);
}

TEST_F(PhysicsTest, ARolledBallSlowsDownAndStops) {
  physics_->throwBall({0, 0, physics::kBallRadius}, {2, 0, 0});
  run(50);
  const double after_one_second = ballVelocity().x;
  EXPECT_LT(after_one_second, 1.5);
  EXPECT_GT(after_one_second, 0.1);
  run(500);
  EXPECT_LT(distance3(ballVelocity(), {}), 0.01);
  EXPECT_LT(ball().x, 4);
}

// The motors holding speed 0 keep the robot standing, its weight on its feet.
void expectStandsStill(World& world, PhysicsDynamics& physics, int id) {
  const Vec3 start = physics.bodies(id).torsoPosition();
  const Robot& robot = world.robot(id);
  double worst_sum = kWeight;
  for (int i = 0; i < kTenSeconds; ++i) {
    world.step();
    if (i < 50) continue;
    const auto forces = world.footForces(robot);
    const double sum = forces[0] + forces[1];
    if (std::fabs(sum - kWeight) > std::fabs(worst_sum - kWeight)) worst_sum = sum;
  }
  EXPECT_LT(distance3(physics.bodies(id).torsoPosition(), start), 0.01);
  EXPECT_NEAR(worst_sum, kWeight, 0.05 * kWeight);
  EXPECT_FALSE(robot.down);
  const std::string text = perception(world, robot);
  EXPECT_NE(text.find("(FRP (n lf) (c "), std::string::npos) << text;
  EXPECT_NE(text.find("(FRP (n rf) (c "), std::string::npos) << text;
}

TEST_F(PhysicsTest, ARobotStandsInTheZeroPoseAndInTheWalkingCrouch) {
  run(50);
  expectStandsStill(*world_, *physics_, id_);
  pose(kWalkingCrouch);
  run(50);
  expectStandsStill(*world_, *physics_, id_);
  EXPECT_EQ(world_->blowUps(), 0);
}

// A robot standing in the walking crouch, facing the field's +x, pushed on
// its torso: 5 N s from behind, from the front or from either side topples
// it, its torso going roughly the way it was pushed; 1 N s does not.
TEST_F(PhysicsTest, APushToppleTheRobotTheWayItPushesAndALightOneDoesNot) {
  struct Case {
    double impulse;
    double direction;  // degrees in the robot's frame, 0 from behind
    bool falls;
  };
  for (const Case& push : {Case{5, 0, true}, Case{5, 180, true}, Case{5, 90, true},
                           Case{5, -90, true}, Case{1, 0, false}, Case{1, 90, false}}) {
    make({});
    pose(kWalkingCrouch);
    run(50);
    const Vec3 before = torso();
    world_->push(TeamSide::kLeft, 2, push.impulse, push.direction);
    run(150);
    const std::string which = "pushed with " + std::to_string(push.impulse) + " N s from " +
                              std::to_string(push.direction) + " degrees";
    EXPECT_EQ(robot().down, push.falls) << which;
    EXPECT_EQ(robot().stats.falls, push.falls ? 1 : 0) << which;
    if (!push.falls) continue;
    // From behind it goes forward (+x); from its right, to its left (+y).
    const double went = degrees(std::atan2(torso().y - before.y, torso().x - before.x));
    EXPECT_LT(std::fabs(normalizeDegrees(went - push.direction)), 45) << which;
  }
}

// Whichever way a robot faces, it reads that heading, and each foot reads
// its contact in its own frame: pushed lightly from behind, the ground
// holds it back (along the foot's -y) and the pressure moves to its toes.
TEST_F(PhysicsTest, HeadingAndFeetReadTheSameWhicheverWayTheRobotFaces) {
  for (double heading : {0.0, 90.0, -135.0}) {
    make({});
    world_->beam(id_, -2, 1, heading);
    run(60);
    EXPECT_NEAR(robot().record.heading, heading, 0.5);
    world_->push(TeamSide::kLeft, 2, 1, 0);
    run(1);
    for (const auto& foot : robot().record.senses.feet) {
      ASSERT_TRUE(foot) << heading;
      EXPECT_LT(foot->force.y, -5) << heading;
      EXPECT_NEAR(foot->force.x, 0, 0.5) << heading;
      EXPECT_NEAR(foot->centre.x, 0, 0.01) << heading;
      EXPECT_GT(foot->centre.y, 0.05) << heading;
      EXPECT_NEAR(foot->centre.z, -partInfo(kLFoot).size.z / 2, 0.005) << heading;
    }
  }
}

// A robot touches the ball in the cycles a part of it does. Thrown at its
// chest, the ball bounces off: a kick as the rules define it. Rolled
// slowly to its foot, it rests there, touching: no kick. Thrown again: a
// new touch, a new kick.
TEST_F(PhysicsTest, ARobotTouchesTheBallInTheCyclesItsPartsDo) {
  run(kBeforeKickOffCycles + 10);  // the ball in play, the robot settled
  const auto cyclesTouching = [&](double height, double speed) {
    physics_->throwBall({-1.8, 0, height}, {-speed, 0, 0});
    int touching = 0;
    for (int i = 0; i < 30; ++i) {
      world_->step();
      touching += robot().record.touches_ball;
    }
    return touching;
  };
  EXPECT_EQ(cyclesTouching(0.4, 3), 1);
  EXPECT_EQ(robot().stats.kicks, 1);
  EXPECT_GT(cyclesTouching(physics::kBallRadius, 0.5), 10);
  EXPECT_EQ(robot().stats.kicks, 1);
  EXPECT_EQ(cyclesTouching(0.4, 3), 1);
  EXPECT_EQ(robot().stats.kicks, 2);
  for (const Event& event : world_->events()) {
    if (event.kind == EventKind::kKick) {
      EXPECT_NEAR(event.ball_speed, 2, 0.2);
    }
  }
}

// The whole ball must cross the goal line, and in the physics world the
// ball has its size: rolled slowly between the posts, it rolls on over the
// line and scores once its centre is a radius past it, then rests in the
// goal.
TEST_F(PhysicsTest, ABallScoresOnceWhollyOverTheGoalLine) {
  run(kBeforeKickOffCycles);
  physics_->throwBall({kFieldHalfLength - 0.05, 0.3, physics::kBallRadius}, {0.5, 0, 0});
  double before_the_goal = 0;
  for (int i = 0; i < 50 && world_->score(TeamSide::kLeft) == 0; ++i) {
    before_the_goal = ball().x;
    world_->step();
  }
  EXPECT_EQ(world_->score(TeamSide::kLeft), 1);
  EXPECT_GT(before_the_goal, kFieldHalfLength + physics::kBallRadius / 2);
  EXPECT_NEAR(ball().x, kFieldHalfLength + kGoalDepth / 2, 1e-3);
}

class WeakRobotTest : public PhysicsTest {
 protected:
  WeakRobotTest() : PhysicsTest({1e-5, false, 0.05}) {}
};

TEST_F(WeakRobotTest, CollapsesWithAlmostNoTorque) {
  run(250);
  EXPECT_TRUE(robot().down);
  EXPECT_LT(torso().z, 0.1);
}

TEST_F(PhysicsTest, AJointTurnsAtItsCommandedSpeedUpToTheClampAndStopsAtItsRange) {
  const auto turned = [&](int joint, double speed) {
    const double before = physics_->bodies(id_).angle(joint);
    world_->command(id_, joint, speed);
    world_->step();
    return (physics_->bodies(id_).angle(joint) - before) * kPi / 180;
  };
  run(25);
  turned(kLae1, 1);  // the motor takes one cycle to reach its speed
  EXPECT_NEAR(turned(kLae1, 1), 0.02, 0.001);
  EXPECT_NEAR(turned(kLae1, 1), 0.02, 0.001);
  turned(kRae1, -10);
  const double most = physics::kMaxMotorSpeed * kCycleSeconds;
  EXPECT_NEAR(turned(kRae1, -10), -most, 0.05 * most);
  run(40);  // the speed holds until the next command
  EXPECT_NEAR(physics_->bodies(id_).angle(kRae1), -120, 1);
  EXPECT_GT(physics_->bodies(id_).angle(kLae1), 20);
}

// Each part sits where the robot's table puts it for the measured angles.
TEST_F(PhysicsTest, PartsFollowTheJointsAsTheTableSays) {
  const std::vector<Pose> targets = {{kLae1, -60}, {kLae2, 40}, {kRae3, 50}, {kRae4, 60},
                                     {kLle1, -30}, {kLle2, 20}, {kLle3, 50}, {kLle4, -70},
                                     {kRle2, -20}, {kRle5, 30}, {kRle6, 20}, {kHead1, 40}};
  physics_->lift(id_, 3);
  pose(targets);
  Body measured;
  for (int j = 0; j < kJointCount; ++j) measured.setAngle(j, physics_->bodies(id_).angle(j));
  for (const Pose& p : targets) EXPECT_NEAR(measured.angle(p.joint), p.degrees, 2);
  const auto expected = partPoses(measured);
  const auto actual = world_->partPoses(robot());
  const PhysicsRobot& bodies = physics_->bodies(id_);
  for (int p = 0; p < kPartCount; ++p) {
    const Vec3 offset = bodies.toTorso({actual[p].position.x - actual[kTorso].position.x,
                                        actual[p].position.y - actual[kTorso].position.y,
                                        actual[p].position.z - actual[kTorso].position.z});
    EXPECT_LT(distance3(offset, expected[p].position), 0.005) << partInfo(p).name;
  }
}

TEST_F(PhysicsTest, TheGyroReadsTheTorsosTurningRateInItsOwnFrame) {
  physics_->lift(id_, 3);
  PhysicsRobot& bodies = physics_->bodies(id_);
  // Facing along the field's x axis, the robot turns at 1 rad/s about it:
  // about its own forward axis.
  RobotState state = bodies.state();
  const Vec3 centre = state[kTorso].position;
  for (BodyState& part : state) {
    part.spin = {1, 0, 0};
    part.velocity = {0, -(part.position.z - centre.z), part.position.y - centre.y};
  }
  bodies.setState(state, false);
  const Vec3 gyro = physics_->record(id_).senses.gyro;
  EXPECT_NEAR(gyro.x, 0, 0.5);
  EXPECT_NEAR(gyro.y, 180 / kPi, 0.5);
  EXPECT_NEAR(gyro.z, 0, 0.5);
}

TEST_F(PhysicsTest, VisionGivesAFlagsPolarFromTheTorso) {
  world_->beam(id_, -2, 0, 90);  // facing the left touchline
  world_->step();
  const Vec3 eye = torso();
  const Polar flag = world_->dynamics().seen(id_, {6, 4, 0});  // F1R
  const double flat = std::hypot(8, 4 - eye.y);
  EXPECT_NEAR(flag.distance, std::hypot(flat, eye.z), 0.01);
  EXPECT_NEAR(flag.horizontal, -std::atan2(8, 4) * 180 / kPi, 0.5);
  EXPECT_NEAR(flag.vertical, -std::atan2(eye.z, flat) * 180 / kPi, 0.5);
  const std::string text = perception(*world_, robot());
  EXPECT_NE(text.find("(F1R (pol 8.9"), std::string::npos) << text;
}

// A robot whose motors cannot hold it blows the stepper up; it is put back
// and counted. A state the engine cannot handle (a non-finite speed) fails
// one of its internal checks, which would abort the process; the world is
// rebuilt instead. Nothing a robot is sent is ever non-finite.
class BlowUpTest : public PhysicsTest {
 protected:
  BlowUpTest() : PhysicsTest({1e-5, false, 0.001}) {}

  void runChecked(int cycles) {
    for (int i = 0; i < cycles; ++i) {
      world_->step();
      const std::string text = perception(*world_, robot());
      ASSERT_EQ(text.find("nan"), std::string::npos) << text;
      ASSERT_EQ(text.find("inf"), std::string::npos) << text;
    }
  }
};

TEST_F(BlowUpTest, ABlownUpRobotIsPutBackAndCountedAndTheGameGoesOn) {
  runChecked(500);
  const int blown = robot().stats.blow_ups;
  EXPECT_GT(blown, 0);
  EXPECT_TRUE(physics_->bodies(id_).sane());
  dBodySetLinearVel(physics_->bodies(id_).body(kTorso), std::nan(""), 0, 0);
  runChecked(10);
  EXPECT_EQ(robot().stats.blow_ups, blown + 1);
  EXPECT_EQ(world_->rebuilds(), 1);
  EXPECT_TRUE(physics_->bodies(id_).sane());
  const std::string text = summary(*world_, 1);
  EXPECT_NE(text.find("1 by rebuilding the world; robots reset: L2 "), std::string::npos) << text;
  EXPECT_EQ(world_->cycle(), 510);
}

// A robot put at rest with its left hip's three joints at their lower
// stops, its motors driving them away from there: the engine hands each
// motor's whole torque to the tiny hip spheres as a free torque, and the
// leg tears. Put back at its stops, it tore again every cycle; put back
// inside them, it moves on.
TEST_F(PhysicsTest, ARobotThatBlewUpAtItsStopsIsPutBackInsideThemAndDoesNotBlowUpAgain) {
  Body hip_at_stops;
  for (int joint : {kLle1, kLle2, kLle3}) {
    hip_at_stops.setAngle(joint, jointInfo(joint).min_degrees);
  }
  PhysicsRobot& bodies = physics_->bodies(id_);
  bodies.good = {bodies.torsoPosition(), bodies.posture().torso_orientation, hip_at_stops};
  bodies.assemble(bodies.good);
  world_->command(id_, kLle1, 3.9);
  world_->command(id_, kLle2, 1.2);
  world_->command(id_, kLle3, 0.5);
  run(100);
  EXPECT_EQ(robot().stats.blow_ups, 1);
  EXPECT_EQ(robot().stats.laid_flat, 0);
  EXPECT_GT(bodies.angle(kLle1), jointInfo(kLle1).min_degrees + physics::kResetStopMargin);
}

// A robot that blows up again within a few cycles of being put back is
// laid flat instead, and counted apart: on its back where it was, every
// joint inside its range, clear of the ground, at rest. After that many
// good cycles a blow-up puts it back as it was again.
TEST_F(PhysicsTest, ARobotThatBlowsUpAgainSoonIsLaidFlatAndCountedApart) {
  PhysicsRobot& bodies = physics_->bodies(id_);
  const auto tearOffItsFoot = [&] {
    const Vec3 foot = bodies.pose(kLFoot).position;
    dBodySetPosition(bodies.body(kLFoot), foot.x + 2, foot.y, foot.z);
    world_->step();
  };
  run(20);
  tearOffItsFoot();
  EXPECT_GT(torso().z, 0.35);
  run(physics::kResetLoopCycles - 1);
  tearOffItsFoot();
  EXPECT_EQ(robot().stats.blow_ups, 2);
  EXPECT_EQ(robot().stats.laid_flat, 1);
  EXPECT_LT(torso().z, 0.1);
  EXPECT_NEAR(torso().x, -2, 0.05);
  EXPECT_GT(rotate(bodies.posture().torso_orientation, {0, 1, 0}).z, 0.99);  // facing up
  EXPECT_GT(bodies.pose(kLFoot).position.x, torso().x + 0.2);  // its feet where it faced
  for (int j = 0; j < kJointCount; ++j) {
    EXPECT_GE(bodies.angle(j), jointInfo(j).min_degrees) << jointInfo(j).perceptor;
    EXPECT_LE(bodies.angle(j), jointInfo(j).max_degrees) << jointInfo(j).perceptor;
  }
  for (int p = 0; p < kPartCount; ++p) EXPECT_GT(bodies.pose(p).position.z, 0) << p;
  run(physics::kResetLoopCycles);
  tearOffItsFoot();
  EXPECT_EQ(robot().stats.blow_ups, 3);
  EXPECT_EQ(robot().stats.laid_flat, 1);
  std::vector<bool> laid_flat;
  for (const Event& event : world_->events()) {
    if (event.kind == EventKind::kBlowUp) laid_flat.push_back(event.laid_flat);
  }
  EXPECT_EQ(laid_flat, (std::vector<bool>{false, true, false}));
  const std::string text = summary(*world_, 1);
  EXPECT_NE(text.find("robots reset: L2 3 (1 laid flat);"), std::string::npos) << text;
}

}  // namespace
}  // namespace fieldsim
