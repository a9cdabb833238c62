#!/bin/bash
# The energy history under Wine, with the whole Wine session's wall clock moved to just before the
# turn of a local hour (libfaketime; time-outs keep the real monotonic clock): an hour that is over
# while another program holds the file (as a spreadsheet does) is appended once it has let go,
# with the hour in progress when the service stops; a killed service loses only its hour in
# progress and a torn line only itself; each run's hours add up to what it added to INFO.DAT's
# Total; zorstat's totals equal the sum of the hours.
# Usage: history_e2e.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

faketime_lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -1 || true)
[ -n "$faketime_lib" ] || fail "libfaketime is missing (scripts/install-deps.sh installs it)"

work="$bin/../e2e/history"
zor_app_prefix "$work/prefix" "$bin" Zor2Svr.exe hwk.dll simboard.exe zorstat.exe fixtures/file_holder.exe
info="$app/INFO.DAT"
history="$app/History.csv"

failure_details() {
  [ -f "$history" ] && { echo "--- History.csv"; cat -A "$history"; }
  [ -f "$app/Satae.log" ] && { echo "--- Satae.log"; tr -d '\r' < "$app/Satae.log"; echo; }
}
total() { local t; t=$(ini_value "$info" VALUE Total); echo "${t:-0}"; }
total_moved() { [ "$(total)" != "$1" ]; }
# Started, and saving: the Total moves once a second while the board saves. (Wine's manager may
# still show a killed service as running, but starts it again.)
start_saving() {
  local before
  before=$(total)
  service_net start || true
  wait_for 20 total_moved "$before" || fail "the service did not start saving"
}
# The lines of one hour, and sums over the history's energy column.
lines_of() { grep -c "^$1," "$history" || true; }
energy_sum() { awk -F, -v from="${1:-2}" 'NR >= from { s += $2 } END { printf "%.6f", s }' "$history"; }
has_line() { [ -f "$history" ] && grep -q "^$1," "$history"; }
# The energy of a run's hours matches what the run added to the Total (each figure rounded to 6 places).
matches() {
  real_test "$1" "$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.6f", b - a }')" 0 'a - b < 0.00001 && b - a < 0.00001' ||
    fail "$4: the hours hold $1, the Total grew from $2 to $3"
}

