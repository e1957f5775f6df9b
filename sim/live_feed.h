// The frames of a game as it is played, for the pages that watch it live
// (live_server.h serves them).
//
// The game never waits for a page: `add` only hands a snapshot over, into a
// queue that drops its oldest snapshot when the encoder falls behind. The
// encoder's thread turns each snapshot into a frame (replay.h's words) in
// two forms, its changes since the frame before and a key frame that holds
// the values, and publishes it in a ring of the last kRingFrames frames,
// shared and never changed once published. Each stream reads the ring at
// its own pace through a Cursor: it sends a frame's changes when the page
// holds the frame before, a key frame otherwise (its first frame, and after
// a skip). A stream that falls behind, out of the ring or more than
// kMaxLagFrames after the newest frame once it has sent the past it found,
// skips to the newest frame.
//
// What a stream sends is server-sent events (text/event-stream):
//   event: header  data: the page's header (JSON, as the replay's), first,
//                  and again whenever the robots or the teams change;
//   event: key     data: a key frame's words as varints, base64;
//   event: delta   data: the changes since the frame sent before, likewise;
//   event: end     data: {"status": ..., "reason": ...}, the game is over;
// and a comment line when there has been nothing to send for a while, so
// that a page that has gone is noticed.
#ifndef FIELDSIM_LIVE_FEED_H
#define FIELDSIM_LIVE_FEED_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "replay.h"

namespace fieldsim {

// 40 s of play at a frame every second cycle: a page that opens late can
// scrub back at least 30 s.
constexpr std::size_t kRingFrames = 1000;
constexpr std::uint64_t kMaxLagFrames = 50;  // two seconds of play
// Snapshots waiting for the encoder; more and the oldest is dropped.
constexpr std::size_t kMaxPendingSnapshots = 50;

class LiveFeed {
 public:
  using Piece = std::shared_ptr<const std::string>;

  // Where one stream is: what its page holds.
  struct Cursor {
    std::uint64_t next = 0;  // the sequence number of the next frame to send
    std::uint64_t caught_up_at = 0;  // the newest frame when the stream began
    bool started = false;
    bool has_previous = false;  // the page holds frame next - 1
    int header_version = 0;
    bool ended = false;  // the end was sent
  };

  LiveFeed();
  ~LiveFeed();
  LiveFeed(const LiveFeed&) = delete;
  LiveFeed& operator=(const LiveFeed&) = delete;

  // Called by the game; never blocks on a page or on the encoder.
  void add(Snapshot snapshot);
  // The game is over: `last` is its last state (dropped when its cycle has
  // a frame already); the streams send the end after the last frame.
  void end(Snapshot last, const std::string& status, const std::string& reason);

  // The events the stream sends next, waiting up to `wait` for some; empty
  // when there was nothing new. After the end has been returned, or once
  // closed, the cursor's `ended` is true.
  std::vector<Piece> next(Cursor& cursor, std::chrono::milliseconds wait);
  // Wakes every stream up for good.
  void close();

 private:
  struct Frame {
    std::uint64_t sequence;
    std::string key;    // whole events, ready to send
    std::string delta;
  };
  struct Handover {
    std::deque<Snapshot> snapshots;
    bool ending = false;
    std::string end_event;
  };

  void encodeQueued();
  void publish(const Snapshot& snapshot);
  void pickStart(Cursor& cursor) const;
  bool anythingFor(const Cursor& cursor) const;

  FrameEncoder encoder_;
  std::vector<std::int16_t> changes_;
  std::vector<std::int16_t> values_;
  int last_cycle_ = -1;  // encoder thread only

  std::mutex handover_mutex_;
  std::condition_variable handover_changed_;
  Handover handover_;
  bool stopping_ = false;

  mutable std::mutex ring_mutex_;
  std::condition_variable ring_changed_;
  std::deque<std::shared_ptr<const Frame>> ring_;
  std::uint64_t next_sequence_ = 0;
  Piece header_;
  int header_version_ = 0;
  Piece end_;  // set once the last frame is in the ring
  bool closed_ = false;

  std::thread thread_;
};

}  // namespace fieldsim

#endif
