#include "physics.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "formatted.h"

namespace fieldsim {
namespace {

using namespace physics;

constexpr int kMessagesShown = 5;

// The engine reports internal errors through handlers that must not return;
// an exception carries them out of the step.
struct EngineFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int engine_messages = 0;

std::string messageText(int number, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  return "ODE " + std::to_string(number) + ": " + text;
}

void onMessage(int number, const char* format, va_list args) {
  if (++engine_messages <= kMessagesShown) {
    std::cerr << "fieldsim: " << messageText(number, format, args) << "\n";
  }
}

[[noreturn]] void onFailure(int number, const char* format, va_list args) {
  throw EngineFailure(messageText(number, format, args));
}

}  // namespace

// The engine keeps a small job record (80 bytes) that an internal error
// unwinding out of a step leaves behind; it is the engine's, bounded by the
// number of rebuilds, and not to fail a sanitizer build's leak check.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libode.so\n";
}

namespace {

void initEngine() {
  static const bool done = [] {
    dInitODE2(0);
    dSetMessageHandler(onMessage);
    dSetErrorHandler(onFailure);
    dSetDebugHandler(onFailure);
    return true;
  }();
  (void)done;
}

dSurfaceParameters robotSurface() {
  dSurfaceParameters s{};
  s.mode = dContactSlip1 | dContactSlip2 | dContactSoftERP | dContactSoftCFM;
  s.mu = kRobotMu;
  s.slip1 = s.slip2 = kRobotSlip;
  s.soft_erp = kRobotSoftErp;
  s.soft_cfm = kRobotSoftCfm;
  return s;
}

dSurfaceParameters ballSurface() {
  dSurfaceParameters s{};
  s.mode = dContactBounce | dContactSlip1 | dContactSlip2 | dContactSoftERP | dContactSoftCFM;
  s.mu = kBallMu;
  s.bounce = kBallBounce;
  s.bounce_vel = kBallBounceSpeed;
  s.slip1 = s.slip2 = kBallSlip;
  s.soft_erp = kBallSoftErp;
  s.soft_cfm = kBallSoftCfm;
  return s;
}

Vec3 toVec3(const dReal* v) {
  return {v[0], v[1], v[2]};
}

double dot(Vec3 a, const dReal* b) {
  return a.x * b[0] + a.y * b[1] + a.z * b[2];
}

const PhysicsRobot::PartTag* tagOf(dGeomID geom) {
  return static_cast<const PhysicsRobot::PartTag*>(dGeomGetData(geom));
}

int legOfFoot(const PhysicsRobot::PartTag* tag) {
  if (tag == nullptr) return -1;
  return tag->part == kLFoot ? 0 : tag->part == kRFoot ? 1 : -1;
}

}  // namespace

PhysicsDynamics::PhysicsDynamics(PhysicsSettings settings) : settings_(settings) {
  initEngine();
  createWorld();
  placeBall({});
}

PhysicsDynamics::~PhysicsDynamics() {
  destroyWorld();
}

void PhysicsDynamics::createWorld() {
  world_ = dWorldCreate();
  dWorldSetGravity(world_, 0, 0, -kGravity);
  dWorldSetERP(world_, kWorldErp);
  dWorldSetCFM(world_, settings_.cfm);
  dWorldSetContactSurfaceLayer(world_, kContactSurfaceLayer);
  dWorldSetAutoDisableFlag(world_, 0);
  dWorldSetQuickStepNumIterations(world_, kQuickStepIterations);
  space_ = dSimpleSpaceCreate(nullptr);
  contacts_ = dJointGroupCreate(0);
  ground_ = dCreatePlane(space_, 0, 0, 1, 0);
  ball_ = dBodyCreate(world_);
  dMass mass;
  dMassSetSphereTotal(&mass, kBallMass, kBallRadius);
  dBodySetMass(ball_, &mass);
  ball_geom_ = dCreateSphere(space_, kBallRadius);
  dGeomSetBody(ball_geom_, ball_);
}

void PhysicsDynamics::destroyWorld() {
  robots_.clear();
  dJointGroupDestroy(contacts_);
  dSpaceDestroy(space_);  // with the ground and the ball's geom
  dWorldDestroy(world_);  // with the ball's body
}

void PhysicsDynamics::addRobot(Vec2 position, double heading) {
  robots_.push_back(std::make_unique<PhysicsRobot>(world_, space_, position, heading));
  robots_.back()->good = robots_.back()->posture();
}

void PhysicsDynamics::place(int robot, Vec2 position, double heading) {
  robots_[robot]->place(position, heading, kBeamHeight);
}

