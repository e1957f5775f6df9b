#include <gtest/gtest.h>

#include "objects.h"

namespace {

// The indexed accessors and the named fields must be the same storage, joint
// by joint, or the motions would drive one joint and the effector send another.
TEST(AgentObject, IndexedAccessorsReachTheNamedJoints) {
  AgentObject body;
  body.set_cur_ang_rae3(12.5);
  body.set_cur_ang(JointId::lle4, -40);
  body.exec_ang(JointId::rle6) = 0.25;
  body.exec_ang_head2 = 3;
  EXPECT_EQ(body.get_cur_ang(JointId::rae3), 12.5);
  EXPECT_EQ(body.get_cur_ang_lle4(), -40);
  EXPECT_EQ(body.exec_ang_rle6, 0.25);
  EXPECT_EQ(body.exec_ang(JointId::head2), 3);
  EXPECT_EQ(body.get_cur_ang_lle3(), 0);
}

// Velocity and acceleration are the first and second differences of the
// positions, from the second and third position on; a robot speeding up
// forwards and then braking gets an acceleration along x and then against it.
TEST(DynamicObject, VelocityAndAccelerationAreDifferencesOfThePositions) {
  PlayerObject player;
  const VecPosition zero(0, 0, 0);
  player.setPosition(VecPosition(1, 2, 0));
  EXPECT_EQ(player.getVelocity(), zero);
  EXPECT_EQ(player.getAccelaration(), zero);
  player.setPosition(VecPosition(2, 1, 0));
  EXPECT_EQ(player.getVelocity(), VecPosition(1, -1, 0));
  EXPECT_EQ(player.getAccelaration(), zero);
  player.setPosition(VecPosition(5, 0, 0));
  EXPECT_EQ(player.getVelocity(), VecPosition(3, -1, 0));
  EXPECT_EQ(player.getAccelaration(), VecPosition(2, 0, 0));
  player.setPosition(VecPosition(6, -1, 0));
  EXPECT_EQ(player.getAccelaration(), VecPosition(-2, 0, 0));
  EXPECT_EQ(player.getPosition(), VecPosition(6, -1, 0));
}

}  // namespace
