#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "loopback_peer.h"

namespace {

using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

const std::string kBanner = "Vexa Simulation 3D Team 2008 \n";
const std::string kHelp =
    "usage: ./vexa3d [options]\noptions:\n -h            prints this help message.\n"
    " -s Server_IP  set IP of the server.\n -n  [1..11]   set the agent's number.\n\n";
const std::string kStop = "Exit vexa3d now !\n";

std::string summary(const std::string& host, int port, const std::string& team, int number) {
  return "Use the following arguments\nserver_host  : " + host +
         "\nserver_port  : " + std::to_string(port) + "\nTeam_Name    : " + team +
         "\nPlayer_Number: " + std::to_string(number) + "\n";
}

struct Outcome {
  int status;  // -1 when killed
  std::string out, err;
};

std::string slurp(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Runs the built program (killed after 10 s), its output kept in files.
Outcome runProgram(const std::string& args) {
  const std::string out = "cl_out_" + std::to_string(getpid()), err = "cl_err_" + out.substr(7);
  const int status = std::system(
      ("timeout -s KILL 10 " + std::string(VEXA_BINARY) + " " + args + " >" + out + " 2>" + err)
          .c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return outcome;
}

TEST(Program, HelpEndsWellAndAWrongArgumentCountFails) {
  const Outcome help = runProgram("-h");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, kBanner + kHelp + kStop);
  const Outcome wrong = runProgram("-n 3 -s");
  EXPECT_NE(wrong.status, 0);
  EXPECT_EQ(wrong.out, kBanner + "Invalid Number of Paramter!\n" + kStop);
}

TEST(Program, FailedLookupOrConnectEndsAtOnceWithFailure) {
  const Outcome unresolved = runProgram("-s no-such-host.invalid");
  EXPECT_NE(unresolved.status, 0);
  EXPECT_THAT(unresolved.out, Not(HasSubstr("Main Loop")));
  EXPECT_THAT(unresolved.err, StartsWith("TConnection::gethostbyname: "));

  const int closed = LoopbackPeer().port();
  const Outcome refused = runProgram("-h x -p " + std::to_string(closed));
  EXPECT_NE(refused.status, 0);
  EXPECT_EQ(refused.out, kBanner + "Error,unknow argument -h\nError,unknow argument x\n" +
                             summary("127.0.0.1", closed, "VEXA3D", 1));
  EXPECT_EQ(refused.err, "TConnection::openConnection: Connection refused\n");
}

TEST(Program, ReadsOptionsInAnyOrderTheLastWinning) {
  const int closed = LoopbackPeer().port();
  // The unknown "x" shifts the pairs and leaves "-s" without a value.
  const Outcome options =
      runProgram("-n 7 -t Blue -s 127.0.0.1 -n ' +12x' -p " + std::to_string(closed) + " x -s");
  EXPECT_EQ(options.out, kBanner + "Error,unknow argument x\nError,unknow argument -s\n" +
                             summary("127.0.0.1", closed, "Blue", 12));
  EXPECT_THAT(runProgram("-p abc").out, HasSubstr("server_port  : 0\n"));
}

// The server closes at once, or after the registration and twenty messages:
// the last answers go to a peer that has gone, which must not kill the agent.
TEST(Program, RegistersAndEndsWellWhenTheServerCloses) {
  for (bool at_once : {true, false}) {
    LoopbackPeer server;
    Outcome outcome{};
    std::thread agent(
        [&] { outcome = runProgram("-n 7 -t Blue -p " + std::to_string(server.port())); });
    EXPECT_TRUE(server.accept());
    if (!at_once) {
      EXPECT_EQ(server.recvFrame(), "(scene rsg/agent/nao/nao.rsg)");
      EXPECT_EQ(server.recvFrame(), "(init (unum 7)(teamname Blue))");
      std::string messages;
      for (int i = 0; i < 20; ++i) messages += frame("(GS (t 0.00) (pm PlayOn))");
      server.sendRaw(messages);
    }
    server.closeClient();
    agent.join();
    EXPECT_EQ(outcome.status, 0) << at_once;
    EXPECT_THAT(outcome.out,
                StartsWith(kBanner + summary("127.0.0.1", server.port(), "Blue", 7) + "Main Loop\n"));
  }
}

// A player stopped by a signal, its standard output going to a file (fully
// buffered), leaves everything it printed and exits 0.
TEST(Program, SigtermOrSigintEndsWellAndKeepsTheOutput) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    LoopbackPeer server;
    const std::string out = "signal_out_" + std::to_string(getpid());
    const pid_t pid = fork();
    if (pid == 0) {
      if (!freopen(out.c_str(), "w", stdout)) _exit(99);
      const std::string port = std::to_string(server.port());
      execl(VEXA_BINARY, VEXA_BINARY, "-p", port.c_str(), static_cast<char*>(nullptr));
      _exit(98);
    }
    ASSERT_TRUE(server.accept());
    EXPECT_EQ(server.recvFrame(), "(scene rsg/agent/nao/nao.rsg)");
    EXPECT_TRUE(server.recvFrame().has_value());  // init
    EXPECT_TRUE(server.sendFrame("(GS (t 0.00) (pm BeforeKickOff))"));
    EXPECT_THAT(server.recvFrame().value_or(""), StartsWith("(beam "));
    kill(pid, signal_number);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal_number;
    EXPECT_THAT(slurp(out), HasSubstr("Main Loop\nbefore kick off ing\n"));
    EXPECT_THAT(slurp(".logfiles/Communications.log"),
                HasSubstr("Server -> Client: \"(GS (t 0.00) (pm BeforeKickOff))\"\nClient -> Serever: "));
    std::remove(out.c_str());
  }
}

}  // namespace
