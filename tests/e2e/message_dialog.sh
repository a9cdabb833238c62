#!/usr/bin/env bash
# The message box under Wine: msgdemo shows it over a stand-in main window; the test photographs
# it, checks its size, place and shape against its picture in res.dll (the Simplified Chinese
# pictures on a Simplified Chinese system), and answers it with the mouse. Usage: message_dialog.sh BUILD/bin (run inside an X display, e.g. xvfb-run).
set -euo pipefail
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
pictures=$bin/../skins/generated/res
out=$bin/../e2e/message_dialog
source "$root/tests/e2e/e2e_lib.sh"
rm -rf "$out"
mkdir -p "$out"
zor_new_prefix "$out/prefix"
export WINEPREFIX=$out/prefix
zor_wine_session

owner_colour='rgb(17,201,83)'
owner_geometry='600x545+80+60'
# The checks go on after a failure (soft_fail), so one run shows every broken part of the box.

# Geometry WxH+X+Y of the program's visible window of size $1 (empty while there is none).
geometry_of() { window_geometry msgdemo "$1"; }

wait_for_window() {  # size
  local g=""
  for _ in $(seq 1 120); do
    g=$(geometry_of "$1")
    [ -n "$g" ] && { sleep 0.5; echo "$g"; return 0; }
    sleep 0.5
  done
  return 1
}

# Waits for msgdemo to end and checks the answer it printed and its exit status.
expect_answer() {  # pid log expected
  local status=0
  for _ in $(seq 1 40); do kill -0 "$1" 2>/dev/null || break; sleep 0.25; done
  if kill -0 "$1" 2>/dev/null; then
    soft_fail "$2: still open"; kill "$1"; return
  fi
  wait "$1" || status=$?
  grep -q "^answer $3" "$2" || soft_fail "$2: printed '$(cat "$2")', expected answer $3"
  [ "$status" -eq "$3" ] || soft_fail "$2: exit status $status, expected $3"
}

# Pixels where the box's shape (non-magenta pixels of picture $1) and the screenshot $2 (not the
# owner's colour) disagree.
shape_mismatch() {
  convert "$1" -alpha off -fill white +opaque '#FF00FF' -fill black -opaque '#FF00FF' "$out/want.png"
  convert "$2" -alpha off -fill white +opaque "$owner_colour" -fill black -opaque "$owner_colour" "$out/got.png"
  compare -metric AE "$out/want.png" "$out/got.png" null: 2>&1 || true
}

# Pixels where the screenshot $2 differs from picture $1 with its magenta showing the owner.
picture_mismatch() {
  convert "$1" -alpha off -fill "$owner_colour" -opaque '#FF00FF' "$out/want-full.png"
  compare -metric AE "$out/want-full.png" "$2" null: 2>&1 || true
}

snap() {  # name geometry -> cropped screenshot path
  import -window root "$out/$1-screen.png"
  convert "$out/$1-screen.png" -crop "$2" +repage "$out/$1.png"
  echo "$out/$1.png"
}

