#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

#include "agent.h"
#include "world_model.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using J = JointId;
using Pose = std::array<double, 6>;

const double b = 6.5;  // the gait's roll amplitude
const double kRad = std::acos(-1.0) / 180;

void setLimb(Limb limb, const Pose& angles) {
  const int count = limb == Limb::LeftLeg || limb == Limb::RightLeg ? 6 : 4;
  for (int k = 1; k <= count; ++k) wm::agent.set_cur_ang(limbJoint(limb, k), angles[k - 1]);
}

void setLegs(const Pose& left, const Pose& right) {
  setLimb(Limb::LeftLeg, left);
  setLimb(Limb::RightLeg, right);
}

double speed(J joint) {
  return wm::agent.exec_ang(joint);
}

void expectSpeeds(std::initializer_list<std::pair<J, double>> expected) {
  for (const auto& [joint, value] : expected) {
    EXPECT_NEAR(speed(joint), value, 1e-12) << "joint " << static_cast<int>(joint);
  }
}

std::string heightLine() {
  std::ostringstream line;
  line << wm::agent.bend_height << "\n";
  return line.str();
}

class Walk : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::agent.shank_length = 0.11;
    wm::agent.thigh_length = 0.14;
    wm::Walk_Cycle = 400;
    wm::Sim_Cycle = 500;
    wm::dis_to_ball = 5;
    wm::pm = PM_PLAY_ON;
  }
  // One call of the gait in `phase`; returns what it printed.
  std::string step(WalkForwardT phase) {
    wm::wft = phase;
    CaptureStdout();
    agent.walk();
    return GetCapturedStdout();
  }
  void expectFallMark(bool fallen) {
    EXPECT_EQ(wm::is_lie_down, fallen);
    EXPECT_EQ(wm::Record_Cycle, fallen ? 500 : 0);
    wm::is_lie_down = false;
    wm::Record_Cycle = 0;
  }
  Agent agent{nullptr};
};

TEST_F(Walk, RestartsFromStandingOnlyAtTheFreshMark) {
  wm::Walk_Cycle = 303;
  step(WF_Move_Body_Right);
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  expectSpeeds({{J::lae1, -4.5}, {J::rae1, -4.5}});

  wm::Walk_Cycle = 303;
  step(static_cast<WalkForwardT>(0));
  EXPECT_EQ(wm::wft, WF_Stand_Up);

  wm::Walk_Cycle = 303;
  step(WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Bend_Down);
  EXPECT_EQ(wm::Walk_Cycle, 304);
}

TEST_F(Walk, PhasesWithoutMovementClearEverySpeed) {
  for (int phase : {0, int(WF_Stop_Walk_Over), int(WF_Auto_Walk), int(WF_Move_Body_Left)}) {
    for (int j = 0; j < static_cast<int>(J::count); ++j) wm::agent.exec_ang(J(j)) = 1;
    step(static_cast<WalkForwardT>(phase));
    EXPECT_EQ(wm::wft, phase);
    for (int j = 0; j < static_cast<int>(J::count); ++j) EXPECT_EQ(speed(J(j)), 0) << j;
    EXPECT_EQ(wm::best_lr, b);
  }
}

TEST_F(Walk, SteeringIsTheBallAngleLimitedToFour) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, double> cases[] = {{7.5, 4}, {-7.5, -4}, {2.5, 2.5}, {0, 0}, {nan, 0}};
  for (const auto& [ball, turn] : cases) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Stop_Walk_Over);
    EXPECT_EQ(wm::turn_ang, turn) << ball;
  }
}

