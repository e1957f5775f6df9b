// The field, the ball, the robots and the rules of the game as the stand-in
// server plays them: play modes, kick-off, goals, beams, scores, statistics
// and paths. How the robots and the ball move, and what a robot senses, is
// left to a Dynamics: the kinematic world (kinematic.h) or the rigid-body
// physics world (physics.h).
#ifndef FIELDSIM_WORLD_H
#define FIELDSIM_WORLD_H

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "body.h"
#include "dynamics.h"

namespace fieldsim {

enum class TeamSide { kLeft, kRight };

enum class PlayMode { kBeforeKickOff, kKickOffLeft, kKickOffRight, kPlayOn, kGoalLeft, kGoalRight };
const char* playModeName(PlayMode mode);

constexpr double kFieldHalfLength = 6;
constexpr double kFieldHalfWidth = 4;
constexpr double kGoalHalfWidth = 0.7;
constexpr double kGoalHeight = 0.8;

constexpr int kBeforeKickOffCycles = 50;
constexpr int kKickOffCycles = 100;
constexpr int kGoalPauseCycles = 100;

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
  int blow_ups = 0;  // physics: times its bodies had to be reset
};

struct Robot {
  TeamSide side = TeamSide::kLeft;
  int number = 0;
  std::string team;
  bool present = true;  // its agent is still connected

  Vec2 position;
  double heading = 0;  // degrees, anticlockwise from the +x axis
  Body body;
  std::array<double, kJointCount> speeds{};  // radians per second, as last commanded
  bool down = false;                         // fallen, as the summary counts it

  // The kinematic world's state of the feet and falls.
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
  // Without a dynamics, the kinematic world.
  explicit World(Vec2 ball_start = {}, std::unique_ptr<Dynamics> dynamics = nullptr);

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
  // One cycle: robots and ball move, then kicks, goals, falls and play mode.
  void step();

  int cycle() const { return cycle_; }
  double time() const { return cycle_ * kCycleSeconds; }
  double gameTime() const;
  PlayMode mode() const { return mode_; }
  int score(TeamSide side) const { return score_[index(side)]; }
  std::string teamName(TeamSide side) const { return teams_[index(side)]; }
  Vec2 ball() const;
  Vec2 ballStart() const { return ball_start_; }
  // Where the ball went; a kick-off from the centre starts a new piece.
  const std::vector<std::vector<Vec2>>& ballPath() const { return ball_path_; }
  int kicks() const { return kicks_; }
  const std::vector<std::unique_ptr<Robot>>& robots() const { return robots_; }
  const Dynamics& dynamics() const { return *dynamics_; }

  // For the replay, in both worlds: every part of a robot in field
  // coordinates, and the vertical force under each foot (left, right; 0 for
  // a foot in the air), in newtons. Whether it is fallen is robot.down.
  std::array<PartPose, kPartCount> partPoses(const Robot& robot) const;
  std::array<double, 2> footForces(const Robot& robot) const;

 private:
  static int index(TeamSide side) { return side == TeamSide::kLeft ? 0 : 1; }
  bool ballInPlay() const;
  void setMode(PlayMode mode);
  void countKick(Robot& robot);
  void ruleBall(Vec2 from);
  bool checkGoal(Vec2 from, Vec3 to);
  void countFalls(Robot& robot);
  void updatePlayMode();
  void recordPath(Robot& robot);

  std::unique_ptr<Dynamics> dynamics_;
  int cycle_ = 0;
  PlayMode mode_ = PlayMode::kBeforeKickOff;
  int mode_since_ = 0;
  std::array<std::string, 2> teams_;
  std::array<int, 2> score_{};
  Vec2 ball_start_;
  std::vector<std::vector<Vec2>> ball_path_;
  int kicks_ = 0;
  std::vector<std::unique_ptr<Robot>> robots_;
};

double distance(Vec2 a, Vec2 b);
// Keeps a point within the margin robots may stray into past the lines.
void keepNearField(Vec2& point);
// Angle in (-180, 180].
double normalizeDegrees(double degrees);

}  // namespace fieldsim

#endif
