// The world model: every piece of state that outlives one call, as globals of
// namespace wm. The parser writes what the server reports; the decision and
// the motions read it and keep their phases and counters here.
#ifndef VEXA_WORLD_MODEL_H
#define VEXA_WORLD_MODEL_H

#include <array>
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

using TeamSightings = std::array<Polar, 10>;
using FormationTable = std::array<VecPosition, kFormationSlots>;

// The value of wm::Walk_Cycle that marks a fresh start: from it the gait
// begins standing.
constexpr int kFreshWalkCycle = 303;

// Every piece of state that outlives one call, written once: type, name,
// start value (in braces) and what it holds. The list makes the declarations
// below, the definitions in world_model.cpp and wm::reset().
// clang-format off
#define VEXA_WORLD_MODEL(X)                                                                       \
  X(int, Sim_Cycle, {0}, "messages handled so far: the agent's own count of cycles")              \
  X(int, Walk_Cycle, {0}, "the gait's counter; kFreshWalkCycle makes the gait start standing")    \
  X(int, Record_Cycle, {0}, "the cycle last marked: before kick-off, a fall, a motion's phase")   \
  X(Time, Sim_Time, {0}, "simulation time of the last message")                                   \
  X(Time, Gam_Time, {0}, "game time of the last message")                                         \
  X(float, tmp_left_ang, {0}, "not used")                                                         \
  X(float, tmp_right_an, {0}, "not used")                                                         \
  X(PlayModeT, pm, {PM_BEFORE_KICK_OFF}, "the play mode, relative to the own side")               \
  X(KickT, kbs, {}, "the kick's phase; 0, the start, is none of the phases")                      \
  X(ClimbUpT, cut, {}, "the stand-up's phase; 0, the start, is none of the phases")               \
  X(AroundBallT, abt, {}, "circling's phase; 0, the start, is none of the phases")                \
  X(WalkForwardT, wft, {}, "the gait's phase; WF_Stop_Walk_Over: arrived, kick or circle")        \
  X(GYR, gyr, {}, "the torso's gyro rates")                                                       \
  X(Polar, pol_g1l, {}, "goal post 1 of the left goal as last seen")                              \
  X(Polar, pol_g1r, {}, "goal post 1 of the right goal as last seen")                             \
  X(Polar, pol_g2l, {}, "goal post 2 of the left goal as last seen")                              \
  X(Polar, pol_g2r, {}, "goal post 2 of the right goal as last seen")                             \
  X(Polar, pol_f1l, {}, "corner flag 1 on the left as last seen")                                 \
  X(Polar, pol_f1r, {}, "corner flag 1 on the right as last seen")                                \
  X(Polar, pol_f2l, {}, "corner flag 2 on the left as last seen")                                 \
  X(Polar, pol_f2r, {}, "corner flag 2 on the right as last seen")                                \
  X(Polar, pol_gtl, {}, "post 1 of the goal to attack: a copy of pol_g1r or pol_g1l")             \
  X(Polar, pol_gtr, {}, "post 2 of the goal to attack: a copy of pol_g2r or pol_g2l")             \
  X(Polar, pol_ball, {}, "the ball as last seen")                                                 \
  X(TeamSightings, MyTeam, {}, "not used")                                                        \
  X(TeamSightings, TheirTeam, {}, "not used")                                                     \
  X(FRP, lfrp, {}, "the left foot's force sensor as last reported")                               \
  X(FRP, rfrp, {}, "the right foot's force sensor as last reported")                              \
  X(bool, should_around, {false}, "after the walk: circle the ball (true) or kick (false)")       \
  X(bool, is_lie_down, {false}, "the robot counts as fallen")                                     \
  X(bool, is_side_left, {false}, "the own team plays from the left half")                         \
  X(int, my_number, {0}, "the own shirt number")                                                  \
  X(FormationTable, my_player_pos, {}, "formation places by shirt number")                        \
  X(std::string, send_msg, {}, "not used")                                                        \
  X(AgentObject, agent, {}, "the own body: joint angles, joint speeds, leg geometry")             \
  X(BallObject, ball, {}, "not used")                                                             \
  X(std::string, m_team_name, {}, "the own team's name")                                          \
  X(std::string, t_team_name, {}, "the opponents' name")                                          \
  X(Team_Side, my_side, {Team_Left}, "not used")                                                  \
  X(double, ang_to_middle, {0}, "the sum of the bearings of posts 1L and 2L and of the ball")     \
  X(int, lfrp_count, {0}, "messages in a row with a left-foot reading")                           \
  X(int, rfrp_count, {0}, "messages in a row with a right-foot reading")                          \
  X(int, lfrp_0_count, {0}, "messages in a row without a left-foot reading")                      \
  X(int, rfrp_0_count, {0}, "messages in a row without a right-foot reading")                     \
  X(int, frp_0_count, {0}, "messages in a row without either foot, from the second such on")      \
  X(int, goal_in_cycle, {0}, "1 once the beam after a goal is sent; the kick sets it back to 0")  \
  X(double, dis_to_ball, {0}, "distance to the ball over the ground")                             \
  X(double, turn_ang, {0}, "the gait's steering angle: the ball's angle within -4..4 degrees")    \
  X(double, best_lr, {0}, "sideways lean of the motion running: 6.5 walk, 10 kick, 15 circling")
// clang-format on

namespace wm {

#define VEXA_WM_DECLARE(type, name, start, meaning) extern type name;
VEXA_WORLD_MODEL(VEXA_WM_DECLARE)
#undef VEXA_WM_DECLARE

// Puts every variable back to its start value (for tests).
void reset();

}  // namespace wm

#endif
