// How the robots and the ball move and what a robot senses: the part of the
// world in which the kinematic world (kinematic.h) and the physics world
// (physics.h) differ.
//
// Data flows one way. World owns the robots: who they are, the rules' state,
// the statistics and the joint speeds their agents commanded. Each cycle it
// hands the commands to step(), and the Dynamics, which keeps every robot's
// physical state to itself, returns one record per robot and one of the ball.
// World derives every count and event from those records, with one
// definition for both worlds; nothing else writes into World's robots.
//
// Robots are numbered from 0 in the order they are added and are never
// removed; a robot whose agent has left is off the field (its command says
// so) and stays as it is. World drives a Dynamics like this:
//   addRobot(position, heading)       robot n, standing in the zero pose
//   place(n, ...), push(n, ...),      between cycles: a beam, a push,
//   placeBall(...)                    the ball put somewhere
//   step(commands, ball_in_play)      one cycle: the records of it
//   record(n), ball()                 the state as it is now (after a place,
//                                     a push or a placeBall)
// and asks between cycles what a robot sees (seen, camera) and, for the
// replay, where its parts are (partPoses).
#ifndef FIELDSIM_DYNAMICS_H
#define FIELDSIM_DYNAMICS_H

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "body.h"

namespace fieldsim {

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

// What a robot perceives of its own body.
struct Senses {
  Vec3 gyro;  // the torso's turning rate in its own frame, degrees per second
  std::array<double, kJointCount> angles{};  // degrees
  // Left, right; a foot reads only in a cycle in which it touches the ground.
  std::array<std::optional<FootForce>, 2> feet;
};

// What World hands over for one robot in a cycle.
struct RobotCommand {
  bool on_field = true;  // its agent is connected; a robot off the field stays as it is
  std::array<double, kJointCount> speeds{};  // radians per second, as last commanded
};

// One robot as it stands after a cycle. Field coordinates: x towards the
// right team's goal, y to the left of that, z up, metres.
struct RobotRecord {
  Vec2 position;             // of the torso's centre
  double heading = 0;        // degrees, anticlockwise from the field's +x axis
  double torso_height = 0;   // of the torso's centre above the ground
  Senses senses;             // its joints' angles, its feet on the ground and their forces
  std::array<Vec3, 2> feet;  // where its feet's centres are (left, right)
  // During the last cycle:
  bool touches_ball = false;  // a part of it touched the ball
  bool reset = false;         // it blew up and was put back
  bool laid_flat = false;     // ...laid flat, having blown up again soon after the last time
};

struct BallRecord {
  Vec3 position;       // of its centre
  Vec3 velocity;       // metres per second
  bool reset = false;  // during the last cycle it blew up and was put back
};

struct CycleRecord {
  std::vector<RobotRecord> robots;  // every robot, by its number
  BallRecord ball;
  bool rebuilt = false;  // an engine error: the whole world was rebuilt, every robot put back
  // Pairs of robots (the smaller number first) that touched each other.
  std::vector<std::pair<int, int>> touching;
};

class Dynamics {
 public:
  virtual ~Dynamics() = default;

  // A new robot in the zero pose, standing at a place and heading (degrees).
  virtual void addRobot(Vec2 position, double heading) = 0;
  // Moves a robot, in its current joint pose, upright to a place and
  // heading, at rest.
  virtual void place(int robot, Vec2 position, double heading) = 0;
  // A horizontal blow on the torso of `impulse` N s, coming from
  // `direction` degrees in the robot's own frame: 0 from behind (pushing it
  // forward), 90 from its right, 180 from the front.
  virtual void push(int robot, double impulse, double direction) = 0;
  // Puts the ball at rest on the ground.
  virtual void placeBall(Vec2 position) = 0;
  // One cycle of kCycleSeconds: the robots on the field move by their
  // commanded joint speeds, the ball rolls. With the ball out of play
  // nobody plays it (the kinematic world's kicks need it in play).
  virtual CycleRecord step(const std::vector<RobotCommand>& commands, bool ball_in_play) = 0;

  virtual RobotRecord record(int robot) const = 0;
  virtual BallRecord ball() const = 0;
  virtual double ballRadius() const = 0;
  // How far the ball's centre must be past the goal line, and below the bar,
  // for the whole ball to be.
  virtual double ballExtent() const = 0;
  // Where a robot sees a point of the field, and where others see it.
  virtual Polar seen(int robot, Vec3 point) const = 0;
  virtual Vec3 camera(int robot) const = 0;
  // Every part's pose in field coordinates.
  virtual std::array<PartPose, kPartCount> partPoses(int robot) const = 0;
  // The engine and its settings, for the summary ("dWorldStep, world CFM
  // 1e-05"), and how many messages it printed; empty and 0 without one.
  virtual std::string engine() const = 0;
  virtual int engineMessages() const = 0;
};

}  // namespace fieldsim

#endif
