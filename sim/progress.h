// The game's progress for a person watching it (--progress FILE), drawn from
// the world after every cycle: on a terminal one line redrawn in place a few
// times a second, with a bar when the game's length is known; anywhere else
// (a file, a pipe) a plain line every few seconds, so that a log stays short.
// It is a display only: a failed write is not an error of the game.
#ifndef FIELDSIM_PROGRESS_H
#define FIELDSIM_PROGRESS_H

#include <string>

#include "world.h"

namespace fieldsim {

constexpr double kTerminalRedrawSeconds = 0.25;
constexpr double kPlainLineSeconds = 3;

// "cycle 1520/3000, PlayOn, VEXA3D 0:0 RIVALS, 3 falls, 152 cycles/s, 10 s
// left": the cycle of `total_cycles` (0: the game has no set end, and no
// time left is given), the play mode, the score, the falls so far and the
// cycles per second since the kick-off, `wall_seconds` ago.
std::string progressStatus(const World& world, int total_cycles, double wall_seconds);

class ProgressDisplay {
 public:
  // Opens the file to append to, a terminal or a file; "/dev/fd/N" is the
  // descriptor N that the caller passed on, whatever it leads to.
  explicit ProgressDisplay(const std::string& path);
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  bool ok() const { return fd_ >= 0; }
  // After a cycle: draws the line when it is time.
  void update(const World& world, int total_cycles, double wall_seconds);
  // On a terminal, the game's last state and the end of the line.
  void finish(const World& world, int total_cycles, double wall_seconds);

 private:
  void draw(const World& world, int total_cycles, double wall_seconds);
  void write(const std::string& text) const;

  int fd_ = -1;
  bool terminal_ = false;
  double next_draw_seconds_;  // since the kick-off
};

}  // namespace fieldsim

#endif
