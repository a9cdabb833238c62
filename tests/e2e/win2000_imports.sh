#!/bin/bash
# The 32-bit release target loads on Windows 2000: no program or DLL in the build's bin folder may
# import a function that Windows 2000 lacks. The functions are listed in winapi/*.tsv (dll, name,
# first version); newer_than_2000.tsv is the project's shared list, newer_than_2000_more.tsv the
# further ones found here.
# Usage: win2000_imports.sh BIN_DIR (the i686 Windows build's bin folder)
set -euo pipefail

bin="$1"
lists=("$(dirname "$0")"/winapi/*.tsv)
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "FAIL: no $objdump" >&2; exit 1; }

# "dll<TAB>function" in lower case, one per line, of every listed function.
banned=$(grep -hv '^#' "${lists[@]}" | awk -F'\t' 'NF >= 2 { print tolower($1) "\t" tolower($2) }' |
         sort -u)
[ -n "$banned" ] || { echo "FAIL: no functions listed in ${lists[*]}" >&2; exit 1; }

status=0
checked=0
shopt -s nullglob nocaseglob
for file in "$bin"/*.exe "$bin"/*.dll; do
  "$objdump" -f "$file" | grep -q 'file format pei-i386' || continue
  checked=$((checked + 1))
  # The import table: a "DLL Name:" line, then one "<vma> <hint> <name>" line per function.
  imports=$("$objdump" -p "$file" |
            awk -F'\t' '/^\tDLL Name: / { dll = tolower(substr($2, 11)); next }
                        dll != "" && NF >= 3 && $2 !~ /^vma:/ {
                          split($3, parts, " +"); name = parts[length(parts)]
                          if (name != "") print dll "\t" tolower(name) }
                        /^$/ { dll = "" }' | sort -u)
  found=$(comm -12 <(echo "$banned") <(echo "$imports"))
  if [ -n "$found" ]; then
    echo "FAIL: $(basename "$file") imports what Windows 2000 lacks: $(tr '\t\n' '! ' <<<"$found")" >&2
    status=1
  else
    echo "ok: $(basename "$file") ($(grep -c . <<<"$imports" || true) imports)"
  fi
done
[ $checked -gt 0 ] || { echo "FAIL: no 32-bit programs or DLLs in $bin" >&2; exit 1; }
[ $status -eq 0 ] && echo "PASS: $checked files"
exit $status
