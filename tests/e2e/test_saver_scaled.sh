# At 150 % scaling (144 pixels per inch) the saver still covers both monitors to the
# last pixel: each window has its monitor's exact physical rectangle, and the picture
# reaches the last column and row of each. One picture across all, so that no monitor
# has bars of its own. In a Wine prefix of its own, so that no other test runs scaled.
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
export HUEMIX_E2E_WINEPREFIX="$(cd "$(dirname "${1:-.}")" && pwd)/e2e-wine-scaled"
saver_init "$@"
PROBE="$(dirname "$SAVER_EXE")/saver_probe.exe"
[ -f "$PROBE" ] || e2e_fail "no saver_probe.exe beside the saver"
e2e_start_two_monitors
e2e_reg_write 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144
dpi="$(bash "$E2E_ROOT/scripts/wine-run.sh" "$PROBE" dpi 2>/dev/null | tr -d '\r')"
[ "$dpi" = "dpi 144" ] || e2e_fail "the prefix is not scaled: '$dpi'"
saver_reset_settings
saver_set Mode REG_DWORD 1      # plasma: every pixel coloured
saver_set Monitors REG_DWORD 1  # one picture across all

saver_start_full  # both windows at their monitors' exact rectangles
shot="$(e2e_capture scaled)"
x2=1280  # the second monitor's left edge
# The outermost column and row of each monitor, with the row or column beside them.
for strip in "1279 0 1 1024" "1278 0 1 1024" "0 1023 1280 1" "0 1022 1280 1" \
    "$((x2 + 1023)) 0 1 768" "$((x2 + 1022)) 0 1 768" "$x2 767 1024 1" "$x2 766 1024 1"; do
    read -r x y w h <<<"$strip"
    [ "$(e2e_black_fraction "$(e2e_crop "$shot" "$x" "$y" "$w" "$h" "strip-$x-$y")")" -lt 200 ] ||
        e2e_fail "the picture does not reach the strip $w x $h at ($x, $y)"
done
e2e_key a
saver_expect_end "a key"
e2e_pass