void PhysicsDynamics::lift(int robot, double torso_height) {
  const PhysicsRobot& bodies = *robots_[robot];
  const Vec3 torso = bodies.torsoPosition();
  robots_[robot]->place({torso.x, torso.y}, bodies.heading(), torso_height);
}

void PhysicsDynamics::push(int robot, double impulse, double direction) {
  robots_[robot]->push(impulse, direction);
}

void PhysicsDynamics::placeBall(Vec2 position) {
  throwBall({position.x, position.y, kBallRadius}, {});
}

void PhysicsDynamics::throwBall(Vec3 position, Vec3 velocity) {
  dBodySetPosition(ball_, position.x, position.y, position.z);
  dBodySetLinearVel(ball_, velocity.x, velocity.y, velocity.z);
  dBodySetAngularVel(ball_, 0, 0, 0);
  good_ball_ = {position, {}, velocity, {}};
}

BallRecord PhysicsDynamics::ball() const {
  return {toVec3(dBodyGetPosition(ball_)), toVec3(dBodyGetLinearVel(ball_)), ball_reset_};
}

CycleRecord PhysicsDynamics::step(const std::vector<RobotCommand>& commands, bool) {
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    PhysicsRobot& robot = *robots_[r];
    robot.setEnabled(commands[r].on_field);
    if (robot.enabled()) robot.prepareStep(commands[r].speeds, settings_.max_torque);
    robot.touches_ball = false;
  }
  applyDrag(ball_, kBallDrag, kBallSpinDrag);
  rebuilt_ = false;
  robot_depth_ = 0;
  touching_.clear();
  try {
    stepEngine();
  } catch (const EngineFailure& failure) {
    std::cerr << "fieldsim: " << failure.what() << "; the world is rebuilt\n";
    rebuild();
  }
  dJointGroupEmpty(contacts_);
  checkRobots();
  readFeet();
  feedback_.clear();
  foot_contacts_.clear();
  CycleRecord cycle;
  for (std::size_t r = 0; r < robots_.size(); ++r) cycle.robots.push_back(record(r));
  cycle.ball = ball();
  cycle.rebuilt = rebuilt_;
  cycle.touching.assign(touching_.begin(), touching_.end());
  return cycle;
}

RobotRecord PhysicsDynamics::record(int robot) const {
  const PhysicsRobot& bodies = *robots_[robot];
  RobotRecord out;
  const Vec3 torso = bodies.torsoPosition();
  out.position = {torso.x, torso.y};
  out.heading = bodies.heading();
  out.torso_height = torso.z;
  out.senses.gyro = bodies.gyro();
  for (int j = 0; j < kJointCount; ++j) out.senses.angles[j] = bodies.angle(j);
  out.senses.feet = bodies.feet;
  out.feet = {bodies.pose(kLFoot).position, bodies.pose(kRFoot).position};
  out.touches_ball = bodies.touches_ball;
  out.reset = bodies.reset;
  out.laid_flat = bodies.laid_flat;
  return out;
}

void PhysicsDynamics::stepEngine() {
  dSpaceCollide(space_, this, &PhysicsDynamics::nearCallback);
  if (settings_.quick_step) {
    dWorldQuickStep(world_, kCycleSeconds);
  } else {
    dWorldStep(world_, kCycleSeconds);
  }
}

void PhysicsDynamics::nearCallback(void* data, dGeomID a, dGeomID b) {
  static_cast<PhysicsDynamics*>(data)->collide(a, b);
}

// Pairs of shapes; a robot's space meets the others' shapes, never itself.
void PhysicsDynamics::collide(dGeomID a, dGeomID b) {
  if (dGeomIsSpace(a) || dGeomIsSpace(b)) {
    dSpaceCollide2(a, b, this, &PhysicsDynamics::nearCallback);
    return;
  }
  dContactGeom found[kMaxContacts];
  const int count = dCollide(a, b, kMaxContacts, found, sizeof(dContactGeom));
  if (count == 0) return;
  const bool robots = tagOf(a) != nullptr && tagOf(b) != nullptr;
  if (robots) noteTouching(found, count);
  if (robots && !settings_.joined_robot_contacts) {
    for (int i = 0; i < count; ++i) touch(found[i]);
    return;
  }
  const bool with_ball = a == ball_geom_ || b == ball_geom_;
  const dSurfaceParameters surface = with_ball ? ballSurface() : robotSurface();
  for (int i = 0; i < count; ++i) {
    dContact contact{};
    contact.surface = surface;
    contact.geom = found[i];
    const dJointID joint = dJointCreateContact(world_, contacts_, &contact);
    dJointAttach(joint, dGeomGetBody(a), dGeomGetBody(b));
    for (dGeomID geom : {a, b}) watchFoot(joint, geom, found[i].pos);
  }
  if (!with_ball) return;
  const PhysicsRobot::PartTag* robot_tag = tagOf(a == ball_geom_ ? b : a);
  if (robot_tag != nullptr) robot_tag->robot->touches_ball = true;
}

