#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "agent.h"
#include "loopback_peer.h"
#include "scratch_dir.h"
#include "socket.h"
#include "world_model.h"

namespace {

using ::testing::EndsWith;
using ::testing::MatchesRegex;
using ::testing::Optional;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

std::string perception(const std::string& mode, bool feet = true, int now = 1) {
  return "(time (now " + std::to_string(now) + ".00))(GS (t 0.00) (pm " + mode +
         "))(GYR (n torso) (rt 0.00 0.00 0.00))" +
         (feet ? "(FRP (n lf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))"
                 "(FRP (n rf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))"
               : "");
}

// The communications log of this process, in the working directory it
// started in (each case then moves to a scratch directory).
const std::filesystem::path kCommLog =
    std::filesystem::current_path() / ".logfiles" / "Communications.log";

std::string commLog() {
  std::ifstream file(kCommLog, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string logLine(const std::string& direction, const std::string& text) {
  return direction + ": \"" + text + "\"\n";
}

const std::string kBeam = "(beam -3.000000 1.500000 0.000000)";
// Twenty items "(name value)", nothing else; the golden traces pin their
// order and format.
const char* const kEffectorPattern = "(\\([lr][al]e[1-6] [^)]*\\)){20}";

// Runs Agent::run in a thread against a scripted loopback server. The team
// name is longer than any buffer a fixed-size init message might use.
class AgentCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::my_number = 7;
    wm::m_team_name = std::string(300, 'T');
    dir.write("formations.conf", "*7 -3 1.5 0 \n#\n");
    CaptureStdout();
    agent = std::thread([this] {
      TRoboCupConnection connection("127.0.0.1", peer.port());
      Agent(&connection).run(&connection);
    });
    ASSERT_TRUE(peer.accept());
    ASSERT_THAT(peer.recvFrame(), Optional("(init (unum 7)(teamname " + wm::m_team_name + "))"));
  }
  void TearDown() override {
    if (!agent.joinable()) return;
    peer.closeClient();
    agent.join();
    GetCapturedStdout();
  }
  std::optional<std::string> exchange(const std::string& message) {
    if (!peer.sendFrame(message)) return std::nullopt;
    return peer.recvFrame();
  }

  ScratchDir dir;
  LoopbackPeer peer;
  std::thread agent;
};

// A game starts before kick-off: a first message without a play mode is
// answered with a beam too.
TEST_F(AgentCycle, TwentyBeamsBeforeKickOffThenEffectorStrings) {
  ASSERT_THAT(exchange("(time (now 0.00))"), Optional(kBeam));
  for (int cycle = 1; cycle < 20; ++cycle) {
    ASSERT_THAT(exchange(perception("BeforeKickOff")), Optional(kBeam)) << "cycle " << cycle;
  }
  EXPECT_THAT(exchange(perception("BeforeKickOff")), Optional(MatchesRegex(kEffectorPattern)));
  EXPECT_THAT(exchange(perception("PlayOn")), Optional(MatchesRegex(kEffectorPattern)));
  peer.closeClient();
  agent.join();
  const std::string out = GetCapturedStdout();
  int beams = 0;
  for (size_t at = 0; (at = out.find("before kick off ing\n", at)) != std::string::npos; ++at) {
    ++beams;
  }
  EXPECT_EQ(beams, 20);
  EXPECT_EQ(wm::Sim_Cycle, 22);
}

// After many cycles the log holds, after the registration, each cycle's
// perception and reply once and in order: lines written again by a later
// cycle would make it grow with the square of the cycles.
TEST_F(AgentCycle, TheLogHoldsEachCyclesLinesOnce) {
  const std::string before = commLog();
  const std::string init = "(init (unum 7)(teamname " + wm::m_team_name + "))";
  ASSERT_THAT(before, EndsWith(logLine("Client -> Serever", frame(init)))) << "in " << kCommLog;
  std::string cycles;
  for (int cycle = 0; cycle < 60; ++cycle) {
    const std::string message = perception(cycle < 20 ? "BeforeKickOff" : "PlayOn", true, cycle);
    const std::optional<std::string> reply = exchange(message);
    ASSERT_TRUE(reply.has_value()) << "cycle " << cycle;
    cycles += logLine("Server -> Client", message) + logLine("Client -> Serever", frame(*reply));
  }
  peer.closeClient();
  agent.join();
  GetCapturedStdout();
  const std::string log = commLog();
  ASSERT_EQ(log.size(), before.size() + cycles.size());
  EXPECT_EQ(log, before + cycles);
}

TEST_F(AgentCycle, FailedFirstReceiveSendsNothingButTheInit) {
  peer.shutdownWrite();
  EXPECT_TRUE(peer.clientClosed());
  agent.join();
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(wm::Sim_Cycle, 0);
}

// Whole cycles through Agent::answer, from cycle 20 (the beams are over).
class Answer : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::my_number = 7;
    wm::agent.setPosition(VecPosition(-3, 1.5, 0));
    agent.Init_Agent_Info();
    wm::Sim_Cycle = 20;
    wm::Record_Cycle = 19;
  }
  std::string answer(const std::string& mode, bool feet = true) {
    std::string message = perception(mode, feet);
    CaptureStdout();
    const std::string reply = agent.answer(message.data());
    GetCapturedStdout();
    return reply;
  }
  Agent agent{nullptr};
};

TEST_F(Answer, AGoalIsAnsweredByOneBeamUntilTheKickRearmsIt) {
  EXPECT_THAT(answer("PlayOn"), MatchesRegex(kEffectorPattern));
  EXPECT_EQ(answer("Goal_Left"), kBeam);
  EXPECT_THAT(answer("Goal_Left"), MatchesRegex(kEffectorPattern));
  EXPECT_THAT(answer("Goal_Right"), MatchesRegex(kEffectorPattern));
  wm::wft = WF_Stop_Walk_Over;  // the gait hands over to the kick
  EXPECT_THAT(answer("PlayOn"), MatchesRegex(kEffectorPattern));
  EXPECT_EQ(answer("Goal_Right"), kBeam);
}

// Cycles 20 to 31 without any foot reading: the silent-feet counter is
// cleared before each decision up to cycle 29 and then counts on.
TEST_F(Answer, StandUpAndFallStateIsResetUpToCycleTwentyNine) {
  wm::cut = CU_Bend_Hand;
  for (int cycle = 20; cycle < 32; ++cycle) answer("PlayOn", false);
  EXPECT_EQ(wm::frp_0_count, 2);
  EXPECT_EQ(wm::Record_Cycle, 0);
  EXPECT_EQ(wm::cut, CU_Extend_Body);
}

}  // namespace
