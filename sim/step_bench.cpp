// How fast the physics world steps 22 robots without agents: standing in
// the zero pose, then lying after a push. Prints "standing N lying M" in
// cycles per second of this process's processor time, which other work on
// the machine disturbs less than the wall clock.
//
//   fieldsim_step_bench [--cfm VALUE] [--solver step|quick]
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "options.h"
#include "physics.h"

namespace {

using fieldsim::World;

double cyclesPerSecond(World& world, int cycles) {
  const std::clock_t start = std::clock();
  for (int i = 0; i < cycles; ++i) world.step();
  return cycles / (static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = fieldsim::parseOptions(std::vector<std::string>(argv, argv + argc), error);
  if (!options) {
    std::cerr << "fieldsim_step_bench: " << error << "\n";
    return 2;
  }
  World world({}, std::make_unique<fieldsim::PhysicsDynamics>(options->physics));
  for (int side = 0; side < 2; ++side) {
    const auto team = side == 0 ? fieldsim::TeamSide::kLeft : fieldsim::TeamSide::kRight;
    world.assignSide(side == 0 ? "A" : "B");
    for (int n = 1; n <= 11; ++n) {
      const int robot = world.join(team, n, side == 0 ? "A" : "B");
      // A metre apart in a row, facing away from the other team's row, so
      // that a pushed robot falls on nobody.
      world.beam(robot, n - 6, 1, 90);
    }
  }
  world.step();
  const double standing = cyclesPerSecond(world, 500);
  for (const auto& robot : world.robots()) {
    world.push(robot.side, robot.number, fieldsim::kDefaultPushImpulse, 0);
  }
  for (int i = 0; i < 150; ++i) world.step();
  const double lying = cyclesPerSecond(world, 500);
  std::cout << "standing " << static_cast<int>(standing) << " lying " << static_cast<int>(lying)
            << "\n";
  return 0;
}
