#!/usr/bin/env bash
# The goalkeeper, with the ball brought within 2 m, plays its whole
# sequence to "Stand_Up successfully " twice: once from the start, and again
# because the ball is near.
#
#   goalkeeper.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

start_fieldsim --world kinematic --cycles 1200 --ball -4,0
start_agent VEXA3D 1
wait_game

out=$(output_of VEXA3D 1)
grep -q "^the distance to the ball1\.[0-9]" "$out" || fail "the ball was not seen within 2 m"
done_count=$(grep -c "^Stand_Up successfully $" "$out" || true)
[ "$done_count" -ge 2 ] || fail "the sequence ended $done_count times"
# Between the two, it went back to waiting (0) and was started by the ball.
awk '/^Stand_Up successfully $/ { done = 1 } done && /^0$/ { again = 1 } END { exit !again }' \
  "$out" || fail "no second start"
steps=$(result 'robot("L1")["steps"] + robot("L1")["side_steps"]')
[ "$steps" -eq 0 ] || fail "the goalkeeper walked: $steps steps"
echo "the goalkeeper played its sequence $done_count times"
