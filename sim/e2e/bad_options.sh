#!/usr/bin/env bash
# A bad option is refused before anything starts, with one line on standard
# error and exit status 2: a bad push, a result file that cannot be written,
# values that cannot be meant (a CFM that is not finite and positive, a ball
# off the field, no cycles, an endless join time), an option that would take
# the next option for its value, the physics world's options for the
# kinematic world. Any other file fieldsim is asked to write is created
# before the port opens: one that cannot be is exit status 1, and the result
# file says why. One that cannot be written at the end is an error line and
# exit status 1 after the game, whose result file is whole; a push of a robot
# that never joined is a warning at the kick-off.
#
#   bad_options.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

refused() {  # refused REASON OPTION...: exit status 2 and one line naming the reason
  local reason=$1 status=0
  shift
  "$fieldsim_bin" --port 0 "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "$* ended with status $status"
  [ "$(wc -l <"$work/err.txt")" -eq 1 ] && grep -qF -- "$reason" "$work/err.txt" ||
    fail "$*: not one line with '$reason': $(cat "$work/err.txt")"
  [ ! -s "$work/out.txt" ] || fail "$* went on: $(cat "$work/out.txt")"
}

refused "unknown label L12 (L1 to L11, R1 to R11)" --push L12@10
refused "unknown label X2" --push X2@10:5
refused "expected UNUM@CYCLE with UNUM 1 to 11" --knock 0@10
refused "the impulse must be a number of N s, 0 or more" --push L2@10:-1
refused "the impulse must be a number of N s, 0 or more" --push R2@10:nan
refused "the impulse must be a number of N s, 0 or more" --push R2@10:inf:90
refused "the direction must be a number of degrees" --push L2@10:5:left
refused "expected LABEL@CYCLE" --push L2
refused "the folder $work/missing does not exist" --result "$work/missing/result.json"
refused "--result $work: cannot be written there" --result "$work"
refused "--cfm inf: the CFM must be a finite number above 0" --cfm inf
refused "--cfm 0: the CFM must be a finite number above 0" --cfm 0
refused "--ball 100,0: the ball must start on the field" --ball 100,0
refused "--ball 1,nan: the ball must start on the field" --ball 1,nan
refused "--cycles 0: a whole number from 1" --cycles 0
refused "--join-timeout inf: bad value" --join-timeout inf
refused "--trace needs a value, not the option --port" --trace --port 0
refused "--svg needs a value" --svg
refused "--cfm applies to the physics world only, not to --world kinematic" \
  --cfm 1e-4 --world kinematic
refused "--solver applies to the physics world only" --world kinematic --solver step

status=0
"$fieldsim_bin" --port 0 --join-timeout 0 --push R7@3:2.5:90 --result "$work/result.json" \
  >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a game without agents ended with status $status"
[ "$(result '[r["status"], r["cycles"], r["robots"]]')" = '["no-agents", 0, []]' ] ||
  fail "no result file of a game without agents"
for option in --trace --svg --replay --progress; do
  status=0
  "$fieldsim_bin" --port 0 "$option" "$work/missing/file" --result "$work/result.json" \
    >"$work/out.txt" 2>&1 || status=$?
  [ "$status" -eq 1 ] || fail "$option to a missing folder ended with status $status"
  ! grep -q "listening" "$work/out.txt" || fail "$option to a missing folder: the port opened"
  [ "$(result 'r["status"], r["reason"]')" = "[\"error\", \"cannot write $work/missing/file\"]" ] ||
    fail "$option: no result file of a game that could not start: $(result 'r["reason"]')"
done

start_fieldsim --world kinematic --cycles 20 --svg /dev/full --replay /dev/full --knock 5@10
start_agent VEXA3D 2
status=0
wait "$sim_pid" || status=$?
[ "$status" -eq 1 ] || fail "a game whose files could not be written ended with status $status"
grep -vF "$(printf '%s\n' "cannot write the picture /dev/full" \
  "cannot write the replay page /dev/full" "warning: L5, to be pushed at cycle 10, is not in the game")" \
  "$work/fieldsim.err" && fail "unexpected error lines"
[ "$(wc -l <"$work/fieldsim.err")" -eq 3 ] || fail "not three lines: $(cat "$work/fieldsim.err")"
[ "$(result '[r["status"], r["cycles"], [e["note"] for e in events("push")]]')" = \
  '["completed", 20, ["no such robot has joined"]]' ] || fail "the game's result file is not whole"
echo "bad options refused, each with one line; outputs checked before the game and after it"
