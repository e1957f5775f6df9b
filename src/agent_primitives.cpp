// The small members shared by every motion: the stepped speed law, the
// coupled knee, the leg height and its inverse, the reached tests and the
// stop test of the gait.
#include <algorithm>
#include <cmath>
#include <iostream>

#include "agent.h"
#include "motion.h"
#include "world_model.h"

namespace {

// The motions convert with this value of pi, not the library's.
const double kPi = 3.1415926;

double toRadians(double degrees) { return degrees / 180 * kPi; }

double legHeight(double hip_roll, double hip_pitch, double ankle_pitch) {
  const AgentObject& body = wm::agent;
  return (body.thigh_length * std::cos(toRadians(hip_pitch)) +
          body.shank_length * std::cos(toRadians(ankle_pitch))) *
         std::cos(toRadians(hip_roll));
}

// Ankle pitch (degrees, 0..180) that keeps the hip at bend_height for the
// given hip roll and pitch. A height the leg cannot reach, or a hip roll of
// 90 degrees, clamps the cosine to -1..1 so that the angle is always finite.
double heightKeepingAnkle(double hip_roll, double hip_pitch) {
  const AgentObject& body = wm::agent;
  const double cosine =
      (body.bend_height / std::cos(toRadians(hip_roll)) -
       body.thigh_length * std::cos(toRadians(hip_pitch))) /
      body.shank_length;
  // fmin/fmax also turn a NaN (0/0 at a hip roll of 90 degrees) into 1.
  const double clamped = std::fmax(-1.0, std::fmin(1.0, cosine));
  return std::acos(clamped) * 180 / kPi;
}

// True when |current - target| < tol for joints `joints` of `limb`, tested in
// order and stopping at the first one outside the tolerance.
template <std::size_t N>
bool limbReached(Limb limb, const int (&joints)[N], const double* targets, double tol) {
  for (int k : joints) {
    if (!(std::fabs(motion::current(limb, k) - targets[k - 1]) < tol)) return false;
  }
  return true;
}

const int kArmJoints[] = {1, 2, 3, 4};
// The knee (joint 4) is not compared: most keyframes couple it instead.
const int kLegJoints[] = {1, 2, 3, 5, 6};

}  // namespace

double Agent::get_exec_angle(double d) {
  const double magnitude = std::fabs(d);
  double step;
  if (magnitude > 20) {
    step = 2;
  } else if (magnitude > 10) {
    step = 1;
  } else if (magnitude > 2) {
    step = 0.5;
  } else if (magnitude > 0.5) {
    step = 0.1;
  } else {
    return 0;
  }
  return d > 0 ? step : -step;
}

double Agent::get_exec_lleg4() { return -(wm::agent.exec_ang_lle3 + wm::agent.exec_ang_lle5); }

double Agent::get_exec_rleg4() { return -(wm::agent.exec_ang_rle3 + wm::agent.exec_ang_rle5); }

void Agent::get_l_bend_height() {
  const AgentObject& b = wm::agent;
  wm::agent.bend_height =
      legHeight(b.get_cur_ang_lle2(), b.get_cur_ang_lle3(), b.get_cur_ang_lle5());
  std::cout << wm::agent.bend_height << "\n";
}

void Agent::get_r_bend_height() {
  const AgentObject& b = wm::agent;
  wm::agent.bend_height =
      legHeight(b.get_cur_ang_rle2(), b.get_cur_ang_rle3(), b.get_cur_ang_rle5());
  std::cout << wm::agent.bend_height << "\n";
}

double Agent::get_exec_lleg5() {
  return heightKeepingAnkle(wm::agent.get_cur_ang_lle2(), wm::agent.get_cur_ang_lle3());
}

double Agent::get_exec_rleg5() {
  return heightKeepingAnkle(wm::agent.get_cur_ang_rle2(), wm::agent.get_cur_ang_rle3());
}

bool Agent::is_la_reach_ang(double a1, double a2, double a3, double a4, double tol) {
  const double targets[] = {a1, a2, a3, a4};
  return limbReached(Limb::LeftArm, kArmJoints, targets, tol);
}

bool Agent::is_ra_reach_ang(double a1, double a2, double a3, double a4, double tol) {
  const double targets[] = {a1, a2, a3, a4};
  return limbReached(Limb::RightArm, kArmJoints, targets, tol);
}

bool Agent::is_ll_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                            double tol) {
  const double targets[] = {a1, a2, a3, a4, a5, a6};
  return limbReached(Limb::LeftLeg, kLegJoints, targets, tol);
}

bool Agent::is_rl_reach_ang(double a1, double a2, double a3, double a4, double a5, double a6,
                            double tol) {
  const double targets[] = {a1, a2, a3, a4, a5, a6};
  return limbReached(Limb::RightLeg, kLegJoints, targets, tol);
}

bool Agent::should_stop_walk() {
  std::cout << "wm::dis_to_ball" << wm::dis_to_ball << "\n";
  return wm::dis_to_ball < 0.3;
}
