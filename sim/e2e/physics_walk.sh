#!/usr/bin/env bash
# In the physics world the agent plays 1000 cycles, the ball 2 m ahead of
# it: no crash, no late reply. The figures of its walk (scripts/
# walk-figures.sh) are written to FIGURES; they are measurements, not pass
# conditions.
#
#   physics_walk.sh FIELDSIM VEXA3D SOURCE_DIR FIGURES
source "$(dirname "$0")/lib.sh"
figures=$4

start_fieldsim --world physics --cycles 1000 --ball 1.4,0
start_agent VEXA3D 11
wait_game

line=$(robot_line L11)
[ "$(value_after "late replies" "$line")" -eq 0 ] || fail "late replies: $line"
grep -q "messages in 1001 out 1000$" <<<"$line" || fail "not every cycle answered: $line"
grep -q "^physics: dWorldStep" "$work/fieldsim.txt" || fail "not the physics world"
"$source_dir/scripts/walk-figures.sh" "$work/trace.txt" "$work/fieldsim.txt" L11 >"$figures"
echo "walked 1000 cycles: $(cat "$figures") (in $figures)"
