#include "replay.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "formatted.h"
#include "json.h"

namespace fieldsim {
namespace {

constexpr double kMillimetres = 1000;
constexpr double kDecinewtons = 10;
constexpr double kMilliseconds = 1000;
// The words that begin a frame, in the order written (ReplayEncoder::add).
constexpr const char* kFrameWords[] = {"cycleLow", "cycleHigh", "timeLow",  "timeHigh",
                                       "mode",     "leftScore", "rightScore", "ballX",
                                       "ballY",    "ballZ",     "robots"};
constexpr int kGzipWindowBits = 15 + 16;  // deflate's largest window, gzip's wrapping
constexpr int kCompressionLevel = 1;      // three times faster than 6 on replays, 8 % larger
// Snapshots go to the writer's thread in batches, which wakes it up less often.
constexpr std::size_t kBatch = 25;
constexpr std::size_t kMaxQueued = 250;  // about 8 MB for 22 robots

std::int16_t quantised(double value, double scale) {
  return static_cast<std::int16_t>(std::clamp(std::lround(value * scale), -32768L, 32767L));
}

const char* shapeName(Shape shape) {
  switch (shape) {
    case Shape::kBox:
      return "box";
    case Shape::kSphere:
      return "sphere";
    case Shape::kCapsule:
      return "capsule";
  }
  return "box";
}

std::string partsJson() {
  std::string out = "[";
  for (int p = 0; p < kPartCount; ++p) {
    const PartInfo& info = partInfo(p);
    out += formatted("%s{\"name\":\"%s\",\"shape\":\"%s\",\"size\":[%g,%g,%g]}", p ? "," : "",
                     info.name, shapeName(info.shape), info.size.x, info.size.y, info.size.z);
  }
  return out + "]";
}

std::string modesJson() {
  std::string out = "[";
  for (PlayMode mode : {PlayMode::kBeforeKickOff, PlayMode::kKickOffLeft, PlayMode::kKickOffRight,
                        PlayMode::kPlayOn, PlayMode::kGoalLeft, PlayMode::kGoalRight}) {
    out += formatted("%s\"%s\"", out.size() > 1 ? "," : "", playModeName(mode));
  }
  return out + "]";
}

// Where the viewer finds each value: a frame's first words by name, the
// word offsets of a robot's record and the flags' bits.
std::string layoutJson() {
  std::string frame = "[";
  for (const char* word : kFrameWords) frame += formatted("%s\"%s\"", frame.size() > 1 ? "," : "", word);
  return "{\"frame\":" + frame + "]" +
         formatted(
             ",\"record\":{\"words\":%d,\"flags\":%d,\"torsoHeight\":%d,\"leftFootForce\":%d,"
             "\"rightFootForce\":%d,\"firstPart\":%d,\"partWords\":%d,\"orientation\":%d},"
             "\"flags\":{\"onField\":%d,\"fallen\":%d}}",
             kRecordWords, kFlagsWord, kTorsoHeightWord, kLeftFootForceWord, kRightFootForceWord,
             kFirstPartWord, kPoseWords, kOrientationWord, kOnFieldFlag, kFallenFlag);
}

void appendSplit(std::vector<std::int16_t>& words, std::uint32_t value) {
  words.push_back(static_cast<std::int16_t>(value & 0xffff));
  words.push_back(static_cast<std::int16_t>(value >> 16));
}

}  // namespace

std::string base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[group >> (18 - 6 * k) & 63] : '=';
    }
  }
  return out;
}

void appendVarints(const std::vector<std::int16_t>& words, std::string& bytes) {
  for (std::int16_t word : words) {
    const auto bits = static_cast<std::uint16_t>(word);
    auto zigzag = static_cast<std::uint16_t>((bits << 1) ^ (word < 0 ? 0xffff : 0));
    for (; zigzag >= 0x80; zigzag >>= 7) bytes += static_cast<char>((zigzag & 0x7f) | 0x80);
    bytes += static_cast<char>(zigzag);
  }
}

