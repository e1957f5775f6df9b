#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "agent.h"
#include "world_model.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const char* const kFallLines = "wm::lfrp_0_count=";

class Decision : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::my_number = 2;
    wm::wft = WF_Move_Body_Right;
    wm::Walk_Cycle = 400;
    wm::best_lr = -1;
  }
  std::string think() {
    CaptureStdout();
    Agent(nullptr).think();
    return GetCapturedStdout();
  }
};

TEST_F(Decision, FallNeedsSilentFeetPastEveryStrictLimit) {
  struct Case {
    int frp_0, lfrp_0, rfrp_0, since_mark;
    WalkForwardT phase;
    bool fallen;
  } cases[] = {
      {51, 0, 0, 81, WF_Move_Body_Right, true},   {50, 0, 0, 81, WF_Move_Body_Right, false},
      {0, 201, 0, 81, WF_Move_Body_Right, true},  {0, 200, 0, 81, WF_Move_Body_Right, false},
      {0, 0, 201, 81, WF_Move_Body_Right, true},  {0, 0, 200, 81, WF_Move_Body_Right, false},
      {51, 0, 0, 80, WF_Move_Body_Right, false},  {51, 0, 0, 81, WF_Bend_Down, false},
      {51, 0, 0, 81, WF_Bend_Down2, false},       {51, 0, 0, 81, WF_Stop_Walk_Over, true},
  };
  for (const Case& c : cases) {
    SetUp();
    wm::frp_0_count = c.frp_0;
    wm::lfrp_0_count = c.lfrp_0;
    wm::rfrp_0_count = c.rfrp_0;
    wm::Sim_Cycle = 100 + c.since_mark;
    wm::Record_Cycle = 100;
    wm::wft = c.phase;
    const std::string out = think();
    SCOPED_TRACE(::testing::Message() << c.frp_0 << "/" << c.lfrp_0 << "/" << c.rfrp_0 << " after "
                                      << c.since_mark << " in phase " << c.phase);
    EXPECT_EQ(wm::is_lie_down, c.fallen);
    EXPECT_EQ(out.find(kFallLines) != std::string::npos, c.fallen);
    EXPECT_EQ(wm::Record_Cycle, c.fallen ? wm::Sim_Cycle : 100);
  }
}

TEST_F(Decision, GoalkeeperAlwaysDefends) {
  wm::my_number = 1;
  wm::frp_0_count = 51;
  wm::Sim_Cycle = 181;
  wm::Record_Cycle = 100;
  const std::string out = think();
  EXPECT_THAT(out, StartsWith(std::string(kFallLines)));
  EXPECT_THAT(out, HasSubstr("\n goalie\n"));
  EXPECT_TRUE(wm::is_lie_down);
  EXPECT_EQ(wm::best_lr, -1);  // neither walked (which sets its lean) nor stood up
}

}  // namespace
