#!/usr/bin/env bash
# Renders two of the README's pictures with headless Chromium (apt-get install chromium), which
# this Wine lacks as an HTML engine: the help file's page of messages, from the pages and pictures the
# win64 build compiles into zor2_eng.chm, and zorstat's HTML report over a made-up 150 days of
# history (weekdays 8 to 17-21 h, weekends shorter and at half the load).
#   scripts/readme-pictures.sh    (after the native and win64 builds) -> docs/help-file.png, docs/history-report.png
set -euo pipefail
cd "$(dirname "$0")/.."
command -v chromium >/dev/null || { echo "chromium is missing: apt-get install chromium" >&2; exit 1; }
help=build/win64/help/chm
zorstat=build/native/apps/zorstat/zorstat
[ -f "$help/messages.html" ] && [ -x "$zorstat" ] || { echo "build the native and win64 presets first" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# shoot URL WIDTHxHEIGHT OUT
shoot() {
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size="${2/x/,}" \
    --screenshot="$3" "$1" >/dev/null 2>&1
}

shoot "file://$PWD/$help/messages.html" 900x760 docs/help-file.png

end=$(date -u +%s)
awk -v days=150 -v end="$end" 'BEGIN {
  srand(7)
  print "hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s"
  for (d = days; d >= 1; d--) {
    cmd = "date -u -d @" (end - d * 86400) " +%Y-%m-%d:%u"; cmd | getline stamp; close(cmd)
    split(stamp, part, ":")
    weekend = part[2] >= 6
    if (rand() < 0.06) continue  # a day the PC stayed off
    first = weekend ? 11 : 8
    last = weekend ? 15 + int(rand() * 4) : 17 + int(rand() * 5)
    for (h = first; h <= last; h++) {
      seconds = 3000 + int(rand() * 600)
      saving_wh = (30 + 15 * rand()) * seconds / 3600
      other_wh = (50 + 20 * rand()) * (3600 - seconds) / 3600
      printf "%sT%02d,%.6f,%.1f,%.6f,%.6f,3600.0\n", part[1], h, (2.2 + 3.5 * rand()) * (weekend ? 0.5 : 1) * seconds / 3600,
        seconds, saving_wh + other_wh, saving_wh
    }
  } }' > "$tmp/History.csv"
"$zorstat" "$tmp/History.csv" --html "$tmp/history.html" >/dev/null
shoot "file://$tmp/history.html" 1000x620 docs/history-report.png
echo "docs/help-file.png docs/history-report.png"
