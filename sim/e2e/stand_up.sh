#!/usr/bin/env bash
# A field player knocked over after cycle 200 stands up and walks again.
#
#   stand_up.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

start_fieldsim --world kinematic --cycles 1100 --knock 2@250
start_agent VEXA3D 2
wait_game

out=$(output_of VEXA3D 2)
[ "$(result '[e["cycle"] for e in events("fall")]')" = "[251]" ] ||
  fail "not knocked over once, at once: falls at $(result '[e["cycle"] for e in events("fall")]')"
[ "$(result 'robot("L2")["get_ups"]')" -eq 1 ] || fail "no get-up seen by fieldsim"
grep -q "^I am Falling Down$" "$out" || fail "the player did not notice its fall"
grep -q "^Stand_Up successfully " "$out" || fail "the stand-up did not end"
awk '/^Stand_Up successfully / { up = 1 } up && /^WF_Raise_Right_Leg$/ { step = 1 }
     END { exit !step }' "$out" || fail "no step after standing up"
read -r x1 y1 _ <<<"$(pose_at 250 L2)"
read -r x2 y2 _ <<<"$(pose_at 1100 L2)"
farther "$x1" "$y1" "$x2" "$y2" 0.05 || fail "the player did not move after the fall: ($x1, $y1) to ($x2, $y2)"
echo "knocked over at cycle 250, stood up and walked from ($x1, $y1) to ($x2, $y2)"
