# How the program ends, and with which exit code: Q, X, the window closed as a window
# manager closes it, and SIGTERM end it normally (0); without a display there is no
# window (1), with a message. No way leaves a process behind.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
e2e_start_display 640x480

# Each row: how it is ended, then the exit code.
cases=("key q:0" "key x:0" "close:0" "term:0")
for row in "${cases[@]}"; do
    how="${row%%:*}"
    expected="${row#*:}"
    e2e_start_huemix --windowed --mode 4
    e2e_wait_window
    case "$how" in
        key\ *) e2e_key "${how#key }" ;;
        close) linux_close_window "$E2E_WINDOW" ;;
        term) kill -TERM "$E2E_HUEMIX_PID" ;;
    esac
    e2e_wait_exit 15 || e2e_fail "$how: still running after 15 s"
    [ "$E2E_EXIT_CODE" -eq "$expected" ] || e2e_fail "$how: exit code $E2E_EXIT_CODE, not $expected"
done

# No display: the message says so, the code is the Windows program's for no window.
: >"$E2E_WORK/huemix.log"
DISPLAY= WAYLAND_DISPLAY= e2e_start_huemix --mode 1
e2e_wait_exit 20 || e2e_fail "no display: still running after 20 s"
[ "$E2E_EXIT_CODE" -eq 1 ] || e2e_fail "no display: exit code $E2E_EXIT_CODE, not 1"
grep -q "huemix: no display" "$E2E_WORK/huemix.log" || e2e_fail "no display: no message ($(cat "$E2E_WORK/huemix.log"))"

version="$("$E2E_EXE" --version)" && [[ "$version" =~ ^huemix\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    e2e_fail "--version prints '$version'"
e2e_pass
