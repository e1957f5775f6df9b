#!/usr/bin/env bash
# The figures of a walk to the ball, from a fieldsim trace and its output:
# whether and when the player reached the ball (its torso within 0.35 m of
# the ball's centre, seconds from the kick-off), its forward speed towards
# the ball until then (or over the whole game), its falls and get-ups, its
# kicks and how far the ball went.
#
#   scripts/walk-figures.sh TRACE FIELDSIM_OUTPUT LABEL
#
# Prints one line of "name value" pairs, the form the measurement script
# tabulates.
set -euo pipefail
trace=$1
output=$2
label=$3

line=$(grep "^agent $label " "$output")
value_after() { sed -n "s/.*[:,] $1 \([-0-9.]*\).*/\1/p" <<<"$line"; }
moved=$(sed -n 's/^ball: .*, \([0-9.]*\) m from its start.*/\1/p' "$output")

awk -v r="$label" -v falls="$(value_after falls)" -v get_ups="$(value_after get-ups)" \
  -v kicks="$(value_after kicks)" -v moved="$moved" '
  function dist(ax, ay, bx, by) { return sqrt((ax - bx) ^ 2 + (ay - by) ^ 2) }
  $3 == "BeforeKickOff" { next }
  {
    for (i = 7; i < NF; i += 4) if ($i == r) { x = $(i + 1); y = $(i + 2) }
    if (!started) { started = 1; c0 = $2; bx = $5; by = $6; d0 = dist(x, y, bx, by) }
    last = $2
    d = dist(x, y, $5, $6)
    if (!reached && d < 0.35) { reached = 1; t = ($2 - c0) * 0.02; dr = d }
  }
  END {
    if (!reached) { t = (last - c0) * 0.02; dr = d }
    speed = t > 0 ? (d0 - dr) / t : 0
    printf "reached %s time %s speed %.3f falls %d get-ups %d kicks %d ball %.2f\n",
      reached ? "yes" : "no", reached ? sprintf("%.1f", t) : "-", speed, falls, get_ups, kicks, moved
  }' "$trace"
