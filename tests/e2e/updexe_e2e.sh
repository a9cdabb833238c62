#!/bin/bash
# Updexe.exe under Wine, in a folder set up by the installer with the demo board: no package; a
# package of the installed version (up to date); a newer package, Updexe.exe itself included, applied
# with the service stopped and running again afterwards; an altered package refused with nothing
# changed; a package naming a file the installer does not ship (the maker's hwk.dll, a device name)
# refused; packages unsigned or signed with another key, or in a folder open to every user, refused; an update a power cut interrupted finished by the service's next start, and one killed
# half-way finished or undone by the next Updexe; the notice box; a package applied while zor2
# runs, zor2 asked to close and started again, its title naming the new zor2.exe's version. After
# each update the uninstall entry lists the new version.
# Usage: updexe_e2e.sh BIN_DIR (the Windows build's bin folder; the installer is beside it)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"
setup="$bin/../installer/ZorwiseSetup.exe"
[ -f "$setup" ] || fail "no installer at $setup (is makensis installed?)"

work="$bin/../e2e/updexe"
prefix="$work/prefix"
zor_app_prefix "$prefix"
package="$app/Updates"
zor_wine_session

version() { ini_value "$app/INFO.DAT" Update Version; }
# The version Windows lists among installed programs: the setup's uninstall entry.
listed_version() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorwise' /v DisplayVersion "$zor_reg_view" 2>/dev/null |
    tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }'
}
sums() { (cd "$app" && sha256sum Zor2Svr.exe res.dll Updexe.exe); }
# update EXPECTED_EXIT: runs the updater as a script would, prints what it said.
update() {
  local code=0 started=$(date +%s%N)
  # Through a file, not a pipe: a zor2 started again by the update would hold a pipe open.
  wine "$winapp\\Updexe.exe" /zor2 /silent >"$work/said.txt" 2>/dev/null || code=$?
  said=$(tr -d '\r' < "$work/said.txt")
  echo "  Updexe: $(tr '\n' ' ' <<< "$said")(exit $code, $(( ($(date +%s%N) - started) / 1000000 )) ms)"
  [ "$code" = "$1" ] || fail "Updexe ended with $code, expected $1"
}
# The development key the build made; Updexe.exe trusts its public half.
key="$bin/../update-key/private.pem"
[ -f "$key" ] || fail "no update key at $key"
# package VERSION FILE... : the given files of the package folder, listed and signed by the
# developer's tool.
package() {
  local version=$1 f files=()
  shift
  for f in "$@"; do files+=("$package/$f"); done
  "$repo/tools/zorpack/zorpack.sh" -k "$key" -v "$version" -o "$package" "${files[@]}" >/dev/null
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
expect "the uninstall entry's version after the update" "$(listed_version)" 2.1
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

# The checksums travel with the files: without the signature of the key built in, nothing is
# applied, be the package unsigned or signed by another key.
for f in Zor2Svr.exe res.dll; do { cat "$bin/$f"; printf 'V2.2'; } > "$package/$f"; done
package 2.2 Zor2Svr.exe res.dll
rm "$package/manifest.sig"
update 12
grep -q "not signed by Zorwise" <<< "$said" || fail "an unsigned package was not refused"
openssl genrsa -out "$work/other.pem" 2048 2>/dev/null
"$repo/tools/zorpack/zorpack.sh" -k "$work/other.pem" -v 2.2 -o "$package" "$package/Zor2Svr.exe" "$package/res.dll" >/dev/null
update 12
[ "$(sums)" = "$before" ] || fail "files changed by a package without the right signature"
[ "$(version)" = 2.1 ] || fail "the version changed to $(version)"
ok "unsigned packages and packages signed with another key are refused and nothing changes"

# A package folder any user may change is refused, however well signed its package.
package 2.2 Zor2Svr.exe res.dll
chmod 777 "$package"
update 13
grep -q "can change the update folder" <<< "$said" || fail "an open package folder was not refused"
chmod 755 "$package"
[ "$(sums)" = "$before" ] || fail "files changed from an open package folder"
ok "a package folder open to every user is refused and nothing changes"

# Only the files the installer ships: a package naming the board maker's library or a device name
# is refused whole, whatever its checksums say.
before=$(sums)
maker=$(sha256sum < "$app/hwk.dll")
for planted in hwk.dll nul.dll; do
  rm -f "$package"/*.dll
  { cat "$bin/res.dll"; printf 'V2.2'; } > "$package/res.dll"
  { cat "$bin/hwk.dll"; printf 'PLANTED'; } > "$package/$planted"
  package 2.2 res.dll "$planted"
  update 3
  grep -q "manifest is not valid" <<< "$said" || fail "a package naming $planted was not refused"
  [ "$(sha256sum < "$app/hwk.dll")" = "$maker" ] || fail "hwk.dll was replaced"
  [ ! -e "$app/nul.dll" ] || fail "nul.dll was written"
  [ "$(sums)" = "$before" ] || fail "files changed by a package naming $planted"
done
rm -f "$package"/*.dll
ok "packages naming hwk.dll or nul.dll are refused and nothing changes"

# A power cut after the update put two of its three files in place: each new file was written
# beside the old one and each old one copied, and the journal says so. The service's next start
# finishes the update before it loads anything.
stop_service
files="Zor2Svr.exe res.dll Updexe.exe"
for f in $files; do
  { cat "$bin/$f"; printf 'V2.4'; } > "$work/$f.2.4"
  cp "$app/$f" "$app/$f.old"
done
{ printf 'Zorwise update journal\r\nVersion: 2.4\r\nState: commit\r\n'
  for f in $files; do
    printf '%s %s %s\r\n' "$(sha256sum < "$work/$f.2.4" | cut -d' ' -f1)" "$(sha256sum < "$app/$f" | cut -d' ' -f1)" "$f"
  done; } > "$app/Update.journal"
cp "$work/Zor2Svr.exe.2.4" "$app/Zor2Svr.exe"
cp "$work/res.dll.2.4" "$app/res.dll"
cp "$work/Updexe.exe.2.4" "$app/Updexe.exe.new"
start_service
wait_for 30 test ! -e "$app/Update.journal" || fail "the service's start left the journal"
for f in $files; do cmp -s "$app/$f" "$work/$f.2.4" || fail "$f is not the new one"; done
[ "$(version)" = 2.4 ] || fail "INFO.DAT holds version $(version)"
expect "the uninstall entry's version after the service finished the update" "$(listed_version)" 2.4
leftovers=$(cd "$app" && ls | grep -E '\.(old|new|del)$' || true)
[ -z "$leftovers" ] || fail "left behind: $leftovers"
wait_for 10 grep -q "Interrupted update to 2.4 finished" "$app/Satae.log" || fail "the service's log does not say it"
[ "$(service_state)" = RUNNING ] || fail "the service does not run (state $(service_state))"
ok "an update cut short by a power cut is finished by the service's next start"

# Updexe killed in the middle of an update, wherever that falls: the next Updexe finishes it or
# puts every old file back, and says which.
for f in Zor2Svr.exe res.dll Updexe.exe; do { cat "$bin/$f"; printf 'V2.5'; } > "$package/$f"; done
package 2.5 Zor2Svr.exe res.dll Updexe.exe
old_sums=$(sums)
wine "$winapp\\Updexe.exe" /zor2 /silent >/dev/null 2>&1 &
updexe=$!
# A fast machine may finish the whole update between two looks for its journal.
journal_or_ended() { [ -e "$app/Update.journal" ] || ! kill -0 "$updexe" 2>/dev/null; }
wait_for 60 journal_or_ended || fail "the update neither wrote a journal nor ended"
killed=$(wine_pid 'Updexe.exe') && kill -9 "$killed" 2>/dev/null || true
wait
if [ -e "$app/Update.journal" ]; then
  code=0
  wine "$winapp\\Updexe.exe" /zor2 /silent >"$work/said.txt" 2>/dev/null || code=$?
  said=$(tr -d '\r' < "$work/said.txt")
  echo "  Updexe after the kill: $(tr '\n' ' ' <<< "$said")(exit $code)"
  case "$code" in
    9) [ "$(version)" = 2.5 ] && for f in Zor2Svr.exe res.dll Updexe.exe; do cmp -s "$app/$f" "$package/$f" || fail "$f is not new after 'finished'"; done ;;
    10) [ "$(sums)" = "$old_sums" ] && [ "$(version)" = 2.4 ] || fail "not every old file is back after 'undone'" ;;
    *) fail "Updexe ended with $code after an interrupted update" ;;
  esac
  ok "Updexe killed half-way: the next Updexe reports and leaves the release whole (exit $code)"
else
  [ "$(version)" = 2.5 ] || fail "Updexe ended without a journal and without the update (version $(version))"
  echo "  (the update had finished before the kill)"
fi
[ ! -e "$app/Update.journal" ] || fail "the journal is still there"
expect "the uninstall entry's version once the update to 2.5 is finished or undone" "$(listed_version)" "$(version)"
[ "$(service_state)" = RUNNING ] || start_service

# The notice below shows a refused package.
for f in Zor2Svr.exe res.dll; do { cat "$bin/$f"; printf 'V2.9'; } > "$package/$f"; done
package 2.9 Zor2Svr.exe res.dll
printf 'X' >> "$package/res.dll"

# Started by the Update button (no /silent): the product's notice box, closed with its OK button.
if [ -n "${DISPLAY:-}" ]; then
  wine "$winapp\\Updexe.exe" /zor2 >/dev/null 2>&1 &
  pid=$!
  geometry=""
  for _ in $(seq 1 120); do
    for id in $(xdotool search --onlyvisible --class updexe 2>/dev/null); do
      window_at "$id" || continue
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
      window_at "$id" || continue
      [ "$WIDTH" -gt 400 ] && return 0
    done
    return 1
  }
  (cd "$app" && exec wine ./zor2.exe >/dev/null 2>&1) &
  wait_for 60 zor2_window || fail "zor2's window did not open"
  first=$(wine_pid 'zor2.exe') || fail "no zor2 process"
  sleep 3
  [ "$(ini_value "$app/INFO.DAT" INFO PV)" != 1 ] || fail "PV is 1 before the update"
  for f in Zor2Svr.exe res.dll; do { cat "$bin/$f"; printf 'V3.0'; } > "$package/$f"; done
  # zor2.exe as a 3.0 build: its version resource's fixed file version says 3.0.
  python3 - "$bin/zor2.exe" "$package/zor2.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
# VS_FIXEDFILEINFO: its signature and structure version, then the file version's high word.
at = data.find(struct.pack('<II', 0xFEEF04BD, 0x00010000))
assert at >= 0, 'zor2.exe has no version resource'
data[at + 8:at + 12] = struct.pack('<I', 3 << 16)
open(sys.argv[2], 'wb').write(data)
PY
  package 3.0 Zor2Svr.exe res.dll zor2.exe
  update 1
  grep -q "The service and the program were started again" <<< "$said" || fail "the restart of both was not reported"
  ! pid_running "$first" || fail "the first zor2 still runs"
  [ "$(ini_value "$app/INFO.DAT" INFO PV)" = 1 ] || fail "zor2 did not close as asked (PV '$(ini_value "$app/INFO.DAT" INFO PV)')"
  wait_for 60 zor2_window || fail "zor2 was not started again"
  second=$(wine_pid 'zor2.exe') || fail "no zor2 process after the update"
  [ "$second" != "$first" ] || fail "still the first zor2"
  titled() { xdotool search --onlyvisible --name "^ZOR 3\.0 B10\.1022\.1$" >/dev/null 2>&1; }
  wait_for 20 titled || fail "the title does not name version 3.0: $(xdotool search --onlyvisible --name '^ZOR ' getwindowname 2>/dev/null | head -1)"
  expect "the uninstall entry's version after the update to 3.0" "$(listed_version)" 3.0
  ok "a running zor2 closes when asked, parks the user's power settings, and runs again after the update"
fi
echo "PASS"