void FrameEncoder::encode(const Snapshot& snapshot, std::vector<std::int16_t>& changes,
                          std::vector<std::int16_t>* values) {
  teams_ = snapshot.teams;
  ball_radius_ = snapshot.ball_radius;
  std::vector<const RobotSnapshot*> by_slot(slots_.size(), nullptr);
  for (const RobotSnapshot& robot : snapshot.robots) {
    const int slot = slotOf(robot);
    by_slot.resize(slots_.size(), nullptr);
    by_slot[slot] = &robot;
  }
  const std::size_t start = changes.size();
  appendSplit(changes, static_cast<std::uint32_t>(snapshot.cycle));
  appendSplit(changes, static_cast<std::uint32_t>(std::lround(snapshot.time * kMilliseconds)));
  changes.push_back(static_cast<std::int16_t>(snapshot.mode));
  changes.push_back(static_cast<std::int16_t>(snapshot.score[0]));
  changes.push_back(static_cast<std::int16_t>(snapshot.score[1]));
  for (double coordinate : {snapshot.ball.x, snapshot.ball.y, snapshot.ball.z}) {
    changes.push_back(quantised(coordinate, kMillimetres));
  }
  changes.push_back(static_cast<std::int16_t>(slots_.size()));
  if (values != nullptr) values->insert(values->end(), changes.begin() + start, changes.end());
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    encodeRecord(slots_[i], by_slot[i], changes, values);
  }
}

int FrameEncoder::slotOf(const RobotSnapshot& robot) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].side == robot.side && slots_[i].number == robot.number) {
      return static_cast<int>(i);
    }
  }
  slots_.push_back({robot.side, robot.number, {}});
  return static_cast<int>(slots_.size() - 1);
}

// A robot off the field keeps its last values, flagged as gone.
void FrameEncoder::encodeRecord(Slot& slot, const RobotSnapshot* robot,
                                std::vector<std::int16_t>& changes,
                                std::vector<std::int16_t>* values) {
  std::array<std::int16_t, kRecordWords> now = slot.last;
  now[kFlagsWord] = 0;
  if (robot != nullptr) {
    now[kFlagsWord] = static_cast<std::int16_t>(kOnFieldFlag | (robot->fallen ? kFallenFlag : 0));
    now[kTorsoHeightWord] = quantised(robot->torso_height, kMillimetres);
    now[kLeftFootForceWord] = quantised(robot->left_foot_force, kDecinewtons);
    now[kRightFootForceWord] = quantised(robot->right_foot_force, kDecinewtons);
    for (int p = 0; p < kPartCount; ++p) {
      const PartPose& pose = robot->parts[p];
      std::int16_t* part = &now[kFirstPartWord + kPoseWords * p];
      const std::int16_t* before = &slot.last[kFirstPartWord + kPoseWords * p + kOrientationWord];
      // q and -q are the same turn: keep the sign nearest the last one, so
      // that changes stay small.
      const Quat& q = pose.orientation;
      const double dot = q.w * before[0] + q.x * before[1] + q.y * before[2] + q.z * before[3];
      const double sign = dot < 0 ? -1 : 1;
      const double position[3] = {pose.position.x, pose.position.y, pose.position.z};
      const double turn[4] = {sign * q.w, sign * q.x, sign * q.y, sign * q.z};
      for (int k = 0; k < 3; ++k) part[k] = quantised(position[k], kMillimetres);
      for (int k = 0; k < 4; ++k) part[kOrientationWord + k] = quantised(turn[k], kQuaternionScale);
    }
  }
  for (int k = 0; k < kRecordWords; ++k) {
    changes.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(now[k]) -
                                                static_cast<std::uint16_t>(slot.last[k])));
  }
  if (values != nullptr) values->insert(values->end(), now.begin(), now.end());
  slot.last = now;
}

