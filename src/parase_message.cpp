// The perception parser: a cursor slides over one server message and, at every
// position, tries a fixed list of keywords; a keyword that matches reads the
// numbers that follow it into the world model. Afterwards the foot-sensor
// counters, the own position, the side and the goal to attack are derived.
#include "parase_message.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char* const PlayModeNames[] = {"BeforeKickOff",
                                     "KickOff_Left",
                                     "KickOff_Right",
                                     "PlayOn",
                                     "KickIn_Left",
                                     "KickIn_Right",
                                     "corner_kick_left",
                                     "corner_kick_right",
                                     "goal_kick_left",
                                     "goal_kick_right",
                                     "offside_left",
                                     "offside_right",
                                     "quit",
                                     "Goal_Left",
                                     "Goal_Right",
                                     "free_kick_left",
                                     "free_kick_right",
                                     "illegal"};
const char* const ObjectNames[] = {"(ball)",       "(goal l t)",   "(goal l b)",   "(goal r t)",
                                   "(goal r b)",   "(goal ?)",     "(corner l t)", "(corner l b)",
                                   "(corner r t)", "(corner r b)", "(corner ?)"};
const char* const JointNames[] = {"llj1", "rlj1",   "llj2_3", "rlj2_3", "llj4",
                                  "rlj4", "llj5_6", "rlj5_6", "laj1_2", "raj1_2",
                                  "laj3", "raj3",   "laj4",   "raj4",   "joint_illegal"};
const char* const JointCommands[] = {"lle1", "rle1",   "lle2_3", "rle2_3", "lle4",
                                     "rle4", "lle5_6", "rle5_6", "lae1_2", "rae1_2",
                                     "lae3", "rae3",   "lae4",   "rae4",   "joint_illegal"};
const char* const SenseNames[] = {"lf", "rf", "sense_illegal"};
const char* const SideNames[] = {"our", "left", "right", "illegal"};

