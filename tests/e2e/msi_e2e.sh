#!/bin/bash
# The MSI package under Wine's msiexec, and the metrics the service writes for Prometheus:
# - the package's tables (msiinfo): every shipped file, the service tables, the demo feature off by
#   default, the upgrade code, the uninstall's custom actions;
# - "msiexec /i ... /qn DEMO=1" into a fresh prefix leaves the programs in Program Files\Zorwise,
#   the Start-menu entry "Energy report" and the ZOR2 Service running; with [Metrics] Folder set
#   in INFO.DAT the service writes zorwise.prom there, and every version of it that the test sees
#   passes "promtool check metrics";
# - a package with a higher version replaces the installed one in place: one product registered,
#   the service running again, INFO.DAT, History.csv and zor2's logon values kept;
# - "msiexec /x ... /qn", with saving kept on after a "keep saving" close, runs "zor2.exe restore":
#   the user's own power plan and time-outs are back in the registry (through the stand-in
#   powercfg) and the firmware's saving is off on the board (simboard show); the service, the
#   logon values and the Start-menu entry are removed and only INFO.DAT and History.csv are left;
#   REMOVEDATA=1 removes those too, and a package without DEMO=1 installs no board libraries.
# Usage: msi_e2e.sh BIN_DIR (the Windows build's bin folder; the package is beside it)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
installer="$bin/../installer"
msi=$(ls "$installer"/Zorwise-*-$zor_arch.msi 2>/dev/null | head -1 || true)
[ -n "$msi" ] || fail "no MSI package in $installer (is wixl installed?)"
command -v msiinfo >/dev/null || fail "msiinfo (msitools) is missing"
command -v promtool >/dev/null || fail "promtool (prometheus) is missing"

work="$bin/../e2e/msi"
rm -rf "$work"
mkdir -p "$work"
zor_app_prefix "$work/prefix"
metrics="$WINEPREFIX/drive_c/metrics"
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
runonce_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce'
zor_wine_session

