#!/bin/bash
# Two Windows processes bind hwk.dll from a folder whose path holds a blank, run the service's and
# zor2's discovery at the same time and find the same table; a packet sent by one is seen by the
# other and by simboard; a ROM setting outlives the process that wrote it.
# Usage: firmware_two_processes.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/firmware_two_processes"
prefix="$work/prefix"
app="$work/Program Files/Zor Two"
rm -rf "$work/Program Files"
mkdir -p "$app"
cp "$bin"/*.exe "$bin"/*.dll "$app/"
rm -f "$app/SimBoard.bin"
zor_new_prefix "$prefix"
# One session for the whole test: without it each command may meet the previous one's session
# shutting down, and its output is lost.
export WINEPREFIX="$prefix"
zor_wine_session

field() { sed -n "s/^$1=//p" <<<"$2" | head -1; }

run simboard.exe create --profile x58-6 >/dev/null
[ -f "$app/SimBoard.bin" ] || fail "simboard did not create the board beside itself"

# Both discoveries at once, as the service and zor2 run side by side.
run fwprobe.exe service > "$work/service.txt" &
service_pid=$!
gui=$(run fwprobe.exe gui) || fail "zor2's discovery failed: $gui"
wait $service_pid || fail "the service's discovery failed: $(cat "$work/service.txt")"
service=$(cat "$work/service.txt")
echo "$service"
echo "$gui"

service_addr=$(sed -n 's/.*BiosAddr=\([0-9a-f]*\).*/\1/p' <<<"$service")
gui_addr=$(field EnergyTable "$gui")
[ -n "$service_addr" ] || fail "no table address from the service's discovery"
[ $((16#$service_addr)) -eq $((gui_addr)) ] ||
  fail "the processes found different tables: 0x$service_addr and $gui_addr"
echo "ok: both processes found the EnergyTable at $gui_addr"
[ "$(field SmiPort "$gui")" != "0x0" ] || fail "no SMI port"

# A packet from one process, seen by the next and by simboard.
sent=$(run fwprobe.exe packet 1) || fail "packet failed: $sent"
[ "$(field Level "$sent")" = "1" ] || fail "the firmware did not take level 1: $sent"
[ "$(field Level "$(run fwprobe.exe service)")" = "1" ] || fail "another process does not see level 1"
run simboard.exe show > "$work/show.txt"
grep -q "level code 1" "$work/show.txt" || fail "simboard does not show level 1: $(cat "$work/show.txt")"
echo "ok: level 1 sent by one process is seen by the others"

# The ROM setting outlives the writer and the Wine server.
written=$(run fwprobe.exe rom 4321) || fail "ROM update failed: $written"
zor_wine_restart
[ "$(field RomSetting "$(run fwprobe.exe rom)")" = "4321" ] || fail "the ROM setting did not survive"
grep -q "value 0x10E1" <(run simboard.exe show) || fail "simboard does not show the ROM setting"
echo "ok: the ROM setting survives a new process"

# No RailTable address: zor2 would relaunch its helper by a quoted path.
run simboard.exe fault add refuse-b1-b9
if out=$(run fwprobe.exe gui); then fail "discovery went on without a RailTable address"; fi
relaunch=$(field Relaunch "$out")
case "$relaunch" in
  \"*'\Program Files\Zor Two\ReLaunch.exe" state') echo "ok: relaunch command $relaunch" ;;
  *) fail "relaunch command not quoted as expected: $relaunch" ;;
esac
run simboard.exe fault clear all

# Without hwk.dll beside the program (and none in the system folder) the program's own text is
# reported, even when the current directory holds one: it is never loaded from there.
cwd="$work/current dir"
mkdir -p "$cwd"
mv "$app/hwk.dll" "$cwd/hwk.dll"
if out=$(cd "$cwd" && wine "$app/fwprobe.exe" gui 2>/dev/null | tr -d '\r'); then fail "hwk.dll was loaded from the current directory"; fi
grep -q "loading library (hwk.dll) failure!!" <<<"$out" || fail "no load failure text: $out"
mv "$cwd/hwk.dll" "$app/hwk.dll"
echo "ok: hwk.dll is taken from the program's folder only"

echo "PASS"
