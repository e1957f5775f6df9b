// The limits of the motions that the golden traces do not pin down: every
// reached test exactly at its tolerance, every wait, contact and fall limit at
// its value, and the primitives at their thresholds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "agent.h"
#include "world_model.h"

namespace {

using Row = std::vector<double>;
const Row kCrouch = {0, 0, 10, -20, 10, 0};
const double kNaN = std::numeric_limits<double>::quiet_NaN();

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

// A limb a phase tests: its row and tolerance.
struct Tested {
  Limb limb;
  Row row;
  double tol;
};

struct ExitCase {
  const Motion* motion;
  int phase, next;
  std::vector<Tested> tested;
  bool marks = false;
  int since_mark = 200;
  double ball = 0;
};

// The joint of a tested row moved to the tolerance: the first one (not the
// knee) whose target is 0, where target + tol lies exactly tol away.
size_t holderOf(const Row& row) {
  for (size_t k = 0; k < row.size(); ++k) {
    if (row[k] == 0 && k != 3) return k;
  }
  return 0;
}

// Each tested limb at its row, the knees far off (they are never compared)
// and the other limbs elsewhere: one joint of each tested limb in turn exactly
// at the tolerance holds the phase, just inside it the phase ends.
TEST_F(Motions, ReachedTestsEndPhasesJustInsideTheirStrictTolerances) {
  const double b = 6.5, k = 10, B = 15;  // the walk's, the kick's and circling's lean
  using L = Limb;
  // clang-format off
  const ExitCase cases[] = {
    {&kWalk, WF_Stand_Up, WF_Bend_Down, {{L::LeftArm, {-90, 0, 0, 0}, 0.6},
      {L::RightArm, {-90, 0, 0, 0}, 0.6}, {L::LeftLeg, Row(6), 0.6}, {L::RightLeg, Row(6), 0.6}}},
    {&kWalk, WF_Bend_Down, WF_Move_Body_Right, {{L::LeftLeg, kCrouch, 1.8},
      {L::RightLeg, kCrouch, 1.8}}},
    {&kWalk, WF_Move_Body_Right, WF_Raise_Left_Leg, {{L::LeftLeg, {0, b, 10, -20, 10, -b}, 0.8},
      {L::RightLeg, {0, b, 10, -20, 10, -b}, 0.8}}},
    {&kWalk, WF_Raise_Left_Leg, WF_Extend_Left_Leg, {{L::LeftLeg, {0, b, 40, -70, 30, -b}, 2.8},
      {L::RightLeg, {0, b, 10, -20, 10, -b}, 3.8}}},
    {&kWalk, WF_Raise_Left_Leg2, WF_Extend_Left_Leg, {{L::LeftLeg, {0, b, 40, -70, 30, -b}, 2.8},
      {L::RightLeg, {0, b, 10, -20, 10, -b}, 3.8}}},
    {&kWalk, WF_Extend_Left_Leg, WF_Raise_Right_Leg, {{L::LeftLeg, {0, -10, 10, -20, 10, 10}, 0.8},
      {L::RightLeg, {0, -10, 0, -25, 25, 10}, 0.8}}},
    {&kWalk, WF_Raise_Right_Leg, WF_Extend_Right_Leg, {{L::RightLeg, {0, -b, 40, -70, 30, b}, 2.8}}},
    {&kWalk, WF_Extend_Right_Leg, WF_Raise_Left_Leg2, {{L::LeftLeg, {0, 10, 0, -10, 10, -10}, 2.8},
      {L::RightLeg, {0, 10, 10, -20, 10, -10}, 2.8}}},
    {&kWalk, WF_Bend_Down2, WF_Bend_Down, {{L::LeftLeg, {0, b, 15, 0, -5, -b}, 4.8}}, false, 200, -12},
    {&kWalk, WF_Bend_Down2, WF_Bend_Down, {{L::LeftLeg, {0, b, 0, -30, 25, -b}, 4.8}}, false, 200, 12},
    {&kWalk, WF_Stop_Walk, WF_Stop_Walk_Over, {{L::LeftLeg, kCrouch, 0.8}, {L::RightLeg, kCrouch, 0.8}}},

    {&kKick, KB_Move_Body_Left, KB_Raise_Right_Leg, {{L::LeftLeg, {0, -k, 0, 0, 0, k}, 0.8},
      {L::RightLeg, {0, -k, 0, 0, 0, k}, 0.8}}},
    {&kKick, KB_Move_Body_Right, KB_Raise_Left_Leg, {{L::LeftLeg, {0, k, 0, 0, 0, -k}, 0.8},
      {L::RightLeg, {0, k, 0, 0, 0, -k}, 0.8}}},
    {&kKick, KB_Raise_Left_Leg, KB_Kick_Left_Leg, {{L::LeftLeg, {0, k, 25, -60, 35, -k}, 2.8},
      {L::RightLeg, {0, k, 0, 0, 0, -k}, 1.8}}},
    {&kKick, KB_Raise_Right_Leg, KB_Kick_Right_Leg, {{L::LeftLeg, {0, -k, 0, 0, 0, k}, 2},
      {L::RightLeg, {0, -k, 25, -60, 35, k}, 1.8}}},
    {&kKick, KB_Kick_Left_Leg, KB_Bend_Down, {{L::LeftLeg, {0, k, 30, -10, 0, -k}, 5.8}}, true},
    {&kKick, KB_Kick_Right_Leg, KB_Bend_Down, {{L::RightLeg, {0, -k, 30, -10, 0, k}, 5.8}}, true},

    {&kCircle, AB_Bend_Down, AB_Move_Body_Left, {{L::LeftLeg, kCrouch, 2}, {L::RightLeg, kCrouch, 2}}},
    {&kCircle, AB_Move_Body_Left, AB_Extend_Right_Leg, {{L::LeftLeg, {0, -B, 10, -20, 10, B}, 2},
      {L::RightLeg, {0, -B, 10, -20, 10, B}, 2}}},
    {&kCircle, AB_Move_Body_Right, AB_Extend_Left_Leg, {{L::LeftLeg, {0, B, 10, -20, 10, -B}, 2},
      {L::RightLeg, {0, B, 10, -20, 10, -B}, 2}}},
    {&kCircle, AB_Extend_Right_Leg, AB_Extend_Right_Leg2,
      {{L::RightLeg, {0, -30, 10, -20, 10, 30}, 2}}},
    {&kCircle, AB_Extend_Right_Leg2, AB_Bend_Down, {{L::LeftLeg, {0, B, 10, -20, 10, -B}, 2}}},
    {&kCircle, AB_Extend_Left_Leg, AB_Extend_Left_Leg2, {{L::LeftLeg, {0, 30, 10, -20, 10, -30}, 2}}},
    {&kCircle, AB_Extend_Left_Leg2, AB_Bend_Down, {{L::RightLeg, {0, -B, 10, -20, 10, B}, 1}}},

    {&kClimb, CU_Extend_Body, CU_Extend_Body2, {{L::LeftLeg, {0, 0, 0, -90, 0, 0}, 3}}, true},
    {&kClimb, CU_Extend_Body2, CU_Bend_Hand, {{L::LeftLeg, Row(6), 3}}, true},
    {&kClimb, CU_Bend_Hand, CU_Rorate_Body, {{L::LeftArm, {-120, 0, -90, -60}, 1}}, false, 20},
    {&kClimb, CU_Rorate_Body, CU_Rorate_Body2, {{L::RightArm, {120, 0, 90, 90}, 2}}},
    {&kClimb, CU_Rorate_Body2, CU_Bend_Hand2, {{L::RightLeg, {0, 0, 0, -90, 0, 0}, 0.5}}},
    {&kClimb, CU_Bend_Hand2, CU_Push_Hand, {{L::LeftLeg, {0, 0, 0, 0, -10, 0}, 1}}, true},
    {&kClimb, CU_Push_Hand, CU_Bend_Down2, {{L::LeftLeg, {-90, 45, 100, -130, 75, -45}, 4}}, true},
    {&kClimb, CU_Bend_Down2, CU_Bend_Down, {{L::LeftLeg, {0, 45, 100, -130, 30, -45}, 1.8}}, true},
    {&kClimb, CU_Bend_Down, CU_Extend_Body, {{L::LeftLeg, kCrouch, 0.8},
      {L::RightLeg, kCrouch, 0.8}}, true},
  };
  // clang-format on
  for (const ExitCase& c : cases) {
    for (const Tested& holder : c.tested) {
      for (bool inside : {false, true}) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " limb " << int(holder.limb)
                                        << (inside ? " inside" : " at the tolerance"));
        SetUp();
        wm::Record_Cycle = wm::Sim_Cycle - c.since_mark;
        wm::pol_ball.pal_angle = c.ball;
        for (Limb limb : {Limb::LeftArm, Limb::RightArm, Limb::LeftLeg, Limb::RightLeg}) {
          setLimb(limb, Row(6, 50));
        }
        for (const Tested& t : c.tested) {
          Row row = t.row;
          if (row.size() == 6) row[3] += 50;
          if (&t == &holder) row[holderOf(row)] += inside ? t.tol * 0.99 : t.tol;
          setLimb(t.limb, row);
        }
        step(*c.motion, c.phase);
        EXPECT_EQ(c.motion->phase(), inside ? c.next : c.phase);
        EXPECT_EQ(wm::Record_Cycle, wm::Sim_Cycle - (inside && c.marks ? 0 : c.since_mark));
      }
    }
  }
}

