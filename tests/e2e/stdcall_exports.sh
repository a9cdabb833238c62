#!/bin/bash
# A 32-bit caller binds the DLLs' entry points as __stdcall: the entry point itself removes its
# arguments from the stack ("ret $N"). One that leaves them (cdecl) would unbalance the stack of
# every program that calls a maker's library, or of a maker's program that calls ours.
# Usage: stdcall_exports.sh BIN_DIR DLL NAME:ARGUMENT_BYTES... (BIN_DIR: the 32-bit build's bin)
set -euo pipefail

dll="$1/$2"
shift 2
[ -f "$dll" ] || { echo "FAIL: no $dll" >&2; exit 1; }
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "FAIL: no $objdump" >&2; exit 1; }

headers=$("$objdump" -p "$dll")
base=$(awk '/^ImageBase/ { print $2 }' <<<"$headers")
# "ordinal rva" of each export, and "ordinal name".
addresses=$(sed -n '/Export Address Table -- /,/^$/p' <<<"$headers" | grep 'Export RVA' |
            sed 's/[][+]/ /g' | awk '{ print $1, $4 }')
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
        sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p')
status=0
for entry in "$@"; do
  name=${entry%%:*} bytes=${entry#*:}
  ordinal=$(awk -v n="$name" '$2 == n { print $1 }' <<<"$names")
  rva=$(awk -v o="$ordinal" '$1 == o { print $2 }' <<<"$addresses")
  if [ -z "$ordinal" ] || [ -z "$rva" ]; then
    echo "FAIL: $name is not exported" >&2; status=1; continue
  fi
  start=$((0x$base + 0x$rva))
  # The entry point's first return.
  ret=$("$objdump" -d --start-address=$start --stop-address=$((start + 4096)) "$dll" |
        grep -m1 -E '[[:space:]]ret[[:space:]]*(\$0x[0-9a-f]+)?[[:space:]]*$' |
        sed 's/.*[[:space:]]ret[[:space:]]*//; s/[[:space:]]*$//' || true)  # grep -m1 ends objdump early
  want=$([ "$bytes" -eq 0 ] && echo "" || printf '$0x%x' "$bytes")
  if [ "$ret" = "$want" ]; then
    echo "ok: $name returns with 'ret $want'"
  else
    echo "FAIL: $name returns with 'ret $ret', wanted 'ret $want' (__stdcall, $bytes bytes of arguments)" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "PASS"
exit $status
