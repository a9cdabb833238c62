#!/bin/bash
# Whole-process figures of the running service under Wine: its CPU time over a minute as a share
# of one core, and how far SaveTime drifts from the wall clock over a longer run.
# Usage: wine_measure.sh BIN_DIR [DRIFT_SECONDS]   (BIN_DIR: the win64 build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
span=${2:-600}
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/scripts/wine-env.sh"

work="$bin/../measure/service"
export WINEPREFIX="$work/prefix"
zor_new_prefix "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p
app="$WINEPREFIX/drive_c/Program Files/Zorwise"
winapp='C:\Program Files\Zorwise'
mkdir -p "$app"
cp "$bin/Zor2Svr.exe" "$bin/hwk.dll" "$bin/simboard.exe" "$app/"
info="$app/INFO.DAT"
value() { [ -f "$info" ] && tr -d '\r' < "$info" | grep -i "^$1=" | cut -d= -f2- || true; }
now() { date +%s.%N; }

wine "$winapp\\simboard.exe" create --profile x58-6 >/dev/null
wine "$winapp\\simboard.exe" pin-readings 150 40
wine "$winapp\\Zor2Svr.exe" -i >/dev/null 2>&1
wine net start "ZOR2 Service" >/dev/null 2>&1

pid=""
for _ in $(seq 50); do
  pid=$(pgrep -f 'Zorwise.Zor2Svr.exe' | head -1 || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "service process not found" >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)

# The wall time at which SaveTime next changes, and its new value.
edge() {
  local before; before=$(value SaveTime)
  while [ "$(value SaveTime)" = "$before" ]; do sleep 0.01; done
  echo "$(now) $(value SaveTime)"
}

sleep 3
read -r wall_a save_a < <(edge)
cpu_a=$(ticks)
sleep 60
cpu_b=$(ticks)
awk -v t="$((cpu_b - cpu_a))" -v hz="$hz" \
  'BEGIN { printf "CPU over 60 s: %d ticks = %.3f s = %.3f%% of one core\n", t, t / hz, 100 * t / hz / 60 }'

sleep $((span > 63 ? span - 63 : 0))
read -r wall_b save_b < <(edge)
awk -v wa="$wall_a" -v wb="$wall_b" -v sa="$save_a" -v sb="$save_b" 'BEGIN {
  wall = wb - wa; saved = sb - sa
  printf "SaveTime %.1f s over %.3f s of wall clock: drift %+.3f s = %+.3f%%\n", saved, wall, saved - wall, 100 * (saved - wall) / wall }'
wine net stop "ZOR2 Service" >/dev/null 2>&1 || true
