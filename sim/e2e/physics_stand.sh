#!/usr/bin/env bash
# In the physics world, a robot whose joints hold still (its client joins
# and sends no speed) stands for 500 cycles: no fall, its torso in place.
#
#   physics_stand.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

start_fieldsim --world physics --cycles 500 --reply-timeout 2
client "(scene rsg/agent/nao/nao.rsg)" "(init (unum 2)(teamname STILL))"
cat <&"$fd" >/dev/null &
started+=("$!")
wait "$sim_pid" || fail "fieldsim ended with status $?"

[ "$(result 'robot("L2")["falls"]')" -eq 0 ] || fail "the robot fell"
read -r x1 y1 _ <<<"$(pose_at 10 L2)"
read -r x2 y2 _ <<<"$(pose_at 499 L2)"
! farther "$x1" "$y1" "$x2" "$y2" 0.01 || fail "the torso drifted from ($x1, $y1) to ($x2, $y2)"
[ "$(result 'r["world"]["kind"], r["world"]["solver"], len(events("blow-up"))')" = \
  "[\"physics\", \"step\", 0]" ] || fail "not the physics world, or it blew up"
echo "stood 500 cycles at ($x2, $y2)"
