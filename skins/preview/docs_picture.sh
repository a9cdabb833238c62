#!/usr/bin/env bash
# Makes the README picture: the main window (saving on), the advanced dialog and a message box,
# composed from a generated skin folder as the programs draw them.
#   docs_picture.sh GENERATED_DIR OUT.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gen=$1
out=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/compose_main.sh" "$gen/ENG" "$tmp/main.png"
"$here/compose_advanced.sh" "$gen/AdvEng" "$gen/program" "$tmp/adv.png"
# The message box of id 10, its Yes button under the pointer.
convert "$gen/res/MSG_8.bmp" "$gen/res/MSG_YES_O.bmp" -geometry +290+20 -composite \
    "$gen/res/MSG_NO_N.bmp" -geometry +380+20 -composite "$tmp/msg.png"
for f in main adv msg; do
    # Window shapes: magenta is what the system leaves out; add a soft shadow like a desktop would.
    convert "$tmp/$f.png" -transparent magenta \( +clone -background black -shadow 60x6+0+4 \) \
        +swap -background none -layers merge +repage "$tmp/$f-s.png"
done
convert -size 1250x600 gradient:'#3b4656-#1d232b' \
    "$tmp/main-s.png" -geometry +18+16 -composite \
    "$tmp/adv-s.png" -geometry +622+16 -composite \
    "$tmp/msg-s.png" -geometry +692+440 -composite \
    -resize 72% -colors 255 -strip "PNG8:$out"
