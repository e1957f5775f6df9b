#include "body.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fieldsim {
namespace {


// Sets a leg's hip roll, hip pitch and knee.
void pose(Body& body, LegSide leg, double roll, double pitch, double knee) {
  const int hip = leg == LegSide::kLeft ? kLle1 : kRle1;
  body.setAngle(hip + 1, roll);
  body.setAngle(hip + 2, pitch);
  body.setAngle(hip + 3, knee);
}

// One cycle turns a joint by its speed in radians per second, at most by a
// fixed angle.
TEST(Joints, SpeedIsRadiansPerSecondForOneCycleUpToTheClamp) {
  Body body;
  body.move(kLae1, 1.0);
  EXPECT_NEAR(body.angle(kLae1), 0.02 * 180 / kPi, 1e-9);
  body.move(kRle3, 1000);
  EXPECT_DOUBLE_EQ(body.angle(kRle3), kMaxDegreesPerCycle);
  body.move(kLae3, -1e9);
  EXPECT_DOUBLE_EQ(body.angle(kLae3), -kMaxDegreesPerCycle);
}

TEST(Joints, StopAtTheirLimits) {
  struct Case {
    int joint;
    double low, high;
  };
  const Case cases[] = {{kLae2, -1, 95},     {kRae2, -95, 1},  {kLae4, -90, 1},  {kRae4, -1, 90},
                        {kLle1, -90, 1},     {kLle2, -25, 45}, {kRle2, -45, 25}, {kRle3, -25, 100},
                        {kLle4, -130, 1},    {kRle5, -45, 75}, {kLle6, -45, 25}, {kRle6, -25, 45},
                        {kHead1, -120, 120}, {kHead2, -45, 45}};
  for (const Case& c : cases) {
    Body body;
    for (int i = 0; i < 60; ++i) body.move(c.joint, 50);
    EXPECT_DOUBLE_EQ(body.angle(c.joint), c.high) << jointInfo(c.joint).effector;
    for (int i = 0; i < 60; ++i) body.move(c.joint, -50);
    EXPECT_DOUBLE_EQ(body.angle(c.joint), c.low) << jointInfo(c.joint).effector;
  }
}

TEST(RobotModel, ZeroPoseIsTheTableAndTheMassIsTheRobots) {
  const auto poses = partPoses(Body{});
  double mass = 0;
  for (int p = 0; p < kPartCount; ++p) {
    const Vec3 c = partInfo(p).centre, at = poses[p].position;
    EXPECT_NEAR(std::hypot(at.x - c.x, at.y - c.y, at.z - c.z), 0, 1e-12) << partInfo(p).name;
    EXPECT_DOUBLE_EQ(poses[p].orientation.w, 1) << partInfo(p).name;
    mass += partInfo(p).mass;
  }
  EXPECT_NEAR(mass, 4.6071, 1e-9);
  // The soles are 0.385 m below the torso's centre.
  const PartInfo& foot = partInfo(kRFoot);
  EXPECT_NEAR(foot.centre.z - foot.size.z / 2, -kTorsoHeightAboveSoles, 1e-12);
}

TEST(RobotModel, JointsTurnThePartsTheWayTheAgentExpects) {
  Body body;
  // Hip pitch lifts the thigh forward; the shank and foot follow.
  body.setAngle(kRle3, 90);
  auto poses = partPoses(body);
  EXPECT_NEAR(poses[kRFoot].position.z, -0.115 + 0.005, 0.03);
  EXPECT_GT(poses[kRFoot].position.y, 0.2);
  // A negative knee bends the shank backwards.
  body = Body{};
  body.setAngle(kLle4, -90);
  poses = partPoses(body);
  EXPECT_LT(poses[kLFoot].position.y, -0.05);
  EXPECT_NEAR(poses[kLShank].position.z, -0.235, 0.01);
  // Outward hip roll is negative on the right leg, positive on the left.
  body = Body{};
  body.setAngle(kRle2, -30);
  body.setAngle(kLle2, 30);
  poses = partPoses(body);
  EXPECT_GT(poses[kRFoot].position.x, 0.055 + 0.1);
  EXPECT_LT(poses[kLFoot].position.x, -0.055 - 0.1);
  // Shoulder pitch -90 lowers the arm that points forward in the zero pose.
  body = Body{};
  body.setAngle(kLae1, -90);
  poses = partPoses(body);
  EXPECT_LT(poses[kLLowerArm].position.z, 0.075 - 0.1);
  EXPECT_NEAR(poses[kLLowerArm].position.y, 0, 0.01);
  // The hip yaw-pitch of both legs turns their feet in opposite senses.
  body = Body{};
  body.setAngle(kLle1, -45);
  body.setAngle(kRle1, -45);
  poses = partPoses(body);
  const Vec3 left_toe = rotate(poses[kLFoot].orientation, {0, 1, 0});
  const Vec3 right_toe = rotate(poses[kRFoot].orientation, {0, 1, 0});
  EXPECT_NEAR(left_toe.x, -right_toe.x, 1e-3);
  EXPECT_GT(std::abs(left_toe.x), 0.2);
}

TEST(LegGeometry, StraightLegIsThighPlusShank) {
  Body body;
  EXPECT_NEAR(legHeight(body, LegSide::kLeft), 0.25, 1e-12);
  EXPECT_NEAR(legReach(body, LegSide::kRight), 0, 1e-12);
  pose(body, LegSide::kRight, -30, 0, 0);
  EXPECT_NEAR(outwardRoll(body, LegSide::kRight), 30, 1e-12);
  EXPECT_NEAR(legHeight(body, LegSide::kRight), 0.25 * std::cos(kPi / 6), 1e-12);
}

// Hip roll, hip pitch and knee of the left and the right leg, and which feet
// touch the ground.
TEST(ContactRule, StandingTurningSteppingAndKickingPoses) {
  const struct {
    double left[3], right[3];
    bool left_down, right_down;
  } cases[] = {
      {{0, 10, -20}, {0, 10, -20}, true, true},         // the walking crouch
      {{45, 100, -130}, {-45, 100, -130}, true, true},  // the squat of the stand-up
      {{6.5, 40, -70}, {-6.5, 10, -20}, false, true},   // the raised leg of a step
      {{6.5, 0, -30}, {-6.5, 10, -20}, true, true},     // turning, ball to the left
      {{6.5, 15, -10}, {-6.5, 10, -20}, true, true},    // turning, ball to the right
      {{-15, 10, -20}, {-30, 20, 0}, true, false},      // a side step
      {{-10, 0, 0}, {-10, 25, -60}, true, false},       // a kick's swing
  };
  for (const auto& c : cases) {
    Body body;
    pose(body, LegSide::kLeft, c.left[0], c.left[1], c.left[2]);
    pose(body, LegSide::kRight, c.right[0], c.right[1], c.right[2]);
    EXPECT_EQ(footContacts(body).left, c.left_down) << c.left[1] << " " << c.right[1];
    EXPECT_EQ(footContacts(body).right, c.right_down) << c.left[1] << " " << c.right[1];
  }
}

}  // namespace
}  // namespace fieldsim
