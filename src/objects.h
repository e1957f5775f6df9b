// Things on the field and the agent's own body state.
#ifndef VEXA_OBJECTS_H
#define VEXA_OBJECTS_H

#include <ostream>
#include <string>

#include "Geometry.h"

class Logger;

enum ObjectT {
  OBJECT_BALL = 0,
  OBJECT_GOAL_L_T,
  OBJECT_GOAL_L_B,
  OBJECT_GOAL_R_T,
  OBJECT_GOAL_R_B,
  OBJECT_GOAL_UNKNOWN,
  OBJECT_CORNER_L_T,
  OBJECT_CORNER_L_B,
  OBJECT_CORNER_R_T,
  OBJECT_CORNER_R_B,
  OBJECT_CORNER_UNKNOWN,
  OBJECT_TEAMMATE_1,
  OBJECT_TEAMMATE_2,
  OBJECT_TEAMMATE_3,
  OBJECT_TEAMMATE_4,
  OBJECT_TEAMMATE_5,
  OBJECT_TEAMMATE_6,
  OBJECT_TEAMMATE_7,
  OBJECT_TEAMMATE_8,
  OBJECT_TEAMMATE_9,
  OBJECT_TEAMMATE_10,
  OBJECT_TEAMMATE_11,
  OBJECT_TEAMMATE_UNKNOWN,
  OBJECT_OPPONENT_1,
  OBJECT_OPPONENT_2,
  OBJECT_OPPONENT_3,
  OBJECT_OPPONENT_4,
  OBJECT_OPPONENT_5,
  OBJECT_OPPONENT_6,
  OBJECT_OPPONENT_7,
  OBJECT_OPPONENT_8,
  OBJECT_OPPONENT_9,
  OBJECT_OPPONENT_10,
  OBJECT_OPPONENT_11,
  OBJECT_OPPONENT_UNKNOWN,
  OBJECT_PLAYER_UNKNOWN,
  OBJECT_TEAMMATE_GOALIE,
  OBJECT_OPPONENT_GOALIE,
  MAX_OBJECTS,
  OBJECT_ILLEGAL
};

enum SideT { SIDE_NONE = 0, SIDE_LEFT = 1, SIDE_RIGHT = 2, SIDE_ILLEGAL = 3 };

// Joint command groups of the effector records.
enum JointT {
  JID_LLEG_1 = 0,
  JID_RLEG_1 = 1,
  JID_LLEG_2_3 = 2,
  JID_RLEG_2_3 = 3,
  JID_LLEG_4 = 4,
  JID_RLEG_4 = 5,
  JID_LLEG_5_6 = 6,
  JID_RLEG_5_6 = 7,
  JID_LARM_1_2 = 8,
  JID_RARM_1_2 = 9,
  JID_LARM_3 = 10,
  JID_RARM_3 = 11,
  JID_LARM_4 = 12,
  JID_RARM_4 = 13,
  MAX_JOINTS = 14,
  JID_ILLEGAL = 15
};

const double UnknownDoubleValue = -1000.0;
const AngDeg UnknownAngleValue = -1000.0;
const Time UnknownTime = -1000.0f;
const int UnknownIntValue = -1000;

class Object {
 public:
  Object();
  virtual ~Object() = default;

  VecPosition getPosition() const;
  virtual void setPosition(VecPosition pos);
  Time getTimeLastSeen() const;
  bool setTimeLastSeen(Time time);

  // Self-localised position on the field (only x and y are written).
  VecPosition my_pos;

 protected:
  VecPosition m_Position;
  Time m_TimeLastSeen = 0;
};

class FlagObject : public Object {
 public:
  ObjectT getID() const;
  bool setID(ObjectT id);

 protected:
  ObjectT m_ID = OBJECT_BALL;
};

// An object whose velocity and acceleration are the first and second
// differences of the positions given to setPosition (per call, no time base).
class DynamicObject : public Object {
 public:
  DynamicObject();

  VecPosition getVelocity() const;
  VecPosition getAccelaration() const;
  void setPosition(VecPosition pos) override;

 protected:
  bool m_IsFirstPosition;
  bool m_IsFirstVelocity;
  VecPosition m_Velocity;
  VecPosition m_Accelaration;
};

class BallObject : public DynamicObject {
 public:
  double getMass() const;
  bool setMass(double mass);
  double getRadius() const;
  bool setRadius(double radius);

 protected:
  double m_Mass = 0;
  double m_Radius = 0;
};

class PlayerObject : public DynamicObject {
 public:
  int getNumber() const;
  virtual bool setNumber(int number);
  AngDeg getDirection() const;
  bool setDirection(AngDeg direction);
  SideT getTeamSide() const;
  bool setTeamSide(SideT side);

