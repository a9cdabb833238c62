#!/usr/bin/env bash
# Lays out every picture of one generated module with its name, on grey so magenta stands out:
#   contact_sheet.sh MODULE_DIR OUT.png [min-size]
# Backgrounds (anything wider than 300 pixels) are left out unless min-size is 0.
set -euo pipefail
dir=$1
out=$2
files=()
for f in "$dir"/*.bmp; do
    w=$(identify -format %w "$f")
    [ "${3:-1}" = 0 ] || [ "$w" -le 300 ] && files+=("$f")
done
montage -background '#5a5f66' -fill white -pointsize 9 -label '%t' "${files[@]}" \
    -geometry '+6+6>' -tile 10x "$out"
