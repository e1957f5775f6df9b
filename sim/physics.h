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
//   error is left to blow it up again), and counted. An internal error of
//   the engine, which would abort the process, rebuilds the whole world from
//   the last good postures instead.
#ifndef FIELDSIM_PHYSICS_H
#define FIELDSIM_PHYSICS_H

#include <ode/ode.h>

#include <deque>
#include <memory>
#include <vector>

#include "physics_constants.h"
#include "physics_robot.h"
#include "world.h"

namespace fieldsim {

struct PhysicsSettings {
  double cfm = physics::kWorldCfm;               // the world's constraint force mixing
  bool quick_step = false;                       // dWorldQuickStep instead of dWorldStep
  double max_torque = physics::kMaxMotorTorque;  // N m of every motor
};

constexpr double kFallenHeight = 0.25;  // a torso lower than this is fallen

class PhysicsDynamics : public Dynamics {
 public:
  explicit PhysicsDynamics(PhysicsSettings settings = {});
  ~PhysicsDynamics() override;

  void addRobot(Robot& robot) override;
  void place(Robot& robot, Vec2 position, double heading) override;
  void push(Robot& robot) override;
  void placeBall(Vec2 position) override;
  std::vector<Robot*> step(bool ball_in_play) override;

  Vec3 ball() const override;
  double ballExtent() const override { return physics::kBallRadius; }
  double ballRadius() const override { return physics::kBallRadius; }
  bool fallen(const Robot& robot) const override;
  Senses senses(const Robot& robot) const override;
  Polar seen(const Robot& robot, Vec3 point) const override;
  Vec3 camera(const Robot& robot) const override;
  std::array<PartPose, kPartCount> partPoses(const Robot& robot) const override;
  std::string summary() const override;

  // For tests and measurements: a robot's torso lifted to a height, the ball
  // anywhere with a velocity, a robot's bodies' state.
  void lift(Robot& robot, double torso_height);
  void throwBall(Vec3 position, Vec3 velocity);
  Vec3 ballVelocity() const;
  PhysicsRobot& bodies(const Robot& robot) const;
  int blowUps() const { return blow_ups_; }

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
  void stepEngine();
  void rebuild();
  void readFeet();
  void checkRobots();
  std::vector<Robot*> findKickers(bool ball_in_play);
  void countSteps(std::size_t r);

  PhysicsSettings settings_;
  dWorldID world_ = nullptr;
  dSpaceID space_ = nullptr;
  dJointGroupID contacts_ = nullptr;
  dGeomID ground_ = nullptr;
  dBodyID ball_ = nullptr;
  dGeomID ball_geom_ = nullptr;
  std::vector<std::unique_ptr<PhysicsRobot>> robots_;
  std::vector<Posture> good_;  // each robot's after the last good step
  std::vector<bool> reset_;    // put back in this cycle: its feet do not read
  BodyState good_ball_;

  std::deque<dJointFeedback> feedback_;
  std::vector<FootContact> foot_contacts_;
  std::vector<PhysicsRobot*> touching_ball_;
  std::vector<PhysicsRobot*> touched_before_;
  // Per robot and foot: cycles in the air, and where the foot left the ground.
  std::vector<std::array<int, 2>> air_cycles_;
  std::vector<std::array<Vec3, 2>> lift_off_;
  int blow_ups_ = 0;
  int rebuilds_ = 0;
};

}  // namespace fieldsim

#endif