failure_details() {
  [ -f "${app:-}/Satae.log" ] && { echo "--- Satae.log"; tr -d '\r' < "$app/Satae.log"; echo; }
  [ -f "$work/msiexec.log" ] && { echo "--- msiexec log (tail)"; tr -d '\0\r' < "$work/msiexec.log" | tail -30; }
}
listing() { (cd "$app" 2>/dev/null && ls -1 | sort | tr '\n' ' '); }
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
# msiexec ARGS...: silent, logged, timed, bounded; fails the test when msiexec does. (A program
# that a custom action starts and that never ends would hold it for ever.)
msiexec() {
  local started=$(date +%s%N)
  timeout 180 wine msiexec "$@" /qn /l*v "$(winepath -w "$work/msiexec.log")" || fail "msiexec $* failed"
  echo "msiexec $* took $(( ($(date +%s%N) - started) / 1000000 )) ms"
}
winmsi() { winepath -w "$1"; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products() { wine reg query "$uninstall_key" "$zor_reg_view" 2>/dev/null | tr -d '\r' | grep -c '\\{' || true; }
# The saving flag (ControlFlags bit 0) of the board kept in $work/board, as simboard shows it.
saving_flag() { board_show "$work/board"; flag active; }

# ---- The package's tables -----------------------------------------------------------------------
# Every file the NSIS installer ships (the one list, through its generated include) is in the package.
nsis_files=$(sed -n 's/^File "${BIN}\/\(.*\)"$/\1/p' "$installer/files.nsh" | sort | tr '\n' ' ')
msi_files=$(table "$msi" File | cut -f3 | sort | tr '\n' ' ')
want=$(printf '%s\n' $nsis_files Clockvane.dll SF.DLL hwk.dll simboard.exe | sort | tr '\n' ' ')
expect "the package's files" "$msi_files" "$want"
expect "the service table" "$(table "$msi" ServiceInstall | cut -f2-6)" \
  "$(printf 'ZOR2 Service\tZOR2 Service for Energy Saving.\t272\t2\t1')"
# Started at install without waiting (the service ends at once without hwk.dll); stopped at install
# and uninstall, deleted at uninstall, both waited for.
expect "the service control" "$(table "$msi" ServiceControl | cut -f2- | sort | tr '\n' ' ')" \
  "$(printf 'ZOR2 Service\t1\t\t0\tZor2Svr.exe ZOR2 Service\t162\t\t1\tZor2Svr.exe ')"
expect "the demo feature's level" "$(table "$msi" Feature | awk -F'\t' '$1 == "Demo" { print $6 }')" 2
expect "per machine" "$(table "$msi" Property | awk -F'\t' '$1 == "ALLUSERS" { print $2 }')" 1
upgrade_code=$(table "$msi" Property | awk -F'\t' '$1 == "UpgradeCode" { print $2 }')
[ "$(table "$msi" Upgrade | cut -f1 | sort -u)" = "$upgrade_code" ] || fail "the Upgrade table lacks the upgrade code"
sequence=$(table "$msi" InstallExecuteSequence)
for action in RestoreUserSettings RemoveLogonRun RemoveLogonRunOnce RemoveLeftovers RemoveUserData; do
  grep -q "^$action	REMOVE=\"ALL\" .*AND NOT UPGRADINGPRODUCTCODE	" <<< "$sequence" || fail "$action is not scheduled for an uninstall only"
done
expect "the restore command" "$(table "$msi" CustomAction | awk -F'\t' '$1 == "RestoreUserSettings" { print $3 " " $4 }')" \
  "zor2.exe restore"
# The energy report's entry starts zorstat minimised without focus, so its console only shows in the taskbar.
expect "the energy report's show state" "$(table "$msi" Shortcut | awk -F'\t' '$1 == "EnergyReportShortcut" { print $11 }')" 7
seq_of() { awk -F'\t' -v a="$1" '$1 == a { print $3 }' <<< "$sequence"; }
[ "$(seq_of RestoreUserSettings)" -lt "$(seq_of StopServices)" ] || fail "the restore runs after the service stops"
ok "the package's tables"

# ---- Install with the demo board, metrics on ----------------------------------------------------
# An administrator's INFO.DAT, laid down before the package: the metrics folder.
mkdir -p "$app" "$metrics"
printf '[Metrics]\r\nFolder=C:\\metrics\r\n' > "$app/INFO.DAT"
msiexec /i "$(winmsi "$msi")" DEMO=1
for f in $want; do [ -f "$app/$f" ] || fail "$f is not installed"; done
ok "the programs are in Program Files\\Zorwise"
expect "the companion's logon value" "$(companion_run)" "\"$winapp\\Zor2Tray.exe\" --logon"
# The companion's Start-menu entry: Wine's msiexec puts it in the installing user's menu.
companion_links() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Zorwise/*' -name 'Zorwise notification icon.lnk'; }
[ -n "$(companion_links)" ] || fail "no Start-menu entry for Zor2Tray"
# Windows puts a per-machine package's menu entries in the all-users menu; Wine's msiexec resolves
# ProgramMenuFolder to the installing user's menu even then.
report_link=
for menu in ProgramData "users/$(id -un)/AppData/Roaming"; do
  link="$WINEPREFIX/drive_c/$menu/Microsoft/Windows/Start Menu/Programs/Zorwise/Energy report.lnk"
  [ -f "$link" ] && report_link=$link
done
[ -n "$report_link" ] || fail "no Start-menu entry for the energy report"
tr -d '\0' < "$report_link" | grep -q -- '--report' || fail "the energy report's entry does not start zorstat --report"
# The shell link's show command sits at byte 60 of its header.
expect "the energy report entry's show command" "$(od -An -tu4 -j60 -N4 "$report_link" | tr -d ' ')" 7
ok "the Start menu has the energy report"
wait_for 20 service_is RUNNING || fail "the service is not running after the install (state $(service_state))"
image=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v ImagePath 2>/dev/null |
        tr -d '\r' | grep ImagePath | sed 's/.*REG_[A-Z_]*[[:space:]]*//; s/"//g')
expect "the service's program" "$image" "$winapp\\Zor2Svr.exe"

# Each version of the metrics file the test sees passes promtool (and its linter, silent).
checked=""
check_metrics() {
  local file="$metrics/zorwise.prom" out
  [ -f "$file" ] || return 1
  local sum=$(md5sum < "$file")
  [[ " $checked " == *" $sum "* ]] && return 0
  out=$(promtool check metrics < "$file" 2>&1) || fail "promtool rejects zorwise.prom: $out"
  [ -z "$out" ] || fail "promtool's linter on zorwise.prom: $out"
  checked="$checked $sum"
}
metric() { awk -v n="$1" '$1 == n { print $2 }' "$metrics/zorwise.prom"; }
wait_for 30 check_metrics || fail "the service wrote no metrics into C:\\metrics"
expect "saving on" "$(metric zorwise_saving_active)" 1
real_test "$(metric zorwise_cpu_power_watts)" 0 0 'a > 0' || fail "no CPU power in the metrics"
grep -q '^zorwise_board_info{version="[0-9.]*",firmware_revision="0x[0-9a-f]*",current_sensing="register"} 1$' \
  "$metrics/zorwise.prom" || fail "board info: $(grep board_info "$metrics/zorwise.prom")"
ok "the service's metrics pass promtool"
[ -z "$(ls "$metrics" | grep -v '^zorwise.prom$')" ] || fail "left beside the metrics: $(ls "$metrics")"

# What the programs leave at run time: zor2's logon values (32-bit view), the history.
for key in "$run_key" "$runonce_key"; do
  wine reg add "$key" /v ZOR2 /t REG_SZ /d "$winapp\\zor2.exe state" /f /reg:32 >/dev/null 2>&1 ||
    fail "could not write the logon value"
done
printf 'hour,energy,seconds\r\n2026-12-01T10,1.250000,3600.0\r\n' > "$app/History.csv"
wait_for 20 test -n "$(ini_value "$app/INFO.DAT" VALUE Total)" || fail "the service published no Total"

# ---- A newer package replaces the installed one ------------------------------------------------
# Wine's msiexec removes the older package without telling it (no UPGRADINGPRODUCTCODE) and does not
# migrate feature states, so here the older package's uninstall actions run too (zor2's logon values
# go) and the newer package is given DEMO=1 again, as an administrator redeploying with the same
# properties would. Its restore start is a stand-in's: the real one would switch the firmware's
# saving off in an upgrade, which Windows Installer never asks of it.
version=$(table "$msi" Property | awk -F'\t' '$1 == "ProductVersion" { print $2 }')
newer="$work/Zorwise-$version.99-$zor_arch.msi"
sh "$installer/msi.sh" "$version.99" "$newer" 2>/dev/null || fail "could not build the newer package"
# Wine's msiexec asks the service to stop but does not wait for it (the ServiceControl table's
# Wait, which Windows Installer keeps), and a program still running is neither replaced nor removed:
# the test stops it first.
stop_service
total_before=$(ini_value "$app/INFO.DAT" VALUE Total)
cp "$bin/fixtures/zor2_standin.exe" "$app/zor2.exe"
msiexec /i "$(winmsi "$newer")" DEMO=1
rm -f "$app/zor2_starts.log"
expect "products registered" "$(products)" 1
expect "the version registered" "$(wine reg query "$uninstall_key" /s "$zor_reg_view" 2>/dev/null | tr -d '\r' |
  awk '$1 == "DisplayVersion" { print $3 }')" "$version.99"
