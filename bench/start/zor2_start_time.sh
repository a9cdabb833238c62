#!/usr/bin/env bash
# The time from launching zor2.exe to its painted main window, under Wine with the prefix warm, for
# one or more builds in the same run: each build gets its own prefix on the simulated board, then
# the builds start in turn, RUNS times each, so that the machine's load falls on all of them alike.
# Prints every start and each build's median, minimum and maximum in milliseconds. The screen is
# looked at every 2 ms (painted.py), at the place the window took at a first start.
# Usage: zor2_start_time.sh [-n RUNS] BIN... (run inside an X display, e.g. xvfb-run); the
# prefixes stay in ZOR_BENCH_DIR when it is set.
set -euo pipefail
trap 'echo "$0: failed at line $LINENO" >&2' ERR

runs=10
if [ "${1:-}" = -n ]; then runs=$2; shift 2; fi
[ $# -ge 1 ] || { echo "usage: $0 [-n RUNS] BIN..." >&2; exit 2; }
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
work=${ZOR_BENCH_DIR:-/tmp/zor2-start-time.$$}
rm -rf "$work"
mkdir -p "$work"

bins=() prefixes=() apps=()
for i in $(seq 1 $#); do
  bins+=("$(cd "${!i}" && pwd)")
done
# The skin pictures the build made its skin library from.
skin_bmp=$(cd "${bins[0]}/../skins/generated/ENG" && pwd)/Main_on.bmp
size=$(identify -format '%wx%h' "$skin_bmp")
# The "ENERGY SAVING LEVEL" label, which nothing draws over: painted when it shows.
convert "$skin_bmp" -crop 100x10+50+376 +repage -depth 8 "rgb:$work/patch.rgb"

pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done
  [ -n "${ZOR_BENCH_DIR:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

for i in "${!bins[@]}"; do
  zor_app_prefix "$work/prefix$i" "${bins[$i]}" zor2.exe Zor2Svr.exe hwk.dll Clockvane.dll SF.DLL \
    ENG.dll SC.dll TC.dll res.dll simboard.exe
  install_powercfg "${bins[$i]}"
  wineserver -p
  run simboard.exe create --profile x58-6 >/dev/null
  prefixes+=("$WINEPREFIX") apps+=("$app")
done

# The main window's place on the screen: "X Y".
window_place() {
  local id WINDOW X Y WIDTH HEIGHT SCREEN
  for id in $(xdotool search --onlyvisible --class zor2 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    [ "${WIDTH}x${HEIGHT}" = "$size" ] && { echo "$X $Y"; return 0; }
  done
  return 1
}
stop_zor2() {
  wine taskkill /f /im zor2.exe >/dev/null 2>&1 || true
  wait_for 10 eval '! wine_pid zor2.exe >/dev/null' || { echo "zor2 did not end" >&2; return 1; }
}
# The first start of each build warms its prefix (the service installed, Wine's libraries in the
# cache) and finds where the window goes.
places=()
for i in "${!bins[@]}"; do
  export WINEPREFIX=${prefixes[$i]}
  (cd "${apps[$i]}" && exec wine ./zor2.exe >/dev/null 2>&1) &
  pids=("$!")
  place=$(wait_for 30 window_place) || { echo "no window from ${bins[$i]}" >&2; exit 1; }
  read -r x y <<<"$place"
  places+=("$((x + 50)) $((y + 376))")  # the label's place on the screen
  sleep 1
  stop_zor2
  pids=()
done

# One start: prints the milliseconds to the painted window, then ends the program.
one_start() {  # index
  export WINEPREFIX=${prefixes[$1]}
  local ms
  ms=$(cd "${apps[$1]}" && python3 "$repo/bench/start/painted.py" ${places[$1]} "$work/patch.rgb" \
         100 10 20 -- wine ./zor2.exe) || { echo "no painted window from ${bins[$1]}" >&2; return 1; }
  stop_zor2
  echo "$ms"
}

declare -A series
for r in $(seq 1 "$runs"); do
  for i in "${!bins[@]}"; do
    ms=$(one_start "$i")
    series[$i]+="$ms "
    echo "run $r: ${bins[$i]}: $ms ms"
  done
done
for i in "${!bins[@]}"; do
  echo "${bins[$i]}: ${series[$i]}" | tr -s ' '
  tr ' ' '\n' <<<"${series[$i]}" | grep . | sort -n \
    | awk '{ v[NR] = $1 } END { printf "  median %d ms, min %d ms, max %d ms over %d starts\n", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1], v[NR], NR }'
done
