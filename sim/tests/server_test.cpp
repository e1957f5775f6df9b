// Runs the fieldsim program and plays its agents with plain sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frame.h"

extern char** environ;

namespace fieldsim {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Expects `part` in `text`, and shows the text when it is missing.
void expectIn(const std::string& text, const std::string& part) {
  EXPECT_NE(text.find(part), std::string::npos) << text;
}

// fieldsim on a free port, its output going to files.
class Fieldsim {
 public:
  explicit Fieldsim(std::vector<std::string> args) {
    char dir_template[] = "/tmp/fieldsim_test_XXXXXX";
    dir_ = mkdtemp(dir_template);
    args.insert(args.begin(), {FIELDSIM_BINARY, "--port", "0"});
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (dir_ + "/out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ + "/err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 500 && port_ == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      const std::string out = readFile(dir_ + "/out");
      const auto at = out.find("127.0.0.1:");
      if (at != std::string::npos && out.find('\n', at) != std::string::npos) {
        port_ = std::atoi(out.c_str() + at + 10);
      }
    }
  }
  ~Fieldsim() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::system(("rm -rf " + dir_).c_str());
  }
  int port() const { return port_; }
  int wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string out() const { return readFile(dir_ + "/out"); }
  std::string err() const { return readFile(dir_ + "/err"); }

 private:
  std::string dir_;
  pid_t pid_ = 0;
  int port_ = 0;
  bool exited_ = false;
};

// One agent's connection, with blocking reads that give up after 10 s.
class Client {
 public:
  explicit Client(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  ~Client() { close(fd_); }
  void sendRaw(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  void send(const std::string& text) { sendRaw(encodeFrame(text)); }
  void join(int number, const std::string& team = "TESTERS") {
    send("(scene rsg/agent/nao/nao.rsg)");
    send("(init (unum " + std::to_string(number) + ")(teamname " + team + "))");
  }
  // The next message, or nullopt once the server has closed the connection.
  std::optional<std::string> receive() {
    while (true) {
      if (auto text = reader_.next()) return text;
      char data[4096];
      const ssize_t got = recv(fd_, data, sizeof data, 0);
      if (got <= 0) return std::nullopt;
      reader_.append(data, static_cast<std::size_t>(got));
    }
  }
  // Answers every perception with `reply` until the game ends.
  int playToTheEnd(const std::string& reply) {
    int count = 0;
    while (receive()) {
      ++count;
      send(reply);
    }
    return count;
  }

 private:
  int fd_ = -1;
  FrameReader reader_;
};

// Each bad client is dropped with its reason, and the game goes on: a bad
// command, a frame too long, no scene, a number taken, a third team.
TEST(Server, BadInputDisconnectsThatAgentAndTheGameGoesOn) {
  Fieldsim sim({"--agents", "3", "--cycles", "40"});
  ASSERT_NE(sim.port(), 0);
  Client good(sim.port()), malformed(sim.port()), oversized(sim.port()), impostor(sim.port()),
      twin(sim.port()), third(sim.port());
  good.join(2);
  malformed.join(3);
  oversized.join(4, "OTHERS");
  impostor.send("(init (unum 5)(teamname TESTERS))");  // no scene first
  impostor.join(5);
  twin.join(2);
  third.join(1, "THIRD");

  std::thread player([&] { EXPECT_EQ(good.playToTheEnd("(lle1 0)"), 40); });
  EXPECT_TRUE(malformed.receive());
  malformed.send("(lae1 nan)");
  EXPECT_FALSE(malformed.receive());
  EXPECT_TRUE(oversized.receive());
  oversized.sendRaw(std::string("\x00\x01\x00\x01", 4) + std::string(100, '('));
  EXPECT_FALSE(oversized.receive());
  EXPECT_FALSE(impostor.receive());
  EXPECT_FALSE(twin.receive());
  EXPECT_FALSE(third.receive());
  player.join();

  EXPECT_EQ(sim.wait(), 0);
  const std::string err = sim.err();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 5) << err;
  expectIn(err, "agent L3 (TESTERS 3) disconnected: malformed command 'lae1'");
  expectIn(err, "agent R4 (OTHERS 4) disconnected: a frame longer than 65536 bytes");
  expectIn(err, "disconnected: expected (scene rsg/agent/nao/nao.rsg) first");
  expectIn(err, "TESTERS 2 plays already");
  expectIn(err, "two teams play already, not THIRD");
  expectIn(sim.out(), "agent L2 (TESTERS 2): beams 0, steps 0, side steps 0, kicks 0, "
                      "falls 0, get-ups 0, late replies 0, messages in 41 out 40\n");
}

TEST(Server, AnAgentThatStopsAnsweringIsLateAndTheClockGoesOn) {
  Fieldsim sim({"--agents", "1", "--cycles", "5", "--reply-timeout", "50"});
  Client agent(sim.port());
  agent.join(9);
  ASSERT_TRUE(agent.receive());
  // No answer: no further perception is sent until it comes.
  EXPECT_EQ(sim.wait(), 0);
  expectIn(sim.out(), "late replies 5, messages in 1 out 1");
}

}  // namespace
}  // namespace fieldsim
