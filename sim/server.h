// The network side: listens for agents, registers them, and runs the game
// loop that sends perceptions and applies the replies.
#ifndef FIELDSIM_SERVER_H
#define FIELDSIM_SERVER_H

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "frame.h"
#include "live_server.h"
#include "options.h"
#include "progress.h"
#include "replay.h"
#include "result.h"
#include "world.h"

namespace fieldsim {

class Server {
 public:
  explicit Server(Options options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Runs a whole game and writes its result file, however it ends; returns
  // the process exit status.
  int run();

 private:
  using Clock = std::chrono::steady_clock;

  struct Connection {
    int id = 0;
    int fd = -1;
    FrameReader reader;
    std::string outbox;
    enum class State { kScene, kInit, kPlaying } state = State::kScene;
    int robot = -1;  // its robot's id in the world, once it has joined
    bool awaiting_reply = false;
  };

  // Why the game could not start, or nothing.
  std::string prepare();
  bool listenOn(int port);
  std::string serveLive();
  bool waitForAgents();
  void warnOfAbsentPushes() const;
  GameEnd play();
  void playCycle();
  double secondsSinceKickOff() const;
  void applyPushes();
  void reportFalls(std::size_t events_before);
  // The replay's and the live pages' frame of the cycle just played.
  void record();
  void sendPerceptions();
  // Handles the network until the deadline, or in sync mode until every
  // agent that was sent a perception has answered.
  void pump(Clock::time_point deadline, bool until_answered);
  bool anyAwaiting() const;
  int playingCount() const;
  void acceptAll();
  void receive(Connection& connection);
  void handle(Connection& connection, const std::string& text);
  void handleScene(Connection& connection, const ParsedMessage& message);
  void handleInit(Connection& connection, const ParsedMessage& message);
  void handlePlaying(Connection& connection, const ParsedMessage& message);
  void send(Connection& connection, const std::string& text);
  void flush(Connection& connection);
  // Ends the connection with a line on standard error; the robot leaves.
  void drop(Connection& connection, const std::string& reason);
  // Ends the connection; the robot leaves the field.
  void leave(Connection& connection);
  void close(Connection& connection);
  void removeClosed();
  std::string who(const Connection& connection) const;
  // The summary and the game's files, the result last; the exit status: 1
  // when a file could not be written.
  int finish(const GameEnd& end);
  bool writeResultFile(const GameEnd& end);
  // Prints where a file was written, or an error line; returns `written`.
  static bool tellWritten(bool written, const char* what, const std::string& path);

  Options options_;
  World world_;
  Clock::time_point kick_off_time_;
  int listener_ = -1;
  int next_id_ = 1;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::ofstream trace_;
  std::ofstream svg_;  // written at the end, opened at the start
  std::unique_ptr<ReplayWriter> replay_;
  std::unique_ptr<ProgressDisplay> progress_;
  std::unique_ptr<LiveServer> live_;
};

// The handler of SIGINT and SIGTERM: the game ends at the next cycle.
void requestStop(int signal);

}  // namespace fieldsim

#endif
