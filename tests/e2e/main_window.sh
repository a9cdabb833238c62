#!/usr/bin/env bash
# zor2's main window under Wine: installed in "C:\Program Files\Zorwise" of a fresh prefix with the
# stand-in powercfg, started on the simulated board, photographed and clicked with xdotool. Checks
# the window's title and shape, the digits and phases it draws, every button's effect on the board,
# the registry and INFO.DAT, no notification-area icon of its own, a second start, start-up mode, a
# resume from suspend, the failures that end the start, and the automatic-start entry.
# Usage: main_window.sh BUILD/bin (run inside an X display, e.g. xvfb-run).
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
skin=$bin/../skins/generated/ENG
res=$bin/../skins/generated/res
source "$repo/tests/e2e/e2e_lib.sh"
# The skin library follows the system language: keep it English whatever the machine's locale.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

work="$bin/../e2e/main_window"
shots="$work/shots"
rm -rf "$work"
mkdir -p "$shots"
prefix="$work/prefix"
zor_app_prefix "$prefix" "$bin" zor2.exe Zor2Svr.exe hwk.dll Clockvane.dll SF.DLL ENG.dll SC.dll \
  TC.dll AdvEng.dll AdvSC.dll AdvTC.dll res.dll simboard.exe fwprobe.exe
install_powercfg "$bin"
info=$(info_file)
title="ZOR 2.0 B10.1022.1"

zor2_pid=""
keeper_pid=""
ticker_pid=""
cleanup() {
  [ -n "$ticker_pid" ] && kill "$ticker_pid" 2>/dev/null
  [ -n "$zor2_pid" ] && kill "$zor2_pid" 2>/dev/null
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
}
zor_wine_session
# zor2 and the X client are ended before the session's Wine server.
at_exit cleanup

