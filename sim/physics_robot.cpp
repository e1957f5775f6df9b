#include "physics_robot.h"

#include <algorithm>
#include <cmath>

#include "physics.h"

namespace fieldsim {
namespace {

using namespace physics;

double length(Vec3 v) {
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}
Vec3 toVec3(const dReal* v) {
  return {v[0], v[1], v[2]};
}

// The model frame (x right, y forward) turned to face `heading`, measured
// anticlockwise from the field's x axis.
Quat facing(double heading) {
  return axisAngle({0, 0, 1}, radians(heading - 90));
}

void setPose(dBodyID body, Vec3 position, const Quat& q) {
  const dQuaternion ode_q = {q.w, q.x, q.y, q.z};
  dBodySetPosition(body, position.x, position.y, position.z);
  dBodySetQuaternion(body, ode_q);
}

dGeomID createGeom(dSpaceID space, const PartInfo& info) {
  switch (info.shape) {
    case Shape::kBox:
      return dCreateBox(space, info.size.x, info.size.y, info.size.z);
    case Shape::kSphere:
      return dCreateSphere(space, info.size.x);
    case Shape::kCapsule:
      return dCreateCapsule(space, info.size.x, info.size.z);
  }
  return nullptr;
}

dMass massOf(const PartInfo& info) {
  dMass mass;
  switch (info.shape) {
    case Shape::kBox:
      dMassSetBoxTotal(&mass, info.mass, info.size.x, info.size.y, info.size.z);
      break;
    case Shape::kSphere:
      dMassSetSphereTotal(&mass, info.mass, info.size.x);
      break;
    case Shape::kCapsule:
      dMassSetCapsuleTotal(&mass, info.mass, 3, info.size.x, info.size.z);
      break;
  }
  return mass;
}

bool finiteWithin(Vec3 v, double bound) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && length(v) < bound;
}

}  // namespace

void applyDrag(dBodyID body, double linear, double angular) {
  const dReal* v = dBodyGetLinearVel(body);
  const dReal* w = dBodyGetAngularVel(body);
  dBodyAddForce(body, -linear * v[0], -linear * v[1], -linear * v[2]);
  dBodyAddTorque(body, -angular * w[0], -angular * w[1], -angular * w[2]);
}

PhysicsRobot::PhysicsRobot(dWorldID world, dSpaceID space, Vec2 position, double heading)
    : space_(dSimpleSpaceCreate(space)) {
  const Quat turn = facing(heading);
  const Vec3 origin{position.x, position.y, kTorsoHeightAboveSoles};
  for (int p = 0; p < kPartCount; ++p) {
    const PartInfo& info = partInfo(p);
    bodies_[p] = dBodyCreate(world);
    const dMass mass = massOf(info);
    dBodySetMass(bodies_[p], &mass);
    setPose(bodies_[p], origin + rotate(turn, info.centre), turn);
    tags_[p] = {this, p};
    if (!info.collides) continue;
    geoms_[p] = createGeom(space_, info);
    dGeomSetBody(geoms_[p], bodies_[p]);
    dGeomSetData(geoms_[p], &tags_[p]);
  }
  // Built in the zero pose, so that every hinge's angle counts from there.
  for (int j = 0; j < kJointCount; ++j) {
    const JointInfo& info = jointInfo(j);
    joints_[j] = dJointCreateHinge(world, nullptr);
    dJointAttach(joints_[j], bodies_[info.child], bodies_[info.parent]);
    const Vec3 anchor = origin + rotate(turn, info.anchor);
    const Vec3 axis = rotate(turn, info.axis);
    dJointSetHingeAnchor(joints_[j], anchor.x, anchor.y, anchor.z);
    dJointSetHingeAxis(joints_[j], axis.x, axis.y, axis.z);
    dJointSetHingeParam(joints_[j], dParamLoStop, radians(info.min_degrees));
    dJointSetHingeParam(joints_[j], dParamHiStop, radians(info.max_degrees));
    dJointSetHingeParam(joints_[j], dParamStopERP, kStopErp);
    dJointSetHingeParam(joints_[j], dParamStopCFM, kStopCfm);
    dJointSetHingeParam(joints_[j], dParamCFM, kJointCfm);
  }
}

PhysicsRobot::~PhysicsRobot() {
  for (dJointID joint : joints_) dJointDestroy(joint);
  for (dGeomID geom : geoms_) {
    if (geom != nullptr) dGeomDestroy(geom);
  }
  for (dBodyID body : bodies_) dBodyDestroy(body);
  dSpaceDestroy(space_);
}

void PhysicsRobot::prepareStep(const std::array<double, kJointCount>& speeds, double max_torque) {
  for (int j = 0; j < kJointCount; ++j) {
    const double speed = std::clamp(speeds[j], -kMaxMotorSpeed, kMaxMotorSpeed);
    dJointSetHingeParam(joints_[j], dParamVel, std::isfinite(speed) ? speed : 0);
    dJointSetHingeParam(joints_[j], dParamFMax, max_torque);
  }
  for (dBodyID body : bodies_) applyDrag(body, kPartDrag, kPartDrag);
}

void PhysicsRobot::place(Vec2 position, double heading, double torso_height) {
  assemble({{position.x, position.y, torso_height}, facing(heading), posture().angles});
}

Posture PhysicsRobot::posture() const {
  Posture posture{torsoPosition(), pose(kTorso).orientation, {}};
  for (int j = 0; j < kJointCount; ++j) posture.angles.setAngle(j, angle(j));
  return posture;
}

void PhysicsRobot::assemble(const Posture& posture) {
  const auto poses = partPoses(posture.angles);
  RobotState state;
  for (int p = 0; p < kPartCount; ++p) {
    state[p] = {posture.torso_position + rotate(posture.torso_orientation, poses[p].position),
                posture.torso_orientation * poses[p].orientation,
                {},
                {}};
  }
  setState(state, true);
}

