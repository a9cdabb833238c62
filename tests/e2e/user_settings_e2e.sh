#!/usr/bin/env bash
# The user's own power plan and time-outs under Wine, however zor2 ends: installed with the demo
# board, zor2 is killed while its saving plan is in force, started again and closed with "No" (the
# user's plan and time-outs are back); then closed with "keep saving" and Zorwise uninstalled
# silently (the uninstaller's "zor2.exe restore" gives them back and switches the firmware's
# saving off). The effects are read from the registry and the board (simboard show).
# Usage: user_settings_e2e.sh BUILD/bin (inside an X display, e.g. xvfb-run).
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
skin=$bin/../skins/generated/ENG
res=$bin/../skins/generated/res
source "$repo/tests/e2e/e2e_lib.sh"
# The skin library follows the system language: keep it English whatever the machine's locale.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
setup="$bin/../installer/ZorwiseSetup.exe"
[ -f "$setup" ] || fail "no installer at $setup (is makensis installed?)"

work="$bin/../e2e/user_settings"
rm -rf "$work"
mkdir -p "$work/shots"
zor_app_prefix "$work/prefix"
install_powercfg "$bin"
title="ZOR 2.0 B10.1022.1"

zor2_pid=""
cleanup() {
  [ -n "$zor2_pid" ] && kill "$zor2_pid" 2>/dev/null
}
zor_wine_session
at_exit cleanup

failure_details() {
  local file; file=$(info_file)
  [ -f "$file" ] && { echo "--- INFO.DAT"; tr -d '\r' < "$file"; }
  [ -f "$board_file" ] && { echo "--- last simboard show"; head -8 "$board_file"; }
  echo "screenshots in $work/shots"
}

# ---- The registry: the active plan and plan 4's (Balanced's) time-outs, as the stand-in powercfg
# leaves them where the presented Windows keeps them -------------------------------------------------
saving_plan="plan 4, monitor 180 disk 180"
users_own="plan 3, monitor 600 disk 1200"
expect_settings() {  # expect_settings WHAT WANTED (waits for zor2's worker)
  local wanted=$2
  wait_for 30 eval '[ "$(power_settings)" = "$wanted" ]' || fail "$1: $(power_settings), wanted $wanted"
  ok "$1: $wanted"
}

# ---- The window -----------------------------------------------------------------------------------
# dialog_shown: the closing question (message dialog picture MSG_8) on screen; sets bx, by.
dialog_shown() { box_of_size "$(identify -format '%wx%h' "$res/MSG_8.bmp")"; }
start_zor2() {
  (cd "$app" && exec wine ./zor2.exe >"$work/zor2-$RANDOM.log" 2>&1) &
  zor2_pid=$!
  wait_for 30 locate || fail "no window titled \"$title\""
  sleep 1
}
close_zor2() {  # close_zor2 yes|no: the Close button, and the answer to "keep saving?"
  click_button CLOSE_N 444 7
  wait_for 20 dialog_shown || fail "no closing question"
  sleep 0.5
  import -window root "$work/shots/close-$1.png"
  if [ "$1" = yes ]; then click_at $((bx + 325)) $((by + 32)); else click_at $((bx + 415)) $((by + 32)); fi
  wait_for 30 eval '! pid_running "$zor2_pid"' || fail "zor2 still runs after the close"
  wait "$zor2_pid" || fail "zor2 ended with status $?"
  zor2_pid=""
}

# ==== Installed with the demo board; the user runs High performance with 10/20-minute time-outs ===
wine "$setup" /S /DEMO || fail "setup failed"
wait_for 30 service_is RUNNING || fail "the service does not run after setup"
set_plan_timeouts 4 10 20
set_active_plan 3
expect_settings "the user's own settings" "$users_own"
# A board with saving on at L2; zor2 starts the service again.
stop_service
(cd "$app" && wine ./simboard.exe create --profile x58-12-range >/dev/null 2>&1) || fail "simboard create"

# ==== Killed while the saving plan is in force, started again, closed with "No" ====================
start_zor2
expect_settings "zor2's saving plan at L2" "$saving_plan"
[ "$(info_value UserPower Held)" = 1 ] || fail "no record of the user's settings in INFO.DAT"
kill -9 "$zor2_pid"
wait "$zor2_pid" 2>/dev/null || true
zor2_pid=""
wait_for 10 eval '[ -z "$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null)" ]' || fail "the window outlived the kill"
ok "zor2 killed with the saving plan in force"
start_zor2
expect_settings "started again after the kill" "$saving_plan"
close_zor2 no
expect_settings "closed with No after a kill: the user's own settings" "$users_own"
board_show
[ "$(flag active)" = 0 ] || fail "saving still on after No"
ok "saving off after No"

# ==== Closed keeping saving at L3, then uninstalled silently =======================================
start_zor2
click_button OFF_nb 403 45
wait_for 20 eval 'board_show; [ "$(flag active)" = 1 ]' || fail "saving did not go on"
click_button L3_N 123 501
expect_settings "zor2's saving plan at L3" "$saving_plan"
close_zor2 yes
[ "$(info_value INFO PV)" = 1 ] || fail "keep saving: PV is '$(info_value INFO PV)'"
expect_settings "closed keeping saving: the saving plan stays" "$saving_plan"
board_show
[ "$(flag active)" = 1 ] || fail "keep saving: saving is off"
ok "closed keeping saving: saving stays on"

# The uninstaller deletes the board's file: a second link to it, beside a copy of the board's
# library and simboard, keeps what the uninstaller left for reading.
mkdir -p "$work/board"
cp "$bin/hwk.dll" "$bin/simboard.exe" "$work/board/"
ln "$app/SimBoard.bin" "$work/board/SimBoard.bin"
wine "$app/Uninstall.exe" /S || fail "uninstall failed"
# The uninstaller runs on from a temporary copy; its last step removes its uninstall entry.
poll_seconds=0.2 wait_for 120 uninstalled || fail "the uninstaller did not finish"
[ ! -f "$app/zor2.exe" ] || fail "zor2.exe is still installed"
expect_settings "uninstalled: the user's own settings" "$users_own"
board_show "$work/board"
[ "$(flag active)" = 0 ] || fail "uninstalled: the firmware still saves ($(grep '^control' "$board_file"))"
ok "uninstalled: the firmware's saving is off"
echo "PASS"
