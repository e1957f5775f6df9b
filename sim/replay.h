// The replay page of a game: one HTML file holding the viewer (three.js and
// the page's scripts, built into fieldsim) and the game, a frame every second
// cycle and one of the last cycle. It opens from the file alone, without a
// server or network.
//
// The game's frames are a stream of 16-bit words, each written as a zigzag
// varint (7 bits a byte, low bits first, the sign in the lowest bit), then
// gzipped and base64-encoded into the page:
//   frame:  cycle (low, high), time in ms (low, high), play mode, left score,
//           right score, ball x, y, z (mm), number of robot records n,
//           then n robot records;
//   record: flags (on the field, fallen), torso height (mm), left and right
//           foot force (0.1 N), and per part x, y, z (mm) and the
//           orientation w, x, y, z (times kQuaternionScale).
// Record i is always the same robot (the page's header lists them), and
// holds each word's change since that robot's previous record, so that
// parts at rest cost nothing after compression. A key frame (the live
// stream's, see live.h) holds the values themselves: the changes since
// zeros, so that it needs no frame before it. The page's header carries
// every fact of this layout the viewer needs (the frame's words by name,
// the record's word offsets, the flags, the scales, which part is the
// torso) and the field's sizes, so that the viewer holds none of them.
#ifndef FIELDSIM_REPLAY_H
#define FIELDSIM_REPLAY_H

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "snapshot.h"

namespace fieldsim {

// The words of a robot's record; the parts' poses follow, kPoseWords each
// (x, y, z, then the orientation from kOrientationWord on).
enum RecordWord {
  kFlagsWord,
  kTorsoHeightWord,
  kLeftFootForceWord,
  kRightFootForceWord,
  kFirstPartWord
};
constexpr int kPoseWords = 7;
constexpr int kOrientationWord = 3;
constexpr int kRecordWords = kFirstPartWord + kPoseWords * kPartCount;
constexpr int kOnFieldFlag = 1;
constexpr int kFallenFlag = 2;
constexpr int kCyclesPerFrame = 2;
constexpr double kQuaternionScale = 16384;

// The page with "{{HEADER}}" and "{{DATA}}" where the game goes (generated
// at build time from sim/replay/).
std::string_view replayPageTemplate();

// Turns snapshots into frames of words; each robot keeps the record slot in
// which it first appeared.
class FrameEncoder {
 public:
  // Appends the snapshot's frame to `changes` and, unless null, its key
  // frame to `values`.
  void encode(const Snapshot& snapshot, std::vector<std::int16_t>& changes,
              std::vector<std::int16_t>* values);
  // The page's header: the field, the teams, the parts, the robots, the
  // layout and the scales; `frames` frames of `slots` records at most.
  std::string header(int frames, int slots) const;
  int slots() const { return static_cast<int>(slots_.size()); }

 private:
  struct Slot {
    TeamSide side;
    int number;
    std::array<std::int16_t, kRecordWords> last{};
  };

  int slotOf(const RobotSnapshot& robot);
  static void encodeRecord(Slot& slot, const RobotSnapshot* robot,
                           std::vector<std::int16_t>& changes, std::vector<std::int16_t>* values);

  std::vector<Slot> slots_;
  std::array<std::string, 2> teams_;
  double ball_radius_ = 0;
};

// Appends the words as zigzag varints: 7 bits a byte, low bits first, the
// sign in the lowest bit, so that small changes of either sign take a byte.
void appendVarints(const std::vector<std::int16_t>& words, std::string& bytes);
std::string base64(const std::string& bytes);

class ReplayEncoder;

// Encodes and compresses the snapshots on a thread of its own, so that the
// game waits for neither.
class ReplayWriter {
 public:
  // Opens the file; ok() tells whether that worked.
  explicit ReplayWriter(const std::string& path);
  ~ReplayWriter();
  ReplayWriter(const ReplayWriter&) = delete;
  ReplayWriter& operator=(const ReplayWriter&) = delete;

  // The cycles that get a frame: every second one, which halves the cost of
  // the replay to the game and the page's size, and still shows 25 frames a
  // second of play.
  static bool records(int cycle) { return cycle % kCyclesPerFrame == 0; }
  bool ok() const { return static_cast<bool>(out_); }
  void add(Snapshot snapshot);
  // Adds the game's last state unless it has its frame already, and writes
  // the page once every snapshot is encoded; false when the file could not
  // be written.
  bool finish(Snapshot last);

 private:
  void encodeQueued();
  void stop();

  std::ofstream out_;
  std::unique_ptr<ReplayEncoder> encoder_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Snapshot> queue_;
  bool closing_ = false;
  int last_cycle_ = -1;
  std::thread thread_;
};

}  // namespace fieldsim

#endif
