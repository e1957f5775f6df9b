// The realistic full perception message the benchmarks work on: every joint,
// both feet, the eight landmarks, the ball and six players.
#ifndef VEXA_BENCH_FULL_MESSAGE_H
#define VEXA_BENCH_FULL_MESSAGE_H

#include <fstream>
#include <sstream>
#include <string>

// The message text, or an empty string when the file cannot be read.
inline std::string readFullMessage() {
  std::ifstream file(VEXA_TEST_DATA_DIR "/full_view_six_players.txt");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

#endif
