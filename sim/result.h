// The result file of a game (--result FILE): one JSON object with the
// game's settings, its figures and every event, so that programs read the
// game's figures from data rather than from fieldsim's printed lines. It is
// written when the game ends, however it ends, under a temporary name in the
// same folder and then renamed, so that a reader never sees half a file.
// README's "The result file" describes every field; "format" changes when a
// field changes its meaning.
#ifndef FIELDSIM_RESULT_H
#define FIELDSIM_RESULT_H

#include <string>
#include <vector>

#include "options.h"
#include "world.h"

namespace fieldsim {

constexpr int kResultFormat = 1;

// How long a window of the game took: by the wall clock, and fieldsim's
// own processor time (which other work on the machine disturbs less).
struct WindowTime {
  double wall_seconds = 0;
  double processor_seconds = 0;
};

// How the game ended: "completed", "interrupted", "no-agents" or "error",
// and why (empty for a completed game).
struct GameEnd {
  std::string status;
  std::string reason;
  double wall_seconds = 0;  // from the kick-off to the end
  // Of each window of the game (World::windows), in order.
  std::vector<WindowTime> window_times{};
};

std::string resultJson(const World& world, const Options& options, const GameEnd& end);
// Whether the file can be written at the end: it is not a folder, and its
// temporary file can be created (and is removed again).
bool canWriteResult(const std::string& path);
// False when the file could not be written.
bool writeResult(const std::string& path, const std::string& json);

}  // namespace fieldsim

#endif
