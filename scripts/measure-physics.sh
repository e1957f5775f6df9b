#!/usr/bin/env bash
# Measures how the agent plays in fieldsim's physics world, side by side for
# several engine settings, and prints the table of the README:
#
#   scripts/measure-physics.sh [SETTING...]
#
# A setting is a world CFM (the default ones: 1e-5, the facts' value, 3e-5
# and 1e-4) or "quick:CFM" for dWorldQuickStep. For each setting:
#  1. walk: player 11 alone, the ball 2 m straight ahead, 60 s of play;
#  2. stand-up: player 2 pushed over while walking, 20 trials, pushed at
#     cycles 250, 270, ... 630, each followed for 30 s;
#  3. goalkeeper: player 1 with the ball 1.5 m away, 1200 cycles;
#  4. a game of two teams of eleven, 3000 cycles;
#  5. speed: that game's cycles per second (wall clock), and 22 robots
#     stepped without agents (standing, then lying), cycles per second of
#     processor time.
# Every game runs in sync mode, so the figures do not depend on the
# machine's load, except the speeds, which want a quiet machine.
# The games' files stay in build/measure/runs/ ($VEXA_MEASURE_BUILD names
# another release build directory to use).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
settings=("$@")
[ ${#settings[@]} -gt 0 ] || settings=(1e-5 3e-5 1e-4 quick:1e-5)

source scripts/deps.sh
ensure_build_deps
build=${VEXA_MEASURE_BUILD:-$repo/build/measure}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target vexa3d fieldsim fieldsim_step_bench >/dev/null
build=$(cd "$build" && pwd)
runs=$build/runs
rm -rf "$runs"
mkdir -p "$runs"

pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT

# game DIR "FIELDSIM OPTIONS" TEAM:NUMBER...: one game in sync mode.
game() {
  local dir=$1 options=$2
  shift 2
  mkdir -p "$dir"
  : >"$dir/fieldsim.txt"
  # shellcheck disable=SC2086
  "$build/sim/fieldsim" --port 0 --trace "$dir/trace.txt" --agents $# $options \
    >"$dir/fieldsim.txt" 2>"$dir/fieldsim.err" &
  local sim=$! port=""
  pids+=("$sim")
  for _ in $(seq 200); do
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$dir/fieldsim.txt")
    [ -n "$port" ] && break
    sleep 0.05
  done
  for player in "$@"; do
    local team=${player%:*} number=${player#*:}
    mkdir -p "$dir/$team-$number/.logfiles"
    cp formations.conf "$dir/$team-$number/"
    (cd "$dir/$team-$number" && exec "$build/vexa3d" -p "$port" -t "$team" -n "$number" \
      >output.txt 2>&1) &
  done
  wait "$sim"
  wait
}

engine_options() {
  case $1 in
    quick:*) echo "--world physics --solver quick --cfm ${1#quick:}" ;;
    *) echo "--world physics --cfm $1" ;;
  esac
}

blow_ups() { sed -n 's/^physics: .*; \([0-9]*\) blow-ups recovered.*/\1/p' "$1/fieldsim.txt"; }

walk() {
  local dir=$runs/$1/walk
  game "$dir" "$(engine_options "$1") --cycles 3050 --ball 1.4,0" VEXA3D:11
  echo "$(scripts/walk-figures.sh "$dir/trace.txt" "$dir/fieldsim.txt" L11) blow-ups $(blow_ups "$dir")"
}

# One trial: pushed at $2; whether it fell, stood up (fieldsim saw the
# torso rise again, the agent ended its stand-up) and walked on (a step
# after that), and the seconds from the push to getting up.
stand_up_trial() {
  local dir=$runs/$1/stand-up-$2 push=$2
  game "$dir" "$(engine_options "$1") --cycles $((push + 1500)) --knock 2@$push" VEXA3D:2
  local out=$dir/VEXA3D-2/output.txt
  local down_before fell got_up
  down_before=$(awk -v p="$push" '/ L2 fell at cycle/ { d = ($NF < p) } / L2 got up at cycle/ {
    if ($NF < p) d = 0 } END { print d + 0 }' "$dir/fieldsim.txt")
  fell=$(awk -v p="$push" '/ L2 fell at cycle/ && $NF >= p && $NF <= p + 100 { print $NF; exit }' \
    "$dir/fieldsim.txt")
  got_up=""
  if [ -n "$fell" ]; then
    got_up=$(awk -v f="$fell" '/ L2 got up at cycle/ && $NF > f { print $NF; exit }' \
      "$dir/fieldsim.txt")
  fi
  local walked=no
  if [ -n "$got_up" ] && awk '/^Stand_Up successfully / { up = 1 } up && /^WF_Raise_Right_Leg$/ {
      step = 1 } END { exit !step }' "$out"; then
    walked=yes
  fi
  echo "push $push down-before $down_before fell ${fell:--} got-up ${got_up:--} walked $walked"
}

