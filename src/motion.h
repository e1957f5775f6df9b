// What every motion is made of: the joint-motion primitives, and the keyframe
// machine that runs a motion written as a table of phases. All of it works on
// wm::agent and keeps no state of its own.
#ifndef VEXA_MOTION_H
#define VEXA_MOTION_H

#include <cstddef>
#include <vector>

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
// targets, one row per limb, and ends when its exit says so; the motion then
// goes on to the phase's next one, named in the table or returned by a
// choice function. One call of step() is one cycle of one phase, and step()
// is the one place that writes the motion's phase variable. A phase is
// written as a chain of named parts:
//
//   Phase(WF_Stop_Walk)
//       .driveLegs(P(10), kCrouch)
//       .reached(kLeftLeg, 0.8).reached(kRightLeg, 0.8)
//       .whenLeft(handOver)
//       .next(WF_Stop_Walk_Over)

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
  LawKind kind = LawKind::kFree;
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

// The cells of one limb, joint 1 first (an arm has 4).
struct Targets {
  constexpr Targets() = default;
  constexpr Targets(Cell j1, Cell j2, Cell j3, Cell j4, Cell j5 = Cell(), Cell j6 = Cell())
      : cells{j1, j2, j3, j4, j5, j6} {}
  Cell cells[6];
};

// A limb driven by a phase: every cell by its law, the row's unless it names
// its own. Joints are written in the order 1, 2, 3, 5, 6, 4: a coupled knee
// sees the hip-pitch and ankle-pitch speeds of this cycle.
struct Row {
  Limb limb = kLeftArm;
  Law law;
  Targets targets;
};

// Poses more than one motion drives: the crouch the motions hand over in,
// the arms hanging down (shoulder pitch -90), straight legs, and the push up
// from the ground of the stand-up and the goalkeeper's recovery (legs
// folded, then squatting, with the shoulders at -20).
constexpr Targets kCrouch = {0, 0, 10, -20, 10, 0};
constexpr Targets kArmsDown = {-90, 0, 0, 0};
constexpr Targets kStraightLeg = {0, 0, 0, 0, 0, 0};
constexpr Targets kLeftLegFolded = {-90, 45, 100, -130, 75, -45};
constexpr Targets kRightLegFolded = {-90, -45, 100, -130, 75, 45};
constexpr Targets kLeftLegSquatting = {0, 45, 100, -130, 30, -45};
constexpr Targets kRightLegSquatting = {0, -45, 100, -130, 30, 45};
constexpr Targets kPushingArms = {-20, 0, 0, 0};

// Angles a reached test compares with, joint 1 first.
struct Pose {
  double angles[6] = {};
};

// A limb a reached test looks at: every joint (a leg's knee aside) strictly
// within tol of the pose.
struct Test {
  Limb limb = kLeftArm;
  double tol = 0;
  Pose pose;
};

// A reached test without a pose of its own compares with the limb's drive
// row, which must come before it: this function is never defined, so a
// constant table that calls it does not compile.
void reachedTestBeforeItsDriveRow();

// A phase and the parts it is written with; each part returns the phase with
// that part added. One cycle of a phase prints its line, drives its rows in
// the order given, makes its reached tests in the order given and runs its
// every-cycle rule; when it ends, it leaves: it marks the cycle if asked,
// prints its leaving line, runs its leaving hook and goes on to its next
// phase (or the one its choice returns).
class Phase {
  // A copy of the phase with one field set. It comes before the parts that
  // use it, so that clang can evaluate them in a constant table.
  template <typename T>
  constexpr Phase with(T Phase::*field, T value) const {
    Phase phase = *this;
    phase.*field = value;
    return phase;
  }

 public:
  static constexpr int kStay = -1;    // a next phase that keeps this one
  static constexpr int kNoWait = -1;  // no wait, no time-out
  using Rule = bool (*)(bool reached);
  using Hook = void (*)();
  using Choice = int (*)();

  constexpr explicit Phase(int id = 0) : id(id) {}

