#!/usr/bin/env bash
# Builds the release benchmarks and runs one of them:
#
#   scripts/bench.sh cycle      # one agent cycle in process (Google Benchmark)
#   scripts/bench.sh parser     # parsing one full perception message
#   scripts/bench.sh roundtrip  # loopback round trip: vexa3d against a bare responder
#   scripts/bench.sh memory     # peak resident size of a player in a 3000-cycle game
#   scripts/bench.sh replay     # a 2 x 11 game with and without --replay; the page's opening
#   scripts/bench.sh contact    # six robots in a heap against six apart; what contact does
#   scripts/bench.sh match [N]  # a whole 2 x 11 physics game (N cycles, 15000 by default)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
source scripts/deps.sh
ensure_build_deps

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vexa3d fieldsim fieldsim_contact_bench cycle_bench parser_bench \
  roundtrip peak_rss >/dev/null
echo "machine: $(nproc) cores, $(uname -m)"

google_benchmark() {
  "$build/bench/$1" --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
}

# The port fieldsim listens on, once it has printed it in FILE.
port_of() {
  for _ in $(seq 100); do
    sed -n 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$1" | grep . && return 0
    sleep 0.1
  done
}

memory() {
  local game
  game=$(mktemp -d /tmp/vexa-memory-XXXXXX)
  mkdir -p "$game/.logfiles"
  cp formations.conf "$game/"
  : >"$game/fieldsim.txt"
  "$build/sim/fieldsim" --port 0 --agents 1 --cycles 3000 >"$game/fieldsim.txt" 2>&1 &
  local sim=$! port
  port=$(port_of "$game/fieldsim.txt")
  (cd "$game" && "$repo/$build/bench/peak_rss" "$repo/$build/vexa3d" -s 127.0.0.1 -p "$port" \
     -t MEMORY -n 2 >/dev/null)
  wait "$sim"
  tail -n 3 "$game/fieldsim.txt"
  rm -rf "$game"
}

# A 2 x 11, 3000-cycle game; extra fieldsim options in the arguments.
# Prints the seconds from the kick-off to the end of fieldsim (its outputs
# written) and the CPU seconds fieldsim used.
timed_game() {
  local game
  game=$(mktemp -d /tmp/vexa-replay-XXXXXX)
  : >"$game/fieldsim.txt"
  (
    TIMEFORMAT='%U %S'
    time "$build/sim/fieldsim" --port 0 --agents 22 --cycles 3000 "$@" >"$game/fieldsim.txt" 2>&1
  ) 2>"$game/cpu.txt" &
  local sim=$! port kick_off=""
  port=$(port_of "$game/fieldsim.txt")
  for team in VEXA3D RIVALS; do
    VEXA3D="$repo/$build/vexa3d" VEXA_RUN_DIR="$game/run" scripts/start-team.sh 127.0.0.1 "$port" \
      "$team" >/dev/null
  done
  until grep -q "kick-off" "$game/fieldsim.txt"; do
    kill -0 "$sim" 2>/dev/null || { cat "$game/fieldsim.txt" >&2; return 1; }
    sleep 0.005
  done
  kick_off=$(date +%s.%N)
  wait "$sim"
  awk -v from="$kick_off" -v to="$(date +%s.%N)" '{ printf "%.2f %.2f\n", to - from, $1 + $2 }' \
    "$game/cpu.txt"
  rm -rf "$game"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Seven pairs of games, without and with --replay in turn: the medians of
# their wall and CPU times, and the median of the seven ratios (each pair
# played one after the other, so that a change in the machine's load touches
# both); then the page's size and how long it takes to open.
replay() {
  ensure_browser
  local page_dir without=() with=() ratios=()
  page_dir=$(mktemp -d /tmp/vexa-replay-page-XXXXXX)
  for _ in 1 2 3 4 5 6 7; do
    without+=("$(timed_game)")
    with+=("$(timed_game --replay "$page_dir/replay.html")")
    ratios+=("$(awk -v a="${with[-1]%% *}" -v b="${without[-1]%% *}" 'BEGIN { printf "%.3f", a / b }')")
  done
  echo "2 x 11 players, 3000 cycles, 7 pairs of games (wall from kick-off to fieldsim's end):"
  echo "  without --replay: median $(printf '%s\n' "${without[@]}" | cut -d' ' -f1 | median) s wall," \
    "fieldsim $(printf '%s\n' "${without[@]}" | cut -d' ' -f2 | median) s CPU"
  echo "  with --replay:    median $(printf '%s\n' "${with[@]}" | cut -d' ' -f1 | median) s wall," \
    "fieldsim $(printf '%s\n' "${with[@]}" | cut -d' ' -f2 | median) s CPU"
  echo "  ratio with / without: median $(printf '%s\n' "${ratios[@]}" | median) (pairs: ${ratios[*]})"
  echo "page: $(stat -c %s "$page_dir/replay.html") bytes"
  node bench/replay_open.mjs "$page_dir/replay.html" "$build/replay-22-players.png"
  rm -rf "$page_dir"
}

# Robot-robot contact as fieldsim plays it (one-sided) and joining the
# robots into one island of the stepper, for comparison.
contact() {
  for mode in one-sided joined; do
    echo "== --robot-contact $mode"
    "$build/sim/fieldsim_contact_bench" --robot-contact "$mode"
  done
}

# A 2 x 11 physics game in sync mode, as a user would play it: its speed in
# every window of 500 cycles (from the result file), the largest group of
# touching robots in each, and the blow-ups per robot with the longest run
# of them. The machine's load before and after, since the speeds want a
# quiet machine.
match() {
  local cycles=${1:-15000} game
  game=$(mktemp -d /tmp/vexa-match-XXXXXX)
  echo "load before: $(uptime)"
  : >"$game/fieldsim.txt"
  "$build/sim/fieldsim" --port 0 --agents 22 --cycles "$cycles" --result "$game/result.json" \
    >"$game/fieldsim.txt" 2>&1 &
  local sim=$! port
  port=$(port_of "$game/fieldsim.txt")
  for team in VEXA3D RIVALS; do
    VEXA3D="$repo/$build/vexa3d" VEXA_RUN_DIR="$game/run" scripts/start-team.sh 127.0.0.1 "$port" \
      "$team" >/dev/null
  done
  wait "$sim"
  echo "load after:  $(uptime)"
  /usr/bin/python3 scripts/match-figures.py "$game/result.json"
  rm -rf "$game"
}

case "${1:-}" in
  cycle) google_benchmark cycle_bench ;;
  parser) google_benchmark parser_bench ;;
  roundtrip) "$build/bench/roundtrip" "$build/vexa3d" tests/data/full_view_six_players.txt 10000 ;;
  memory) memory ;;
  replay) replay ;;
  contact) contact ;;
  match) match "${2:-}" ;;
  *) sed -n '2,10p' "$0" >&2; exit 2 ;;
esac