TEST_F(Walk, StandUpWaitsForPlayToBendDownAndCountsReachedCalls) {
  setLimb(Limb::LeftArm, {-89.5, 0, 0, 0});
  setLimb(Limb::RightArm, {-90, 0, 0, 0});
  const std::pair<PlayModeT, WalkForwardT> cases[] = {{PM_PLAY_ON, WF_Bend_Down},
                                                      {PM_KICK_OFF_LEFT, WF_Bend_Down},
                                                      {PM_BEFORE_KICK_OFF, WF_Stand_Up},
                                                      {PM_KICK_OFF_RIGHT, WF_Stand_Up}};
  for (const auto& [mode, next] : cases) {
    wm::pm = mode;
    wm::Walk_Cycle = 400;
    step(WF_Stand_Up);
    EXPECT_EQ(wm::wft, next) << mode;
    EXPECT_EQ(wm::Walk_Cycle, 401);
    expectSpeeds({{J::lae1, -0.025}, {J::rae1, 0}, {J::lle1, 0}});
  }
  wm::agent.set_cur_ang_rle6(0.6);  // exactly at the tolerance
  wm::Walk_Cycle = 400;
  step(WF_Stand_Up);
  EXPECT_EQ(wm::wft, WF_Stand_Up);
  EXPECT_EQ(wm::Walk_Cycle, 400);
  expectSpeeds({{J::rle6, -0.03}});
}

TEST_F(Walk, BendDownCountsEveryCallMarksFallsAndNeedsTheCrouch) {
  setLegs({1.8, 0, 10, -30, 10, 0}, {0, 0, 10, -20, 10, 0});
  step(WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Bend_Down);
  EXPECT_EQ(wm::Walk_Cycle, 401);
  expectSpeeds({{J::lle1, -0.09}, {J::lle4, 0.5}, {J::rle4, 0}});
  wm::agent.set_cur_ang_lle1(1.75);
  step(WF_Bend_Down);
  EXPECT_EQ(wm::wft, WF_Move_Body_Right);

  const struct {
    int right_silent, left_silent;
    bool fallen;
  } cases[] = {{11, 0, true}, {10, 0, false}, {0, 31, true}, {0, 30, false}};
  for (const auto& c : cases) {
    wm::rfrp_0_count = c.right_silent;
    wm::lfrp_0_count = c.left_silent;
    step(WF_Bend_Down);
    expectFallMark(c.fallen);
  }
}

TEST_F(Walk, MoveBodyRightSteppedKneeFollowsTheHipWrittenBeforeIt) {
  setLegs({0, b, -20, -20, 10, -b}, {0, b, 10, -20, 10, -b});
  EXPECT_EQ(step(WF_Move_Body_Right), "");
  expectSpeeds({{J::lle3, 2}, {J::lle5, 0}, {J::lle4, -0.1}, {J::rle4, 0}});
  EXPECT_EQ(wm::wft, WF_Move_Body_Right);

  setLegs({0.8, b, 10, 0, 10, -b}, {0, b, 10, 0, 10, -b});
  step(WF_Move_Body_Right);
  EXPECT_EQ(wm::wft, WF_Move_Body_Right);
  wm::agent.set_cur_ang_lle1(0.75);
  EXPECT_EQ(step(WF_Move_Body_Right), "9\n");
  EXPECT_EQ(wm::wft, WF_Raise_Left_Leg);
}

class RaiseLeftLeg : public Walk {
 protected:
  void SetUp() override {
    Walk::SetUp();
    setLegs({0, b, 40, -20, 30, -b}, {0, b, 0, -20, 10, -b});
    wm::agent.set_cur_ang_rle3(10);
  }
};

TEST_F(RaiseLeftLeg, LiftsWithTheDoubledKneeStepAndRecordsTheRightHeight) {
  setLimb(Limb::RightLeg, {0, b, 0, -20, 10, -b});
  step(WF_Raise_Left_Leg);
  expectSpeeds({{J::lle4, -4}, {J::lle3, 0}, {J::rle3, 1}, {J::rle4, 0}});

  wm::agent.set_cur_ang_rle3(10);
  const std::string out = step(WF_Raise_Left_Leg);
  EXPECT_EQ(out, heightLine());
  EXPECT_NEAR(wm::agent.bend_height, 0.25 * std::cos(10 * kRad) * std::cos(b * kRad), 1e-6);
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);
}

