#!/usr/bin/env bash
# Composes an advanced-dialog skin as the program draws it (level L2, a reduction of 15, some
# options on, both time-out lists closed) to check the layout by eye:
#   compose_advanced.sh ADV_SKIN_DIR PROGRAM_BITMAP_DIR OUT.png [Main|Main_X58|Main_P55|MAIN_P67]
set -euo pipefail
d=$1
p=$2
out=$3
bg=${4:-Main}
args=("$d/$bg.bmp")
put() { args+=("$d/$1.bmp" -geometry "+$2+$3" -composite); }
thumb() { args+=(\( "$p/bitmap_130.bmp" -transparent magenta \) -geometry "+$1+$2" -composite); }
combo() {  # x y text
    args+=("$p/bitmap_133.bmp" -geometry "+$1+$2" -composite)
    args+=(\( "$p/bitmap_132.bmp" -resize "106x21!" \) -geometry "+$(($1 + 4))+$2" -composite)
    args+=("$p/bitmap_134.bmp" -geometry "+$(($1 + 110))+$2" -composite)
    args+=(-fill white -draw "rectangle $(($1 + 3)),$(($2 + 3)) $(($1 + 108)),$(($2 + 17))")
    args+=(-fill black -font DejaVu-Sans -pointsize 11 -annotate "+$(($1 + 9))+$(($2 + 15))" "$3")
}
if [ "$bg" = MAIN_P67 ]; then
    lv=119; push=303
    put RDO_On 209 72; put RDO_On 446 72; put RDO_Off 275 72; put RDO_On 274 152; put RDO_Off 126 232; put RDO_On 445 232
    combo 132 164 "10 Mins"; combo 450 164 "Never"
else
    lv=297; push=346
    put L_N 114 85; put R_O 254 85; put L_N 376 245; put R_N 516 245
    thumb $((136 + 59 - 19)) 84; thumb $((398 + 59 - 19)) 243
    put BBar 170 110; put BBar 439 267
    args+=(-fill '#BCBEC1' -font DejaVu-Sans -pointsize 12 -annotate +172+124 "-15 %" -annotate +441+281 "-15 %")
    put RDO_On 130 152; put RDO_Off 210 152; put RDO_On 538 152; put RDO_On 538 232; put RDO_Off 130 312
    put RDO_On 387 72; put RDO_Off 463 72; put RDO_On 538 72
    combo 398 164 "10 Mins"; combo 134 244 "Never"
fi
put LV1_N "$lv" 73; put LV2_dis "$lv" 89; put LV3_O "$lv" 106
put SAVE_O 378 "$push"; put QUIT_N 482 "$push"
convert "${args[@]}" "$out"
