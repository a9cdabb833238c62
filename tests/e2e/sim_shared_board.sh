#!/bin/bash
# The simulated board is one board for every process: simboard creates it, one hwkprobe process
# changes it through hwk.dll, another sees the change, and the ROM value outlives them all.
# Usage: sim_shared_board.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/sim_shared_board"
prefix="$work/prefix"
app="$work/app"
rm -rf "$app"
mkdir -p "$app"
cp "$bin/hwk.dll" "$bin/simboard.exe" "$bin/hwkprobe.exe" "$bin/fixtures/board_holder.exe" "$app/"
zor_new_prefix "$prefix"
export WINEPREFIX="$prefix"
zor_wine_session

run simboard.exe create --profile p55-24-smbus >/dev/null
[ -f "$app/SimBoard.bin" ] || fail "simboard did not create SimBoard.bin beside itself"

expect "pointer seen through hwk.dll" "$(run hwkprobe.exe esy)" "port 0x00B2 type 0xE3"

# Byte 7 of the EnergyTable: a running process sees another's write in its own mapping, and a
# later process reads it too.
run hwkprobe.exe et-wait 7 0x5A > "$work/wait.txt" &
watcher=$!
for _ in $(seq 300); do grep -q watching "$work/wait.txt" 2>/dev/null && break; sleep 0.2; done
run hwkprobe.exe et-write 7 0x5A
wait "$watcher" || fail "the running process did not see the write"
grep -q seen "$work/wait.txt" || fail "the watcher ended without seeing the write"
echo "ok: a running process sees another's write"
expect "table byte written by another process" "$(run hwkprobe.exe et-read 7)" "90"

# A packet through hwk.dll is logged and decoded by simboard.
expect "flags after the packet" "$(run hwkprobe.exe packet 0x0015)" "0x0415"
run simboard.exe show > "$work/show.txt"
grep -q "accepted: flags 0x0015" "$work/show.txt" || fail "simboard does not show the packet: $(cat "$work/show.txt")"
echo "ok: simboard decodes the packet"

# Port and MSR entry points: pinned raw readings, the SMBus controller's base, speed-step on.
run simboard.exe pin-readings 150 80
expect "ports through hwk.dll" "$(run hwkprobe.exe ports)" "voltage 150 current 80 smbus 0x0400 msr eist"
# A process killed while it holds the board leaves it to the next one, as an abandoned mutex would.
wine "$app/board_holder.exe" > "$work/holder.txt" 2>&1 &
holder=$!
for _ in $(seq 300); do grep -q holding "$work/holder.txt" 2>/dev/null && break; sleep 0.2; done
grep -q holding "$work/holder.txt" || fail "board_holder did not take the board: $(cat "$work/holder.txt")"
kill -9 "$holder"
wait "$holder" 2>/dev/null || true
expect "ports after the holder died" "$(run hwkprobe.exe ports)" "voltage 150 current 80 smbus 0x0400 msr eist"
run simboard.exe pin-readings off

# A fault injected by simboard reaches the next hwk.dll user.
run simboard.exe fault add no-esy
if run hwkprobe.exe esy >/dev/null 2>&1; then fail "the pointer survived the no-esy fault"; fi
run simboard.exe fault clear no-esy
echo "ok: faults reach hwk.dll users"

# The ROM value survives every process ending, and the Wine server too.
run hwkprobe.exe rom-write 0x1234
zor_wine_restart
expect "ROM value after a restart" "$(run hwkprobe.exe rom-read)" "4660"
grep -q 'value 0x1234' <(run simboard.exe show) || fail "simboard does not show the ROM value"
echo "ok: the ROM value survives"

echo "PASS"
