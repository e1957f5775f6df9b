#!/usr/bin/env bash
# Builds the release benchmarks and runs one of them:
#
#   scripts/bench.sh cycle      # one agent cycle in process (Google Benchmark)
#   scripts/bench.sh parser     # parsing one full perception message
#   scripts/bench.sh roundtrip  # loopback round trip: vexa3d against a bare responder
#   scripts/bench.sh memory     # peak resident size of a player in a 3000-cycle game
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
source scripts/deps.sh
ensure_build_deps

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vexa3d fieldsim cycle_bench parser_bench roundtrip peak_rss >/dev/null
echo "machine: $(nproc) cores, $(uname -m)"

google_benchmark() {
  "$build/bench/$1" --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
}

memory() {
  local game
  game=$(mktemp -d /tmp/vexa-memory-XXXXXX)
  mkdir -p "$game/.logfiles"
  cp formations.conf "$game/"
  : >"$game/fieldsim.txt"
  "$build/sim/fieldsim" --port 0 --agents 1 --cycles 3000 >"$game/fieldsim.txt" 2>&1 &
  local sim=$! port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$game/fieldsim.txt")
    [ -n "$port" ] && break
    sleep 0.1
  done
  (cd "$game" && "$repo/$build/bench/peak_rss" "$repo/$build/vexa3d" -s 127.0.0.1 -p "$port" \
     -t MEMORY -n 2 >/dev/null)
  wait "$sim"
  tail -n 3 "$game/fieldsim.txt"
  rm -rf "$game"
}

case "${1:-}" in
  cycle) google_benchmark cycle_bench ;;
  parser) google_benchmark parser_bench ;;
  roundtrip) "$build/bench/roundtrip" "$build/vexa3d" tests/data/full_view_six_players.txt 10000 ;;
  memory) memory ;;
  *) sed -n '2,7p' "$0" >&2; exit 2 ;;
esac
