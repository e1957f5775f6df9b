// The limits of the motions that the golden traces do not pin down. Those of
// the phase tables (every reached test at its tolerance, every wait and
// time-out at its length) are checked for every phase of every table; the
// contact, fall and ball limits, which the tables do not hold, at their
// values; and the primitives at their thresholds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "agent.h"
#include "motion.h"
#include "motion_tables.h"
#include "world_model.h"

namespace {

using Row = std::vector<double>;
const Row kCrouch = {0, 0, 10, -20, 10, 0};
const double kNaN = std::numeric_limits<double>::quiet_NaN();
int kNone = 0;  // a counter no motion reads

bool isLeg(Limb limb) { return limb == Limb::LeftLeg || limb == Limb::RightLeg; }

void setLimb(Limb limb, const Row& angles) {
  for (size_t k = 0; k < angles.size(); ++k)
    wm::agent.set_cur_ang(limbJoint(limb, k + 1), angles[k]);
}

void setLegs(const Row& left, const Row& right) {
  setLimb(Limb::LeftLeg, left);
  setLimb(Limb::RightLeg, right);
}

// A motion as the tests drive it: its step and its phase variable.
struct Motion {
  void (Agent::*step)();
  int (*phase)();
  void (*set_phase)(int);
};

const Motion kWalk{&Agent::walk, [] { return int(wm::wft); },
                   [](int p) { wm::wft = WalkForwardT(p); }};
const Motion kKick{&Agent::kick_ball, [] { return int(wm::kbs); },
                   [](int p) { wm::kbs = KickT(p); }};
const Motion kCircle{&Agent::around_ball, [] { return int(wm::abt); },
                     [](int p) { wm::abt = AroundBallT(p); }};
const Motion kClimb{&Agent::climb_up, [] { return int(wm::cut); },
                    [](int p) { wm::cut = ClimbUpT(p); }};

class Motions : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    agent.Init_Agent_Info();
    wm::Sim_Cycle = 1000;
    wm::Record_Cycle = 800;
    wm::Walk_Cycle = 400;
    wm::dis_to_ball = 5;
    wm::pm = PM_PLAY_ON;
    wm::pol_gtl.pal_angle = 45;  // the goal off to the left
  }
  // One step of `motion` from `phase`; returns what it printed.
  std::string step(const Motion& motion, int phase) {
    motion.set_phase(phase);
    agent.empty_exec();
    testing::internal::CaptureStdout();
    (agent.*motion.step)();
    return testing::internal::GetCapturedStdout();
  }
  Agent agent{nullptr};
};

// Every phase of every motion, with its motion's name for the messages.
std::vector<std::pair<const char*, const motion::Phase*>> everyPhase() {
  std::vector<std::pair<const char*, const motion::Phase*>> all;
  for (const auto& [name, phases] : {std::pair{"walk", motion::walkPhases()},
                                     {"kick", motion::kickPhases()},
                                     {"circling", motion::circlingPhases()},
                                     {"stand-up", motion::standUpPhases()},
                                     {"goalkeeper", motion::goalkeeperStatuses()}}) {
    EXPECT_FALSE(phases.empty()) << name;
    for (const motion::Phase* phase : phases) all.push_back({name, phase});
  }
  return all;
}

void placeFarOff() {
  for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
    setLimb(limb, Row(isLeg(limb) ? 6 : 4, 50));
  }
}

// Each tested limb at its pose with the knee (joint 4 of a leg) far off, and
// every other limb far off: only what the phase compares is in place.
void placeAtTheTestedPoses(const motion::Phase& phase) {
  placeFarOff();
  for (int t = 0; t < phase.test_count; ++t) {
    const motion::Test& test = phase.tests[t];
    Row pose(test.pose.angles, test.pose.angles + (isLeg(test.limb) ? 6 : 4));
    if (isLeg(test.limb)) pose[3] += 50;
    setLimb(test.limb, pose);
  }
}

// A joint of a tested pose, not a knee, that can be put exactly tol away:
// (target + tol) - target == tol holds in doubles for it.
size_t holderOf(const motion::Test& test) {
  for (size_t k = 0; k < (isLeg(test.limb) ? 6u : 4u); ++k) {
    const double target = test.pose.angles[k];
    if (!(isLeg(test.limb) && k == 3) && (target + test.tol) - target == test.tol) return k;
  }
  ADD_FAILURE() << "no joint can be put exactly at the tolerance";
  return 0;
}

// The cycles since the mark after which a reached phase may end.
int waitToEnd(const motion::Phase& phase) {
  return phase.min_wait == motion::Phase::kNoWait ? 0 : phase.min_wait + 1;
}