# The session's wall clock is moved to 100 s before the next local hour; the service starts in the
# last minute or so of that hour (a loaded machine takes a while to make the prefix and start it).
into_hour=$((10#$(date +%M) * 60 + 10#$(date +%S)))
# No shared memory between the faked processes: its semaphore, held by a process the test kills
# (the service, a Wine session ended), would stop every later process's clock for good.
export LD_PRELOAD="$faketime_lib" FAKETIME_DONT_FAKE_MONOTONIC=1 FAKETIME_DISABLE_SHM=1
FAKETIME=$(printf '%+ds' $((3600 - 100 - into_hour)))
export FAKETIME
zor_wine_session
run simboard.exe create --profile x58-6 >/dev/null
run simboard.exe pin-readings 150 40
run Zor2Svr.exe -i >/dev/null

# Wine's local time, as the service reads it.
first_hour=$(date +%Y-%m-%dT%H)
[ "$(date +%M)" -ge 58 ] || fail "setting up took past the turn of the hour ($(date +%T))"
next_hour=$(date -d "@$(($(date +%s) + 3600))" +%Y-%m-%dT%H)

# ---- Run 1 crosses the hour while the history is held open, then stops -------------------------------
# The holder shares the file for reading only, as a spreadsheet that has it open does.
: > "$history"
holder_out="$work/holder.out"
wine "$winapp\\file_holder.exe" "$winapp\\History.csv" 150 > "$holder_out" 2>&1 &
holder=$!
held() { grep -q held "$holder_out"; }
wait_for 20 held || fail "the history could not be held open: $(cat "$holder_out")"
hour_over() { [ "$(date +%Y-%m-%dT%H)" != "$first_hour" ]; }
total0=$(total)
start_saving
! hour_over || fail "the service started saving only after the turn of the hour ($(date +%T))"
wait_for 150 hour_over || fail "the hour did not turn"
sleep 3
[ ! -s "$history" ] || fail "the held history was written"
touch "$history.release"
holder_gone() { ! kill -0 "$holder" 2>/dev/null; }
wait_for 20 holder_gone || fail "the holder did not let go"
ok "while the history was held, $first_hour was not appended"
sleep 2
stop_service
[ "$(head -1 "$history")" = "hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s" ] || fail "no header"
[ "$(lines_of "$first_hour")" = 1 ] || fail "$first_hour was lost while the history was held"
seconds=$(grep "^$first_hour," "$history" | cut -d, -f3)
real_test "$seconds" 0 0 'a > 0 && a <= 100' || fail "$seconds s of saving in the last 100 s of $first_hour"
ok "$first_hour appended after the holder let go ($seconds s of saving in its last 100 s)"
[ "$(lines_of "$next_hour")" = 1 ] || fail "the stop did not write the hour in progress"
total1=$(total)
matches "$(energy_sum)" "$total0" "$total1" "run 1"
awk -F, 'NR > 1 && $4 > 0 && $5 > 0 && $6 >= $3 { n++ } END { exit !(n == 2) }' "$history" ||
  fail "the hours lack the CPU energy measured"
ok "the stop wrote $next_hour; the two lines hold what run 1 added to the Total ($total0 -> $total1) and the CPU energy"

# ---- Run 2 is killed -----------------------------------------------------------------------------
start_saving
sleep 2
pid=$(service_pid) || fail "no service process"
before_kill=$(cat "$history")
kill -KILL "$pid"
wait_for 20 service_process_gone || fail "the service survived SIGKILL"
[ "$(cat "$history")" = "$before_kill" ] || fail "the kill changed the history"
total2=$(total)
real_test "$total2" "$total1" 0 'a > b' || fail "INFO.DAT lost run 2's saving"
ok "a kill costs the history only the hour in progress; INFO.DAT kept run 2's saving"

# As a kill in the middle of an append would leave it: a line cut inside its seconds.
printf '%s,0.500000,36' "$next_hour" >> "$history"

# ---- Run 3 appends after the torn line, then stops ---------------------------------------------------
lines_before=$(grep -c . "$history")
start_saving
sleep 2
stop_service
total3=$(total)
grep -q ',36$' "$history" && fail "the torn line is still there"
[ "$(tail -c 1 "$history" | od -An -c | tr -d ' ')" = '\n' ] || fail "the history does not end on a whole line"
[ "$(grep -c . "$history")" = "$lines_before" ] || fail "run 3 did not replace the torn line by one hour"
[ "$(lines_of "$next_hour")" = 2 ] || fail "run 3's hour is missing"
matches "$(tail -1 "$history" | cut -d, -f2)" "$total2" "$total3" "run 3"
ok "run 3 dropped the torn line and appended its hour"

# ---- Run 4 finds a directory where INFO.DAT should be ---------------------------------------------
# One line in the log, and the service measures on (its hour reaches the history) rather than
# waiting for a file that will never come; the directory is left as it is.
mv "$info" "$info.kept"
mkdir "$info"
log="$app/Satae.log"
logged() { [ -f "$log" ] && tr -d '\r' < "$log" | grep -qF "$1"; }
service_net start || true
wait_for 20 logged "INFO.DAT is a directory, going on without it!!" || fail "no trace of the directory"
wait_for 20 logged "Type=" || fail "the service waits for INFO.DAT"
sleep 3
stop_service
[ "$(tr -d '\r' < "$log" | grep -c "INFO.DAT")" = 1 ] || fail "the directory was traced more than once"
[ -d "$info" ] || fail "the directory was replaced"
[ "$(lines_of "$next_hour")" = 3 ] || fail "run 4 did not measure"
real_test "$(tail -1 "$history" | cut -d, -f2)" 0 0 'a > 0' || fail "run 4 saved nothing"
rmdir "$info"
mv "$info.kept" "$info"
ok "a directory in INFO.DAT's place gives one log line; the service measures on"

# ---- zorstat -----------------------------------------------------------------------------------------
report=$(run zorstat.exe "$winapp\\History.csv" --html "$winapp\\history.html") || fail "zorstat failed"
echo "$report"
sum=$(energy_sum)
close() { real_test "$1" "$2" 0 'a - b < 0.000003 && b - a < 0.000003'; }
total_line=$(grep -E '^Total .*\(2 hours recorded\)' <<< "$report") || fail "zorstat does not count the 2 hours"
close "$(awk '{ print $2 }' <<< "$total_line")" "$sum" || fail "zorstat's total is not the sum $sum of the hours"
day_sum=$(awk '/^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] / { s += $2 } END { printf "%.6f", s }' <<< "$report")
close "$day_sum" "$sum" || fail "the days add up to $day_sum, the hours to $sum"
grep -q "<svg" "$app/history.html" || fail "the HTML report lacks its chart or total"
run zorstat.exe "$winapp\\History.csv" --csv "$winapp\\hours.csv" >/dev/null || fail "zorstat --csv failed"
head -1 "$app/hours.csv" | grep -q "CPU energy (Wh)" || fail "the CSV does not name its units"
[ "$(grep -c '^20' "$app/hours.csv")" = "$(grep -c '^20' "$history")" ] || fail "the CSV does not hold every hour"
ok "zorstat: the days and the total equal the sum of the hours ($sum); the HTML report is written"
