// What the server tells people: a progress line every simulated second, a
// summary at the end, a trace line per cycle and an SVG picture of the game.
#ifndef FIELDSIM_REPORT_H
#define FIELDSIM_REPORT_H

#include <string>

#include "world.h"

namespace fieldsim {

// "VEXA3D 1:0 RIVALS"; a side no team took has no name ("VEXA3D 0:0").
std::string scoreText(const World& world);

// Cycle, play mode, score, ball and robots.
std::string progressLine(const World& world);

// "cycle N MODE ball X Y" and then "LABEL X Y HEADING" for every robot on
// the field (positions in metres, heading in degrees).
std::string traceLine(const World& world);

// Score, ball, kicks, falls and get-ups, late replies and messages per
// agent, and the totals; one line each.
std::string summary(const World& world, double wall_seconds);

// The field with each robot's path and the ball's path.
std::string svgPicture(const World& world);

}  // namespace fieldsim

#endif
