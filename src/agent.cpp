#include "agent.h"

Agent::Agent(TRoboCupConnection*) {}

void Agent::run(TRoboCupConnection*) {}
