// The physics world: robots and ball as rigid bodies on the Open Dynamics
// Engine, stepped as the simulation server of that era stepped them. Its
// constants, each with its meaning and unit, are in physics_constants.h.
//
// - One dWorldStep per cycle, of the cycle's length (no substeps), with the
//   world's gravity, ERP, CFM, contact surface layer and contacts per pair.
// - The robot (physics_robot.h): hinges with velocity motors (the target
//   speed clamped, the torque bounded, a speed holds until the next command
//   for its joint) and stops at the joints' ranges; drag on every part. A
//   robot on the ground: unbounded friction, slip, soft ERP and CFM, no
//   bounce.
// - Two robots that touch: each part in contact gets a contact of its own,
//   attached to it alone, against the other part's surface moving at the
//   pair's common velocity there (their velocities weighted by their
//   masses), each correcting half the depth. No joint links two robots, so
//   each robot stays its own island of the stepper: robots in a heap cost
//   what robots apart cost. Contacts with the ground and the ball join
//   both bodies, as the engine's contacts do.
// - The ball: its radius and mass, drag and spin drag, bounce above a
//   speed, slip, soft ERP and CFM.
// - Drag is a force against the motion, applied before every step by one
//   function (applyDrag) to every robot part and the ball.
// - Bodies never sleep (no auto-disable): a resting robot must still answer
//   its motors at once, and sleeping would make the figures depend on the
//   engine's sleep thresholds.
// - After every step each robot's bodies are checked; a robot whose state is
//   not finite, out of bounds or torn at a joint (the stepper can blow up) is
//   put back, at rest, in its posture of the last good cycle (torso pose and
//   joint angles, every part placed from the robot's table, so that no joint
//   error is left to blow it up again), every joint at least
//   kResetStopMargin inside its range (at a stop, a motor driving away from
//   it would tear the leg again at once); one that blows up again within
//   kResetLoopCycles of that is laid flat on its back instead. Its record
//   says which. An internal error of the engine, which would abort the
//   process, rebuilds the whole world from the last good postures instead.
// - The records: a robot's place and heading are its torso's, its feet are
//   on the ground in a cycle in which a contact pushes them, and it touches
//   the ball in a cycle in which any of its parts does.
#ifndef FIELDSIM_PHYSICS_H
#define FIELDSIM_PHYSICS_H

#include <ode/ode.h>

#include <deque>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "dynamics.h"
#include "physics_constants.h"
#include "physics_robot.h"

namespace fieldsim {

struct PhysicsSettings {
  double cfm = physics::kWorldCfm;               // the world's constraint force mixing
  bool quick_step = false;                       // dWorldQuickStep instead of dWorldStep
  double max_torque = physics::kMaxMotorTorque;  // N m of every motor
  // Robots touch through contacts that join them, as the ground's do, in one
  // island of the stepper, instead of one-sided contacts (for comparison).
  bool joined_robot_contacts = false;
};

class PhysicsDynamics : public Dynamics {
 public:
  explicit PhysicsDynamics(PhysicsSettings settings = {});
  ~PhysicsDynamics() override;

  void addRobot(Vec2 position, double heading) override;
  void place(int robot, Vec2 position, double heading) override;
  void push(int robot, double impulse, double direction) override;
  void placeBall(Vec2 position) override;
  CycleRecord step(const std::vector<RobotCommand>& commands, bool ball_in_play) override;

  RobotRecord record(int robot) const override;
  BallRecord ball() const override;
  double ballRadius() const override { return physics::kBallRadius; }
  double ballExtent() const override { return physics::kBallRadius; }
  Polar seen(int robot, Vec3 point) const override;
  Vec3 camera(int robot) const override;
  std::array<PartPose, kPartCount> partPoses(int robot) const override;
  std::string engine() const override;
  int engineMessages() const override;

  // For tests and measurements: a robot's torso lifted to a height, the ball
  // anywhere with a velocity, a robot's bodies.
  void lift(int robot, double torso_height);
  void throwBall(Vec3 position, Vec3 velocity);
  PhysicsRobot& bodies(int robot) const { return *robots_[robot]; }
  // The deepest any two robots' parts were in each other at the last step.
  double robotDepth() const { return robot_depth_; }

 private:
  struct FootContact {
    PhysicsRobot* robot;
    int leg;
    bool first;  // the foot is the joint's first body
    Vec3 point;
    dJointFeedback* feedback;
  };

  void createWorld();
  void destroyWorld();
  static void nearCallback(void* data, dGeomID a, dGeomID b);
  void collide(dGeomID a, dGeomID b);
  void watchFoot(dJointID joint, dGeomID geom, const dReal* point);
  void touch(const dContactGeom& found);
  void noteTouching(const dContactGeom* found, int count);
  int indexOf(const PhysicsRobot* robot) const;
  void stepEngine();
  void rebuild();
  void readFeet();
  void checkRobots();

  PhysicsSettings settings_;
  dWorldID world_ = nullptr;
  dSpaceID space_ = nullptr;
  dJointGroupID contacts_ = nullptr;
  dGeomID ground_ = nullptr;
  dBodyID ball_ = nullptr;
  dGeomID ball_geom_ = nullptr;
  std::vector<std::unique_ptr<PhysicsRobot>> robots_;
  BodyState good_ball_;  // after the last good step
  bool ball_reset_ = false;
  bool rebuilt_ = false;

  std::deque<dJointFeedback> feedback_;
  std::vector<FootContact> foot_contacts_;
  std::set<std::pair<int, int>> touching_;
  double robot_depth_ = 0;
};

}  // namespace fieldsim

#endif
