#!/usr/bin/env bash
# scripts/start-team.sh reports the players that failed at once (no server
# at the port, a port that is no number), each with its error line, and
# exits 1; given a relative VEXA3D, it starts a team that plays, and
# kill-team.sh stops exactly those players.
#
#   start_team.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"
export VEXA_RUN_DIR=$work/run PLAYERS="2 3"
out=$work/start.txt

# A port the system just gave out and took back: nothing listens there.
free_port=$(/usr/bin/python3 -c '
import socket
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    print(s.getsockname()[1])')
for port_given in "$free_port" abc; do
  status=0
  # Time for a slow start (the sanitizer build, a busy machine): the script
  # waits less when every player has ended.
  VEXA3D=$agent_bin VEXA_START_WAIT=60 "$source_dir/scripts/start-team.sh" 127.0.0.1 "$port_given" "T$port_given" \
    >"$out" 2>&1 || status=$?
  [ "$status" -eq 1 ] || fail "start-team.sh against port $port_given ended with status $status"
  for number in 2 3; do
    grep -qx "player $number has ended (exit status 1): .*Connection refused" "$out" ||
      fail "player $number's failure not reported: $(cat "$out")"
  done
done

stop_team() { "$source_dir/scripts/kill-team.sh" >/dev/null 2>&1; }
cleanup_hooks+=(stop_team)
start_fieldsim --world kinematic --realtime --cycles 1500 --agents 2
(cd "$work" && VEXA3D=$(realpath --relative-to="$work" "$agent_bin") \
  "$source_dir/scripts/start-team.sh" 127.0.0.1 "$port") >"$out" 2>&1 ||
  fail "start-team.sh with a relative VEXA3D: $(cat "$out")"
until grep -q "kick-off with 2 agents" "$work/fieldsim.txt"; do
  kill -0 "$sim_pid" 2>/dev/null || fail "fieldsim ended before the team joined"
  sleep 0.05
done
[ "$("$source_dir/scripts/kill-team.sh")" = "stopped 2 players of VEXA3D" ] ||
  fail "kill-team.sh did not stop both players"
wait "$sim_pid" || fail "fieldsim ended with status $?"
[ "$(result '[r["status"], [x["label"] for x in r["robots"]]]')" = '["interrupted", ["L2", "L3"]]' ] ||
  fail "not a game of L2 and L3 that they left: $(result 'r["status"]')"
echo "start-team.sh: failed players reported; a relative VEXA3D plays"