bool ends(const motion::Phase& phase, int since_mark) {
  wm::Record_Cycle = wm::Sim_Cycle - since_mark;
  testing::internal::CaptureStdout();
  const bool ends = motion::ends(phase);
  testing::internal::GetCapturedStdout();
  return ends;
}

// For every phase and every limb it tests: one joint exactly at the
// tolerance holds the phase, just inside it ends it. Knees and untested limbs
// are far off all along, so neither is compared.
TEST_F(Motions, EveryReachedTestEndsItsPhaseStrictlyInsideItsTolerance) {
  for (const auto& [name, phase] : everyPhase()) {
    for (int h = 0; h < phase->test_count; ++h) {
      const motion::Test& held = phase->tests[h];
      const size_t k = holderOf(held);
      for (bool inside : {false, true}) {
        SCOPED_TRACE(testing::Message() << name << " phase " << phase->id << ", test " << h
                                        << ", joint " << k + 1 << (inside ? " inside" : " at tol"));
        SetUp();
        placeAtTheTestedPoses(*phase);
        const JointId joint = limbJoint(held.limb, int(k) + 1);
        wm::agent.set_cur_ang(joint, held.pose.angles[k] + (inside ? 0.99 : 1) * held.tol);
        EXPECT_EQ(ends(*phase, waitToEnd(*phase)), inside);
      }
    }
  }
}

// Reached, a phase with a wait holds until more than the wait has passed
// since the mark; a phase with a time-out ends once more than the time-out
// has passed, reached or not; a phase with neither tests nor time-out never
// ends.
TEST_F(Motions, EveryPhaseWaitsAndTimesOutStrictly) {
  for (const auto& [name, phase] : everyPhase()) {
    SCOPED_TRACE(testing::Message() << name << " phase " << phase->id);
    SetUp();
    placeAtTheTestedPoses(*phase);
    if (phase->min_wait != motion::Phase::kNoWait) {
      EXPECT_FALSE(ends(*phase, phase->min_wait));
    }
    if (phase->test_count == 0 && phase->timeout == motion::Phase::kNoWait) {
      EXPECT_FALSE(ends(*phase, 100000));
    }
    if (phase->timeout == motion::Phase::kNoWait) continue;
    placeFarOff();
    EXPECT_FALSE(ends(*phase, phase->timeout));
    EXPECT_TRUE(ends(*phase, phase->timeout + 1));
  }
}

// The law a phase drives joint k of `limb` by: its cell's own or its row's,
// FREE without a row.
motion::Law lawOf(const motion::Phase& phase, Limb limb, int k) {
  for (int r = 0; r < phase.row_count; ++r) {
    const motion::Row& row = phase.rows[r];
    const motion::Law& law = row.targets.cells[k - 1].law;
    if (row.limb == limb) return law.kind == motion::LawKind::kRowLaw ? row.law : law;
  }
  return motion::FREE;
}

// In every phase a joint it does not drive keeps the speed it had, and a
// coupled knee is minus the hip-pitch and ankle-pitch speeds of the same
// cycle: those are written before it.
TEST_F(Motions, EveryPhaseDrivesOnlyItsCellsAndItsKneesLast) {
  const double kUnwritten = 12345;  // a speed no law gives here
  for (const auto& [name, phase] : everyPhase()) {
    SetUp();
    placeFarOff();
    for (int j = 0; j < int(JointId::head1); ++j) wm::agent.exec_ang(JointId(j)) = kUnwritten;
    ends(*phase, 0);
    for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
      for (int k = 1; k <= (isLeg(limb) ? 6 : 4); ++k) {
        SCOPED_TRACE(testing::Message() << name << " phase " << phase->id << ", limb "
                                        << int(limb) << ", joint " << k);
        auto speed = [limb = limb](int j) { return wm::agent.exec_ang(limbJoint(limb, j)); };
        const double knee = -(speed(3) + speed(5));
        switch (lawOf(*phase, limb, k).kind) {
          case motion::LawKind::kFree:
            EXPECT_EQ(speed(k), kUnwritten);
            break;
          case motion::LawKind::kKnee:
            EXPECT_EQ(speed(k), knee);
            break;
          case motion::LawKind::kSteppedKnee:
            EXPECT_EQ(speed(k), motion::steppedSpeed(knee));
            break;
          default:
            EXPECT_NE(speed(k), kUnwritten);
        }
      }
    }
  }
}

