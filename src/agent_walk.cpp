#include "agent.h"

void Agent::walk() {}
