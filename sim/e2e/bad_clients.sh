#!/usr/bin/env bash
# fieldsim drops each bad client with its reason while the game goes on: a
# bad command, a frame longer than the limit, no scene first, a number taken,
# a third team. A client that stops answering is late in every cycle, and the
# clock goes on without it.
#
#   bad_clients.sh FIELDSIM VEXA3D SOURCE_DIR
source "$(dirname "$0")/lib.sh"
scene="(scene rsg/agent/nao/nao.rsg)"

start_fieldsim --world kinematic --cycles 20 --agents 2 --reply-timeout 200
start_agent VEXA3D 2
for _ in $(seq 200); do
  grep -q "(VEXA3D 2) joined" "$work/fieldsim.txt" && break
  sleep 0.05
done
client "$scene" "(init (unum 5)(teamname OTHERS))"  # never answers
client "$scene" "(init (unum 3)(teamname VEXA3D))" "(lae1 nan)"
client "$scene" "(init (unum 4)(teamname OTHERS))"
printf '\x00\x01\x00\x01((((' >&"$fd"  # announces one byte more than a frame may have
client "(init (unum 6)(teamname VEXA3D))"
client "$scene" "(init (unum 2)(teamname VEXA3D))"
client "$scene" "(init (unum 1)(teamname THIRD))"
wait_game

err=$work/fieldsim.err
[ "$(wc -l <"$err")" -eq 5 ] || fail "not five clients dropped: $(cat "$err")"
for reason in "agent L3 (VEXA3D 3) disconnected: malformed command 'lae1'" \
  "agent R4 (OTHERS 4) disconnected: a frame longer than 65536 bytes" \
  "disconnected: expected (scene rsg/agent/nao/nao.rsg) first" \
  "VEXA3D 2 plays already" "two teams play already, not THIRD"; do
  grep -qF "$reason" "$err" || fail "no line '$reason' in: $(cat "$err")"
done
traffic() { result "[robot(\"$1\")[k] for k in (\"late_replies\", \"messages_in\", \"messages_out\")]"; }
[ "$(traffic L2)" = "[0, 21, 20]" ] || fail "the player did not play every cycle: $(traffic L2)"
[ "$(traffic R5)" = "[20, 1, 1]" ] || fail "the silent client was not late every cycle: $(traffic R5)"
echo "five bad clients dropped with their reasons; the game went on"
