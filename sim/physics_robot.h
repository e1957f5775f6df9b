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

struct PhysicsSettings;

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

class PhysicsRobot {
 public:
  // What a geom of the robot tells the collision handler.
  struct PartTag {
    PhysicsRobot* robot;
    int part;
  };

  // Builds the robot in the zero pose standing on the ground at a place,
  // facing `heading` (degrees).
  PhysicsRobot(Robot& owner, dWorldID world, dSpaceID space, Vec2 position, double heading);
  ~PhysicsRobot();
  PhysicsRobot(const PhysicsRobot&) = delete;
  PhysicsRobot& operator=(const PhysicsRobot&) = delete;

  Robot& owner() const { return owner_; }
  // The motors' target speeds, clamped, and their torque; drag on every part.
  void prepareStep(const PhysicsSettings& settings);
  // The whole robot in its current joint pose, upright, torso at a height;
  // at rest.
  void place(Vec2 position, double heading, double torso_height);
  Posture posture() const;
  // Every part where the posture puts it, at rest.
  void assemble(const Posture& posture);
  void push(double impulse);
  void setEnabled(bool enabled);

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

  // Feet: the contacts of the last step, read into the foot's frame.
  std::array<std::optional<FootForce>, 2> feet;

 private:
  Robot& owner_;
  dSpaceID space_;
  std::array<dBodyID, kPartCount> bodies_{};
  std::array<dGeomID, kPartCount> geoms_{};
  std::array<dJointID, kJointCount> joints_{};
  std::array<PartTag, kPartCount> tags_{};
};

}  // namespace fieldsim

#endif
