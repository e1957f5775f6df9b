#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <iostream>

#include "kinematic.h"
#include "perception.h"
#include "physics.h"
#include "progress.h"
#include "report.h"

namespace fieldsim {
namespace {

volatile std::sig_atomic_t stop_requested = 0;  // the signal's number

constexpr const char* kScene = "rsg/agent/nao/nao.rsg";
constexpr int kMaxNumber = 11;
constexpr auto kRealtimeCycle = std::chrono::milliseconds(20);
constexpr int kProgressEvery = 50;  // cycles: one simulated second

bool setNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

std::string stopReason() {
  const char* name = stop_requested == SIGINT    ? "SIGINT"
                     : stop_requested == SIGTERM ? "SIGTERM"
                                                 : "a signal";
  return std::string("ended by ") + name;
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count() + 1));
}

}  // namespace

// The first signal is the one the game ends by; Ctrl-C from a terminal may
// be followed by the SIGTERM of a script that passes it on.
void requestStop(int signal) {
  if (stop_requested == 0) stop_requested = signal;
}

namespace {

std::unique_ptr<Dynamics> makeDynamics(const Options& options) {
  if (options.world == WorldKind::kKinematic) return std::make_unique<KinematicDynamics>();
  return std::make_unique<PhysicsDynamics>(options.physics);
}

}  // namespace

Server::Server(Options options)
    : options_(std::move(options)), world_(options_.ball, makeDynamics(options_)) {}

Server::~Server() {
  for (auto& connection : connections_) close(*connection);
  if (listener_ >= 0) ::close(listener_);
}

int Server::run() {
  if (const std::string error = prepare(); !error.empty()) {
    std::cerr << "fieldsim: " << error << "\n";
    writeResultFile({"error", error});
    return 1;
  }
  if (!waitForAgents()) {
    const std::string reason =
        stop_requested ? stopReason() + " before any agent registered" : "no agent registered";
    std::cerr << "fieldsim: " << reason << ", no game\n";
    writeResultFile({"no-agents", reason});
    if (live_) {
      live_->end(takeSnapshot(world_), "no-agents", reason);
      live_->close();
    }
    return 1;
  }
  warnOfAbsentPushes();
  const int status = finish(play());
  // The pages were sent the end before the summary and the files.
  if (live_) live_->close();
  return status;
}

// Every file is opened before the port is listened on, so that no agent
// joins a game that cannot keep its record (the result file was tried with
// the options).
std::string Server::prepare() {
  if (!options_.trace_file.empty()) {
    trace_.open(options_.trace_file);
    if (!trace_) return "cannot write " + options_.trace_file;
  }
  if (!options_.svg_file.empty()) {
    svg_.open(options_.svg_file);
    if (!svg_) return "cannot write " + options_.svg_file;
  }
  if (!options_.replay_file.empty()) {
    replay_ = std::make_unique<ReplayWriter>(options_.replay_file);
    if (!replay_->ok()) return "cannot write " + options_.replay_file;
  }
  if (!options_.progress_file.empty()) {
    progress_ = std::make_unique<ProgressDisplay>(options_.progress_file);
    if (!progress_->ok()) return "cannot write " + options_.progress_file;
  }
  if (options_.live_port >= 0) {
    if (const std::string error = serveLive(); !error.empty()) return error;
  }
  if (!listenOn(options_.port)) return "cannot listen on port " + std::to_string(options_.port);
  return "";
}

std::string Server::serveLive() {
  const std::string host = options_.live_host.empty() ? "127.0.0.1" : options_.live_host;
  live_ = std::make_unique<LiveServer>();
  if (!live_->start(host, options_.live_port)) {
    return "cannot serve the live page on " + host + ":" + std::to_string(options_.live_port);
  }
  if (!options_.live_host.empty()) {
    std::cerr << "fieldsim: warning: the live page is served on " << host
              << ": anyone who can reach that address can watch the game\n";
  }
  std::cout << "fieldsim: live at " << live_->address() << "\n" << std::flush;
  return "";
}

// A push of a robot that is not there does nothing (its event says so); said
// at the kick-off, since a mistyped label would otherwise go unnoticed.
void Server::warnOfAbsentPushes() const {
  for (const Push& push : options_.pushes) {
    const Robot* robot = world_.findRobot(push.side, push.number);
    if (robot != nullptr && robot->present) continue;
    std::cerr << "fieldsim: warning: " << (push.side == TeamSide::kLeft ? "L" : "R") << push.number
              << ", to be pushed at cycle " << push.cycle << ", is not in the game\n";
  }
}

