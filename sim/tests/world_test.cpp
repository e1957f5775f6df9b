// The rules of the game and the definitions of every count and event,
// played against a stand-in dynamics whose records each test writes.
#include "world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "stand_in_dynamics.h"

namespace fieldsim {
namespace {

class WorldTest : public ::testing::Test {
 protected:
  WorldTest() { make({}); }

  void make(Vec2 ball) {
    auto dynamics = std::make_unique<StandInDynamics>();
    stand_in_ = dynamics.get();
    world_ = std::make_unique<World>(ball, std::move(dynamics));
    world_->assignSide("VEXA3D");
    id_ = world_->join(TeamSide::kLeft, 2, "VEXA3D");
    world_->beam(id_, -2, 0, 0);
  }

  void run(int cycles) {
    for (int i = 0; i < cycles; ++i) world_->step();
  }
  void runUntil(PlayMode mode) {
    for (int i = 0; i < 1000 && world_->mode() != mode; ++i) world_->step();
    ASSERT_EQ(world_->mode(), mode);
  }

  RobotRecord& record() { return stand_in_->robots[id_]; }
  const Robot& robot() const { return world_->robot(id_); }
  void ballAt(double x, double y, double z = StandInDynamics::kRadius, double speed = 0) {
    stand_in_->next_ball = {{x, y, z}, {speed, 0, 0}};
  }

  const Event& first(EventKind kind) const {
    return *std::find_if(world_->events().begin(), world_->events().end(),
                         [&](const Event& event) { return event.kind == kind; });
  }
  // The events of a kind, as "cycle robot" (or "cycle" without a robot).
  std::vector<std::string> events(EventKind kind) const {
    std::vector<std::string> out;
    for (const Event& event : world_->events()) {
      if (event.kind != kind) continue;
      out.push_back(std::to_string(event.cycle) + (event.robot.empty() ? "" : " " + event.robot));
    }
    return out;
  }
  using Lines = std::vector<std::string>;

