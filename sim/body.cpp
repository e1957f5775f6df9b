#include "body.h"

#include <algorithm>
#include <cmath>

namespace fieldsim {
namespace {

// The robot of the simulation server: masses in kg, sizes and centres in
// metres. The left side mirrors the right in x.
// clang-format off
const PartInfo kParts[kPartCount] = {
    {"torso",       Shape::kBox,     {0.10, 0.10, 0.18}, 1.2171, {0, 0, 0},                  true},
    {"neck",        Shape::kCapsule, {0.015, 0, 0.08},   0.05,   {0, 0, 0.09},               true},
    {"head",        Shape::kSphere,  {0.065, 0, 0},      0.35,   {0, 0, 0.155},              true},

    {"lshoulder",   Shape::kSphere,  {0.01, 0, 0},       0.07,   {-0.098, 0, 0.075},         false},
    {"lupperarm",   Shape::kBox,     {0.07, 0.08, 0.06}, 0.15,   {-0.108, 0.02, 0.075},      true},
    {"lelbow",      Shape::kSphere,  {0.01, 0, 0},       0.035,  {-0.098, 0.09, 0.084},      false},
    {"llowerarm",   Shape::kBox,     {0.05, 0.11, 0.05}, 0.2,    {-0.098, 0.14, 0.084},      true},
    {"rshoulder",   Shape::kSphere,  {0.01, 0, 0},       0.07,   {0.098, 0, 0.075},          false},
    {"rupperarm",   Shape::kBox,     {0.07, 0.08, 0.06}, 0.15,   {0.108, 0.02, 0.075},       true},
    {"relbow",      Shape::kSphere,  {0.01, 0, 0},       0.035,  {0.098, 0.09, 0.084},       false},
    {"rlowerarm",   Shape::kBox,     {0.05, 0.11, 0.05}, 0.2,    {0.098, 0.14, 0.084},       true},

    {"lhip1",       Shape::kSphere,  {0.01, 0, 0},       0.09,   {-0.055, -0.01, -0.115},    false},
    {"lhip2",       Shape::kSphere,  {0.01, 0, 0},       0.125,  {-0.055, -0.01, -0.115},    false},
    {"lthigh",      Shape::kBox,     {0.07, 0.07, 0.14}, 0.275,  {-0.055, 0, -0.155},        true},
    {"lshank",      Shape::kBox,     {0.08, 0.07, 0.11}, 0.225,  {-0.055, 0.005, -0.28},     true},
    {"lankle",      Shape::kSphere,  {0.01, 0, 0},       0.125,  {-0.055, -0.005, -0.335},   false},
    {"lfoot",       Shape::kBox,     {0.08, 0.16, 0.03}, 0.2,    {-0.055, 0.025, -0.37},     true},
    {"rhip1",       Shape::kSphere,  {0.01, 0, 0},       0.09,   {0.055, -0.01, -0.115},     false},
    {"rhip2",       Shape::kSphere,  {0.01, 0, 0},       0.125,  {0.055, -0.01, -0.115},     false},
    {"rthigh",      Shape::kBox,     {0.07, 0.07, 0.14}, 0.275,  {0.055, 0, -0.155},         true},
    {"rshank",      Shape::kBox,     {0.08, 0.07, 0.11}, 0.225,  {0.055, 0.005, -0.28},      true},
    {"rankle",      Shape::kSphere,  {0.01, 0, 0},       0.125,  {0.055, -0.005, -0.335},    false},
    {"rfoot",       Shape::kBox,     {0.08, 0.16, 0.03}, 0.2,    {0.055, 0.025, -0.37},      true},
};

constexpr double kDiagonal = 0.7071;

const JointInfo kJoints[kJointCount] = {
    {"he1",  "hj1",  -120, 120, kNeck,      kTorso,     {0, 0, 0.09},              {0, 0, 1}},
    {"he2",  "hj2",  -45,  45,  kHead,      kNeck,      {0, 0, 0.15},              {1, 0, 0}},

    {"lae1", "laj1", -120, 120, kLShoulder, kTorso,     {-0.098, 0, 0.075},        {1, 0, 0}},
    {"lae2", "laj2", -1,   95,  kLUpperArm, kLShoulder, {-0.098, 0, 0.075},        {0, 0, 1}},
    {"lae3", "laj3", -120, 120, kLElbow,    kLUpperArm, {-0.098, 0.09, 0.084},     {0, 1, 0}},
    {"lae4", "laj4", -90,  1,   kLLowerArm, kLElbow,    {-0.098, 0.09, 0.084},     {0, 0, 1}},

    {"rae1", "raj1", -120, 120, kRShoulder, kTorso,     {0.098, 0, 0.075},         {1, 0, 0}},
    {"rae2", "raj2", -95,  1,   kRUpperArm, kRShoulder, {0.098, 0, 0.075},         {0, 0, 1}},
    {"rae3", "raj3", -120, 120, kRElbow,    kRUpperArm, {0.098, 0.09, 0.084},      {0, 1, 0}},
    {"rae4", "raj4", -1,   90,  kRLowerArm, kRElbow,    {0.098, 0.09, 0.084},      {0, 0, 1}},

    {"lle1", "llj1", -90,  1,   kLHip1,     kTorso,     {-0.055, -0.01, -0.115},   {-kDiagonal, 0, -kDiagonal}},
    {"lle2", "llj2", -25,  45,  kLHip2,     kLHip1,     {-0.055, -0.01, -0.115},   {0, 1, 0}},
    {"lle3", "llj3", -25,  100, kLThigh,    kLHip2,     {-0.055, -0.01, -0.115},   {1, 0, 0}},
    {"lle4", "llj4", -130, 1,   kLShank,    kLThigh,    {-0.055, -0.005, -0.235},  {1, 0, 0}},
    {"lle5", "llj5", -45,  75,  kLAnkle,    kLShank,    {-0.055, -0.005, -0.335},  {1, 0, 0}},
    {"lle6", "llj6", -45,  25,  kLFoot,     kLAnkle,    {-0.055, -0.005, -0.335},  {0, 1, 0}},

    {"rle1", "rlj1", -90,  1,   kRHip1,     kTorso,     {0.055, -0.01, -0.115},    {-kDiagonal, 0, kDiagonal}},
    {"rle2", "rlj2", -45,  25,  kRHip2,     kRHip1,     {0.055, -0.01, -0.115},    {0, 1, 0}},
    {"rle3", "rlj3", -25,  100, kRThigh,    kRHip2,     {0.055, -0.01, -0.115},    {1, 0, 0}},
    {"rle4", "rlj4", -130, 1,   kRShank,    kRThigh,    {0.055, -0.005, -0.235},   {1, 0, 0}},
    {"rle5", "rlj5", -45,  75,  kRAnkle,    kRShank,    {0.055, -0.005, -0.335},   {1, 0, 0}},
    {"rle6", "rlj6", -25,  45,  kRFoot,     kRAnkle,    {0.055, -0.005, -0.335},   {0, 1, 0}},
};
// clang-format on

// First joint (hip yaw) of a leg; the others follow in order.
int hip(LegSide leg) {
  return leg == LegSide::kLeft ? kLle1 : kRle1;
}

}  // namespace

const PartInfo& partInfo(int part) {
  return kParts[part];
}

const JointInfo& jointInfo(int joint) {
  return kJoints[joint];
}

int jointByEffector(std::string_view name) {
  for (int j = 0; j < kJointCount; ++j) {
    if (name == kJoints[j].effector) return j;
  }
  return -1;
}

void Body::setAngle(int joint, double degrees) {
  angles_[joint] = std::clamp(degrees, kJoints[joint].min_degrees, kJoints[joint].max_degrees);
}

void Body::move(int joint, double radians_per_second) {
  const double step = degrees(radians_per_second * kCycleSeconds);
  setAngle(joint, angles_[joint] + std::clamp(step, -kMaxDegreesPerCycle, kMaxDegreesPerCycle));
}

Quat operator*(const Quat& a, const Quat& b) {
  return {
      a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quat axisAngle(Vec3 axis, double radians) {
  const double s = std::sin(radians / 2);
  return {std::cos(radians / 2), axis.x * s, axis.y * s, axis.z * s};
}

Vec3 rotate(const Quat& q, Vec3 v) {
  const Quat turned = q * Quat{0, v.x, v.y, v.z} * Quat{q.w, -q.x, -q.y, -q.z};
  return {turned.x, turned.y, turned.z};
}

// Each part moves rigidly with its parent, turned about its joint's anchor:
// a point p of the zero pose goes to parent(anchor + turn(p - anchor)). The
// hip's diagonal axes are written to four digits, so axes are normalised.
std::array<PartPose, kPartCount> partPoses(const Body& body) {
  struct Rigid {
    Quat turn;
    Vec3 shift;  // where the model frame's origin goes
  };
  std::array<Rigid, kPartCount> motion{};
  for (int j = 0; j < kJointCount; ++j) {
    const JointInfo& joint = kJoints[j];
    const double length = std::sqrt(joint.axis.x * joint.axis.x + joint.axis.y * joint.axis.y +
                                    joint.axis.z * joint.axis.z);
    const Vec3 axis{joint.axis.x / length, joint.axis.y / length, joint.axis.z / length};
    const Quat local = axisAngle(axis, radians(body.angle(j)));
    const Rigid& parent = motion[joint.parent];
    // Local motion: p -> local(p - anchor) + anchor, then the parent's.
    const Vec3 local_shift = joint.anchor - rotate(local, joint.anchor);
    motion[joint.child] = {parent.turn * local, rotate(parent.turn, local_shift) + parent.shift};
  }
  std::array<PartPose, kPartCount> poses;
  for (int p = 0; p < kPartCount; ++p) {
    poses[p] = {rotate(motion[p].turn, kParts[p].centre) + motion[p].shift, motion[p].turn};
  }
  return poses;
}

double legHeight(const Body& body, LegSide leg) {
  const int j = hip(leg);
  const double roll = radians(body.angle(j + 1));
  const double pitch = radians(body.angle(j + 2));
  const double shank = pitch + radians(body.angle(j + 3));
  return (kThighLength * std::cos(pitch) + kShankLength * std::cos(shank)) * std::cos(roll);
}

double legReach(const Body& body, LegSide leg) {
  const int j = hip(leg);
  const double pitch = radians(body.angle(j + 2));
  const double shank = pitch + radians(body.angle(j + 3));
  return kThighLength * std::sin(pitch) + kShankLength * std::sin(shank);
}

double outwardRoll(const Body& body, LegSide leg) {
  const double roll = body.angle(hip(leg) + 1);
  return leg == LegSide::kLeft ? roll : -roll;
}

double hipPitch(const Body& body, LegSide leg) {
  return body.angle(hip(leg) + 2);
}

Contacts footContacts(const Body& body) {
  const double left = legHeight(body, LegSide::kLeft);
  const double right = legHeight(body, LegSide::kRight);
  return {left >= right - kLiftMargin, right >= left - kLiftMargin};
}

}  // namespace fieldsim
