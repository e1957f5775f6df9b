// What every motion is made of: the joint-motion primitives, and the keyframe
// machine that runs a motion written as a table of phases. All of it works on
// wm::agent and keeps no state of its own.
#ifndef VEXA_MOTION_H
#define VEXA_MOTION_H

#include <cstddef>
#include <initializer_list>

#include "objects.h"

namespace motion {

constexpr Limb kLeftArm = Limb::LeftArm;
constexpr Limb kRightArm = Limb::RightArm;
constexpr Limb kLeftLeg = Limb::LeftLeg;
constexpr Limb kRightLeg = Limb::RightLeg;

// The stepped speed law: 2, 1, 0.5 or 0.1 with the sign of d, for |d| above
// 20, 10, 2 or 0.5 (each bound exclusive), and 0 up to 0.5.
double steppedSpeed(double d);

// The coupled knee of a leg: minus the hip-pitch and ankle-pitch speeds
// written so far in this cycle, which keeps the foot's pitch.
double coupledKnee(Limb leg);

// Stores the hip's height above the ankle of a leg in bend_height and prints
// it; the height-keeping ankle below then holds the hip at that height.
void recordLegHeight(Limb leg);

// The ankle pitch (degrees, 0..180) that keeps the hip at bend_height for the
// leg's current hip roll and pitch.
double heightKeepingAnkle(Limb leg);

// True when every joint of the limb is strictly within tol of its row; a
// leg's knee (joint 4) is not compared.
bool reached(Limb limb, const double* row, double tol);

// Prints the distance to the ball; true when the gait should stop there,
// closer than 0.3.
bool ballCloseEnoughToStop();

// ---- The keyframe machine ----
//
// A motion is a table of phases. A phase drives some limbs towards its
// targets, one row of cells per limb, and ends when its exit says so; the
// motion's phase variable then moves to the exit's next phase. One call of
// step() is one cycle of one phase.

// How a cell turns its target T into a speed; cur is the joint's current
// angle and S the stepped law (steppedSpeed).
enum class LawKind {
  kFree,          // not driven: the joint keeps the speed it has this cycle
  kRowLaw,        // the row's law (the default of a cell)
  kProportional,  // (T - cur) * gain / divisor
  kStepped,       // gain * S(scale * (T - cur))
  kSteppedOver,   // S((T - cur) / divisor)
  kKnee,          // the coupled knee, no target
  kSteppedKnee,   // S(the coupled knee)
};

struct Law {
  LawKind kind;
  double divisor = 1;
  double scale = 1;
  double gain = 1;
};

// The remaining angle over a divisor, with an optional gain on top.
constexpr Law P(double divisor, double gain = 1) {
  return {LawKind::kProportional, divisor, 1, gain};
}
// The stepped law of the remaining angle times a scale, times a gain.
constexpr Law S(double scale, double gain = 1) { return {LawKind::kStepped, 1, scale, gain}; }
// The stepped law of the remaining angle over a divisor.
constexpr Law SOver(double divisor) { return {LawKind::kSteppedOver, divisor}; }
constexpr Law K{LawKind::kKnee};
constexpr Law SK{LawKind::kSteppedKnee};
constexpr Law FREE{LawKind::kFree};

// A target computed anew in every cycle (the gait's steering and its
// height-keeping ankle).
using TargetRule = double (*)();

// One joint of a row: a target, driven by the row's law unless the cell
// names its own; K, SK and FREE stand alone.
struct Cell {
  constexpr Cell(double target = 0) : target(target) {}
  constexpr Cell(double target, Law law) : target(target), law(law) {}
  constexpr Cell(Law law) : law(law) {}
  double target = 0;
  Law law{LawKind::kRowLaw};
  TargetRule rule = nullptr;
};

constexpr Cell computed(TargetRule rule) {
  Cell cell;
  cell.rule = rule;
  return cell;
}

// The cells of one limb, joint 1 first (an arm has 4). Joints are written in
// the order 1, 2, 3, 5, 6, 4: a coupled knee sees the hip-pitch and
// ankle-pitch speeds of this cycle.
struct Row {
  Limb limb;
  Law law;
  Cell cells[6];
};

// Angles a reached test compares with; empty means the drive row's targets.
struct Pose {
  constexpr Pose() = default;
  constexpr Pose(std::initializer_list<double> angles) : given(true) {
    int k = 0;
    for (double angle : angles) values[k++] = angle;
  }
  double values[6] = {};
  bool given = false;
};

// A limb a reached test looks at: every joint (a leg's knee aside) strictly
// within tol of the pose. A tolerance of 0 marks an unused slot.
struct Test {
  Limb limb;
  double tol = 0;
  Pose pose = Pose();
};

constexpr int kStay = -1;    // a next phase that keeps the current one
constexpr int kNoWait = -1;  // no wait
constexpr bool kMark = true;

// How a phase ends: when every tested limb has reached its pose (an exit that
// tests nothing never does) and, with min_wait, more than min_wait cycles
// have passed since the mark (wm::Record_Cycle); or, with timeout, once more
// than timeout cycles have passed, reached or not. Leaving, it marks the
// cycle if asked, prints its line and moves on to next.
struct Exit {
  Test tests[4];
  int next = kStay;
  const char* line = nullptr;
  bool mark = false;
  int min_wait = kNoWait;
  int timeout = kNoWait;
};

// A phase: the rows it drives, in this order, and its exit. line is printed
// at the start of every call. rule, if any, runs every call after the test
// and decides whether the phase ends (contact counters, fall marks); then, if
// any, runs after the phase has been left (probes, checks, hand-overs).
struct Phase {
  int id;
  Row rows[4];
  Exit exit;
  const char* line = nullptr;
  bool (*rule)(bool reached) = nullptr;
  void (*then)() = nullptr;
};

// Drives the phase's rows and tells whether it ends in this cycle.
bool ends(const Phase& phase);
// Marks the cycle and prints the line as the exit says.
void leave(const Exit& exit);

// One cycle of `phase`, whose id is the value of the phase variable `now`.
template <typename PhaseId>
void step(const Phase& phase, PhaseId& now) {
  if (!ends(phase)) return;
  leave(phase.exit);
  if (phase.exit.next != kStay) now = static_cast<PhaseId>(phase.exit.next);
  if (phase.then != nullptr) phase.then();
}

// The phase of the table with this id, or nullptr.
template <size_t N>
const Phase* find(const Phase (&table)[N], int id) {
  for (const Phase& phase : table) {
    if (phase.id == id) return &phase;
  }
  return nullptr;
}

}  // namespace motion

#endif
