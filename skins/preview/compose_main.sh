#!/usr/bin/env bash
# Composes a main-window skin the way the program draws it (saving on, meter mode, level L2) so the
# layout can be checked by eye: compose_main.sh SKIN_DIR OUT.png [total]
set -euo pipefail
d=$1
out=$2
mode=${3:-meter}
args=("$d/Main_on.bmp")
put() { args+=("$d/$1.bmp" -geometry "+$2+$3" -composite); }

# Power button through its mask (white = transparent).
args+=("$d/ON_NB.bmp" -geometry +403+45 \( "$d/ON_NW.bmp" -negate \) -composite)
put CLOSE_N 444 7; put MINI_N 483 7; put HELP_N 518 7; put UPDATE_O 529 480
put L1_N 44 501; put L2_DIS 84 501; put L3_N 123 501; put L4_O 162 501
put LED_ON 533 440; put P3D_ON_N 246 "${P3D_Y:-486}"  # 482 for the Chinese skins
put BAR_0 48 391
for i in 1 2 3 4; do put "BAR_$i" $((48 + (i - 1) * 79)) 391; done

strip() {  # font text x y
    local font=$1 text=$2 x=$3 y=$4 i ch
    for ((i = 0; i < ${#text}; i++)); do
        ch=${text:i:1}
        if [ "$ch" = . ]; then put "${font}_10" $((x - 4)) $((y + 27)); else put "${font}_$ch" "$x" "$y"; x=$((x + 25)); fi
    done
}
if [ "$mode" = meter ]; then
    put PSN_11 162 65; put METER_DIS 214 161; put TOTAL_N 260 161; put RESET_N 301 155
    strip PSN 12.500 246 84
    put TOTAL_0 174 130; put TOTAL_1 186 130; put TOTAL_0 220 130; put TOTAL_1 232 130
    put TOTAL_0 273 130; put TOTAL_1 285 130
else
    put TOTALNUM_11 162 65; put TOTAL_DIS 260 161; put METER_N 214 161; put RESET_X 301 155
    strip TOTALNUM 48213.907 171 84
    for p in "0 187" "9 199" "10 212" "0 218" "5 230" "10 243" "0 248" "7 260" "11 272" "1 289" "12 301" \
             "3 321" "12 333" "2 341" "0 353" "2 365" "6 377"; do
        set -- $p; put "SINCE_$1" "$2" 130
    done
fi
strip CPU_ON 95.00 58 108
frames=(1 2 3 4 1 2 3 4 1 2 3 4)
for i in $(seq 0 11); do
    k=0; [ "$i" -lt 8 ] && k=${frames[$i]}
    put "PST_$k" $((55 + 38 * i)) 228
done
convert "${args[@]}" "$out"
