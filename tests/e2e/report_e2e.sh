#!/bin/bash
# zorstat --report under Wine, as the Start-menu shortcut and the companion start it: the report is
# written to the prefix user's Documents\Zorwise folder (not the program's folder), a second run
# replaces it, and the desktop is asked to open that file with the program registered for .html (a
# recorder from the fixtures in place of the browser).
# Usage: report_e2e.sh BIN_DIR (the Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

work="$bin/../e2e/report"
zor_app_prefix "$work/prefix" "$bin" zorstat.exe fixtures/open_recorder.exe
zor_wine_session

html_recorder

# ---- no history yet: the report says so, and is opened --------------------------------------------
run zorstat.exe --report >/dev/null || fail "zorstat --report failed without a history"
[ -f "$report" ] || fail "no report in the user's Documents\\Zorwise folder"
grep -q "No history yet" "$report" || fail "the report without a history does not say so"
[ ! -e "$app/Energy report.html" ] || fail "the report was written to the program's folder"
wait_for 20 opened_count 1 || fail "the desktop was not asked to open the report"
opened_path=$(tr -d '\r' < "$opened" | tail -1)
[ "$(realpath "$(winepath -u "$opened_path" 2>/dev/null)")" = "$(realpath "$report")" ] || fail "the desktop opened '$opened_path', not the report"
ok "without a history: the report in Documents\\Zorwise says 'No history yet' and is opened ($opened_path)"

# ---- a history: the report is replaced by one with its chart, and opened again ----------------------
printf 'hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s\r\n%s\r\n%s\r\n' \
  "$(date +%Y-%m-%d)T08,1.500000,3000.0,40.000000,30.000000,3600.0" \
  "$(date +%Y-%m-%d)T09,2.000000,3600.0,35.000000,35.000000,3600.0" > "$app/History.csv"
run zorstat.exe --report >/dev/null || fail "zorstat --report failed with a history"
grep -q "<svg" "$report" || fail "the report of a history lacks its chart"
grep -q "No history yet" "$report" && fail "the old report was not replaced"
wait_for 20 opened_count 2 || fail "the desktop was not asked to open the second report"
ok "with a history: the report is replaced and opened again"
