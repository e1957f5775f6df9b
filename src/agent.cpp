// The per-cycle state of the player: resets, cleared speeds and the text of
// the effector message; and the primitive members, which forward to motion.h.
#include <charconv>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

// Effector names in the order the speeds are sent; the head is never sent.
const struct {
  const char* prefix;
  JointId joint;
} kEffectors[] = {
    {"(lae1 ", JointId::lae1}, {"(rae1 ", JointId::rae1}, {"(lae2 ", JointId::lae2},
    {"(rae2 ", JointId::rae2}, {"(lae3 ", JointId::lae3}, {"(rae3 ", JointId::rae3},
    {"(lae4 ", JointId::lae4}, {"(rae4 ", JointId::rae4}, {"(lle1 ", JointId::lle1},
    {"(rle1 ", JointId::rle1}, {"(lle2 ", JointId::lle2}, {"(rle2 ", JointId::rle2},
    {"(lle3 ", JointId::lle3}, {"(rle3 ", JointId::rle3}, {"(lle4 ", JointId::lle4},
    {"(rle4 ", JointId::rle4}, {"(lle5 ", JointId::lle5}, {"(rle5 ", JointId::rle5},
    {"(lle6 ", JointId::lle6}, {"(rle6 ", JointId::rle6},
};

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

void Agent::set_walk_data() { wm::Walk_Cycle = 303; }

void Agent::empty_exec() {
  for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
    wm::agent.exec_ang(static_cast<JointId>(j)) = 0;
  }
}

// Each speed is written as a stream writes a double by default: general
// notation with six significant digits ("1e-05", "-0", no trailing zeros),
// which is what to_chars gives for the general format at precision 6.
std::string Agent::effector_string() const {
  char text[sizeof kEffectors / sizeof kEffectors[0] * 32];
  char* const end = text + sizeof text;
  char* at = text;
  for (const auto& effector : kEffectors) {
    for (const char* c = effector.prefix; *c != '\0'; ++c) *at++ = *c;
    at = std::to_chars(at, end, wm::agent.exec_ang(effector.joint), std::chars_format::general, 6)
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
