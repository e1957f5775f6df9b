#include <gtest/gtest.h>

#include "objects.h"

namespace {

void expectVec(const VecPosition& v, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(v.getX(), x);
  EXPECT_DOUBLE_EQ(v.getY(), y);
  EXPECT_DOUBLE_EQ(v.getZ(), z);
}

TEST(DynamicObject, VelocityAndAccelerationWarmUpOverThreePositions) {
  DynamicObject ball;
  ball.setPosition(VecPosition(1, 1, 0));
  expectVec(ball.getPosition(), 1, 1, 0);
  expectVec(ball.getVelocity(), 0, 0, 0);
  expectVec(ball.getAccelaration(), 0, 0, 0);

  ball.setPosition(VecPosition(3, 2, 0));
  expectVec(ball.getVelocity(), 2, 1, 0);
  expectVec(ball.getAccelaration(), 0, 0, 0);

  ball.setPosition(VecPosition(4, 4, 1));
  expectVec(ball.getVelocity(), 1, 2, 1);
  expectVec(ball.getAccelaration(), -1, 1, 1);
}

TEST(Object, PlainObjectsOnlyStoreTheirPosition) {
  FlagObject flag;
  Object& as_object = flag;
  as_object.setPosition(VecPosition(6, 4, 0));
  as_object.setPosition(VecPosition(-6, 4, 0));
  expectVec(flag.getPosition(), -6, 4, 0);
  expectVec(flag.my_pos, 0, 0, 0);
}

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

}  // namespace
