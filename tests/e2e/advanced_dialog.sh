#!/usr/bin/env bash
# The advanced settings dialog under Wine, from the installed programs on the simulated board:
# advdemo opens it over a stand-in main window as the L4 button does. The test clicks toggles,
# drags a slider thumb, clicks the arrows, picks a time-out from a dropped list and saves, then
# checks INFO.DAT's [SETTING] keys and their order, the board and the registry; QUIT changes
# nothing; Enter saves and Escape quits; "No" to the low-power question stores 0; a missing
# AdvEng.dll ends the program with status 1. Each platform layout is photographed, and the time to
# a painted dialog and the CPU per thumb-drag move are printed (measured, not checked).
# Usage: advanced_dialog.sh BUILD/bin (run inside an X display, e.g. xvfb-run).
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
pictures=$bin/../skins/generated/AdvEng
out=$bin/../e2e/advanced_dialog
source "$root/tests/e2e/e2e_lib.sh"
rm -rf "$out"
mkdir -p "$out"
zor_app_prefix "$out/prefix" "$bin" advdemo.exe hwk.dll simboard.exe settings_probe.exe Clockvane.dll \
  SF.DLL AdvEng.dll AdvSC.dll AdvTC.dll res.dll
zor_wine_session
install_powercfg "$bin"

# The checks go on after a failure (soft_fail), so one run shows every broken part of the dialog.
setting() { ini_value "$app/Info.dat" SETTING "$1"; }
state() { run advdemo.exe --state | sed -n "s/^$1 //p"; }
disk_key=$(plan_timeout_key 4 disk)

