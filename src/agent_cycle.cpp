// The player's cycle: register, take the formation place, then answer every
// perception message with exactly one message of its own: receive, answer,
// send.
#include <cstdio>
#include <iostream>

#include "agent.h"
#include "log.h"
#include "parase_message.h"
#include "socket.h"
#include "world_model.h"

namespace {

// Cycles from the start during which a before-kick-off message is answered
// with a beam, and during which the fall and stand-up state is reset.
const int kLastBeamCycle = 19;
const int kLastResetCycle = 29;

bool isGoal(PlayModeT mode) { return mode == PM_GOAL_LEFT || mode == PM_GOAL_RIGHT; }

}  // namespace

void Agent::run(TRoboCupConnection* conn) {
  sendPlayerInformation(conn);
  get_my_position();
  Init_Agent_Info();

  // Holds a whole perception message; static, as it is large and one agent
  // runs per process.
  static char message[kMaxMessageLength + 1];
  for (;;) {
    // The cycle's log lines go out in one write, once the reply has gone.
    LogHold cycle_log(CommLogger);
    if (!conn->getMessage(message, kMaxMessageLength)) return;
    conn->sendCommand(answer(message).c_str());
  }
}

std::string Agent::answer(char* message) {
  static Parase parser;
  parser.Get_Info(message);
  parser.Par_Info();
  empty_exec();
  std::string reply;
  if (wm::pm == PM_BEFORE_KICK_OFF && wm::Sim_Cycle <= kLastBeamCycle) {
    reply = beam_string();
    wm::Record_Cycle = wm::Sim_Cycle;
    std::cout << "before kick off ing" << "\n";
  } else if (isGoal(wm::pm) && wm::goal_in_cycle == 0) {
    // One beam per goal; the kick re-arms this for the next goal.
    wm::goal_in_cycle = 1;
    reply = beam_string();
    std::cout << "goal ing" << "\n";
  } else {
    if (wm::Sim_Cycle <= kLastResetCycle) init_status();
    think();
    reply = effector_string();
  }
  ++wm::Sim_Cycle;
  return reply;
}

void Agent::sendPlayerInformation(TRoboCupConnection* conn) {
  const std::string init = "(init (unum " + std::to_string(wm::my_number) + ")(teamname " +
                           wm::m_team_name + "))";
  conn->sendCommand(init.c_str());
}

void Agent::InitializePlayerPosition(TRoboCupConnection* conn) {
  conn->sendCommand(beam_string().c_str());
}

std::string Agent::beam_string() const {
  const VecPosition pos = wm::agent.getPosition();
  char beam[1024];
  std::snprintf(beam, sizeof beam, "(beam %f %f %f)", pos.getX(), pos.getY(), pos.getZ());
  return beam;
}
