// Time to parse one full perception message (every joint, both feet, the
// eight landmarks, the ball and six players) as the agent does each cycle:
// copy it in, then parse it.
//
//   parser_bench --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "full_message.h"
#include "parase_message.h"
#include "world_model.h"

namespace {

void BM_ParseFullMessage(benchmark::State& state) {
  std::string message = readFullMessage();
  if (message.empty()) {
    state.SkipWithError("cannot read full_view_six_players.txt");
    return;
  }
  auto parser = std::make_unique<Parase>();
  for (auto _ : state) {
    parser->Get_Info(message.data());
    parser->Par_Info();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * message.size()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseFullMessage);

}  // namespace

BENCHMARK_MAIN();
