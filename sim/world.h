// The field, the ball, the robots and the rules of the game as the stand-in
// server plays them: a kinematic model, not a physics engine.
//
// Rules of movement, chosen so that every motion of the agent has its effect:
// - Joints move by the speeds of the last reply, one cycle at a time.
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
// - A ball crossing a goal line between the posts is a goal.
// - A knocked robot has no foot on the ground until both legs reach the deep
//   squat of a stand-up; from there it stands.
#ifndef FIELDSIM_WORLD_H
#define FIELDSIM_WORLD_H

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "body.h"

namespace fieldsim {

struct Vec2 {
  double x = 0;
  double y = 0;
};

enum class TeamSide { kLeft, kRight };

enum class PlayMode { kBeforeKickOff, kKickOffLeft, kKickOffRight, kPlayOn, kGoalLeft, kGoalRight };
const char* playModeName(PlayMode mode);

constexpr double kFieldHalfLength = 6;
constexpr double kFieldHalfWidth = 4;
constexpr double kGoalHalfWidth = 0.7;
constexpr double kBallRadius = 0.04;
// The camera sits in the torso, 0.25 m above the ball's centre.
constexpr double kCameraHeight = 0.29;

constexpr int kBeforeKickOffCycles = 50;
constexpr int kKickOffCycles = 100;
constexpr int kGoalPauseCycles = 100;

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

struct RobotStats {
  int beams = 0;
  int steps = 0;
  int side_steps = 0;
  int kicks = 0;
  int falls = 0;
  int get_ups = 0;
  // Traffic with its agent.
  int messages_in = 0;
  int messages_out = 0;
  int late_replies = 0;
};

struct Robot {
  TeamSide side = TeamSide::kLeft;
  int number = 0;
  std::string team;
  bool present = true;  // its agent is still connected

  Vec2 position;
  double heading = 0;  // degrees, anticlockwise from the +x axis
  Body body;
  std::array<double, kJointCount> speeds{};  // radians per second, this cycle
  Contacts contacts{true, true};
  bool knocked = false;
  int spike_cycles = 0;
  double yaw_rate = 0;  // degrees per second over the last cycle

  // Per leg (0 left, 1 right): the current swing's largest outward hip roll,
  // whether it has kicked, and the ankle's reach one cycle ago.
  std::array<double, 2> swing_roll{};
  std::array<bool, 2> swing_kicked{};
  std::array<double, 2> last_reach{};

  RobotStats stats;
  // Where it went; a beam starts a new piece.
  std::vector<std::vector<Vec2>> path;

  std::string label() const;  // "L2", "R11"
};

class World {
 public:
  explicit World(Vec2 ball_start = {});

  // The first team name seen plays on the left, the second on the right;
  // there is no room for a third.
  std::optional<TeamSide> assignSide(const std::string& team);
  Robot* findRobot(TeamSide side, int number);
  Robot& addRobot(TeamSide side, int number, const std::string& team);

  bool beamAllowed() const;
  // Places a robot; x, y and rotation are in its team's frame, which for the
  // right team is the field turned half round.
  void beam(Robot& robot, double x, double y, double rotation_degrees);
  void knock(Robot& robot);
  // One cycle: joints, feet, steps, kicks, ball, goals and play mode.
  void step();

  int cycle() const { return cycle_; }
  double time() const { return cycle_ * kCycleSeconds; }
  double gameTime() const;
  PlayMode mode() const { return mode_; }
  int score(TeamSide side) const { return score_[index(side)]; }
  std::string teamName(TeamSide side) const { return teams_[index(side)]; }
  Vec2 ball() const { return ball_; }
  Vec2 ballStart() const { return ball_start_; }
  // Where the ball went; a kick-off from the centre starts a new piece.
  const std::vector<std::vector<Vec2>>& ballPath() const { return ball_path_; }
  int kicks() const { return kicks_; }
  const std::vector<std::unique_ptr<Robot>>& robots() const { return robots_; }

 private:
  static int index(TeamSide side) { return side == TeamSide::kLeft ? 0 : 1; }
  void setMode(PlayMode mode);
  void updateFeet(Robot& robot);
  bool updateKnocked(Robot& robot);
  void land(Robot& robot, LegSide leg);
  void sideStep(Robot& robot, LegSide leg);
  void maybeKick(Robot& robot, double foot_speed, int leg);
  void moveBall();
  bool checkGoal(Vec2 from);
  void updatePlayMode();
  void recordPath(Robot& robot);

  int cycle_ = 0;
  PlayMode mode_ = PlayMode::kBeforeKickOff;
  int mode_since_ = 0;
  std::array<std::string, 2> teams_;
  std::array<int, 2> score_{};
  Vec2 ball_start_;
  Vec2 ball_;
  Vec2 ball_velocity_;
  std::vector<std::vector<Vec2>> ball_path_;
  int kicks_ = 0;
  std::vector<std::unique_ptr<Robot>> robots_;
};

double distance(Vec2 a, Vec2 b);
// Angle in (-180, 180].
double normalizeDegrees(double degrees);

}  // namespace fieldsim

#endif
