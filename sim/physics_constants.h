// Every constant of the physics world, written once: what it is and its
// unit. They are the facts of the simulation server of that era (its
// engine's settings, the robot model's motors and surfaces, the ball), and
// fieldsim's own bounds for telling a blown-up body; README's "The physics
// world" says where the facts left a choice and what was chosen.
#ifndef FIELDSIM_PHYSICS_CONSTANTS_H
#define FIELDSIM_PHYSICS_CONSTANTS_H

#include <limits>

namespace fieldsim::physics {

constexpr double kInfinite = std::numeric_limits<double>::infinity();

// The engine's world, stepped once per cycle (no substeps).
constexpr double kGravity = 9.81;               // m/s², downwards
constexpr double kWorldErp = 0.2;               // error reduction per step
constexpr double kWorldCfm = 1e-5;              // constraint force mixing (the default)
constexpr double kContactSurfaceLayer = 0.001;  // m of depth allowed before contacts push
constexpr int kMaxContacts = 4;                 // contact points per pair of shapes
constexpr int kQuickStepIterations = 20;        // of dWorldQuickStep, when it is chosen

// The robot's hinges: velocity motors and stops at the joints' ranges.
constexpr double kMaxMotorSpeed = 6.1395;  // rad/s; a faster command is clamped
constexpr double kMaxMotorTorque = 10;     // N m (the default)
constexpr double kStopErp = 0.8;           // error reduction at a stop
constexpr double kStopCfm = 1e-8;          // constraint force mixing at a stop
constexpr double kJointCfm = 1e-8;         // constraint force mixing of a hinge

// Drag: a force against the motion, -coefficient × velocity, before every step.
constexpr double kPartDrag = 0.01;      // every robot part: N per m/s, and N m per rad/s
constexpr double kBallDrag = 0.01;      // N per m/s
constexpr double kBallSpinDrag = 5e-5;  // N m per rad/s

// A robot part on the ground (and on another robot).
constexpr double kRobotMu = kInfinite;  // Coulomb friction: unbounded
constexpr double kRobotSlip = 5e-3;     // force-dependent slip, m/s per N, both directions
constexpr double kRobotSoftErp = 0.4;
constexpr double kRobotSoftCfm = 1e-4;

// The ball, and its contacts with the ground and the robots.
constexpr double kBallRadius = 0.042;     // m
constexpr double kBallMass = 0.026;       // kg
constexpr double kBallMu = kInfinite;     // Coulomb friction: unbounded
constexpr double kBallBounce = 0.8;       // restitution
constexpr double kBallBounceSpeed = 0.8;  // m/s: slower impacts do not bounce
constexpr double kBallSlip = 0.6;         // force-dependent slip, m/s per N
constexpr double kBallSoftErp = 0.5;
constexpr double kBallSoftCfm = 0.05;

// A beamed robot is put down upright with its torso's centre this high, m.
constexpr double kBeamHeight = 0.4;

// A state beyond these is a blown-up one. The stepper's transients stay
// below them: a small joint sphere can spin at a few hundred rad/s for a
// step, and a foot can be torn some 30 cm off its ankle and be pulled back
// by the error correction within a few steps; a blow-up passes them within
// a step or two on its way to 1e32.
constexpr double kMaxDistance = 100;  // m from the centre spot
constexpr double kMaxSpeed = 100;     // m/s
constexpr double kMaxSpin = 1000;     // rad/s
constexpr double kMaxJointGap = 0.5;  // m between a hinge's two anchors

// Putting a blown-up robot back. A hinge resting exactly at its stop while
// its motor drives it away gets the motor's whole torque as a free torque
// for the step (the engine's fudge factor, 1 by default); on the tiny hip
// and ankle spheres that tears the leg, so a robot put back there blows up
// again at once, every cycle. Its joints are put this far inside their
// ranges instead.
constexpr double kResetStopMargin = 1;  // degrees
// A robot that blows up again within this many cycles of being put back is
// laid flat instead: on its back, every joint at 0 (at least the margin
// inside its range), its lowest part this high above the ground, at rest.
constexpr int kResetLoopCycles = 5;
constexpr double kLaidFlatClearance = 0.01;  // m

}  // namespace fieldsim::physics

#endif
