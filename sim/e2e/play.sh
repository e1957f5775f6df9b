#!/usr/bin/env bash
# scripts/play.sh plays in the physics world unless told otherwise, prints
# one summary line per agent, by shirt number, and each file's path once, and
# the game's result file has every agent playing every cycle. It refuses
# player and cycle counts that cannot be meant with one line. While a game
# plays, its progress appears on play.sh's output (fieldsim's own lines reach
# their file as they are written), and in real time the agent's replies are
# in time; SIGTERM ends the game, and the summary and the paths are still
# printed.
#
#   play.sh FIELDSIM VEXA3D SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/lib.sh"
export VEXA_PLAY_BUILD=$4 VEXA_PLAY_GAME=$work/game
out=$work/play.txt

timeout "$limit" "$source_dir/scripts/play.sh" 3 150 >"$out" 2>&1 || fail "play.sh failed"
[ "$(grep -o "^agent L[0-9]* (VEXA3D [0-9]*): beams " "$out" | cut -c7-8 | tr -d '\n')" = L1L2L3 ] ||
  fail "not one summary line per agent, by number"
for file in fieldsim.txt trace.txt game.svg replay.html result.json; do
  [ "$(grep -c "$work/game/$file$" "$out")" -eq 1 ] || fail "$file not named once"
done
result_file=$work/game/result.json
[ "$(result '[r["world"]["kind"], r["status"], len(r["robots"])]')" = '["physics", "completed", 3]' ] ||
  fail "not a completed physics game of three"
[ "$(result 'sum(x["messages_in"] == 151 and x["messages_out"] == 150 for x in r["robots"])')" -eq 3 ] ||
  fail "not every agent played every cycle"

for counts in "3 abc" "3 0" "23 100" "0"; do
  status=0
  # shellcheck disable=SC2086
  "$source_dir/scripts/play.sh" $counts >"$out" 2>&1 || status=$?
  [ "$status" -eq 2 ] && [ "$(wc -l <"$out")" -eq 1 ] && grep -q "^usage: " "$out" ||
    fail "play.sh $counts: status $status, $(cat "$out")"
done

FIELDSIM_ARGS="--world kinematic --realtime" "$source_dir/scripts/play.sh" 1 100000 >"$out" 2>&1 &
play=$!
started+=("$play")
until grep -q "^cycle [0-9]*/100000, " "$out"; do
  kill -0 "$play" 2>/dev/null || fail "play.sh ended before it showed its progress"
  sleep 0.1
done
grep -q "kick-off" "$work/game/fieldsim.txt" || fail "fieldsim's kick-off line did not reach its file"
[ ! -e "$result_file" ] || fail "the game was over before it was stopped"
kill -TERM "$play"
status=0
wait "$play" || status=$?
[ "$status" -eq 143 ] || fail "play.sh stopped by SIGTERM ended with status $status"
grep -q "^agent L1 (VEXA3D 1): beams " "$out" && grep -q "^result file: $result_file$" "$out" &&
  grep -q "^server output: " "$out" || fail "no summary or paths after SIGTERM: $(cat "$out")"
[ "$(result '[r["status"], r["reason"]]')" = '["interrupted", "ended by SIGTERM"]' ] ||
  fail "the stopped game's result file: $(result '[r["status"], r["reason"]]')"
# In real time the agent has the cycle's 20 ms to answer, which it needs a
# fraction of: a late reply is rare (a busy machine), not the rule.
[ "$(result 'r["robots"][0]["late_replies"] * 10 <= r["cycles"]')" = true ] ||
  fail "late replies in real time: $(result '[r["robots"][0]["late_replies"], r["cycles"]]')"

# A whole game in real time: every cycle waits for its tick, 20 ms after the
# one before, counted from the kick-off, so the game lasts at least its
# cycles' time, and not much more.
FIELDSIM_ARGS="--world kinematic --realtime" "$source_dir/scripts/play.sh" 1 50 >"$out" 2>&1 ||
  fail "a real-time game of 50 cycles failed: $(cat "$out")"
[ "$(result '1.0 <= r["wall_seconds"] < 3.0')" = true ] ||
  fail "50 cycles in real time took $(result 'r["wall_seconds"]') s"
echo "play.sh: physics, three agents in order, each path once; its progress while it plays; SIGTERM; real time"
