#!/usr/bin/env bash
# scripts/play.sh plays in the physics world unless told otherwise, prints
# one summary line per agent and where the game's result file is, and that
# file has every agent playing every cycle.
#
#   play.sh FIELDSIM VEXA3D SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/lib.sh"

VEXA_PLAY_BUILD=$4 VEXA_PLAY_GAME=$work/game timeout "$limit" \
  "$source_dir/scripts/play.sh" 3 150 >"$work/fieldsim.txt" 2>&1 || fail "play.sh failed"
[ "$(grep -c "^agent L[0-9]* (VEXA3D [0-9]*): beams " "$work/fieldsim.txt")" -eq 3 ] ||
  fail "not one summary line per agent"
grep -q "^result file (JSON): $work/game/result.json$" "$work/fieldsim.txt" || fail "no result file named"
result_file=$work/game/result.json
[ "$(result '[r["world"]["kind"], r["status"], len(r["robots"])]')" = '["physics", "completed", 3]' ] ||
  fail "not a completed physics game of three"
[ "$(result 'sum(x["messages_in"] == 151 and x["messages_out"] == 150 for x in r["robots"])')" -eq 3 ] ||
  fail "not every agent played every cycle"
echo "play.sh: physics, three agents with their summary lines and the result file"
