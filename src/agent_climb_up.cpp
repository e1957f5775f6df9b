// Standing up after a fall. The robot first probes, legs straight and knees
// bent, whether its left foot touches the ground: with contact it rolls the
// body over (the CU_Rorate_Body phases) and then joins the other branch, which
// pushes the body up on arms and legs into the crouch. Standing is confirmed
// from the foot sensors before the gait takes over again; otherwise the whole
// sequence starts again.
#include <initializer_list>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

constexpr double F = motion::FREE_CELL;

struct Keyframe {
  ClimbUpT phase;
  motion::BodyKeyframe pose;
};

// clang-format off
const Keyframe kKeyframes[] = {
  // phase            arms D left arm            right arm
  //                   legs D left leg                          right leg
  {CU_Extend_Body,  { 5, {-90, 0,   0,   0}, {-90, 0,  0,  0},
                      5, {  0,  0,   0,  -90,   0,   0}, {  0,   0,   0,  -90,   0,  0}}},
  {CU_Extend_Body2, { 5, {-90, 0,   0,   0}, {-90, 0,  0,  0},
                      5, {  0,  0,   0,    0,   0,   0}, {  0,   0,   0,  -90,   0,  0}}},
  {CU_Bend_Hand,    {10, {120, 0, -90, -60}, {  0, 0, 20, 90},
                     10, {  0,  0,   0, -108, -65,   0}, {-30,   0,  90,    0,   0,  0}}},
  {CU_Rorate_Body,  {10, { 90, 0,   0,   0}, {120, 0, 90, 90},
                     10, {  0,  0,  90,    0,   0,   0}, {  F,   F,   F,    F,   F,  F}}},
  {CU_Rorate_Body2, {10, {120, 0,   0,   0}, {120, 0, 90, 90},
                     10, {  0,  0,   0,    0,   0,   0}, {  0,   0,   0,  -90,   0,  0}}},
  {CU_Bend_Hand2,   {20, {-98, 0,   0,   0}, {-98, 0,  0,  0},
                     20, {  0,  0,   0,    0, -10,   0}, {  0,   0,   0,    0, -10,  0}}},
  {CU_Push_Hand,    { 1, {-20, 0,   0,   0}, {-20, 0,  0,  0},
                     60, {-90, 45, 100, -130,  75, -45}, {-90, -45, 100, -130,  75, 45}}},
  {CU_Bend_Down2,   {10, {-20, 0,   0,   0}, {-20, 0,  0,  0},
                     30, {  0, 45, 100, -130,  30, -45}, {  0, -45, 100, -130,  30, 45}}},
  {CU_Bend_Down,    {90, {-90, 0,   0,   0}, {-90, 0,  0,  0},
                     30, {  0,  0,  10,  -20,  10,   0}, {  0,   0,  10,  -20,  10,  0}}},
};
// clang-format on

// Cells driven with a gain on top of their divisor: (target - current) / D * gain.
struct Gain {
  ClimbUpT phase;
  Limb limb;
  int joint;
  double gain;
};

const Gain kGains[] = {
    {CU_Bend_Hand, Limb::LeftArm, 1, 100},
    {CU_Bend_Hand, Limb::LeftLeg, 4, 100},
};

const Keyframe* keyframeOf(ClimbUpT phase) {
  for (const Keyframe& frame : kKeyframes) {
    if (frame.phase == phase) return &frame;
  }
  return nullptr;
}

void drive(const Keyframe& frame) {
  motion::driveBody(frame.pose);
  for (const Gain& cell : kGains) {
    if (cell.phase != frame.phase) continue;
    motion::driveJoint(cell.limb, cell.joint, motion::rowOf(frame.pose, cell.limb)[cell.joint - 1],
                       motion::divisorOf(frame.pose, cell.limb), cell.gain);
  }
}

bool reached(Limb limb, std::initializer_list<double> row, double tol) {
  return motion::reached(limb, row.begin(), tol);
}

