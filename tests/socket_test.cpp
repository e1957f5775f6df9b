#include "socket.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peer.h"
#include "parase_message.h"

namespace {

using std::chrono::milliseconds;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(TConnection, OpensOnlyAResolvedHostAndStaysOpenWhenRefused) {
  EXPECT_FALSE(TConnection(CONN_TCP, "", 3100).connected());
  EXPECT_FALSE(TConnection(CONN_TCP, "127.0.0.1", -1).connected());
  EXPECT_FALSE(TConnection(CONN_TCP, "no-such-host.invalid", 3100).connected());
  const int closed_port = LoopbackPeer().port();
  CaptureStderr();
  TConnection refused(CONN_TCP, "127.0.0.1", closed_port);
  EXPECT_TRUE(refused.connected());
  EXPECT_EQ(GetCapturedStderr(), "TConnection::openConnection: Connection refused\n");
}

// No socket: no wait and an empty message. A wait of 0 seconds waits one
// more, whose microseconds Linux would refuse as a full second.
TEST(TDataPorter, WaitsOneSecondMoreThanAskedAndNeverOnNoSocket) {
  TDataPorter closed(CONN_TCP, -1);
  fd_set fds;
  FD_SET(0, &fds);
  EXPECT_EQ(closed.waitForData(fds, 5), -1);
  EXPECT_FALSE(FD_ISSET(0, &fds));
  char msg[4] = "abc";
  EXPECT_EQ(closed.readMessage(msg, 3), 0);
  EXPECT_EQ(msg[0], '\0');

  LoopbackPeer server;
  EXPECT_TRUE(TConnection(CONN_TCP, "127.0.0.1", server.port()).waitForData(0));
}

// Waits (bounded) until a child has ended; returns its pid, not reaping it.
pid_t endedChild() {
  siginfo_t info{};
  for (int attempt = 0; attempt < 500 && info.si_pid == 0; ++attempt) {
    if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0) break;
    usleep(10000);
  }
  return info.si_pid;
}

TEST(TConnection, ServerGreetsEachClientAndReapsItsChildren) {
  TConnection server(CONN_TCP, "", -1);
  ASSERT_TRUE(server.startServer(0));
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(server.getSocketFD(), reinterpret_cast<sockaddr*>(&address), &length);
  TConnection first(CONN_TCP, "127.0.0.1", ntohs(address.sin_port));
  ASSERT_TRUE(server.waitForConnection());
  char msg[32];
  ASSERT_TRUE(first.recvMessage(msg, sizeof msg, 2, false));
  EXPECT_STREQ(msg, "Hello, world!\n");

  const pid_t served = endedChild();
  ASSERT_NE(served, 0);
  TConnection second(CONN_TCP, "127.0.0.1", ntohs(address.sin_port));
  ASSERT_TRUE(server.waitForConnection());
  EXPECT_EQ(waitpid(served, nullptr, WNOHANG), -1) << "the first child was not reaped";
  while (waitpid(-1, nullptr, 0) > 0) {
  }
}

