// Golden traces: one scripted run per motion, the perception messages that
// went in and, cycle by cycle, the effector text and the printed lines that
// came out. Every replay must give the same bytes.
//
// The runs were recorded in a closed loop with a small body model (below);
// VEXA_RECORD_TRACES=1 records them again from the code as it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "agent.h"
#include "world_model.h"

namespace {

const std::string kTraceDir = VEXA_TEST_DATA_DIR "/traces/";

// A trace file: "# about", "player N", then per cycle "in <perception>",
// "out <effector text>" and, when something was printed, "print <printed
// text>" with "\n" and "\\" escaped. These are the lines of one cycle of the
// agent (no trace has a beam cycle).
std::vector<std::string> cycleLines(Agent& agent, std::string message) {
  std::vector<std::string> lines = {"in " + message};
  std::ostringstream console;
  std::streambuf* const terminal = std::cout.rdbuf(console.rdbuf());
  lines.push_back("out " + agent.answer(message.data()));
  std::cout.rdbuf(terminal);
  std::string printed;
  for (char c : console.str()) {
    printed += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : std::string(1, c);
  }
  if (!printed.empty()) lines.push_back("print " + printed);
  return lines;
}

void startPlayer(int number) {
  wm::reset();
  wm::my_number = number;
  Agent(nullptr).Init_Agent_Info();
}

// Feeds each recorded perception to the agent; every line it gives must be
// the recorded one.
void replay(const std::string& name) {
  std::ifstream file(kTraceDir + name + ".trace");
  ASSERT_TRUE(file) << name;
  std::vector<std::string> recorded;
  for (std::string line; std::getline(file, line);) recorded.push_back(line);
  ASSERT_GT(recorded.size(), 2u);
  startPlayer(std::stoi(recorded[1].substr(7)));
  Agent agent(nullptr);
  for (size_t i = 2, cycle = 0; i < recorded.size(); ++cycle) {
    for (const std::string& line : cycleLines(agent, recorded[i].substr(3))) {
      ASSERT_LT(i, recorded.size());
      ASSERT_EQ(line, recorded[i++]) << name << " cycle " << cycle;
    }
  }
}

// ---- Recording ----

// Joint ranges of the robot model (degrees), in JointId order.
const double kRange[20][2] = {{-120, 120}, {-120, 120}, {-1, 95},   {-95, 1},   {-120, 120},
                              {-120, 120}, {-90, 1},    {-1, 90},   {-90, 1},   {-90, 1},
                              {-25, 45},   {-45, 25},   {-25, 100}, {-25, 100}, {-130, 1},
                              {-130, 1},   {-45, 75},   {-45, 75},  {-45, 25},  {-25, 45}};
// A joint turns by its speed (radians per second) for one 20 ms cycle, at
// most by the motors' top speed.
const double kDegreesPerSpeed = 0.02 * 180 / std::acos(-1.0);
const double kMaxStep = 7.035;

enum class Feet { kByKnees, kNone, kLeft, kBoth };

// What the server would see and report. With kByKnees a foot touches the
// ground unless its knee is bent beyond 40 degrees; a foot landing brings a
// walking robot `step` closer to the ball, and a kick sends the ball 2 m away.
struct World {
  double angle[20] = {};
  std::string reported[23];  // joints, then play mode, gyro and vision
  Feet feet = Feet::kByKnees;
  bool down[2] = {true, true};
  double ball = 1, ball_angle = 0, step = 0;
  double post_left = 10, post_right = -10;  // the goal attacked (G1L, G2L)
  double gyro = 0.5;
  const char* mode = "PlayOn";
  int cycle = 0;
};

std::string jointName(int j) {
  const bool arm = j < 8;
  const int i = arm ? j : j - 8;
  return std::string(i % 2 ? "r" : "l") + (arm ? "aj" : "lj") + std::to_string(i / 2 + 1);
}

std::string format(const char* pattern, double a, double b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// Appends `piece` unless it is what was last reported in its place.
void report(std::string& text, std::string& last, const std::string& piece) {
  if (piece != last) text += piece;
  last = piece;
}

// The time and the feet in contact every cycle; any other perceptor only
// when its text changed (the agent keeps the last value of what is missing).
std::string perception(World& w) {
  std::string text = format("(time (now %.2f))", 20 + w.cycle * 0.02);
  report(text, w.reported[20], std::string("(GS (t 0.00) (pm ") + w.mode + "))");
  report(text, w.reported[21], format("(GYR (n torso) (rt %.2f 0.00 0.00))", w.gyro));
  report(text, w.reported[22],
         format("(See (G1L (pol 6.00 %.2f 2.00)) ", w.post_left) +
             format("(G2L (pol 6.00 %.2f 2.00)) ", w.post_right) +
             format("(B (pol %.2f %.2f -20.00)))", w.ball, w.ball_angle));
  // The server's order: right arm, left arm, right leg, left leg.
  for (int first : {1, 0, 9, 8}) {
    for (int j = first; j < (first < 8 ? 8 : 20); j += 2) {
      report(text, w.reported[j], "(HJ (n " + jointName(j) + format(") (ax %.2f))", w.angle[j]));
    }
  }
  if (w.down[0]) text += "(FRP (n lf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))";
  if (w.down[1]) text += "(FRP (n rf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))";
  return text;
}

void moveBody(World& w) {
  for (int j = 0; j < 20; ++j) {
    const double step = wm::agent.exec_ang(static_cast<JointId>(j)) * kDegreesPerSpeed;
    w.angle[j] =
        std::clamp(w.angle[j] + std::clamp(step, -kMaxStep, kMaxStep), kRange[j][0], kRange[j][1]);
  }
  for (int side = 0; side < 2; ++side) {
    const bool was_down = w.down[side];
    const double knee = w.angle[14 + side];
    w.down[side] = w.feet == Feet::kByKnees
                       ? knee > -40
                       : w.feet == Feet::kBoth || (side == 0 && w.feet == Feet::kLeft);
    if (w.down[side] && !was_down) w.ball = std::max(0.3, w.ball - w.step);
  }
  if (wm::kbs == KB_Bend_Down) w.ball = 2;  // kicked away
}

using Script = std::function<void(World&)>;

void record(const std::string& name, const std::string& about, int player, int cycles, World world,
            const Script& script) {
  std::ofstream file(kTraceDir + name + ".trace");
  file << "# " << about << "\nplayer " << player << "\n";
  startPlayer(player);
  Agent agent(nullptr);
  for (; world.cycle < cycles; ++world.cycle) {
    script(world);
    for (const std::string& line : cycleLines(agent, perception(world))) file << line << "\n";
    moveBody(world);
  }
}

// Records the trace when VEXA_RECORD_TRACES is set, else replays it.
void check(const std::string& name, const std::string& about, int player, int cycles,
           const World& world, const Script& script) {
  if (std::getenv("VEXA_RECORD_TRACES") != nullptr) {
    record(name, about, player, cycles, world, script);
  } else {
    replay(name);
  }
}

// The ball lies 12 degrees to one side (positive angles are to the left),
// so the robot turns on the spot (with a ball straight ahead for a few cycles
// of the turn), then walks towards the ball, now 3 degrees off, stops next to
// it and kicks with the leg on the ball's side. It waits standing through the
// opponents' kick-off first.
void walkTurnAndKick(const std::string& name, const std::string& about, double side) {
  World world;
  world.ball = 0.95;
  world.step = 0.1;
  world.ball_angle = 12 * side;
  int turning = 0;
  check(name, about, 2, 700, world, [side, turning](World& w) mutable {
    w.mode = w.cycle < 110 ? "KickOff_Left" : "PlayOn";
    if (wm::wft == WF_Bend_Down2) ++turning;
    if (turning > 0 && wm::wft != WF_Bend_Down2) w.ball_angle = 3 * side;
    if (wm::wft == WF_Bend_Down2) w.ball_angle = turning > 5 && turning < 9 ? 0 : 12 * side;
  });
}

TEST(GoldenTrace, WalkTurnsStopsAndKicksWithTheLegOnTheBallsSide) {
  walkTurnAndKick("walk_kick_left",
                  "walk: stand, wait for play, turn left, walk, stop; kick with the left leg", 1);
  walkTurnAndKick("walk_kick_right",
                  "walk: stand, wait for play, turn right, walk, stop; kick with the right leg",
                  -1);
}

// The goal lies off to the left when the robot stops at the ball: it circles
// to the left, overshoots, circles back to the right and then kicks.
TEST(GoldenTrace, CirclesTheBallBothWaysThenKicks) {
  World world;
  world.ball = 0.55;
  world.step = 0.1;
  world.ball_angle = 1;
  world.post_left = 30;
  world.post_right = 15;
  int steps = 0;
  AroundBallT last = AroundBallT(0);
  check("circling", "circling: walk to the ball, circle left, circle right, kick", 2, 680, world,
        [steps, last](World& w) mutable {
          if (wm::abt == AB_Bend_Down &&
              (last == AB_Extend_Right_Leg2 || last == AB_Extend_Left_Leg2)) {
            ++steps;
            w.post_left = steps == 1 ? -20 : 6;
            w.post_right = steps == 1 ? -20 : 4;
          }
          last = wm::abt;
        });
}

// The robot lies with silent feet from the start. At the first attempt it
// feels its left foot, rolls over, and starts again when both feet stay silent
// after the push; at the second it pushes itself up straight away and stands
// on both feet, and the walk goes on.
TEST(GoldenTrace, StandsUpAtTheSecondAttempt) {
  World world;
  world.feet = Feet::kNone;
  world.gyro = 1.25;
  int attempt = 0;
  ClimbUpT last = ClimbUpT(0);
  check("stand_up", "stand-up: fall; roll over and start again; push up and stand; walk", 2, 1300,
        world, [attempt, last](World& w) mutable {
          if (wm::Sim_Cycle <= 200) return;
          if (wm::cut == CU_Extend_Body && last != CU_Extend_Body) ++attempt;
          last = wm::cut;
          const bool probing = wm::cut == CU_Extend_Body;
          if (attempt == 1) w.feet = probing ? Feet::kLeft : Feet::kNone;
          if (attempt == 2) w.feet = probing ? Feet::kNone : Feet::kBoth;
        });
}

// The goalkeeper plays its sequence from the start while the ball is far,
// waits, and plays it again once the ball comes within 2 m.
TEST(GoldenTrace, GoalkeeperPlaysItsSequenceTwice) {
  World world;
  world.feet = Feet::kBoth;
  world.ball = 5;
  check("goalkeeper", "goalkeeper: sequence with the ball far, wait, ball near, sequence again", 1,
        640, world, [](World& w) { w.ball = w.cycle < 500 || w.cycle > 560 ? 5 : 1.5; });
}

}  // namespace
