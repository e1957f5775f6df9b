// The player: its cycle, its decision, its formation place and its motions.
//
// Every motion is a keyframe machine whose phase lives in a wm variable; one
// call runs one step: it writes one speed per driven joint into wm::agent and
// may move the phase on. All state lives in the wm globals.
#ifndef VEXA_AGENT_H
#define VEXA_AGENT_H

#include <string>

class TRoboCupConnection;

class Agent {
 public:
  explicit Agent(TRoboCupConnection* conn);

  // Cycle (agent_cycle.cpp; resets and effector text in agent.cpp).
  void run(TRoboCupConnection* conn);
  // One cycle for one perception message: parses it, decides, steps a
  // motion or beams, and returns the text to send.
  std::string answer(char* message);
  void sendPlayerInformation(TRoboCupConnection* conn);
  void InitializePlayerPosition(TRoboCupConnection* conn);
  void Init_Agent_Info();
  void init_status();
  void set_walk_data();
  void empty_exec();
  // The effector message for the speeds now in wm::agent.
  std::string effector_string() const;
  // The beam message to the own formation place.
  std::string beam_string() const;

  // Decision (agent_think.cpp) and formation (agent_formation.cpp).
  void think();
  void get_my_position();

  // Joint-motion primitives (agent.cpp), each forwarding to motion.h.
  double get_exec_angle(double d);
  double get_exec_lleg4();
  double get_exec_rleg4();
  void get_l_bend_height();
  void get_r_bend_height();
  double get_exec_lleg5();
  double get_exec_rleg5();
  bool is_la_reach_ang(double a1, double a2, double a3, double a4, double tol);
  bool is_ra_reach_ang(double a1, double a2, double a3, double a4, double tol);
  bool is_ll_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                       double tol);
  bool is_rl_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                       double tol);
  bool should_stop_walk();

  // Motions, one file each.
  void walk();         // agent_walk.cpp
  void kick_ball();    // agent_kick.cpp
  void around_ball();  // agent_around_ball.cpp
  void climb_up();     // agent_climb_up.cpp
  void defend();       // agent_defend.cpp
};

#endif