std::string commLog() {
  std::ifstream file("./.logfiles/Communications.log", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// One TRoboCupConnection to a scripted server on loopback.
class Framing : public ::testing::Test {
 protected:
  void SetUp() override {
    alarm(20);  // a case that hangs is killed instead
    ASSERT_TRUE(server_.accept());
  }
  void TearDown() override {
    if (writer_.joinable()) writer_.join();
    alarm(0);
  }

  // Sends each piece after a pause, so that the reader meets them apart.
  void sendInPieces(std::vector<std::string> pieces) {
    writer_ = std::thread([this, pieces] {
      for (const std::string& piece : pieces) {
        std::this_thread::sleep_for(milliseconds(30));
        server_.sendRaw(piece);
      }
    });
  }

  // The body getMessage delivers, or "<false>".
  std::string receive(int max_len = 2047) {
    std::vector<char> msg(max_len + 1, 'x');
    return connection_.getMessage(msg.data(), max_len) ? msg.data() : "<false>";
  }

  LoopbackPeer server_;
  TRoboCupConnection connection_{"127.0.0.1", server_.port()};
  std::thread writer_;
};

TEST_F(Framing, SendsAndLogsWholeFrames) {
  const std::string text(300, 'e');
  EXPECT_TRUE(connection_.sendCommand(text.c_str()));
  EXPECT_TRUE(connection_.sendCommand(""));
  EXPECT_EQ(server_.recvFrame(), text);  // so the prefix was 00 00 01 2C
  EXPECT_EQ(server_.recvFrame(), "");
  EXPECT_NE(commLog().find("Client -> Serever: \"" + frame(text) + "\"\n"), std::string::npos);
}

void onInterrupt(int) {}

// Signals keep interrupting the send of a large frame while the reader
// lags, which gives short writes and EINTR; the frame still arrives whole.
TEST_F(Framing, InterruptedSendStillDeliversTheWholeFrame) {
  struct sigaction action {};
  action.sa_handler = onInterrupt;  // no SA_RESTART
  sigaction(SIGUSR1, &action, nullptr);
  std::atomic<bool> sending{true};
  std::thread interrupter([&sending, sender = pthread_self()] {
    for (; sending; std::this_thread::sleep_for(milliseconds(1))) pthread_kill(sender, SIGUSR1);
  });
  std::string text(4 << 20, 'a');
  for (size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('b' + i % 23);
  std::string received;
  std::thread reader([&] {
    std::this_thread::sleep_for(milliseconds(50));
    received = server_.recvFrame().value_or("<none>");
  });
  EXPECT_TRUE(connection_.sendCommand(text.c_str()));
  sending = false;
  interrupter.join();
  reader.join();
  EXPECT_TRUE(received == text) << "received " << received.size() << " bytes";
}

TEST_F(Framing, TakesAFrameAtTheLimit) {
  const std::string largest(kMaxMessageLength, 'l');
  sendInPieces({frame("0123456789") + frame(largest)});
  EXPECT_EQ(receive(10), "0123456789");
  EXPECT_EQ(receive(kMaxMessageLength), largest);
}

// The server stays connected and never sends the announced body: the
// receive must not wait for it.
TEST_F(Framing, RefusesALongerFrameAtOnce) {
  for (const std::string& prefix : {frame("0123456789A").substr(0, 4), std::string(4, '\xff')}) {
    server_.sendRaw(prefix);
    EXPECT_EQ(receive(10), "<false>");
  }
  server_.sendRaw(frame(std::string(kMaxMessageLength + 1, 'b')).substr(0, 4));
  EXPECT_EQ(receive(50000), "<false>");
}

TEST_F(Framing, AssemblesSplitFramesAndKeepsTheFollowingOnes) {
  const std::string second = frame("(time (now 1.5))"), third = frame("third");
  sendInPieces({frame(""), second.substr(0, 1), second.substr(1, 3) + "(ti", second.substr(7),
                frame("..") + third.substr(0, 2), third.substr(2)});
  EXPECT_EQ(receive(), "");
  EXPECT_EQ(receive(), "(time (now 1.5))");
  EXPECT_EQ(receive(), "..");
  EXPECT_EQ(receive(), "third");
  EXPECT_NE(commLog().find("Server -> Client: \"\"\nServer -> Client: \"(time (now 1.5))\"\n"),
            std::string::npos);
}

TEST_F(Framing, PeerClosingMidFrameOrBetweenFramesGivesFalse) {
  server_.sendRaw(frame("whole") + frame("cut short").substr(0, 8));
  server_.closeClient();
  EXPECT_EQ(receive(), "whole");
  EXPECT_EQ(receive(), "<false>");
  EXPECT_EQ(receive(), "<false>");
}

}  // namespace