wait_for 20 service_is RUNNING || fail "the service is not running after the upgrade (state $(service_state))"
cmp -s "$bin/zor2.exe" "$app/zor2.exe" || fail "the upgrade did not put its zor2.exe in place"
real_test "$(ini_value "$app/INFO.DAT" VALUE Total)" "$total_before" 0 'a >= b' || fail "the upgrade lost the Total"
grep -q '^2026-12-01T10,' "$app/History.csv" || fail "the upgrade lost History.csv"
grep -qi '^Folder=C:\\metrics' "$app/INFO.DAT" || fail "the upgrade lost the metrics folder"
ok "the newer package upgrades in place, INFO.DAT and History.csv kept"
# The upgraded service writes its metrics afresh.
rm -f "$metrics/zorwise.prom"
wait_for 30 check_metrics || fail "the upgraded service wrote no metrics"
ok "the upgraded service's metrics pass promtool"

# ---- Uninstall ----------------------------------------------------------------------------------
for key in "$run_key" "$runonce_key"; do
  wine reg add "$key" /v ZOR2 /t REG_SZ /d "$winapp\\zor2.exe state" /f /reg:32 >/dev/null 2>&1 ||
    fail "could not write the logon value"
done
stop_service
# Saving kept on, as a "keep saving" close leaves it: the user's own plan (High performance) and
# plan 4's time-outs (20 minutes disk, 10 monitor) parked in INFO.DAT as zor2 parks them, the saving
# plan (Balanced, 3 minutes each) in force through the stand-in powercfg, the board saving.
install_powercfg "$bin"
set_active_plan 4
set_plan_timeouts 4 3 3
! grep -qi '^\[INFO\]' "$app/INFO.DAT" || fail "INFO.DAT already has an [INFO] section"
printf '[INFO]\r\nPV=1\r\nPOWERVALUE=3\r\nDISK=20\r\nMONITOR=10\r\n' >> "$app/INFO.DAT"
expect "the saving plan in force" "$(power_settings)" "plan 4, monitor 180 disk 180"
# The uninstall deletes the board's file: a second link to it, beside a copy of the board's library
# and simboard, keeps what the uninstall left for reading.
mkdir -p "$work/board"
cp "$bin/hwk.dll" "$bin/simboard.exe" "$work/board/"
ln "$app/SimBoard.bin" "$work/board/SimBoard.bin"
expect "the firmware's saving before the uninstall" "$(saving_flag)" 1
msiexec /x "$(winmsi "$newer")"
expect "the user's own settings after the uninstall" "$(power_settings)" "plan 3, monitor 600 disk 1200"
expect "the firmware's saving after the uninstall" "$(saving_flag)" 0
expect "the parked settings after the uninstall" "$(ini_value "$app/INFO.DAT" INFO PV)" 0
wait_for 20 service_unknown || fail "the service is still known (state $(service_state))"
ok "the service is removed"
for key in "$run_key" "$runonce_key"; do
  if wine reg query "$key" /v ZOR2 /reg:32 >/dev/null 2>&1; then fail "ZOR2 left under $key"; fi
done
[ -z "$(companion_run)" ] || fail "the companion's Run value is left: $(companion_run)"
[ -z "$(companion_links)" ] || fail "Start-menu entry left: $(companion_links)"
ok "the logon values are removed"
[ ! -e "$(dirname "$report_link")" ] || fail "the Start-menu folder is left after the uninstall"
expect "left after the uninstall" "$(listing)" "History.csv INFO.DAT "
expect "products registered" "$(products)" 0

# ---- Without the demo board; REMOVEDATA=1 ------------------------------------------------------
msiexec /i "$(winmsi "$msi")"
for f in hwk.dll Clockvane.dll SF.DLL simboard.exe; do
  [ ! -e "$app/$f" ] || fail "$f installed without DEMO=1"
done
ok "without DEMO=1 the board's libraries are left to the maker"
cp "$bin/fixtures/zor2_standin.exe" "$app/zor2.exe"
msiexec /x "$(winmsi "$msi")" REMOVEDATA=1
# Only the stand-in's record of its start (without the demo board it has no hwk.dll to find).
expect "left after REMOVEDATA=1" "$(listing)" "zor2_starts.log "
ok "REMOVEDATA=1 removes the user's data"
echo "PASS"
