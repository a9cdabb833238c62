#!/bin/bash
# The installer under Wine: a silent install with the demo board into a fresh prefix leaves the
# programs in Program Files\Zorwise and the ZOR2 Service running; a silent uninstall stops and removes
# the service, the logon value and the shortcuts and leaves nothing but the user's INFO.DAT and
# History.csv. A maker's library
# already in the folder is never overwritten nor removed. A setup run from a folder holding a
# planted net.exe does not run it; a setup into another folder (C:\Zorwise) moves the service there
# and locks the folder to administrators; the uninstaller removes the service without its program
# and what updates and killed writes left.
# Usage: installer_e2e.sh BIN_DIR (the Windows build's bin folder; the installer is beside it)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
setup="$bin/../installer/ZorwiseSetup.exe"
[ -f "$setup" ] || fail "no installer at $setup (is makensis installed?)"

work="$bin/../e2e/installer"
prefix="$work/prefix"
zor_app_prefix "$prefix"
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
runonce_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce'
zor_wine_session

failure_details() {
  [ -f "$app/Satae.log" ] && { echo "--- Satae.log"; tr -d '\r' < "$app/Satae.log"; echo; }
}
listing() { (cd "$app" && ls -1 | sort | tr '\n' ' '); }
# The setup and the uninstaller it copies to a temporary folder run on after the first returns.
install() {
  local started=$(date +%s%N)
  wine "$setup" /S "$@" || fail "setup $* failed"
  echo "setup $* took $(( ($(date +%s%N) - started) / 1000000 )) ms"
}
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
[ -f "$bin/Zor2Tray.exe" ] && expected="$expected Zor2Tray.exe"
have=$(listing | tr ' ' '\n' | grep -v -e '^INFO.DAT$' -e '^Satae.log$' -e '^SimBoard.bin$' | sort | tr '\n' ' ')
want=$(tr ' ' '\n' <<< "$expected" | sort | tr '\n' ' ')
[ "$have" = "$want" ] || fail "installed files: $have; expected: $want"
ok "the programs are in Program Files\\Zorwise"
wait_for 20 service_is RUNNING || fail "the service is not running after setup (state $(service_state))"
ok "the service runs"
image=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v ImagePath 2>/dev/null | tr -d '\r' | grep ImagePath | sed 's/.*REG_[A-Z_]*[[:space:]]*//')
[ "$image" = "\"$winapp\\Zor2Svr.exe\"" ] || fail "image path is $image"
ok "installed by the service program, image path $image"
shortcuts="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zorwise"
[ -f "$shortcuts/Uninstall Zorwise.lnk" ] || fail "no Start-menu folder"
if [ -f "$bin/zor2.exe" ]; then [ -f "$shortcuts/Zorwise.lnk" ] || fail "no Start-menu entry for zor2"; fi
[ -f "$shortcuts/Energy report.lnk" ] || fail "no Start-menu entry for the energy report"
tr -d '\0' < "$shortcuts/Energy report.lnk" | grep -q -- '--report' || fail "the energy report's entry does not start zorstat --report"
ok "Start-menu entries"
if [ -f "$bin/Zor2Tray.exe" ]; then
  [ "$(companion_run)" = "\"$winapp\\Zor2Tray.exe\" --logon" ] || fail "companion's Run value: '$(companion_run)'"
  [ -f "$shortcuts/Zorwise notification icon.lnk" ] || fail "no Start-menu entry for Zor2Tray"
  ok "Zor2Tray starts at every logon from $run_key, and from the Start menu"
fi

# Setup again over the installation (an upgrade): the running service is stopped for the copy,
# the demo libraries it installed itself are brought up to date, and the service runs again. The
# setup runs from a downloads folder where a net.exe was planted, started there as Explorer starts
# it (the folder is its current one): it must not run that net.exe elevated.
printf 'OLD' >> "$app/SF.DLL"
downloads="$prefix/drive_c/users/Public/Downloads"
mkdir -p "$downloads"
cp "$setup" "$downloads/ZorwiseSetup.exe"
cp "$bin/fixtures/planted.exe" "$downloads/net.exe"
started=$(date +%s%N)
(cd "$downloads" && wine ./ZorwiseSetup.exe /S /DEMO) || fail "setup from the downloads folder failed"
echo "setup over the installation took $(( ($(date +%s%N) - started) / 1000000 )) ms"
[ ! -e "$downloads/net.exe.ran" ] || fail "the setup ran the net.exe beside it: $(cat "$downloads/net.exe.ran")"
ok "the setup stops the service without running a net.exe planted beside it"
[ "$(tail -c 3 "$app/SF.DLL" | tr -d '\0')" != OLD ] || fail "the demo's own SF.DLL was not replaced by the new setup"
wait_for 20 service_is RUNNING || fail "the service is not running after setup over an installation (state $(service_state))"
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
# Lines without the measured columns: no CPU energy, no average powers.
[ "$win_total" = "Total 3.750000 3:00:00 0.0 Wh - - (3 hours recorded)" ] ||
  fail "zorstat on Windows gave: $win_total"
ok "the installed zorstat sums the history ($win_total)"

# ---- Silent uninstall ---------------------------------------------------------------------------
# A running companion is closed first.
if [ -f "$bin/Zor2Tray.exe" ]; then
  (cd "$app" && exec wine ./Zor2Tray.exe >/dev/null 2>&1 &)
  wait_for 30 eval '[ "$(wine "$app/Zor2Tray.exe" --state 2>/dev/null | head -1 | tr -d "\r")" != "not running" ]' ||
    fail "Zor2Tray did not start"
