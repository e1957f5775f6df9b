// How the robots and the ball move and what a robot senses: the part of the
// world in which the kinematic world and the physics world differ. The rules
// of the game (play modes, kick-off, goals, beams, scores, statistics, paths)
// stay in World, which drives one Dynamics.
#ifndef FIELDSIM_DYNAMICS_H
#define FIELDSIM_DYNAMICS_H

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "body.h"

namespace fieldsim {

struct Robot;

struct Vec2 {
  double x = 0;
  double y = 0;
};

struct Polar {
  double distance;    // metres, from the camera
  double horizontal;  // degrees, anticlockwise from the heading
  double vertical;    // degrees, up from the horizontal
};

// A foot's reading: the summed contact force on it and where it acts, both
// in the foot's own frame (x right, y forward, z up).
struct FootForce {
  Vec3 centre;  // metres from the foot's centre
  Vec3 force;   // newtons
};

struct Senses {
  Vec3 gyro;  // the torso's turning rate in its own frame, degrees per second
  std::array<double, kJointCount> angles{};  // degrees
  // Left, right; a foot reads only in a cycle in which it touches.
  std::array<std::optional<FootForce>, 2> feet;
};

class Dynamics {
 public:
  virtual ~Dynamics() = default;

  // A new robot in the zero pose, standing where robot.position and
  // robot.heading say.
  virtual void addRobot(Robot& robot) = 0;
  // Moves a robot, in its current joint pose, upright to a place and heading
  // (degrees), at rest; robot.position and robot.heading follow.
  virtual void place(Robot& robot, Vec2 position, double heading) = 0;
  // A blow from behind, strong enough to knock a standing robot over.
  virtual void push(Robot& robot) = 0;
  // Puts the ball at rest on the ground.
  virtual void placeBall(Vec2 position) = 0;
  // One cycle of 0.02 s: the robots move by the joint speeds of their last
  // commands, the ball rolls. Returns the robots that kicked the ball in this
  // cycle; with the ball out of play nobody kicks.
  virtual std::vector<Robot*> step(bool ball_in_play) = 0;

  virtual Vec3 ball() const = 0;
  // How far the ball's centre must be past the goal line, and below the bar,
  // for the whole ball to be.
  virtual double ballExtent() const = 0;
  virtual double ballRadius() const = 0;
  virtual bool fallen(const Robot& robot) const = 0;
  virtual Senses senses(const Robot& robot) const = 0;
  // Where a robot sees a point of the field, and where others see it.
  virtual Polar seen(const Robot& robot, Vec3 point) const = 0;
  virtual Vec3 camera(const Robot& robot) const = 0;
  // Every part's pose in field coordinates (x along the field towards the
  // right team's goal, z up).
  virtual std::array<PartPose, kPartCount> partPoses(const Robot& robot) const = 0;
  // A line for the game's summary, or nothing.
  virtual std::string summary() const = 0;
};

}  // namespace fieldsim

#endif
