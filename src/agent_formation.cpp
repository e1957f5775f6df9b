// The formation file: every player's start position, read once at start.
//
// A record is "*" directly followed by the player number, then x, y and z,
// each field ended by one or more blanks. Anything up to the first "*" and
// between records is skipped; "#" ends the formation.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "agent.h"
#include "world_model.h"

namespace {

const char* const kFormationFile = "formations.conf";
// Longer fields are cut to this many characters.
const int kMaxFieldLength = 9;

typedef char Field[kMaxFieldLength + 1];

bool hasSlot(long number) { return number >= 0 && number < kFormationSlots; }

// Reads characters until one of `stops` (returned) or the end of the file.
// A NUL byte in the file is a character like any other, not the end of
// `stops`.
int skipUntil(FILE* file, const char* stops) {
  int c;
  while ((c = std::fgetc(file)) != EOF && (c == '\0' || std::strchr(stops, c) == nullptr)) {
  }
  return c;
}

void skipBlanks(FILE* file) {
  int c;
  while ((c = std::fgetc(file)) == ' ') {
  }
  if (c != EOF) std::ungetc(c, file);
}

// Reads one field up to and including its closing blank. False when the
// file ends first: the field is incomplete.
bool readField(FILE* file, Field& field) {
  int length = 0;
  int c;
  while ((c = std::fgetc(file)) != EOF && c != ' ') {
    if (length < kMaxFieldLength) field[length++] = static_cast<char>(c);
  }
  field[length] = '\0';
  return c == ' ';
}

// Reads the fields of one record after its "*", storing each coordinate as
// soon as it is read. False when the file ends inside the record.
bool readRecord(FILE* file) {
  Field field;
  if (!readField(file, field)) return false;
  const long number = std::strtol(field, nullptr, 10);
  if (!hasSlot(number)) {
    std::cerr << kFormationFile << ": player number " << number
              << " is outside 0 to " << kFormationSlots - 1 << "; record ignored" << "\n";
  }
  bool (VecPosition::*const setters[])(double) = {&VecPosition::setX, &VecPosition::setY,
                                                   &VecPosition::setZ};
  for (auto setter : setters) {
    skipBlanks(file);
    if (!readField(file, field)) return false;
    if (hasSlot(number)) (wm::my_player_pos[number].*setter)(std::strtod(field, nullptr));
  }
  return true;
}

void readFormation(FILE* file) {
  if (skipUntil(file, "*") != '*') return;
  while (readRecord(file) && skipUntil(file, "*#") == '*') {
  }
}

void reportUnreadable(int error) {
  std::cerr << kFormationFile << ": cannot be read (" << std::strerror(error)
            << "); every start position stays (0, 0, 0)" << "\n";
}

}  // namespace

// A file that opens but fails to read (a directory of that name, say) counts
// as unreadable: whatever was read before the failure is dropped, so that
// every position is (0, 0, 0) as the line says.
void Agent::get_my_position() {
  FILE* file = std::fopen(kFormationFile, "r");
  if (file == nullptr) {
    reportUnreadable(errno);
  } else {
    readFormation(file);
    if (std::ferror(file)) {
      reportUnreadable(errno);
      for (VecPosition& position : wm::my_player_pos) position = VecPosition(0, 0, 0);
    }
    std::fclose(file);
  }
  const VecPosition own = hasSlot(wm::my_number) ? wm::my_player_pos[wm::my_number]
                                                 : VecPosition(0, 0, 0);
  wm::agent.setPosition(own);
}