TEST_F(RaiseLeftLeg, FirstStepTurnsForABallOffByMoreThanTen) {
  for (const auto& [ball, next] :
       {std::pair{-12.0, WF_Bend_Down2}, {-10.0, WF_Extend_Left_Leg}, {10.5, WF_Bend_Down2}}) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Raise_Left_Leg);
    EXPECT_EQ(wm::wft, next) << ball;
  }
}

TEST_F(RaiseLeftLeg, LaterStepStopsForACloseBallAndIgnoresItsAngle) {
  wm::pol_ball.pal_angle = -12;
  wm::dis_to_ball = 0.3;
  std::string out = step(WF_Raise_Left_Leg2);
  EXPECT_EQ(out, heightLine() + "wm::dis_to_ball0.3\n");
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);
  wm::dis_to_ball = 0.29;
  step(WF_Raise_Left_Leg2);
  EXPECT_EQ(wm::wft, WF_Stop_Walk);
}

TEST_F(RaiseLeftLeg, HoldsAtEachToleranceAndMarksFallsPerPhase) {
  wm::agent.set_cur_ang_rle1(3.8);
  EXPECT_EQ(step(WF_Raise_Left_Leg), "");
  EXPECT_EQ(wm::wft, WF_Raise_Left_Leg);
  wm::agent.set_cur_ang_rle1(3.75);
  wm::agent.set_cur_ang_lle1(2.8);
  EXPECT_EQ(step(WF_Raise_Left_Leg), "");
  wm::agent.set_cur_ang_lle1(2.75);
  step(WF_Raise_Left_Leg);
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);

  const struct {
    WalkForwardT phase;
    int right_silent;
    bool fallen;
  } cases[] = {{WF_Raise_Left_Leg, 11, true},
               {WF_Raise_Left_Leg, 10, false},
               {WF_Raise_Left_Leg2, 4, true},
               {WF_Raise_Left_Leg2, 3, false}};
  for (const auto& c : cases) {
    wm::rfrp_0_count = c.right_silent;
    step(c.phase);
    expectFallMark(c.fallen);
  }
}

TEST_F(Walk, ExtendLeftLegKeepsTheRightHipHeightAndSteersRight) {
  setLegs({0, 0, 10, -70, 30, 0}, {0, 0, 10, -20, 10, 0});
  wm::agent.bend_height = 0.24;
  for (const auto& [ball, yaw] : {std::pair{3.0, -3.0}, {-3.0, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Extend_Left_Leg);
    const double rle3 = -25 * 1.1 / 21;
    const double rle5 = (agent.get_exec_rleg5() - 10) / 21;
    expectSpeeds({{J::lle2, -b / 21},
                  {J::lle3, 6 * 2.0 / 21},
                  {J::lle4, 50 * 2.8 / 21},
                  {J::lle5, -26 * 3.0 / 21},
                  {J::lle6, b / 21},
                  {J::rle1, yaw / 21},
                  {J::rle2, -b / 3 / 21},
                  {J::rle3, rle3},
                  {J::rle5, rle5},
                  {J::rle4, -(rle3 + rle5)},
                  {J::rle6, b / 3 / 21}});
  }
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);
}

TEST_F(Walk, ExtendLeftLegEndsOnLeftContactOrReachAndMarksFalls) {
  setLegs({0, -10, 10, 0, 10, 10}, {0.8, -10, 0, 0, 25, 10});
  wm::lfrp_count = 8;
  wm::lfrp_0_count = 80;
  EXPECT_EQ(step(WF_Extend_Left_Leg), "");
  EXPECT_EQ(wm::wft, WF_Extend_Left_Leg);
  expectFallMark(false);
  wm::lfrp_0_count = 81;
  step(WF_Extend_Left_Leg);
  expectFallMark(true);

  wm::lfrp_count = 9;
  EXPECT_EQ(step(WF_Extend_Left_Leg), "WF_Raise_Right_Leg\n");
  EXPECT_EQ(wm::wft, WF_Raise_Right_Leg);
  expectFallMark(false);

  wm::lfrp_count = 0;
  wm::agent.set_cur_ang_rle1(0.75);
  EXPECT_EQ(step(WF_Extend_Left_Leg), "WF_Raise_Right_Leg\n");
}

