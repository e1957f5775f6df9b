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
if ! [[ $players =~ ^[0-9]+$ ]] || [ "$players" -lt 1 ] || [ "$players" -gt 22 ]; then
  echo "usage: $0 [--watch] [PLAYERS 1..22] [CYCLES]" >&2
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
trap 'exit 130' INT TERM

# The output file exists before fieldsim starts, so that the port can be
# looked for at once.
: >"$game/fieldsim.txt"
# shellcheck disable=SC2086
"$build/sim/fieldsim" --port 0 --agents "$players" --cycles "$cycles" \
  --trace "$game/trace.txt" --svg "$game/game.svg" --replay "$game/replay.html" \
  --result "$game/result.json" "${live[@]}" ${FIELDSIM_ARGS:-} \
  >"$game/fieldsim.txt" 2>&1 &
sim=$!
pids+=("$sim")
# printed SED_SCRIPT: what the script picks out of fieldsim's output once it
# is there; fieldsim's output on standard error, and exit, if it never comes.
printed() {
  local value=""
  for _ in $(seq 100); do
    value=$(sed -n "$1" "$game/fieldsim.txt")
    [ -n "$value" ] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$value" ] || { cat "$game/fieldsim.txt" >&2; return 1; }
  echo "$value"
}
port=$(printed 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p') || exit 1
echo "fieldsim listens on port $port; $players players join"
if [ ${#live[@]} -gt 0 ]; then
  address=$(printed 's/^fieldsim: live at \(http.*\)$/\1/p') || exit 1
  echo "watch the game live in a browser: $address"
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

wait "$sim" || true
for pid in "${pids[@]:1}"; do wait "$pid" 2>/dev/null || true; done
pids=()

sed -n '/game over/,$p' "$game/fieldsim.txt"
echo
echo "server output:      $game/fieldsim.txt"
echo "trace, one line per cycle: $game/trace.txt"
echo "picture:            $game/game.svg"
echo "replay, open it in a browser: $game/replay.html"
echo "result file (JSON): $game/result.json"
echo "players' output:    $game/<team>-<number>/output.txt (logs in .logfiles/)"
