#include "perception.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formatted.h"

namespace fieldsim {
namespace {

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

void addFoot(std::string& out, const char* name, const FootForce& foot) {
  out += formatted("(FRP (n %s) (c %.2f %.2f %.2f) (f %.2f %.2f %.2f))", name, foot.centre.x,
                   foot.centre.y, foot.centre.z, foot.force.x, foot.force.y, foot.force.z);
}

// The other robots, nearest first, as many as the length limit allows with
// the closing parentheses still to come.
void addPlayers(std::string& out, const World& world, const Robot& self) {
  std::vector<const Robot*> others;
  for (const Robot& robot : world.robots()) {
    if (&robot != &self && robot.present) others.push_back(&robot);
  }
  const Vec2 here = self.record.position;
  std::sort(others.begin(), others.end(), [&](const Robot* a, const Robot* b) {
    return distance(a->record.position, here) < distance(b->record.position, here);
  });
  for (const Robot* other : others) {
    const Polar seen = world.dynamics().seen(self.id, world.dynamics().camera(other->id));
    std::string entry = " (P (team " + other->team + ") (id " + std::to_string(other->number) +
                        ") " + polar(seen) + ")";
    if (out.size() + entry.size() + 1 > kMaxPerceptionBytes) break;
    out += entry;
  }
}

}  // namespace

std::string perception(const World& world, const Robot& robot) {
  std::string out;
  out.reserve(4096);
  out += formatted("(time (now %.2f))", world.time());
  out += formatted("(GS (t %.2f) (pm %s))", world.gameTime(), playModeName(world.mode()));
  const Dynamics& dynamics = world.dynamics();
  const Senses& senses = robot.record.senses;
  out +=
      formatted("(GYR (n torso) (rt %.2f %.2f %.2f))", senses.gyro.x, senses.gyro.y, senses.gyro.z);
  for (int j = 0; j < kJointCount; ++j) {
    out += formatted("(HJ (n %s) (ax %.2f))", jointInfo(j).perceptor, senses.angles[j]);
  }
  if (senses.feet[0]) addFoot(out, "lf", *senses.feet[0]);
  if (senses.feet[1]) addFoot(out, "rf", *senses.feet[1]);
  out += "(See";
  for (const Landmark& mark : kLandmarks) {
    const Polar seen = dynamics.seen(robot.id, {mark.place.x, mark.place.y, 0});
    out += std::string(" (") + mark.name + " " + polar(seen) + ")";
  }
  out += " (B " + polar(dynamics.seen(robot.id, world.ballPosition())) + ")";
  addPlayers(out, world, robot);
  out += ")";
  return out;
}

}  // namespace fieldsim
