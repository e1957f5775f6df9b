// The robot's body as the stand-in server models it: 22 hinge joints with
// their ranges, the speed rule that moves them once per cycle, and the leg
// geometry that decides which feet touch the ground.
#ifndef FIELDSIM_BODY_H
#define FIELDSIM_BODY_H

#include <array>
#include <string_view>

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

struct JointInfo {
  const char* effector;   // name in the agent's speed commands
  const char* perceptor;  // name in the perception's HJ records
  double min_degrees;
  double max_degrees;
};

const JointInfo& jointInfo(int joint);
// The joint an effector name drives, or -1 for a name that is none.
int jointByEffector(std::string_view name);

constexpr double kCycleSeconds = 0.02;
// The most a joint turns in one cycle, whatever speed is asked for.
constexpr double kMaxDegreesPerCycle = 7.035;

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
