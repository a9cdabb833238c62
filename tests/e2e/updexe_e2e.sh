#!/bin/bash
# Updexe.exe under Wine, in a folder set up by the installer with the demo board: no package; a
# package of the installed version (up to date); a newer package, Updexe.exe itself included, applied
# with the service stopped and running again afterwards; an altered package refused with nothing
# changed; the notice box; a package applied while zor2 runs, zor2 asked to close and started again.
# Usage: updexe_e2e.sh BIN_DIR (the Windows build's bin folder; the installer is beside it)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
setup="$bin/../installer/ZorwiseSetup.exe"
[ -f "$setup" ] || { echo "FAIL: no installer at $setup (is makensis installed?)" >&2; exit 1; }

work="$bin/../e2e/updexe"
prefix="$work/prefix"
zor_app_prefix "$prefix"
package="$app/Updates"
zor_wine_session

version() { tr -d '\r' < "$app/INFO.DAT" | awk '/^\[Update\]/{s=1;next} /^\[/{s=0} s && /^Version=/{sub(/^Version=/,"");print}'; }
sums() { (cd "$app" && sha256sum Zor2Svr.exe res.dll Updexe.exe); }
# update EXPECTED_EXIT: runs the updater as a script would, prints what it said.
update() {
  local code=0
  # Through a file, not a pipe: a zor2 started again by the update would hold a pipe open.
  wine "$winapp\\Updexe.exe" /zor2 /silent >"$work/said.txt" 2>/dev/null || code=$?
  said=$(tr -d '\r' < "$work/said.txt")
  echo "  Updexe: $(tr '\n' ' ' <<< "$said")(exit $code)"
  [ "$code" = "$1" ] || fail "Updexe ended with $code, expected $1"
}
# package VERSION FILE... : the given files of the package folder with their checksums.
package() {
  local version=$1; shift
  { printf 'Zorwise update\r\nVersion: %s\r\n' "$version"
    for f in "$@"; do printf '%s  %s\r\n' "$(sha256sum < "$package/$f" | cut -d' ' -f1)" "$f"; done
  } > "$package/manifest.txt"
}

wine "$setup" /S /DEMO || fail "setup failed"
[ "$(service_state)" = RUNNING ] || fail "the service does not run after setup"

update 2
grep -q "No update package" <<< "$said" || fail "no package was not reported"
ok "no package"

mkdir -p "$package"
cp "$bin/res.dll" "$package/"
package 2.0 res.dll
update 0
grep -q "up to date" <<< "$said" || fail "up to date was not reported"
ok "a package of the installed version is up to date"

# The newer programs: the built ones with a trailer, which Windows ignores.
for f in Zor2Svr.exe res.dll Updexe.exe; do { cat "$bin/$f"; printf 'V2.1'; } > "$package/$f"; done
package 2.1 Zor2Svr.exe res.dll Updexe.exe
update 1
for f in Zor2Svr.exe res.dll Updexe.exe; do
  cmp -s "$app/$f" "$package/$f" || fail "$f was not replaced"
done
[ "$(version)" = 2.1 ] || fail "INFO.DAT holds version $(version)"
[ "$(service_state)" = RUNNING ] || fail "the service does not run after the update (state $(service_state))"
grep -q "The service was started again" <<< "$said" || fail "the restart was not reported"
ok "version 2.1 applied, Updexe.exe included, and the service runs again"

before=$(sums)
for f in Zor2Svr.exe res.dll; do { cat "$bin/$f"; printf 'V2.2'; } > "$package/$f"; done
package 2.2 Zor2Svr.exe res.dll
printf 'X' >> "$package/res.dll"
update 5
grep -q "res.dll does not match" <<< "$said" || fail "the altered file was not named"
[ "$(sums)" = "$before" ] || fail "files changed by a refused package"
[ "$(version)" = 2.1 ] || fail "the version changed to $(version)"
[ "$(service_state)" = RUNNING ] || fail "the service was disturbed by a refused package (state $(service_state))"
ok "an altered package is refused and nothing changes"

# Started by the Update button (no /silent): the product's notice box, closed with its OK button.
if [ -n "${DISPLAY:-}" ]; then
  wine "$winapp\\Updexe.exe" /zor2 >/dev/null 2>&1 &
  pid=$!
  geometry=""
  for _ in $(seq 1 120); do
    for id in $(xdotool search --onlyvisible --class updexe 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      [ "${WIDTH}x${HEIGHT}" = 472x96 ] && geometry="$X $Y"
    done
    [ -n "$geometry" ] && break
    sleep 0.5
  done
  [ -n "$geometry" ] || fail "no notice box of 472x96 appeared"
  read -r x y <<< "$geometry"
  sleep 0.5
  import -window root -crop "472x96+$x+$y" "$work/notice.png" 2>/dev/null || true
  # The button reacts to a release only after the pointer has been over it.
  xdotool mousemove $((x + 420)) $((y + 34)); sleep 0.3
  xdotool mousemove $((x + 421)) $((y + 34)); sleep 0.3
  xdotool click 1
  code=0
  for _ in $(seq 1 40); do kill -0 $pid 2>/dev/null || break; sleep 0.25; done
  kill -0 $pid 2>/dev/null && fail "the notice did not close with OK"
  wait $pid || code=$?
  [ "$code" = 5 ] || fail "Updexe ended with $code after the notice, expected 5"
  ok "the notice box shows the outcome and closes with OK (picture: $work/notice.png)"
fi
# With the window open: zor2 is asked to close, without its question, so that saving goes on and
# the user's power settings are parked in INFO.DAT ("PV" = "1"; ended outright it would write
# nothing), and it is started again after the update.
if [ -n "${DISPLAY:-}" ]; then
  zor2_window() {
    local id WINDOW X Y WIDTH HEIGHT SCREEN
    for id in $(xdotool search --onlyvisible --class zor2 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      [ "$WIDTH" -gt 400 ] && return 0
    done
    return 1
  }
  (cd "$app" && exec wine ./zor2.exe >/dev/null 2>&1) &
  wait_for 60 zor2_window || fail "zor2's window did not open"
  first=$(wine_pid 'zor2.exe') || fail "no zor2 process"
  sleep 3
  [ "$(ini_value "$app/INFO.DAT" PV)" != 1 ] || fail "PV is 1 before the update"
  for f in Zor2Svr.exe res.dll; do { cat "$bin/$f"; printf 'V2.3'; } > "$package/$f"; done
  package 2.3 Zor2Svr.exe res.dll
  update 1
  grep -q "The service and the program were started again" <<< "$said" || fail "the restart of both was not reported"
  ! pid_running "$first" || fail "the first zor2 still runs"
  [ "$(ini_value "$app/INFO.DAT" PV)" = 1 ] || fail "zor2 did not close as asked (PV '$(ini_value "$app/INFO.DAT" PV)')"
  wait_for 60 zor2_window || fail "zor2 was not started again"
  second=$(wine_pid 'zor2.exe') || fail "no zor2 process after the update"
  [ "$second" != "$first" ] || fail "still the first zor2"
  ok "a running zor2 closes when asked, parks the user's power settings, and runs again after the update"
fi
echo "PASS"
