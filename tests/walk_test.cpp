#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "agent.h"
#include "body_pose.h"
#include "world_model.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const double b = 6.5;  // the gait's roll amplitude
const Pose kCrouch = {0, 0, 10, -20, 10, 0};
const Pose kZero = {0, 0, 0, 0, 0, 0};

double speed(J joint) {
  return wm::agent.exec_ang(joint);
}

class Walk : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::agent.shank_length = 0.11;
    wm::agent.thigh_length = 0.14;
    wm::agent.set_cur_ang_lae1(-90);
    wm::agent.set_cur_ang_rae1(-90);
    wm::Walk_Cycle = 400;
    wm::Sim_Cycle = 500;
    wm::dis_to_ball = 5;
    wm::pm = PM_PLAY_ON;
  }
  // One call of the gait in `phase`; returns what it printed.
  std::string step(int phase) {
    wm::wft = static_cast<WalkForwardT>(phase);
    CaptureStdout();
    agent.walk();
    return GetCapturedStdout();
  }
  Agent agent{nullptr};
};

TEST_F(Walk, RestartsFromStandingOnlyAtTheFreshMark) {
  wm::agent.set_cur_ang_lae1(0);
  for (int phase : {0, int(WF_Move_Body_Right), int(WF_Stop_Walk_Over)}) {
    wm::Walk_Cycle = 303;
    step(phase);
    EXPECT_EQ(wm::wft, WF_Stand_Up);
    EXPECT_EQ(speed(J::lae1), -4.5);
  }
  wm::Walk_Cycle = 303;
  step(WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Bend_Down);
  EXPECT_EQ(wm::Walk_Cycle, 304);
}

TEST_F(Walk, PhasesWithoutMovementClearEverySpeed) {
  for (int phase : {0, int(WF_Stop_Walk_Over), int(WF_Auto_Walk), int(WF_Move_Body_Left)}) {
    for (int j = 0; j < int(J::count); ++j) wm::agent.exec_ang(J(j)) = 1;
    EXPECT_EQ(step(phase), "");
    EXPECT_EQ(wm::wft, phase);
    for (int j = 0; j < int(J::count); ++j) EXPECT_EQ(speed(J(j)), 0) << j;
    EXPECT_EQ(wm::best_lr, b);
  }
}

TEST_F(Walk, SteeringIsTheBallAngleLimitedToFour) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [ball, turn] :
       {std::pair{7.5, 4.0}, {-7.5, -4.0}, {2.5, 2.5}, {0.0, 0.0}, {nan, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Stop_Walk_Over);
    EXPECT_EQ(wm::turn_ang, turn) << ball;
  }
}

