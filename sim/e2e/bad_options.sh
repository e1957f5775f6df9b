#!/usr/bin/env bash
# A bad push or result option is refused before anything starts, with one
# line on standard error and exit status 2: an unknown label, a negative or
# non-finite impulse, a direction that is not a number, a result file in a
# folder that does not exist. A game that no agent joins, or that cannot
# start, still leaves its result file, with status "no-agents" or "error".
#
#   bad_options.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"

refused() {  # refused REASON OPTION...: exit status 2 and one line naming the reason
  local reason=$1 status=0
  shift
  "$fieldsim_bin" --port 0 "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "$* ended with status $status"
  [ "$(wc -l <"$work/err.txt")" -eq 1 ] && grep -qF "$reason" "$work/err.txt" ||
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

status=0
"$fieldsim_bin" --port 0 --join-timeout 0 --push R7@3:2.5:90 --result "$work/result.json" \
  >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a game without agents ended with status $status"
[ "$(result '[r["status"], r["cycles"], r["robots"]]')" = '["no-agents", 0, []]' ] ||
  fail "no result file of a game without agents"
status=0
"$fieldsim_bin" --port 0 --trace "$work/missing/trace.txt" --result "$work/result.json" \
  >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "a trace that cannot be written ended with status $status"
[ "$(result 'r["status"], r["reason"]')" = "[\"error\", \"cannot write $work/missing/trace.txt\"]" ] ||
  fail "no result file of a game that could not start: $(result 'r["status"], r["reason"]')"
echo "bad push and result options refused, each with one line; games without agents or a trace have their file"
