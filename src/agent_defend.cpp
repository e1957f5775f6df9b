// The goalkeeper. It waits in the ready crouch until the ball comes close,
// then plays one fixed sequence that cannot be interrupted: a diving pose held
// for more than 100 cycles, a second arm pose held as long, and three recovery
// keyframes back into the crouch. The sequence position is `status`, a static
// of defend(); it starts at 1, so the first calls play the sequence whatever
// the ball does.
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

// The ball counts as close below this distance.
constexpr double kCloseBall = 2.0;

// One keyframe per status, every arm and leg joint driven.
// clang-format off
const motion::BodyKeyframe kKeyframes[] = {
  //       arms D  left arm             right arm
  //       legs D  left leg                        right leg
  /* 0 */ { 5, {  0, 0,  0,   0}, {  0, 0,   0,  0},
           10, {  0,  0,  10,  -20, 10,   0}, {  0,   0,  10,  -20, 10,  0}},
  /* 1 */ { 5, { 90, 0, 90, -45}, { 90, 0, -90, 45},
           10, {  0,  0,  10,  -20, 80,   0}, {  0,   0,  10,  -20, 80,  0}},
  /* 2 */ { 5, {  0, 0, 90,   0}, {  0, 0, -90,  0},
           10, {  0,  0,  10,  -20, 80,   0}, {  0,   0,  10,  -20, 80,  0}},
  /* 3 */ { 1, {-20, 0,  0,   0}, {-20, 0,   0,  0},
           15, {-90, 45, 100, -130, 75, -45}, {-90, -45, 100, -130, 75, 45}},
  /* 4 */ { 1, {-20, 0,  0,   0}, {-20, 0,   0,  0},
           30, {  0, 45, 100, -130, 30, -45}, {  0, -45, 100, -130, 30, 45}},
  /* 5 */ {90, {-90, 0,  0,   0}, {-90, 0,   0,  0},
           30, {  0,  0,  10,  -20, 10,   0}, {  0,   0,  10,  -20, 10,  0}},
};
// clang-format on

// Which limbs a reached test looks at, tested in the order left leg, right
// leg, left arm, right arm.
enum class Tested { LeftLeg, Legs, LegsAndArms };

constexpr int kNoWait = -1;

// How a status is left: the reached test, the wait since the mark, and what
// happens then.
struct Exit {
  Tested tested;
  double leg[6];  // the row of every leg tested
  double left_arm[4], right_arm[4];
  double tol;
  int wait;  // more than this many cycles since the mark, or kNoWait
  bool mark;
  const char* line;  // printed when leaving, or nullptr
  int next;
};

// The ankles of statuses 1 and 2 are driven to 80 but tested at 75.
// clang-format off
const Exit kExits[] = {
  /* 0 */ {Tested::LegsAndArms, {  0,  0,  10,  -20, 10,   0}, { 0, 0,  0,   0}, { 0, 0,   0,  0},
           0.8, kNoWait, true, "0", 1},
  /* 1 */ {Tested::LegsAndArms, {  0,  0,  10,  -20, 75,   0}, {90, 0, 90, -45}, {90, 0, -90, 45},
           0.8, 100, true, "1", 2},
  /* 2 */ {Tested::LegsAndArms, {  0,  0,  10,  -20, 75,   0}, { 0, 0, 90,   0}, { 0, 0, -90,  0},
           0.8, 100, true, "2", 3},
  /* 3 */ {Tested::LeftLeg,     {-90, 45, 100, -130, 75, -45}, {}, {},
           3, kNoWait, false, nullptr, 4},
  /* 4 */ {Tested::LeftLeg,     {  0, 45, 100, -130, 30, -45}, {}, {},
           1.8, kNoWait, true, "0", 5},
  /* 5 */ {Tested::Legs,        {  0,  0,  10,  -20, 10,   0}, {}, {},
           0.8, kNoWait, true, "Stand_Up successfully ", 0},
};
// clang-format on

bool reached(const Exit& way_out) {
  if (!motion::reached(Limb::LeftLeg, way_out.leg, way_out.tol)) return false;
  if (way_out.tested == Tested::LeftLeg) return true;
  if (!motion::reached(Limb::RightLeg, way_out.leg, way_out.tol)) return false;
  if (way_out.tested == Tested::Legs) return true;
  return motion::reached(Limb::LeftArm, way_out.left_arm, way_out.tol) &&
         motion::reached(Limb::RightArm, way_out.right_arm, way_out.tol);
}

bool waitedEnough(const Exit& way_out) {
  return way_out.wait == kNoWait || wm::Sim_Cycle - wm::Record_Cycle > way_out.wait;
}

}  // namespace

void Agent::defend() {
  static int status = 1;
  std::cout << "the distance to the ball" << wm::dis_to_ball << "\n";
  // Once started, the sequence runs to its end whatever the ball does.
  if (!(wm::dis_to_ball < kCloseBall) && status == 0) return;

  motion::driveBody(kKeyframes[status]);
  const Exit& way_out = kExits[status];
  if (!reached(way_out) || !waitedEnough(way_out)) return;
  if (way_out.mark) wm::Record_Cycle = wm::Sim_Cycle;
  if (way_out.line != nullptr) std::cout << way_out.line << "\n";
  status = way_out.next;
}
