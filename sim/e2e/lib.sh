# Shared by the end-to-end tests, which source it with the paths of fieldsim,
# the agent and the source tree. Everything runs in a scratch folder on a
# port of the system's choosing, each program under a time limit, and
# whatever is still running at exit is stopped.
set -euo pipefail
fieldsim_bin=$(realpath "$1")
agent_bin=$(realpath "$2")
source_dir=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/vexa-e2e.XXXXXX")
limit=${E2E_TIME_LIMIT:-150}  # seconds for any one program
started=()
agents=()
sim_pid=""
port=""
cleanup_hooks=()  # commands a test adds to run first at exit

show_output() {
  echo "--- fieldsim"
  tail -n 30 "$work/fieldsim.txt" "$work/fieldsim.err" 2>/dev/null || true
  for out in "$work"/*/output.txt; do
    [ -f "$out" ] || continue
    echo "--- $out"
    grep -v 'dis_to_ball\|pal_angle\|distance to the ball\|goalie\|^[-0-9.]*$' "$out" |
      tail -n 15 || true
  done
}

finish() {
  local status=$?
  for hook in "${cleanup_hooks[@]}"; do "$hook" || true; done
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ "$status" -ne 0 ]; then show_output; fi
  rm -rf "$work"
  exit "$status"
}
trap finish EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# start_fieldsim [OPTION...]: fieldsim with a trace and a result file, on a
# free port ($port).
start_fieldsim() {
  # Created here, so that the port can be looked for before fieldsim's own
  # redirection has opened the file.
  : >"$work/fieldsim.txt"
  timeout "$limit" "$fieldsim_bin" --port 0 --trace "$work/trace.txt" \
    --result "$work/result.json" "$@" \
    >"$work/fieldsim.txt" 2>"$work/fieldsim.err" &
  sim_pid=$!
  started+=("$sim_pid")
  for _ in $(seq 200); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/fieldsim.txt")
    [ -n "$port" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  fail "fieldsim did not start"
}

# client MESSAGE...: a new connection to fieldsim, its file descriptor in
# $fd, that sends each message as a frame (each shorter than 256 bytes).
client() {
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  for message; do printf "\\x00\\x00\\x00\\x$(printf %02x ${#message})%s" "$message" >&"$fd"; done
}

# start_agent TEAM NUMBER [FORMATIONS]: one player in its own folder
# ($work/TEAM-NUMBER) with a .logfiles/ folder and the given formation file
# (default: the repository's).
start_agent() {
  local dir="$work/$1-$2"
  mkdir -p "$dir/.logfiles"
  cp "${3:-$source_dir/formations.conf}" "$dir/formations.conf"
  (cd "$dir" && exec timeout "$limit" "$agent_bin" -s 127.0.0.1 -p "$port" -t "$1" -n "$2" \
    >output.txt 2>&1) &
  started+=("$!")
  agents+=("$!")
}

# Waits for the end of the game and of every agent; fails unless all ended
# well (an agent ends with status 0 when the server closes its connection).
wait_game() {
  wait "$sim_pid" || fail "fieldsim ended with status $?"
  for pid in "${agents[@]}"; do
    wait "$pid" || fail "an agent ended with status $?"
  done
}

output_of() { echo "$work/$1-$2/output.txt"; }

# result EXPRESSION: a figure of the game from its result file ($result_file,
# by default fieldsim's --result of start_fieldsim), as a Python expression
# over r (the whole file), robot(LABEL) (one robot's object) and
# events(KIND) (the events of a kind, in order): result 'robot("L2")["falls"]'.
# Lists, true, false and null are printed as JSON.
result() {
  /usr/bin/python3 -c '
import json, sys
r = json.load(open(sys.argv[1]))
robot = lambda label: next(x for x in r["robots"] if x["label"] == label)
events = lambda kind: [e for e in r["events"] if e["kind"] == kind]
value = eval(sys.argv[2])
print(value if isinstance(value, (int, float, str)) and not isinstance(value, bool)
      else json.dumps(value))' "${result_file:-$work/result.json}" "$1" || fail "no figure $1"
}

# farther X1 Y1 X2 Y2 D: succeeds when the two points are more than D apart.
farther() {
  awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" -v r="$5" 'BEGIN { exit !((c - a) ^ 2 + (d - b) ^ 2 > r ^ 2) }'
}

# A robot's x, y and heading in the trace at a cycle: pose_at 49 L2.
pose_at() {
  awk -v c="$1" -v r="$2" \
    '$2 == c { for (i = 7; i < NF; i += 4) if ($i == r) print $(i + 1), $(i + 2), $(i + 3) }' \
    "$work/trace.txt"
}

# How far a robot went round the ball while the ball lay at its start, in
# degrees of its bearing from the ball (the trace's first ball position).
went_round() {
  awk -v r="$1" '
    function bearing(dx, dy) { return atan2(dy, dx) * 45 / atan2(1, 1) }
    NR == 1 { bx = $5; by = $6 }
    $5 != bx || $6 != by { exit }
    { for (i = 7; i < NF; i += 4) if ($i == r) {
        b = bearing($(i + 1) - bx, $(i + 2) - by)
        if (seen) { d = b - last; d -= 360 * int(d / 180); total += d }
        last = b; seen = 1; if (total > most) most = total; if (total < least) least = total } }
    END { printf "%.0f\n", most - least }' "$work/trace.txt"
}