namespace {

Body insideStops(Body body) {
  for (int j = 0; j < kJointCount; ++j) {
    const JointInfo& info = jointInfo(j);
    body.setAngle(j, std::clamp(body.angle(j), info.min_degrees + kResetStopMargin,
                                info.max_degrees - kResetStopMargin));
  }
  return body;
}

}  // namespace

void PhysicsRobot::putBack(const Posture& posture) {
  assemble({posture.torso_position, posture.torso_orientation, insideStops(posture.angles)});
}

Posture onItsBack(Vec3 torso, double heading, const Body& angles) {
  return {torso, facing(heading) * axisAngle({1, 0, 0}, kPi / 2), angles};
}

void PhysicsRobot::layFlat(const Posture& posture) {
  const Vec3 forward = rotate(posture.torso_orientation, {0, 1, 0});
  const double heading = degrees(std::atan2(forward.y, forward.x));
  Posture flat = onItsBack(posture.torso_position, heading, insideStops({}));
  assemble(flat);
  double lowest = kInfinite;
  for (dGeomID geom : geoms_) {
    if (geom == nullptr) continue;
    dReal box[6];
    dGeomGetAABB(geom, box);
    lowest = std::min(lowest, static_cast<double>(box[4]));
  }
  flat.torso_position.z += kLaidFlatClearance - lowest;
  assemble(flat);
}

// A force over the next step that gives the impulse, along the torso's
// forward axis (its y column) made horizontal and turned anticlockwise by
// the direction: from the right (90) it pushes the robot to its left.
void PhysicsRobot::push(double impulse, double direction) {
  const dReal* r = dBodyGetRotation(bodies_[kTorso]);
  const double norm = std::hypot(r[1], r[5]);
  if (norm < 1e-9) return;
  const double cos = std::cos(radians(direction));
  const double sin = std::sin(radians(direction));
  const double fx = r[1] * cos - r[5] * sin;
  const double fy = r[1] * sin + r[5] * cos;
  const double force = impulse / kCycleSeconds;
  dBodyAddForce(bodies_[kTorso], force * fx / norm, force * fy / norm, 0);
}

void PhysicsRobot::setEnabled(bool enabled) {
  enabled_ = enabled;
  for (dBodyID body : bodies_) enabled ? dBodyEnable(body) : dBodyDisable(body);
  enabled ? dGeomEnable(reinterpret_cast<dGeomID>(space_))
          : dGeomDisable(reinterpret_cast<dGeomID>(space_));
}

RobotState PhysicsRobot::state() const {
  RobotState state;
  for (int p = 0; p < kPartCount; ++p) {
    const dReal* q = dBodyGetQuaternion(bodies_[p]);
    state[p] = {toVec3(dBodyGetPosition(bodies_[p])),
                {q[0], q[1], q[2], q[3]},
                toVec3(dBodyGetLinearVel(bodies_[p])),
                toVec3(dBodyGetAngularVel(bodies_[p]))};
  }
  return state;
}

void PhysicsRobot::setState(const RobotState& state, bool at_rest) {
  for (int p = 0; p < kPartCount; ++p) {
    const BodyState& s = state[p];
    setPose(bodies_[p], s.position, s.orientation);
    const Vec3 v = at_rest ? Vec3{} : s.velocity;
    const Vec3 w = at_rest ? Vec3{} : s.spin;
    dBodySetLinearVel(bodies_[p], v.x, v.y, v.z);
    dBodySetAngularVel(bodies_[p], w.x, w.y, w.z);
  }
}

bool PhysicsRobot::sane() const {
  for (dBodyID body : bodies_) {
    const dReal* q = dBodyGetQuaternion(body);
    if (!finiteWithin(toVec3(dBodyGetPosition(body)), kMaxDistance) ||
        !finiteWithin(toVec3(dBodyGetLinearVel(body)), kMaxSpeed) ||
        !finiteWithin(toVec3(dBodyGetAngularVel(body)), kMaxSpin) ||
        !std::isfinite(q[0] + q[1] + q[2] + q[3])) {
      return false;
    }
  }
  for (dJointID joint : joints_) {
    dVector3 on_child;
    dVector3 on_parent;
    dJointGetHingeAnchor(joint, on_child);
    dJointGetHingeAnchor2(joint, on_parent);
    if (length(toVec3(on_child) - toVec3(on_parent)) > kMaxJointGap) return false;
  }
  return true;
}

double PhysicsRobot::angle(int joint) const {
  return degrees(dJointGetHingeAngle(joints_[joint]));
}

Vec3 PhysicsRobot::torsoPosition() const {
  return toVec3(dBodyGetPosition(bodies_[kTorso]));
}

double PhysicsRobot::heading() const {
  const dReal* r = dBodyGetRotation(bodies_[kTorso]);
  return degrees(std::atan2(r[5], r[1]));
}

Vec3 PhysicsRobot::gyro() const {
  const Vec3 spin = toTorso(toVec3(dBodyGetAngularVel(bodies_[kTorso])));
  return {degrees(spin.x), degrees(spin.y), degrees(spin.z)};
}

Vec3 PhysicsRobot::toTorso(Vec3 v) const {
  dVector3 local;
  dBodyVectorFromWorld(bodies_[kTorso], v.x, v.y, v.z, local);
  return toVec3(local);
}

PartPose PhysicsRobot::pose(int part) const {
  const dReal* q = dBodyGetQuaternion(bodies_[part]);
  return {toVec3(dBodyGetPosition(bodies_[part])), {q[0], q[1], q[2], q[3]}};
}

}  // namespace fieldsim
