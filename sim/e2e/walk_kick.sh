#!/usr/bin/env bash
# A field player walks to the ball, stops next to it, circles it when the
# goal is not ahead, kicks, and the ball rolls at least a metre.
#
#   walk_kick.sh FIELDSIM VEXA3D SOURCE_DIR BALL_X,BALL_Y CYCLES [circle]
#
# With "circle" the player must also have walked round the ball: its
# bearing from the ball, while the ball lay where it started, turned by 45
# degrees or more.
source "$(dirname "$0")/lib.sh"
ball=$4
cycles=$5
expect_circling=${6:-}

start_fieldsim --world kinematic --cycles "$cycles" --ball "$ball"
start_agent VEXA3D 11
wait_game

out=$(output_of VEXA3D 11)
steps=$(result 'robot("L11")["steps"]')
[ "$steps" -ge 4 ] || fail "the player took $steps steps"
# It stopped because the ball was near: the last distance it measured
# before the stop was under 0.3.
grep -q "^wm::dis_to_ball0\.[0-2]" "$out" || fail "the player never found the ball near"
grep -q "^kick \(left\|right\) leg$" "$out" || fail "the player did not kick"
if [ "$expect_circling" = circle ]; then
  grep -q "^I'm Around Balling$" "$out" || fail "the player did not circle the ball"
  turned=$(went_round L11)
  awk -v t="$turned" 'BEGIN { exit !(t >= 45) }' || fail "it went only $turned degrees round the ball"
fi
kicks=$(result 'robot("L11")["kicks"]')
[ "$kicks" -ge 1 ] || fail "fieldsim saw no kick"
moved=$(result 'r["ball"]["moved"]')
awk -v m="$moved" 'BEGIN { exit !(m >= 1) }' || fail "the ball moved only $moved m"
echo "walked, stopped and kicked: $steps steps, the ball moved $moved m"
