#!/bin/bash
# ReLaunch.exe under Wine, between a stand-in zor2 (the real discovery against the simulated board)
# and INFO.DAT: a board that never gives the RailTable address gets at most Limit restarts in a row,
# a good start clears the count, and the bound then holds afresh.
# Usage: relaunch_bound.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/relaunch_bound"
prefix="$work/prefix"
app="$work/Program Files/Zor Two"
rm -rf "$work/Program Files"
mkdir -p "$app"
cp "$bin/ReLaunch.exe" "$bin/hwk.dll" "$bin/simboard.exe" "$app/"
cp "$bin/fixtures/zor2_standin.exe" "$app/zor2.exe"
zor_new_prefix "$prefix"
export WINEPREFIX="$prefix"
zor_wine_session

count() { ini_value "$app/INFO.DAT" ReLaunch Count; }
log() { tr -d '\r' < "$app/zor2_starts.log"; }
starts() { log | grep -c . || true; }
# zor2 as the logon entry starts it; returns once it and every restart it caused have ended.
logon_start() {
  run zor2.exe state || true
  wait_for 120 programs_ended 'zor2\.exe|ReLaunch\.exe' || fail "zor2 or ReLaunch still runs"
}

run simboard.exe create --profile x58-6 >/dev/null
printf '[ReLaunch]\r\nLimit=2\r\nWait=1\r\n' > "$app/INFO.DAT"

run simboard.exe fault add refuse-b1-b9
logon_start
[ "$(starts)" = 3 ] || fail "expected the logon start and 2 restarts, got: $(log)"
log | grep -qv '^state -> relaunch$' && fail "a start was not in state mode: $(log)"
[ "$(count)" = 2 ] || fail "count $(count) after the bound was reached"
echo "ok: 2 restarts, then ReLaunch stopped"

logon_start
[ "$(starts)" = 4 ] || fail "the next logon restarted again with the bound reached: $(log)"
echo "ok: with the bound reached the next logon is not restarted"

run simboard.exe fault clear all
logon_start
[ "$(log | tail -1)" = "state -> ok" ] || fail "the good start failed: $(log | tail -1)"
[ "$(count)" = 0 ] || fail "a good start left the count at $(count)"
echo "ok: a good start clears the count"

: > "$app/zor2_starts.log"
run simboard.exe fault add refuse-b1-b9
logon_start
[ "$(starts)" = 3 ] || fail "after the reset the bound did not hold afresh: $(log)"
echo "ok: after a reset the bound holds afresh"

echo "PASS"