// The cycles asked for, or until every agent has left; a signal or the
// agents' leaving cuts the game short.
GameEnd Server::play() {
  kick_off_time_ = Clock::now();
  GameEnd end{"completed", ""};
  std::vector<WindowTime> window_times;
  auto window_start = kick_off_time_;
  std::clock_t window_clock = std::clock();
  const auto closeWindow = [&] {
    const auto now = Clock::now();
    const std::clock_t clock = std::clock();
    window_times.push_back({std::chrono::duration<double>(now - window_start).count(),
                            static_cast<double>(clock - window_clock) / CLOCKS_PER_SEC});
    window_start = now;
    window_clock = clock;
  };
  while (!stop_requested) {
    playCycle();
    if (world_.cycle() % kWindowCycles == 0) closeWindow();
    if (options_.cycles > 0 && world_.cycle() >= options_.cycles) break;
    if (playingCount() == 0) {
      std::cout << "fieldsim: every agent has left\n";
      if (options_.cycles > 0) end = {"interrupted", "every agent has left"};
      break;
    }
  }
  if (world_.windows().size() > window_times.size()) closeWindow();
  if (stop_requested) {
    end = {"interrupted", stopReason()};
    std::cout << "fieldsim: " << end.reason << "\n";
  }
  end.window_times = window_times;
  end.wall_seconds = secondsSinceKickOff();
  return end;
}

bool Server::listenOn(int port) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) {
    std::perror("fieldsim: socket");
    return false;
  }
  const int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 32) != 0 || !setNonBlocking(listener_) ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    std::perror("fieldsim: listen");
    return false;
  }
  std::cout << "fieldsim: listening on 127.0.0.1:" << ntohs(address.sin_port) << "\n";
  std::cout.flush();
  return true;
}

bool Server::waitForAgents() {
  const auto give_up =
      Clock::now() +
      std::chrono::milliseconds(static_cast<long long>(options_.join_timeout_seconds * 1000));
  while (!stop_requested && playingCount() < options_.agents && Clock::now() < give_up) {
    pump(std::min(give_up, Clock::now() + std::chrono::milliseconds(100)), false);
  }
  if (playingCount() == 0) return false;
  std::cout << "fieldsim: kick-off with " << playingCount() << " agents\n";
  return true;
}

void Server::playCycle() {
  applyPushes();
  sendPerceptions();
  if (options_.realtime) {
    // Ticks counted from the kick-off, so that slow cycles do not add up.
    pump(kick_off_time_ + (world_.cycle() + 1) * kRealtimeCycle, false);
  } else {
    pump(Clock::now() + std::chrono::milliseconds(options_.reply_timeout_ms), true);
  }
  // A signal cut the wait short: the cycle is not played, and no reply late.
  if (stop_requested) return;
  for (auto& connection : connections_) {
    if (connection->awaiting_reply) world_.lateReply(connection->robot);
  }
  const std::size_t events_before = world_.events().size();
  world_.step();
  reportFalls(events_before);
  if (trace_.is_open()) trace_ << traceLine(world_) << "\n";
  if (ReplayWriter::records(world_.cycle())) record();
  if (world_.cycle() % kProgressEvery == 0) std::cout << progressLine(world_) << "\n";
  if (progress_) progress_->update(world_, options_.cycles, secondsSinceKickOff());
}

double Server::secondsSinceKickOff() const {
  return std::chrono::duration<double>(Clock::now() - kick_off_time_).count();
}

// Each fall and get-up is told when it happens, so that one can be timed
// while the game goes on.
void Server::reportFalls(std::size_t events_before) {
  const std::vector<Event>& events = world_.events();
  for (std::size_t i = events_before; i < events.size(); ++i) {
    const Event& event = events[i];
    if (event.kind != EventKind::kFall && event.kind != EventKind::kGetUp) continue;
    std::cout << "fieldsim: " << event.robot
              << (event.kind == EventKind::kFall ? " fell" : " got up") << " at cycle "
              << event.cycle << "\n";
  }
}

