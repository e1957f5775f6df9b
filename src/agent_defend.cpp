#include "agent.h"

void Agent::defend() {}
