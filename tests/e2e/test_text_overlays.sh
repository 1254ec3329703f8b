# F1 shows the help screen (mostly black, with text) and F1 or Esc brings the picture
# back exactly; S takes the status strip's dark band away and brings it back.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 800x600
# A grey plasma with an interval so long that the palette never turns: a still picture
# whose only pure black pixels are in the darkened strip.
e2e_start_huemix --mode 1 --palette gray --speed 1000000000
e2e_wait_window

base="$(e2e_wait_still base 15)" || e2e_fail "the picture does not settle"
[ "$(e2e_black_fraction "$base")" -lt 100 ] || e2e_fail "the plasma is mostly black"

# The strip: 11 x 2 rows at the bottom (text scale 2 at this height).
band_top=$((600 - 22))
base_band_mean="$(e2e_row_means "$(e2e_crop "$base" 0 "$band_top" 800 22 base-band)" | awk '{s+=$1} END {print int(s/NR)}')"
base_above_mean="$(e2e_row_means "$(e2e_crop "$base" 0 0 800 "$band_top" base-above)" | awk '{s+=$1} END {print int(s/NR)}')"
[ $((base_band_mean * 4)) -lt $((base_above_mean * 3)) ] || e2e_fail "no dark status band ($base_band_mean vs $base_above_mean)"

check_help_shown() {
    local help
    help="$(e2e_wait_still "$1" 10)" || e2e_fail "the help screen does not settle"
    local black
    black="$(e2e_black_fraction "$help")"
    [ "$black" -gt 700 ] || e2e_fail "$1: help screen not mostly black ($black per mille)"
    [ "$black" -lt 995 ] || e2e_fail "$1: help screen has no text"
}

check_picture_back() {
    local back
    back="$(e2e_wait_still "$1" 10)" || e2e_fail "the picture does not settle after $1"
    e2e_check "$1: the picture did not come back exactly" e2e_same "$base" "$back"
}

e2e_key F1
check_help_shown help-f1
e2e_key F1
check_picture_back closed-by-f1

e2e_key F1
check_help_shown help-again
e2e_key Escape
check_picture_back closed-by-escape

# S: the band shows the bare picture; everything above it stays as it was.
e2e_key s
nostrip="$(e2e_wait_still no-strip 10)" || e2e_fail "the picture does not settle after S"
e2e_check "S changed the picture above the band" \
    e2e_same "$(e2e_crop "$base" 0 0 800 "$band_top" above-before)" "$(e2e_crop "$nostrip" 0 0 800 "$band_top" above-after)"
band_mean="$(e2e_row_means "$(e2e_crop "$nostrip" 0 "$band_top" 800 22 band-after)" | awk '{s+=$1} END {print int(s/NR)}')"
[ $((band_mean * 2)) -gt $((base_band_mean * 3)) ] || e2e_fail "S left the band dark ($band_mean vs $base_band_mean)"

e2e_key s
check_picture_back strip-again
e2e_pass
