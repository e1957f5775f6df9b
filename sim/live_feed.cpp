#include "live_feed.h"

#include "json.h"

namespace fieldsim {
namespace {

constexpr int kMaxRobots = 2 * 11;  // two teams of eleven: the records a page makes room for
constexpr std::size_t kPiecesAtOnce = 50;

std::string event(const char* name, const std::string& data) {
  return std::string("event: ") + name + "\ndata: " + data + "\n\n";
}

std::string framesEvent(const char* name, const std::vector<std::int16_t>& words) {
  std::string bytes;
  appendVarints(words, bytes);
  return event(name, base64(bytes));
}

}  // namespace

LiveFeed::LiveFeed() : thread_([this] { encodeQueued(); }) {}

LiveFeed::~LiveFeed() {
  {
    std::lock_guard<std::mutex> lock(handover_mutex_);
    stopping_ = true;
  }
  handover_changed_.notify_all();
  thread_.join();
  close();
}

void LiveFeed::add(Snapshot snapshot) {
  {
    std::lock_guard<std::mutex> lock(handover_mutex_);
    if (handover_.snapshots.size() >= kMaxPendingSnapshots) handover_.snapshots.pop_front();
    handover_.snapshots.push_back(std::move(snapshot));
  }
  handover_changed_.notify_one();
}

void LiveFeed::end(Snapshot last, const std::string& status, const std::string& reason) {
  {
    std::lock_guard<std::mutex> lock(handover_mutex_);
    handover_.snapshots.push_back(std::move(last));
    handover_.ending = true;
    handover_.end_event =
        event("end", "{\"status\":" + jsonString(status) + ",\"reason\":" + jsonString(reason) + "}");
  }
  handover_changed_.notify_one();
}

void LiveFeed::encodeQueued() {
  std::unique_lock<std::mutex> lock(handover_mutex_);
  for (;;) {
    handover_changed_.wait(lock, [this] {
      return stopping_ || handover_.ending || !handover_.snapshots.empty();
    });
    if (!handover_.snapshots.empty()) {
      std::deque<Snapshot> batch;
      batch.swap(handover_.snapshots);
      lock.unlock();
      for (const Snapshot& snapshot : batch) publish(snapshot);
      lock.lock();
      continue;
    }
    if (handover_.ending) {
      handover_.ending = false;
      std::lock_guard<std::mutex> ring_lock(ring_mutex_);
      end_ = std::make_shared<const std::string>(handover_.end_event);
      ring_changed_.notify_all();
    }
    if (stopping_) return;
  }
}

// The game's last state comes again at its end when its cycle had a frame.
void LiveFeed::publish(const Snapshot& snapshot) {
  if (snapshot.cycle == last_cycle_) return;
  last_cycle_ = snapshot.cycle;
  changes_.clear();
  values_.clear();
  encoder_.encode(snapshot, changes_, &values_);
  auto frame = std::make_shared<Frame>();
  frame->key = framesEvent("key", values_);
  frame->delta = framesEvent("delta", changes_);
  std::string header = event("header", encoder_.header(0, kMaxRobots));
  {
    std::lock_guard<std::mutex> lock(ring_mutex_);
    if (!header_ || *header_ != header) {
      header_ = std::make_shared<const std::string>(std::move(header));
      ++header_version_;
    }
    frame->sequence = next_sequence_++;
    ring_.push_back(std::move(frame));
    if (ring_.size() > kRingFrames) ring_.pop_front();
  }
  ring_changed_.notify_all();
}

std::vector<LiveFeed::Piece> LiveFeed::next(Cursor& cursor, std::chrono::milliseconds wait) {
  std::vector<Piece> pieces;
  std::unique_lock<std::mutex> lock(ring_mutex_);
  ring_changed_.wait_for(lock, wait, [&] { return anythingFor(cursor); });
  if (closed_) {
    cursor.ended = true;
    return pieces;
  }
  if (header_ && cursor.header_version != header_version_) {
    pieces.push_back(header_);
    cursor.header_version = header_version_;
  }
  if (!ring_.empty()) {
    pickStart(cursor);
    const std::uint64_t first = ring_.front()->sequence;
    for (std::size_t i = cursor.next - first; i < ring_.size() && pieces.size() < kPiecesAtOnce;
         ++i) {
      const std::shared_ptr<const Frame>& frame = ring_[i];
      pieces.emplace_back(frame, cursor.has_previous ? &frame->delta : &frame->key);
      cursor.has_previous = true;
      cursor.next = frame->sequence + 1;
    }
  }
  if (end_ && !cursor.ended && cursor.next == next_sequence_) {
    pieces.push_back(end_);
    cursor.ended = true;
  }
  return pieces;
}

// A new stream begins with the oldest frame of the ring, so that its page
// can scrub back; afterwards it skips to the newest frame when it fell out
// of the ring, or lags more than kMaxLagFrames behind.
void LiveFeed::pickStart(Cursor& cursor) const {
  const std::uint64_t first = ring_.front()->sequence;
  const std::uint64_t newest = ring_.back()->sequence;
  if (!cursor.started) {
    cursor.started = true;
    cursor.next = first;
    cursor.caught_up_at = newest;
    return;
  }
  const bool out_of_ring = cursor.next < first;
  const bool lagging = cursor.next > cursor.caught_up_at && newest >= cursor.next + kMaxLagFrames;
  if (out_of_ring || lagging) {
    cursor.next = newest;
    cursor.has_previous = false;
  }
}

bool LiveFeed::anythingFor(const Cursor& cursor) const {
  return closed_ || (header_ && cursor.header_version != header_version_) ||
         (!ring_.empty() && (!cursor.started || cursor.next <= ring_.back()->sequence)) ||
         (end_ && !cursor.ended);
}

void LiveFeed::close() {
  {
    std::lock_guard<std::mutex> lock(ring_mutex_);
    closed_ = true;
  }
  ring_changed_.notify_all();
}

}  // namespace fieldsim