std::string FrameEncoder::header(int frames, int slots) const {
  std::string robots = "[";
  for (const Slot& slot : slots_) {
    const bool left = slot.side == TeamSide::kLeft;
    robots += formatted("%s{\"label\":\"%c%d\",\"side\":\"%s\",\"number\":%d}",
                        robots.size() > 1 ? "," : "", left ? 'L' : 'R', slot.number,
                        left ? "left" : "right", slot.number);
  }
  robots += "]";
  return formatted(
             "{\"format\":1,\"frames\":%d,\"slots\":%d,\"cycleSeconds\":%g,"
             "\"field\":{\"halfLength\":%g,\"halfWidth\":%g,\"goalHalfWidth\":%g,"
             "\"goalHeight\":%g,\"goalDepth\":%g,\"centreCircleRadius\":%g,\"ballRadius\":%g},",
             frames, slots, kCycleSeconds, kFieldHalfLength, kFieldHalfWidth, kGoalHalfWidth,
             kGoalHeight, kGoalDepth, kCentreCircleRadius, ball_radius_) +
         "\"teams\":[" + jsonString(teams_[0]) + "," + jsonString(teams_[1]) + "]," +
         "\"modes\":" + modesJson() + ",\"parts\":" + partsJson() +
         formatted(",\"torso\":%d,\"robots\":", kTorso) + robots + ",\"layout\":" + layoutJson() +
         formatted(
             ",\"scale\":{\"position\":%g,\"quaternion\":%g,\"force\":%g,\"time\":%g}}",
             kMillimetres, kQuaternionScale, kDecinewtons, kMilliseconds);
}

// Compresses the frames into the replay's stream.
class ReplayEncoder {
 public:
  ReplayEncoder() {
    deflateInit2(&zip_, kCompressionLevel, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY);
  }
  ~ReplayEncoder() { deflateEnd(&zip_); }
  ReplayEncoder(const ReplayEncoder&) = delete;
  ReplayEncoder& operator=(const ReplayEncoder&) = delete;

  void add(const Snapshot& snapshot) {
    words_.clear();
    frames_.encode(snapshot, words_, nullptr);
    compress(Z_NO_FLUSH);
    ++frame_count_;
  }
  std::string header() const { return frames_.header(frame_count_, frames_.slots()); }
  // Ends the compressed stream and returns it.
  const std::string& finish() {
    words_.clear();
    compress(Z_FINISH);
    return compressed_;
  }

 private:
  void compress(int flush);

  z_stream zip_{};
  FrameEncoder frames_;
  std::vector<std::int16_t> words_;
  std::string bytes_;
  std::string compressed_;
  int frame_count_ = 0;
};

void ReplayEncoder::compress(int flush) {
  bytes_.clear();
  appendVarints(words_, bytes_);
  zip_.next_in = reinterpret_cast<Bytef*>(bytes_.data());
  zip_.avail_in = static_cast<uInt>(bytes_.size());
  char chunk[64 * 1024];
  do {
    zip_.next_out = reinterpret_cast<Bytef*>(chunk);
    zip_.avail_out = sizeof chunk;
    deflate(&zip_, flush);
    compressed_.append(chunk, sizeof chunk - zip_.avail_out);
  } while (zip_.avail_out == 0);
}

ReplayWriter::ReplayWriter(const std::string& path)
    : out_(path, std::ios::binary), encoder_(std::make_unique<ReplayEncoder>()) {
  thread_ = std::thread([this] { encodeQueued(); });
}

ReplayWriter::~ReplayWriter() {
  stop();
}

void ReplayWriter::add(Snapshot snapshot) {
  std::unique_lock<std::mutex> lock(mutex_);
  // A writer that falls behind holds the game up rather than the memory.
  changed_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
  last_cycle_ = snapshot.cycle;
  queue_.push_back(std::move(snapshot));
  if (queue_.size() >= kBatch) changed_.notify_all();
}

void ReplayWriter::encodeQueued() {
  std::deque<Snapshot> batch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || queue_.size() >= kBatch; });
    if (queue_.empty()) return;
    batch.swap(queue_);
    changed_.notify_all();
    lock.unlock();
    for (const Snapshot& snapshot : batch) encoder_->add(snapshot);
    batch.clear();
    lock.lock();
  }
}

void ReplayWriter::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool ReplayWriter::finish(Snapshot last) {
  if (last.cycle != last_cycle_) add(std::move(last));
  stop();
  const std::string& compressed = encoder_->finish();
  const std::string_view page = replayPageTemplate();
  const std::size_t header_at = page.find("{{HEADER}}");
  const std::size_t data_at = page.find("{{DATA}}");
  out_ << page.substr(0, header_at) << encoder_->header()
       << page.substr(header_at + 10, data_at - header_at - 10) << base64(compressed)
       << page.substr(data_at + 8);
  out_.close();
  return !out_.fail();
}

}  // namespace fieldsim