TEST_F(Motions, PhasesWithoutKeyframeDriveNothing) {
  const struct {
    const Motion* motion;
    std::vector<int> phases;
  } cases[] = {{&kWalk, {0, WF_Move_Body_Left, WF_Auto_Walk, WF_Stop_Walk_Over}},
               {&kKick, {0, KB_Bend_Down}},
               {&kCircle, {0, AB_Raise_Left_Leg, AB_Drop_Right_Leg, 12}},
               {&kClimb, {0, CU_Rorate_Hand, CU_Rorate_Body3, 12}}};
  for (const auto& c : cases) {
    for (int phase : c.phases) {
      SCOPED_TRACE(phase);
      wm::goal_in_cycle = 1;
      EXPECT_EQ(step(*c.motion, phase), "");
      EXPECT_EQ(c.motion->phase(), phase);
      for (int j = 0; j < int(JointId::count); ++j) EXPECT_EQ(wm::agent.exec_ang(JointId(j)), 0);
    }
  }
  EXPECT_EQ(wm::best_lr, 15);  // circling's lean is set even then
  step(kKick, 0);
  EXPECT_EQ(wm::best_lr, 10);
  EXPECT_EQ(wm::goal_in_cycle, 0);  // the kick re-arms the beam after a goal
}

TEST_F(Motions, WalkRestartsFromStandingOnlyAtTheFreshMark) {
  wm::Walk_Cycle = 303;
  step(kWalk, WF_Move_Body_Right);
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  wm::Walk_Cycle = 303;
  step(kWalk, WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Bend_Down);
  EXPECT_EQ(wm::Walk_Cycle, 304);
}

