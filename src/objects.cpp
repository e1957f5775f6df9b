#include "objects.h"

#include "log.h"

Object::Object() : my_pos(0, 0, 0, CARTESIAN), m_Position(0, 0, 0, CARTESIAN) {}

VecPosition Object::getPosition() const { return m_Position; }
void Object::setPosition(VecPosition pos) { m_Position = pos; }
Time Object::getTimeLastSeen() const { return m_TimeLastSeen; }

bool Object::setTimeLastSeen(Time time) {
  m_TimeLastSeen = time;
  return true;
}

ObjectT FlagObject::getID() const { return m_ID; }

bool FlagObject::setID(ObjectT id) {
  m_ID = id;
  return true;
}

DynamicObject::DynamicObject()
    : m_IsFirstPosition(true),
      m_IsFirstVelocity(true),
      m_Velocity(0, 0, 0),
      m_Accelaration(0, 0, 0) {}

VecPosition DynamicObject::getVelocity() const { return m_Velocity; }
VecPosition DynamicObject::getAccelaration() const { return m_Accelaration; }

void DynamicObject::setPosition(VecPosition pos) {
  if (m_IsFirstPosition) {
    m_Position = pos;
    m_Accelaration = VecPosition(0, 0, 0);
    m_Velocity = VecPosition(0, 0, 0);
    m_IsFirstPosition = false;
    return;
  }
  VecPosition newVelocity = pos - m_Position;
  if (m_IsFirstVelocity) {
    m_Accelaration = VecPosition(0, 0, 0);
    m_IsFirstVelocity = false;
  } else {
    m_Accelaration = newVelocity - m_Velocity;
  }
  m_Velocity = newVelocity;
  m_Position = pos;
}

double BallObject::getMass() const { return m_Mass; }

bool BallObject::setMass(double mass) {
  m_Mass = mass;
  return true;
}

double BallObject::getRadius() const { return m_Radius; }

bool BallObject::setRadius(double radius) {
  m_Radius = radius;
  return true;
}

int PlayerObject::getNumber() const { return m_Number; }

bool PlayerObject::setNumber(int number) {
  m_Number = number;
  return true;
}

AngDeg PlayerObject::getDirection() const { return m_Direction; }

bool PlayerObject::setDirection(AngDeg direction) {
  m_Direction = direction;
  return true;
}

SideT PlayerObject::getTeamSide() const { return m_TeamSide; }

bool PlayerObject::setTeamSide(SideT side) {
  m_TeamSide = side;
  return true;
}

#define VEXA_JOINT_CURRENT_PTR(name) &AgentObject::cur_ang_##name,
#define VEXA_JOINT_SPEED_PTR(name) &AgentObject::exec_ang_##name,
double AgentObject::*const AgentObject::s_CurrentAngles[] = {
    VEXA_BODY_JOINTS(VEXA_JOINT_CURRENT_PTR)};
double AgentObject::*const AgentObject::s_Speeds[] = {VEXA_BODY_JOINTS(VEXA_JOINT_SPEED_PTR)};
#undef VEXA_JOINT_CURRENT_PTR
#undef VEXA_JOINT_SPEED_PTR

AgentObject::AgentObject() : m_Battery(100.0), m_Temprature(23.0), m_Mass(75.0) {
  m_Number = 0;
}

double AgentObject::getBattery() const { return m_Battery; }

bool AgentObject::setBattery(double battery) {
  m_Battery = battery;
  return true;
}

double AgentObject::getTemprature() const { return m_Temprature; }

bool AgentObject::setTemprature(double temprature) {
  m_Temprature = temprature;
  return true;
}

double AgentObject::getMass() const { return m_Mass; }

bool AgentObject::setMass(double mass) {
  m_Mass = mass;
  return true;
}

double AgentObject::get_cur_ang(JointId joint) const {
  return this->*s_CurrentAngles[static_cast<int>(joint)];
}

void AgentObject::set_cur_ang(JointId joint, double angle) {
  this->*s_CurrentAngles[static_cast<int>(joint)] = angle;
}

double& AgentObject::exec_ang(JointId joint) { return this->*s_Speeds[static_cast<int>(joint)]; }

double AgentObject::exec_ang(JointId joint) const {
  return this->*s_Speeds[static_cast<int>(joint)];
}

Joint::Joint() : m_Axis1(0), m_Axis2(0), m_Rate1(0), m_Rate2(0), m_ID(JID_ILLEGAL) {}

Joint::Joint(const Joint& j) : Joint() { *this = j; }

Joint& Joint::operator=(const Joint& j) {
  setID(j.getID());
  setAxis1(j.getAxis1());
  setAxis2(j.getAxis2());
  setRate1(j.getRate1());
  setRate2(j.getRate2());
  return *this;
}

double Joint::getAxis() const { return getAxis1(); }
bool Joint::setAxis(double axis) { return setAxis1(axis); }
double Joint::getAxis1() const { return m_Axis1; }

bool Joint::setAxis1(double axis) {
  m_Axis1 = axis;
  return true;
}

double Joint::getAxis2() const { return m_Axis2; }

bool Joint::setAxis2(double axis) {
  m_Axis2 = axis;
  return true;
}

double Joint::getRate() const { return getRate1(); }
bool Joint::setRate(double rate) { return setRate1(rate); }
double Joint::getRate1() const { return m_Rate1; }

bool Joint::setRate1(double rate) {
  m_Rate1 = rate;
  return true;
}

double Joint::getRate2() const { return m_Rate2; }

bool Joint::setRate2(double rate) {
  m_Rate2 = rate;
  return true;
}

JointT Joint::getID() const { return m_ID; }

bool Joint::setID(JointT id) {
  m_ID = id;
  return true;
}

// The text form opens with the first axis so that its parentheses balance.
template <typename Out>
static void showJoint(Out& out, const Joint& j) {
  out << "((axis1 " << j.getAxis1() << ") (rate1 " << j.getRate1() << ") (axis2 "
      << j.getAxis2() << ") (rate2 " << j.getRate2() << "))";
}

void Joint::show(std::ostream& os) const { showJoint(os, *this); }
void Joint::show(Logger& log) const { showJoint(log, *this); }

std::ostream& operator<<(std::ostream& os, Joint j) {
  j.show(os);
  return os;
}

Logger& operator<<(Logger& log, Joint j) {
  j.show(log);
  return log;
}

TSensor::TSensor() : m_Value(0) {}

double TSensor::getValue() const { return m_Value; }

bool TSensor::setValue(const double& value) {
  m_Value = value;
  return true;
}

std::string TSensor::getName() const { return m_Name; }

bool TSensor::setName(std::string name) {
  m_Name = name;
  return true;
}
