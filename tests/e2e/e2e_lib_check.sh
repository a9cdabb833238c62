#!/bin/bash
# The Wine tests' library on its own (no Wine needed): how a test ends, the exit hooks, the INI
# reader, the watchdog of a hung test. A test that stops on a failed command must say which and
# where, never end in silence.
# Usage: e2e_lib_check.sh
set -euo pipefail
lib=$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
bad() { echo "FAIL: $*"; status=1; }

# script NAME BODY: a test script that sources the library, then BODY.
script() { printf 'set -euo pipefail\nsource "%s"\n%s\n' "$lib" "$2" > "$work/$1.sh"; }
# ends NAME STATUS TEXT...: NAME ends with STATUS, and its output holds each TEXT.
ends() {
  local name=$1 wanted=$2 got=0 text
  bash "$work/$name.sh" > "$work/$name.out" 2>&1 || got=$?
  [ "$got" = "$wanted" ] || bad "$name: status $got, wanted $wanted: $(cat "$work/$name.out")"
  for text in "${@:3}"; do
    grep -qF -- "$text" "$work/$name.out" || bad "$name: no '$text' in: $(cat "$work/$name.out")"
  done
  [ "$status" != 0 ] || echo "ok: $name"
}

script silent 'failure_details() { echo "details"; }
probe() { grep -q absent /dev/null; }
probe
echo "not reached"'
ends silent 1 "FAIL: ended early with status 1 at silent.sh:4 (probe): grep -q absent /dev/null" details
grep -q "not reached" "$work/silent.out" && bad "silent: ran on after the failed command"

script conditions 'probe() { false; }
if probe; then :; fi
probe || true
! probe
echo "ran through"'
ends conditions 0 "ran through"
grep -q FAIL "$work/conditions.out" && bad "conditions: a failure tested by the script was reported"

script soft 'soft_fail "first"
soft_expect "second" 1 2
soft_expect "third" 3 3
echo "went on"'
ends soft 1 "FAIL: first" "FAIL: second: got '1', wanted '2'" "ok: third = 3" "went on" "2 check(s) failed"

script summary 'soft_fail "one"
soft_summary "pictures in X"
echo "not reached"'
ends summary 1 "1 check(s) failed; pictures in X"

script nested 'failure_details() { echo "details"; }
value=$(fail "inside")
echo "not reached $value"'
ends nested 1 "FAIL: inside" "value=\$(fail \"inside\")"
[ "$(grep -c details "$work/nested.out")" = 1 ] || bad "nested: the details not shown once"

script hooks 'at_exit "echo first-registered"
at_exit "echo last-registered"
fail "stop"'
ends hooks 1 "FAIL: stop"
[ "$(grep registered "$work/hooks.out" | tr '\n' ' ')" = "last-registered first-registered " ] ||
  bad "hooks: not run latest first: $(cat "$work/hooks.out")"

printf '[Info]\r\nPV=1\r\n[VALUE]\r\nTotal=5\r\nNote=a=b\r\n[Other]\r\nTotal=9\r\n' > "$work/INFO.DAT"
script ini "f=$work/INFO.DAT"'
for case in "VALUE Total 5" "value TOTAL 5" "Other total 9" "INFO pv 1" "VALUE Note a=b" "VALUE PV -" "Missing Total -"; do
  set -- $case
  got=$(ini_value "$f" "$1" "$2"); echo "$1 $2 ${got:--}"
done
echo "keys $(ini_keys "$f" value)"
echo "nofile $(ini_value "$f.none" VALUE Total)-"'
ends ini 0 "VALUE Total 5" "value TOTAL 5" "Other total 9" "INFO pv 1" "VALUE Note a=b" "VALUE PV -" \
  "Missing Total -" "keys Total Note " "nofile -"

# A window that is gone by the time it is looked at: window_at says so, and its caller goes on.
mkdir -p "$work/bin"
printf '#!/bin/sh\n[ "$3" = 7 ] && { echo WINDOW=7; echo X=10; echo Y=20; echo WIDTH=30; echo HEIGHT=40; exit 0; }\necho "X Error of failed request: BadWindow" >&2\nexit 1\n' > "$work/bin/xdotool"
chmod +x "$work/bin/xdotool"
script windows "PATH=$work/bin:\$PATH"'
place() { local WINDOW X Y WIDTH HEIGHT SCREEN; window_at "$1" || { echo "$1 gone"; return 0; }; echo "$1 at $X,$Y ${WIDTH}x$HEIGHT"; }
place 7
place 8'
ends windows 0 "7 at 10,20 30x40" "8 gone"

# The watchdog is none of the test's jobs: a plain wait returns when the test's own jobs have ended.
script waits 'sleep 0.2 &
wait
echo "waited"'
ZOR_TEST_PATIENCE=30 timeout 10 bash "$work/waits.sh" > "$work/waits.out" 2>&1 || bad "waits: a plain wait waited for the watchdog"
grep -q waited "$work/waits.out" && echo "ok: waits"

# A test that hangs: with ZOR_TEST_PATIENCE set, the hung command is named and ended, and the test fails.
script hangs 'failure_details() { echo "details"; }
sleep 17
echo "not reached"'
ZOR_TEST_PATIENCE=1 ends hangs 143 "FAIL: still running after 1 s" "sleep 17" \
  "FAIL: ended early with status 143 at hangs.sh:4 (main): sleep 17" details

exit "$status"