bool waitedMoreThan(int cycles) {
  return wm::Sim_Cycle - wm::Record_Cycle > cycles;
}

void mark() {
  wm::Record_Cycle = wm::Sim_Cycle;
}

void markAndGo(ClimbUpT next) {
  mark();
  wm::cut = next;
}

// A recent left-foot reading means the robot lies so that it must roll over
// first; otherwise it can push itself up straight away.
void probeContact() {
  if (wm::lfrp_0_count <= 5) {
    std::cout << "!!!!!!!!!!!!lfrp_0_count=" << wm::lfrp_0_count;
    markAndGo(CU_Extend_Body2);
  } else {
    std::cout << "lfrp_count=" << wm::lfrp_count << "\n";
    markAndGo(CU_Bend_Hand2);
  }
}

// Both feet silent for a while: the push did not bring them to the ground.
void leaveBendDown2() {
  if (wm::frp_0_count > 10) {
    wm::cut = CU_Extend_Body;
  } else {
    markAndGo(CU_Bend_Down);
  }
}

bool feetCarryTheBody() {
  const bool loaded =
      wm::lfrp_count > 20 || wm::rfrp_count > 20 || wm::lfrp.f_z + wm::rfrp.f_z < 18;
  return loaded && wm::lfrp_0_count == 0 && wm::rfrp_0_count == 0;
}

void checkStanding() {
  if (feetCarryTheBody()) {
    std::cout << "Stand_Up successfully " << wm::gyr.x << "\n";
    wm::is_lie_down = false;
    wm::wft = WF_Bend_Down;
  }
  wm::cut = CU_Extend_Body;
}

void advance() {
  switch (wm::cut) {
    case CU_Extend_Body:
      if (reached(Limb::LeftLeg, {0, 0, 0, -90, 0, 0}, 3) && waitedMoreThan(50)) {
        probeContact();
      }
      return;
    case CU_Extend_Body2:
      if (reached(Limb::LeftLeg, {0, 0, 0, 0, 0, 0}, 3) && waitedMoreThan(10)) {
        markAndGo(CU_Bend_Hand);
      }
      return;
    case CU_Bend_Hand:
      // The shoulder is driven to +120 but tested at -120, so it is mostly
      // the wait that ends this phase.
      if (reached(Limb::LeftArm, {-120, 0, -90, -60}, 1) || waitedMoreThan(100)) {
        wm::cut = CU_Rorate_Body;
      }
      return;
    case CU_Rorate_Body:
      if (reached(Limb::RightArm, {120, 0, 90, 90}, 2)) wm::cut = CU_Rorate_Body2;
      return;
    case CU_Rorate_Body2:
      if (reached(Limb::RightLeg, {0, 0, 0, -90, 0, 0}, 0.5)) wm::cut = CU_Bend_Hand2;
      return;
    case CU_Bend_Hand2:
      if (reached(Limb::LeftLeg, {0, 0, 0, 0, -10, 0}, 1)) markAndGo(CU_Push_Hand);
      return;
    case CU_Push_Hand:
      if (reached(Limb::LeftLeg, {-90, 45, 100, -130, 75, -45}, 4)) markAndGo(CU_Bend_Down2);
      return;
    case CU_Bend_Down2:
      if (reached(Limb::LeftLeg, {0, 45, 100, -130, 30, -45}, 1.8)) leaveBendDown2();
      return;
    case CU_Bend_Down:
      if (reached(Limb::LeftLeg, {0, 0, 10, -20, 10, 0}, 0.8) &&
          reached(Limb::RightLeg, {0, 0, 10, -20, 10, 0}, 0.8)) {
        mark();
        checkStanding();
      }
      return;
    default:
      return;
  }
}

}  // namespace

void Agent::climb_up() {
  // CU_Rorate_Hand, CU_Rorate_Body3 and values outside the phases have no
  // keyframe: every joint keeps the speed 0 of the cycle.
  const Keyframe* frame = keyframeOf(wm::cut);
  if (frame == nullptr) return;
  drive(*frame);
  advance();
}
