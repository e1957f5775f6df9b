#include <gtest/gtest.h>

#include "world_model.h"

namespace {

void expectStartValues() {
  EXPECT_EQ(wm::Sim_Cycle, 0);
  EXPECT_EQ(wm::pm, PM_BEFORE_KICK_OFF);
  EXPECT_EQ(static_cast<int>(wm::wft), 0);
  EXPECT_EQ(static_cast<int>(wm::kbs), 0);
  EXPECT_EQ(static_cast<int>(wm::cut), 0);
  EXPECT_EQ(static_cast<int>(wm::abt), 0);
  EXPECT_FALSE(wm::is_side_left);
  EXPECT_FALSE(wm::should_around);
  EXPECT_EQ(wm::my_side, Team_Left);
  EXPECT_EQ(wm::pol_ball.pol_distance, 0);
  EXPECT_EQ(wm::lfrp.f_z, 0);
  EXPECT_EQ(wm::best_lr, 0);
  EXPECT_EQ(wm::m_team_name, "");
  // Shirt numbers run up to 11, each with its own slot.
  ASSERT_EQ(sizeof wm::my_player_pos / sizeof wm::my_player_pos[0], 12u);
  for (const VecPosition& slot : wm::my_player_pos) EXPECT_TRUE(slot == 0.0);
  EXPECT_DOUBLE_EQ(wm::agent.getBattery(), 100);
  EXPECT_EQ(wm::agent.getNumber(), 0);
}

TEST(WorldModel, GlobalsStartAtTheirStartValues) { expectStartValues(); }

TEST(WorldModel, ResetRestoresTheStartValues) {
  wm::Sim_Cycle = 40;
  wm::pm = PM_PLAY_ON;
  wm::wft = WF_Stop_Walk_Over;
  wm::pol_ball.pol_distance = 3;
  wm::my_player_pos[11].setX(-1);
  wm::agent.setNumber(9);
  wm::m_team_name = "Blue";
  wm::reset();
  expectStartValues();
}

}  // namespace
