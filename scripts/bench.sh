#!/usr/bin/env bash
# Builds the release benchmarks and runs one of them:
#
#   scripts/bench.sh cycle      # one agent cycle in process (Google Benchmark)
#   scripts/bench.sh parser     # parsing one full perception message
#   scripts/bench.sh roundtrip  # loopback round trip: vexa3d against a bare responder
#   scripts/bench.sh memory     # peak resident size of a player in a 3000-cycle game
#   scripts/bench.sh replay     # a 2 x 11 game with and without --replay; the page's opening
#   scripts/bench.sh step       # the physics world stepping 22 robots without agents, per setting
#   scripts/bench.sh experiment # the experiment tool's games per minute, 1 and 2 workers; its cost
#   scripts/bench.sh live       # a 2 x 11 game with and without 64 live pages; a screenshot
#   scripts/bench.sh contact    # six robots in a heap against six apart; what contact does
#   scripts/bench.sh match [N]  # a whole 2 x 11 physics game (N cycles, 15000 by default)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
source scripts/deps.sh
ensure_build_deps

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target vexa3d fieldsim fieldsim_step_bench fieldsim_contact_bench \
  cycle_bench parser_bench roundtrip peak_rss >/dev/null
echo "machine: $(nproc) cores, $(uname -m)"

google_benchmark() {
  "$build/bench/$1" --benchmark_repetitions=20 --benchmark_report_aggregates_only=true
}


# printed SED_SCRIPT FILE: what the script picks out of FILE once it is there.
printed() {
  local value=""
  for _ in $(seq 100); do
    value=$(sed -n "$1" "$2")
    [ -n "$value" ] && break
    sleep 0.1
  done
  echo "$value"
}

# The port fieldsim listens on, once it has printed it in FILE.
port_of() {
  printed 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$1"
}

