#include "world_model.h"

namespace wm {

int Sim_Cycle = 0;
int Walk_Cycle = 0;
int Record_Cycle = 0;
Time Sim_Time = 0;
Time Gam_Time = 0;
float tmp_left_ang = 0;
float tmp_right_an = 0;
PlayModeT pm = PM_BEFORE_KICK_OFF;
// The phase variables start at 0, which is none of their named values.
KickT kbs = static_cast<KickT>(0);
ClimbUpT cut = static_cast<ClimbUpT>(0);
AroundBallT abt = static_cast<AroundBallT>(0);
WalkForwardT wft = static_cast<WalkForwardT>(0);
GYR gyr = {};
Polar pol_g1l = {}, pol_g1r = {}, pol_g2l = {}, pol_g2r = {};
Polar pol_f1l = {}, pol_f1r = {}, pol_f2l = {}, pol_f2r = {};
Polar pol_gtl = {}, pol_gtr = {};
Polar pol_ball = {};
Polar MyTeam[10] = {};
Polar TheirTeam[10] = {};
FRP lfrp = {}, rfrp = {};
bool should_around = false;
bool is_lie_down = false;
bool is_side_left = false;
int my_number = 0;
VecPosition my_player_pos[kFormationSlots];
std::string send_msg;
AgentObject agent;
BallObject ball;
std::string m_team_name;
std::string t_team_name;
Team_Side my_side = Team_Left;
double ang_to_middle = 0;
int lfrp_count = 0, rfrp_count = 0;
int lfrp_0_count = 0, rfrp_0_count = 0;
int frp_0_count = 0;
int goal_in_cycle = 0;
double dis_to_ball = 0;
double turn_ang = 0;
double best_lr = 0;

void reset() {
  Sim_Cycle = Walk_Cycle = Record_Cycle = 0;
  Sim_Time = Gam_Time = 0;
  tmp_left_ang = tmp_right_an = 0;
  pm = PM_BEFORE_KICK_OFF;
  kbs = static_cast<KickT>(0);
  cut = static_cast<ClimbUpT>(0);
  abt = static_cast<AroundBallT>(0);
  wft = static_cast<WalkForwardT>(0);
  gyr = {};
  pol_g1l = pol_g1r = pol_g2l = pol_g2r = {};
  pol_f1l = pol_f1r = pol_f2l = pol_f2r = {};
  pol_gtl = pol_gtr = pol_ball = {};
  for (int i = 0; i < 10; ++i) MyTeam[i] = TheirTeam[i] = {};
  lfrp = rfrp = {};
  should_around = is_lie_down = is_side_left = false;
  my_number = 0;
  for (VecPosition& slot : my_player_pos) slot = VecPosition(0, 0, 0);
  send_msg.clear();
  agent = AgentObject();
  ball = BallObject();
  m_team_name.clear();
  t_team_name.clear();
  my_side = Team_Left;
  ang_to_middle = 0;
  lfrp_count = rfrp_count = lfrp_0_count = rfrp_0_count = frp_0_count = 0;
  goal_in_cycle = 0;
  dis_to_ball = turn_ang = best_lr = 0;
}

}  // namespace wm
