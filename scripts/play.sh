#!/usr/bin/env bash
# Plays a game on the stand-in server fieldsim: builds if needed, starts the
# server and a team, waits for the end and tells where everything is.
#
#   scripts/play.sh [--watch] [PLAYERS] [CYCLES]
#
# --watch plays in real time (one cycle every 20 ms) and shows the game live
# in the browser: the page's address, http://127.0.0.1:3300/ (the port is
# $VEXA_LIVE_PORT when set, 0 for a free one), is printed before the players
# start.
#
# PLAYERS (default 3: the goalkeeper and two field players) are taken from
# formations.conf in shirt-number order; from 12 on they form a second team,
# RIVALS, numbered from 1 again. CYCLES (default 6000, two minutes of play)
# bounds the game. The world is fieldsim's default, rigid-body physics.
# While it plays, fieldsim shows its progress on this script's standard
# output; Ctrl-C or SIGTERM ends the game early, and the summary and the
# paths are still printed (exit status 130 or 143). Otherwise the exit status
# is fieldsim's: 0, or 1 when a file could not be written.
# Extra fieldsim options can be given in $FIELDSIM_ARGS, for instance
# FIELDSIM_ARGS=--realtime to play at the pace of a real server, or
# FIELDSIM_ARGS="--world kinematic" for the fast kinematic world.
# $VEXA_PLAY_BUILD names a build directory to use as it is (no build), and
# $VEXA_PLAY_GAME where the game's files go.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"

live=()
if [ "${1:-}" = "--watch" ]; then
  live=(--realtime --live "${VEXA_LIVE_PORT:-3300}")
  shift
fi
players=${1:-3}
cycles=${2:-6000}
if ! [[ $players =~ ^([1-9]|1[0-9]|2[0-2])$ && $cycles =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [--watch] [PLAYERS 1..22] [CYCLES from 1]" >&2
  exit 2
fi

build=${VEXA_PLAY_BUILD:-build/play}
if [ -z "${VEXA_PLAY_BUILD:-}" ]; then
  source scripts/deps.sh
  ensure_build_deps
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" --target vexa3d fieldsim
fi
build=$(cd "$build" && pwd)

game=${VEXA_PLAY_GAME:-$build/game}
rm -rf "$game"
mkdir -p "$game"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The exit status of a child, however often a trapped signal cuts the wait
# short.
wait_for() {
  local status
  while :; do
    status=0
    wait "$1" || status=$?
    [ "$status" -gt 128 ] && kill -0 "$1" 2>/dev/null || return "$status"
  done
}

# The output file exists before fieldsim starts, so that the port can be
# looked for at once. fieldsim's progress goes to this script's standard
# output (file descriptor 3), the rest of its output to the file.
: >"$game/fieldsim.txt"
# shellcheck disable=SC2086
"$build/sim/fieldsim" --port 0 --agents "$players" --cycles "$cycles" \
  --trace "$game/trace.txt" --svg "$game/game.svg" --replay "$game/replay.html" \
  --result "$game/result.json" --progress /dev/fd/3 "${live[@]}" ${FIELDSIM_ARGS:-} \
  3>&1 >"$game/fieldsim.txt" 2>&1 &
sim=$!
pids+=("$sim")
# From here a signal ends the game, not the script: fieldsim is passed it,
# ends the game at once and writes its files.
stopped_by=""
stop_game() {
  stopped_by=$1
  kill -"$1" "$sim" 2>/dev/null || true
}
trap 'stop_game INT' INT
trap 'stop_game TERM' TERM
# printed SED_SCRIPT: what the script picks out of fieldsim's output once it
# is there; nothing if fieldsim ends first.
printed() {
  local value=""
  for _ in $(seq 100); do
    value=$(sed -n "$1" "$game/fieldsim.txt")
    [ -n "$value" ] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
  done
  echo "$value"
}
port=$(printed 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p')
if [ -z "$port" ]; then
  status=0
  wait_for "$sim" || status=$?
  cat "$game/fieldsim.txt" >&2
  exit "$status"
fi
joining="$players players join"
[ "$players" -gt 1 ] || joining="1 player joins"
echo "fieldsim listens on port $port; $joining"
if [ ${#live[@]} -gt 0 ]; then
  echo "watch the game live in a browser: $(printed 's/^fieldsim: live at \(http.*\)$/\1/p')"
fi

for i in $(seq "$players"); do
  team=VEXA3D
  number=$i
  if [ "$i" -gt 11 ]; then
    team=RIVALS
    number=$((i - 11))
  fi
  dir=$game/$team-$number
  mkdir -p "$dir/.logfiles"
  cp formations.conf "$dir/"
  (cd "$dir" && exec "$build/vexa3d" -s 127.0.0.1 -p "$port" -t "$team" -n "$number" \
    >output.txt 2>&1) &
  pids+=("$!")
done

sim_status=0
wait_for "$sim" || sim_status=$?
for pid in "${pids[@]:1}"; do wait_for "$pid" 2>/dev/null || true; done
pids=()

# fieldsim's summary and the files it wrote (or could not write); all of its
# output when there was no game.
if grep -q "^fieldsim: game over" "$game/fieldsim.txt"; then
  sed -n '/^fieldsim: \(ended by\|every agent has left\|game over\)/,$p' "$game/fieldsim.txt"
else
  cat "$game/fieldsim.txt" >&2
fi
echo "server output: $game/fieldsim.txt"
echo "players' output: $game/<team>-<number>/output.txt (logs in .logfiles/)"
if [ -n "$stopped_by" ]; then exit $((128 + $(kill -l "$stopped_by"))); fi
exit "$sim_status"
