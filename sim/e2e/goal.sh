#!/usr/bin/env bash
# A goal leads to one beam per player and a new kick-off: the field player
# walks to a ball near the goal and scores; then every player beams once to
# its place and the other team kicks off from the centre.
#
#   goal.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

start_fieldsim --world kinematic --cycles 4500 --agents 2 --ball 4.5,0
start_agent VEXA3D 1
start_agent VEXA3D 11
wait_game

[ "$(result '[r["score"]["left"] > 0, r["score"]["right"]]')" = "[true, 0]" ] || fail "no goal"
goal=$(result 'events("goal")[0]["cycle"]')
kick_off=$(result '[e["cycle"] for e in events("play-mode") if e["mode"] == "KickOff_Right"][0]')
[ -n "$goal" ] && [ -n "$kick_off" ] && [ "$kick_off" -gt "$goal" ] ||
  fail "no kick-off after the goal (goal at '$goal', kick-off at '$kick_off')"
for number in 1 11; do
  [ "$(grep -c "^goal ing$" "$(output_of VEXA3D $number)")" -eq 1 ] ||
    fail "player $number did not beam exactly once after the goal"
  # Twenty beams before kick-off, one after the goal.
  [ "$(result "robot(\"L$number\")[\"beams\"]")" -eq 21 ] ||
    fail "fieldsim did not see one beam of player $number after the goal"
done
read -r x y _ <<<"$(pose_at "$kick_off" L11)"
[ "$x $y" = "-0.600 0.000" ] || fail "player 11 is at ($x, $y) at the kick-off, not at its place"
echo "goal at cycle $goal, beams, kick-off at cycle $kick_off"
