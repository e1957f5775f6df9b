// The world model: every piece of state that outlives one call, as globals of
// namespace wm. The parser writes what the server reports; the decision and
// the motions read it and keep their phases and counters here.
#ifndef VEXA_WORLD_MODEL_H
#define VEXA_WORLD_MODEL_H

#include <string>

#include "Geometry.h"
#include "objects.h"

enum PlayModeT {
  PM_BEFORE_KICK_OFF = 0,
  PM_KICK_OFF_LEFT = 1,
  PM_KICK_OFF_RIGHT = 2,
  PM_PLAY_ON = 3,
  PM_KICK_IN_LEFT = 4,
  PM_KICK_IN_RIGHT = 5,
  PM_CORNER_KICK_LEFT = 6,
  PM_CORNER_KICK_RIGHT = 7,
  PM_GOAL_KICK_LEFT = 8,
  PM_GOAL_KICK_RIGHT = 9,
  PM_OFFSIDE_LEFT = 10,
  PM_OFFSIDE_RIGHT = 11,
  PM_QUIT = 12,
  PM_GOAL_LEFT = 13,
  PM_GOAL_RIGHT = 14,
  PM_FREE_KICK_LEFT = 15,
  PM_FREE_KICK_RIGHT = 16,
  PM_ILLEGAL = 17
};

// Phases of the walking gait.
enum WalkForwardT {
  WF_Stand_Up = 1,
  WF_Move_Body_Left = 2,
  WF_Raise_Right_Leg = 3,
  WF_Extend_Right_Leg = 4,
  WF_Push_Left_Leg = 5,
  WF_Move_Body_Right = 6,
  WF_Exentd_Left_Right = 7,
  WF_Forward_Gain = 8,
  WF_Raise_Left_Leg = 9,
  WF_Extend_Left_Leg = 10,
  WF_Extend_Right_Left = 11,
  WF_Forward_Gain2 = 12,
  WF_Move_Body_Left2 = 13,
  WF_Raise_Right_Leg2 = 14,
  WF_Return_Right_Leg = 15,
  WF_Push_Right_Leg = 16,
  WF_None = 17,
  WF_Extend_Right_Leg_Small = 18,
  WF_Extend_Left_Leg_Small = 19,
  WF_Move_Left = 20,
  WF_Move_Right = 21,
  WF_Move_Right2 = 22,
  WF_Extend_Right2 = 23,
  WF_Bend_Down = 24,
  WF_Move_Left2 = 25,
  WF_Extend_Left2 = 26,
  WF_Bend_Down2 = 27,
  WF_Bend_Down3 = 28,
  WF_Stop_Walk = 29,
  WF_Auto_Walk = 30,
  WF_Raise_Left_Leg2 = 31,
  WF_Stop_Walk_Over = 32
};

// Phases of the kick.
enum KickT {
  KB_Move_Body_Left = 1,
  KB_Move_Body_Right = 2,
  KB_Raise_Left_Leg = 3,
  KB_Raise_Right_Leg = 4,
  KB_Kick_Left_Leg = 5,
  KB_Kick_Right_Leg = 6,
  KB_Bend_Down = 7
};

// Phases of the stand-up.
enum ClimbUpT {
  CU_Extend_Body = 1,
  CU_Bend_Hand = 2,
  CU_Rorate_Hand = 3,
  CU_Push_Hand = 4,
  CU_Bend_Down = 5,
  CU_Rorate_Body = 6,
  CU_Bend_Hand2 = 7,
  CU_Rorate_Body2 = 8,
  CU_Extend_Body2 = 9,
  CU_Bend_Down2 = 10,
  CU_Rorate_Body3 = 11
};

// Phases of circling the ball.
enum AroundBallT {
  AB_Move_Body_Left = 1,
  AB_Move_Body_Right = 2,
  AB_Raise_Left_Leg = 3,
  AB_Raise_Right_Leg = 4,
  AB_Drop_Left_Leg = 5,
  AB_Drop_Right_Leg = 6,
  AB_Bend_Down = 7,
  AB_Extend_Right_Leg = 8,
  AB_Extend_Right_Leg2 = 9,
  AB_Extend_Left_Leg = 10,
  AB_Extend_Left_Leg2 = 11
};

enum Team_Side { Team_Left = 0, Team_Right = 1, Team_None = 2 };

// What vision reports of one object: distance and angles in degrees.
struct Polar {
  double pol_distance;
  double pal_distance;
  double ver_distance;
  double pal_angle;
  double ver_angle;
  double pol_angle;
};

// One foot's force sensor: contact point and force vector.
struct FRP {
  double c_x, c_y, c_z;
  double f_x, f_y, f_z;
  int zero_count;
  int touch_cout;
};

// Gyro rates of the torso.
struct GYR {
  double x, y, z;
};

// Slots of the formation table: shirt numbers 0 to 11.
const int kFormationSlots = 12;

namespace wm {

extern int Sim_Cycle;
extern int Walk_Cycle;
extern int Record_Cycle;
extern Time Sim_Time;
extern Time Gam_Time;
extern float tmp_left_ang;
extern float tmp_right_an;
extern PlayModeT pm;
extern KickT kbs;
extern ClimbUpT cut;
extern AroundBallT abt;
extern WalkForwardT wft;
extern GYR gyr;
extern Polar pol_g1l, pol_g1r, pol_g2l, pol_g2r;
extern Polar pol_f1l, pol_f1r, pol_f2l, pol_f2r;
extern Polar pol_gtl, pol_gtr;
extern Polar pol_ball;
extern Polar MyTeam[10];
extern Polar TheirTeam[10];
extern FRP lfrp, rfrp;
extern bool should_around;
extern bool is_lie_down;
extern bool is_side_left;
extern int my_number;
extern VecPosition my_player_pos[kFormationSlots];
extern std::string send_msg;
extern AgentObject agent;
extern BallObject ball;
extern std::string m_team_name;
extern std::string t_team_name;
extern Team_Side my_side;
extern double ang_to_middle;
extern int lfrp_count, rfrp_count;
extern int lfrp_0_count, rfrp_0_count;
extern int frp_0_count;
extern int goal_in_cycle;
extern double dis_to_ball;
extern double turn_ang;
extern double best_lr;

// Puts every variable back to its start value (for tests).
void reset();

}  // namespace wm

#endif
