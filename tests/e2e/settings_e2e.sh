#!/bin/bash
# zor2's settings operations on a Wine prefix: each fixed level and an advanced set reach the
# simulated board, the registry behind the power plan (through the stand-in powercfg), the fan and
# clock stand-ins; a burst of level requests ends on the last; a missing service is installed and
# started. The program lives under "Program Files", so every command line it runs must be quoted.
# Usage: settings_e2e.sh BIN_DIR (the x86_64 Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/settings"
prefix="$work/prefix"
zor_app_prefix "$prefix" "$bin" hwk.dll simboard.exe settings_probe.exe Clockvane.dll SF.DLL Zor2Svr.exe
zor_wine_session
install_powercfg "$bin"
# Plan 4 in force, as zor2's start leaves it (Windows 2000 and XP start on policy 0).
set_active_plan 4

probe() { run settings_probe.exe "$@"; }

run simboard.exe create --profile core2-6-probe >/dev/null

# ---- Fixed levels (a board of none of the three platform classes: every rail takes part) ----
probe levels 1 >/dev/null
board_show
expect "L3 level code" "$(level_code)" 1
expect "L3 north bridge" "$(rail_offset NB)" 10000
expect "L3 south bridge" "$(rail_offset SB)" 10000
expect "L3 VTT" "$(rail_offset VTT)" 10000
expect "L3 memory" "$(rail_offset MEM)" 2000
expect "L3 graphics clock" "$(clock)" 10
expect "L3 time-outs of plan 4 (s)" "$(plan_timeouts 4)" "monitor 180 disk 180"
expect "L3 read back" "$(probe power)" "plan 4 disk 3 monitor 3"

# Within one run of the program, as the graphics clock is only ever changed from what it last set.
probe --saved-disk 20 --saved-monitor 10 sequence 1 5 >/dev/null
board_show
expect "L1 level code" "$(level_code)" 5
for r in NB SB VTT MEM; do expect "L1 $r back to base" "$(rail_offset $r)" 0; done
expect "L1 graphics clock" "$(clock)" 0
expect "L1 read back" "$(probe power)" "plan 4 disk 20 monitor 10"

probe levels 3 >/dev/null
board_show
expect "L2 level code" "$(level_code)" 3
for r in NB SB VTT MEM; do expect "L2 $r at base" "$(rail_offset $r)" 0; done
expect "L2 graphics clock" "$(clock)" 10
expect "L2 read back" "$(probe power)" "plan 4 disk 3 monitor 3"

# ---- A burst of requests: applied one after another, ending on the last ----
expect "burst" "$(probe --saved-disk 25 --saved-monitor 15 levels 5 3 5 1)" "level 1"
board_show
expect "burst level code" "$(level_code)" 1
for r in NB SB VTT; do expect "burst $r lowered" "$(rail_offset $r)" 10000; done
expect "burst memory lowered" "$(rail_offset MEM)" 2000
expect "burst graphics clock" "$(clock)" 10
expect "burst read back" "$(probe power)" "plan 4 disk 3 monitor 3"

# ---- The advanced set from INFO.DAT ----
probe sequence 3 5 >/dev/null  # the graphics clock back to normal first
printf '[SETTING]\r\nAdv=1\r\nNB=1\r\nSB=0\r\nMEM=1\r\nVTT=0\r\nLPS=0\r\nTHRO=1\r\nPCH=0\r\nVGA=1\r\nSF=1\r\nFSB=7\r\nHDD=1 hour\r\nMONI=10 Mins\r\nCURVOLT=1\r\n' \
  > "$app/Info.dat"
expect "advanced" "$(probe advanced)" "level 1 vga 1"
board_show
expect "advanced control word" "$(control_word)" 0x0117
expect "advanced north bridge" "$(rail_offset NB)" 10000
expect "advanced south bridge" "$(rail_offset SB)" 0
expect "advanced memory" "$(rail_offset MEM)" 2000
expect "advanced VTT" "$(rail_offset VTT)" 0
expect "advanced graphics clock" "$(clock)" 10
expect "advanced fan curve" "$(fan_curve)" energy-saving
expect "advanced read back" "$(probe power)" "plan 4 disk 60 monitor 10"

# ---- Windows 2000/XP commands: the power-policy record ----
probe --os 2 levels 3 >/dev/null
expect "policy read back" "$(probe --os 2 power | cut -d' ' -f3-)" "disk 3 monitor 3"

# ---- Restoring the user's plan ----
probe --saved-scheme 3 --saved-disk 30 --saved-monitor 20 restore >/dev/null
expect "restored plan" "$(probe power | cut -d' ' -f1-2)" "plan 3"

# ---- A fan controller that is not usable, a card the library cannot clock ----
run simboard.exe fault add fan-unusable clock-unsupported
probe sequence 5 >/dev/null
board_show
calls=$(clock_calls)
sed -i 's/^SF=1/SF=0/' "$app/Info.dat"
out=$(probe advanced)
grep -q "box Error: Smart FAN initial failure!!" <<<"$out" || fail "no fan failure message: $out"
board_show
expect "fan curve kept" "$(fan_curve)" energy-saving
expect "clock not asked" "$(clock_calls)" "$calls"
run simboard.exe fault clear fan-unusable clock-unsupported

# ---- SF.DLL is loaded and freed for each fan operation: nothing of it may stay behind ----
unload=$( (cd "$app" && wine "$bin/fixtures/fan_library_unload.exe" '.\SF.DLL' 20) | tr -d '\r')
expect "SF.DLL unloads cleanly" "$unload" "mapped views grew by 0"

# ---- The restart's privilege path (never a real restart request) ----
expect "shutdown privilege" "$(probe privilege)" "privilege 1 1"

# ---- A missing service is installed from the quoted path and started ----
expect "service before" "$(probe service-state)" "service missing"
probe service >/dev/null
expect "service after" "$(probe service-state)" "service state 4"

echo "PASS"