# The programs still running in this test's prefix (a command zor2 started that never finished).
prefix_processes() {
  local env
  for env in /proc/[0-9]*/environ; do
    if { tr '\0' '\n' < "$env"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
      { tr '\0' ' ' < "${env%/environ}/cmdline"; } 2>/dev/null; echo
    fi
  done
}
failure_details() {
  echo "screenshots in $shots"
  info=$(info_file); [ -f "$info" ] && { echo "--- INFO.DAT"; tr -d '\r' < "$info"; }
  echo "--- processes in the prefix"
  prefix_processes
}

# ---- INFO.DAT ----------------------------------------------------------------------------------
# set_values SECTION KEY=VALUE...: changes or adds keys, and replaces the file in one rename, as the
# programs do, so that a reader never sees half a file.
set_values() {
  info=$(info_file)
  local section=$1; shift
  local tmp="$app/INFO.tmp"
  { [ -f "$info" ] && tr -d '\r' < "$info" || true; } | awk -v s="$section" -v pairs="$*" '
    BEGIN { n = split(pairs, p, " "); for (i = 1; i <= n; i++) { split(p[i], kv, "="); key[i] = kv[1]; val[i] = kv[2] } }
    function flush() { for (i = 1; i <= n; i++) if (!done[i]) print key[i] "=" val[i]; found = 1 }
    /^\[/ { if (in_s) flush(); in_s = (tolower($0) == "[" tolower(s) "]"); print; next }
    in_s { split($0, kv, "="); for (i = 1; i <= n; i++) if (tolower(kv[1]) == tolower(key[i])) { print key[i] "=" val[i]; done[i] = 1; next } }
    { print }
    END { if (in_s) flush(); else if (!found) { print "[" s "]"; flush() } }' \
    | sed 's/$/\r/' > "$tmp"
  mv "$tmp" "$info"
}
value_is() { [ "$(info_value "$1" "$2")" = "$3" ]; }

# ---- The board ---------------------------------------------------------------------------------
expect_board() {  # expect_board WHAT WHAT_ARGS... = VALUE (waits for the worker)
  local want=${*: -1} what=("${@:1:$#-2}")
  wait_for 10 eval '[ "$(board_show; "${what[@]}")" = "$want" ]' \
    || fail "board: ${what[*]} is $(board_show; "${what[@]}"), wanted $want"
  ok "board: ${what[*]} = $want"
}

# ---- The registry and the stand-in powercfg ----------------------------------------------------
reg_value() {  # reg_value KEY VALUE [reg options] -> the data, or "missing"
  local out
  out=$(wine reg query "$1" /v "$2" "${@:3}" 2>/dev/null | tr -d '\r' \
        | awk -v v="$2" '$1 == v { $1 = ""; $2 = ""; sub(/^ +/, ""); print; exit }')
  [ -n "$out" ] && echo "$out" || echo missing
}
timeouts() { plan_timeouts "$@"; }  # timeouts [PLAN] -> "monitor M disk D", in seconds, of plan 4 unless told
expect_timeouts() {
  local wanted=$1
  wait_for 20 eval '[ "$(timeouts)" = "$wanted" ]' || fail "plan 4 time-outs are '$(timeouts)', wanted '$wanted'"
  ok "plan 4 time-outs: $wanted"
}

# ---- Screenshots ------------------------------------------------------------------------------
backdrop='rgb(17,201,83)'
shot() {  # shot NAME -> the window's picture (592x548)
  import -window root "$shots/$1-screen.png"
  convert "$shots/$1-screen.png" -crop "592x548+$wx+$wy" +repage "$shots/$1.png"
  echo "$shots/$1.png"
}
# How many pixels of the window's shot differ from the image placed at (X, Y) of the window.
differs() {  # differs SHOT IMAGE X Y
  local size; size=$(identify -format '%wx%h' "$2")
  convert "$1" -crop "$size+$3+$4" +repage "$work/crop.png"
  compare -metric AE "$2" "$work/crop.png" null: 2>&1 || true
}
# compose OUT WxH BASE_OR_EMPTY PICTURE X Y ...: the pictures copied in order at their places, as
# the window draws them (each one opaquely, at its own size), over BASE (or black).
compose() {
  local out=$1 size=$2 base=$3; shift 3
  local args=()
  if [ -n "$base" ]; then args=("$base"); else args=(-size "$size" xc:black); fi
  while [ $# -ge 3 ]; do
    args+=("$1" -geometry "+$2+$3" -composite)
    shift 3
  done
  convert "${args[@]}" -alpha off "$out"
}
expect_picture() {  # expect_picture WHAT SHOT IMAGE X Y
  local d; d=$(differs "$2" "$3" "$4" "$5")
  [ "$d" = 0 ] || fail "$1: $d pixels differ at ($4, $5) in $2 (wanted $3)"
  ok "$1"
}

# The zor2 started in the background: start_zor2 ARGS... sets zor2_pid and zor2_log.
start_zor2() {
  zor2_log="$work/zor2-$RANDOM.log"
  (cd "$app" && exec wine ./zor2.exe "$@" >"$zor2_log" 2>&1) &
  zor2_pid=$!
}
# wait_exit SECONDS: sets status to the exit status of the background zor2 (fails the test when
# it is still running then).
wait_exit() {
  status=0
  wait_for "$1" eval '! kill -0 "$zor2_pid" 2>/dev/null' || fail "zor2 still runs after $1 s"
  wait "$zor2_pid" || status=$?
  zor2_pid=""
}

# The numbered message dialog drawn from picture $1 of res.dll: waits for it; sets bx, by.
wait_dialog() {
  wait_for 20 box_of_size "$(identify -format '%wx%h' "$res/$1.bmp")" || fail "no message dialog $1"
  sleep 0.5
}
click_dialog() { click_at $((bx + $1)) $((by + $2)); }  # client x, y of the message dialog
# A system message box: waits for the caption, checks the text, answers OK.
expect_box() {  # expect_box CAPTION TEXT
  local caption=$1
  wait_for 20 eval '[ -n "$(window_ids "$caption")" ]' || fail "no message box \"$1\""
  local text; text=$(window_probe text "$1")
  grep -qxF -- "$2" <<<"$text" || fail "box \"$1\" says '$text', wanted '$2'"
  import -window root "$shots/box-$1-$RANDOM.png"
  window_probe ok "$1" >/dev/null
  ok "message box \"$1\": $2"
}

# ---- A fresh prefix: the 32-bit key of the automatic start (RunOnce on NT 6, Run on NT 5.x) -------
if ! zor_nt5; then
  wine reg query "$(other_autostart_key)" /reg:32 >/dev/null 2>&1 && fail "a fresh prefix already has the 32-bit Run key"
fi
wine reg query "$(autostart_key)" /reg:32 >/dev/null 2>&1 || fail "a fresh prefix lacks the 32-bit $(autostart_key)"
ok "fresh prefix: 32-bit $(autostart_key)"

# A backdrop of one colour, so that the window's outline shows on the shots. The X server resets the
# background when its last client leaves, so a client stays connected for the whole test.
xev -root >/dev/null 2>&1 &
keeper_pid=$!
sleep 0.3
convert -size "$(xdotool getdisplaygeometry | tr ' ' x)" "xc:$backdrop" "$work/backdrop.png"
# (display reports status 1 even when it has set the background.)
display -window root "$work/backdrop.png" 2>/dev/null || true

# ==== The window on a 12-phase board with 3D power, saving on at L2 ==============================
# The user's own plan is High performance; plan 4 has time-outs of 10 (monitor) and 20 (disk)
# minutes, which L1 gives back.
set_plan_timeouts 4 10 20
set_active_plan 3
run simboard.exe create --profile x58-12-range >/dev/null
# A savings count that started on 3 January 2009 at 09:05:07.
set_values VALUE Total=1234.5
set_values TIME YEAR=2009 MONTH=1 DAY=3 HOUR=9 MIN=5 SEC=7

started=$(date +%s%N)
start_zor2
wait_for 30 locate || fail "no window titled \"$title\" of the size of Main_on"
ok "window \"$title\" at +$wx+$wy after $(( ($(date +%s%N) - started) / 1000000 )) ms"

# ---- Shape: the non-magenta pixels of Main_on --------------------------------------------------
sleep 1
s=$(shot start)
convert "$skin/Main_on.bmp" -alpha off -fill white +opaque '#FF00FF' -fill black -opaque '#FF00FF' "$work/want-shape.png"
convert "$s" -alpha off -fill white +opaque "$backdrop" -fill black -opaque "$backdrop" "$work/got-shape.png"
d=$(compare -metric AE "$work/want-shape.png" "$work/got-shape.png" null: 2>&1 || true)
[ "$d" = 0 ] || fail "the window's outline differs from Main_on's in $d pixels ($s)"
ok "outline = non-magenta pixels of Main_on"

# ---- Automatic start: in the 32-bit view, quoted; the other key left alone -----------------------
want="\"$winapp\\zor2.exe\" state"
got=$(reg_value "$(autostart_key)" ZOR2 /reg:32)
[ "$got" = "$want" ] || fail "$(autostart_key) ZOR2 is '$got', wanted '$want'"
ok "$(autostart_key) ZOR2 = $want"
no_other_autostart() {
  if zor_nt5; then
    [ "$(reg_value "$(other_autostart_key)" ZOR2 /reg:32)" = missing ] || fail "zor2 wrote ZOR2 under RunOnce"
  else
    wine reg query "$(other_autostart_key)" /reg:32 >/dev/null 2>&1 && fail "zor2 created the 32-bit Run key"
  fi
  ok "nothing under $(other_autostart_key)"
}
no_other_autostart

# ---- Start state: the saving plan, L2, the service -------------------------------------------------
wait_for 20 service_is RUNNING || fail "zor2 did not start the service (state $(service_state))"
ok "service started"
[ "$(active_plan)" = 4 ] || fail "active plan $(active_plan), wanted Balanced (4)"
ok "plan 4 in force"
expect_timeouts "monitor 180 disk 180"
board_show
[ "$(level_code)" = 3 ] && [ "$(flag active)" = 1 ] || fail "board at start: control $(control_word)"

# ==== Figures: the service stopped, the test's own figures in INFO.DAT ============================
stop_service
set_values VALUE CPU_MAX=95 Current=12.5 Total=1234.5 SaveTime=90061
# Figures that stand still while the service is stopped are shown as such; a figure the window
# does not draw changes every second, so that these stay live until the test has seen them.
touch "$work/ticking"
( n=0; while [ -e "$work/ticking" ]; do set_values VALUE Usage=$((n++ % 2)); sleep 1; done ) &
ticker_pid=$!

# 95 -> "95.000000": 9, 5, point, 0, 0 (the strip stops past x = 135).
compose "$work/cpu.png" 100x34 "" "$skin/CPU_ON_9.bmp" 0 0 "$skin/CPU_ON_5.bmp" 25 0 \
  "$skin/CPU_ON_10.bmp" 46 27 "$skin/CPU_ON_0.bmp" 50 0 "$skin/CPU_ON_0.bmp" 75 0
# 12.5 -> "12.500" from x = 246, point at (292, 111); 90061 s -> 01 days 01 hours 01 minutes.
compose "$work/meter.png" "" "$skin/PSN_11.bmp" \
  "$skin/PSN_1.bmp" 84 19 "$skin/PSN_2.bmp" 109 19 "$skin/PSN_10.bmp" 130 46 "$skin/PSN_5.bmp" 134 19 \
  "$skin/PSN_0.bmp" 159 19 "$skin/PSN_0.bmp" 184 19 \
  "$skin/TOTAL_0.bmp" 12 65 "$skin/TOTAL_1.bmp" 24 65 "$skin/TOTAL_0.bmp" 58 65 \
  "$skin/TOTAL_1.bmp" 70 65 "$skin/TOTAL_0.bmp" 111 65 "$skin/TOTAL_1.bmp" 123 65
# 1234.5 -> "1234.500" from x = 196; since 09:05:07 3/1 2009 (no month or day tens).
since=(0 25 9 37 10 50 0 56 5 68 10 81 0 86 7 98 11 110 1 127 12 139 3 159 12 171 2 179 0 191 0 203 9 215)
since_args=()
for ((i = 0; i < ${#since[@]}; i += 2)); do since_args+=("$skin/SINCE_${since[i]}.bmp" "${since[i + 1]}" 65); done
compose "$work/total.png" "" "$skin/TOTALNUM_11.bmp" \
  "$skin/TOTALNUM_1.bmp" 34 19 "$skin/TOTALNUM_2.bmp" 59 19 "$skin/TOTALNUM_3.bmp" 84 19 \
  "$skin/TOTALNUM_4.bmp" 109 19 "$skin/TOTALNUM_10.bmp" 130 46 "$skin/TOTALNUM_5.bmp" 134 19 \
  "$skin/TOTALNUM_0.bmp" 159 19 "$skin/TOTALNUM_0.bmp" 184 19 "${since_args[@]}"

drawn() {  # drawn NAME IMAGE X Y: a fresh shot shows the image there
  [ "$(differs "$(shot "$1")" "$2" "$3" "$4")" = 0 ]
}
expect_drawn() {  # expect_drawn WHAT NAME IMAGE X Y (within a few ticks)
  wait_for 5 drawn "$2" "$3" "$4" "$5" || expect_picture "$1" "$shots/$2.png" "$3" "$4" "$5"
  ok "$1"
}
expect_drawn "processor figure 95 (CPU_ON digits at 58, 83, 108, 133)" cpu "$work/cpu.png" 58 108
expect_drawn "meter: 12.500 and 01 d 01 h 01 min" meter "$work/meter.png" 162 65

# ---- Phases: a later shot differs -----------------------------------------------------------------
# A lit phase steps through four frames, one each 100 ms, so two shots a whole cycle apart look
# alike: the first is compared with two later ones, at two gaps that are hardly both whole cycles.
moving() {
  local a b c f
  a=$(shot phase-a); sleep 0.15; b=$(shot phase-b); sleep 0.1; c=$(shot phase-c)
  for f in "$a" "$b" "$c"; do convert "$f" -crop 446x129+55+228 +repage "$work/${f##*/}"; done
  [ "$(compare -metric AE "$work/phase-a.png" "$work/phase-b.png" null: 2>&1 || true)" != 0 ] ||
    [ "$(compare -metric AE "$work/phase-a.png" "$work/phase-c.png" null: 2>&1 || true)" != 0 ]
}
# (Tries for a while: the window's timers can be starved for seconds on a loaded machine.)
wait_for 15 moving || fail "the phase indicators do not move ($shots/phase-a.png, phase-b.png, phase-c.png)"
ok "phase indicators move"

# ---- Total and Meter ----------------------------------------------------------------------------------
click_button TOTAL_N 260 161
expect_drawn "total: 1234.500 since 09:05:07 3/1 2009" total "$work/total.png" 162 65
s=$(shot total-buttons)
expect_picture "Total shows RESET_X" "$s" "$skin/RESET_X.bmp" 301 155
expect_picture "Total button chosen" "$s" "$skin/TOTAL_DIS.bmp" 260 161
click_button METER_N 214 161
expect_drawn "meter again" meter-again "$work/meter.png" 162 65
expect_picture "Meter shows Reset again" "$shots/meter-again.png" "$skin/RESET_N.bmp" 301 155

# ---- Figures standing still with the service stopped: no number is shown as live ------------------
rm -f "$work/ticking"
wait_for 5 eval '! kill -0 "$ticker_pid" 2>/dev/null' || fail "the figure ticker did not end"
ticker_pid=""
wait_for 10 eval '! drawn cpu-stale "$work/cpu.png" 58 108 && ! drawn meter-stale "$work/meter.png" 162 65' ||
  fail "the frozen figures are still shown ($shots/cpu-stale.png)"
ok "stopped service: the processor strip and the figures panel no longer show the frozen figures"

# ---- Reset: cmd=1, which the service answers once it runs again -----------------------------------
click_button RESET_N 301 155
wait_for 5 value_is VALUE cmd 1 || fail "Reset did not write cmd=1 (cmd '$(info_value VALUE cmd)')"
ok "Reset writes cmd=1"

# ---- LED and 3D power --------------------------------------------------------------------------------
click_button LED_OFF 533 440
expect_board flag LED = 0
expect_picture "LED off picture" "$(shot led-off)" "$skin/LED_OFF.bmp" 533 440
click_button LED_OFF 533 440
expect_board flag LED = 1
click_button P3D_OFF_N 246 486
expect_board flag 3D = 1
expect_drawn "3D power on picture" p3d-on "$skin/P3D_ON_N.bmp" 246 486
# The second click turns it off again.
click_button P3D_OFF_N 246 486
expect_board flag 3D = 0

# ---- Levels ------------------------------------------------------------------------------------------------
click_button L1_N 44 501
expect_board level_code = 5
expect_timeouts "monitor 600 disk 1200"
click_button L3_N 123 501
expect_board level_code = 1
expect_timeouts "monitor 180 disk 180"
# A burst of quick clicks: the last one wins.
for b in "L2_N 84" "L1_N 44" "L3_N 123" "L2_N 84" "L1_N 44"; do
  set -- $b
  xdotool mousemove $((wx + $(centre "$1" "$2" 501 | cut -d' ' -f1) - 3)) $((wy + 515))
  xdotool mousemove $((wx + $(centre "$1" "$2" 501 | cut -d' ' -f1))) $((wy + 515)) click 1
  sleep 0.05
done
expect_board level_code = 5
expect_timeouts "monitor 600 disk 1200"
sleep 1
board_show
[ "$(level_code)" = 5 ] || fail "the burst ended on level code $(level_code), not L1's 5"
ok "burst ends on its last click"
click_button L2_N 84 501
expect_board level_code = 3
expect_timeouts "monitor 180 disk 180"

# ---- L4: the advanced dialog opens over the window; Escape (QUIT) changes nothing ------------------
# The service may be writing its figures meanwhile: what QUIT must leave alone is [SETTING].
settings_section() { ini_section "$(info_file)" SETTING; }
settings_before=$(settings_section)
click_button L4_N 162 501
# Three layouts share one size, the P67 one is lower.
wait_for 20 eval 'box_of_size 612x396 || box_of_size 612x352' || fail "L4 opened no advanced dialog"
ok "L4 opens the advanced dialog"
sleep 1
xdotool key Escape
wait_for 10 eval '! box_of_size 612x396 && ! box_of_size 612x352' || fail "Escape left the advanced dialog open"
[ "$(settings_section)" = "$settings_before" ] || fail "QUIT changed INFO.DAT's [SETTING]"
ok "QUIT leaves the settings as they were"

# ---- Help: the help file opens through its association (a recorder stands in for the viewer) ------
if [ -f "$bin/zor2_eng.chm" ]; then
  cp "$bin/zor2_eng.chm" "$app/"
  recorder=$(winepath -w "$bin/fixtures/window_probe.exe" 2>/dev/null | tr -d '\r')
  wine reg add 'HKCR\.chm' /ve /d ZorTestHelp /f >/dev/null 2>&1
  wine reg add 'HKCR\ZorTestHelp\shell\open\command' /ve \
    /d "\"$recorder\" record C:\\help-opened.txt \"%1\"" /f >/dev/null 2>&1
  rm -f "$prefix/drive_c/help-opened.txt"
  click_button HELP_N 518 7
  wait_for 20 test -s "$prefix/drive_c/help-opened.txt" || fail "Help opened nothing"
  grep -qiF "$winapp\\zor2_eng.chm" "$prefix/drive_c/help-opened.txt" \
    || fail "Help opened $(cat "$prefix/drive_c/help-opened.txt")"
  ok "Help opens zor2_eng.chm from the program's folder"
fi

# ---- Resume from suspend: the rails again, once per resume ------------------------------------------
board_show
applies=$(rail_applies)
window_probe power "$title" 0x12 >/dev/null || fail "no window to send the power broadcast to"
expect_board rail_applies = $((applies + 1))
ok "a resume (PBT_APMRESUMEAUTOMATIC) commits the rails again"
# The user's return after the same resume announces it once more; it is not applied twice.
window_probe power "$title" 0x7 >/dev/null
sleep 1
board_show
[ "$(rail_applies)" = $((applies + 1)) ] || fail "the second resume message applied the rails again"
ok "the following PBT_APMRESUMESUSPEND of the same resume does not"

# ---- Minimise --------------------------------------------------------------------------------------------
click_button MINI_N 483 7
wait_for 5 eval '[ "$(window_probe iconic "$title")" = "iconic 1" ]' || fail "Minimise: $(window_probe iconic "$title")"
ok "Minimise: the window is iconic"

# ---- No notification-area icon of its own: the companion Zor2Tray has it ----------------------------------
[ -z "$(tray_window)" ] || fail "zor2 put an icon in the notification area"
ok "zor2 shows no notification-area icon"

# ---- A second start: the logon start changes nothing, the user's brings the window back --------------
before=$(packets)
for args in state ""; do
  started=$(date +%s%N)
  status=0
  (cd "$app" && timeout 30 wine ./zor2.exe $args >/dev/null 2>&1) || status=$?
  [ "$status" = 0 ] || fail "second start '$args' exited with $status"
  [ "$(window_probe count "$title")" = "count 1" ] || fail "second start '$args': $(window_probe count "$title")"
  ok "second start '$args': exit 0 after $(( ($(date +%s%N) - started) / 1000000 )) ms, one window"
  if [ "$args" = state ]; then
    [ "$(window_probe iconic "$title")" = "iconic 1" ] || fail "the start-up mode start restored the window"
    ok "the start-up mode start leaves the window minimised"
  fi
done
wait_for 5 eval '[ "$(window_probe iconic "$title")" = "iconic 0" ]' || fail "second start: $(window_probe iconic "$title")"
wait_for 5 eval '[ "$(window_probe foreground "$title")" = "foreground 1" ]' || fail "second start: $(window_probe foreground "$title")"
wait_for 5 locate || fail "the window did not come back"
ok "a plain second start restores the running window and brings it to the front"
board_show
[ "$(packets)" = "$before" ] || fail "a second start wrote to the firmware ($before -> $(packets) packets)"
ok "second starts left the firmware alone"

# ---- The service answers the reset ---------------------------------------------------------------------
start_service
wait_for 10 value_is VALUE cmd 0 || fail "the service left cmd at '$(info_value VALUE cmd)'"
ok "the running service sets cmd back to 0"

# ---- OFF and ON, at L3: the rails lowered, back at their bases, lowered again ---------------------
# Which rails L3 lowers follows the platform class zor2 takes the processor for: under Wine the
# host's own, whatever the board's profile says. This board has no PCH rail.
platform=$(run fwprobe.exe gui | sed -n 's/^Platform=//p')
case $platform in
  x58) l3_drops="MEM 2000 NB 10000 SB 10000 VTT 0" ;;
  p55) l3_drops="MEM 2000 NB 0 SB 0 VTT 0" ;;
  p67) l3_drops="MEM 0 NB 0 SB 0 VTT 0" ;;
  none) l3_drops="MEM 2000 NB 10000 SB 10000 VTT 10000" ;;
  *) fail "fwprobe gave no platform class ('$platform')" ;;
esac
ok "this processor counts as platform class $platform"
click_button L3_N 123 501
expect_board level_code = 1
expect_board rail_drops = "$l3_drops"
click_button ON_NB 403 45
expect_board flag active = 0
expect_board rail_drops = "MEM 0 NB 0 SB 0 VTT 0"
click_button OFF_nb 403 45
expect_board flag active = 1
expect_board rail_drops = "$l3_drops"
click_button L2_N 84 501
expect_board level_code = 3
expect_board rail_drops = "MEM 0 NB 0 SB 0 VTT 0"

# ---- Close, answered No: the user's plan back, saving off, the level kept -------------------------
click_button CLOSE_N 444 7
wait_dialog MSG_8
[ "$bx" = $((wx + (592 - 472) / 2)) ] && [ "$by" = $((wy + (548 - 96) / 2)) ] \
  || fail "message 10 at +$bx+$by, not centred over the window at +$wx+$wy"
import -window root "$shots/close-no.png"
click_dialog 415 32
wait_exit 20
[ "$status" = 0 ] || fail "Close/No: exit status $status"
ok "Close, No: exit 0"
[ "$(info_value INFO PV)" = 0 ] || fail "Close/No: PV is '$(info_value INFO PV)'"
ok "Close, No: PV=0"
[ "$(active_plan)" = 3 ] || fail "Close/No: plan $(active_plan), wanted High performance (3)"
ok "Close, No: the user's plan is back"
# The user's time-outs go back to plan 4, where they were read; the user's own plan is untouched.
[ "$(timeouts)" = "monitor 600 disk 1200" ] || fail "Close/No: plan 4 time-outs are $(timeouts)"
[ "$(timeouts 3)" = "monitor missing disk missing" ] || fail "Close/No: High performance changed"
ok "Close, No: the user's time-outs are back"
board_show
[ "$(flag active)" = 0 ] && [ "$(level_code)" = 3 ] || fail "Close/No: control $(control_word)"
ok "Close, No: saving off, level code 3 kept"

# ---- Close, answered Yes: saving and the saving plan stay -------------------------------------------
start_zor2
wait_for 30 locate || fail "no window at the third start"
sleep 1
click_button OFF_nb 403 45
expect_board flag active = 1
click_button CLOSE_N 444 7
wait_dialog MSG_8
click_dialog 325 32
wait_exit 20
[ "$status" = 0 ] || fail "Close/Yes: exit status $status"
ok "Close, Yes: exit 0"
[ "$(info_value INFO PV)" = 1 ] && [ "$(info_value INFO POWERVALUE)" = 3 ] \
  || fail "Close/Yes: PV '$(info_value INFO PV)', POWERVALUE '$(info_value INFO POWERVALUE)'"
ok "Close, Yes: PV=1, the user's plan 3 parked"
[ "$(active_plan)" = 4 ] || fail "Close/Yes: plan $(active_plan), wanted Balanced (4)"
board_show
[ "$(flag active)" = 1 ] || fail "Close/Yes: control $(control_word)"
ok "Close, Yes: plan 4 and saving stay in force"

# ==== Start-up mode ===================================================================================
# The firmware holds L3 now; start-up mode re-applies it with its time-outs and rails, without a window.
board_show
word=$(control_word)
run simboard.exe flags "$(printf '%04X' $(( (word & ~0xF0) | 0x10 | 1 )))"
set_plan_timeouts 4 10 20
board_show
applies=$(rail_applies); before=$(packets)
start_zor2 state
seen=0
while kill -0 "$zor2_pid" 2>/dev/null; do
  [ -n "$(window_ids "$title")" ] && seen=1
  sleep 0.1
done
wait_exit 1
[ "$status" = 0 ] || fail "state: exit status $status"
[ "$seen" = 0 ] || fail "state: a window was shown"
ok "state: exit 0, no window"
board_show
[ "$(level_code)" = 1 ] && [ "$(rail_applies)" -gt "$applies" ] && [ "$(packets)" -gt "$before" ] \
  || fail "state: control $(control_word), rails applied $applies -> $(rail_applies), packets $before -> $(packets)"
ok "state: L3 applied again (rails committed, packets sent)"
expect_timeouts "monitor 180 disk 180"

# Saving disabled in the firmware: start-up mode ends with 0 and writes nothing.
run simboard.exe create --profile x58-6-off >/dev/null
board_show
word=$(control_word); applies=$(rail_applies); before=$(packets)
start_zor2 state
wait_exit 30
[ "$status" = 0 ] || fail "state on x58-6-off: exit status $status"
board_show
[ "$(control_word)" = "$word" ] && [ "$(rail_applies)" = "$applies" ] && [ "$(packets)" = "$before" ] \
  || fail "state on x58-6-off touched the board: control $word -> $(control_word), packets $before -> $(packets)"
ok "state with saving disabled: exit 0, board untouched"

# ==== Failures that end the start: their message, status 1, the user's plan untouched ==============
set_active_plan 3
plan_kept() {
  [ "$(active_plan)" = 3 ] || fail "$1 left plan $(active_plan) in force"
  ok "$1: the user's plan untouched"
}
run simboard.exe create --profile x58-12-range >/dev/null
run simboard.exe fault add no-esy
start_zor2
expect_box Error "Can't Get SMI port and type!!"
wait_exit 20
[ "$status" = 1 ] || fail "no \$ESY4: exit status $status"
ok "no \$ESY4: exit 1"
plan_kept "no \$ESY4"

run simboard.exe fault clear all
run simboard.exe fault add revision
start_zor2
wait_dialog MSG_9
import -window root "$shots/revision-screen.png"
convert "$shots/revision-screen.png" -crop "$(identify -format '%wx%h' "$res/MSG_9.bmp")+$bx+$by" +repage "$shots/revision.png"
convert "$res/MSG_9.bmp" -alpha off -fill "$backdrop" -opaque '#FF00FF' "$work/want-revision.png"
d=$(compare -metric AE "$work/want-revision.png" "$shots/revision.png" null: 2>&1 || true)
[ "$d" = 0 ] || fail "message dialog 11 differs from MSG_9 in $d pixels ($shots/revision.png)"
ok "revision: message dialog 11 shown"
click_dialog 415 32
wait_exit 20
[ "$status" = 1 ] || fail "revision: exit status $status"
ok "revision: exit 1"
plan_kept "revision"
run simboard.exe fault clear all

mv "$app/ENG.dll" "$work/ENG.dll"
start_zor2
expect_box Worry "Load resource library failure!!"
wait_exit 20
mv "$work/ENG.dll" "$app/ENG.dll"
[ "$status" = 1 ] || fail "no ENG.dll: exit status $status"
ok "no ENG.dll: exit 1"
plan_kept "no ENG.dll"

no_other_autostart
echo "main window: all checks passed in ${SECONDS} s; screenshots in $shots"
