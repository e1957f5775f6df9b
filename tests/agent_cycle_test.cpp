#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "agent.h"
#include "loopback_peer.h"
#include "scratch_dir.h"
#include "socket.h"
#include "world_model.h"

namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Optional;
using ::testing::StartsWith;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const std::string kFeet =
    "(FRP (n lf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))"
    "(FRP (n rf) (c 0.00 0.00 0.00) (f 0.00 0.00 22.00))";

std::string perception(const std::string& mode, const std::string& extra = "") {
  return "(time (now 1.00))(GS (t 0.00) (pm " + mode + "))(GYR (n torso) (rt 0.00 0.00 0.00))" +
         extra;
}

const std::string kBeam = "(beam -3.000000 1.500000 0.000000)";
// Twenty items "(name value)", arms then legs, nothing else.
const char* const kEffectorPattern =
    "\\(lae1 [^)]*\\)\\(rae1 [^)]*\\)\\(lae2 [^)]*\\)\\(rae2 [^)]*\\)\\(lae3 [^)]*\\)"
    "\\(rae3 [^)]*\\)\\(lae4 [^)]*\\)\\(rae4 [^)]*\\)\\(lle1 [^)]*\\)\\(rle1 [^)]*\\)"
    "\\(lle2 [^)]*\\)\\(rle2 [^)]*\\)\\(lle3 [^)]*\\)\\(rle3 [^)]*\\)\\(lle4 [^)]*\\)"
    "\\(rle4 [^)]*\\)\\(lle5 [^)]*\\)\\(rle5 [^)]*\\)\\(lle6 [^)]*\\)\\(rle6 [^)]*\\)";

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Runs Agent::run in a thread against a scripted loopback server.
class AgentCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    wm::reset();
    wm::my_number = 7;
    wm::m_team_name = "Blue";
    dir.write("formations.conf", "*7 -3 1.5 0 \n#\n");
    CaptureStdout();
    agent = std::thread([this] {
      TRoboCupConnection connection("127.0.0.1", peer.port());
      Agent(&connection).run(&connection);
    });
    ASSERT_TRUE(peer.accept());
    ASSERT_THAT(peer.recvFrame(), Optional(std::string("(init (unum 7)(teamname Blue))")));
  }
  void TearDown() override {
    if (agent.joinable()) stopAgent();
  }
  // Closes the connection and waits for the agent's loop to end; returns
  // what the agent printed.
  std::string stopAgent() {
    peer.closeClient();
    agent.join();
    return GetCapturedStdout();
  }
  std::optional<std::string> exchange(const std::string& message) {
    if (!peer.sendFrame(message)) return std::nullopt;
    return peer.recvFrame();
  }
  void playBeforeKickOff() {
    for (int cycle = 0; cycle < 20; ++cycle) {
      ASSERT_THAT(exchange(perception("BeforeKickOff")), Optional(kBeam)) << "cycle " << cycle;
    }
  }

  ScratchDir dir;
  LoopbackPeer peer;
  std::thread agent;
};

TEST_F(AgentCycle, TwentyBeamsBeforeKickOffThenEffectorStrings) {
  playBeforeKickOff();
  EXPECT_THAT(exchange(perception("BeforeKickOff")), Optional(MatchesRegex(kEffectorPattern)));
  EXPECT_THAT(exchange(perception("PlayOn", kFeet)), Optional(MatchesRegex(kEffectorPattern)));
  const std::string out = stopAgent();
  EXPECT_EQ(count(out, "before kick off ing\n"), 20);
  EXPECT_EQ(wm::Sim_Cycle, 22);
}

TEST_F(AgentCycle, GoalIsAnsweredByOneBeamUntilTheNextKick) {
  playBeforeKickOff();
  EXPECT_THAT(exchange(perception("PlayOn", kFeet)), Optional(MatchesRegex(kEffectorPattern)));
  EXPECT_THAT(exchange(perception("Goal_Left", kFeet)), Optional(kBeam));
  EXPECT_THAT(exchange(perception("Goal_Left", kFeet)), Optional(MatchesRegex(kEffectorPattern)));
  EXPECT_THAT(exchange(perception("Goal_Right", kFeet)), Optional(MatchesRegex(kEffectorPattern)));
  const std::string out = stopAgent();
  EXPECT_EQ(count(out, "goal ing\n"), 1);
  EXPECT_EQ(wm::goal_in_cycle, 1);
}

TEST_F(AgentCycle, StandUpAndFallStateIsResetUpToCycleTwentyNine) {
  playBeforeKickOff();
  // Cycles 20 to 31 without any foot reading: the silent-feet counter is
  // cleared before each decision up to cycle 29 and then counts on.
  for (int cycle = 20; cycle < 32; ++cycle) {
    ASSERT_THAT(exchange(perception("PlayOn")), Optional(MatchesRegex(kEffectorPattern)));
  }
  stopAgent();
  // The beams marked cycle 19; the resets took the mark back to 0.
  EXPECT_EQ(wm::frp_0_count, 2);
  EXPECT_EQ(wm::Record_Cycle, 0);
  EXPECT_EQ(wm::cut, CU_Extend_Body);
}

TEST_F(AgentCycle, FailedFirstReceiveSendsNothingButTheInit) {
  peer.shutdownWrite();
  EXPECT_TRUE(peer.clientClosed());
  agent.join();
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(wm::Sim_Cycle, 0);
}

TEST(InitMessage, TeamNameOfAnyLengthIsSentWhole) {
  wm::reset();
  wm::my_number = 11;
  wm::m_team_name = std::string(300, 'T');
  LoopbackPeer peer;
  std::thread agent([&peer] {
    TRoboCupConnection connection("127.0.0.1", peer.port());
    Agent(&connection).sendPlayerInformation(&connection);
  });
  ASSERT_TRUE(peer.accept());
  EXPECT_THAT(peer.recvFrame(), Optional("(init (unum 11)(teamname " + wm::m_team_name + "))"));
  agent.join();
}

TEST(EffectorString, SpeedsAreWrittenAsAStreamWritesDoubles) {
  wm::reset();
  Agent agent(nullptr);
  AgentObject& body = wm::agent;
  body.exec_ang_lae1 = 1e-05;
  body.exec_ang_rae1 = -0.0;
  body.exec_ang_lae2 = 0.125;
  body.exec_ang_rae2 = 1234567;
  body.exec_ang_lae3 = 100000;
  body.exec_ang_rae3 = 2.0 / 3;
  body.exec_ang_lle4 = -0.125;
  body.exec_ang_rle6 = -40;
  body.exec_ang_head1 = 5;
  EXPECT_EQ(agent.effector_string(),
            "(lae1 1e-05)(rae1 -0)(lae2 0.125)(rae2 1.23457e+06)(lae3 100000)(rae3 0.666667)"
            "(lae4 0)(rae4 0)(lle1 0)(rle1 0)(lle2 0)(rle2 0)(lle3 0)(rle3 0)(lle4 -0.125)"
            "(rle4 0)(lle5 0)(rle5 0)(lle6 0)(rle6 -40)");
  agent.empty_exec();
  EXPECT_EQ(body.exec_ang_head1, 0);
  EXPECT_THAT(agent.effector_string(), StartsWith("(lae1 0)(rae1 0)(lae2 0)"));
}

}  // namespace