TEST_F(Motions, PhasesWithoutKeyframeDriveNothing) {
  const std::pair<const Motion*, std::vector<int>> cases[] = {
      {&kWalk, {0, WF_Move_Body_Left, WF_Auto_Walk, WF_Stop_Walk_Over}},
      {&kKick, {0, KB_Bend_Down}},
      {&kCircle, {0, AB_Raise_Left_Leg, AB_Drop_Right_Leg, 12}},
      {&kClimb, {0, CU_Rorate_Hand, CU_Rorate_Body3, 12}}};
  for (const auto& [motion, phases] : cases) {
    for (int phase : phases) {
      EXPECT_EQ(step(*motion, phase), "") << phase;
      EXPECT_EQ(motion->phase(), phase);
      for (int j = 0; j < int(JointId::count); ++j) EXPECT_EQ(wm::agent.exec_ang(JointId(j)), 0);
    }
  }
}

// The walk starts standing at the fresh mark (unless crouching), stands
// until play or the own kick-off, and counts its standing and crouching calls.
TEST_F(Motions, WalkRestartsStandingAndWaitsForPlay) {
  wm::Walk_Cycle = kFreshWalkCycle;
  step(kWalk, WF_Move_Body_Right);
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  wm::Walk_Cycle = kFreshWalkCycle;
  step(kWalk, WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Bend_Down);
  for (const auto& [mode, next] : {std::pair{PM_KICK_OFF_LEFT, WF_Bend_Down},
                                   {PM_BEFORE_KICK_OFF, WF_Stand_Up},
                                   {PM_KICK_OFF_RIGHT, WF_Stand_Up}}) {
    wm::pm = mode;
    setLimb(Limb::LeftArm, {-90, 0, 0, 0});
    setLimb(Limb::RightArm, {-90, 0, 0, 0});
    setLegs(Row(6), Row(6));
    step(kWalk, WF_Stand_Up);
    EXPECT_EQ(wm::wft, next) << mode;
  }
  EXPECT_EQ(wm::Walk_Cycle, kFreshWalkCycle + 4);
}