  StandInDynamics* stand_in_ = nullptr;
  std::unique_ptr<World> world_;
  int id_ = 0;
};

TEST_F(WorldTest, PlayModesGoFromBeforeKickOffToPlayOnAndTheBallIsInPlayFromTheKickOff) {
  EXPECT_TRUE(world_->beamAllowed());
  runUntil(PlayMode::kKickOffLeft);
  EXPECT_EQ(world_->cycle(), kBeforeKickOffCycles);
  EXPECT_EQ(world_->kickOffCycle(), kBeforeKickOffCycles);
  EXPECT_FALSE(world_->beamAllowed());
  runUntil(PlayMode::kPlayOn);
  EXPECT_EQ(world_->cycle(), kBeforeKickOffCycles + kKickOffCycles);
  EXPECT_EQ(events(EventKind::kPlayMode), (Lines{"50", "150"}));
  EXPECT_FALSE(stand_in_->in_play[kBeforeKickOffCycles - 1]);
  EXPECT_TRUE(stand_in_->in_play[kBeforeKickOffCycles]);
  ASSERT_TRUE(robot().start);  // where it stood at the kick-off
  EXPECT_DOUBLE_EQ(robot().start->position.x, -2);
}

TEST_F(WorldTest, ABeamPlacesTheRightTeamInTheFieldTurnedHalfRound) {
  world_->assignSide("RIVALS");
  const int right = world_->join(TeamSide::kRight, 2, "RIVALS");
  world_->beam(right, -4, 1.5, 10);
  const Robot& robot = world_->robot(right);
  EXPECT_DOUBLE_EQ(robot.record.position.x, 4);
  EXPECT_DOUBLE_EQ(robot.record.position.y, -1.5);
  EXPECT_DOUBLE_EQ(robot.record.heading, -170);
  EXPECT_EQ(robot.stats.beams, 1);
  EXPECT_EQ(robot.path.size(), 2u);  // the wait by the touchline, and the beam
  const Event& beam = world_->events().back();
  EXPECT_EQ(beam.kind, EventKind::kBeam);
  EXPECT_EQ(beam.robot, "R2");
  EXPECT_DOUBLE_EQ(beam.where.position.x, 4);
  EXPECT_DOUBLE_EQ(beam.where.heading, -170);
}

// The whole ball past the line between the posts and below the bar: a goal,
// the ball rests in the goal, and after the pause the side that conceded
// kicks off from the centre. The lines stop a ball that misses, not one
// partly over the goal line between the posts.
TEST_F(WorldTest, AGoalPausesThePlayAndTheConcedingSideKicksOff) {
  runUntil(PlayMode::kPlayOn);
  ballAt(5.9, 0.3);
  run(1);
  ballAt(6 + StandInDynamics::kRadius + 0.01, 0.3, kGoalHeight);  // over the bar
  run(1);
  EXPECT_EQ(world_->score(TeamSide::kLeft), 0);
  EXPECT_DOUBLE_EQ(world_->ball().x, kFieldHalfLength);  // the line stopped it
  ballAt(5.9, 0.3);
  run(1);
  ballAt(6 + StandInDynamics::kRadius / 2, 0.3);  // partly over the line: it rolls on
  run(1);
  EXPECT_EQ(world_->score(TeamSide::kLeft), 0);
  EXPECT_DOUBLE_EQ(world_->ball().x, 6 + StandInDynamics::kRadius / 2);
  ballAt(6 + StandInDynamics::kRadius, 0.3);
  run(1);
  EXPECT_EQ(world_->score(TeamSide::kLeft), 1);
  EXPECT_EQ(world_->mode(), PlayMode::kGoalLeft);
  EXPECT_DOUBLE_EQ(world_->ball().x, kFieldHalfLength + kGoalDepth / 2);
  EXPECT_TRUE(world_->beamAllowed());
  EXPECT_EQ(events(EventKind::kGoal), Lines{std::to_string(world_->cycle())});
  const int goal = world_->cycle();
  runUntil(PlayMode::kKickOffRight);
  EXPECT_EQ(world_->cycle() - goal, kGoalPauseCycles);
  EXPECT_DOUBLE_EQ(world_->ball().x, 0);
  ballAt(-5.9, 0.69);
  run(1);
  ballAt(-6.1, 0.8);  // wide of the post
  run(1);
  EXPECT_EQ(world_->score(TeamSide::kRight), 0);
}

// A kick: the robot begins to touch the ball and the ball leaves at
// kKickBallSpeed or faster, while it is in play; it ends the kick-off.
TEST_F(WorldTest, AKickIsANewTouchThatSendsTheBallOffWhileItIsInPlay) {
  record().touches_ball = true;
  ballAt(-1.8, 0, StandInDynamics::kRadius, 1);
  run(2);  // before the kick-off: no kick
  record().touches_ball = false;
  runUntil(PlayMode::kKickOffLeft);
  record().touches_ball = true;
  ballAt(-1.8, 0, StandInDynamics::kRadius, kKickBallSpeed * 0.99);
  run(1);
  EXPECT_EQ(robot().stats.kicks, 0);  // too slow, and the touch goes on
  ballAt(-1.8, 0, StandInDynamics::kRadius, kKickBallSpeed);
  run(1);
  EXPECT_EQ(robot().stats.kicks, 0);
  record().touches_ball = false;
  run(1);
  record().touches_ball = true;
  run(1);
  EXPECT_EQ(robot().stats.kicks, 1);
  EXPECT_EQ(world_->kicks(), 1);
  EXPECT_EQ(events(EventKind::kKick), Lines{std::to_string(world_->cycle()) + " L2"});
  EXPECT_DOUBLE_EQ(first(EventKind::kKick).ball_speed, kKickBallSpeed);
  run(1);
  EXPECT_EQ(world_->mode(), PlayMode::kPlayOn);
}

TEST_F(WorldTest, AStepIsAFootLandingAfterFiveCyclesInTheAirSidewaysWhenItMovedMoreToTheSide) {
  const auto lift = [&](int leg, int cycles, Vec3 from, Vec3 to) {
    record().feet[leg] = from;
    record().senses.feet[leg].reset();
    run(1);
    record().feet[leg] = to;
    run(cycles - 1);
    record().senses.feet[leg] = FootForce{};
    run(1);
  };
  record().heading = 90;  // facing the field's +y
  lift(0, kStepAirCycles - 1, {0, 0, 0}, {0, 0.1, 0});
  EXPECT_EQ(robot().stats.steps, 0);  // a flicker
  lift(0, kStepAirCycles, {0, 0, 0}, {0.02, 0.1, 0});
  lift(1, kStepAirCycles + 3, {0, 0, 0}, {-0.08, 0.05, 0});
  EXPECT_EQ(robot().stats.steps, 1);
  EXPECT_EQ(robot().stats.side_steps, 1);
  EXPECT_EQ(events(EventKind::kStep), Lines{"11 L2"});
  EXPECT_EQ(events(EventKind::kSideStep), Lines{"20 L2"});
}

TEST_F(WorldTest, AFallIsTheTorsoGoingBelowItsHeightAndAGetUpComingBack) {
  record().torso_height = kFallenHeight - 0.001;
  run(3);
  record().torso_height = kFallenHeight;
  run(1);
  EXPECT_EQ(events(EventKind::kFall), Lines{"1 L2"});
  EXPECT_EQ(events(EventKind::kGetUp), Lines{"4 L2"});
  EXPECT_FALSE(robot().down);
  world_->leave(id_);
  record().torso_height = 0.1;
  run(1);
  EXPECT_EQ(robot().stats.falls, 1);  // a robot off the field does not fall
}

TEST_F(WorldTest, ASpeedHoldsUntilTheNextCommandForItsJointAndARobotThatLeftIsOffTheField) {
  world_->command(id_, kLae1, 1.5);
  world_->command(id_, kRle4, -2);
  run(2);
  world_->command(id_, kLae1, 0.5);
  run(1);
  for (int cycle = 0; cycle < 3; ++cycle) {
    EXPECT_DOUBLE_EQ(stand_in_->handed[cycle][id_].speeds[kLae1], cycle < 2 ? 1.5 : 0.5);
    EXPECT_DOUBLE_EQ(stand_in_->handed[cycle][id_].speeds[kRle4], -2);
    EXPECT_TRUE(stand_in_->handed[cycle][id_].on_field);
  }
  world_->leave(id_);
  run(1);
  EXPECT_FALSE(stand_in_->handed.back()[id_].on_field);
}

// Measured from the first kick-off on, once per robot and kick-off.
TEST_F(WorldTest, ARobotComesNearTheBallOncePerKickOff) {
  ballAt(-2 + kNearBall - 0.01, 0);
  run(5);
  EXPECT_TRUE(events(EventKind::kNearBall).empty());
  runUntil(PlayMode::kPlayOn);
  EXPECT_EQ(events(EventKind::kNearBall), Lines{"50 L2"});
  EXPECT_NEAR(first(EventKind::kNearBall).distance, kNearBall - 0.01, 1e-9);
  ballAt(5.9, 0);
  run(1);
  ballAt(6.1, 0);
  runUntil(PlayMode::kKickOffRight);  // the ball back in the centre
  record().position = {0.3, 0};
  run(3);
  EXPECT_EQ(events(EventKind::kNearBall), (Lines{"50 L2", "253 L2"}));
}

TEST_F(WorldTest, APushReachesTheDynamicsOnlyForARobotOnTheField) {
  world_->push(TeamSide::kLeft, 2, 3.5, 90);
  world_->push(TeamSide::kRight, 7, kDefaultPushImpulse, 0);
  world_->leave(id_);
  world_->push(TeamSide::kLeft, 2, kDefaultPushImpulse, 0);
  ASSERT_EQ(stand_in_->pushes.size(), 1u);
  EXPECT_EQ(stand_in_->pushes[0].robot, id_);
  EXPECT_DOUBLE_EQ(stand_in_->pushes[0].impulse, 3.5);
  EXPECT_DOUBLE_EQ(stand_in_->pushes[0].direction, 90);
  std::vector<std::string> pushes;
  for (const Event& event : world_->events()) {
    if (event.kind == EventKind::kPush) pushes.push_back(event.robot + ": " + event.note);
  }
  EXPECT_EQ(pushes, (Lines{"L2: ", "R7: no such robot has joined", "L2: its agent has left"}));
}

// A rebuilt world puts every robot back and counts once in the total.
TEST_F(WorldTest, BlowUpsAreCountedForEachRobotAndTheBall) {
  const int other = world_->join(TeamSide::kLeft, 3, "VEXA3D");
  record().reset = true;
  stand_in_->next_ball.reset = true;
  run(1);
  record().reset = false;
  stand_in_->next_ball.reset = false;
  stand_in_->rebuilt = true;
  run(1);
  EXPECT_EQ(robot().stats.blow_ups, 2);
  EXPECT_EQ(world_->robot(other).stats.blow_ups, 1);
  EXPECT_EQ(world_->blowUps(), 3);
  EXPECT_EQ(world_->rebuilds(), 1);
  EXPECT_EQ(events(EventKind::kBlowUp), (Lines{"1 L2", "1", "2 L2", "2 L3"}));
}

// Joins, beams and late replies have the cycle their perception was; what
// happens in a step the cycle after it. Either way they come in order.
TEST_F(WorldTest, EveryEventHasItsCycleAndTheyComeInCycleOrder) {
  run(2);
  world_->lateReply(id_);
  world_->beam(id_, -1, 0, 0);
  record().torso_height = 0.1;
  run(1);
  world_->leave(id_);
  EXPECT_EQ(events(EventKind::kJoin), Lines{"0 L2"});
  EXPECT_EQ(events(EventKind::kLateReply), Lines{"2 L2"});
  EXPECT_EQ(events(EventKind::kFall), Lines{"3 L2"});
  EXPECT_EQ(events(EventKind::kLeave), Lines{"3 L2"});
  EXPECT_EQ(robot().stats.late_replies, 1);
  const auto& all = world_->events();
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                             [](const Event& a, const Event& b) { return a.cycle < b.cycle; }));
}

