// What robot-robot contact costs the physics world, and what it does;
// robots without agents, motors holding still unless told otherwise.
//
//   fieldsim_contact_bench [--robot-contact one-sided|joined] [--cfm VALUE]
//
// prints three lines:
//
//   heap: apart N heap M ratio R touching LOW-HIGH
//     six robots lying in a heap (three side by side, three dropped across
//     them) against the same six lying 2 m apart: cycles per second of this
//     process's processor time (which other work on the machine disturbs
//     less than the wall clock), their ratio, and the smallest and largest
//     group of touching robots in the heap while measured (6-6: one heap);
//   falls-onto: layouts 42 toppled T moved D deepest P
//     a robot pushed over from behind onto one standing in front of it, 42
//     layouts (0.25 to 0.55 m behind, a little to either side, 3 or 5 N s):
//     how often the standing one fell, how far its torso went on average
//     (m), and the deepest the two robots were in each other (m);
//   arm-swings: layouts 10 toppled T moved D
//     a standing robot swings its right arm at full speed, out to the side
//     or up, into one standing beside it, 10 layouts.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "formatted.h"
#include "options.h"
#include "physics.h"

namespace {

using namespace fieldsim;

constexpr int kHeapRobots = 6;
constexpr int kSettleCycles = 250;
constexpr int kMeasuredCycles = 500;
constexpr double kSideBySide = 0.28;   // m between the torsos of a layer
constexpr double kTopHeight = 0.2;     // m, the upper layer's torsos when dropped
constexpr double kTopShift = 0.1;      // m, the upper layer off the lower one's centre
constexpr double kLyingHeight = 0.06;  // m, a torso lying on its back
constexpr double kApartSpacing = 2;    // m

// Lying on its back, arms along the body: a plank along its heading.
Posture lying(Vec3 torso, double heading) {
  Body arms_down;
  arms_down.setAngle(kLae1, -90);
  arms_down.setAngle(kRae1, -90);
  return onItsBack(torso, heading, arms_down);
}

std::unique_ptr<PhysicsDynamics> lay(PhysicsSettings settings, bool heap) {
  auto dynamics = std::make_unique<PhysicsDynamics>(settings);
  for (int k = 0; k < kHeapRobots; ++k) {
    const bool upper = k >= 3;
    const double across = kSideBySide * (k % 3 - 1);
    Vec3 torso =
        upper ? Vec3{across + kTopShift, kTopShift, kTopHeight} : Vec3{0, across, kLyingHeight};
    if (!heap) torso = {kApartSpacing * (k - 2.5), 2, kLyingHeight};
    dynamics->addRobot({torso.x, torso.y}, 0);
    dynamics->bodies(k).assemble(lying(torso, upper ? 90 : 0));
  }
  dynamics->placeBall({0, -3});
  return dynamics;
}

struct Cost {
  double cycles_per_second = 0;
  int fewest_touching = kHeapRobots;
  int most_touching = 0;
};

Cost cost(PhysicsSettings settings, bool heap) {
  const auto dynamics = lay(settings, heap);
  const std::vector<RobotCommand> commands(kHeapRobots);
  for (int i = 0; i < kSettleCycles; ++i) dynamics->step(commands, false);
  Cost figures;
  const std::clock_t start = std::clock();
  for (int i = 0; i < kMeasuredCycles; ++i) {
    const int group = largestTouchingGroup(kHeapRobots, dynamics->step(commands, false).touching);
    figures.fewest_touching = std::min(figures.fewest_touching, group);
    figures.most_touching = std::max(figures.most_touching, group);
  }
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  figures.cycles_per_second = kMeasuredCycles / seconds;
  return figures;
}

struct Outcomes {
  int layouts = 0;
  int toppled = 0;
  double moved = 0;  // summed over the layouts, m
  double deepest = 0;
};

// Robot 0 acts on robot 1, which stands at `b`; `act` sets robot 0's
// commands or pushes it before each cycle.
void play(PhysicsSettings settings, Vec2 a, double a_heading, Vec2 b, double b_heading,
          const std::function<void(PhysicsDynamics&, int, RobotCommand&)>& act,
          Outcomes& outcomes) {
  PhysicsDynamics dynamics(settings);
  dynamics.addRobot(a, a_heading);
  dynamics.addRobot(b, b_heading);
  std::vector<RobotCommand> commands(2);
  double moved = 0;
  bool toppled = false;
  for (int cycle = 0; cycle < 200; ++cycle) {
    act(dynamics, cycle, commands[0]);
    dynamics.step(commands, false);
    const Vec3 torso = dynamics.bodies(1).torsoPosition();
    moved = std::max(moved, std::hypot(torso.x - b.x, torso.y - b.y));
    toppled = toppled || torso.z < kFallenHeight;
    outcomes.deepest = std::max(outcomes.deepest, dynamics.robotDepth());
  }
  ++outcomes.layouts;
  outcomes.toppled += toppled;
  outcomes.moved += moved;
}

Outcomes fallsOnto(PhysicsSettings settings) {
  Outcomes outcomes;
  for (int behind = 0; behind <= 6; ++behind) {
    for (double side : {-0.1, 0.0, 0.1}) {
      for (double impulse : {3.0, 5.0}) {
        const auto push = [impulse](PhysicsDynamics& dynamics, int cycle, RobotCommand&) {
          if (cycle == 10) dynamics.push(0, impulse, 0);
        };
        play(settings, {-0.25 - 0.05 * behind, side}, 0, {0, 0}, 0, push, outcomes);
      }
    }
  }
  return outcomes;
}

// Out to the side (rae2) or up (rae1), for one second from cycle 5.
Outcomes armSwings(PhysicsSettings settings) {
  Outcomes outcomes;
  for (int beside = 0; beside < 5; ++beside) {
    for (int joint : {kRae2, kRae1}) {
      const double speed = joint == kRae2 ? -physics::kMaxMotorSpeed : physics::kMaxMotorSpeed;
      const auto swing = [joint, speed](PhysicsDynamics&, int cycle, RobotCommand& command) {
        command.speeds[joint] = cycle >= 5 && cycle < 55 ? speed : 0;
      };
      play(settings, {0, 0}, 90, {0.3 + 0.03 * beside, 0.05}, 90, swing, outcomes);
    }
  }
  return outcomes;
}

std::string outcomesLine(const Outcomes& outcomes) {
  return formatted("layouts %d toppled %d moved %.3f", outcomes.layouts, outcomes.toppled,
                   outcomes.moved / outcomes.layouts);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = parseOptions(std::vector<std::string>(argv, argv + argc), error);
  if (!options) {
    std::cerr << "fieldsim_contact_bench: " << error << "\n";
    return 2;
  }
  const PhysicsSettings settings = options->physics;
  const Cost apart = cost(settings, false);
  const Cost heap = cost(settings, true);
  std::cout << formatted("heap: apart %.0f heap %.0f ratio %.2f touching %d-%d\n",
                         apart.cycles_per_second, heap.cycles_per_second,
                         apart.cycles_per_second / heap.cycles_per_second, heap.fewest_touching,
                         heap.most_touching);
  const Outcomes falls = fallsOnto(settings);
  std::cout << "falls-onto: " << outcomesLine(falls) << formatted(" deepest %.3f\n", falls.deepest);
  std::cout << "arm-swings: " << outcomesLine(armSwings(settings)) << "\n";
  return 0;
}
