#!/bin/bash
# Every entry point the programs bind from a DLL is exported under its plain name (no _name@N
# decoration), as the programs look them up by plain name.
# Usage: dll_exports.sh BIN_DIR DLL NAME... (BIN_DIR: a Windows build's bin folder)
set -euo pipefail

dll="$1/$2"
shift 2
[ -f "$dll" ] || { echo "FAIL: no $dll" >&2; exit 1; }

objdump=""
for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
  if command -v "$tool" >/dev/null; then objdump=$tool; break; fi
done
[ -n "$objdump" ] || { echo "FAIL: no objdump" >&2; exit 1; }

exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
status=0
for name in "$@"; do
  if grep -qx "$name" <<<"$exports"; then
    echo "ok: $name"
  else
    echo "FAIL: $name is not exported by its plain name" >&2
    status=1
  fi
done
if grep -q '@' <<<"$exports"; then
  echo "FAIL: decorated names exported: $(grep '@' <<<"$exports" | tr '\n' ' ')" >&2
  status=1
fi
[ $status -eq 0 ] && echo "PASS"
exit $status
