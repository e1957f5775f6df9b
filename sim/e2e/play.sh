#!/usr/bin/env bash
# scripts/play.sh plays in the physics world unless told otherwise, and its
# summary keeps one line per agent.
#
#   play.sh FIELDSIM VEXA3D SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/lib.sh"

VEXA_PLAY_BUILD=$4 VEXA_PLAY_GAME=$work/game timeout "$limit" \
  "$source_dir/scripts/play.sh" 3 150 >"$work/fieldsim.txt" 2>&1 || fail "play.sh failed"
grep -q "^physics: dWorldStep, world CFM 1e-05;" "$work/fieldsim.txt" || fail "not physics"
count=$(grep -c "^agent L[0-9]* (VEXA3D [0-9]*): beams [0-9]*, steps [0-9]*, side steps [0-9]*, \
kicks [0-9]*, falls [0-9]*, get-ups [0-9]*, late replies [0-9]*, messages in 151 out 150$" \
  "$work/fieldsim.txt" || true)
[ "$count" -eq 3 ] || fail "$count of 3 agents have their summary line"
echo "play.sh: physics, three agents with their summary lines"
