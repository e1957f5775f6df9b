#include "physics.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "formatted.h"

namespace fieldsim {
namespace {

using namespace physics;

// A robot standing still in the agent's walking crouch withstands 2.25 N s
// on its torso from behind and falls from 2.5 N s; a push gives twice that.
constexpr double kPushImpulse = 5;
// A touch of the ball counts as a kick when it sends the ball off this fast.
constexpr double kKickBallSpeed = 0.2;
// A foot that lands after this many cycles in the air has taken a step; a
// shorter lift is the flicker of a foot rolling on its edge.
constexpr int kStepAirCycles = 5;
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

void PhysicsDynamics::addRobot(Robot& robot) {
  robots_.push_back(
      std::make_unique<PhysicsRobot>(robot, world_, space_, robot.position, robot.heading));
  good_.push_back(robots_.back()->posture());
  reset_.push_back(false);
  air_cycles_.push_back({});
  lift_off_.push_back({});
}

PhysicsRobot& PhysicsDynamics::bodies(const Robot& robot) const {
  for (const auto& bodies : robots_) {
    if (&bodies->owner() == &robot) return *bodies;
  }
  throw std::logic_error("fieldsim: a robot without bodies");
}

void PhysicsDynamics::place(Robot& robot, Vec2 position, double heading) {
  bodies(robot).place(position, heading, kBeamHeight);
  robot.position = position;
  robot.heading = heading;
}

void PhysicsDynamics::lift(Robot& robot, double torso_height) {
  bodies(robot).place(robot.position, robot.heading, torso_height);
}

void PhysicsDynamics::push(Robot& robot) {
  bodies(robot).push(kPushImpulse);
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

Vec3 PhysicsDynamics::ball() const {
  return toVec3(dBodyGetPosition(ball_));
}

Vec3 PhysicsDynamics::ballVelocity() const {
  return toVec3(dBodyGetLinearVel(ball_));
}

std::vector<Robot*> PhysicsDynamics::step(bool ball_in_play) {
  for (auto& robot : robots_) {
    const bool present = robot->owner().present;
    robot->setEnabled(present);
    if (present) robot->prepareStep(settings_);
  }
  applyDrag(ball_, kBallDrag, kBallSpinDrag);
  touching_ball_.clear();
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
  return findKickers(ball_in_play);
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
  const bool with_ball = a == ball_geom_ || b == ball_geom_;
  const dSurfaceParameters surface = with_ball ? ballSurface() : robotSurface();
  const dGeomID geoms[2] = {a, b};
  for (int i = 0; i < count; ++i) {
    dContact contact{};
    contact.surface = surface;
    contact.geom = found[i];
    const dJointID joint = dJointCreateContact(world_, contacts_, &contact);
    dJointAttach(joint, dGeomGetBody(a), dGeomGetBody(b));
    dJointFeedback* feedback = nullptr;
    for (dGeomID geom : geoms) {
      const int leg = legOfFoot(tagOf(geom));
      if (leg < 0) continue;
      if (feedback == nullptr) {
        feedback = &feedback_.emplace_back();
        dJointSetFeedback(joint, feedback);
      }
      // The engine makes a body the first whenever the other is the ground.
      const bool first = dJointGetBody(joint, 0) == dGeomGetBody(geom);
      foot_contacts_.push_back({tagOf(geom)->robot, leg, first, toVec3(found[i].pos), feedback});
    }
  }
  if (!with_ball) return;
  const PhysicsRobot::PartTag* robot_tag = tagOf(a == ball_geom_ ? b : a);
  if (robot_tag != nullptr) touching_ball_.push_back(robot_tag->robot);
}

void PhysicsDynamics::readFeet() {
  struct Sum {
    Vec3 force;
    Vec3 weighted_point;
    double weight = 0;
    bool touched = false;
  };
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    PhysicsRobot& robot = *robots_[r];
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
      if (!sum.touched || !robot.owner().present || reset_[r]) continue;
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
    countSteps(r);
  }
}

// A foot that lands after a while in the air has stepped: sideways when it
// moved more to the side than forward, measured along the heading.
void PhysicsDynamics::countSteps(std::size_t r) {
  PhysicsRobot& robot = *robots_[r];
  Robot& owner = robot.owner();
  const double heading = radians(owner.heading);
  for (int leg = 0; leg < 2; ++leg) {
    const Vec3 foot = robot.pose(leg == 0 ? kLFoot : kRFoot).position;
    int& air = air_cycles_[r][leg];
    if (!robot.feet[leg]) {
      if (air++ == 0) lift_off_[r][leg] = foot;
      continue;
    }
    if (air >= kStepAirCycles) {
      const double dx = foot.x - lift_off_[r][leg].x;
      const double dy = foot.y - lift_off_[r][leg].y;
      const double forward = dx * std::cos(heading) + dy * std::sin(heading);
      const double side = -dx * std::sin(heading) + dy * std::cos(heading);
      ++(std::fabs(side) > std::fabs(forward) ? owner.stats.side_steps : owner.stats.steps);
    }
    air = 0;
  }
}

void PhysicsDynamics::checkRobots() {
  for (std::size_t r = 0; r < robots_.size(); ++r) {
    PhysicsRobot& robot = *robots_[r];
    reset_[r] = !robot.sane();
    if (!reset_[r]) {
      good_[r] = robot.posture();
    } else {
      robot.assemble(good_[r]);
      ++robot.owner().stats.blow_ups;
      ++blow_ups_;
    }
    Robot& owner = robot.owner();
    const Vec3 torso = robot.torsoPosition();
    owner.position = {torso.x, torso.y};
    owner.heading = robot.heading();
    for (int j = 0; j < kJointCount; ++j) owner.body.setAngle(j, robot.angle(j));
  }
  const Vec3 p = ball();
  const Vec3 v = ballVelocity();
  if (std::isfinite(p.x + p.y + p.z + v.x + v.y + v.z) && std::fabs(p.x) < kMaxDistance &&
      std::fabs(p.y) < kMaxDistance && std::fabs(p.z) < kMaxDistance) {
    good_ball_ = {p, {}, v, {}};
  } else {
    throwBall(good_ball_.position, {});
    ++blow_ups_;
  }
}

// The engine may be left inconsistent by an internal error: a new world is
// built and every robot put back in its last good posture, at rest.
void PhysicsDynamics::rebuild() {
  std::vector<Robot*> owners;
  for (const auto& robot : robots_) owners.push_back(&robot->owner());
  const std::vector<Posture> postures = good_;
  const BodyState ball = good_ball_;
  feedback_.clear();
  foot_contacts_.clear();
  touching_ball_.clear();
  destroyWorld();
  createWorld();
  for (std::size_t r = 0; r < owners.size(); ++r) {
    robots_.push_back(std::make_unique<PhysicsRobot>(*owners[r], world_, space_, Vec2{}, 90));
    robots_.back()->assemble(postures[r]);
    ++owners[r]->stats.blow_ups;
  }
  throwBall(ball.position, {});
  ++rebuilds_;
  ++blow_ups_;
}

std::vector<Robot*> PhysicsDynamics::findKickers(bool ball_in_play) {
  std::sort(touching_ball_.begin(), touching_ball_.end());
  touching_ball_.erase(std::unique(touching_ball_.begin(), touching_ball_.end()),
                       touching_ball_.end());
  std::vector<Robot*> kickers;
  const Vec3 v = ballVelocity();
  const bool sent_off = std::hypot(v.x, v.y) >= kKickBallSpeed;
  for (PhysicsRobot* robot : touching_ball_) {
    const bool new_touch =
        std::find(touched_before_.begin(), touched_before_.end(), robot) == touched_before_.end();
    if (new_touch && sent_off && ball_in_play) kickers.push_back(&robot->owner());
  }
  touched_before_ = touching_ball_;
  return kickers;
}

bool PhysicsDynamics::fallen(const Robot& robot) const {
  return bodies(robot).torsoPosition().z < kFallenHeight;
}

Senses PhysicsDynamics::senses(const Robot& robot) const {
  const PhysicsRobot& bodies = this->bodies(robot);
  Senses senses;
  senses.gyro = bodies.gyro();
  for (int j = 0; j < kJointCount; ++j) senses.angles[j] = bodies.angle(j);
  senses.feet = bodies.feet;
  return senses;
}

// From the torso's centre, in the torso's frame: x right, y forward, z up.
Polar PhysicsDynamics::seen(const Robot& robot, Vec3 point) const {
  const PhysicsRobot& bodies = this->bodies(robot);
  const Vec3 eye = bodies.torsoPosition();
  const Vec3 v = bodies.toTorso({point.x - eye.x, point.y - eye.y, point.z - eye.z});
  const double flat = std::hypot(v.x, v.y);
  return {std::hypot(flat, v.z), degrees(std::atan2(-v.x, v.y)), degrees(std::atan2(v.z, flat))};
}

Vec3 PhysicsDynamics::camera(const Robot& robot) const {
  return bodies(robot).torsoPosition();
}

std::array<PartPose, kPartCount> PhysicsDynamics::partPoses(const Robot& robot) const {
  const PhysicsRobot& bodies = this->bodies(robot);
  std::array<PartPose, kPartCount> poses;
  for (int p = 0; p < kPartCount; ++p) poses[p] = bodies.pose(p);
  return poses;
}

std::string PhysicsDynamics::summary() const {
  std::string out =
      formatted("physics: %s, world CFM %g; %d blow-ups recovered",
                settings_.quick_step ? "dWorldQuickStep" : "dWorldStep", settings_.cfm, blow_ups_);
  if (rebuilds_ > 0) out += formatted(", %d by rebuilding the world", rebuilds_);
  std::string who;
  for (const auto& robot : robots_) {
    const Robot& owner = robot->owner();
    if (owner.stats.blow_ups == 0) continue;
    who += formatted(" %s %d", owner.label().c_str(), owner.stats.blow_ups);
  }
  if (!who.empty()) out += "; robots reset:" + who;
  return out + formatted("; %d engine messages\n", engine_messages);
}

}  // namespace fieldsim
