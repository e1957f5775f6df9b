#include "perception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
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
  PerceptionTest() {
    auto dynamics = std::make_unique<KinematicDynamics>();
    kinematic_ = dynamics.get();
    world_ = std::make_unique<World>(Vec2{}, std::move(dynamics));
    id_ = world_->join(TeamSide::kLeft, 2, "VEXA3D");
    world_->beam(id_, -3, 0, 0);
  }
  std::string text() const { return perception(*world_, world_->robot(id_)); }

  KinematicDynamics* kinematic_ = nullptr;
  std::unique_ptr<World> world_;
  int id_ = 0;
};

// An agent may skip a fixed number of characters after some numbers; these
// are the characters it passes over before the next tag it looks for.
TEST_F(PerceptionTest, LayoutOfTheFixedPart) {
  const std::string text = this->text();
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
  kinematic_->robot(id_).body.setAngle(kLle3, 40);  // the left foot lifted
  kinematic_->robot(id_).body.setAngle(kLle4, -70);
  world_->step();
  std::string text = this->text();
  EXPECT_EQ(text.find("(n lf)"), std::string::npos);
  EXPECT_NE(text.find("(n rf) (c 0.00 0.00 -0.02) (f 0.00 0.00 44.10)"), std::string::npos);
  world_->push(TeamSide::kLeft, 2, kDefaultPushImpulse, 0);
  text = this->text();
  EXPECT_EQ(text.find("FRP"), std::string::npos);
}

TEST_F(PerceptionTest, VisionFromTheTorsoCameraRelativeToTheHeading) {
  world_->beam(id_, -3, 0, 90);
  const Polar ball = world_->dynamics().seen(id_, {-3, 2, kBallRadius});
  EXPECT_NEAR(ball.distance, std::sqrt(4 + 0.0625), 1e-12);
  EXPECT_NEAR(ball.horizontal, 0, 1e-12);
  EXPECT_LT(ball.vertical, 0);
  const Polar flag = world_->dynamics().seen(id_, {-6, 4, 0});  // F1L, ahead and to the left
  EXPECT_NEAR(flag.horizontal, std::atan2(3, 4) * 180 / M_PI, 1e-9);
  const std::string text = this->text();
  EXPECT_NE(text.find("(See (G1L (pol "), std::string::npos);
  EXPECT_NE(text.find(" (B (pol 3.01 -90.00 -4.76))"), std::string::npos);
}

// Flags and posts numbered 1 stand on the side of positive y, those
// numbered 2 mirror them: seen from the middle of the field's width facing
// the right goal, each 1 to the left and its 2 as far to the right.
TEST_F(PerceptionTest, LandmarksOneAndTwoMirrorEachOtherAcrossTheField) {
  const std::string text = this->text();
  const auto horizontal = [&text](const std::string& name) {
    const std::size_t at = text.find("(" + name + " (pol ");
    EXPECT_NE(at, std::string::npos) << name;
    double distance = 0, angle = 0;
    std::istringstream(text.substr(at + name.size() + 7)) >> distance >> angle;
    return angle;
  };
  for (const std::string kind : {"F", "G"}) {
    for (const std::string end : {"L", "R"}) {
      const double one = horizontal(kind + "1" + end);
      EXPECT_GT(one, 0) << kind << end;
      EXPECT_DOUBLE_EQ(horizontal(kind + "2" + end), -one) << kind << end;
    }
  }
}

TEST_F(PerceptionTest, TwentyTwoPlayersWithLongNamesAreAllSeen) {
  const std::string home(32, 'H'), away(32, 'A');
  auto dynamics = std::make_unique<KinematicDynamics>();
  KinematicDynamics& kinematic = *dynamics;
  World world({}, std::move(dynamics));
  ASSERT_EQ(world.assignSide(home), TeamSide::kLeft);
  ASSERT_EQ(world.assignSide(away), TeamSide::kRight);
  for (int n = 1; n <= 11; ++n) {
    kinematic.robot(world.join(TeamSide::kLeft, n, home)).body.setAngle(kLae1, -119.99);
    kinematic.robot(world.join(TeamSide::kRight, n, away)).body.setAngle(kLle4, -129.99);
  }
  world.beam(0, 5.5, -3.9, 0);
  world.step();
  const std::string text = perception(world, world.robot(0));
  EXPECT_GT(text.size(), 2047u);
  EXPECT_LE(text.size(), kMaxPerceptionBytes);
  int players = 0;
  for (size_t at = 0; (at = text.find("(P (team ", at)) != std::string::npos; ++at) ++players;
  EXPECT_EQ(players, 21);
  EXPECT_EQ(text.substr(text.size() - 2), "))");
}

}  // namespace
}  // namespace fieldsim
