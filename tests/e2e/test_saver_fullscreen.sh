# The screen saver full screen on two monitors of different sizes: each is covered by
# a moving picture (the smaller one letterboxed: same picture on each); a jitter of
# 2 pixels leaves it running; a 40-pixel move, a key, a click and the wheel each end
# it with exit code 0. /a does nothing and ends at once.
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
saver_init "$@"
e2e_start_two_monitors
saver_reset_settings
saver_set Mode REG_DWORD 1  # plasma: every pixel coloured, so black means uncovered

saver_start_full
for monitor in 0 1; do
    e2e_wait_for 10 saver_monitor_moves "$monitor" "moving-$monitor" ||
        e2e_fail "the picture on monitor $monitor does not move"
done
# The Canvas has the first monitor's size and shape; on the second (1024 x 768) it is
# 960 x 768 with bars of 32 pixels at the sides.
shot="$(saver_capture_monitor 1 second)"
[ "$(e2e_black_fraction "$(e2e_crop "$shot" 0 0 32 768 left-bar)")" -eq 1000 ] ||
    e2e_fail "no black bar left of the picture on the second monitor"
[ "$(e2e_black_fraction "$(e2e_crop "$shot" 992 0 32 768 right-bar)")" -eq 1000 ] ||
    e2e_fail "no black bar right of the picture on the second monitor"
[ "$(e2e_black_fraction "$(e2e_crop "$shot" 32 0 960 768 picture)")" -lt 50 ] ||
    e2e_fail "the second monitor is not covered by the picture"
[ "$(e2e_black_fraction "$(saver_capture_monitor 0 first)")" -lt 50 ] ||
    e2e_fail "the first monitor is not covered by the picture"

xdotool mousemove_relative 2 0
sleep 0.5
xdotool mousemove_relative -- 0 -2
sleep 1.5
e2e_running || e2e_fail "a jitter of 2 pixels ended the saver"
xdotool mousemove_relative 40 0
saver_expect_end "a 40-pixel move"

for way in key click wheel; do
    saver_start_full
    case "$way" in
        key) e2e_key a ;;
        click) e2e_click 1 ;;
        wheel) e2e_click 5 ;;
    esac
    saver_expect_end "a $way"
done

# Another application coming to the front ends it too.
saver_start_full
(cd "$E2E_WORK" && exec bash "$E2E_ROOT/scripts/wine-run.sh" "$(dirname "$SAVER_EXE")/huemix.exe" --windowed) \
    >>"$E2E_WORK/other.log" 2>&1 &
other=$!
saver_expect_end "another application's window"
E2E_HUEMIX_PID="$other"  # the trap ends it, and so does e2e_stop_huemix
e2e_stop_huemix

e2e_start_huemix /a
saver_expect_end "/a"
e2e_pass