TEST_F(Motions, WalkSteersByTheBallAngleLimitedToFour) {
  for (const auto& [ball, turn] : {std::pair{7.5, 4.0}, {-7.5, -4.0}, {2.5, 2.5}, {kNaN, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    step(kWalk, WF_Stop_Walk_Over);
    EXPECT_EQ(wm::turn_ang, turn) << ball;
  }
}

// Passing a phase's silent-foot limit marks a fall; the limit itself does
// not. A foot that has landed (or a lifted right leg) is not checked.
TEST_F(Motions, WalkMarksFallsAtStrictLimits) {
  const double b = 6.5;
  const struct {
    WalkForwardT phase;
    double ball;
    Row left;
    int* silent;
    int limit;
  } cases[] = {
      {WF_Bend_Down, 0, Row(6), &wm::rfrp_0_count, 10},
      {WF_Bend_Down, 0, Row(6), &wm::lfrp_0_count, 30},
      {WF_Raise_Left_Leg, 0, Row(6), &wm::rfrp_0_count, 10},
      {WF_Raise_Left_Leg2, 0, Row(6), &wm::rfrp_0_count, 3},
      {WF_Extend_Left_Leg, 0, Row(6), &wm::lfrp_0_count, 80},
      {WF_Extend_Right_Leg, 0, Row(6), &wm::rfrp_0_count, 80},
      {WF_Bend_Down2, 0, Row(6), &wm::rfrp_0_count, 10},
      // Turning checks the left foot only once the left leg is placed.
      {WF_Bend_Down2, -12, {0, b, 15, 0, -5, -b}, &wm::lfrp_0_count, 80},
      {WF_Bend_Down2, 12, {0, b, 0, -30, 25, -b}, &wm::lfrp_0_count, 2},
  };
  for (const auto& c : cases) {
    for (int silent : {c.limit, c.limit + 1}) {
      SetUp();
      wm::pol_ball.pal_angle = c.ball;
      setLegs(c.left, Row(6));
      *c.silent = silent;
      step(kWalk, c.phase);
      EXPECT_EQ(wm::is_lie_down, silent > c.limit) << c.phase << " " << silent;
    }
  }
  for (auto [phase, contact] : {std::pair{WF_Extend_Left_Leg, &wm::lfrp_count},
                                {WF_Extend_Right_Leg, &wm::rfrp_count},
                                {WF_Raise_Right_Leg, &kNone}}) {
    SetUp();
    wm::lfrp_0_count = wm::rfrp_0_count = 1000;
    *contact = 9;
    step(kWalk, phase);
    EXPECT_FALSE(wm::is_lie_down) << phase;
  }
}

// The first left lift turns on the spot for a ball more than 10 degrees off;
// later lifts, and right lifts, stop for a ball closer than 0.3.
TEST_F(Motions, LiftsTurnOrStopAtTheirLimits) {
  const double b = 6.5;
  for (const auto& [ball, next] : {std::pair{-10.01, WF_Bend_Down2}, {10.0, WF_Extend_Left_Leg}}) {
    wm::pol_ball.pal_angle = ball;
    setLegs({0, b, 40, -70, 30, -b}, {0, b, 10, -20, 10, -b});
    step(kWalk, WF_Raise_Left_Leg);
    EXPECT_EQ(wm::wft, next) << ball;
  }
  for (const auto& [distance, next] : {std::pair{0.3, WF_Extend_Left_Leg}, {0.29, WF_Stop_Walk}}) {
    wm::dis_to_ball = distance;
    step(kWalk, WF_Raise_Left_Leg2);
    EXPECT_EQ(wm::wft, next) << distance;
  }
  setLegs({30, 0, 0, 30, 0, 30}, {0, -b, 40, -70, 30, b});
  EXPECT_EQ(step(kWalk, WF_Raise_Right_Leg), "0.25\nwm::dis_to_ball0.29\n");
  EXPECT_EQ(wm::wft, WF_Stop_Walk);
}

TEST_F(Motions, StopHandsOverTheKickingSideAndCircling) {
  setLegs(kCrouch, kCrouch);
  const struct {
    double ball, post_l, post_r;
    KickT side;
    bool around;
  } cases[] = {{0, 20, 11, KB_Move_Body_Right, true},
               {-0.5, -20, -10, KB_Move_Body_Left, false},
               {3, -20, -10.5, KB_Move_Body_Right, true}};
  for (const auto& c : cases) {
    wm::pol_ball.pal_angle = c.ball;
    wm::pol_gtl.pal_angle = c.post_l;
    wm::pol_gtr.pal_angle = c.post_r;
    step(kWalk, WF_Stop_Walk);
    EXPECT_EQ(wm::kbs, c.side);
    EXPECT_EQ(wm::should_around, c.around);
    EXPECT_EQ(wm::abt, AB_Bend_Down);
  }
}

// Circling crouches in the first fifty cycles, and kicks once the goal is
// within thirty degrees.
TEST_F(Motions, CirclingCrouchesFirstAndKicksOnceTheGoalIsAhead) {
  wm::Sim_Cycle = 49;
  EXPECT_EQ(step(kCircle, AB_Extend_Left_Leg), "I'm Around Balling\n");
  wm::Sim_Cycle = 50;
  EXPECT_EQ(step(kCircle, AB_Extend_Left_Leg), "");
  const struct {
    double bearing_sum;
    bool around;
    AroundBallT next;
  } cases[] = {{29.9, false, AB_Bend_Down},
               {-29.9, false, AB_Bend_Down},
               {30, true, AB_Move_Body_Left},
               {-30, true, AB_Move_Body_Right}};
  setLegs(kCrouch, kCrouch);
  for (const auto& c : cases) {
    wm::should_around = true;
    wm::pol_gtl.pal_angle = 10;
    wm::pol_gtr.pal_angle = c.bearing_sum - 10;
    step(kCircle, AB_Bend_Down);
    EXPECT_EQ(wm::should_around, c.around) << c.bearing_sum;
    EXPECT_EQ(wm::abt, c.next) << c.bearing_sum;
  }
}

// The stand-up probes the left foot to choose its branch, and starts again
// without a mark when the feet stay silent after the push.
TEST_F(Motions, StandUpBranchesOnTheFeet) {
  setLimb(Limb::LeftLeg, {0, 0, 0, -90, 0, 0});
  wm::lfrp_0_count = 5;
  EXPECT_EQ(step(kClimb, CU_Extend_Body), "!!!!!!!!!!!!lfrp_0_count=5");
  EXPECT_EQ(wm::cut, CU_Extend_Body2);
  wm::Record_Cycle = 800;
  wm::lfrp_0_count = 6;
  wm::lfrp_count = 7;
  EXPECT_EQ(step(kClimb, CU_Extend_Body), "lfrp_count=7\n");
  EXPECT_EQ(wm::cut, CU_Bend_Hand2);
  wm::Record_Cycle = 800;
  setLimb(Limb::LeftLeg, {0, 45, 100, -130, 30, -45});
  wm::frp_0_count = 11;
  step(kClimb, CU_Bend_Down2);
  EXPECT_EQ(wm::cut, CU_Extend_Body);
  EXPECT_EQ(wm::Record_Cycle, 800);
  wm::frp_0_count = 10;
  step(kClimb, CU_Bend_Down2);
  EXPECT_EQ(wm::cut, CU_Bend_Down);
}

TEST_F(Motions, StandingNeedsLoadAndBothFeetReporting) {
  const struct {
    int lfrp_count, rfrp_count;
    double force_sum;
    int lfrp_0_count, rfrp_0_count;
    bool standing;
  } cases[] = {{25, 0, 50, 0, 0, true},    {25, 0, 50, 0, 1, false},   {0, 21, 50, 0, 0, true},
               {20, 20, 18, 0, 0, false},  {20, 20, 17.9, 0, 0, true}, {20, 20, 17.9, 1, 0, false},
               {20, 20, kNaN, 0, 0, false}};
  for (const auto& c : cases) {
    SetUp();
    wm::is_lie_down = true;
    setLegs(kCrouch, kCrouch);
    wm::lfrp_count = c.lfrp_count;
    wm::rfrp_count = c.rfrp_count;
    wm::lfrp.f_z = c.force_sum;
    wm::lfrp_0_count = c.lfrp_0_count;
    wm::rfrp_0_count = c.rfrp_0_count;
    wm::gyr.x = 0.25;
    SCOPED_TRACE(testing::Message() << c.lfrp_count << " " << c.force_sum);
    EXPECT_EQ(step(kClimb, CU_Bend_Down), c.standing ? "Stand_Up successfully 0.25\n" : "");
    EXPECT_EQ(wm::is_lie_down, !c.standing);
    EXPECT_EQ(wm::wft, c.standing ? WF_Bend_Down : 0);
  }
}

// `status` is a static of defend() that tests cannot reset, so the test
// plays the sequence from its start value 1 to the ready crouch, each status
// at its tested poses, and then waits there for a ball closer than 2.
TEST_F(Motions, GoalkeeperWaitsForTheBallCloserThanTwo) {
  auto defend = [this] {
    agent.empty_exec();
    testing::internal::CaptureStdout();
    agent.defend();
    return testing::internal::GetCapturedStdout();
  };
  const motion::PhaseList statuses = motion::goalkeeperStatuses();
  const std::string far = "the distance to the ball5\n";
  const std::string left[] = {"1\n", "2\n", "", "0\n", "Stand_Up successfully \n"};
  for (int status = 1; status <= 5; ++status) {
    placeAtTheTestedPoses(*statuses[status]);
    wm::Record_Cycle = 0;
    EXPECT_EQ(defend(), far + left[status - 1]) << status;
  }
  placeAtTheTestedPoses(*statuses[0]);
  wm::dis_to_ball = 2;
  EXPECT_EQ(defend(), "the distance to the ball2\n");
  for (int j = 0; j < int(JointId::count); ++j) EXPECT_EQ(wm::agent.exec_ang(JointId(j)), 0);
  wm::dis_to_ball = 1.99;
  EXPECT_EQ(defend(), "the distance to the ball1.99\n0\n");
}

TEST(Primitives, SteppedLawThresholdsAreStrictFromTheTop) {
  Agent agent(nullptr);
  const struct {
    double in, out;
  } cases[] = {{0, 0},  {0.5, 0}, {0.6, 0.1}, {2, 0.1},   {2.01, 0.5}, {10, 0.5},    {10.01, 1},
               {20, 1}, {25, 2},  {-25, -2},  {-1, -0.1}, {-0.5, 0},   {-10.01, -1}, {kNaN, 0}};
  for (const auto& c : cases) EXPECT_EQ(agent.get_exec_angle(c.in), c.out) << c.in;
}

// A height the leg cannot reach, or a hip roll of 90 degrees, must still give
// a finite ankle angle: the speed derived from it is sent to the server.
TEST(Primitives, HeightKeepingAnkleIsAlwaysFinite) {
  wm::reset();
  Agent agent(nullptr);
  agent.Init_Agent_Info();
  for (double roll : {0.0, 90.0, -90.0, 270.0}) {
    for (double height : {0.4, -0.4, 0.0, 0.2, -0.2}) {  // 0.4 is above the longest leg
      wm::agent.bend_height = height;
      setLimb(Limb::LeftLeg, {0, roll, 0, 0, 0, 0});
      EXPECT_TRUE(std::isfinite(agent.get_exec_lleg5())) << roll << " " << height;
    }
  }
  wm::agent.bend_height = -0.4;
  setLimb(Limb::RightLeg, Row(6));
  EXPECT_NEAR(agent.get_exec_rleg5(), 180, 1e-5);
}

}  // namespace
