#!/usr/bin/env bash
# Two teams of eleven, started with scripts/start-team.sh, play 500 cycles in
# sync mode: no reply is late, and every player has beamed to its place in
# formations.conf (the right team's places turned half round).
#
#   two_teams.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"
export VEXA3D=$agent_bin VEXA_RUN_DIR=$work/run
stop_teams() {
  for team in VEXA3D RIVALS; do
    if [ -f "$VEXA_RUN_DIR/$team/pids" ]; then
      "$source_dir/scripts/kill-team.sh" "$team" >/dev/null
    fi
  done
}
cleanup_hooks+=(stop_teams)

start_fieldsim --world kinematic --cycles 500 --agents 22
"$source_dir/scripts/start-team.sh" 127.0.0.1 "$port" VEXA3D >/dev/null
"$source_dir/scripts/start-team.sh" 127.0.0.1 "$port" RIVALS >/dev/null
wait "$sim_pid" || fail "fieldsim ended with status $?"
pids=$(cut -d ' ' -f 1 "$VEXA_RUN_DIR"/*/pids | paste -sd ,)
for _ in $(seq 100); do
  running=$(ps -o pid= -p "$pids" | wc -l) || true
  [ "$running" -eq 0 ] && break
  sleep 0.1
done
[ "$running" -eq 0 ] || fail "$running players still run after the game"

[ "$(result 'sum(x["late_replies"] == 0 and x["messages_in"] == 501 and x["messages_out"] == 500
               for x in r["robots"])')" -eq 22 ] || fail "not every one of 22 agents answered every cycle"
while read -r number x y; do
  for side in L R; do
    read -r px py _ <<<"$(pose_at 49 "$side$number")"
    [ -n "$px" ] || fail "$side$number is not on the field"
    awk -v s="$side" -v x="$x" -v y="$y" -v px="$px" -v py="$py" 'BEGIN {
      if (s == "R") { x = -x; y = -y }
      exit !((px - x) ^ 2 + (py - y) ^ 2 < 1e-4) }' ||
      fail "$side$number stands at ($px, $py), not at its place ($x, $y)"
  done
done < <(sed -n 's/^\*\([0-9]*\) \([-0-9.]*\) \([-0-9.]*\) .*/\1 \2 \3/p' \
  "$source_dir/formations.conf")
echo "22 players, 500 cycles, no late reply, everyone at its place before kick-off"
