#!/usr/bin/env bash
# The INFO.DAT store against the platform's own profile functions, under Wine: the same reads and
# writes over a corpus of awkward files must give the same results (store_diff), and two processes
# writing through the store at once must lose nothing (store_hammer: 715 rounds each, every round a
# write and six reads, 10,010 operations in all).
# Usage: store_differential.sh BIN_DIR
set -euo pipefail

bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=/dev/null
source "$root/tests/e2e/e2e_lib.sh"

work=$(cd "$bin/.." && pwd)/e2e-store
prefix="$work/prefix"
rm -rf "$work"
mkdir -p "$work/files"
zor_new_prefix "$prefix"
export WINEPREFIX="$prefix"
zor_wine_session

echo "== differential: platform profile functions vs store"
wine "$bin/store_diff.exe" "Z:$here/store_corpus" "Z:$work/files"

echo "== two writers at once"
info="Z:$work/files/INFO.DAT"
rounds=715
wine "$bin/store_hammer.exe" "$info" G S "$rounds" &
first=$!
wine "$bin/store_hammer.exe" "$info" S G "$rounds" &
second=$!
status=0
wait "$first" || status=1
wait "$second" || status=1
wine "$bin/store_hammer.exe" "$info" check GS "$rounds" || status=1
leftovers=$(find "$work/files" -name '*.tmp' | wc -l)
if [ "$leftovers" -ne 0 ]; then
  echo "temporary files left behind: $leftovers"
  status=1
fi
[ "$status" -eq 0 ] || fail "the store and the profile functions differ, or the two writers lost a write"
echo "store e2e: ok"
