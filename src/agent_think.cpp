// The decision: detect a fall, then hand the cycle to exactly one motion.
#include <iostream>

#include "agent.h"
#include "world_model.h"

namespace {

// The robot counts as fallen after more messages than these without any
// foot reading, or without one foot's reading ...
const int kBothFeetSilent = 50;
const int kOneFootSilent = 200;
// ... once more cycles than this have passed since the last mark.
const int kFallSettling = 80;
// A fallen robot is stood up only after this cycle; until then it walks on.
const int kFirstStandUpCycle = 200;
// While it stands up, a line every this many cycles says so.
const int kFallingReportPeriod = 50;

// The feet have been silent long enough, since the last mark, outside the
// crouching phases of the gait, for the robot to count as fallen.
bool hasFallen() {
  const bool feet_silent = wm::frp_0_count > kBothFeetSilent ||
                           wm::lfrp_0_count > kOneFootSilent || wm::rfrp_0_count > kOneFootSilent;
  return feet_silent && wm::Sim_Cycle - wm::Record_Cycle > kFallSettling &&
         wm::wft != WF_Bend_Down && wm::wft != WF_Bend_Down2;
}

void markFall() {
  if (!wm::is_lie_down) wm::Record_Cycle = wm::Sim_Cycle;
  std::cout << "wm::lfrp_0_count=" << wm::lfrp_0_count << "\n";
  std::cout << "wm::rfrp_0_count=" << wm::rfrp_0_count << "\n";
  std::cout << "wm::gyr.x=" << wm::gyr.x << "\n";
  wm::is_lie_down = true;
}

}  // namespace

void Agent::think() {
  if (hasFallen()) markFall();

  if (wm::my_number == 1) {
    std::cout << " goalie" << "\n";
    defend();
  } else if (wm::is_lie_down && wm::Sim_Cycle > kFirstStandUpCycle) {
    if (wm::Sim_Cycle % kFallingReportPeriod == 0) std::cout << "I am Falling Down" << "\n";
    climb_up();
  } else if (wm::wft != WF_Stop_Walk_Over) {
    walk();
  } else if (wm::should_around) {
    around_ball();
  } else {
    kick_ball();
  }
}
