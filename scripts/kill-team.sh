#!/usr/bin/env bash
# Stops exactly the players that scripts/start-team.sh started for a team.
#
#   scripts/kill-team.sh [TEAM]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
team=${1:-VEXA3D}
pid_file=${VEXA_RUN_DIR:-$repo/build/run}/$team/pids

if [ ! -f "$pid_file" ]; then
  echo "no players of $team recorded ($pid_file)" >&2
  exit 1
fi
stopped=0
while read -r pid agent; do
  # A recorded id may since have been given to another program: stop it only
  # while it still runs the agent that was started under it.
  program=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | head -n 1) || true
  if [ -n "$pid" ] && [ "$program" = "$agent" ]; then
    kill "$pid" 2>/dev/null && stopped=$((stopped + 1))
  fi
done <"$pid_file"
rm -f "$pid_file"
echo "stopped $stopped players of $team"
