#include <gtest/gtest.h>

#include <sstream>

#include "log.h"
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

TEST(Object, SettersAcceptAnyValue) {
  PlayerObject player;
  EXPECT_TRUE(player.setNumber(-5));
  EXPECT_EQ(player.getNumber(), -5);
  BallObject ball;
  EXPECT_TRUE(ball.setMass(-1));
  EXPECT_DOUBLE_EQ(ball.getMass(), -1);
}

TEST(AgentObject, StartsWithItsDefaults) {
  AgentObject body;
  EXPECT_DOUBLE_EQ(body.getBattery(), 100);
  EXPECT_DOUBLE_EQ(body.getTemprature(), 23);
  EXPECT_DOUBLE_EQ(body.getMass(), 75);
  EXPECT_EQ(body.getNumber(), 0);
  expectVec(body.getPosition(), 0, 0, 0);
  for (int j = 0; j < static_cast<int>(JointId::count); ++j) {
    EXPECT_EQ(body.get_cur_ang(static_cast<JointId>(j)), 0);
    EXPECT_EQ(body.exec_ang(static_cast<JointId>(j)), 0);
  }
  EXPECT_EQ(body.bend_height, 0);
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

TEST(AgentObject, LimbJointsInterleaveLeftAndRight) {
  EXPECT_EQ(limbJoint(Limb::LeftArm, 1), JointId::lae1);
  EXPECT_EQ(limbJoint(Limb::RightArm, 4), JointId::rae4);
  EXPECT_EQ(limbJoint(Limb::LeftLeg, 4), JointId::lle4);
  EXPECT_EQ(limbJoint(Limb::RightLeg, 1), JointId::rle1);
  EXPECT_EQ(limbJoint(Limb::RightLeg, 6), JointId::rle6);
}

TEST(Joint, DefaultsAliasesCopyAndText) {
  Joint joint;
  EXPECT_EQ(joint.getID(), JID_ILLEGAL);
  EXPECT_EQ(joint.getAxis2(), 0);
  joint.setAxis(3);
  joint.setRate(0.5);
  joint.setAxis2(-1);
  joint.setRate2(2);
  joint.setID(JID_LARM_3);
  EXPECT_EQ(joint.getAxis1(), 3);
  EXPECT_EQ(joint.getRate1(), 0.5);

  const Joint copy(joint);
  EXPECT_EQ(copy.getID(), JID_LARM_3);
  EXPECT_EQ(copy.getRate2(), 2);

  std::ostringstream text;
  text << copy;
  EXPECT_EQ(text.str(), "((axis1 3) (rate1 0.5) (axis2 -1) (rate2 2))");
}

TEST(TSensor, StoresNameAndValue) {
  TSensor sensor;
  EXPECT_EQ(sensor.getValue(), 0);
  EXPECT_EQ(sensor.getName(), "");
  sensor.setValue(1.5);
  sensor.setName("lf");
  EXPECT_EQ(sensor.getValue(), 1.5);
  EXPECT_EQ(sensor.getName(), "lf");
}

}  // namespace
