// The physics world's behaviour, pinned: one robot without an agent marches
// on the spot by a fixed program of joint speeds, stands, is pushed over
// onto the ball and lies, and every cycle's trace line (with its torso's
// height, its feet on the ground and, every second, its joint angles) must
// be what tests/data/physics_golden_trace.txt holds, byte for byte. A change
// that is not meant to change how the world moves leaves it identical;
// robot-robot contact cannot touch it (one robot). It was recorded with the
// g++ release build and reads the same in the clang -O0 sanitizer build
// (both compute in SSE2 double precision); a build that differs fails the
// first line it differs in. Record it again with
// VEXA_RECORD_PHYSICS_TRACE=1, and read the diff before committing it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "formatted.h"
#include "physics.h"
#include "report.h"

namespace fieldsim {
namespace {

constexpr int kCycles = 1000;
constexpr int kMarchUntil = 600;
constexpr int kPushAt = 700;

// Open-loop joint speeds (rad/s): into the walking crouch in the first
// second, then a march on the spot with swinging arms until cycle 600.
void march(int cycle, std::array<double, kJointCount>& speeds) {
  speeds.fill(0);
  if (cycle < 50) {
    const double crouch = radians(10) / (50 * kCycleSeconds);
    speeds[kLle3] = speeds[kRle3] = speeds[kLle5] = speeds[kRle5] = crouch;
    speeds[kLle4] = speeds[kRle4] = -2 * crouch;
    return;
  }
  const double phase = 2 * kPi * (cycle - 50) * kCycleSeconds / 0.8;
  const double left = 0.9 * std::cos(phase);
  const double right = -left;
  speeds[kLle3] = left;
  speeds[kLle4] = -2 * left;
  speeds[kLle5] = left;
  speeds[kRle3] = right;
  speeds[kRle4] = -2 * right;
  speeds[kRle5] = right;
  speeds[kLae1] = 2 * right;
  speeds[kRae1] = 2 * left;
}

std::string playScenario() {
  World world(Vec2{-1.75, 0.05}, std::make_unique<PhysicsDynamics>());
  const int id = world.join(TeamSide::kLeft, 2, "GOLDEN");
  world.beam(id, -2, 0, 0);
  const Robot& robot = world.robot(id);
  std::array<double, kJointCount> speeds{};
  std::string out;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    if (cycle == kPushAt) world.push(TeamSide::kLeft, 2, kDefaultPushImpulse, 0);
    if (cycle <= kMarchUntil) {
      if (cycle < kMarchUntil) march(cycle, speeds);
      if (cycle == kMarchUntil) speeds.fill(0);
      for (int j = 0; j < kJointCount; ++j) world.command(id, j, speeds[j]);
    }
    world.step();
    const Senses& senses = robot.record.senses;
    out += traceLine(world) + formatted(" torso %.5f feet %d%d", robot.record.torso_height,
                                        senses.feet[0].has_value(), senses.feet[1].has_value());
    if (world.cycle() % 50 == 0) {
      out += " angles";
      for (int j = 0; j < kJointCount; ++j) out += formatted(" %.3f", senses.angles[j]);
    }
    out += "\n";
  }
  return out;
}

TEST(PhysicsTraceTest, OneRobotMarchesIsPushedAndLiesAsRecorded) {
  const std::string path = std::string(FIELDSIM_TEST_DATA) + "/physics_golden_trace.txt";
  const std::string played = playScenario();
  if (std::getenv("VEXA_RECORD_PHYSICS_TRACE") != nullptr) {
    std::ofstream(path) << played;
    GTEST_SKIP() << "recorded " << path;
  }
  std::ifstream file(path);
  ASSERT_TRUE(file) << path;
  std::stringstream expected_lines;
  expected_lines << file.rdbuf();
  std::istringstream played_lines(played);
  std::string expected;
  std::string line;
  for (int n = 1; std::getline(expected_lines, expected); ++n) {
    ASSERT_TRUE(std::getline(played_lines, line)) << "the game ended before line " << n;
    ASSERT_EQ(line, expected) << "line " << n << " of " << path;
  }
  EXPECT_FALSE(std::getline(played_lines, line)) << "more lines than recorded";
}

}  // namespace
}  // namespace fieldsim
