#include <signal.h>

#include <cstdlib>
#include <iostream>

#include "agent.h"
#include "linux_main.h"
#include "socket.h"
#include "world_model.h"

int main(int argc, char** argv) {
  // Writing to a server that has gone away must fail the send, not end the
  // process; the next receive then ends the agent's loop normally.
  signal(SIGPIPE, SIG_IGN);
  EndOnSignals();

  std::cout << "Vexa Simulation 3D Team 2008 "
            << "\n";
  if (!ReadOption(argc, argv)) return IsHelpRequest(argc, argv) ? EXIT_SUCCESS : EXIT_FAILURE;

  // Opened apart from the construction because only openConnection tells a
  // refused connect: the socket stays open and connected() stays true.
  TRoboCupConnection connection("", -1);
  if (!connection.openConnection(host.c_str(), port)) return EXIT_FAILURE;
  SetSignalledSocket(connection.getSocketFD());

  std::cout << "Main Loop"
            << "\n";
  connection.sendCommand("(scene rsg/agent/nao/nao.rsg)");
  // Gives the server time to build the robot before the init message.
  const int sleep_status = system("sleep 0.2");
  static_cast<void>(sleep_status);

  Agent agent(&connection);
  wm::m_team_name = Team_Name;
  wm::t_team_name = "Unknown";
  wm::my_number = Player_Number;
  agent.run(&connection);
  return EXIT_SUCCESS;
}
