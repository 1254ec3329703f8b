# --windowed: a framed 1280 x 800 window at 50, 50 showing the whole 1920 x 1080 picture
# with black bars above and below; F11 goes to full screen and back.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 1920x1080
# A light preset, so that no part of the picture itself is black.
e2e_start_huemix --windowed --mode 1 --palette PASTEL
e2e_wait_window

[ "$(e2e_window_geometry)" = "50 50 1280 800" ] || e2e_fail "framed window is $(e2e_window_geometry)"

# Runs of black and non-black rows through the middle of the window, frame excluded at
# the sides: caption, bar, picture, bar, bottom edge.
window="$(e2e_crop "$(e2e_capture windowed)" 60 50 1260 800 window)"
runs="$(e2e_row_means "$window" | awk '
    { black = ($1 == 0) }
    NR == 1 || black != last { if (NR > 1) printf "%s%d ", (last ? "b" : "p"), n; n = 0 }
    { n++; last = black }
    END { printf "%s%d\n", (last ? "b" : "p"), n }')"
read -r caption top picture bottom edge extra <<<"$runs"
[ -z "${extra:-}" ] && [ "${top:0:1}" = b ] && [ "${picture:0:1}" = p ] && [ "${bottom:0:1}" = b ] \
    || e2e_fail "no picture between two black bars: rows $runs"
top=${top#b} picture=${picture#p} bottom=${bottom#b}
[ "$top" -ge 10 ] && [ $((bottom - top)) -ge 0 ] && [ $((bottom - top)) -le 1 ] \
    || e2e_fail "the bars are not even: rows $runs"
# The picture spans the client width (the window less its two side edges) at 16:9.
[ "$picture" -ge 700 ] && [ "$picture" -le 720 ] || e2e_fail "the picture is $picture rows high: rows $runs"

e2e_key F11
e2e_wait_geometry "0 0 1920 1080" || e2e_fail "F11 gives $(e2e_window_geometry), not full screen"
# The 1920 x 1080 picture fills the 1920 x 1080 screen: not one black row is left.
no_black_rows() { [ "$(e2e_row_means "$(e2e_capture full)" | grep -c '^0$')" -eq 0 ]; }
e2e_wait_for 5 no_black_rows || e2e_fail "full screen still shows black bars"

e2e_key F11
e2e_wait_geometry "50 50 1280 800" || e2e_fail "F11 again gives $(e2e_window_geometry)"
e2e_key q
e2e_wait_exit || e2e_fail "Q does not end the program"
e2e_pass