stand_up() {
  local setting=$1 results=$runs/$1/stand-up.txt
  : >"$results"
  for push in $(seq 250 20 630); do
    stand_up_trial "$setting" "$push" >>"$results" &
    # Two trials at a time, one per core.
    [ $(((push - 250) / 20 % 2)) -eq 1 ] && wait
  done
  wait
  awk '{ n++; if ($4 == 1) before++; if ($6 != "-") fell++; if ($10 == "yes") { ok++
         t = ($8 - $2) * 0.02; sum += t; if (!min || t < min) min = t; if (t > max) max = t } }
       END { printf "trials %d already-down %d toppled %d stood-and-walked %d time-mean %s " \
             "time-range %s\n", n, before, fell, ok, ok ? sprintf("%.1f", sum / ok) : "-",
             ok ? sprintf("%.1f-%.1f", min, max) : "-" }' "$results"
}

goalkeeper() {
  local dir=$runs/$1/goalkeeper
  game "$dir" "$(engine_options "$1") --cycles 1200 --ball -4,0" VEXA3D:1
  local line
  line=$(grep "^agent L1 " "$dir/fieldsim.txt")
  local done_count falls down
  done_count=$(grep -c "^Stand_Up successfully " "$dir/VEXA3D-1/output.txt" || true)
  falls=$(sed -n 's/.*, falls \([0-9]*\),.*/\1/p' <<<"$line")
  down=$(awk '/ L1 fell at/ { d = 1 } / L1 got up at/ { d = 0 } END { print d ? "yes" : "no" }' \
    "$dir/fieldsim.txt")
  echo "stand-up-successfully $done_count falls $falls down-at-end $down blow-ups $(blow_ups "$dir")"
}

two_teams() {
  local dir=$runs/$1/two-teams players=()
  for n in $(seq 11); do players+=(VEXA3D:"$n" RIVALS:"$n"); done
  game "$dir" "$(engine_options "$1") --cycles 3000" "${players[@]}"
  awk '/^score:/ { goals = $3 } /^fieldsim: game over/ { rate = $(NF - 3); sub(/\(/, "", rate) }
       /^agent / { for (i = 1; i <= NF; i++) { if ($i == "falls") falls += $(i + 1)
                   if ($i == "kicks") kicks += $(i + 1); if ($i == "replies") late += $(i + 1) } }
       END { printf "falls-per-player-minute %.2f kicks %d score %s late %d rate %s\n",
             falls / (22 * 3000 * 0.02 / 60), kicks, goals, late, rate }' "$dir/fieldsim.txt" |
    tr -d ',' | sed "s/\$/ blow-ups $(blow_ups "$dir")/"
}

for setting in "${settings[@]}"; do
  echo "== $setting" >&2
  {
    echo "walk $(walk "$setting")"
    echo "stand-up $(stand_up "$setting")"
    echo "goalkeeper $(goalkeeper "$setting")"
    echo "game $(two_teams "$setting")"
    # shellcheck disable=SC2046
    echo "bench $("$build/sim/fieldsim_step_bench" $(engine_options "$setting" | cut -d' ' -f3-))"
  } >"$runs/$setting.txt"
  cat "$runs/$setting.txt" >&2
done

# The table: one row per figure, one column per setting.
value() { sed -n "s/^$2 .*\\b$3 \\([^ ]*\\).*/\\1/p" "$runs/$1.txt"; }
row() {
  local title=$1 kind=$2 key=$3
  local line="| $title |"
  for setting in "${settings[@]}"; do line+=" $(value "$setting" "$kind" "$key") |"; done
  echo "$line"
}
header="| figure |"
rule="|---|"
for setting in "${settings[@]}"; do
  case $setting in
    quick:*) header+=" QuickStep, CFM ${setting#quick:} |" ;;
    *) header+=" CFM $setting |" ;;
  esac
  rule+="---|"
done
echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, $(uname -m), sync mode."
echo
echo "$header"
echo "$rule"
row "1. walk: reached the ball" walk reached
row "1. walk: time to reach it (s)" walk time
row "1. walk: forward speed (m/s)" walk speed
row "1. walk: falls" walk falls
row "1. walk: get-ups" walk get-ups
row "1. walk: kicks" walk kicks
row "1. walk: ball moved (m)" walk ball
row "1. walk: blow-ups" walk blow-ups
row "2. stand-up: trials" stand-up trials
row "2. stand-up: already down when pushed" stand-up already-down
row "2. stand-up: toppled by the push" stand-up toppled
row "2. stand-up: stood up and walked on" stand-up stood-and-walked
row "2. stand-up: time to stand, mean (s)" stand-up time-mean
row "2. stand-up: time to stand, range (s)" stand-up time-range
row "3. goalkeeper: \"Stand_Up successfully\" lines" goalkeeper stand-up-successfully
row "3. goalkeeper: falls" goalkeeper falls
row "3. goalkeeper: down at the end" goalkeeper down-at-end
row "4. 22 players: falls per player-minute" game falls-per-player-minute
row "4. 22 players: kicks" game kicks
row "4. 22 players: score" game score
row "4. 22 players: late replies" game late
row "4. 22 players: blow-ups" game blow-ups
row "5. 22 players with agents: cycles/s" game rate
row "5. 22 robots standing, no agents: cycles per processor-second" bench standing
row "5. 22 robots lying, no agents: cycles per processor-second" bench lying