# The visible advdemo window of size $1 as WxH+X+Y (empty while there is none).
geometry_of() { window_geometry advdemo "$1"; }
# Pixels where the screen's crop $1 differs from picture $2 at client offset $3,$4.
differs() {  # geometry picture dx dy
  local size; size=$(identify -format '%wx%h' "$2")
  import -window root -crop "${size}+$((x + $3))+$((y + $4))" +repage "$out/probe-crop.png"
  compare -metric AE "$2" "$out/probe-crop.png" null: 2>&1 || true
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Starts advdemo with options; waits until the dialog (background $1) is on screen and painted.
# Sets pid, log, box, x, y, and the milliseconds from the start to the stand-in owner window
# (owner_ms), to the dialog's window (mapped_ms) and to its painted face (ms).
open_dialog() {  # background args...
  local picture=$pictures/$1.bmp; shift
  local size; size=$(identify -format '%wx%h' "$picture")
  log=$out/advdemo-$RANDOM.txt
  local start; start=$(now_ms)
  (cd "$app" && exec wine ./advdemo.exe "$@") >"$log" 2>/dev/null &
  pid=$!
  box=""
  owner_ms=""
  for _ in $(seq 1 1000); do
    [ -z "$owner_ms" ] && [ -n "$(geometry_of 600x545)" ] && owner_ms=$(( $(now_ms) - start ))
    box=$(geometry_of "$size")
    [ -n "$box" ] && break
    sleep 0.02
  done
  mapped_ms=$(( $(now_ms) - start ))
  [ -n "$box" ] || { soft_fail "no $size dialog for $*"; return 1; }
  x=${box#*+}; y=${x#*+}; x=${x%+*}
  # Painted: a patch of the face's left strip (no control lies there) shows the picture.
  convert "$picture" -crop 60x60+50+250 +repage "$out/patch.png"
  for _ in $(seq 1 100); do
    [ "$(differs "$box" "$out/patch.png" 50 250)" = 0 ] && break
    sleep 0.02
  done
  ms=$(( $(now_ms) - start ))
  sleep 0.3
}
click() {  # client x y
  pointer_onto $((x + $1)) $((y + $2)); sleep 0.2
  xdotool click 1; sleep 0.3
}
finish() {  # expected status -> waits for advdemo to end
  local status=0
  for _ in $(seq 1 80); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  if kill -0 "$pid" 2>/dev/null; then soft_fail "advdemo still running"; kill "$pid"; return; fi
  wait "$pid" || status=$?
  soft_expect "exit status" "$status" "$1"
}
snap() {  # name
  import -window root "$out/$1-screen.png"
  convert "$out/$1-screen.png" -crop "$box" +repage "$out/$1.png"
}

run simboard.exe create --profile x58-6 >/dev/null
run settings_probe.exe power >/dev/null  # the stand-in powercfg's plan exists from here on

# ---- The four layouts: photographed, and the time to a painted dialog ----
start=$(date +%s%N)
run advdemo.exe --platform x58 --state >/dev/null
echo "measure: advdemo --state (Wine start, discovery, exit) took $(( ($(date +%s%N) - start) / 1000000 )) ms"
for layout in "x58 Main_X58 361" "p55 Main_P55 361" "p67 MAIN_P67 318" "none Main 361"; do
  set -- $layout
  open_dialog "$2" --platform "$1"
  echo "measure: $1: owner window at ${owner_ms:-?} ms, dialog window at ${mapped_ms} ms, painted by ${ms} ms after the start"
  snap "layout-$1"
  click 530 "$3"  # QUIT
  finish 0
  grep -q '^quit' "$log" || soft_fail "$1: QUIT did not quit"
done
[ ! -e "$app/Info.dat" ] || soft_fail "quitting wrote INFO.DAT"

# ---- QUIT after changes leaves INFO.DAT and the board as they were ----
run simboard.exe show > "$out/board-before.txt"
printf '[INFO]\r\nPV=0\r\n' > "$app/Info.dat"
cp "$app/Info.dat" "$out/info-before.dat"
cp "$app/SimBoard.bin" "$out/board-before.bin"
open_dialog Main_X58 --platform x58
click 138 160   # NB
click 265 95    # upper right arrow
click 530 361   # QUIT
finish 0
cmp -s "$out/info-before.dat" "$app/Info.dat" || soft_fail "QUIT changed INFO.DAT"
run simboard.exe show > "$out/board-after.txt"
diff <(grep -E '^(control|rail|ROM|fan|clock)' "$out/board-before.txt") \
     <(grep -E '^(control|rail|ROM|fan|clock)' "$out/board-after.txt") >/dev/null \
  || soft_fail "QUIT changed the board"
cmp -s "$out/board-before.bin" "$app/SimBoard.bin" && echo "ok: SimBoard.bin byte-identical" \
  || echo "note: SimBoard.bin differs in its counters (reads and discovery)"

# ---- SAVE with the mouse ----
soft_expect "reduction before" "$(state reduction)" 0
open_dialog Main_X58 --platform x58
click 546 160   # VGA on
click 138 160   # NB on
# Drag the upper thumb (centre 19 at position 0) 40 pixels right: position 15; measure its CPU.
cpu_before=$(awk '{ print $14 + $15 }' "/proc/$(pgrep -n -f 'advdemo.exe')/stat")
xdotool mousemove $((x + 136 + 19)) $((y + 95)); sleep 0.2
xdotool mousedown 1; sleep 0.2
for step in $(seq 1 40); do xdotool mousemove $((x + 136 + 19 + step)) $((y + 95)); done
sleep 0.3
xdotool mouseup 1; sleep 0.3
cpu_after=$(awk '{ print $14 + $15 }' "/proc/$(pgrep -n -f 'advdemo.exe')/stat")
echo "measure: 40 thumb-drag moves took $(( (cpu_after - cpu_before) * 10 )) ms of CPU ($(( (cpu_after - cpu_before) * 10000 / 40 )) us per move)"
click 265 95    # upper right arrow: 16
# Both sliders and both labels show one value.
snap after-drag
convert "$out/after-drag.png" -crop 50x18+170+110 +repage "$out/label-upper.png"
convert "$out/after-drag.png" -crop 50x18+439+267 +repage "$out/label-lower.png"
soft_expect "labels agree (differing pixels)" "$(compare -metric AE "$out/label-upper.png" "$out/label-lower.png" null: 2>&1 || true)" 0
convert "$out/after-drag.png" -crop 118x22+136+84 +repage "$out/slider-upper.png"
convert "$out/after-drag.png" -crop 118x22+398+243 +repage "$out/slider-lower.png"
soft_expect "sliders agree (differing pixels)" "$(compare -metric AE "$out/slider-upper.png" "$out/slider-lower.png" null: 2>&1 || true)" 0
# Drop the disk list and pick "1 hour", the fifth item.
click 199 254
snap list-dropped
click 199 $((244 + 21 + 4 * 17 + 9))
snap before-save
click 426 361   # SAVE
finish 0
grep -q '^saved' "$log" || soft_fail "SAVE printed '$(cat "$log")'"
soft_expect "[SETTING] keys in order" "$(ini_keys "$app/Info.dat" SETTING)" "Adv NB SB MEM VTT LPS THRO PCH VGA SF FSB HDD MONI CURVOLT "
soft_expect "VGA" "$(setting VGA)" 1
soft_expect "NB" "$(setting NB)" 1
soft_expect "FSB" "$(setting FSB)" 16
soft_expect "HDD" "$(setting HDD)" "1 hour"
soft_expect "CURVOLT" "$(setting CURVOLT)" 3
soft_expect "LPS" "$(setting LPS)" 0
run simboard.exe show > "$out/board-saved.txt"
grep -q '^clock *setting 10' "$out/board-saved.txt" || soft_fail "graphics clock not lowered"
grep -q 'level code 3' "$out/board-saved.txt" || soft_fail "level code not 3"
soft_expect "board reduction item" "$(state reduction)" 16
soft_expect "north-bridge rail" "$(state 'rail NB')" reduced
soft_expect "registry disk time-out (s)" "$(reg_dword "$disk_key" ACSettingIndex)" 3600

# ---- Keys: Enter saves, Escape quits, while the dialog has the focus ----
rm -f "$app/Info.dat"
open_dialog Main_X58 --platform x58
click 70 300  # a bare place of the face: the dialog is the active window
xdotool key Escape
finish 0
grep -q '^quit' "$log" || soft_fail "Escape did not quit"
[ ! -e "$app/Info.dat" ] || soft_fail "Escape wrote INFO.DAT"
open_dialog Main_X58 --platform x58
click 70 300
xdotool key Tab; sleep 0.2; xdotool key Return; sleep 0.5   # the slider has the focus: no save
kill -0 "$pid" 2>/dev/null || soft_fail "Enter on a focused slider closed the dialog"
xdotool key shift+Tab; sleep 0.2; xdotool key Return
finish 0
grep -q '^saved' "$log" || soft_fail "Enter did not save"
soft_expect "Enter: HDD" "$(setting HDD)" "1 hour"

# ---- "No" to the low-power question stores 0 and leaves the firmware flag ----
lps_before=$(state low-power)
soft_expect "low-power before" "$lps_before" off
open_dialog Main_X58 --platform x58
click 395 80    # LPS on
click 426 361   # SAVE: message 12 asks
question=""
for _ in $(seq 1 100); do question=$(geometry_of 472x96); [ -n "$question" ] && break; sleep 0.1; done
[ -n "$question" ] || soft_fail "no low-power question"
qx=${question#*+}; qy=${qx#*+}; qx=${qx%+*}
xdotool mousemove $((qx + 420)) $((qy + 34)); sleep 0.3; xdotool click 1
finish 0
grep -q '^low-power kept' "$log" || soft_fail "No: printed '$(cat "$log")'"
soft_expect "No: LPS" "$(setting LPS)" 0
soft_expect "No: firmware low-power" "$(state low-power)" off

# ---- Without AdvEng.dll: the box, then status 1 ----
mv "$app/AdvEng.dll" "$app/AdvEng.off"
(cd "$app" && exec wine ./advdemo.exe --platform x58) >"$out/no-skin.txt" 2>/dev/null &
pid=$!
answer_worry "$out/no-skin-screen.png" || soft_fail "no \"Worry\" box without AdvEng.dll"
finish 1
mv "$app/AdvEng.off" "$app/AdvEng.dll"

soft_summary "screenshots in $out"