TEST_F(Walk, RaiseRightLegTestsOnlyTheRightLegThenMayStop) {
  wm::rfrp_0_count = 1000;  // no fall check here
  setLegs({0, -b, 10, -20, 10, b}, {0, -b, 40, 0, 30, b});
  wm::agent.set_cur_ang_rle1(2.8);
  EXPECT_EQ(step(WF_Raise_Right_Leg), "");
  expectSpeeds({{J::rle4, -4}, {J::lle4, 0}, {J::rle1, -0.5}});

  setLimb(Limb::LeftLeg, {30, 0, 0, 30, 0, 30});
  wm::agent.set_cur_ang_rle1(2.75);
  EXPECT_EQ(step(WF_Raise_Right_Leg), "0.25\nwm::dis_to_ball5\n");  // left leg height
  EXPECT_EQ(wm::wft, WF_Extend_Right_Leg);
  wm::dis_to_ball = 0.29;
  step(WF_Raise_Right_Leg);
  EXPECT_EQ(wm::wft, WF_Stop_Walk);
  expectFallMark(false);
}

TEST_F(Walk, ExtendRightLegHasItsOwnDivisorAndSteersLeft) {
  setLegs({0, 0, 10, -20, 10, 0}, {0, 0, 10, -70, 30, 0});
  wm::agent.bend_height = 0.24;
  for (const auto& [ball, yaw] : {std::pair{-3.0, -3.0}, {3.0, 0.0}}) {
    wm::pol_ball.pal_angle = ball;
    step(WF_Extend_Right_Leg);
    const double lle3 = -25 * 1.1 / 22;
    const double lle5 = (agent.get_exec_lleg5() - 10) / 22;
    expectSpeeds({{J::lle1, yaw / 22},
                  {J::lle2, b / 3 / 22},
                  {J::lle3, lle3},
                  {J::lle5, lle5},
                  {J::lle4, -(lle3 + lle5)},
                  {J::lle6, -b / 3 / 22},
                  {J::rle2, b / 22},
                  {J::rle3, 7 * 2.0 / 22},
                  {J::rle4, 50 * 2.8 / 22},
                  {J::rle5, -27 * 3.0 / 22},
                  {J::rle6, -b / 22}});
  }
  EXPECT_EQ(wm::wft, WF_Extend_Right_Leg);
}

TEST_F(Walk, ExtendRightLegEndsOnRightContactOrReachAndMarksFalls) {
  setLegs({0, 10, 0, 0, 10, -10}, {2.8, 10, 10, 0, 10, -10});
  wm::rfrp_count = 8;
  wm::rfrp_0_count = 81;
  step(WF_Extend_Right_Leg);
  EXPECT_EQ(wm::wft, WF_Extend_Right_Leg);
  expectFallMark(true);
  wm::rfrp_0_count = 80;
  step(WF_Extend_Right_Leg);
  expectFallMark(false);

  wm::rfrp_count = 9;
  EXPECT_EQ(step(WF_Extend_Right_Leg), "");
  EXPECT_EQ(wm::wft, WF_Raise_Left_Leg2);
  wm::rfrp_count = 0;
  wm::agent.set_cur_ang_rle1(2.75);
  step(WF_Extend_Right_Leg);
  EXPECT_EQ(wm::wft, WF_Raise_Left_Leg2);
}

