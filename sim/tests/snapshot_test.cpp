// The kinematic world's robots as the replay draws them: posed by their
// joints, turned to their heading and standing on the ground.
#include "snapshot.h"

#include <gtest/gtest.h>

namespace fieldsim {
namespace {

TEST(Snapshot, StandingRobotFacesItsHeadingWithItsSolesOnTheGround) {
  World world;
  Robot& robot = world.addRobot(TeamSide::kLeft, 2, "VEXA3D");
  robot.position = {1, 2};
  robot.heading = 90;  // forward is the field's +y, the robot's left its -x
  const Snapshot snapshot = takeSnapshot(world);
  ASSERT_EQ(snapshot.robots.size(), 1u);
  const RobotSnapshot& seen = snapshot.robots[0];
  EXPECT_FALSE(seen.fallen);
  EXPECT_NEAR(seen.parts[kTorso].position.x, 1, 1e-9);
  EXPECT_NEAR(seen.parts[kTorso].position.y, 2, 1e-9);
  EXPECT_NEAR(seen.torso_height, kTorsoHeightAboveSoles, 1e-9);
  const Vec3 left_foot = seen.parts[kLFoot].position;
  EXPECT_NEAR(left_foot.x, 1 - 0.055, 1e-9);
  EXPECT_NEAR(left_foot.y, 2 + 0.025, 1e-9);
  EXPECT_NEAR(left_foot.z, 0.015, 1e-9);  // half the sole's thickness
  EXPECT_NEAR(seen.left_foot_force, seen.right_foot_force, 1e-9);
  EXPECT_GT(seen.left_foot_force, 0);
}

TEST(Snapshot, KnockedRobotLiesOnItsBackWithItsHeadBehind) {
  World world;
  Robot& robot = world.addRobot(TeamSide::kLeft, 2, "VEXA3D");
  robot.position = {0, 0};
  robot.heading = 0;
  world.knock(robot);
  const RobotSnapshot seen = takeSnapshot(world).robots.at(0);
  EXPECT_TRUE(seen.fallen);
  const Vec3 head = seen.parts[kHead].position;
  EXPECT_NEAR(seen.torso_height, partInfo(kHead).size.x, 1e-9);  // the head is its lowest part
  EXPECT_NEAR(head.z, seen.torso_height, 1e-9);
  EXPECT_NEAR(head.x, -0.155, 1e-9);
  EXPECT_EQ(seen.left_foot_force + seen.right_foot_force, 0);
}

}  // namespace
}  // namespace fieldsim
