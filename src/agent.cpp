// The per-cycle state of the player: resets, cleared speeds and the text of
// the effector message; and the primitive members, which forward to motion.h.
#include <charconv>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

// "(name " of every joint, in the order of VEXA_BODY_JOINTS, which is the
// order the speeds are sent in. The head joints come last and are never sent.
#define VEXA_EFFECTOR_PREFIX(name) "(" #name " ",
const char* const kEffectorPrefixes[] = {VEXA_BODY_JOINTS(VEXA_EFFECTOR_PREFIX)};
#undef VEXA_EFFECTOR_PREFIX
const int kSentJoints = static_cast<int>(JointId::head1);
static_assert(static_cast<int>(JointId::head2) == kSentJoints + 1 &&
                  static_cast<int>(JointId::count) == kSentJoints + 2,
              "the head joints are the last two");

}  // namespace

Agent::Agent(TRoboCupConnection*) {}

void Agent::Init_Agent_Info() {
  wm::agent.shank_length = 0.11;
  wm::agent.thigh_length = 0.14;
  wm::agent.foot_height = 0.03;
}

void Agent::init_status() {
  wm::frp_0_count = 0;
  wm::Record_Cycle = 0;
  wm::cut = CU_Extend_Body;
  set_walk_data();
}

void Agent::set_walk_data() { wm::Walk_Cycle = kFreshWalkCycle; }

void Agent::empty_exec() {
  for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
    wm::agent.exec_ang(static_cast<JointId>(j)) = 0;
  }
}

// Each speed is written as a stream writes a double by default: general
// notation with six significant digits ("1e-05", "-0", no trailing zeros),
// which is what to_chars gives for the general format at precision 6.
std::string Agent::effector_string() const {
  char text[kSentJoints * 32];
  char* const end = text + sizeof text;
  char* at = text;
  for (int j = 0; j < kSentJoints; ++j) {
    for (const char* c = kEffectorPrefixes[j]; *c != '\0'; ++c) *at++ = *c;
    at = std::to_chars(at, end, wm::agent.exec_ang(static_cast<JointId>(j)),
                       std::chars_format::general, 6)
             .ptr;
    *at++ = ')';
  }
  return std::string(text, at);
}

double Agent::get_exec_angle(double d) { return motion::steppedSpeed(d); }
double Agent::get_exec_lleg4() { return motion::coupledKnee(Limb::LeftLeg); }
double Agent::get_exec_rleg4() { return motion::coupledKnee(Limb::RightLeg); }
void Agent::get_l_bend_height() { motion::recordLegHeight(Limb::LeftLeg); }
void Agent::get_r_bend_height() { motion::recordLegHeight(Limb::RightLeg); }
double Agent::get_exec_lleg5() { return motion::heightKeepingAnkle(Limb::LeftLeg); }
double Agent::get_exec_rleg5() { return motion::heightKeepingAnkle(Limb::RightLeg); }
bool Agent::should_stop_walk() { return motion::ballCloseEnoughToStop(); }

bool Agent::is_la_reach_ang(double a1, double a2, double a3, double a4, double tol) {
  const double row[] = {a1, a2, a3, a4};
  return motion::reached(Limb::LeftArm, row, tol);
}

bool Agent::is_ra_reach_ang(double a1, double a2, double a3, double a4, double tol) {
  const double row[] = {a1, a2, a3, a4};
  return motion::reached(Limb::RightArm, row, tol);
}

bool Agent::is_ll_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                            double tol) {
  const double row[] = {a1, a2, a3, a4, a5, a6};
  return motion::reached(Limb::LeftLeg, row, tol);
}

bool Agent::is_rl_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                            double tol) {
  const double row[] = {a1, a2, a3, a4, a5, a6};
  return motion::reached(Limb::RightLeg, row, tol);
}
