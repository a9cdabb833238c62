#!/usr/bin/env bash
# Builds everything (Linux with sanitizers, 32-bit and 64-bit Windows) and runs every test: the
# native unit tests, then the Windows end-to-end tests under Wine and a virtual X display: the
# 64-bit build on the host's Wine, the 32-bit release build on Wine 10's wow64 mode
# (scripts/wow64-wine.sh) presenting Windows 7, then XP and 2000 for the tests whose programs take
# the NT 5.x branches. Every lane runs; the script fails if any did.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
# A compiler cache where there is one (install-deps brings it): CI runs on the machine the work was
# done on, and a clone elsewhere hits the same cache, since paths are taken relative to this tree.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# A test that failed or timed out may leave the Wine server of its prefix running, and with it its
# programs: whatever runs for a prefix under build/ is ended when the script ends.
end_wine_leftovers() {
  local pid
  for pid in $(pgrep wineserver || true); do
    if tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -q "^WINEPREFIX=$PWD/build/"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}
trap end_wine_leftovers EXIT

failed=()
summary=()
# lane NAME COMMAND...: runs one lane, times it, and notes a failure without stopping.
lane() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@" || failed+=("$name")
  summary+=("$(printf '%-44s %4d s' "$name" $((SECONDS - start)))")
}
xvfb() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
# on_windows VERSION COMMAND...: COMMAND with new prefixes presenting that Windows version.
on_windows() { ZOR_WINE_VERSION=$1 xvfb-run -a -s "-screen 0 1280x1024x24" "${@:2}"; }

lane "native unit tests" ctest --test-dir build/native --output-on-failure -j "$jobs"
lane "32-bit export and import tables" ctest --test-dir build/win32 --output-on-failure -LE e2e
lane "64-bit, host Wine, Windows 7" xvfb ctest --test-dir build/win64 --output-on-failure
wow64_start=$SECONDS
ZOR_WOW64_BIN=$(scripts/wow64-wine.sh)
export ZOR_WOW64_BIN
summary+=("$(printf '%-44s %4d s' "wow64 Wine tree" $((SECONDS - wow64_start)))")
lane "32-bit, wow64 Wine, Windows 7" \
  on_windows win7 ctest --test-dir build/win32 --output-on-failure -L e2e
# As XP and 2000 the service's figures are checked on one board: every profile ran as Windows 7.
export ZOR_SERVICE_PROFILES=x58-6
for version in winxp win2k; do
  lane "32-bit, wow64 Wine, $version" \
    on_windows "$version" ctest --test-dir build/win32 --output-on-failure -R '^(service_e2e|settings_e2e|main_window)$'
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
