#include "perception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kinematic.h"

namespace fieldsim {
namespace {

// The text that follows the number after `tag`, `count` characters long.
std::string afterNumber(const std::string& text, const std::string& tag, std::size_t count) {
  std::size_t at = text.find(tag);
  EXPECT_NE(at, std::string::npos) << tag;
  at += tag.size();
  while (at < text.size() && !std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) ||
                              text[at] == '.' || text[at] == '-')) {
    ++at;
  }
  return text.substr(at, count);
}

class PerceptionTest : public ::testing::Test {
 protected:
  PerceptionTest() : robot_(world_.addRobot(TeamSide::kLeft, 2, "VEXA3D")) {
    world_.beam(robot_, -3, 0, 0);
  }
  World world_;
  Robot& robot_;
};

// An agent may skip a fixed number of characters after some numbers; these
// are the characters it passes over before the next tag it looks for.
TEST_F(PerceptionTest, LayoutOfTheFixedPart) {
  const std::string text = perception(world_, robot_);
  EXPECT_EQ(text.rfind("(time (now 0.00))(GS (t 0.00) (pm BeforeKickOff))(GYR (n torso) (rt ", 0),
            0u);
  EXPECT_EQ(afterNumber(text, "(now", 6), "))(GS ");
  EXPECT_EQ(afterNumber(text, "(GS (t", 6), ") (pm ");
  EXPECT_EQ(afterNumber(text, "(GYR (n torso) (rt 0.00 0.00", 9), "))(HJ (n ");
  EXPECT_EQ(afterNumber(text, "(n hj1) (ax", 12), "))(HJ (n hj2");
  EXPECT_NE(text.find("(HJ (n laj1) (ax 0.00))"), std::string::npos);
  EXPECT_NE(text.find("(HJ (n rlj6) (ax 0.00))"), std::string::npos);
  EXPECT_NE(text.find("(FRP (n lf) (c 0.00 0.00 -0.02) (f 0.00 0.00 22.05))"), std::string::npos);
  EXPECT_NE(text.find("(FRP (n rf) "), std::string::npos);
  EXPECT_EQ(text.back(), ')');
}

TEST_F(PerceptionTest, OnlyFeetOnTheGroundReportAndOneFootCarriesTheWeight) {
  robot_.contacts = {false, true};
  std::string text = perception(world_, robot_);
  EXPECT_EQ(text.find("(n lf)"), std::string::npos);
  EXPECT_NE(text.find("(n rf) (c 0.00 0.00 -0.02) (f 0.00 0.00 44.10)"), std::string::npos);
  robot_.contacts = {false, false};
  text = perception(world_, robot_);
  EXPECT_EQ(text.find("FRP"), std::string::npos);
}

TEST_F(PerceptionTest, VisionFromTheTorsoCameraRelativeToTheHeading) {
  robot_.heading = 90;
  const Polar ball = world_.dynamics().seen(robot_, {-3, 2, kBallRadius});
  EXPECT_NEAR(ball.distance, std::sqrt(4 + 0.0625), 1e-12);
  EXPECT_NEAR(ball.horizontal, 0, 1e-12);
  EXPECT_LT(ball.vertical, 0);
  const Polar flag = world_.dynamics().seen(robot_, {-6, 4, 0});  // F1L, ahead and to the left
  EXPECT_NEAR(flag.horizontal, std::atan2(3, 4) * 180 / M_PI, 1e-9);
  const std::string text = perception(world_, robot_);
  EXPECT_NE(text.find("(See (G1L (pol "), std::string::npos);
  EXPECT_NE(text.find(" (B (pol 3.01 -90.00 -4.76))"), std::string::npos);
}

TEST_F(PerceptionTest, TwentyTwoPlayersWithLongNamesAreAllSeen) {
  const std::string home(32, 'H'), away(32, 'A');
  World world;
  ASSERT_EQ(world.assignSide(home), TeamSide::kLeft);
  ASSERT_EQ(world.assignSide(away), TeamSide::kRight);
  for (int n = 1; n <= 11; ++n) {
    world.addRobot(TeamSide::kLeft, n, home).body.setAngle(kLae1, -119.99);
    world.addRobot(TeamSide::kRight, n, away).body.setAngle(kLle4, -129.99);
  }
  Robot& self = *world.robots().front();
  self.position = {5.5, -3.9};
  const std::string text = perception(world, self);
  EXPECT_GT(text.size(), 2047u);
  EXPECT_LE(text.size(), kMaxPerceptionBytes);
  int players = 0;
  for (size_t at = 0; (at = text.find("(P (team ", at)) != std::string::npos; ++at) ++players;
  EXPECT_EQ(players, 21);
  EXPECT_EQ(text.substr(text.size() - 2), "))");
}

}  // namespace
}  // namespace fieldsim
