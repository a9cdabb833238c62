#!/bin/bash
# The ZOR2 Service under Wine's service control manager, installed in a directory with a blank in
# its path: install, start, figures in INFO.DAT, the reset handshake from another process, stop,
# restart with the totals kept, board faults, a busy hardware lock, every board profile measured for
# 15 s, and removal.
# Usage: service_e2e.sh BIN_DIR (the Windows build's bin folder)
# ZOR_SERVICE_PROFILES: the board profiles to measure, separated by blanks or commas (default: every
# profile "simboard profiles" lists).
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/service"
prefix="$work/prefix"
zor_app_prefix "$prefix" "$bin" Zor2Svr.exe hwk.dll simboard.exe svcpoke.exe fixtures/store_squat.exe
info="$app/INFO.DAT"
log="$app/Satae.log"
zor_wine_session

failure_details() {
  [ -f "$log" ] && { echo "--- Satae.log"; tr -d '\r' < "$log"; echo; }
  [ -f "$info" ] && { echo "--- INFO.DAT"; tr -d '\r' < "$info"; }
}
value() { ini_value "$info" VALUE "$1"; }
# Figures that belong together come from one read of the file: the service publishes once a second,
# and a loaded machine can take that long between separate reads.
snapshot() { tr -d '\r' < "$info"; }
from() { ini_value <(echo "$1") VALUE "$2"; }
logged() { [ -f "$log" ] && tr -d '\r' < "$log" | grep -qF -- "$1"; }
equals() { [ "$(value "$1")" = "$2" ]; }
# Real-number checks; the key's value is read again at each call.
above() { [ -n "$(value "$1")" ] && real_test "$(value "$1")" "$2" 0 'a > b'; }
below() { [ -n "$(value "$1")" ] && real_test "$(value "$1")" "$2" 0 'a < b'; }

# ---- Install, with the image path quoted ----------------------------------------------------
run simboard.exe create --profile x58-6 >/dev/null
run simboard.exe pin-readings 150 40
run simboard.exe pin-load 50
run Zor2Svr.exe -i >/dev/null
image=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v ImagePath 2>/dev/null | tr -d '\r' | grep ImagePath | sed 's/.*REG_[A-Z_]*[[:space:]]*//')
[ "$image" = "\"$winapp\\Zor2Svr.exe\"" ] || fail "image path is $image"
ok "installed with the quoted image path $image"
display=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v DisplayName 2>/dev/null | tr -d '\r' | grep DisplayName | sed 's/.*REG_SZ[[:space:]]*//')
[ "$display" = "ZOR2 Service for Energy Saving." ] || fail "display name is $display"
start=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v Start 2>/dev/null | tr -d '\r' | grep Start | awk '{print $3}')
[ "$start" = "0x2" ] || fail "start type is $start"
ok "display name and automatic start"
description=$(wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' /v Description 2>/dev/null | tr -d '\r' | grep Description | sed 's/.*REG_SZ[[:space:]]*//')
case "$description" in "Measures the CPU through the board's sensors"*) ;; *) fail "description is '$description'" ;; esac
# Wine 8 accepts the restart-on-failure actions without storing them (no FailureActions value), so
# all that can be seen here is that the manager did not refuse them.
! logged "failure actions error" || fail "the manager refused the failure actions"
ok "description and restart-on-failure actions"

# A second install is refused by the manager and says why in the log.
run Zor2Svr.exe -i >/dev/null
logged "VORT Service CreateService error = 1073" || fail "second install not logged"
ok "second install logs the CreateService error"

# The option is compared whole and with case: "-I" runs as the service, which fails outside the
# service control manager, says so in the log, and still exits with 0.
wine "$winapp\\Zor2Svr.exe" -I >/dev/null 2>&1 || fail "Zor2Svr.exe -I exited with $?"
logged "About to start service control..." || fail "-I did not try to run as the service"
logged "VORT Service StartServiceCtrlDispatcher error = " || fail "dispatcher failure not logged"
ok "-I tries the dispatcher, logs its failure and exits with 0"

# ---- Figures ------------------------------------------------------------------------------------
# x58-6: register mode, 8 mV steps, 0.5 A per count, level L2, efficiency index 10.
vout=1.200000      # 150 x 8 mV
cpumax=24.000000   # 40 x 0.5 A x 1.2 V
per_second=0.000722222222  # 10 x 20 A x 1.95 / 360000 x 2/3
start_service
wait_for 10 service_is RUNNING || fail "service is $(service_state)"
wait_for 3 equals VOUT $vout || fail "VOUT is '$(value VOUT)'"
wait_for 2 equals CPU_MAX $cpumax || fail "CPU_MAX is '$(value CPU_MAX)'"
ok "VOUT $vout and CPU_MAX $cpumax"
logged "Type=e3,Port=b2" || fail "no start summary"

