// The game as the stand-in server plays it: the field, the robots and the
// rules (play modes, kick-off, goals, beams, scores), and every count and
// event of the game. How the robots and the ball move, and what a robot
// senses, is a Dynamics (dynamics.h): the kinematic world or the physics
// world. World hands it the cycle's commands and derives the counts and
// events from the records it returns, with one definition for both worlds:
// - a fall: the torso's centre goes below kFallenHeight; a get-up: it comes
//   back to it or above;
// - a step: a foot lands after kStepAirCycles or more in the air; a side
//   step when the foot moved more to the side than forward, measured along
//   the heading (a shorter lift is the flicker of a foot rolling on its
//   edge);
// - a kick: a robot begins to touch the ball and the ball leaves at
//   kKickBallSpeed or faster, while the ball is in play;
// - near the ball: the first cycle after each kick-off at which a robot's
//   torso's centre comes within kNearBall of the ball's centre;
// - a blow-up: the dynamics put a robot or the ball back (a robot that
//   blew up again soon after is laid flat: counted apart as well).
// An event's cycle is that of the first trace line that shows it: what
// happens in a step has the number after it, what agents and options do
// between steps the number of the cycle their perception was.
//
// Everything else reads the game from here: the network side (server.h)
// tells World what the agents do, and the summary, the trace, the picture,
// the replay and the result file read the robots, the ball and the events.
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
const char* sideName(TeamSide side);  // "left", "right"

enum class PlayMode { kBeforeKickOff, kKickOffLeft, kKickOffRight, kPlayOn, kGoalLeft, kGoalRight };
const char* playModeName(PlayMode mode);

constexpr double kFieldHalfLength = 6;
constexpr double kFieldHalfWidth = 4;
constexpr double kGoalHalfWidth = 0.7;
constexpr double kGoalHeight = 0.8;
constexpr double kGoalDepth = 0.4;
constexpr double kCentreCircleRadius = 0.6;

constexpr int kBeforeKickOffCycles = 50;
constexpr int kKickOffCycles = 100;
constexpr int kGoalPauseCycles = 100;

constexpr double kFallenHeight = 0.25;  // metres
constexpr int kStepAirCycles = 5;
constexpr double kKickBallSpeed = 0.2;  // metres per second
constexpr double kNearBall = 0.35;      // metres
// A robot standing still in the agent's walking crouch in the physics world
// withstands 2.25 N s on its torso from behind and falls from 2.5 N s; the
// default push gives twice that.
constexpr double kDefaultPushImpulse = 5;  // N s
// The game is measured in windows of this many cycles from the first.
constexpr int kWindowCycles = 500;

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
  int blow_ups = 0;   // times the dynamics put it back
  int laid_flat = 0;  // of those, times it was laid flat instead of put back as it was
};

// A window of the game: its cycles and the most robots joined by touching,
// one touching the next, in any of its cycles (1 when no two touched).
struct Window {
  int first_cycle = 0;
  int cycles = 0;
  int largest_touching_group = 0;
};

struct Pose {
  Vec2 position;
  double heading = 0;  // degrees, anticlockwise from the field's +x axis
};

struct Robot {
  int id = 0;  // its number in World and in the Dynamics
  TeamSide side = TeamSide::kLeft;
  int number = 0;
  std::string team;
  bool present = true;  // its agent is still connected

  // Radians per second, as last commanded; each holds until the next
  // command for its joint.
  std::array<double, kJointCount> speeds{};
  RobotRecord record;         // after the last cycle, or where it was just put
  bool down = false;          // fallen
  std::optional<Pose> start;  // at the first kick-off, or when it joined after it
  RobotStats stats;
  std::vector<std::vector<Vec2>> path;  // where it went; a beam starts a new piece

  // What the rules remember: per foot (left, right) the cycles in the air
  // and where it left the ground; whether it touched the ball in the last
  // cycle; whether it has come near the ball since the last kick-off.
  std::array<int, 2> air_cycles{};
  std::array<Vec3, 2> lift_off{};
  bool touching_ball = false;
  bool near_ball = false;

  std::string label() const;  // "L2", "R11"
  Pose pose() const { return {record.position, record.heading}; }
};

enum class EventKind {
  kJoin,
  kLeave,
  kBeam,
  kPlayMode,
  kStep,
  kSideStep,
  kPush,
  kFall,
  kGetUp,
  kNearBall,
  kKick,
  kGoal,
  kBlowUp,
  kLateReply,
};
const char* eventName(EventKind kind);  // "join", "side-step", ...

struct Event {
  int cycle = 0;
  EventKind kind = EventKind::kJoin;
  std::string robot;  // its label; empty for none (a play mode, a goal, the ball's blow-up)
  // What some kinds carry.
  Pose where;                                // beam: the place, in field coordinates
  PlayMode mode = PlayMode::kBeforeKickOff;  // play-mode
  TeamSide side = TeamSide::kLeft;           // goal: the side that scored
  double impulse = 0;                        // push: N s
  double direction = 0;                      // push: degrees, in the robot's frame
  std::string note;                          // push: why it did nothing
  double distance = 0;                       // near-ball: metres
  double ball_speed = 0;                     // kick: metres per second after it
  bool rebuild = false;                      // blow-up: the world was rebuilt
  bool laid_flat = false;                    // blow-up: the robot was laid flat
};

