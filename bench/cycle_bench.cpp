// The work of one agent cycle for a full perception message (every joint,
// both feet, the eight landmarks, the ball and six players): copy and parse
// it, clear the speeds, decide and step one motion, and write the effector
// text. Printed lines go to a discarding buffer, so their formatting counts
// but no terminal does.
//
//   cycle_bench --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <iostream>
#include <string>

#include "agent.h"
#include "full_message.h"
#include "world_model.h"

namespace {

// Accepts every character and keeps none.
class DiscardBuffer : public std::streambuf {
 public:
  DiscardBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int overflow(int c) override {
    setp(buffer_, buffer_ + sizeof buffer_);
    return c == traits_type::eof() ? 0 : c;
  }

 private:
  char buffer_[256];
};

void runCycles(benchmark::State& state, int number, WalkForwardT phase) {
  std::string message = readFullMessage();
  if (message.empty()) {
    state.SkipWithError("cannot read full_view_six_players.txt");
    return;
  }
  wm::reset();
  wm::my_number = number;
  wm::Sim_Cycle = 500;
  wm::Walk_Cycle = 400;
  wm::wft = phase;
  Agent agent(nullptr);
  agent.Init_Agent_Info();

  DiscardBuffer discard;
  std::streambuf* const console = std::cout.rdbuf(&discard);
  for (auto _ : state) {
    const std::string reply = agent.answer(message.data());
    benchmark::DoNotOptimize(reply.data());
  }
  std::cout.rdbuf(console);
  state.SetItemsProcessed(state.iterations());
}

void BM_CycleFieldPlayerMidWalk(benchmark::State& state) {
  runCycles(state, 2, WF_Extend_Left_Leg);
}
BENCHMARK(BM_CycleFieldPlayerMidWalk);

void BM_CycleGoalkeeper(benchmark::State& state) { runCycles(state, 1, WF_Stand_Up); }
BENCHMARK(BM_CycleGoalkeeper);

}  // namespace

BENCHMARK_MAIN();