// A contact on a foot is read, after the step, into its robot's foot sensor.
void PhysicsDynamics::watchFoot(dJointID joint, dGeomID geom, const dReal* point) {
  const int leg = legOfFoot(tagOf(geom));
  if (leg < 0) return;
  // Two feet that meet share their contact's one record.
  dJointFeedback* feedback = dJointGetFeedback(joint);
  if (feedback == nullptr) {
    feedback = &feedback_.emplace_back();
    dJointSetFeedback(joint, feedback);
  }
  // The engine makes a body the first whenever the other is the ground.
  const bool first = dJointGetBody(joint, 0) == dGeomGetBody(geom);
  foot_contacts_.push_back({tagOf(geom)->robot, leg, first, toVec3(point), feedback});
}

// Two robots' parts meet. Each part gets a contact of its own, attached to
// it alone, against the other part's surface moving at the pair's common
// velocity at that point: the two parts' velocities there weighted by their
// masses, as a perfectly inelastic impact of the two parts alone would
// leave them. Each contact corrects half the depth, so that the two
// together close it as fast as one contact between them would. No joint
// links the two robots: each stays its own island of the stepper, whose
// cost grows with the cube of an island's rows.
void PhysicsDynamics::touch(const dContactGeom& found) {
  const dBodyID bodies[2] = {dGeomGetBody(found.g1), dGeomGetBody(found.g2)};
  Vec3 momentum;
  double mass = 0;
  for (dBodyID body : bodies) {
    dVector3 v;
    dBodyGetPointVel(body, found.pos[0], found.pos[1], found.pos[2], v);
    dMass m;
    dBodyGetMass(body, &m);
    momentum = momentum + Vec3{m.mass * v[0], m.mass * v[1], m.mass * v[2]};
    mass += m.mass;
  }
  const Vec3 common{momentum.x / mass, momentum.y / mass, momentum.z / mass};
  for (int side = 0; side < 2; ++side) {
    dContact contact{};
    contact.geom = found;
    if (side == 1) {
      std::swap(contact.geom.g1, contact.geom.g2);
      for (int i = 0; i < 3; ++i) contact.geom.normal[i] = -found.normal[i];
    }
    contact.surface = robotSurface();
    contact.surface.soft_erp = kRobotSoftErp / 2;
    contact.surface.mode |= dContactFDir1 | dContactMotion1 | dContactMotion2 | dContactMotionN;
    // The friction's directions, as the engine would choose them.
    dVector3 second;
    dPlaneSpace(contact.geom.normal, contact.fdir1, second);
    dCalcVectorCross3(second, contact.geom.normal, contact.fdir1);
    contact.surface.motionN = dot(common, contact.geom.normal);
    contact.surface.motion1 = dot(common, contact.fdir1);
    contact.surface.motion2 = dot(common, second);
    const dJointID joint = dJointCreateContact(world_, contacts_, &contact);
    dJointAttach(joint, bodies[side], nullptr);
    watchFoot(joint, contact.geom.g1, found.pos);
  }
}

void PhysicsDynamics::noteTouching(const dContactGeom* found, int count) {
  for (int i = 0; i < count; ++i) robot_depth_ = std::max(robot_depth_, double{found[i].depth});
  touching_.emplace(
      std::minmax(indexOf(tagOf(found[0].g1)->robot), indexOf(tagOf(found[0].g2)->robot)));
}

int PhysicsDynamics::indexOf(const PhysicsRobot* robot) const {
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    if (robots_[r].get() == robot) return static_cast<int>(r);
  }
  return -1;
}

