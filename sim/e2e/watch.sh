#!/usr/bin/env bash
# scripts/play.sh --watch prints the live page's address before the players
# start, serves the page there while the game is played, and plays in real
# time; the game is the same as without --watch otherwise.
#
#   watch.sh FIELDSIM VEXA3D SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/lib.sh"

out=$work/play.txt
VEXA_LIVE_PORT=0 VEXA_PLAY_BUILD=$4 VEXA_PLAY_GAME=$work/game timeout "$limit" \
  "$source_dir/scripts/play.sh" --watch 1 100 >"$out" 2>&1 &
play=$!
started+=("$play")
address=""
for _ in $(seq 200); do
  address=$(sed -n 's/^watch the game live in a browser: \(http.*\)$/\1/p' "$out")
  [ -n "$address" ] && break
  sleep 0.05
done
[ -n "$address" ] || fail "no address printed: $(cat "$out")"
page=$(/usr/bin/python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' \
  "$address") || fail "no page at $address"
[[ $page == *'{"live":"/stream"}'* ]] || fail "the page at $address is not the live viewer"
wait "$play" || fail "play.sh --watch failed: $(cat "$out")"
result_file=$work/game/result.json
[ "$(result '[r["status"], r["cycles"], r["wall_seconds"] >= 1.9]')" = '["completed", 100, true]' ] ||
  fail "not a completed game of 100 cycles in real time: $(result '[r["status"], r["cycles"], r["wall_seconds"]]')"
grep -q "^replay page: $work/game/replay.html$" "$out" || fail "no replay page named"
echo "play.sh --watch: the address before the game, the live page there, real time"