TEST_F(Motions, WalkSteersByTheBallAngleLimitedToFour) {
  for (const auto& [ball, turn] : {std::pair{7.5, 4.0}, {-7.5, -4.0}, {2.5, 2.5}, {kNaN, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    step(kWalk, WF_Stop_Walk_Over);
    EXPECT_EQ(wm::turn_ang, turn) << ball;
  }
}

TEST_F(Motions, StandingWalkWaitsForPlayAndCountsReachedCalls) {
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
  EXPECT_EQ(wm::Walk_Cycle, 403);
}

TEST_F(Motions, ExtendPhasesEndOnNineCyclesOfContactWithoutFallCheck) {
  for (const auto& [phase, next, contact, silent] :
       {std::tuple{WF_Extend_Left_Leg, WF_Raise_Right_Leg, &wm::lfrp_count, &wm::lfrp_0_count},
        {WF_Extend_Right_Leg, WF_Raise_Left_Leg2, &wm::rfrp_count, &wm::rfrp_0_count}}) {
    *contact = 8;
    step(kWalk, phase);
    EXPECT_EQ(wm::wft, phase);
    *contact = 9;
    *silent = 81;
    step(kWalk, phase);
    EXPECT_EQ(wm::wft, next);
    EXPECT_FALSE(wm::is_lie_down);
  }
}

// Passing a phase's silent-foot limit marks a fall; the limit itself does not.
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
  SetUp();
  wm::lfrp_0_count = wm::rfrp_0_count = 1000;
  step(kWalk, WF_Raise_Right_Leg);  // lifting the right leg has no check
  EXPECT_FALSE(wm::is_lie_down);
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

TEST_F(Motions, CirclingCrouchesInTheFirstFiftyCycles) {
  wm::Sim_Cycle = 49;
  EXPECT_EQ(step(kCircle, AB_Extend_Left_Leg), "I'm Around Balling\n");
  EXPECT_EQ(wm::abt, AB_Bend_Down);
  wm::Sim_Cycle = 50;
  EXPECT_EQ(step(kCircle, AB_Extend_Left_Leg), "");
}

TEST_F(Motions, CirclingKicksOnceTheGoalIsWithinThirtyDegrees) {
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

TEST_F(Motions, StandUpWaitsHoldAtTheirLimit) {
  const struct {
    ClimbUpT phase;
    Limb limb;
    Row row;
    int wait;
  } cases[] = {{CU_Extend_Body, Limb::LeftLeg, {0, 0, 0, -90, 0, 0}, 50},
               {CU_Extend_Body2, Limb::LeftLeg, Row(6), 10},
               // The shoulder at its target +120 never passes the test at -120.
               {CU_Bend_Hand, Limb::LeftArm, {120, 0, -90, -60}, 100}};
  for (const auto& c : cases) {
    for (int since_mark : {c.wait, c.wait + 1}) {
      setLimb(c.limb, c.row);
      wm::Record_Cycle = wm::Sim_Cycle - since_mark;
      step(kClimb, c.phase);
      EXPECT_EQ(wm::cut == c.phase, since_mark == c.wait) << c.phase;
    }
  }
}

TEST_F(Motions, StandUpProbesTheLeftFootToChooseItsBranch) {
  setLimb(Limb::LeftLeg, {0, 0, 0, -90, 0, 0});
  wm::lfrp_0_count = 5;
  EXPECT_EQ(step(kClimb, CU_Extend_Body), "!!!!!!!!!!!!lfrp_0_count=5");
  EXPECT_EQ(wm::cut, CU_Extend_Body2);
  wm::Record_Cycle = 800;
  wm::lfrp_0_count = 6;
  wm::lfrp_count = 7;
  EXPECT_EQ(step(kClimb, CU_Extend_Body), "lfrp_count=7\n");
  EXPECT_EQ(wm::cut, CU_Bend_Hand2);
}

TEST_F(Motions, StandUpStartsAgainWithoutMarkWhenTheFeetStaySilent) {
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

// `status` is a static of defend() that tests cannot reset, so one test plays
// the sequence from its start value 1 round to 1 again.
TEST_F(Motions, GoalkeeperHoldsItsPosesAndWaitsForTheBall) {
  auto pose = [](const Row& legs, const Row& left_arm, const Row& right_arm) {
    setLegs(legs, legs);
    setLimb(Limb::LeftArm, left_arm);
    setLimb(Limb::RightArm, right_arm);
  };
  auto defend = [this] {
    agent.empty_exec();
    testing::internal::CaptureStdout();
    agent.defend();
    return testing::internal::GetCapturedStdout();
  };
  const std::string far = "the distance to the ball5\n";
  // The ankles at their target 80 fail the test at 75, however long the wait.
  pose({0, 0, 10, -20, 80, 0}, {90, 0, 90, -45}, {90, 0, -90, 45});
  EXPECT_EQ(defend(), far);
  pose({0, 0, 10, -20, 75, 0}, {90, 0, 90, -45}, {90, 0, -90, 45});
  wm::Record_Cycle = wm::Sim_Cycle - 100;
  EXPECT_EQ(defend(), far);
  ++wm::Sim_Cycle;
  EXPECT_EQ(defend(), far + "1\n");
  pose({0, 0, 10, -20, 75, 0}, {0, 0, 90, 0}, {0, 0, -90, 0});
  wm::Sim_Cycle += 101;
  EXPECT_EQ(defend(), far + "2\n");
  // Recovery keyframe 1 ends silently and without a mark.
  const int mark = wm::Record_Cycle;
  ++wm::Sim_Cycle;
  setLimb(Limb::LeftLeg, {-87, 45, 100, -130, 75, -45});
  EXPECT_EQ(defend(), far);
  setLimb(Limb::LeftLeg, {-87.01, 45, 100, -130, 75, -45});
  EXPECT_EQ(defend(), far);
  EXPECT_EQ(wm::Record_Cycle, mark);
  setLimb(Limb::LeftLeg, {1.79, 45, 100, -130, 30, -45});
  EXPECT_EQ(defend(), far + "0\n");
  pose(kCrouch, {0, 0, 0, 0}, {0, 0, 0, 0});
  EXPECT_EQ(defend(), far + "Stand_Up successfully \n");
  // Ready: nothing moves until the ball is closer than 2.
  wm::dis_to_ball = 2;
  pose(kCrouch, {0, 0, 0, 0.8}, {0, 0, 0, 0});
  EXPECT_EQ(defend(), "the distance to the ball2\n");
  EXPECT_EQ(wm::agent.exec_ang_lae4, 0);
  wm::dis_to_ball = 1.99;
  EXPECT_EQ(defend(), "the distance to the ball1.99\n");
  pose(kCrouch, {0, 0, 0, 0.79}, {0, 0, 0, 0});
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

TEST(Primitives, CoupledKneeSeesOnlyTheSpeedsWrittenSoFar) {
  wm::reset();
  Agent agent(nullptr);
  wm::agent.exec_ang_lle3 = 0.5;
  EXPECT_EQ(agent.get_exec_lleg4(), -0.5);
  wm::agent.exec_ang_rle3 = -1;
  wm::agent.exec_ang_rle5 = 3;
  EXPECT_EQ(agent.get_exec_rleg4(), -2);
}

TEST(Primitives, ReachedTestsAreStrictAndIgnoreTheKnee) {
  wm::reset();
  Agent agent(nullptr);
  setLimb(Limb::LeftArm, {1, 2, 3, 4});
  EXPECT_TRUE(agent.is_la_reach_ang(1, 2, 3, 4, 0.5));
  EXPECT_FALSE(agent.is_la_reach_ang(1, 2, 3, 4.5, 0.5));
  EXPECT_FALSE(agent.is_la_reach_ang(1, 2, 3, 4, 0));
  setLimb(Limb::RightArm, {1, 2, 3, 4});
  EXPECT_FALSE(agent.is_ra_reach_ang(0.5, 2, 3, 4, 0.5));
  setLegs({0, 10, 20, -70, 30, -10}, {0, 10, 20, -70, 30, -10});
  EXPECT_TRUE(agent.is_ll_reach_ang(0, 10, 20, -20, 30, -10, 0.5));
  EXPECT_FALSE(agent.is_ll_reach_ang(0, 10, 20, -70, 30.5, -10, 0.5));
  EXPECT_TRUE(agent.is_rl_reach_ang(0, 10, 20, 0, 30, -10, 0.5));
  EXPECT_FALSE(agent.is_rl_reach_ang(0, 10, 20, -70, 30, -9.5, 0.5));
}

TEST(Primitives, LegHeightIsStoredPrintedAndInverted) {
  wm::reset();
  Agent agent(nullptr);
  agent.Init_Agent_Info();
  setLimb(Limb::RightLeg, {0, 60, 0, 0, 0, 0});  // hip roll halves the height
  testing::internal::CaptureStdout();
  agent.get_r_bend_height();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "0.125\n");
  setLimb(Limb::LeftLeg, {0, 5, 20, -40, -25, -5});
  testing::internal::CaptureStdout();
  agent.get_l_bend_height();
  testing::internal::GetCapturedStdout();
  EXPECT_NEAR(agent.get_exec_lleg5(), 25, 1e-5);  // the inverse has no negative branch
}

// A height the leg cannot reach, or a hip roll of 90 degrees, must still give
// a finite ankle angle: the speed derived from it is sent to the server.
TEST(Primitives, HeightKeepingAnkleIsAlwaysFinite) {
  wm::reset();
  Agent agent(nullptr);
  agent.Init_Agent_Info();
  wm::agent.bend_height = 0.4;  // above the longest leg
  EXPECT_EQ(agent.get_exec_lleg5(), 0);
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

TEST(Primitives, StopTestPrintsTheDistanceAndIsStrict) {
  wm::reset();
  Agent agent(nullptr);
  wm::dis_to_ball = 0.3;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(agent.should_stop_walk());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "wm::dis_to_ball0.3\n");
  wm::dis_to_ball = 0.29;
  EXPECT_TRUE(agent.should_stop_walk());
}

}  // namespace