void PhysicsDynamics::readFeet() {
  struct Sum {
    Vec3 force;
    Vec3 weighted_point;
    double weight = 0;
    bool touched = false;
  };
  for (const auto& each : robots_) {
    PhysicsRobot& robot = *each;
    std::array<Sum, 2> sums{};
    for (const FootContact& contact : foot_contacts_) {
      if (contact.robot != &robot) continue;
      const dReal* f = contact.first ? contact.feedback->f1 : contact.feedback->f2;
      Sum& sum = sums[contact.leg];
      const double weight = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
      sum.force = {sum.force.x + f[0], sum.force.y + f[1], sum.force.z + f[2]};
      sum.weighted_point = {sum.weighted_point.x + weight * contact.point.x,
                            sum.weighted_point.y + weight * contact.point.y,
                            sum.weighted_point.z + weight * contact.point.z};
      sum.weight += weight;
      sum.touched = true;
    }
    for (int leg = 0; leg < 2; ++leg) {
      robot.feet[leg].reset();
      const Sum& sum = sums[leg];
      if (!sum.touched || !robot.enabled() || robot.reset) continue;
      const dBodyID foot = robot.body(leg == 0 ? kLFoot : kRFoot);
      dVector3 centre{0, 0, 0};
      if (sum.weight > 0) {
        dBodyGetPosRelPoint(foot, sum.weighted_point.x / sum.weight,
                            sum.weighted_point.y / sum.weight, sum.weighted_point.z / sum.weight,
                            centre);
      }
      dVector3 force;
      dBodyVectorFromWorld(foot, sum.force.x, sum.force.y, sum.force.z, force);
      robot.feet[leg] = FootForce{toVec3(centre), toVec3(force)};
    }
  }
}

void PhysicsDynamics::checkRobots() {
  for (const auto& robot : robots_) {
    robot->reset = !robot->sane();
    robot->laid_flat = robot->reset && robot->good_steps < kResetLoopCycles;
    if (robot->laid_flat) {
      robot->layFlat(robot->good);
    } else if (robot->reset) {
      robot->putBack(robot->good);
    } else {
      robot->good = robot->posture();
    }
    robot->good_steps = robot->reset ? 0 : robot->good_steps + 1;
  }
  const Vec3 p = toVec3(dBodyGetPosition(ball_));
  const Vec3 v = toVec3(dBodyGetLinearVel(ball_));
  ball_reset_ = !std::isfinite(p.x + p.y + p.z + v.x + v.y + v.z) ||
                std::fabs(p.x) >= kMaxDistance || std::fabs(p.y) >= kMaxDistance ||
                std::fabs(p.z) >= kMaxDistance;
  if (ball_reset_) {
    throwBall(good_ball_.position, {});
  } else {
    good_ball_ = {p, {}, v, {}};
  }
}

// The engine may be left inconsistent by an internal error: a new world is
// built and every robot put back in its last good posture, at rest.
void PhysicsDynamics::rebuild() {
  std::vector<Posture> postures;
  std::vector<bool> enabled;
  for (const auto& robot : robots_) {
    postures.push_back(robot->good);
    enabled.push_back(robot->enabled());
  }
  const BodyState ball = good_ball_;
  feedback_.clear();
  foot_contacts_.clear();
  destroyWorld();
  createWorld();
  for (std::size_t r = 0; r < postures.size(); ++r) {
    robots_.push_back(std::make_unique<PhysicsRobot>(world_, space_, Vec2{}, 90));
    robots_.back()->putBack(postures[r]);
    robots_.back()->good = postures[r];
    robots_.back()->setEnabled(enabled[r]);
  }
  throwBall(ball.position, {});
  rebuilt_ = true;
}

// From the torso's centre, in the torso's frame: x right, y forward, z up.
Polar PhysicsDynamics::seen(int robot, Vec3 point) const {
  const PhysicsRobot& bodies = *robots_[robot];
  const Vec3 eye = bodies.torsoPosition();
  const Vec3 v = bodies.toTorso({point.x - eye.x, point.y - eye.y, point.z - eye.z});
  const double flat = std::hypot(v.x, v.y);
  return {std::hypot(flat, v.z), degrees(std::atan2(-v.x, v.y)), degrees(std::atan2(v.z, flat))};
}

Vec3 PhysicsDynamics::camera(int robot) const {
  return robots_[robot]->torsoPosition();
}

std::array<PartPose, kPartCount> PhysicsDynamics::partPoses(int robot) const {
  std::array<PartPose, kPartCount> poses;
  for (int p = 0; p < kPartCount; ++p) poses[p] = robots_[robot]->pose(p);
  return poses;
}

std::string PhysicsDynamics::engine() const {
  return formatted("%s, world CFM %g, %s robot contacts",
                   settings_.quick_step ? "dWorldQuickStep" : "dWorldStep", settings_.cfm,
                   settings_.joined_robot_contacts ? "joined" : "one-sided");
}

int PhysicsDynamics::engineMessages() const {
  return engine_messages;
}

}  // namespace fieldsim
