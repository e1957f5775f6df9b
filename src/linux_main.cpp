#include "linux_main.h"

#include <sys/socket.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

std::string host = "127.0.0.1";
int port = 3100;
std::string Team_Name = "VEXA3D";
int Player_Number = 1;

namespace {

int parseNumber(const char* text) {
  return static_cast<int>(strtol(text, nullptr, 10));
}

// Sets the setting named by `option` from `value`; false for an unknown option.
bool applyOption(const char* option, const char* value) {
  if (strcmp(option, "-s") == 0) {
    host = value;
  } else if (strcmp(option, "-p") == 0) {
    port = parseNumber(value);
  } else if (strcmp(option, "-t") == 0) {
    Team_Name = value;
  } else if (strcmp(option, "-n") == 0) {
    Player_Number = parseNumber(value);
  } else {
    return false;
  }
  return true;
}

void printSettings() {
  std::cout << "Use the following arguments"
            << "\n";
  std::cout << "server_host  : " << host << "\n";
  std::cout << "server_port  : " << port << "\n";
  std::cout << "Team_Name    : " << Team_Name << "\n";
  std::cout << "Player_Number: " << Player_Number << "\n";
}

}  // namespace

bool IsHelpRequest(int argc, char** argv) {
  return argc >= 2 && argc % 2 == 0 && strcmp(argv[1], "-h") == 0;
}

bool ReadOption(int argc, char** argv) {
  if (argc % 2 == 0) {
    if (IsHelpRequest(argc, argv)) {
      Print_Help();
    } else {
      std::cout << "Invalid Number of Paramter!"
                << "\n";
    }
    std::cout << "Exit vexa3d now !"
              << "\n";
    return false;
  }
  int i = 1;
  while (i < argc) {
    // An unknown argument shifts the pairs, so an option may come last with
    // no value; it is then reported like any unknown argument.
    if (i + 1 < argc && applyOption(argv[i], argv[i + 1])) {
      i += 2;
    } else {
      std::cout << "Error,unknow argument " << argv[i] << "\n";
      i += 1;
    }
  }
  printSettings();
  return true;
}

void Print_Help() {
  std::cout << "usage: ./vexa3d [options]"
            << "\n";
  std::cout << "options:"
            << "\n";
  std::cout << " -h            prints this help message."
            << "\n";
  std::cout << " -s Server_IP  set IP of the server."
            << "\n";
  std::cout << " -n  [1..11]   set the agent's number."
            << "\n";
  std::cout << ""
            << "\n";
}

namespace {

volatile sig_atomic_t signalled_socket = -1;
volatile sig_atomic_t stop_signalled = 0;

// Only async-signal-safe calls here: shutdown makes the blocked receive
// return at once.
void onStopSignal(int) {
  stop_signalled = 1;
  if (signalled_socket >= 0) shutdown(signalled_socket, SHUT_RDWR);
}

}  // namespace

void EndOnSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void SetSignalledSocket(int fd) {
  signalled_socket = fd;
  if (stop_signalled) shutdown(fd, SHUT_RDWR);
}
