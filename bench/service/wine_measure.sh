#!/bin/bash
# Whole-process figures of the running service under Wine: its CPU time over a minute as a share
# of one core, its requests to the Wine server (with strace), how often it replaces INFO.DAT, and
# (with saving on) how far SaveTime drifts from the wall clock over a longer run. With saving off
# the readings follow the host's load, so the power figure changes from cycle to cycle.
# Usage: wine_measure.sh BIN_DIR [DRIFT_SECONDS] [on|off]   (BIN_DIR: the win64 build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
span=${2:-600}
saving=${3:-on}
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

if [ "$saving" = on ]; then
  wine "$winapp\\simboard.exe" create --profile x58-6 >/dev/null
  wine "$winapp\\simboard.exe" pin-readings 150 40
else
  wine "$winapp\\simboard.exe" create --profile x58-6-off >/dev/null
fi
wine "$winapp\\Zor2Svr.exe" -i >/dev/null 2>&1
wine net start "ZOR2 Service" >/dev/null 2>&1

# The service's Wine process of this prefix, whatever else runs on the machine.
service_pid() {
  local candidate
  for candidate in $(pgrep -f 'Zorwise.Zor2Svr.exe' || true); do
    if { tr '\0' '\n' < "/proc/$candidate/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$candidate"
      return
    fi
  done
}
pid=""
for _ in $(seq 50); do
  pid=$(service_pid)
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

# Each replace gives the file a new inode: count the inodes seen over ten seconds. With saving
# off the load is switched between 10 and 90 percent meanwhile, as fast as simboard can, so that
# the power figure keeps changing.
replaces() {
  local until=$(( $(date +%s) + 10 )) last="" count=0 inode changer=""
  if [ "$saving" != on ]; then
    (while [ "$(date +%s)" -lt "$until" ]; do
       wine "$winapp\\simboard.exe" pin-load 10 >/dev/null 2>&1
       wine "$winapp\\simboard.exe" pin-load 90 >/dev/null 2>&1
     done) &
    changer=$!
  fi
  while [ "$(date +%s)" -lt "$until" ]; do
    inode=$(stat -c %i "$info" 2>/dev/null || true)
    if [ -n "$inode" ] && [ "$inode" != "$last" ]; then count=$((count + 1)); last=$inode; fi
    sleep 0.02
  done
  [ -z "$changer" ] || wait "$changer"
  awk -v n="$((count - 1))" 'BEGIN { printf "INFO.DAT replaces: %.1f per second (saving '"$saving"')\n", n / 10 }'
}

sleep 3
if [ "$saving" = on ]; then read -r wall_a save_a < <(edge); fi
cpu_a=$(ticks)
sleep 60
cpu_b=$(ticks)
awk -v t="$((cpu_b - cpu_a))" -v hz="$hz" -v s="$saving" \
  'BEGIN { printf "CPU over 60 s (saving %s): %d ticks = %.3f s = %.3f%% of one core\n", s, t, t / hz, 100 * t / hz / 60 }'
# Each request to the Wine server is one write or writev on the request pipe (file contents go
# through pwrite), so their count over ten seconds is the service's server round trips.
if command -v strace >/dev/null; then
  trace="$work/strace.txt"
  timeout -s INT 10 strace -f -c -o "$trace" -p "$pid" >/dev/null 2>&1 || true
  awk '$NF == "write" || $NF == "writev" { calls += $4 }
       END { if (calls) printf "Wine server requests: %.0f per second\n", calls / 10 }' "$trace" 2>/dev/null || true
fi
replaces
if [ "$saving" != on ]; then
  wine net stop "ZOR2 Service" >/dev/null 2>&1 || true
  exit 0
fi

sleep $((span > 73 ? span - 73 : 0))
read -r wall_b save_b < <(edge)
awk -v wa="$wall_a" -v wb="$wall_b" -v sa="$save_a" -v sb="$save_b" 'BEGIN {
  wall = wb - wa; saved = sb - sa
  printf "SaveTime %.1f s over %.3f s of wall clock: drift %+.3f s = %+.3f%%\n", saved, wall, saved - wall, 100 * (saved - wall) / wall }'
wine net stop "ZOR2 Service" >/dev/null 2>&1 || true