# Two teams of eleven of the bench build join the fieldsim at PORT, their
# files in RUN_DIR: start_teams PORT RUN_DIR.
start_teams() {
  for team in VEXA3D RIVALS; do
    VEXA3D="$repo/$build/vexa3d" VEXA_RUN_DIR="$2" scripts/start-team.sh 127.0.0.1 "$1" "$team" \
      >/dev/null
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


# A 2 x 11, 3000-cycle game; extra fieldsim options in the arguments. With
# $watcher set, fieldsim serves the game live (--live 0) and the command
# `$watcher ADDRESS` watches it: started before the teams, which join once
# it prints "ready"; what else it prints goes to standard error.
# Prints the seconds from the kick-off to the end of fieldsim (its outputs
# written), the CPU seconds fieldsim used and its cycles per second (from
# the kick-off, by its result file).
timed_game() {
  local game live=()
  game=$(mktemp -d /tmp/vexa-replay-XXXXXX)
  : >"$game/fieldsim.txt"
  [ -z "${watcher:-}" ] || live=(--live 0)
  (
    TIMEFORMAT='%U %S'
    time "$build/sim/fieldsim" --port 0 --agents 22 --cycles 3000 --result "$game/result.json" \
      "${live[@]}" "$@" >"$game/fieldsim.txt" 2>&1
  ) 2>"$game/cpu.txt" &
  local sim=$! port="" kick_off="" watching=""
  port=$(port_of "$game/fieldsim.txt")
  if [ -n "${watcher:-}" ]; then
    : >"$game/watcher.txt"
    $watcher "$(printed 's/^fieldsim: live at \(http.*\)$/\1/p' "$game/fieldsim.txt")" \
      >"$game/watcher.txt" 2>&1 &
    watching=$!
    until grep -q "^ready" "$game/watcher.txt"; do
      kill -0 "$watching" 2>/dev/null || { cat "$game/watcher.txt" >&2; return 1; }
      sleep 0.05
    done
  fi
  start_teams "$port" "$game/run"
  until grep -q "kick-off" "$game/fieldsim.txt"; do
    kill -0 "$sim" 2>/dev/null || { cat "$game/fieldsim.txt" >&2; return 1; }
    sleep 0.005
  done
  kick_off=$(date +%s.%N)
  wait "$sim"
  local to cycles_per_second
  to=$(date +%s.%N)
  if [ -n "$watching" ]; then
    wait "$watching" || cat "$game/watcher.txt" >&2
    grep -v "^ready" "$game/watcher.txt" >&2
  fi
  cycles_per_second=$(/usr/bin/python3 -c \
    'import json, sys; print(json.load(open(sys.argv[1]))["cycles_per_second"])' "$game/result.json")
  awk -v from="$kick_off" -v to="$to" -v cps="$cycles_per_second" \
    '{ printf "%.2f %.2f %s\n", to - from, $1 + $2, cps }' "$game/cpu.txt"
  rm -rf "$game"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# pairs FIELD UNIT LABEL COMMAND...: seven pairs of games, timed_game and
# COMMAND in turn (each pair one after the other, so that a change in the
# machine's load touches both), compared by timed_game's FIELD-th figure in
# UNIT: its medians and those of fieldsim's CPU time, and the median of the
# seven ratios.
pairs() {
  local field=$1 unit=$2 label=$3 without=() with=() ratios=()
  shift 3
  for _ in 1 2 3 4 5 6 7; do
    without+=("$(timed_game)")
    with+=("$("$@")")
    ratios+=("$(printf '%s\n%s\n' "${with[-1]}" "${without[-1]}" | cut -d' ' -f"$field" |
      awk 'NR == 1 { a = $1 } NR == 2 { printf "%.3f", a / $1 }')")
  done
  echo "  without $label: median $(printf '%s\n' "${without[@]}" | cut -d' ' -f"$field" | median)" \
    "$unit, fieldsim $(printf '%s\n' "${without[@]}" | cut -d' ' -f2 | median) s CPU"
  echo "  with $label:    median $(printf '%s\n' "${with[@]}" | cut -d' ' -f"$field" | median)" \
    "$unit, fieldsim $(printf '%s\n' "${with[@]}" | cut -d' ' -f2 | median) s CPU"
  echo "  ratio with / without: median $(printf '%s\n' "${ratios[@]}" | median) (pairs: ${ratios[*]})"
}

# Seven pairs of games without and with --replay, by their wall time; then
# the page's size and how long it takes to open.
replay() {
  ensure_browser
  local page_dir
  page_dir=$(mktemp -d /tmp/vexa-replay-page-XXXXXX)
  echo "2 x 11 players, 3000 cycles, 7 pairs of games (wall from kick-off to fieldsim's end):"
  pairs 1 "s wall" --replay timed_game --replay "$page_dir/replay.html"
  echo "page: $(stat -c %s "$page_dir/replay.html") bytes"
  node bench/replay_open.mjs "$page_dir/replay.html" "$build/replay-22-players.png"
  rm -rf "$page_dir"
}

# 22 robots stepped without agents, standing and then lying, for each world
# setting of the physics table: the median of three runs of each, in cycles
# per second of fieldsim_step_bench's processor time.
step() {
  local setting runs
  for setting in "--cfm 1e-5" "--cfm 3e-5" "--cfm 1e-4" "--cfm 1e-5 --solver quick"; do
    # shellcheck disable=SC2086
    runs=$(for _ in 1 2 3; do "$build/sim/fieldsim_step_bench" $setting; done)
    echo "$setting: standing $(awk '{ print $2 }' <<<"$runs" | median) lying" \
      "$(awk '{ print $4 }' <<<"$runs" | median) cycles per processor-second (runs:" \
      "$(awk '{ printf "%s%s/%s", (NR > 1 ? ", " : ""), $2, $4 }' <<<"$runs"))"
  done
}

# Seconds the command in the arguments takes, by the wall clock.
wall() {
  local start
  start=$(date +%s.%N)
  "$@" >/dev/null
  awk -v from="$start" -v to="$(date +%s.%N)" 'BEGIN { printf "%.1f", to - from }'
}

# The first 12 games of experiments/stand-up.toml played by the experiment
# tool on 1 and on 2 local workers (its whole run: start, cluster, games,
# storing, report), then the same games, the same command lines, by a plain
# loop of fieldsim and agent; games per minute of each and the tool's cost
# per game against the loop.
experiment() {
  local games=12 dir one two plain
  dir=$(mktemp -d /tmp/vexa-experiment-XXXXXX)
  scripts/experiment.sh --help >/dev/null  # builds build/release, the files' binaries
  one=$(wall env VEXA_EXPERIMENT_NO_BUILD=1 scripts/experiment.sh experiments/stand-up.toml \
    --games "$games" --workers 1 --results "$dir/one")
  two=$(wall env VEXA_EXPERIMENT_NO_BUILD=1 scripts/experiment.sh experiments/stand-up.toml \
    --games "$games" --workers 2 --results "$dir/two")
  plain=$(/usr/bin/python3 bench/experiment_loop.py "$dir/one/stand-up.sqlite" | cut -d' ' -f2)
  awk -v n="$games" -v one="$one" -v two="$two" -v plain="$plain" 'BEGIN {
    printf "%d stand-up games: 1 worker %.1f s (%.1f games/min), 2 workers %.1f s (%.1f games/min)\n",
      n, one, 60 * n / one, two, 60 * n / two
    printf "plain loop %.1f s (%.1f games/min); the tool costs %.2f s per game more on 1 worker\n",
      plain, 60 * n / plain, (one - plain) / n }'
  rm -rf "$dir"
}

# A game that 64 live pages watch: one that never reads, 63 that read every frame.
watched_game() {
  watcher="node bench/live_viewers.mjs 64" timed_game
}

# Seven pairs of games in sync mode without and with 64 live pages, by their
# cycles per second; then one more game with a live page in Chromium, for
# its screenshot.
live() {
  ensure_browser
  echo "2 x 11 players, 3000 cycles, sync mode, 7 pairs of games (cycles per second from the kick-off):"
  pairs 3 "cycles/s" "64 live pages" watched_game
  watcher="node bench/live_screenshot.mjs $build/live-22-players.png" timed_game >/dev/null
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
  start_teams "$port" "$game/run"
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
  step) step ;;
  experiment) experiment ;;
  live) live ;;
  contact) contact ;;
  match) match "${2:-}" ;;
  *) sed -n '2,13p' "$0" >&2; exit 2 ;;
esac
