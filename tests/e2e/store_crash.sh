#!/bin/bash
# The ZOR2 Service killed at random moments (SIGKILL of its Wine process) and started again, over
# and over: after every kill INFO.DAT parses, its Total never goes down, and once the restarted
# service has written again no temporary file is left beside it, not even one planted as a writer
# killed mid-write would leave it.
# Usage: store_crash.sh BIN_DIR [ROUNDS]   (BIN_DIR: the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
rounds=${2:-15}
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/store_crash"
prefix="$work/prefix"
zor_app_prefix "$prefix" "$bin" Zor2Svr.exe hwk.dll simboard.exe
info="$app/INFO.DAT"
zor_wine_session

failure_details() {
  [ -f "$info" ] && { echo "--- INFO.DAT"; tr -d '\r' < "$info"; }
  ls -la "$app"
}
value() { ini_value "$info" VALUE "$1"; }
# Every line a section header, a key=value entry or blank; the figures plain numbers.
parses() {
  tr -d '\r' < "$info" | awk '!/^(\[[A-Za-z]+\]|[A-Za-z_]+=[-0-9.]*|)$/ { bad = 1 } END { exit bad }' &&
    [[ "$(value Total)" =~ ^[0-9]+\.[0-9]{6}$ ]]
}
temporaries() { find "$app" -name '*.tmp' | wc -l; }
no_temporaries() { [ "$(temporaries)" -eq 0 ]; }
total_moved() { [ "$(value Total)" != "$1" ]; }

run simboard.exe create --profile x58-6 >/dev/null
run simboard.exe pin-readings 150 40
run Zor2Svr.exe -i >/dev/null
service_net start || fail "first start"
wait_for 10 total_moved "" 2>/dev/null || true
wait_for 10 parses || fail "no figures after the first start"

highest=0
kills=0
left_by_kills=0
for round in $(seq "$rounds"); do
  wait_for 10 service_process_runs || fail "round $round: no service process"
  # Somewhere within the next two seconds: before, during or after a publication.
  sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 0.2 + r / 32768 * 2 }')"
  pid=$(service_pid) || fail "round $round: service gone before the kill"
  [ "$pid" != "${last_pid:-}" ] || fail "round $round: still the process killed before"
  last_pid=$pid
  kill -KILL "$pid"
  kills=$((kills + 1))
  wait_for 20 service_process_gone || fail "round $round: process $pid survived SIGKILL"
  parses || fail "round $round: INFO.DAT does not parse after the kill"
  # A kill during a write leaves its temporary file, for the restarted service to clear.
  [ "$(temporaries)" -eq 0 ] || left_by_kills=$((left_by_kills + 1))
  total=$(value Total)
  awk -v a="$total" -v b="$highest" 'BEGIN { exit !(a >= b) }' || fail "round $round: Total went down from $highest to $total"
  highest=$total
  # As a kill in the middle of a write leaves it (random kills rarely land there): a temporary file
  # of a process that no longer exists (Windows process ids are multiples of 4).
  printf '[VALUE]\r\nTotal=0.0' > "$app/INFO.DAT.~99999-$round.tmp"
  # Wine's manager keeps showing the dead service as running, but starts it again.
  service_net start || true
  wait_for 20 service_process_runs || fail "round $round: the service did not start again"
  # The restarted service's first publication clears what the killed one left.
  wait_for 10 total_moved "$total" || fail "round $round: the restarted service does not publish"
  # (Polled: the running service's own file lives for the moment of each write.)
  wait_for 2 no_temporaries || fail "round $round: temporary files left after the restart"
done
service_net stop || true
parses || fail "INFO.DAT does not parse at the end"
echo "store crash: $kills kills ($left_by_kills during a write), Total rose to $(value Total)," \
  "INFO.DAT parsed after every kill, no temporary file left"
