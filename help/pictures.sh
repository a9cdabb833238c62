#!/usr/bin/env bash
# Renders the help file's pictures from the generated skins, as the programs draw the windows:
#   pictures.sh GENERATED_DIR OUT_DIR
set -euo pipefail
preview=$(cd "$(dirname "$0")/../skins/preview" && pwd)
gen=$1
out=$2
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Magenta is what the system leaves out of a window's shape.
shape() { convert "$1" -transparent magenta -strip "PNG32:$2"; }

"$preview/compose_main.sh" "$gen/ENG" "$tmp/meter.png" meter
"$preview/compose_main.sh" "$gen/ENG" "$tmp/total.png" total
"$preview/compose_advanced.sh" "$gen/AdvEng" "$gen/program" "$tmp/advanced.png"
shape "$tmp/meter.png" "$out/main_meter.png"
shape "$tmp/total.png" "$out/main_total.png"
shape "$tmp/advanced.png" "$out/advanced.png"
# The companion's tooltip and menu, as its Wine test photographed them.
cp "$(dirname "$0")/../docs/companion-tooltip.png" "$out/companion_tooltip.png"
cp "$(dirname "$0")/../docs/companion-menu.png" "$out/companion_menu.png"

# Saving off: the OFF button through its mask, every selector but LED greyed, the bar empty.
e=$gen/ENG
off=("$e/Main_off.bmp" "$e/OFF_nb.bmp" -geometry +403+45 \( "$e/OFF_NW.bmp" -negate \) -composite)
put() { off+=("$e/$1.bmp" -geometry "+$2+$3" -composite); }
put CLOSE_N 444 7; put MINI_N 483 7; put HELP_N 518 7; put UPDATE_N 529 480; put RESET_X 301 155
put METER_DIS 214 161; put TOTAL_DIS 260 161
put L1_DIS 44 501; put L2_DIS 84 501; put L3_DIS 123 501; put L4_DIS 162 501
put LED_OFF 533 440; put P3D_OFF_N 246 486; put BAR_0 48 391
convert "${off[@]}" "$tmp/off.png"
shape "$tmp/off.png" "$out/main_off.png"

# Message boxes: picture, buttons, and the text the program writes over ids 8 and 9.
r=$gen/res
ok=("$r/MSG_OK_N.bmp" -geometry +380+20 -composite)
yesno=("$r/MSG_YES_N.bmp" -geometry +290+20 -composite "$r/MSG_NO_N.bmp" -geometry +380+20 -composite)
text() {  # x y line, top-left of the line as the program places it
    printf -- '-fill\nblack\n-font\nDejaVu-Sans\n-pointsize\n12\n-annotate\n+%d+%d\n%s\n' "$1" "$(($2 + 12))" "$3"
}
message() {  # out background buttons... [-- text lines as x y line]
    local name=$1 bg=$2; shift 2
    local args=("$r/$bg.bmp")
    while [ $# -gt 0 ]; do
        case $1 in
            ok) args+=("${ok[@]}") ;;
            yesno) args+=("${yesno[@]}") ;;
            *) mapfile -t lines < <(text $1 $2 "$3"); args+=("${lines[@]}"); shift 2 ;;
        esac
        shift
    done
    convert "${args[@]}" "$tmp/$name.png"
    shape "$tmp/$name.png" "$out/$name.png"
}
message msg_1 MSG_1 ok
message msg_8 MSG_6 ok 20 24 "This motherboard/CPU doesn't support the" 20 42 "Zorwise function."
message msg_9 MSG_6 ok 20 15 "To make the maximum efficiency of " 20 33 "Zorwise,Please go to CMOS setup and " \
    20 51 "enable the EIST and C1E items."
message msg_10 MSG_8 yesno
message msg_11 MSG_9 ok
message msg_12 MSG_12 yesno
