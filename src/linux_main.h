// Start-up settings and the command line.
#ifndef VEXA_LINUX_MAIN_H
#define VEXA_LINUX_MAIN_H

#include <string>

// Set before main runs; the command line may change them.
extern std::string host;
extern int port;
extern std::string Team_Name;
extern int Player_Number;

// Parses the options into the four settings and prints them. False when the
// program shall stop: help shown or a wrong number of arguments.
bool ReadOption(int argc, char** argv);
// True when the arguments ask for the help text: an odd number of them (the
// only count ReadOption refuses) with "-h" first.
bool IsHelpRequest(int argc, char** argv);
void Print_Help();

// SIGINT and SIGTERM end the player as the server's end of the game does:
// its connection to the server is shut down, the next receive fails and the
// agent's loop returns, so that main returns 0 and all output is flushed.
void EndOnSignals();
// The socket those signals shut down; a signal that came before it was
// known shuts it down at once.
void SetSignalledSocket(int fd);

#endif