fi
uninstall
[ "$(listing)" = "History.csv INFO.DAT " ] || fail "left behind: $(listing)"
grep -q "^\[VALUE\]" "$app/INFO.DAT" || fail "INFO.DAT lost the service's figures"
ok "the uninstall leaves only the user's INFO.DAT and History.csv"
[ -z "$(service_state)" ] || fail "the service is still known (state $(service_state))"
ok "the service is removed"
for key in "$run_key" "$runonce_key"; do
  if wine reg query "$key" /v ZOR2 /reg:32 >/dev/null 2>&1; then fail "ZOR2 left under $key"; fi
done
[ -z "$(companion_run)" ] || fail "the companion's Run value is left: $(companion_run)"
[ -z "$(wine_pid 'Zor2Tray.exe' || true)" ] || fail "the companion still runs after the uninstall"
ok "the logon values are removed, the companion closed"
[ ! -e "$shortcuts" ] || fail "Start-menu folder left"
ok "the Start-menu entries are removed"

# ---- A maker's library in the folder is kept, and left on uninstall --------------------------
# The simulated library with a trailer still loads; the trailer shows whose copy it is.
{ cat "$bin/hwk.dll"; printf 'MAKER'; } > "$app/hwk.dll"
install /DEMO
[ "$(tail -c 5 "$app/hwk.dll")" = MAKER ] || fail "the maker's hwk.dll was overwritten"
[ -f "$app/Clockvane.dll" ] || fail "the missing demo libraries were not installed"
wait_for 20 service_is RUNNING || fail "the service is not running with the maker's library (state $(service_state))"
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

# ---- Setup into another folder over an installation ------------------------------------------
install /DEMO
wait_for 20 service_is RUNNING || fail "the service is not running after setup (state $(service_state))"
# C:\Zorwise made beforehand, as any user may under C:\ on Windows, open to everyone.
other="$prefix/drive_c/Zorwise"
mkdir -p "$other"
chmod 777 "$other"
access() { wine "$bin/fixtures/acl_probe.exe" "$1" 2>/dev/null | tr -d '\r'; }
# users_may_write DESCRIPTOR: whether an entry for everyone, users or authenticated users grants
# more than read and execute. (Wine keeps a folder's access list as its Unix mode bits: the owner,
# SYSTEM and everyone; Windows keeps the list itself.)
users_may_write() {
  grep -o '(A;[^)]*)' <<< "$1" | awk -F';' '
    $6 ~ /^(WD|BU|AU|S-1-1-0|S-1-5-32-545|S-1-5-11)\)$/ && $3 !~ /^(0x1200a9|FR|FX|0x120089|0x1200a0)$/ { found = 1 }
    END { exit !found }'
}
before=$(access 'C:\Zorwise')
users_may_write "$before" || fail "the test's C:\Zorwise is not open to everyone: $before"
# A user plants a net.exe there: the setup's current folder while it stops the running service.
cp "$bin/fixtures/planted.exe" "$other/net.exe"
install /DEMO '/D=C:\Zorwise'
[ ! -e "$other/net.exe.ran" ] || fail "the setup ran the net.exe planted in C:\Zorwise: $(cat "$other/net.exe.ran")"
rm -f "$other/net.exe"
ok "the setup ran no program planted in the folder it installs to"
image=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v ImagePath 2>/dev/null | tr -d '\r' | grep ImagePath | sed 's/.*REG_[A-Z_]*[[:space:]]*//')
[ "$image" = '"C:\Zorwise\Zor2Svr.exe"' ] || fail "the service still runs $image"
wait_for 20 service_is RUNNING || fail "the service is not running from C:\Zorwise (state $(service_state))"
rm -f "$other/INFO.DAT"
wait_for 30 test -s "$other/INFO.DAT" || fail "the service writes no INFO.DAT in C:\Zorwise"
ok "setup into C:\Zorwise moves the service there: $image"

# The setup locks the folder to administrators: no user may replace the service's program.
for f in 'C:\Zorwise' 'C:\Zorwise\Zor2Svr.exe' 'C:\Zorwise\hwk.dll'; do
  now=$(access "$f")
  ! users_may_write "$now" || fail "users may write to $f: $now"
done
ok "C:\Zorwise was open to everyone ($before), now $(access 'C:\Zorwise')"

# The uninstaller removes the service whose program is gone, and what updates and killed writes
# left in the folder; the user's data stays.
stop_service
rm -f "$other/Zor2Svr.exe"
mkdir -p "$other/Updates"
for f in Updates/manifest.txt zor2.exe.old res.dll.new Updexe.exe.del Update.journal INFO.DAT.~4242-0.tmp; do
  printf 'left' > "$other/$f"
done
app=$other
uninstall
[ -z "$(service_state)" ] || fail "the service is still known without its program (state $(service_state))"
ok "the uninstaller removes the service even without Zor2Svr.exe"
case "$(listing)" in
  "INFO.DAT " | "History.csv INFO.DAT ") ;;
  *) fail "left behind in C:\Zorwise: $(listing)" ;;
esac
ok "the uninstall removes what updates and killed writes left, and keeps the user's $(listing)"
echo "PASS"
