#!/usr/bin/env bash
# Zor2Tray, the notification-area companion, under Wine on the simulated board with the service
# running: its icon in Wine's tray, its look and tooltip following the service (read back with
# --state), its menu opening zor2 (and a second "Open Zorwise" bringing the running window to the
# front), "Hide icon" kept for the logon start and undone by a start by the user.
# Usage: companion_e2e.sh BUILD/bin (run inside an X display, e.g. xvfb-run).
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
export LC_ALL=C.UTF-8 LANG=C.UTF-8

work="$bin/../e2e/companion"
shots="$work/shots"
rm -rf "$work"
mkdir -p "$shots"
prefix="$work/prefix"
zor_app_prefix "$prefix" "$bin" Zor2Tray.exe zor2.exe Zor2Svr.exe hwk.dll Clockvane.dll SF.DLL ENG.dll \
  SC.dll TC.dll AdvEng.dll AdvSC.dll AdvTC.dll res.dll simboard.exe zorstat.exe fixtures/open_recorder.exe
install_powercfg "$bin"
title="ZOR 2.0 B10.1022.1"
skin=$bin/../skins/generated/ENG
hidden_key='HKCU\Software\Zorwise\Zor2Tray'

zor_wine_session
failure_details() {
  echo "screenshots in $shots"
  [ -f "$app/INFO.DAT" ] && { echo "--- INFO.DAT"; tr -d '\r' < "$app/INFO.DAT"; }
}
# The running companion's look (first line) and tooltip, as it shows them.
state() { run Zor2Tray.exe --state 2>/dev/null || true; }
look_is() { [ "$(state | head -1)" = "$1" ]; }
tray_pid() { wine_pid 'Zor2Tray.exe' || true; }
start_tray() { (cd "$app" && exec wine ./Zor2Tray.exe "$@" >/dev/null 2>&1 &); }
hidden_value() { wine reg query "$hidden_key" /v Hidden 2>/dev/null | tr -d '\r' | awk '/Hidden/ { print $3 }'; }
# The icon's centre on the screen: sets ix, iy.
locate_icon() {
  local tray WINDOW X Y WIDTH HEIGHT SCREEN
  tray=$(tray_window)
  [ -n "$tray" ] || return 1
  window_at "$tray" || return 1
  ix=$((X + 10)) iy=$((Y + 10))
}

# ---- The service on a 6-phase demo board, saving on ------------------------------------------------
run simboard.exe create --profile x58-6 >/dev/null
run simboard.exe flags 0x0011
run Zor2Svr.exe -i >/dev/null
start_service
wait_for 20 service_is RUNNING || fail "service is $(service_state)"
wait_for 20 test -s "$app/INFO.DAT" || fail "the service wrote no INFO.DAT"

# ---- The logon start: the icon, live figures with units, "demo board" -----------------------------------
start_tray --logon
wait_for 30 locate_icon || fail "no icon in the notification area"
ok "the icon is in Wine's notification area"
wait_for 20 look_is "saving on" || fail "look: $(state | head -1)"
tip=$(state | tail -n +2)
for want in "Zorwise, demo board: saving on" "CPU power " " W" "Saving " " units" "Total "; do
  grep -qF -- "$want" <<<"$tip" || fail "tooltip lacks '$want': $tip"
done
ok "tooltip: $(tr '\n' '|' <<<"$tip")"
# As the user: the tooltip at the pointer, then the menu.
pointer_onto "$ix" "$iy"
sleep 2
import -window root "$shots/tooltip-screen.png"
xdotool click 3
sleep 1
import -window root "$shots/menu-screen.png"
xdotool key Escape
sleep 0.5

# ---- The service stops: stale within a bounded wait, live again once it runs ------------------------------
stop_service
wait_for 20 look_is stale || fail "look after the service stopped: $(state | head -1)"
state | grep -qF "The ZOR2 Service is not running" || fail "stale tooltip: $(state)"
ok "service stopped: $(state | tr '\n' '|')"
start_service
wait_for 20 look_is "saving on" || fail "look after the service started again: $(state | head -1)"
ok "service running again: saving on"

# ---- "Open Zorwise" starts zor2; chosen again, it brings the running window to the front ------------
menu_choose() {  # menu_choose KEYS...: the icon's menu, an item chosen with the keyboard
  pointer_onto "$ix" "$iy"
  xdotool click 3
  sleep 1
  xdotool key "$@"
}
menu_choose Down Return
wait_for 40 eval '[ "$(window_probe count "$title")" = "count 1" ]' || fail "Open Zorwise: $(window_probe count "$title")"
ok "Open Zorwise starts zor2"
# Minimised with its own button (MINI_N, 32x24 at 483,7 of the window).
wait_for 20 locate || fail "zor2's window is not on the screen"
sleep 2
pointer_onto $((wx + 499)) $((wy + 19))
xdotool click 1
wait_for 10 eval '[ "$(window_probe iconic "$title")" = "iconic 1" ]' || fail "Minimise: $(window_probe iconic "$title")"
menu_choose Down Return
wait_for 20 eval '[ "$(window_probe iconic "$title")" = "iconic 0" ]' || fail "again: $(window_probe iconic "$title")"
wait_for 10 eval '[ "$(window_probe foreground "$title")" = "foreground 1" ]' || fail "again: $(window_probe foreground "$title")"
[ "$(window_probe count "$title")" = "count 1" ] || fail "a second zor2 window: $(window_probe count "$title")"
ok "Open Zorwise again restores the one running window and brings it to the front"

# ---- "Energy report": the report in the user's Documents, opened by the desktop -------------------------
html_recorder
menu_choose Down Down Return
wait_for 30 opened_count 1 || fail "Energy report: the desktop was not asked to open a report"
[ -f "$report" ] || fail "Energy report: no report in the user's Documents\\Zorwise folder"
opened_path=$(tr -d '\r' < "$opened" | tail -1)
[ "$(realpath "$(winepath -u "$opened_path" 2>/dev/null)")" = "$(realpath "$report")" ] ||
  fail "Energy report: the desktop opened '$opened_path', not the report"
ok "Energy report writes the report to the user's Documents and has it opened"

# ---- "Hide icon": gone, kept for the logon start; a start by the user shows it again ---------------------
menu_choose Up Return
wait_for 10 eval '[ -z "$(tray_pid)" ]' || fail "Hide icon left Zor2Tray running"
[ "$(hidden_value)" = 0x1 ] || fail "Hidden is '$(hidden_value)'"
if tray_shows_removal; then wait_for 5 eval '! locate_icon' || fail "the icon is still shown"; fi
ok "Hide icon ends the companion, Hidden = 1 in $hidden_key"
status=0
(cd "$app" && timeout 30 wine ./Zor2Tray.exe --logon >/dev/null 2>&1) || status=$?
[ "$status" = 0 ] && [ -z "$(tray_pid)" ] || fail "the logon start of a hidden icon: status $status, pid $(tray_pid)"
ok "the logon start keeps a hidden icon away"
start_tray
wait_for 30 locate_icon || fail "a start by the user showed no icon"
wait_for 20 look_is "saving on" || fail "look: $(state | head -1)"
[ "$(hidden_value)" = 0x0 ] || fail "Hidden is '$(hidden_value)' after a start by the user"
ok "a start by the user shows the icon again (Hidden = 0)"
# One copy per session.
status=0
(cd "$app" && timeout 30 wine ./Zor2Tray.exe >/dev/null 2>&1) || status=$?
[ "$status" = 0 ] && [ "$(wine_pid 'Zor2Tray.exe' | wc -l)" = 1 ] || fail "a second copy: status $status"
ok "a second start leaves the one running copy"
