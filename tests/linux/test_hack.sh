# The xscreensaver hack as a guest: handed a window by XSCREENSAVER_WINDOW it fills it
# with a cycling picture and makes no window of its own, with the frame in memory
# shared with the X server or, on a server without MIT-SHM, sent through the
# connection; when the window vanishes, or when it is handed something that is no
# window, it ends with a message and exit code 1; SIGTERM ends it with 0 whenever it
# comes, in the middle of a picture too.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"

top_level_windows() { xwininfo -root -children | grep -c '^     0x'; }

# draws_in_its_window HOW: the hack in a host window fills that window with a cycling
# picture and touches nothing else.
draws_in_its_window() {
    linux_host_window 480x300+100+100
    local before
    before="$(top_level_windows)"
    # Plasma covers every pixel; the modes in turn would start with a random one, and
    # some (string art, the Buddhabrot) leave most of the window black.
    XSCREENSAVER_WINDOW="$HOST_WINDOW" e2e_start_huemix --mode 1 --seconds 10
    e2e_wait_for 20 eval '[ "$(e2e_black_fraction "$(linux_capture_window "$HOST_WINDOW" host)")" -lt 500 ]' ||
        e2e_fail "$1: nothing is drawn into the window it was handed"
    e2e_wait_moving cycling 10 || e2e_fail "$1: the picture in the handed window does not cycle"
    [ "$(top_level_windows)" -eq "$before" ] || e2e_fail "$1: the hack made a window of its own"
    local outside
    outside="$(e2e_crop "$(e2e_capture whole)" 700 500 300 200 outside)"
    [ "$(e2e_black_fraction "$outside")" -eq 1000 ] || e2e_fail "$1: the hack drew outside its window"
}

e2e_start_display 1024x768 -extension MIT-SHM
draws_in_its_window "without shared memory"
e2e_stop_huemix
kill "$HOST_PID" "$E2E_XVFB_PID"
wait "$HOST_PID" "$E2E_XVFB_PID" 2>/dev/null
HOST_PID=""
E2E_XVFB_PID=""

e2e_start_display 1024x768
draws_in_its_window "shared memory"

# The window vanishes under it.
kill "$HOST_PID"
wait "$HOST_PID" 2>/dev/null
HOST_PID=""
e2e_wait_exit 15 || e2e_fail "still running after its window was destroyed"
[ "$E2E_EXIT_CODE" -eq 1 ] || e2e_fail "a vanished window: exit code $E2E_EXIT_CODE, not 1"
grep -q "is gone" "$E2E_WORK/huemix.log" || e2e_fail "a vanished window: no message"

# Bad input: each row the environment and arguments, then the message it must give.
# Every one ends with code 1 (no window) and leaves no process.
cases=(
    "--window-id zz|not an X window id"
    "--window-id 0|not an X window id"
    "--window-id 0x1FFFFFF0|no such window"
    "--window-id|not an X window id"
    "XSCREENSAVER_WINDOW=garbage --root|XSCREENSAVER_WINDOW=garbage: not an X window id"
    "DISPLAY= --root|cannot open the display"
    "DISPLAY= XSCREENSAVER_WINDOW=0x400001|cannot open the display"
)
for row in "${cases[@]}"; do
    read -r -a words <<<"${row%%|*}"
    message="${row#*|}"
    assignments=()
    arguments=()
    for word in "${words[@]}"; do
        if [[ "$word" == *=* && "$word" != --* ]]; then assignments+=("$word"); else arguments+=("$word"); fi
    done
    : >"$E2E_WORK/huemix.log"
    env "${assignments[@]}" bash -c 'cd "$1" && shift && exec "$@"' _ "$E2E_WORK" "$E2E_EXE" "${arguments[@]}" \
        >>"$E2E_WORK/huemix.log" 2>&1 &
    E2E_HUEMIX_PID=$!
    e2e_wait_exit 20 || e2e_fail "'${row%%|*}': still running after 20 s"
    [ "$E2E_EXIT_CODE" -eq 1 ] || e2e_fail "'${row%%|*}': exit code $E2E_EXIT_CODE, not 1"
    grep -q -- "$message" "$E2E_WORK/huemix.log" ||
        e2e_fail "'${row%%|*}': no message '$message' ($(cat "$E2E_WORK/huemix.log"))"
done

# SIGTERM soon after the start lands in the first picture (reaction-diffusion over the
# whole screen takes a while) or after it; either way the end is clean and prompt.
for delay in 0.05 0.2 0.5 2; do
    e2e_start_huemix --root --mode 5
    sleep "$delay"
    kill -TERM "$E2E_HUEMIX_PID"
    e2e_wait_exit 10 || e2e_fail "SIGTERM after $delay s: still running after 10 s"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "SIGTERM after $delay s: exit code $E2E_EXIT_CODE, not 0"
done
e2e_pass