namespace {

// What a keyword does with the numbers that follow it. Two keywords read
// nothing: the name in "(team NAME)" and the contents of a "(hear ...)"
// section are text that other programs choose, so the rest of such a tag is
// passed over without looking for keywords in it.
enum class Act {
  kGyro,
  kAngle,
  kSimTime,
  kGameTime,
  kPlayMode,
  kPolar,
  kBall,
  kFoot,
  kSkipTag
};

// Keywords that count only right after an opening parenthesis, as the tag's
// name: "pm" inside a name (a team called "Hampmton") is not the play mode.
bool NamesATag(Act act) {
  return act == Act::kPlayMode || act == Act::kSkipTag;
}

struct Action {
  Act act;
  JointId joint;
  Polar* polar;
  FRP* foot;
  int* foot_count;
  int lead_skip;  // characters passed over before the numbers are read
};

constexpr Action Do(Act act) {
  return {act, JointId::count, nullptr, nullptr, nullptr, 0};
}
constexpr Action Angle(JointId joint) {
  return {Act::kAngle, joint, nullptr, nullptr, nullptr, 0};
}
constexpr Action Sees(Polar& polar) {
  return {Act::kPolar, JointId::count, &polar, nullptr, nullptr, 0};
}
constexpr Action SeesAfter(int lead_skip, Polar& polar) {
  return {Act::kPolar, JointId::count, &polar, nullptr, nullptr, lead_skip};
}
constexpr Action Foot(FRP& foot, int& count) {
  return {Act::kFoot, JointId::count, nullptr, &foot, &count, 0};
}

struct Keyword {
  const char* text;
  Action action;
  // Characters after the action that are never tested: the server's layout
  // puts no keyword there.
  int extra_skip;
};

// Tried in this order at every position; the first that matches wins.
// clang-format off
constexpr Keyword kKeywords[] = {
    // keyword  action                              extra skip
    {"GYR",     Do(Act::kGyro),                     6},
    {"hj1",     Angle(JointId::head1),              8},
    {"hj2",     Angle(JointId::head2),              2},
    {"time",    Do(Act::kSimTime),                  2},
    {"GS",      Do(Act::kGameTime),                 2},
    {"pm",      Do(Act::kPlayMode),                 0},
    {"G1L",     Sees(wm::pol_g1l),                  0},
    {"G2L",     Sees(wm::pol_g2l),                  0},
    {"G2R",     Sees(wm::pol_g2r),                  0},
    {"G1R",     Sees(wm::pol_g1r),                  0},
    {"F1L",     Sees(wm::pol_f1l),                  0},
    {"F2L",     Sees(wm::pol_f2l),                  0},
    {"F1R",     SeesAfter(2, wm::pol_f1r),          0},
    {"F2R",     Sees(wm::pol_f2r),                  0},
    {"B (pol",  Do(Act::kBall),                     0},
    {"raj1",    Angle(JointId::rae1),               0},
    {"raj2",    Angle(JointId::rae2),               0},
    {"raj3",    Angle(JointId::rae3),               0},
    {"raj4",    Angle(JointId::rae4),               0},
    {"laj1",    Angle(JointId::lae1),               0},
    {"laj2",    Angle(JointId::lae2),               0},
    {"laj3",    Angle(JointId::lae3),               0},
    {"laj4",    Angle(JointId::lae4),               0},
    {"rlj1",    Angle(JointId::rle1),               0},
    {"rlj2",    Angle(JointId::rle2),               0},
    {"rlj3",    Angle(JointId::rle3),               0},
    {"rlj4",    Angle(JointId::rle4),               0},
    {"rlj5",    Angle(JointId::rle5),               0},
    {"rf)",     Foot(wm::rfrp, wm::rfrp_count),     0},
    {"rlj6",    Angle(JointId::rle6),               0},
    {"llj1",    Angle(JointId::lle1),               0},
    {"llj2",    Angle(JointId::lle2),               0},
    {"llj3",    Angle(JointId::lle3),               0},
    {"llj4",    Angle(JointId::lle4),               0},
    {"llj5",    Angle(JointId::lle5),               0},
    {"lf)",     Foot(wm::lfrp, wm::lfrp_count),     0},
    {"llj6",    Angle(JointId::lle6),               0},
    {"team",    Do(Act::kSkipTag),                  0},
    {"hear",    Do(Act::kSkipTag),                  0},
};
// clang-format on

constexpr int kKeywordCount = static_cast<int>(std::size(kKeywords));

// The keywords grouped by their first character, each group in table order.
// A keyword can match only where the text begins with its first two
// characters, so trying the group of the character at the cursor, and only
// when the pair there begins some keyword, finds the keyword that trying the
// whole table in order would find.
struct KeywordIndex {
  unsigned char first[256] = {};  // start of each character's group in rows
  unsigned char count[256] = {};  // size of that group
  unsigned char rows[kKeywordCount] = {};
  unsigned char sizes[kKeywordCount] = {};  // keyword lengths, by row
  char seconds[kKeywordCount] = {};         // second characters, tested first
  bool stops_scan[256] = {};                // begins a keyword, or is the NUL
  // Bit b of pairs[c] is set when some keyword begins with c and then b.
  uint64_t pairs[256][4] = {};

  constexpr KeywordIndex() {
    int next = 0;
    for (int c = 0; c < 256; ++c) {
      first[c] = static_cast<unsigned char>(next);
      for (int row = 0; row < kKeywordCount; ++row) {
        if (static_cast<unsigned char>(kKeywords[row].text[0]) == c) {
          rows[next++] = static_cast<unsigned char>(row);
        }
      }
      count[c] = static_cast<unsigned char>(next - first[c]);
      stops_scan[c] = c == 0 || count[c] > 0;
    }
    for (int row = 0; row < kKeywordCount; ++row) {
      while (kKeywords[row].text[sizes[row]] != '\0') ++sizes[row];
      seconds[row] = kKeywords[row].text[1];
      const unsigned char c = static_cast<unsigned char>(kKeywords[row].text[0]);
      const unsigned char b = static_cast<unsigned char>(kKeywords[row].text[1]);
      pairs[c][b / 64] |= uint64_t{1} << (b % 64);
    }
  }