wait_for 3 above SaveTime 1.5 || fail "SaveTime does not grow"
s1=$(snapshot); t1=$(from "$s1" SaveTime); c1=$(from "$s1" Current); total1=$(from "$s1" Total)
sleep 3
wait_for 2 above SaveTime "$(awk -v a="$t1" 'BEGIN{print a + 2.5}')" || fail "SaveTime stuck at $t1"
s2=$(snapshot); t2=$(from "$s2" SaveTime); c2=$(from "$s2" Current); total2=$(from "$s2" Total)
real_test "$(awk -v a="$c1" -v b="$c2" 'BEGIN{print b-a}')" "$(awk -v a="$t1" -v b="$t2" -v e=$per_second 'BEGIN{print (b-a)*e}')" 0 \
  'a > b * 0.99 - 0.000002 && a < b * 1.01 + 0.000002' || fail "Current grew by $c1 -> $c2 over $t1 -> $t2 s"
real_test "$total2" "$total1" 0 'a > b' || fail "Total did not grow"
ok "Current, Total and SaveTime grow by the formula ($c1 -> $c2 over $t1 -> $t2 s)"

# ---- Reset from another process ----------------------------------------------------------------
total_before=$(value Total)
run svcpoke.exe set "$winapp\\Info.dat" VALUE cmd 1 || fail "svcpoke set failed"
wait_for 2 equals Cmd 0 || fail "Cmd is '$(value Cmd)'"
wait_for 2 below SaveTime 2 || fail "SaveTime not reset: $(value SaveTime)"
real_test "$(value Current)" 0 0 'a < 0.002' || fail "Current not reset: $(value Current)"
real_test "$(value Total)" "$total_before" 0 'a >= b' || fail "Total lost: $total_before -> $(value Total)"
ok "cmd=1 resets Current and SaveTime and keeps Total"

# ---- A read-only INFO.DAT: said once in the log, left alone, and written again once it is not ---
# The file keeps its attributes across the service's replaces.
wine cmd /c attrib +h "$winapp\\INFO.DAT" >/dev/null 2>&1
chmod a-w "$info"
sleep 3.5
readonly_lines=$(tr -d '\r' < "$log" | grep -c "INFO.DAT is read-only" || true)
[ "$readonly_lines" = 1 ] || fail "read-only INFO.DAT traced $readonly_lines times"
[ "$(service_state)" = RUNNING ] || fail "service died on a read-only INFO.DAT"
frozen=$(value SaveTime)
chmod u+w "$info"
wait_for 3 above SaveTime "$frozen" || fail "figures not written again after the file became writable"
wine cmd /c attrib "$winapp\\INFO.DAT" 2>/dev/null | tr -d '\r' | grep -q "^A *H " || fail "INFO.DAT lost its hidden attribute"
ok "a read-only INFO.DAT gives one trace line and the figures resume when it is writable"

# ---- A busy hardware lock skips cycles without harm --------------------------------------------
run svcpoke.exe hold-lock isa 1.5 >/dev/null
sleep 1.5
[ "$(service_state)" = RUNNING ] || fail "service died while the sensor lock was busy"
ok "a busy sensor lock is waited out"

# ---- Stop: control lines and the last figures --------------------------------------------------
sleep 0.5
stop_service
for line in "****Into service control****" "Stopping..." "DwCode=0x1" "Leave service control..." \
            "Exit main while loop!!" "Bye Bye!!"; do
  logged "$line" || fail "log lacks '$line'"
done
ok "stop leaves the control lines and the loop's last line in Satae.log"
total_stop=$(value Total)
savetime_stop=$(value SaveTime)

# ---- Restart: totals are picked up again, with two of the service's locks' names taken ----------
# Another program holds events under the sensor lock's name and INFO.DAT's lock's name, so neither
# mutex can be made: the service says so once each and goes on without them.
squatter=$(mktemp)
wine "$winapp\\store_squat.exe" 12 'Global\Access_ISABUS.HTP.Method' "info:$winapp\\INFO.DAT" > "$squatter" 2>&1 &
squat=$!
wait_for 10 grep -q holding "$squatter" || fail "store_squat did not take the names: $(cat "$squatter")"
start_service
wait_for 5 logged "Current=" || fail "no summary after restart"
logged "Total=$total_stop" || fail "restart did not restore Total $total_stop: $(tr -d '\r' < "$log" | grep Total=)"
logged "Install Service" && fail "the log was not started afresh"
wait_for 3 above SaveTime "$savetime_stop" || fail "SaveTime restarted from 0"
ok "restart continues from Total $total_stop and SaveTime $savetime_stop"
logged 'Lock Global\Access_ISABUS.HTP.Method unavailable, going on without it!!' || fail "taken sensor lock not traced"
logged "INFO.DAT lock unavailable, going on without it!!" || fail "taken INFO.DAT lock not traced"
ok "locks whose names another program took are traced and done without"
wait "$squat" || true
rm -f "$squatter"