class World {
 public:
  // Without a dynamics, the kinematic world.
  explicit World(Vec2 ball_start = {}, std::unique_ptr<Dynamics> dynamics = nullptr);

  // The first team name seen plays on the left, the second on the right;
  // there is no room for a third.
  std::optional<TeamSide> assignSide(const std::string& team);
  const Robot* findRobot(TeamSide side, int number) const;
  // An agent joins and gets its robot: a new one, waiting by its team's
  // touchline, or the one it had before it left. Returns the robot's id.
  int join(TeamSide side, int number, const std::string& team);
  void leave(int robot);

  // What the robot's agent sends and is sent.
  void command(int robot, int joint, double speed);
  void countMessageIn(int robot);
  void countMessageOut(int robot);
  void lateReply(int robot);

  bool beamAllowed() const;
  // Places a robot; x, y and rotation are in its team's frame, which for the
  // right team is the field turned half round.
  void beam(int robot, double x, double y, double rotation_degrees);
  // A push of the robot with that side and number (see Dynamics::push); one
  // that is not on the field gets the event with a note, and nothing else.
  void push(TeamSide side, int number, double impulse, double direction);
  // One cycle: robots and ball move, then blow-ups, steps, kicks, goals,
  // falls, play mode and who came near the ball.
  void step();

  int cycle() const { return cycle_; }
  double time() const { return cycle_ * kCycleSeconds; }
  double gameTime() const;
  PlayMode mode() const { return mode_; }
  // The first cycle of the first kick-off, once it has come.
  std::optional<int> kickOffCycle() const { return kick_off_cycle_; }
  int score(TeamSide side) const { return score_[index(side)]; }
  std::string teamName(TeamSide side) const { return teams_[index(side)]; }
  Vec2 ball() const;
  Vec3 ballPosition() const { return dynamics_->ball().position; }
  Vec2 ballStart() const { return ball_start_; }
  // Where the ball went; a kick-off from the centre starts a new piece.
  const std::vector<std::vector<Vec2>>& ballPath() const { return ball_path_; }
  int kicks() const { return kicks_; }
  // In the order they first joined (a robot's id is its place here).
  const std::vector<Robot>& robots() const { return robots_; }
  // The left team first, each team by shirt number: the order of the summary
  // and the result file.
  std::vector<const Robot*> robotsInTeamOrder() const;
  const Robot& robot(int id) const { return robots_[id]; }
  const std::vector<Event>& events() const { return events_; }
  const Dynamics& dynamics() const { return *dynamics_; }
  // Every robot or ball put back, a rebuilt world counted once; and how
  // many times the world was rebuilt.
  int blowUps() const { return blow_ups_; }
  int rebuilds() const { return rebuilds_; }
  // Every window begun, the last one maybe shorter.
  const std::vector<Window>& windows() const { return windows_; }

  // For the replay, in both worlds: every part of a robot in field
  // coordinates, and the vertical force under each foot (left, right; 0 for
  // a foot in the air), in newtons.
  std::array<PartPose, kPartCount> partPoses(const Robot& robot) const;
  std::array<double, 2> footForces(const Robot& robot) const;

 private:
  static int index(TeamSide side) { return side == TeamSide::kLeft ? 0 : 1; }
  Event& addEvent(int cycle, EventKind kind, const Robot* robot = nullptr);
  bool ballInPlay() const;
  void setMode(PlayMode mode);
  void countBlowUps(const CycleRecord& cycle);
  void measureWindow(const CycleRecord& cycle);
  void countKicks(const BallRecord& ball, bool ball_in_play);
  void ruleBall(Vec2 from, Vec3 to);
  bool checkGoal(Vec2 from, Vec3 to);
  // Over a goal line between the posts and below the bar, but not wholly.
  bool partlyInGoal(Vec3 ball) const;
  void countFalls(Robot& robot);
  void countSteps(Robot& robot);
  void updatePlayMode();
  void noteNearBall(Robot& robot);
  void recordPath(Robot& robot);

  std::unique_ptr<Dynamics> dynamics_;
  int cycle_ = 0;
  PlayMode mode_ = PlayMode::kBeforeKickOff;
  int mode_since_ = 0;
  std::optional<int> kick_off_cycle_;
  std::array<std::string, 2> teams_;
  std::array<int, 2> score_{};
  Vec2 ball_start_;
  std::vector<std::vector<Vec2>> ball_path_;
  int kicks_ = 0;
  int blow_ups_ = 0;
  int rebuilds_ = 0;
  std::vector<Robot> robots_;
  std::vector<Event> events_;
  std::vector<Window> windows_;
};

// The most robots joined by touching, one touching the next: 1 when no two
// touch, 0 without robots.
int largestTouchingGroup(int robots, const std::vector<std::pair<int, int>>& touching);
double distance(Vec2 a, Vec2 b);
// Keeps a point within the margin robots may stray into past the lines.
void keepNearField(Vec2& point);
// Angle in (-180, 180].
double normalizeDegrees(double degrees);

}  // namespace fieldsim

#endif
