// The robot's body as the stand-in server models it: its 23 parts and the 22
// hinge joints between them (the one table of the robot, which the physics
// world builds its bodies from and the replay poses its parts with), the
// speed rule that moves the joints of the kinematic world once per cycle, and
// the leg geometry that decides there which feet touch the ground.
//
// Model frame: x is the robot's right, y its forward direction, z up; the
// origin is the torso's centre, 0.385 m above the soles in the zero pose
// (legs straight, arms pointing forward).
#ifndef FIELDSIM_BODY_H
#define FIELDSIM_BODY_H

#include <array>
#include <string_view>

#include "physics_constants.h"

namespace fieldsim {

// Joint indices; the order is also the order of the joint perceptors.
// clang-format off
enum Joint {
  kHead1, kHead2,
  kLae1, kLae2, kLae3, kLae4,
  kRae1, kRae2, kRae3, kRae4,
  kLle1, kLle2, kLle3, kLle4, kLle5, kLle6,
  kRle1, kRle2, kRle3, kRle4, kRle5, kRle6,
  kJointCount
};
// clang-format on

// Parts of the robot; a joint's child always comes after its parent.
// clang-format off
enum Part {
  kTorso, kNeck, kHead,
  kLShoulder, kLUpperArm, kLElbow, kLLowerArm,
  kRShoulder, kRUpperArm, kRElbow, kRLowerArm,
  kLHip1, kLHip2, kLThigh, kLShank, kLAnkle, kLFoot,
  kRHip1, kRHip2, kRThigh, kRShank, kRAnkle, kRFoot,
  kPartCount
};
// clang-format on

struct Vec3 {
  double x = 0;
  double y = 0;
  double z = 0;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double radians(double degrees) { return degrees * kPi / 180; }
constexpr double degrees(double radians) { return radians * 180 / kPi; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

enum class Shape { kBox, kSphere, kCapsule };

struct PartInfo {
  const char* name;
  Shape shape;
  // Box: edge lengths along x, y, z. Sphere: the radius in x. Capsule: the
  // radius in x and the length of its cylinder, along z, in z.
  Vec3 size;
  double mass;  // kg, spread uniformly over the shape
  Vec3 centre;  // in the model frame, zero pose
  bool collides;
};

const PartInfo& partInfo(int part);
constexpr double kTorsoHeightAboveSoles = 0.385;  // in the zero pose

struct JointInfo {
  const char* effector;   // name in the agent's speed commands
  const char* perceptor;  // name in the perception's HJ records
  double min_degrees;
  double max_degrees;
  // The joint turns `child` relative to `parent` about `axis` through
  // `anchor` (model frame, zero pose); a positive angle turns it by the
  // right-hand rule.
  Part child;
  Part parent;
  Vec3 anchor;
  Vec3 axis;
};

const JointInfo& jointInfo(int joint);
// The joint an effector name drives, or -1 for a name that is none.
int jointByEffector(std::string_view name);

constexpr double kCycleSeconds = 0.02;
// The most a joint turns in one cycle, whatever speed is asked for: as far
// as the physics world's motors turn it.
constexpr double kMaxDegreesPerCycle = degrees(physics::kMaxMotorSpeed * kCycleSeconds);

constexpr double kThighLength = 0.14;
constexpr double kShankLength = 0.11;
// A foot counts as lifted once its leg is this much shorter than the other.
constexpr double kLiftMargin = 0.02;

enum class LegSide { kLeft, kRight };

class Body {
 public:
  double angle(int joint) const { return angles_[joint]; }
  // Sets a joint within its range.
  void setAngle(int joint, double degrees);
  // Moves a joint for one cycle at a speed in radians per second.
  void move(int joint, double radians_per_second);

 private:
  std::array<double, kJointCount> angles_{};
};

// A unit quaternion w + xi + yj + zk.
struct Quat {
  double w = 1;
  double x = 0;
  double y = 0;
  double z = 0;
};
Quat operator*(const Quat& a, const Quat& b);
Quat axisAngle(Vec3 unit_axis, double radians);
Vec3 rotate(const Quat& q, Vec3 v);

struct PartPose {
  Vec3 position;  // of the part's centre
  Quat orientation;
};

// Where every part is for the joint angles of `body`, in the model frame
// with the torso at the origin and unturned.
std::array<PartPose, kPartCount> partPoses(const Body& body);

// Vertical hip-to-ankle extent of a leg (metres), from hip roll, hip pitch
// and knee.
double legHeight(const Body& body, LegSide leg);
// How far the ankle is ahead of the hip along the heading (metres).
double legReach(const Body& body, LegSide leg);
// Hip roll away from the body (degrees), positive for either leg.
double outwardRoll(const Body& body, LegSide leg);
// Hip pitch of a leg (degrees).
double hipPitch(const Body& body, LegSide leg);

struct Contacts {
  bool left;
  bool right;
};

// A foot touches the ground unless its leg is clearly shorter than the
// other, so a standing robot always has at least one foot down.
Contacts footContacts(const Body& body);

}  // namespace fieldsim

#endif