void Server::record() {
  if (!replay_ && !live_) return;
  Snapshot snapshot = takeSnapshot(world_);
  if (live_) live_->add(snapshot);
  if (replay_) replay_->add(std::move(snapshot));
}

void Server::applyPushes() {
  for (const Push& push : options_.pushes) {
    if (push.cycle == world_.cycle()) {
      world_.push(push.side, push.number, push.impulse, push.direction);
    }
  }
}

void Server::sendPerceptions() {
  for (auto& connection : connections_) {
    if (connection->state != Connection::State::kPlaying || connection->awaiting_reply) continue;
    send(*connection, perception(world_, world_.robot(connection->robot)));
    connection->awaiting_reply = true;
    world_.countMessageOut(connection->robot);
  }
}

void Server::pump(Clock::time_point deadline, bool until_answered) {
  while (!stop_requested && !(until_answered && !anyAwaiting())) {
    const int wait = millisecondsUntil(deadline);
    if (Clock::now() >= deadline) return;
    std::vector<pollfd> fds{{listener_, POLLIN, 0}};
    for (const auto& connection : connections_) {
      const short events = POLLIN | (connection->outbox.empty() ? 0 : POLLOUT);
      fds.push_back({connection->fd, events, 0});
    }
    if (poll(fds.data(), fds.size(), wait) <= 0) continue;
    if (fds[0].revents & POLLIN) acceptAll();
    for (std::size_t i = 1; i < fds.size(); ++i) {
      Connection& connection = *connections_[i - 1];
      if (fds[i].revents & POLLOUT) flush(connection);
      if (connection.fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
        receive(connection);
      }
    }
    removeClosed();
  }
}

bool Server::anyAwaiting() const {
  return std::any_of(connections_.begin(), connections_.end(),
                     [](const auto& connection) { return connection->awaiting_reply; });
}

int Server::playingCount() const {
  return static_cast<int>(std::count_if(
      connections_.begin(), connections_.end(),
      [](const auto& connection) { return connection->state == Connection::State::kPlaying; }));
}

void Server::acceptAll() {
  for (;;) {
    const int fd = accept(listener_, nullptr, nullptr);
    if (fd < 0) return;
    if (!setNonBlocking(fd)) {
      ::close(fd);
      continue;
    }
    auto connection = std::make_unique<Connection>();
    connection->id = next_id_++;
    connection->fd = fd;
    connections_.push_back(std::move(connection));
  }
}

