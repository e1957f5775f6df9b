// fieldsim --live: the game's viewer over HTTP while the game is played
// (cpp-httplib, one thread of its pool per connection). Two paths only: `/`,
// the replay page in its live mode, and `/stream`, the game's frames as
// server-sent events (live_feed.h), to at most kMaxStreams pages at once; one
// more gets 503. Any other path is 404: no file of the machine is served,
// and nothing a browser sends reaches the game.
#ifndef FIELDSIM_LIVE_SERVER_H
#define FIELDSIM_LIVE_SERVER_H

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "live_feed.h"

namespace httplib {
class Server;
class DataSink;
}  // namespace httplib

namespace fieldsim {

constexpr int kMaxStreams = 64;
constexpr const char* kLiveStreamPath = "/stream";

class LiveServer {
 public:
  LiveServer();
  ~LiveServer();
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  // Listens on HOST:PORT (0 picks a free port); false when it cannot.
  bool start(const std::string& host, int port);
  int port() const { return port_; }
  // The page's address, http://HOST:PORT/.
  std::string address() const;
  // Hands a recorded cycle to the pages; never waits for them.
  void add(Snapshot snapshot) { feed_.add(std::move(snapshot)); }
  // The game is over: the pages get its last state and the end.
  void end(Snapshot last, const std::string& status, const std::string& reason) {
    feed_.end(std::move(last), status, reason);
  }
  // Gives the pages a moment to take the end, then stops serving.
  void close();
  int openStreams() const { return streams_; }

 private:
  bool takeStream();
  bool sendSome(LiveFeed::Cursor& cursor, httplib::DataSink& sink);
  void stop();

  LiveFeed feed_;
  std::unique_ptr<httplib::Server> http_;
  std::thread listener_;
  std::atomic<int> streams_{0};
  std::string page_;
  std::string gzipped_page_;
  std::string host_;
  int port_ = -1;
};

}  // namespace fieldsim

#endif