# ---- Board faults: trace lines, no crash ---------------------------------------------------------
run simboard.exe fault add ff-voltage
sleep 1.5
frozen=$(value Total)
sleep 1.5
[ "$(value Total)" = "$frozen" ] || fail "figures moved with 0xFF voltage readings"
[ "$(service_state)" = RUNNING ] || fail "service died on 0xFF readings"
run simboard.exe fault clear ff-voltage
ok "0xFF readings skip the cycles"
stop_service

run simboard.exe create --profile p55-24-smbus >/dev/null
run simboard.exe fault add smbus-stuck
start_service
wait_for 5 logged "SMBIO=0x400" || fail "SMBus board did not start"
sleep 2
[ "$(service_state)" = RUNNING ] || fail "service died on a stuck SMBus"
ok "a stuck SMBus keeps the service running"
stop_service

run simboard.exe fault add refuse-b0-b8
start_service
wait_for 10 service_is STOPPED || fail "service kept running without firmware support"
for line in "BIOS Not Support ZOR!!" "init Error!!" "Stopping..." "Bye Bye!!"; do
  logged "$line" || fail "log lacks '$line' after a refused 0xB0"
done
ok "a refused 0xB0 ends the start with its trace lines"
run simboard.exe fault clear all

# ---- Every profile keeps counting ----------------------------------------------------------------
# Figures that appear once prove little: on each board the service must go on measuring. For 15 s
# the voltage reading changes every 3 s; each change must reach CPU_MAX, which every profile
# publishes, and while the board saves, SaveTime must keep pace with the clock.
ms_now() { date +%s%3N; }
differs() { [ -n "$(value "$1")" ] && [ "$(value "$1")" != "$2" ]; }
watch_ms=15000
step_ms=3000
known=$(run simboard.exe profiles | awk '{print $1}')
profiles=$(echo $(tr ',' ' ' <<< "${ZOR_SERVICE_PROFILES:-$known}"))
[ -n "$profiles" ] || fail "ZOR_SERVICE_PROFILES names no profile"
for profile in $profiles; do
  grep -qxF "$profile" <<< "$known" || fail "ZOR_SERVICE_PROFILES: no profile '$profile' (known: $(echo $known))"
done
for profile in $profiles; do
  run simboard.exe create --profile "$profile" >/dev/null
  volts=140
  run simboard.exe pin-readings $volts 40
  run simboard.exe pin-load 50
  saving=no
  case "$(run simboard.exe show | grep '^control')" in *" active"*) saving=yes ;; esac
  start_service
  wait_for 5 differs CPU_MAX 0 || fail "$profile: no CPU_MAX"
  cpumax=$(value CPU_MAX)
  first_savetime=$(value SaveTime)
  begin=$(ms_now)
  for ((step = 1; step * step_ms <= watch_ms; step++)); do
    volts=$((volts + 5))
    run simboard.exe pin-readings $volts 40
    wait_for 3 differs CPU_MAX "$cpumax" ||
      fail "$profile: CPU_MAX stayed $cpumax $(( ($(ms_now) - begin) / 1000 )) s in, reading $volts"
    cpumax=$(value CPU_MAX)
    rest=$((begin + step * step_ms - $(ms_now)))
    if [ "$rest" -gt 0 ]; then sleep "$(awk -v ms="$rest" 'BEGIN { print ms / 1000 }')"; fi
  done
  if [ $saving = yes ]; then
    real_test "$(value SaveTime)" "$first_savetime" 0 'a - b >= 12' ||
      fail "$profile: SaveTime went from $first_savetime only to $(value SaveTime) in 15 s"
  fi
  [ "$(service_state)" = RUNNING ] || fail "$profile: service is $(service_state)"
  stop_service
  ok "$profile: figures kept changing for 15 s (saving $saving, CPU_MAX $cpumax)"
done

# ---- Remove ----------------------------------------------------------------------------------------
run Zor2Svr.exe -u >/dev/null
if wine reg query 'HKLM\System\CurrentControlSet\Services\ZOR2 Service' >/dev/null 2>&1; then
  fail "service still registered after -u"
fi
ok "-u removes the service"
echo "service e2e: all passed"
