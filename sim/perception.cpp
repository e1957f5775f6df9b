#include "perception.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formatted.h"

namespace fieldsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBothFeetForce = 22.05;  // newtons per foot
constexpr double kOneFootForce = 2 * kBothFeetForce;

struct Landmark {
  const char* name;
  Vec2 place;
};

const Landmark kLandmarks[] = {
    {"G1L", {-kFieldHalfLength, kGoalHalfWidth}},  {"G2L", {-kFieldHalfLength, -kGoalHalfWidth}},
    {"G1R", {kFieldHalfLength, kGoalHalfWidth}},   {"G2R", {kFieldHalfLength, -kGoalHalfWidth}},
    {"F1L", {-kFieldHalfLength, kFieldHalfWidth}}, {"F2L", {-kFieldHalfLength, -kFieldHalfWidth}},
    {"F1R", {kFieldHalfLength, kFieldHalfWidth}},  {"F2R", {kFieldHalfLength, -kFieldHalfWidth}},
};

std::string polar(const Polar& p) {
  return formatted("(pol %.2f %.2f %.2f)", p.distance, p.horizontal, p.vertical);
}

void addFoot(std::string& out, const char* name, double force) {
  out += formatted("(FRP (n %s) (c 0.00 0.00 -0.02) (f 0.00 0.00 %.2f))", name, force);
}

void addFeet(std::string& out, const Robot& robot) {
  if (robot.contacts.left) addFoot(out, "lf", footForce(robot, LegSide::kLeft));
  if (robot.contacts.right) addFoot(out, "rf", footForce(robot, LegSide::kRight));
}

// The other robots, nearest first, as many as the length limit allows with
// the closing parentheses still to come.
void addPlayers(std::string& out, const World& world, const Robot& self) {
  std::vector<const Robot*> others;
  for (const auto& robot : world.robots()) {
    if (robot.get() != &self && robot->present) others.push_back(robot.get());
  }
  std::sort(others.begin(), others.end(), [&](const Robot* a, const Robot* b) {
    return distance(a->position, self.position) < distance(b->position, self.position);
  });
  for (const Robot* other : others) {
    std::string entry = " (P (team " + other->team + ") (id " + std::to_string(other->number) +
                        ") " + polar(seenFrom(self, other->position, kCameraHeight)) + ")";
    if (out.size() + entry.size() + 1 > kMaxPerceptionBytes) break;
    out += entry;
  }
}

}  // namespace

double footForce(const Robot& robot, LegSide leg) {
  const bool down = leg == LegSide::kLeft ? robot.contacts.left : robot.contacts.right;
  if (!down) return 0;
  return robot.contacts.left && robot.contacts.right ? kBothFeetForce : kOneFootForce;
}

Polar seenFrom(const Robot& robot, Vec2 point, double z) {
  const double dx = point.x - robot.position.x;
  const double dy = point.y - robot.position.y;
  const double dz = z - kCameraHeight;
  const double ground = std::hypot(dx, dy);
  const double bearing = std::atan2(dy, dx) * 180 / kPi;
  return {std::hypot(ground, dz), normalizeDegrees(bearing - robot.heading),
          std::atan2(dz, ground) * 180 / kPi};
}

std::string perception(const World& world, const Robot& robot) {
  std::string out;
  out.reserve(4096);
  out += formatted("(time (now %.2f))", world.time());
  out += formatted("(GS (t %.2f) (pm %s))", world.gameTime(), playModeName(world.mode()));
  const double spin = robot.spike_cycles > 0 ? kGyroSpike : 0;
  out += formatted("(GYR (n torso) (rt %.2f %.2f %.2f))", spin, 0.0, robot.yaw_rate);
  for (int j = 0; j < kJointCount; ++j) {
    out += formatted("(HJ (n %s) (ax %.2f))", jointInfo(j).perceptor, robot.body.angle(j));
  }
  addFeet(out, robot);
  out += "(See";
  for (const Landmark& mark : kLandmarks) {
    out += std::string(" (") + mark.name + " " + polar(seenFrom(robot, mark.place, 0)) + ")";
  }
  out += " (B " + polar(seenFrom(robot, world.ball(), kBallRadius)) + ")";
  addPlayers(out, world, robot);
  out += ")";
  return out;
}

}  // namespace fieldsim
