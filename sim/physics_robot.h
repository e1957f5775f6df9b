// One robot of the physics world as rigid bodies: its 23 parts built from the
// robot's table (body.h), the 22 hinges with their motors and stops, and its
// own collision space, so that its parts never collide with each other.
#ifndef FIELDSIM_PHYSICS_ROBOT_H
#define FIELDSIM_PHYSICS_ROBOT_H

#include <ode/ode.h>

#include <array>
#include <optional>

#include "dynamics.h"

namespace fieldsim {

// Drag, a force against the motion: -linear N per m/s and -angular N m per
// rad/s, added to the body's forces for the next step.
void applyDrag(dBodyID body, double linear, double angular);

struct BodyState {
  Vec3 position;
  Quat orientation;
  Vec3 velocity;
  Vec3 spin;  // angular velocity, radians per second
};
using RobotState = std::array<BodyState, kPartCount>;

// Where the torso is and how the joints stand: enough to put every part in
// its place, with each joint exactly whole.
struct Posture {
  Vec3 torso_position;
  Quat torso_orientation;
  Body angles;
};

// Lying on its back with its torso's centre at `torso`, its feet towards
// `heading` (degrees), its joints at `angles`.
Posture onItsBack(Vec3 torso, double heading, const Body& angles);

class PhysicsRobot {
 public:
  // What a geom of the robot tells the collision handler.
  struct PartTag {
    PhysicsRobot* robot;
    int part;
  };

  // Builds the robot in the zero pose standing on the ground at a place,
  // facing `heading` (degrees).
  PhysicsRobot(dWorldID world, dSpaceID space, Vec2 position, double heading);
  ~PhysicsRobot();
  PhysicsRobot(const PhysicsRobot&) = delete;
  PhysicsRobot& operator=(const PhysicsRobot&) = delete;

  // The motors' target speeds (radians per second), clamped, and their
  // torque; drag on every part.
  void prepareStep(const std::array<double, kJointCount>& speeds, double max_torque);
  // The whole robot in its current joint pose, upright, torso at a height;
  // at rest.
  void place(Vec2 position, double heading, double torso_height);
  Posture posture() const;
  // Every part where the posture puts it, at rest.
  void assemble(const Posture& posture);
  // After a blow-up: the posture with every joint kResetStopMargin inside
  // its range, at rest.
  void putBack(const Posture& posture);
  // After blow-ups in a row: on its back where the posture was, facing its
  // way, every joint at 0 or the margin inside its range, clear of the
  // ground, at rest.
  void layFlat(const Posture& posture);
  // A horizontal impulse (N s) on the torso, from `direction` degrees in
  // its own frame (0 from behind).
  void push(double impulse, double direction);
  // A robot off the field neither moves nor touches anything.
  void setEnabled(bool enabled);
  bool enabled() const { return enabled_; }

  RobotState state() const;
  void setState(const RobotState& state, bool at_rest);
  // Every position and speed finite and within bounds, every joint whole.
  bool sane() const;

  double angle(int joint) const;  // degrees
  Vec3 torsoPosition() const;
  double heading() const;                 // of the torso's forward axis, degrees
  Vec3 gyro() const;                      // degrees per second, torso frame
  Vec3 toTorso(Vec3 field_vector) const;  // a direction in the torso's frame
  PartPose pose(int part) const;
  dBodyID body(int part) const { return bodies_[part]; }

  // Of the last step: the feet's contacts, read into the foot's frame;
  // whether any part touched the ball; whether the robot blew up and was
  // put back (its feet do not read then), and whether it was laid flat.
  std::array<std::optional<FootForce>, 2> feet;
  bool touches_ball = false;
  bool reset = false;
  bool laid_flat = false;
  Posture good;                                // after the last good step
  int good_steps = physics::kResetLoopCycles;  // since it was last put back

 private:
  dSpaceID space_;
  bool enabled_ = true;
  std::array<dBodyID, kPartCount> bodies_{};
  std::array<dGeomID, kPartCount> geoms_{};
  std::array<dJointID, kJointCount> joints_{};
  std::array<PartTag, kPartCount> tags_{};
};

}  // namespace fieldsim

#endif
