// A Dynamics for testing the rules of the game: nothing moves by itself.
// Each cycle returns the records the test has written for it (every robot
// where it was put, standing, both feet down; the ball where it was put, at
// rest), and keeps what World handed over, so that a test can see it.
#ifndef FIELDSIM_TESTS_STAND_IN_DYNAMICS_H
#define FIELDSIM_TESTS_STAND_IN_DYNAMICS_H

#include <utility>
#include <vector>

#include "dynamics.h"

namespace fieldsim {

class StandInDynamics : public Dynamics {
 public:
  static constexpr double kStandingHeight = 0.38;
  static constexpr double kRadius = 0.04;

  struct PushSeen {
    int robot;
    double impulse;
    double direction;
  };

  void addRobot(Vec2 position, double heading) override {
    RobotRecord& robot = robots.emplace_back();
    robot.torso_height = kStandingHeight;
    robot.senses.feet = {FootForce{}, FootForce{}};
    place(static_cast<int>(robots.size()) - 1, position, heading);
  }
  void place(int robot, Vec2 position, double heading) override {
    robots[robot].position = position;
    robots[robot].heading = heading;
  }
  void push(int robot, double impulse, double direction) override {
    pushes.push_back({robot, impulse, direction});
  }
  void placeBall(Vec2 position) override {
    next_ball = ball_now = {{position.x, position.y, kRadius}, {}};
  }
  CycleRecord step(const std::vector<RobotCommand>& commands, bool ball_in_play) override {
    handed.push_back(commands);
    in_play.push_back(ball_in_play);
    ball_now = next_ball;
    return {robots, ball_now, rebuilt, touching};
  }

  RobotRecord record(int robot) const override { return robots[robot]; }
  BallRecord ball() const override { return ball_now; }
  double ballRadius() const override { return kRadius; }
  double ballExtent() const override { return kRadius; }
  Polar seen(int, Vec3) const override { return {}; }
  Vec3 camera(int) const override { return {}; }
  std::array<PartPose, kPartCount> partPoses(int) const override { return {}; }
  std::string engine() const override { return ""; }
  int engineMessages() const override { return 0; }

  // What the next cycles return.
  std::vector<RobotRecord> robots;
  BallRecord next_ball;
  bool rebuilt = false;
  std::vector<std::pair<int, int>> touching;
  // What World handed over, cycle by cycle, and the pushes.
  std::vector<std::vector<RobotCommand>> handed;
  std::vector<bool> in_play;
  std::vector<PushSeen> pushes;

 private:
  BallRecord ball_now;
};

}  // namespace fieldsim

#endif