# Starts msgdemo with message $1 (picture $2), on a system of locale $3 if given; sets pid, log,
# box (geometry), x, y (its top-left). Wine takes the system's language from the locale.
show() {
  log=$out/answer-$1-$RANDOM.txt
  env ${3:+LC_ALL=$3 LANG=$3} wine "$bin/msgdemo.exe" "$1" >"$log" 2>/dev/null &
  pid=$!
  local size
  size=$(identify -format '%wx%h' "$pictures/$2.bmp")
  box=$(wait_for_window "$size") || { soft_fail "message $1: no $size window"; kill "$pid"; return 1; }
  x=${box#*+}; y=${x#*+}; x=${x%+*}
  local owner
  owner=$(geometry_of 600x545)
  [ "$owner" = "$owner_geometry" ] || soft_fail "owner window at '$owner'"
  # Centred over the owner: (80 + (600 - w) / 2, 60 + (545 - h) / 2).
  local w=${size%x*} h=${size#*x}
  [ "$x" -eq $((80 + (600 - w) / 2)) ] && [ "$y" -eq $((60 + (545 - h) / 2)) ] \
    || soft_fail "message $1 at $box, not centred over $owner_geometry"
}

click() {  # client x, y
  pointer_onto $((x + $1)) $((y + $2)); sleep 0.3
  xdotool click 1
}

# OK on a picture-only message: exact picture and shape, answer 1.
show 1 MSG_1
shot=$(snap msg1 "$box")
[ "$(shape_mismatch "$pictures/MSG_1.bmp" "$shot")" = 0 ] || soft_fail "message 1 shape differs"
[ "$(picture_mismatch "$pictures/MSG_1.bmp" "$shot")" = 0 ] || soft_fail "message 1 picture differs"
click 415 32
expect_answer "$pid" "$log" 1

# Yes/No: hover picture, keys and a drag do not answer, No answers 0.
show 10 MSG_8
shot=$(snap msg10 "$box")
[ "$(shape_mismatch "$pictures/MSG_8.bmp" "$shot")" = 0 ] || soft_fail "message 10 shape differs"
xdotool mousemove $((x + 320)) $((y + 30)); sleep 0.5
over=$(snap msg10-yes-over "$(identify -format '%wx%h' "$pictures/MSG_YES_O.bmp")+$((x + 290))+$((y + 20))")
[ "$(compare -metric AE "$pictures/MSG_YES_O.bmp" "$over" null: 2>&1 || true)" = 0 ] \
  || soft_fail "Yes does not show its over picture"
xdotool key Return; sleep 0.3; xdotool key Escape; sleep 0.5
kill -0 "$pid" 2>/dev/null || soft_fail "Enter or Escape closed the box"
# Pressed on Yes and released 60 pixels away: the box follows the pointer and stays open.
xdotool mousedown 1; sleep 0.2
for step in 10 20 30 40 50 60; do xdotool mousemove $((x + 320 + step)) $((y + 30)); sleep 0.1; done
xdotool mouseup 1; sleep 0.8
kill -0 "$pid" 2>/dev/null || soft_fail "a press on Yes released elsewhere answered the box"
moved=$(geometry_of 472x96)
[ "$moved" = "472x96+$((x + 60))+$y" ] || soft_fail "drag left the box at '$moved', not 60 pixels right"
snap msg10-dragged "$moved" >/dev/null
x=$((x + 60))
click 415 32
expect_answer "$pid" "$log" 0

# Yes answers 1.
show 12 MSG_12
click 325 32
expect_answer "$pid" "$log" 1

# A message with text over the picture keeps the picture's shape.
show 9 MSG_6
shot=$(snap msg9 "$box")
[ "$(shape_mismatch "$pictures/MSG_6.bmp" "$shot")" = 0 ] || soft_fail "message 9 shape differs"
[ "$(picture_mismatch "$pictures/MSG_6.bmp" "$shot")" != 0 ] || soft_fail "message 9 shows no text"
click 415 32
expect_answer "$pid" "$log" 1

# On a Simplified Chinese system the notices carry their text in pictures of their own: exactly
# that picture, with nothing drawn over it.
for id in 8 9; do
  show "$id" "MSG_SC_$id" zh_CN.UTF-8
  # The pointer left over OK by the last answer shows its hover picture until it moves off the
  # button within the box.
  pointer_onto $((x + 200)) $((y + 60)); sleep 0.5
  shot=$(snap "msg$id-sc" "$box")
  [ "$(picture_mismatch "$pictures/MSG_SC_$id.bmp" "$shot")" = 0 ] \
    || fail "message $id on a Simplified Chinese system is not its picture with the text"
  click 415 32
  expect_answer "$pid" "$log" 1
done

# Without res.dll beside the program: the failure box, then exit status 1.
mkdir -p "$out/alone"
cp "$bin/msgdemo.exe" "$out/alone/"
wine "$out/alone/msgdemo.exe" 1 >"$out/alone/answer.txt" 2>/dev/null &
pid=$!
answer_worry "$out/no-res-screen.png" || soft_fail "no \"Worry\" box without res.dll"
status=0
for _ in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
wait "$pid" || status=$?
[ "$status" -eq 1 ] || soft_fail "exit status $status without res.dll, expected 1"
[ ! -s "$out/alone/answer.txt" ] || soft_fail "an answer was printed without res.dll"

soft_summary "screenshots in $out"
