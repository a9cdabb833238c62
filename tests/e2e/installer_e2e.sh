#!/bin/bash
# The installer under Wine: a silent install with the demo board into a fresh prefix leaves the
# programs in Program Files\Zorwise and the ZOR2 Service running; a silent uninstall stops and removes
# the service, the logon value and the shortcuts and leaves nothing but the user's INFO.DAT and
# History.csv. A maker's library
# already in the folder is never overwritten nor removed.
# Usage: installer_e2e.sh BIN_DIR (the Windows build's bin folder; the installer is beside it)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
setup="$bin/../installer/ZorwiseSetup.exe"
[ -f "$setup" ] || { echo "FAIL: no installer at $setup (is makensis installed?)" >&2; exit 1; }

work="$bin/../e2e/installer"
prefix="$work/prefix"
zor_app_prefix "$prefix"
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
runonce_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce'
zor_wine_session

fail() {
  echo "FAIL: $*" >&2
  [ -f "$app/Satae.log" ] && { echo "--- Satae.log" >&2; tr -d '\r' < "$app/Satae.log" >&2; echo >&2; }
  exit 1
}
listing() { (cd "$app" && ls -1 | sort | tr '\n' ' '); }
# The setup and the uninstaller it copies to a temporary folder run on after the first returns.
install() {
  local started=$(date +%s%N)
  wine "$setup" /S "$@" || fail "setup $* failed"
  echo "setup $* took $(( ($(date +%s%N) - started) / 1000000 )) ms"
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorwise'
uninstalled() { ! wine reg query "$uninstall_key" "$zor_reg_view" >/dev/null 2>&1; }
# Each poll asks the registry through Wine: every 0.2 s is often enough.
poll_seconds=0.2
uninstall() {
  wine "$app/Uninstall.exe" /S "$@" || fail "uninstall failed"
  # The uninstaller runs on from a temporary copy; its last step removes its uninstall entry.
  wait_for 120 uninstalled || fail "the uninstaller did not finish"
  sleep 1
}

# ---- A fresh install, with the demo board ----------------------------------------------------
install /DEMO
expected="AdvEng.dll AdvSC.dll AdvTC.dll Clockvane.dll ENG.dll ReLaunch.exe SC.dll SF.DLL TC.dll Uninstall.exe Zor2Svr.exe hwk.dll res.dll simboard.exe zor2_eng.chm zorstat.exe"
[ -f "$bin/zor2.exe" ] && expected="$expected zor2.exe"
[ -f "$bin/Updexe.exe" ] && expected="$expected Updexe.exe"
have=$(listing | tr ' ' '\n' | grep -v -e '^INFO.DAT$' -e '^Satae.log$' -e '^SimBoard.bin$' | sort | tr '\n' ' ')
want=$(tr ' ' '\n' <<< "$expected" | sort | tr '\n' ' ')
[ "$have" = "$want" ] || fail "installed files: $have; expected: $want"
ok "the programs are in Program Files\\Zorwise"
[ "$(service_state)" = RUNNING ] || fail "the service is not running after setup (state $(service_state))"
ok "the service runs"
image=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v ImagePath 2>/dev/null | tr -d '\r' | grep ImagePath | sed 's/.*REG_[A-Z_]*[[:space:]]*//')
[ "$image" = "\"$winapp\\Zor2Svr.exe\"" ] || fail "image path is $image"
ok "installed by the service program, image path $image"
shortcuts="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zorwise"
[ -f "$shortcuts/Uninstall Zorwise.lnk" ] || fail "no Start-menu folder"
if [ -f "$bin/zor2.exe" ]; then [ -f "$shortcuts/Zorwise.lnk" ] || fail "no Start-menu entry for zor2"; fi
ok "Start-menu entries"

# Setup again over the installation (an upgrade): the running service is stopped for the copy,
# the demo libraries it installed itself are brought up to date, and the service runs again.
printf 'OLD' >> "$app/SF.DLL"
install /DEMO
[ "$(tail -c 3 "$app/SF.DLL")" != OLD ] || fail "the demo's own SF.DLL was not replaced by the new setup"
[ "$(service_state)" = RUNNING ] || fail "the service is not running after setup over an installation (state $(service_state))"
ok "setup over an installation updates it and restarts the service"

# What the programs leave at run time: zor2's logon value (32-bit view), the service's INFO.DAT.
for key in "$run_key" "$runonce_key"; do
  wine reg add "$key" /v ZOR2 /t REG_SZ /d "$winapp\\zor2.exe state" /f /reg:32 >/dev/null 2>&1 ||
    fail "could not write the logon value"
done
wait_for 30 test -s "$app/INFO.DAT" || fail "the service wrote no INFO.DAT"
# An energy history with a torn last line: the installed zorstat sums what the native one sums.
{ printf 'hour,energy,seconds\r\n'
  for h in 10 11 12; do printf '2026-12-0%dT%d,1.250000,3600.0\r\n' $((h - 9)) "$h"; done
  printf '2026-12-04T01,9'; } > "$app/History.csv"
win_total=$(wine "$winapp\\zorstat.exe" 2>/dev/null | tr -d '\r' | grep '^Total' | tr -s ' ')
[ "$win_total" = "Total 3.750000 3:00:00 (3 hours recorded)" ] ||
  fail "zorstat on Windows gave: $win_total"
ok "the installed zorstat sums the history ($win_total)"

# ---- Silent uninstall ---------------------------------------------------------------------------
uninstall
[ "$(listing)" = "History.csv INFO.DAT " ] || fail "left behind: $(listing)"
grep -q "^\[VALUE\]" "$app/INFO.DAT" || fail "INFO.DAT lost the service's figures"
ok "the uninstall leaves only the user's INFO.DAT and History.csv"
[ -z "$(service_state)" ] || fail "the service is still known (state $(service_state))"
ok "the service is removed"
for key in "$run_key" "$runonce_key"; do
  if wine reg query "$key" /v ZOR2 /reg:32 >/dev/null 2>&1; then fail "ZOR2 left under $key"; fi
done
ok "the logon values are removed"
[ ! -e "$shortcuts" ] || fail "Start-menu folder left"
ok "the Start-menu entries are removed"

# ---- A maker's library in the folder is kept, and left on uninstall --------------------------
# The simulated library with a trailer still loads; the trailer shows whose copy it is.
{ cat "$bin/hwk.dll"; printf 'MAKER'; } > "$app/hwk.dll"
install /DEMO
[ "$(tail -c 5 "$app/hwk.dll")" = MAKER ] || fail "the maker's hwk.dll was overwritten"
[ -f "$app/Clockvane.dll" ] || fail "the missing demo libraries were not installed"
[ "$(service_state)" = RUNNING ] || fail "the service is not running with the maker's library (state $(service_state))"
ok "the maker's hwk.dll is kept and used"
uninstall /REMOVEDATA
[ "$(listing)" = "hwk.dll " ] || fail "expected only the maker's library, left: $(listing)"
ok "the uninstall leaves the maker's library and, when asked, removes INFO.DAT"
rm -f "$app/hwk.dll"

# ---- Without the demo board, a real board's libraries are expected ---------------------------
install
for f in hwk.dll Clockvane.dll SF.DLL simboard.exe; do
  [ ! -e "$app/$f" ] || fail "$f installed without the demo component"
done
ok "the default install leaves the board's libraries to the maker"
uninstall
[ "$(listing)" = "" ] || [ "$(listing)" = "INFO.DAT " ] || fail "left behind: $(listing)"
echo "PASS"
