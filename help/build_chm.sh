#!/usr/bin/env bash
# Stages the help sources with their pictures and compiles zor2_eng.chm:
#   build_chm.sh GENERATED_SKINS_DIR STAGE_DIR OUT.chm
# Fails when the compiler reports a file or anchor it could not find.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gen=$1
stage=$2
out=$3
rm -rf "$stage"
mkdir -p "$stage"
cp "$here"/html/* "$stage/"
"$here/pictures.sh" "$gen" "$stage"
(cd "$stage" && chmcmd zor2_eng.hhp) > "$stage/chmcmd.log" 2>&1
if grep -E "^Error|couldn't find" "$stage/chmcmd.log"; then
  echo "zor2_eng.chm: the compiler could not resolve the lines above" >&2
  exit 1
fi
# The file's directory names every page and picture it holds.
chm="$stage/zor2_eng.chm"
[ "$(head -c 4 "$chm")" = ITSF ] || { echo "zor2_eng.chm: not a compiled help file" >&2; exit 1; }
for f in "$here"/html/*.html "$here"/html/*.css "$stage"/*.png; do
  grep -qa "/$(basename "$f")" "$chm" || { echo "zor2_eng.chm: $(basename "$f") is missing" >&2; exit 1; }
done
cp "$chm" "$out"
