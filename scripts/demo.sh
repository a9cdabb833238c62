#!/usr/bin/env bash
# Builds the 64-bit Windows programs and their installer and runs the system on the simulated board
# under Wine: the installer puts Zorwise and the "Simulated board (demo)" into a fresh prefix and
# starts the ZOR2 Service; two Windows processes discover the board through hwk.dll and a level
# packet from one is seen by the other; the service's figures in INFO.DAT are shown live while the
# board's load changes; the main window opens on the running system (on the desktop, or
# photographed under a virtual display); the service's trace and the hour it saved are shown last.
# Everything it makes stays under build/demo (the window's screenshot among it).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts/install-deps.sh
# Without a display the whole demo runs on a virtual one: Wine's desktop process takes the display
# of the first program that needs it, so the service and the window must share it from the start.
if [ -z "${DISPLAY:-}" ] && [ -z "${ZOR_DEMO_VIRTUAL:-}" ]; then
  ZOR_DEMO_VIRTUAL=1 exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
build=${ZOR_WIN64_BUILD:-build/win64}
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)"

source tests/e2e/e2e_lib.sh
bin=$repo/$build/bin
setup=$repo/$build/installer/ZorwiseSetup.exe
demo=$repo/build/demo
prefix=$demo/prefix
echo "== A fresh Wine prefix in $prefix"
zor_app_prefix "$prefix"
zor_wine_session

section() { printf '\n== %s\n' "$*"; }

section "Install: ZorwiseSetup.exe /S /DEMO (silent, with the simulated board)"
wine "$setup" /S /DEMO
echo "   $(cd "$app" && ls | tr '\n' ' ')"
wine sc query "ZOR2 Service" 2>/dev/null | tr -d '\r' | grep -E 'SERVICE_NAME|STATE' | sed 's/^ */   /'
# The discovery probe is a developer's tool, not part of the product: it joins the installed
# hwk.dll, whose board lives beside it.
cp "$bin/fwprobe.exe" "$app/"

section "The simulated board the service found (simboard show)"
run simboard.exe show | head -n 30

section "Discovery from two Windows processes at once"
run fwprobe.exe service > "$demo/service-discovery.txt" &
run fwprobe.exe gui > "$demo/gui-discovery.txt"
wait
echo "-- as the service discovers it (fwprobe service):"
sed 's/^/   /' "$demo/service-discovery.txt"
echo "-- as zor2 discovers it (fwprobe gui):"
sed 's/^/   /' "$demo/gui-discovery.txt"

section "Level L3 (code 1) submitted as a TpsePacket by one process, seen by another"
run fwprobe.exe packet 1
run fwprobe.exe gui | grep -i -E 'level|ControlFlags' | sed 's/^/   /'
run fwprobe.exe packet 3 >/dev/null

section "The ZOR2 Service's figures in INFO.DAT, once a second"
run simboard.exe pin-load 20 >/dev/null
show_figures() {
  tr -d '\r' < "$app/INFO.DAT" 2>/dev/null | awk -F= '
    /^\[/ { section = $0 } section == "[VALUE]" && NF == 2 { printf "%s=%s  ", $1, $2 } END { print "" }'
}
for second in 1 2 3 4 5 6 7 8 9 10 11 12; do
  [ "$second" -eq 7 ] && { echo "-- board load pinned at 90%"; run simboard.exe pin-load 90 >/dev/null; }
  sleep 1
  printf '  t=%2ds  ' "$second"; show_figures
done
section "The main window: zor2.exe, with the service running"
shot="$demo/zor2.png"
(cd "$app" && wine zor2.exe >/dev/null 2>&1) &
zor2_pid=$!
sleep 8
import -window root "$shot" 2>/dev/null || true
if [ -n "${ZOR_DEMO_VIRTUAL:-}" ]; then
  kill "$zor2_pid" 2>/dev/null || true  # a virtual display: the photograph is the demo
else
  echo "   The window is open on your desktop: click its buttons; its x button ends the demo."
fi
wait "$zor2_pid" 2>/dev/null || true
[ -f "$shot" ] && echo "   $shot"
run simboard.exe show | grep -E '^(control|readings)' | sed 's/^/   /'

section "Satae.log (net stop \"ZOR2 Service\")"
wine net stop "ZOR2 Service" >/dev/null 2>&1 || true
sleep 1
tr -d '\r' < "$app/Satae.log" | sed 's/^/   /'

section "The energy history: the stop wrote the hour in progress (zorstat)"
run zorstat.exe | sed 's/^/   /'

section "Done. Zorwise stays installed in $prefix"
echo "   Its uninstaller: WINEPREFIX=$prefix wine '$winapp\\Uninstall.exe'"
