#!/usr/bin/env bash
# Starts the eleven players of a team against a running server, in the
# background, and records their process ids for scripts/kill-team.sh.
#
#   scripts/start-team.sh HOST [PORT] [TEAM]
#
# Each player runs in its own folder, $VEXA_RUN_DIR/TEAM/playerN (default
# build/run/TEAM/playerN), with a copy of formations.conf, a .logfiles/
# folder, its output in output.txt and its standard error, also in
# output.txt, in errors.txt. The agent is $VEXA3D (default build/play/vexa3d,
# which scripts/play.sh builds); $PLAYERS lists the shirt numbers to start
# (default 1 to 11). A moment after starting them ($VEXA_START_WAIT seconds,
# default 1, less when every player has ended by then), the players that
# have already failed (no server there, an unknown host) are reported with
# their last error line, and the exit status is 1; a player that ended well
# (exit status 0) played a game the server has ended already.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: $0 HOST [PORT] [TEAM]" >&2
  exit 2
fi
host=$1
port=${2:-3100}
team=${3:-VEXA3D}
agent=${VEXA3D:-$repo/build/play/vexa3d}
team_dir=${VEXA_RUN_DIR:-$repo/build/run}/$team
pid_file=$team_dir/pids

if [ ! -f "$agent" ] || [ ! -x "$agent" ]; then
  echo "no agent at $agent: run scripts/play.sh once or set VEXA3D" >&2
  exit 1
fi
# The players start in their own folders: a relative path would lead nowhere.
agent=$(realpath "$agent")
if [ -f "$pid_file" ]; then
  while read -r pid _; do
    if kill -0 "$pid" 2>/dev/null; then
      echo "$team is running already; stop it with scripts/kill-team.sh $team" >&2
      exit 1
    fi
  done <"$pid_file"
fi

mkdir -p "$team_dir"
: >"$pid_file"
numbers=()
pids=()
for number in ${PLAYERS:-1 2 3 4 5 6 7 8 9 10 11}; do
  dir=$team_dir/player$number
  mkdir -p "$dir/.logfiles"
  cp "$repo/formations.conf" "$dir/"
  : >"$dir/output.txt"
  (cd "$dir" && exec "$agent" -s "$host" -p "$port" -t "$team" -n "$number" >>output.txt \
    2> >(tee -a output.txt >errors.txt)) &
  numbers+=("$number")
  pids+=("$!")
  echo "$! $agent" >>"$pid_file"
done
echo "started $team (players ${PLAYERS:-1 to 11}) against $host:$port; output in $team_dir"

# A player that cannot reach the server ends at once.
any_running() {
  local pid
  for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && return 0; done
  return 1
}
for _ in $(seq $((${VEXA_START_WAIT:-1} * 10))); do
  any_running || break
  sleep 0.1
done
failed=0
for i in "${!pids[@]}"; do
  pid=${pids[$i]} number=${numbers[$i]}
  kill -0 "$pid" 2>/dev/null && continue
  status=0
  wait "$pid" || status=$?
  [ "$status" -ne 0 ] || continue
  dir=$team_dir/player$number
  last=$(tail -n 1 "$dir/errors.txt")
  echo "player $number has ended (exit status $status): ${last:-$(tail -n 1 "$dir/output.txt")}" >&2
  failed=$((failed + 1))
done
[ "$failed" -eq 0 ] || exit 1
