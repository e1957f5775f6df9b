#include "agent.h"

void Agent::around_ball() {}