void Server::receive(Connection& connection) {
  char data[64 * 1024];
  bool ended = false;
  for (;;) {
    const ssize_t got = recv(connection.fd, data, sizeof data, 0);
    if (got > 0) {
      connection.reader.append(data, static_cast<std::size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
      break;
    }
  }
  while (auto text = connection.reader.next()) {
    handle(connection, *text);
    if (connection.fd < 0) return;
  }
  if (connection.reader.failed()) {
    return drop(connection, "a frame longer than " + std::to_string(kMaxFrameBytes) + " bytes");
  }
  if (!ended) return;
  if (connection.robot >= 0) std::cout << "fieldsim: " << who(connection) << " left\n";
  leave(connection);
}

void Server::handle(Connection& connection, const std::string& text) {
  const ParsedMessage message = parseAgentMessage(text);
  if (!message.error.empty()) return drop(connection, message.error);
  switch (connection.state) {
    case Connection::State::kScene:
      return handleScene(connection, message);
    case Connection::State::kInit:
      return handleInit(connection, message);
    case Connection::State::kPlaying:
      return handlePlaying(connection, message);
  }
}

void Server::handleScene(Connection& connection, const ParsedMessage& message) {
  if (message.commands.size() != 1 || message.commands[0].kind != AgentCommand::Kind::kScene ||
      message.commands[0].text != kScene) {
    return drop(connection, std::string("expected (scene ") + kScene + ") first");
  }
  connection.state = Connection::State::kInit;
}

void Server::handleInit(Connection& connection, const ParsedMessage& message) {
  if (message.commands.size() != 1 || message.commands[0].kind != AgentCommand::Kind::kInit) {
    return drop(connection, "expected (init (unum N)(teamname T)) after the scene");
  }
  const AgentCommand& init = message.commands[0];
  if (init.number < 1 || init.number > kMaxNumber) {
    return drop(connection, "shirt number " + std::to_string(init.number) + " is not 1 to 11");
  }
  const auto side = world_.assignSide(init.text);
  if (!side) return drop(connection, "two teams play already, not " + init.text);
  const Robot* robot = world_.findRobot(*side, init.number);
  if (robot != nullptr && robot->present) {
    return drop(connection, init.text + " " + std::to_string(init.number) + " plays already");
  }
  connection.robot = world_.join(*side, init.number, init.text);
  world_.countMessageIn(connection.robot);  // the init; the scene came before the robot
  connection.state = Connection::State::kPlaying;
  // Flushed at once, so that a script starting agents can tell who was first
  // (the first team to register plays on the left).
  std::cout << "fieldsim: " << who(connection) << " joined\n" << std::flush;
}

void Server::handlePlaying(Connection& connection, const ParsedMessage& message) {
  const int robot = connection.robot;
  world_.countMessageIn(robot);
  connection.awaiting_reply = false;
  for (const AgentCommand& command : message.commands) {
    switch (command.kind) {
      case AgentCommand::Kind::kJointSpeed:
        world_.command(robot, command.number, command.values[0]);
        break;
      case AgentCommand::Kind::kBeam:
        if (world_.beamAllowed()) {
          world_.beam(robot, command.values[0], command.values[1], command.values[2]);
        }
        break;
      case AgentCommand::Kind::kScene:
      case AgentCommand::Kind::kInit:
        return drop(connection, "a second scene or init");
    }
  }
}

void Server::send(Connection& connection, const std::string& text) {
  connection.outbox += encodeFrame(text);
  flush(connection);
}

void Server::flush(Connection& connection) {
  while (!connection.outbox.empty()) {
    const ssize_t sent =
        ::send(connection.fd, connection.outbox.data(), connection.outbox.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
      return leave(connection);
    }
    connection.outbox.erase(0, static_cast<std::size_t>(sent));
  }
}

void Server::drop(Connection& connection, const std::string& reason) {
  std::cerr << "fieldsim: " << who(connection) << " disconnected: " << reason << "\n";
  leave(connection);
}

void Server::leave(Connection& connection) {
  const bool open = connection.fd >= 0;
  close(connection);
  if (open && connection.robot >= 0) world_.leave(connection.robot);
}

void Server::close(Connection& connection) {
  if (connection.fd >= 0) ::close(connection.fd);
  connection.fd = -1;
  connection.awaiting_reply = false;
}

void Server::removeClosed() {
  connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                    [](const auto& connection) { return connection->fd < 0; }),
                     connections_.end());
}

std::string Server::who(const Connection& connection) const {
  if (connection.robot < 0) return "connection " + std::to_string(connection.id);
  const Robot& robot = world_.robot(connection.robot);
  return "agent " + robot.label() + " (" + robot.team + " " + std::to_string(robot.number) + ")";
}

int Server::finish(const GameEnd& end) {
  for (auto& connection : connections_) close(*connection);
  removeClosed();
  if (progress_) progress_->finish(world_, options_.cycles, end.wall_seconds);
  if (live_) live_->end(takeSnapshot(world_), end.status, end.reason);
  std::cout << summary(world_, end.wall_seconds);
  bool written = true;
  if (trace_.is_open()) {
    trace_.close();
    written &= tellWritten(!trace_.fail(), "trace", options_.trace_file);
  }
  if (svg_.is_open()) {
    svg_ << svgPicture(world_);
    svg_.close();
    written &= tellWritten(!svg_.fail(), "picture", options_.svg_file);
  }
  if (replay_) {
    written &=
        tellWritten(replay_->finish(takeSnapshot(world_)), "replay page", options_.replay_file);
  }
  written &= writeResultFile(end);
  return written ? 0 : 1;
}

bool Server::writeResultFile(const GameEnd& end) {
  if (options_.result_file.empty()) return true;
  const bool written = writeResult(options_.result_file, resultJson(world_, options_, end));
  return tellWritten(written, "result file", options_.result_file);
}

bool Server::tellWritten(bool written, const char* what, const std::string& path) {
  if (written) {
    std::cout << what << ": " << path << "\n";
  } else {
    std::cerr << "fieldsim: cannot write the " << what << " " << path << "\n";
  }
  return written;
}

}  // namespace fieldsim