// The game is measured in windows of 500 cycles from the first, the last
// one shorter; each keeps the largest group of touching robots in any of
// its cycles.
TEST_F(WorldTest, EachWindowOfTheGameKeepsItsLargestGroupOfTouchingRobots) {
  world_->join(TeamSide::kLeft, 3, "VEXA3D");
  world_->join(TeamSide::kLeft, 4, "VEXA3D");
  stand_in_->touching = {{0, 1}};
  run(kWindowCycles - 1);
  stand_in_->touching = {};
  run(kWindowCycles);
  stand_in_->touching = {{1, 2}, {0, 1}};
  run(1);
  stand_in_->touching = {};
  run(199);
  const auto& windows = world_->windows();
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(windows[0].first_cycle, 0);
  EXPECT_EQ(windows[0].cycles, kWindowCycles);
  EXPECT_EQ(windows[0].largest_touching_group, 2);
  EXPECT_EQ(windows[1].first_cycle, kWindowCycles);
  EXPECT_EQ(windows[1].largest_touching_group, 3);
  EXPECT_EQ(windows[2].first_cycle, 2 * kWindowCycles);
  EXPECT_EQ(windows[2].cycles, 199);
  EXPECT_EQ(windows[2].largest_touching_group, 1);
}

// Robots joined by touching, one touching the next, make a group, however
// the pairs come.
TEST(TouchingGroupTest, CountsTheRobotsOfTheLargestChainOfTouchingPairs) {
  EXPECT_EQ(largestTouchingGroup(0, {}), 0);
  EXPECT_EQ(largestTouchingGroup(3, {}), 1);
  EXPECT_EQ(largestTouchingGroup(6, {{0, 1}, {4, 5}, {3, 4}}), 3);
  EXPECT_EQ(largestTouchingGroup(6, {{4, 5}, {0, 1}, {2, 3}, {1, 2}, {0, 3}}), 4);
  EXPECT_EQ(largestTouchingGroup(22, {{0, 21}, {21, 10}, {10, 0}, {5, 6}}), 3);
}

}  // namespace
}  // namespace fieldsim