  // Drives `limb` towards `targets` by `law` (the law of every cell that
  // names none).
  constexpr Phase drive(Limb limb, Law law, const Targets& targets) const {
    Phase phase = *this;
    phase.rows[phase.row_count++] = {limb, law, targets};
    return phase;
  }
  // Both arms, or both legs, left first, with the same row.
  constexpr Phase driveArms(Law law, const Targets& targets) const {
    return drive(kLeftArm, law, targets).drive(kRightArm, law, targets);
  }
  constexpr Phase driveLegs(Law law, const Targets& targets) const {
    return drive(kLeftLeg, law, targets).drive(kRightLeg, law, targets);
  }
  // The phase ends only when every tested limb is strictly within tol of the
  // targets of `pose`, or of its drive row (a leg's knee is not compared). A
  // phase without reached tests never ends but by its time-out or its rule.
  constexpr Phase reached(Limb limb, double tol, const Targets& pose) const {
    Phase phase = *this;
    Test& test = phase.tests[phase.test_count++];
    test.limb = limb;
    test.tol = tol;
    for (int k = 0; k < 6; ++k) test.pose.angles[k] = pose.cells[k].target;
    return phase;
  }
  constexpr Phase reached(Limb limb, double tol) const {
    for (int r = 0; r < row_count; ++r) {
      if (rows[r].limb == limb) return reached(limb, tol, rows[r].targets);
    }
    reachedTestBeforeItsDriveRow();
    return *this;
  }
  // Reached, it ends only once more than `cycles` have passed since the mark
  // (wm::Record_Cycle).
  constexpr Phase waitMoreThan(int cycles) const { return with(&Phase::min_wait, cycles); }
  // It ends once more than `cycles` have passed since the mark, reached or not.
  constexpr Phase timeOutAfter(int cycles) const { return with(&Phase::timeout, cycles); }
  // A line printed at the start of every cycle.
  constexpr Phase print(const char* text) const { return with(&Phase::line, text); }
  // Runs in every cycle after the reached tests, with their result, and
  // decides whether the phase ends (contact counters, fall marks).
  constexpr Phase everyCycle(Rule rule) const { return with(&Phase::every_cycle, rule); }
  // Leaving, sets the mark (wm::Record_Cycle) to this cycle.
  constexpr Phase markWhenLeft() const { return with(&Phase::marks, true); }
  // Leaving, prints this line.
  constexpr Phase printWhenLeft(const char* text) const { return with(&Phase::leaving_line, text); }
  // Leaving, runs this (checks, hand-overs to other motions).
  constexpr Phase whenLeft(Hook hook) const { return with(&Phase::when_left, hook); }
  // The same phase under another id (phases that move alike).
  constexpr Phase as(int phase_id) const { return with(&Phase::id, phase_id); }
  // The phase the motion goes to when this one ends; without one it stays.
  constexpr Phase next(int phase_id) const { return with(&Phase::next_phase, phase_id); }
  // Leaving, runs `choice`, which returns the phase to go to (this one's id
  // to stay); its name says the alternatives.
  constexpr Phase next(Choice choice) const { return with(&Phase::next_choice, choice); }

  int id;
  Row rows[4] = {};
  int row_count = 0;
  Test tests[4] = {};
  int test_count = 0;
  int min_wait = kNoWait;
  int timeout = kNoWait;
  const char* line = nullptr;
  Rule every_cycle = nullptr;
  bool marks = false;
  const char* leaving_line = nullptr;
  Hook when_left = nullptr;
  int next_phase = kStay;
  Choice next_choice = nullptr;
};

// Drives the phase's rows and tells whether it ends in this cycle.
bool ends(const Phase& phase);
// Leaves the phase: marks, prints, runs its hook as it says, and returns the
// phase to go to.
int leave(const Phase& phase);

// One cycle of `phase`; the motion's phase variable `now` then holds the
// phase to run in the next cycle: this one, or where it goes when it ends.
template <typename PhaseId>
void step(const Phase& phase, PhaseId& now) {
  now = static_cast<PhaseId>(ends(phase) ? leave(phase) : phase.id);
}

// The phases of a motion, for checks that must hold for each of them.
using PhaseList = std::vector<const Phase*>;

template <size_t N>
PhaseList listOf(const Phase (&table)[N]) {
  PhaseList phases;
  for (const Phase& phase : table) phases.push_back(&phase);
  return phases;
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
