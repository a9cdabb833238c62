#!/bin/bash
# The ZOR2 Service writes the rail targets of the saving in force at its start and again after a
# sleep, with no window open: the simulated board sleeps (its regulator forgets the targets), a
# control reaches the service, and the regulator runs at the targets again.
# The control manager passes no power event from ControlService (error 87, as on Windows), so the
# service's own control 129, which takes the same path as a resume, stands in for it.
# Usage: service_resume_e2e.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

prefix="$bin/../e2e/service_resume/prefix"
zor_app_prefix "$prefix" "$bin" Zor2Svr.exe hwk.dll simboard.exe
cp "$bin/fixtures/service_control.exe" "$app/"
log="$app/Satae.log"
zor_wine_session

failure_details() {
  [ -f "$log" ] && { echo "--- Satae.log"; tr -d '\r' < "$log"; echo; }
  run simboard.exe show | grep '^rail' || true
}
# applied ID: the value the regulator runs rail ID at.
applied() { run simboard.exe show | awk -v id="$1" '$1 == "rail" && $2 == id { print $NF }'; }
applied_is() { [ "$(applied "$1")" = "$2" ]; }

# Saving on at L3 with the advanced set in force: memory 2000 below its nominal 1500000 (the
# memory rail is in the set on every platform class, whatever processor the host has).
run simboard.exe create --profile x58-6 >/dev/null
run simboard.exe flags 0x0011
printf '[SETTING]\r\nAdv=1\r\nMEM=1\r\n' > "$app/INFO.DAT"
run Zor2Svr.exe -i >/dev/null
start_service
wait_for 10 service_is RUNNING || fail "service is $(service_state)"
wait_for 5 applied_is 0x31 1498000 || fail "the start did not lower the memory rail"
ok "the service's start writes the set's rails (memory at $(applied 0x31))"

run simboard.exe sleep
applied_is 0x31 1500000 || fail "the simulated sleep kept the memory rail at $(applied 0x31)"
answer=$(run service_control.exe "ZOR2 Service" 13 || true)
[ "$answer" = "error 87" ] || fail "a power event from ControlService gave '$answer'"
answer=$(run service_control.exe "ZOR2 Service" 129) || fail "control 129 refused: $answer"
wait_for 5 applied_is 0x31 1498000 || fail "the rails were not written again after the sleep"
ok "after a sleep the resume control writes the rails again (memory at $(applied 0x31))"

stop_service