class BendDown2 : public Walk {
 protected:
  void SetUp() override {
    Walk::SetUp();
    setLegs({0, b, 40, -70, 30, -b}, {0, 0, -15, -20, 10, -b});
  }
};

TEST_F(BendDown2, BallOnTheLeftSwingsSlowlyAndHalvesTheRightLeg) {
  wm::pol_ball.pal_angle = -12;
  EXPECT_EQ(step(WF_Bend_Down2), "wm::pol_ball.pal_angle=-12\n");
  expectSpeeds(
      {{J::lle3, -1}, {J::lle4, 4}, {J::lle5, -1}, {J::rle1, 0}, {J::rle2, 0.5}, {J::rle3, 1}});
  EXPECT_EQ(wm::wft, WF_Bend_Down2);
}

TEST_F(BendDown2, BallOnTheRightSwingsFastAndYawsTheRightHip) {
  wm::pol_ball.pal_angle = 12;
  wm::agent.set_cur_ang_rle1(-5);  // 3 short of the yaw -2t
  EXPECT_EQ(step(WF_Bend_Down2), "wm::pol_ball.pal_angle=12\n");
  expectSpeeds({{J::lle3, -4}, {J::lle4, 4}, {J::lle5, -0.75}, {J::rle1, -0.5}, {J::rle3, 2}});
}

TEST_F(BendDown2, BallAheadMovesOnlyTheRightLeg) {
  step(WF_Bend_Down2);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(speed(limbJoint(Limb::LeftLeg, k)), 0) << k;
  expectSpeeds({{J::rle3, 2}, {J::rle2, 0.5}});
  setLimb(Limb::LeftLeg, {0, b, 0, -30, 25, -b});
  step(WF_Bend_Down2);
  EXPECT_EQ(wm::wft, WF_Bend_Down2);
}

TEST_F(BendDown2, EndsWhenTheLeftLegIsPlacedAndMarksFallsBySide) {
  const struct {
    double ball;
    Pose left;
    int left_silent, right_silent;
    bool fallen;
  } cases[] = {
      {-12, {0, b, 15, 0, -5, -b}, 81, 0, true}, {-12, {0, b, 15, 0, -5, -b}, 80, 0, false},
      {12, {0, b, 0, -30, 25, -b}, 3, 0, true},  {12, {0, b, 0, -30, 25, -b}, 2, 0, false},
      {0, {0, b, 0, -30, 25, -b}, 0, 11, true},  {0, {0, b, 0, -30, 25, -b}, 0, 10, false},
  };
  for (const auto& c : cases) {
    wm::pol_ball.pal_angle = c.ball;
    setLimb(Limb::LeftLeg, c.left);
    wm::lfrp_0_count = c.left_silent;
    wm::rfrp_0_count = c.right_silent;
    step(WF_Bend_Down2);
    EXPECT_EQ(wm::wft, c.ball == 0 ? WF_Bend_Down2 : WF_Bend_Down) << c.ball;
    expectFallMark(c.fallen);
  }
  // Not placed: the left contact limit is not checked.
  wm::pol_ball.pal_angle = -12;
  setLimb(Limb::LeftLeg, {4.8, b, 15, 0, -5, -b});
  wm::lfrp_0_count = 1000;
  wm::rfrp_0_count = 0;
  step(WF_Bend_Down2);
  EXPECT_EQ(wm::wft, WF_Bend_Down2);
  expectFallMark(false);
}

TEST_F(Walk, StopWalkCrouchesThenHandsOverSideAndCircling) {
  setLegs({0, 0, 10, -30, 10, 0}, {0.8, 0, 10, -20, 10, 0});
  step(WF_Stop_Walk);
  EXPECT_EQ(wm::wft, WF_Stop_Walk);
  EXPECT_EQ(wm::kbs, 0);
  EXPECT_EQ(wm::abt, 0);
  expectSpeeds({{J::lle4, 1}, {J::rle1, -0.08}});

  wm::agent.set_cur_ang_rle1(0.75);
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
