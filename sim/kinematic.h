// The kinematic world: how robots and ball move without a physics engine.
//
// Rules of movement, chosen so that every motion of the agent has its effect:
// - Joints move by their commanded speeds, one cycle at a time.
// - A foot is on the ground unless its leg is clearly shorter than the other
//   (see footContacts).
// - When a lifted foot lands, the robot takes a step:
//   * a side step, if that leg's hip roll went far out during the swing: the
//     robot moves sideways towards that leg's side by kSideStepLength; with
//     the ball within kOrbitRadius it moves around the ball instead and turns
//     by the same angle the other way, so that circling brings the goal ahead;
//   * a step on the spot, if the supporting leg stands upright (its hip pitch
//     at least kUprightHipPitch): no advance; the robot turns by its hip-yaw
//     offsets (lle1 - rle1) and pivots on the supporting foot, away from a
//     foot landing ahead (it is pulled back under the body) and towards a
//     foot landing behind, by the angle the feet then make;
//   * otherwise a walking step: the robot advances by the distance the
//     landing ankle is ahead of the supporting one (kMaxStep at most) and
//     turns by its hip-yaw offsets (lle1 - rle1).
// - A lifted foot swinging forward fast with the ball in front and near
//   kicks it along the heading; the ball rolls and slows down by friction.
// - A pushed robot, whatever the push, is knocked over: it lies on its back
//   with no foot on the ground until both legs reach the deep squat of a
//   stand-up; from there it stands.
// - A robot stands on the lowest point of its parts, posed by its joint
//   angles and turned to its heading (a knocked one lies on its back); its
//   torso's height and feet in the records are that pose's.
#ifndef FIELDSIM_KINEMATIC_H
#define FIELDSIM_KINEMATIC_H

#include "world.h"

namespace fieldsim {

constexpr double kBallRadius = 0.04;
// The camera sits in the torso, 0.25 m above the ball's centre.
constexpr double kCameraHeight = 0.29;

constexpr double kSideStepRoll = 20;  // degrees of outward hip roll
constexpr double kSideStepLength = 0.06;
constexpr double kOrbitRadius = 1.0;
constexpr double kUprightHipPitch = 7.5;  // degrees
constexpr double kFeetApart = 0.11;
constexpr double kMaxStep = 0.12;
constexpr double kMaxPivotOffset = 0.03;  // of a foot landing ahead or behind

constexpr double kKickFootSpeed = 0.6;  // m/s of a foot swinging forward
constexpr double kKickReach = 0.45;     // ball's distance from the robot
constexpr double kKickHalfAngle = 60;   // degrees either side of the heading
constexpr double kKickGain = 2.5;       // ball speed per foot speed
constexpr double kMaxBallSpeed = 3;
constexpr double kBallDeceleration = 0.8;  // m/s², rolling friction

constexpr double kSquatHipPitch = 95;
constexpr double kSquatKnee = -125;
constexpr int kGyroSpikeCycles = 10;
constexpr double kGyroSpike = 200;  // degrees per second

// One robot's state in the kinematic world.
struct KinematicRobot {
  Vec2 position;
  double heading = 0;  // degrees, anticlockwise from the +x axis
  Body body;
  Contacts contacts{true, true};
  bool knocked = false;
  int spike_cycles = 0;
  double yaw_rate = 0;  // degrees per second over the last cycle
  bool kicked = false;  // in the last cycle
  // Per leg (0 left, 1 right): the current swing's largest outward hip roll,
  // whether it has kicked, and the ankle's reach one cycle ago.
  std::array<double, 2> swing_roll{};
  std::array<bool, 2> swing_kicked{};
  std::array<double, 2> last_reach{};
};

class KinematicDynamics : public Dynamics {
 public:
  void addRobot(Vec2 position, double heading) override;
  void place(int robot, Vec2 position, double heading) override;
  void push(int robot, double impulse, double direction) override;
  void placeBall(Vec2 position) override;
  CycleRecord step(const std::vector<RobotCommand>& commands, bool ball_in_play) override;

  RobotRecord record(int robot) const override;
  BallRecord ball() const override;
  double ballRadius() const override { return kBallRadius; }
  double ballExtent() const override { return 0; }  // the ball rolls as a point
  Polar seen(int robot, Vec3 point) const override;
  Vec3 camera(int robot) const override;
  std::array<PartPose, kPartCount> partPoses(int robot) const override;
  std::string engine() const override { return ""; }
  int engineMessages() const override { return 0; }

  // For tests: a robot's state, to pose its joints directly.
  KinematicRobot& robot(int robot) { return robots_[robot]; }

 private:
  void updateFeet(KinematicRobot& robot);
  bool updateKnocked(KinematicRobot& robot);
  void land(KinematicRobot& robot, LegSide leg);
  void sideStep(KinematicRobot& robot, LegSide leg);
  void maybeKick(KinematicRobot& robot, double foot_speed, int leg);
  void moveBall();

  std::vector<KinematicRobot> robots_;
  Vec2 ball_;
  Vec2 ball_velocity_;
  bool ball_in_play_ = false;
};

}  // namespace fieldsim

#endif