// From each pose one call writes these speeds: the laws (P, P×g, S, m·S, S/D,
// coupled and stepped knees) with each phase's divisors and steering.
TEST_F(Walk, EachPhaseWritesItsLaws) {
  // clang-format off
  const struct {
    WalkForwardT phase;
    double ball;
    Pose left, right;
    Speeds speeds;
  } cases[] = {
      {WF_Stand_Up, 0, {0.5, 0, 0, 0, 0, 0}, kZero, {{J::lae1, 0}, {J::lle1, -0.025}}},
      {WF_Bend_Down, 0, {0, 0, 10, -30, 10, 0}, kCrouch, {{J::lle4, 0.5}, {J::rle3, 0}}},
      // Stepped knee of the hip speed written just before it: S(-2) = -0.1.
      {WF_Move_Body_Right, 0, {0, b, -20, -20, 10, -b}, {0, b, 10, -20, 10, -b},
       {{J::lle3, 2}, {J::lle4, -0.1}, {J::rle4, 0}}},
      {WF_Raise_Left_Leg, 0, {0, b, 40, -20, 30, -b}, {0, b, 0, -20, 10, -b},
       {{J::lle4, -4}, {J::rle3, 1}, {J::rle4, 0}}},
      {WF_Raise_Right_Leg, 0, {0, -b, 10, -20, 10, b}, {2.8, -b, 40, 0, 30, b},
       {{J::rle4, -4}, {J::rle1, -0.5}, {J::lle4, 0}}},
      {WF_Bend_Down2, -12, {0, b, 40, -70, 30, -b}, {0, 0, -15, -20, 10, -b},
       {{J::lle3, -1}, {J::lle4, 4}, {J::lle5, -1}, {J::rle1, 0}, {J::rle3, 1}}},
      {WF_Bend_Down2, 12, {0, b, 40, -70, 30, -b}, {-5, 0, -15, -20, 10, -b},
       {{J::lle3, -4}, {J::lle4, 4}, {J::lle5, -0.75}, {J::rle1, -0.5}, {J::rle3, 2}}},
      {WF_Bend_Down2, 0, {0, b, 40, -70, 30, -b}, {0, 0, -15, -20, 10, -b},
       {{J::lle3, 0}, {J::lle4, 0}, {J::rle2, 0.5}, {J::rle3, 2}}},
      {WF_Stop_Walk, 0, {0, 0, 10, -30, 10, 0}, {0.8, 0, 10, -20, 10, 0},
       {{J::lle4, 1}, {J::rle1, -0.08}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SetUp();
    wm::pol_ball.pal_angle = c.ball;
    setLegs(c.left, c.right);
    step(c.phase);
    expectSpeeds(c.speeds, c.phase);
  }
}

// The supporting leg's ankle keeps the hip at the recorded height, and its
// knee follows hip and ankle; the two sides differ in divisor, swing hip
// pitch and ankle, and steer to opposite sides.
TEST_F(Walk, ExtendPhasesKeepTheHeightAndSteer) {
  wm::agent.bend_height = 0.24;
  for (const auto& [ball, yaw] : {std::pair{3.0, -3.0}, {-3.0, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    setLegs({0, 0, 10, -70, 30, 0}, kCrouch);
    step(WF_Extend_Left_Leg);
    const double rle3 = -25 * 1.1 / 21;
    const double rle5 = (agent.get_exec_rleg5() - 10) / 21;
    // clang-format off
    expectSpeeds({{J::lle2, -b / 21}, {J::lle3, 6 * 2.0 / 21}, {J::lle4, 50 * 2.8 / 21},
                  {J::lle5, -26 * 3.0 / 21}, {J::lle6, b / 21}, {J::rle1, yaw / 21},
                  {J::rle2, -b / 3 / 21}, {J::rle3, rle3}, {J::rle5, rle5},
                  {J::rle4, -(rle3 + rle5)}, {J::rle6, b / 3 / 21}},
                 WF_Extend_Left_Leg);
    // clang-format on

    wm::pol_ball.pal_angle = -ball;
    setLegs(kCrouch, {0, 0, 10, -70, 30, 0});
    step(WF_Extend_Right_Leg);
    const double lle3 = -25 * 1.1 / 22;
    const double lle5 = (agent.get_exec_lleg5() - 10) / 22;
    // clang-format off
    expectSpeeds({{J::lle1, yaw / 22}, {J::lle2, b / 3 / 22}, {J::lle3, lle3}, {J::lle5, lle5},
                  {J::lle4, -(lle3 + lle5)}, {J::lle6, -b / 3 / 22}, {J::rle2, b / 22},
                  {J::rle3, 7 * 2.0 / 22}, {J::rle4, 50 * 2.8 / 22}, {J::rle5, -27 * 3.0 / 22},
                  {J::rle6, -b / 22}},
                 WF_Extend_Right_Leg);
    // clang-format on
  }
}

// A joint exactly at its tolerance holds the phase; just inside it moves on.
TEST_F(Walk, ReachTestsAreStrict) {
  const Pose far = {30, 0, 0, 30, 0, 30};
  // clang-format off
  const struct {
    WalkForwardT phase, next;
    double ball;
    Pose left, right;
    J holder;
    double at_limit, inside;
  } cases[] = {
      {WF_Stand_Up, WF_Bend_Down, 0, kZero, kZero, J::rle6, 0.6, 0.5},
      {WF_Bend_Down, WF_Move_Body_Right, 0, kCrouch, kCrouch, J::rle6, 1.8, 1.75},
      {WF_Move_Body_Right, WF_Raise_Left_Leg, 0, {0, b, 10, 0, 10, -b}, {0, b, 10, 0, 10, -b},
       J::lle1, 0.8, 0.75},
      {WF_Raise_Left_Leg, WF_Extend_Left_Leg, 0, {0, b, 40, 0, 30, -b}, {0, b, 10, 0, 10, -b},
       J::lle1, 2.8, 2.75},
      {WF_Raise_Left_Leg, WF_Extend_Left_Leg, 0, {0, b, 40, 0, 30, -b}, {0, b, 10, 0, 10, -b},
       J::rle1, 3.8, 3.75},
      {WF_Extend_Left_Leg, WF_Raise_Right_Leg, 0, {0, -10, 10, 0, 10, 10}, {0, -10, 0, 0, 25, 10},
       J::rle1, 0.8, 0.75},
      {WF_Raise_Right_Leg, WF_Extend_Right_Leg, 0, far, {0, -b, 40, 0, 30, b}, J::rle1, 2.8, 2.75},
      {WF_Extend_Right_Leg, WF_Raise_Left_Leg2, 0, {0, 10, 0, 0, 10, -10}, {0, 10, 10, 0, 10, -10},
       J::lle1, 2.8, 2.75},
      {WF_Bend_Down2, WF_Bend_Down, -12, {0, b, 15, 50, -5, -b}, far, J::lle1, 4.8, 4.75},
      {WF_Bend_Down2, WF_Bend_Down, 12, {0, b, 0, 50, 25, -b}, far, J::lle1, 4.8, 4.75},
      {WF_Stop_Walk, WF_Stop_Walk_Over, 0, kCrouch, kCrouch, J::rle1, 0.8, 0.75},
  };
  // clang-format on
  for (const auto& c : cases) {
    SetUp();
    wm::pol_ball.pal_angle = c.ball;
    setLegs(c.left, c.right);
    wm::agent.set_cur_ang(c.holder, c.at_limit);
    step(c.phase);
    EXPECT_EQ(wm::wft, c.phase);
    wm::agent.set_cur_ang(c.holder, c.inside);
    step(c.phase);
    EXPECT_EQ(wm::wft, c.next) << c.phase;
  }
}

TEST_F(Walk, ExtendPhasesEndOnNineCyclesOfContact) {
  for (const auto& [phase, next, contact, silent, line] :
       {std::tuple{WF_Extend_Left_Leg, WF_Raise_Right_Leg, &wm::lfrp_count, &wm::lfrp_0_count,
                   "WF_Raise_Right_Leg\n"},
        {WF_Extend_Right_Leg, WF_Raise_Left_Leg2, &wm::rfrp_count, &wm::rfrp_0_count, ""}}) {
    *contact = 8;
    EXPECT_EQ(step(phase), "");
    EXPECT_EQ(wm::wft, phase);
    *contact = 9;
    *silent = 81;  // ending the phase skips its fall check
    EXPECT_EQ(step(phase), line);
    EXPECT_EQ(wm::wft, next);
    EXPECT_FALSE(wm::is_lie_down);
  }
}

// Passing a phase's silent-foot limit marks a fall; the limit itself does not.
TEST_F(Walk, FallMarksAtStrictLimits) {
  // clang-format off
  const struct {
    WalkForwardT phase;
    double ball;
    Pose left;
    int* silent;
    int limit;
  } cases[] = {
      {WF_Bend_Down, 0, kZero, &wm::rfrp_0_count, 10},
      {WF_Bend_Down, 0, kZero, &wm::lfrp_0_count, 30},
      {WF_Raise_Left_Leg, 0, kZero, &wm::rfrp_0_count, 10},
      {WF_Raise_Left_Leg2, 0, kZero, &wm::rfrp_0_count, 3},
      {WF_Extend_Left_Leg, 0, kZero, &wm::lfrp_0_count, 80},
      {WF_Extend_Right_Leg, 0, kZero, &wm::rfrp_0_count, 80},
      {WF_Bend_Down2, 0, kZero, &wm::rfrp_0_count, 10},
      // Turning checks the left foot only once the left leg is placed.
      {WF_Bend_Down2, -12, {0, b, 15, 0, -5, -b}, &wm::lfrp_0_count, 80},
      {WF_Bend_Down2, 12, {0, b, 0, -30, 25, -b}, &wm::lfrp_0_count, 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (int silent : {c.limit, c.limit + 1}) {
      SetUp();
      wm::pol_ball.pal_angle = c.ball;
      setLegs(c.left, kZero);
      *c.silent = silent;
      step(c.phase);
      EXPECT_EQ(wm::is_lie_down, silent > c.limit) << c.phase << " " << silent;
      EXPECT_EQ(wm::Record_Cycle, silent > c.limit ? 500 : 0);
    }
  }
  SetUp();
  wm::lfrp_0_count = 1000;  // turning, left leg not placed
  for (double ball : {-12.0, 12.0}) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Bend_Down2);
  }
  wm::rfrp_0_count = 1000;  // lifting the right leg has no check
  step(WF_Raise_Right_Leg);
  EXPECT_FALSE(wm::is_lie_down);
}

TEST_F(Walk, StandUpWaitsForPlayAndCountsReachedCalls) {
  for (const auto& [mode, next] : {std::pair{PM_KICK_OFF_LEFT, WF_Bend_Down},
                                   {PM_BEFORE_KICK_OFF, WF_Stand_Up},
                                   {PM_KICK_OFF_RIGHT, WF_Stand_Up}}) {
    wm::pm = mode;
    step(WF_Stand_Up);
    EXPECT_EQ(wm::wft, next) << mode;
  }
  EXPECT_EQ(wm::Walk_Cycle, 403);
  step(WF_Bend_Down);
  EXPECT_EQ(wm::Walk_Cycle, 404);
}

std::string heightLine() {
  std::ostringstream line;
  line << wm::agent.bend_height << "\n";
  return line.str();
}

TEST_F(Walk, LiftsRecordTheSupportingLegsHeightThenTurnOrStop) {
  const Pose lifted = {0, b, 40, -70, 30, -b};
  const Pose support = {0, b, 10, -20, 10, -b};
  for (const auto& [ball, next] :
       {std::pair{-12.0, WF_Bend_Down2}, {-10.0, WF_Extend_Left_Leg}, {10.5, WF_Bend_Down2}}) {
    wm::pol_ball.pal_angle = ball;
    setLegs(lifted, support);
    const std::string out = step(WF_Raise_Left_Leg);
    EXPECT_EQ(out, heightLine());
    EXPECT_EQ(wm::wft, next) << ball;
  }
  const double rad = std::acos(-1.0) / 180;
  EXPECT_NEAR(wm::agent.bend_height, 0.25 * std::cos(10 * rad) * std::cos(b * rad), 1e-6);

  wm::dis_to_ball = 0.3;  // later lifts ignore the angle, test the distance
  const std::string out = step(WF_Raise_Left_Leg2);
  EXPECT_EQ(out, heightLine() + "wm::dis_to_ball0.3\n");
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);
  wm::dis_to_ball = 0.29;
  step(WF_Raise_Left_Leg2);
  EXPECT_EQ(wm::wft, WF_Stop_Walk);

  setLegs({30, 0, 0, 30, 0, 30}, {0, -b, 40, -70, 30, b});
  EXPECT_EQ(step(WF_Raise_Right_Leg), "0.25\nwm::dis_to_ball0.29\n");  // left leg's height
  EXPECT_EQ(wm::wft, WF_Stop_Walk);
}

TEST_F(Walk, ShiftAndTurnPrintTheirLines) {
  setLegs({0, b, 10, 0, 10, -b}, {0, b, 10, 0, 10, -b});
  EXPECT_EQ(step(WF_Move_Body_Right), "9\n");
  wm::pol_ball.pal_angle = -12.5;
  EXPECT_EQ(step(WF_Bend_Down2), "wm::pol_ball.pal_angle=-12.5\n");
}

TEST_F(Walk, StopHandsOverTheKickingSideAndCircling) {
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
    step(WF_Stop_Walk);
    EXPECT_EQ(wm::wft, WF_Stop_Walk_Over);
    EXPECT_EQ(wm::kbs, c.side);
    EXPECT_EQ(wm::should_around, c.around);
    EXPECT_EQ(wm::abt, AB_Bend_Down);
  }
}

}  // namespace
