#!/usr/bin/env bash
# In the physics world the agent plays 1000 cycles, the ball 2 m ahead of
# it: no crash, no late reply. The figures of its walk, from the game's
# result file, are written to FIGURES; they are measurements, not pass
# conditions: whether and when it reached the ball (its torso within 0.35 m
# of the ball's centre, seconds from the kick-off), its speed towards the
# ball until then (or over the whole game), its falls and get-ups, its kicks
# and how far the ball went.
#
#   physics_walk.sh FIELDSIM VEXA3D SOURCE_DIR FIGURES
source "$(dirname "$0")/lib.sh"
figures=$4

start_fieldsim --world physics --cycles 1000 --ball 1.4,0
start_agent VEXA3D 11
wait_game

[ "$(result '[robot("L11")[k] for k in ("late_replies", "messages_in", "messages_out")]')" = \
  "[0, 1001, 1000]" ] || fail "late replies, or not every cycle answered"
[ "$(result 'r["world"]["kind"]')" = physics ] || fail "not the physics world"
# From the first kick-off (the ball still where it started) until the robot
# came near the ball, or to the end when it did not.
/usr/bin/python3 - "$work/result.json" >"$figures" <<'PY'
import json, math, sys
r = json.load(open(sys.argv[1]))
me = next(x for x in r["robots"] if x["label"] == "L11")
near = [e for e in r["events"] if e["kind"] == "near-ball" and e["robot"] == "L11"]
start = math.dist((me["start"]["x"], me["start"]["y"]), r["ball"]["start"])
if near:
    cycle, left = near[0]["cycle"], near[0]["distance"]
else:
    cycle, left = r["cycles"], math.dist((me["end"]["x"], me["end"]["y"]), r["ball"]["end"])
seconds = (cycle - r["kick_off_cycle"]) * r["cycle_seconds"]
print("reached %s time %s speed %.3f falls %d get-ups %d kicks %d ball %.2f" % (
    "yes" if near else "no", "%.1f" % seconds if near else "-",
    (start - left) / seconds if seconds > 0 else 0, me["falls"], me["get_ups"], me["kicks"],
    r["ball"]["moved"]))
PY
echo "walked 1000 cycles: $(cat "$figures") (in $figures)"
