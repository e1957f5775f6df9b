#include "agent.h"

void Agent::climb_up() {}
