#!/usr/bin/env bash
# The result file agrees with what fieldsim prints, in either world: in a
# short game with a push, every count of every agent's summary line, the
# score and the cycles are the file's, each count is its number of events,
# the events come in cycle order and the windows of 500 cycles cover the
# game. A game ended by SIGTERM leaves a whole
# file, status "interrupted", with every cycle it played.
#
#   results.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

# The printed summary against the result file; prints what disagrees.
agrees_with_summary() {
  /usr/bin/python3 - "$work/result.json" "$work/fieldsim.txt" <<'PY'
import json, re, sys
r = json.load(open(sys.argv[1]))
printed = open(sys.argv[2]).read()
problems = []
def expect(what, got, want):
    if got != want: problems.append("%s: %s, not %s" % (what, got, want))
# The summary line's labels, the file's fields and the events counted.
counts = [("beams", "beams", "beam"), ("steps", "steps", "step"),
          ("side steps", "side_steps", "side-step"), ("kicks", "kicks", "kick"),
          ("falls", "falls", "fall"), ("get-ups", "get_ups", "get-up"),
          ("late replies", "late_replies", "late-reply"), ("messages in", "messages_in", None),
          ("out", "messages_out", None), (None, "blow_ups", "blow-up")]
for robot in r["robots"]:
    line = re.search(r"^agent %s .*$" % robot["label"], printed, re.M).group(0)
    for label, field, kind in counts:
        if label:
            expect(robot["label"] + " " + label,
                   robot[field], int(re.search(r"[:,\d] %s (\d+)" % label, line).group(1)))
        if kind:
            expect(robot["label"] + " " + kind + " events", robot[field],
                   sum(e["kind"] == kind and e["robot"] == robot["label"] for e in r["events"]))
score = re.search(r"^score: \S+ (\d+):(\d+)", printed, re.M).groups()
expect("score", [r["score"]["left"], r["score"]["right"]], [int(s) for s in score])
expect("cycles", r["cycles"], int(re.search(r"game over after (\d+) cycles", printed).group(1)))
for robot in r["robots"]:
    expect(robot["label"] + " laid flat", robot["laid_flat"],
           sum(e["kind"] == "blow-up" and e["robot"] == robot["label"] and e.get("laid_flat", False)
               for e in r["events"]))
# Windows of 500 cycles cover the game, each timed; one robot touches nobody.
windows = r["windows"]
expect("cycles of the windows", sum(w["cycles"] for w in windows), r["cycles"])
expect("first cycles", [w["first_cycle"] for w in windows], list(range(0, r["cycles"], 500)))
expect("timed windows, each rate its cycles over its own seconds",
       all(abs(w["cycles_per_second"] * w["wall_seconds"] / w["cycles"] - 1) < 1e-4 and
           abs(w["cycles_per_processor_second"] * w["processor_seconds"] / w["cycles"] - 1) < 1e-4
           for w in windows), True)
expect("touching groups", {w["largest_touching_group"] for w in windows} - {1}, set())
cycles = [e["cycle"] for e in r["events"]]
expect("events in cycle order", cycles, sorted(cycles))
print("\n".join(problems))
PY
}

play() {
  agents=()
  start_fieldsim "$@"
  start_agent VEXA3D 2
  wait_game
  problems=$(agrees_with_summary) || fail "the result file does not parse"
  [ -z "$problems" ] || fail "the result file and the summary disagree: $problems"
}

play --world kinematic --cycles 700 --push L2@300
[ "$(result '[r["status"], r["world"], robot("L2")["falls"]]')" = \
  '["completed", {"kind": "kinematic"}, 1]' ] || fail "not a completed kinematic game with a fall"
play --world physics --cycles 300 --push L2@200:5:180
[ "$(result '[r["status"], r["world"]["kind"], events("push")[0]["direction"]]')" = \
  '["completed", "physics", 180]' ] || fail "not a completed physics game pushed from the front"

start_fieldsim --world kinematic
start_agent VEXA3D 2
until [ "$(wc -l 2>/dev/null <"$work/trace.txt" || echo 0)" -ge 100 ]; do
  kill -0 "$sim_pid" 2>/dev/null || fail "fieldsim ended before it was stopped"
  sleep 0.05
done
kill -TERM "$sim_pid"
wait_game
[ "$(result '[r["status"], r["reason"], r["cycles"]]')" = \
  "[\"interrupted\", \"ended by SIGTERM\", $(wc -l <"$work/trace.txt")]" ] ||
  fail "not interrupted by SIGTERM after every cycle of the trace: $(result 'r["status"], r["reason"], r["cycles"]')"
[ -z "$(agrees_with_summary)" ] || fail "the interrupted game's file and summary disagree"
[ "$(ls "$work" | grep -c '^result\.json')" -eq 1 ] || fail "a temporary file was left: $(ls "$work")"
echo "result files agree with the summaries in both worlds; SIGTERM leaves a whole one"