  constexpr bool Pair_Starts_Keyword(unsigned char c, unsigned char b) const {
    return (pairs[c][b / 64] >> (b % 64)) & 1;
  }
};

constexpr KeywordIndex kIndex;

// Play-mode names in the order they are tried; a longer word that begins with
// one of them matches it. Kick-offs become relative to the own side: LEFT is
// the own team's, RIGHT the opponents'.
struct PlayModeName {
  const char* text;
  PlayModeT when_side_left;
  PlayModeT when_side_right;
};

const PlayModeName kPlayModeNames[] = {
    {"PlayOn", PM_PLAY_ON, PM_PLAY_ON},
    {"BeforeKickOff", PM_BEFORE_KICK_OFF, PM_BEFORE_KICK_OFF},
    {"KickOff_Left", PM_KICK_OFF_LEFT, PM_KICK_OFF_RIGHT},
    {"KickOff_Right", PM_KICK_OFF_RIGHT, PM_KICK_OFF_LEFT},
    {"free_kick_left", PM_FREE_KICK_LEFT, PM_FREE_KICK_LEFT},
    {"free_kick_right", PM_FREE_KICK_RIGHT, PM_FREE_KICK_RIGHT},
    {"Goal_Left", PM_GOAL_LEFT, PM_GOAL_LEFT},
    {"Goal_Right", PM_GOAL_RIGHT, PM_GOAL_RIGHT},
};

// The number characters: the ten digits, ':' (which follows '9'), '.' and
// '-'. '+', 'e' and 'E' are not among them, so an exponent reads as a number
// of its own.
constexpr struct NumberChars {
  bool table[256] = {};
  constexpr NumberChars() {
    for (int c = '0'; c <= ':'; ++c) table[c] = true;
    table[static_cast<int>('.')] = table[static_cast<int>('-')] = true;
  }
} kNumberChars;

bool IsNumberChar(char c) {
  return kNumberChars.table[static_cast<unsigned char>(c)];
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Longest number text converted; the rest of a longer run is passed over.
const int kMaxNumberLength = 19;

double ConvertWithStrtod(const char* text, int size) {
  char buffer[kMaxNumberLength + 1];
  std::memcpy(buffer, text, size);
  buffer[size] = '\0';
  return std::strtod(buffer, nullptr);
}

// Converts a run of number characters to the value strtod gives for it.
// strtod reads an optional '-', digits and an optional fraction. When all
// digits form an integer of at most 2^53 it and 10^k (k <= 22) are exact
// doubles, so their correctly rounded quotient is strtod's result; larger
// mantissas go to strtod itself.
double ToDouble(const char* text, int size) {
  const bool negative = size > 0 && text[0] == '-';
  int i = negative ? 1 : 0;
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction_digits = 0;
  for (; i < size && IsDigit(text[i]); ++i, ++digits) mantissa = mantissa * 10 + (text[i] - '0');
  if (i < size && text[i] == '.') {
    for (++i; i < size && IsDigit(text[i]); ++i, ++digits, ++fraction_digits) {
      mantissa = mantissa * 10 + (text[i] - '0');
    }
  }
  if (digits == 0) return 0.0;
  if (mantissa > (uint64_t{1} << 53)) return ConvertWithStrtod(text, size);
  static const double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double value = static_cast<double>(mantissa) / kPowersOfTen[fraction_digits];
  return negative ? -value : value;
}

void ReadPolar(Parase& parser, Polar& polar) {
  polar.pol_distance = parser.Get_Double();
  polar.pal_angle = parser.Get_Double();
  polar.ver_angle = parser.Get_Double();
}

void ReadFoot(Parase& parser, FRP& foot) {
  foot.c_x = parser.Get_Double();
  foot.c_y = parser.Get_Double();
  foot.c_z = parser.Get_Double();
  foot.f_x = parser.Get_Double();
  foot.f_y = parser.Get_Double();
  foot.f_z = parser.Get_Double();
}

// Distance to the ball over the ground, the ball's centre being 0.25 above
// it. A ball closer than that lies at the robot's feet: 0, where the square
// root of the negative difference would give NaN.
void UpdateBallDistance() {
  const float d = static_cast<float>(wm::pol_ball.pol_distance);
  const float square = d * d - 0.0625f;
  wm::dis_to_ball = square > 0 ? powf(square, 0.5f) : 0.0;
}

// lfrp_count counts consecutive messages with a left-foot reading and
// lfrp_0_count those without (the same for the right foot). frp_0_count is
// compared after the resets, so it grows only from the second message in a
// row without either foot.
void CountFootReadings(int tmp_lfrp, int tmp_rfrp) {
  auto count_foot = [](int& count, int& zero_count, int before) {
    if (count == before) {
      ++zero_count;
      count = 0;
    } else {
      zero_count = 0;
    }
  };
  count_foot(wm::lfrp_count, wm::lfrp_0_count, tmp_lfrp);
  count_foot(wm::rfrp_count, wm::rfrp_0_count, tmp_rfrp);
  if (wm::lfrp_count == tmp_lfrp && wm::rfrp_count == tmp_rfrp) {
    ++wm::frp_0_count;
  } else {
    wm::frp_0_count = 0;
  }
}

// Range to a corner flag less the flags' 0.31 offset, in single precision.
float FlagRange(const Polar& flag) {
  return static_cast<float>(flag.pol_distance - 0.31);
}

// The last cycle in which the side is still read from the own position: the
// agent stands in its own half until then.
const int kLastSideCycle = 49;
// The player who always sees the ball towards the middle of the field.
const int kMiddleWatcher = 3;

// Own position from the last sightings of three corner flags; the side is
// settled during the first 50 cycles.
void LocateSelf() {
  const float a = FlagRange(wm::pol_f1l);
  const float b = FlagRange(wm::pol_f1r);
  const float c = FlagRange(wm::pol_f2l);
  wm::agent.my_pos.setX((a * a - b * b) / 24);
  wm::agent.my_pos.setY((c * c - a * a) * 0.0625);
  if (wm::Sim_Cycle <= kLastSideCycle) wm::is_side_left = wm::agent.my_pos.getX() < 0;

  wm::pol_gtl = wm::is_side_left ? wm::pol_g1r : wm::pol_g1l;
  wm::pol_gtr = wm::is_side_left ? wm::pol_g2r : wm::pol_g2l;
  wm::ang_to_middle = wm::pol_g1l.pal_angle + wm::pol_g2l.pal_angle + wm::pol_ball.pal_angle;
  if (wm::my_number == kMiddleWatcher) {
    wm::pol_ball.pol_distance = 1.0;
    wm::pol_ball.pal_angle = wm::ang_to_middle;
  }
}

}  // namespace

void Parase::Get_Info(char* str) {
  msg_length = static_cast<int>(strnlen(str, kMaxMessageLength));
  std::memcpy(server_msg, str, msg_length);
  server_msg[msg_length] = '\0';
  // A cursor left behind by a longer message must not read the old text.
  msg_index = std::min(msg_index, msg_length);
}

void Parase::Par_Info() {
  msg_index = 0;
  const int tmp_lfrp = wm::lfrp_count;
  const int tmp_rfrp = wm::rfrp_count;
  while (msg_index < msg_length) {
    // Characters that start no keyword only advance the cursor; the
    // terminating NUL stops this loop.
    while (!kIndex.stops_scan[static_cast<unsigned char>(server_msg[msg_index])]) ++msg_index;
    if (msg_index >= msg_length) break;
    const int row = Find_Keyword();
    if (row >= 0) {
      Run_Keyword(row);
      Skip(kKeywords[row].extra_skip);
    }
    Skip(1);
  }
  CountFootReadings(tmp_lfrp, tmp_rfrp);
  LocateSelf();
}

double Parase::Get_Double() {
  while (server_msg[msg_index] != '\0' && !IsNumberChar(server_msg[msg_index])) ++msg_index;
  const int start = msg_index;
  while (IsNumberChar(server_msg[msg_index])) ++msg_index;
  return ToDouble(server_msg + start, std::min(msg_index - start, kMaxNumberLength));
}

bool Parase::no_dig() {
  return !IsNumberChar(server_msg[msg_index]);
}

bool Parase::Is_Same(std::string str) {
  return Match(str.data(), str.size());
}

PlayModeT Parase::Get_Play_Mode() {
  Skip(1);
  for (const PlayModeName& name : kPlayModeNames) {
    if (Match(name.text, std::strlen(name.text))) {
      return wm::is_side_left ? name.when_side_left : name.when_side_right;
    }
  }
  return PM_ILLEGAL;
}

void Parase::Skip(int count) {
  msg_index = std::min(msg_index + count, msg_length);
}

// Compares byte for byte from the cursor and stops at the first difference or
// at the end of the text, so nothing past the terminating NUL is read.
bool Parase::Match(const char* word, size_t size) {
  const char* text = server_msg + msg_index;
  for (size_t k = 0; k < size; ++k) {
    if (text[k] != word[k] || text[k] == '\0') return false;
  }
  msg_index += static_cast<int>(size);
  return true;
}

int Parase::Find_Keyword() {
  const unsigned char c = static_cast<unsigned char>(server_msg[msg_index]);
  const unsigned char next = static_cast<unsigned char>(server_msg[msg_index + 1]);
  if (!kIndex.Pair_Starts_Keyword(c, next)) return -1;
  const int end = kIndex.first[c] + kIndex.count[c];
  for (int i = kIndex.first[c]; i < end; ++i) {
    const int row = kIndex.rows[i];
    if (kIndex.seconds[row] != static_cast<char>(next)) continue;
    if (NamesATag(kKeywords[row].action.act) &&
        (msg_index == 0 || server_msg[msg_index - 1] != '(')) {
      continue;
    }
    if (Match(kKeywords[row].text, kIndex.sizes[row])) return row;
  }
  return -1;
}

void Parase::Run_Keyword(int row) {
  const Action& action = kKeywords[row].action;
  switch (action.act) {
    case Act::kGyro:
      wm::gyr.x = Get_Double();
      wm::gyr.y = Get_Double();
      wm::gyr.z = Get_Double();
      break;
    case Act::kAngle:
      wm::agent.set_cur_ang(action.joint, Get_Double());
      break;
    case Act::kSimTime:
      wm::Sim_Time = static_cast<Time>(Get_Double());
      break;
    case Act::kGameTime:
      wm::Gam_Time = static_cast<Time>(Get_Double());
      break;
    case Act::kPlayMode:
      wm::pm = Get_Play_Mode();
      break;
    case Act::kPolar:
      Skip(action.lead_skip);
      ReadPolar(*this, *action.polar);
      break;
    case Act::kBall:
      ReadPolar(*this, wm::pol_ball);
      UpdateBallDistance();
      break;
    case Act::kFoot:
      ReadFoot(*this, *action.foot);
      ++*action.foot_count;
      break;
    case Act::kSkipTag:
      Skip_Rest_Of_Tag();
      break;
  }
}

// Moves the cursor onto the ')' that closes the tag it is in, passing over
// any tags nested in it, or onto the end of the text.
void Parase::Skip_Rest_Of_Tag() {
  for (int depth = 0; msg_index < msg_length; ++msg_index) {
    const char c = server_msg[msg_index];
    if (c == '(') ++depth;
    if (c == ')' && depth-- == 0) return;
  }
}
