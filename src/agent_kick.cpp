#include "agent.h"

void Agent::kick_ball() {}