 protected:
  int m_Number = 0;
  SideT m_TeamSide = SIDE_NONE;
  AngDeg m_Direction = 0;
};

// The 22 joints of the body, in the order of the body's fields: arms lae1..4
// and rae1..4, legs lle1..6 and rle1..6 (hip yaw-pitch, hip roll, hip pitch,
// knee, ankle pitch, ankle roll), then the head. The list is written once here
// and expanded into fields, accessors and the JointId enumeration.
#define VEXA_BODY_JOINTS(X)                                                  \
  X(lae1) X(rae1) X(lae2) X(rae2) X(lae3) X(rae3) X(lae4) X(rae4)            \
  X(lle1) X(rle1) X(lle2) X(rle2) X(lle3) X(rle3) X(lle4) X(rle4)            \
  X(lle5) X(rle5) X(lle6) X(rle6) X(head1) X(head2)

// Index of a body joint, for code that walks joints as data.
enum class JointId {
#define VEXA_JOINT_ENUM(name) name,
  VEXA_BODY_JOINTS(VEXA_JOINT_ENUM)
#undef VEXA_JOINT_ENUM
  count
};

// The limbs of the body; joint k (1-based) of a limb is limbJoint(limb, k).
enum class Limb { LeftArm, RightArm, LeftLeg, RightLeg };

// Arms have joints 1..4, legs 1..6; the joints of both sides interleave.
constexpr JointId limbJoint(Limb limb, int k) {
  return static_cast<JointId>((limb == Limb::LeftLeg || limb == Limb::RightLeg ? 8 : 0) +
                              2 * (k - 1) +
                              (limb == Limb::RightArm || limb == Limb::RightLeg ? 1 : 0));
}

// The agent's own body: current joint angles (degrees, as last perceived),
// commanded joint speeds for this cycle, and the leg geometry.
class AgentObject : public PlayerObject {
 public:
  AgentObject();

  double getBattery() const;
  bool setBattery(double battery);
  double getTemprature() const;
  bool setTemprature(double temprature);
  double getMass() const;
  bool setMass(double mass);

#define VEXA_JOINT_ACCESSORS(name)                                      \
  double get_cur_ang_##name() const { return cur_ang_##name; }          \
  void set_cur_ang_##name(double angle) { cur_ang_##name = angle; }
  VEXA_BODY_JOINTS(VEXA_JOINT_ACCESSORS)
#undef VEXA_JOINT_ACCESSORS

  // The same current angles and commanded speeds, by index.
  double get_cur_ang(JointId joint) const;
  void set_cur_ang(JointId joint, double angle);
  double& exec_ang(JointId joint);
  double exec_ang(JointId joint) const;

 protected:
  double m_Battery;
  double m_Temprature;
  double m_Mass;
  double m_MaxSpeed = 0;
#define VEXA_JOINT_CURRENT(name) double cur_ang_##name = 0;
  VEXA_BODY_JOINTS(VEXA_JOINT_CURRENT)
#undef VEXA_JOINT_CURRENT

 public:
#define VEXA_JOINT_SPEED(name) double exec_ang_##name = 0;
  VEXA_BODY_JOINTS(VEXA_JOINT_SPEED)
#undef VEXA_JOINT_SPEED

  double shank_length = 0;
  double thigh_length = 0;
  double foot_height = 0;
  double bend_height = 0;

 private:
  static double AgentObject::*const s_CurrentAngles[];
  static double AgentObject::*const s_Speeds[];
};

// A joint command group with two axes and two rates; unused by the agent.
class Joint {
 public:
  Joint();
  Joint(const Joint& j);
  Joint& operator=(const Joint& j);

  double getAxis() const;
  bool setAxis(double axis);
  double getAxis1() const;
  bool setAxis1(double axis);
  double getAxis2() const;
  bool setAxis2(double axis);
  double getRate() const;
  bool setRate(double rate);
  double getRate1() const;
  bool setRate1(double rate);
  double getRate2() const;
  bool setRate2(double rate);
  JointT getID() const;
  bool setID(JointT id);

  void show(std::ostream& os) const;
  void show(Logger& log) const;

 protected:
  double m_Axis1;
  double m_Axis2;
  double m_Rate1;
  double m_Rate2;
  JointT m_ID;
};

std::ostream& operator<<(std::ostream& os, Joint j);
Logger& operator<<(Logger& log, Joint j);

// A named sensor value; unused by the agent.
class TSensor {
 public:
  TSensor();

  double getValue() const;
  bool setValue(const double& value);
  std::string getName() const;
  bool setName(std::string name);

 protected:
  double m_Value;
  std::string m_Name;
};

#endif
