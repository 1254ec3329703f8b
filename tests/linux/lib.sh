# Shared set-up of the Linux program's tests: the end-to-end library's screen helpers
# (private Xvfb, captures, polling, keys), with the native huemix started directly
# instead of under Wine.
#
#     source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#     linux_init "$@"             # huemix [huemix-render]; checks tools, work folder, trap
#     e2e_start_display 1024x768
#     e2e_start_huemix --mode 1   # the native program, in the work folder
#     e2e_wait_window
#
# A test that cannot run on this machine (a tool missing, not root where it must be)
# ends with exit code 77, which ctest counts as skipped.

source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
E2E_NAME="$(basename "${BASH_SOURCE[1]:-linux}" .sh)"
LINUX_TESTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
RENDER=""

# No Wine runs here: nothing of it to end.
_e2e_wineserver() { :; }

# linux_skip REASON: the test cannot run here.
linux_skip() {
    echo "SKIP: $E2E_NAME: $*"
    exit 77
}

# linux_init HUEMIX [HUEMIX_RENDER] [TOOL...]: checks the program and the tools, makes
# the work folder and installs the trap that ends every process started here.
linux_init() {
    E2E_EXE="${1:-}"
    RENDER="${2:-}"
    [ -n "$E2E_EXE" ] && [ -x "$E2E_EXE" ] || e2e_fail "usage: $0 /path/to/huemix [/path/to/huemix-render]"
    E2E_EXE="$(cd "$(dirname "$E2E_EXE")" && pwd)/$(basename "$E2E_EXE")"
    local tool
    for tool in Xvfb xdotool xwininfo import compare convert python3; do
        command -v "$tool" >/dev/null 2>&1 || linux_skip "missing tool: $tool"
    done
    E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/huemix-linux-$E2E_NAME.XXXXXX")"
    trap linux_cleanup EXIT
    trap 'exit 130' INT TERM
}

HOST_PID=""
# The host window goes first, then what the end-to-end library ends.
linux_cleanup() {
    local status=$?
    if [ -n "$HOST_PID" ]; then
        kill "$HOST_PID" 2>/dev/null
        wait "$HOST_PID" 2>/dev/null
    fi
    (exit "$status")
    e2e_cleanup
}

# linux_close_window ID: asks the window to close, as a window manager's close button.
linux_close_window() {
    python3 "$LINUX_TESTS/xwindow.py" close "$1" || e2e_fail "could not ask window $1 to close"
}

# e2e_start_huemix [ARGUMENTS...]: the native program in the background, in the work
# folder, its output in huemix.log.
e2e_start_huemix() {
    E2E_EXIT_CODE=""
    E2E_WINDOW=""
    (cd "$E2E_WORK" && exec "$E2E_EXE" "$@") >>"$E2E_WORK/huemix.log" 2>&1 &
    E2E_HUEMIX_PID=$!
}

# linux_host_window WIDTHxHEIGHT+X+Y: a bare window (xwindow.py host) as xscreensaver
# gives a hack; sets HOST_PID and HOST_WINDOW (its id, 0x hex). Ended with the test.
linux_host_window() {
    : >"$E2E_WORK/host.id"
    python3 "$LINUX_TESTS/xwindow.py" host "$1" >"$E2E_WORK/host.id" 2>>"$E2E_WORK/host.log" &
    HOST_PID=$!
    e2e_wait_for 10 test -s "$E2E_WORK/host.id" || e2e_fail "the host window did not appear"
    HOST_WINDOW="$(head -n1 "$E2E_WORK/host.id")"
}

# linux_capture_window ID NAME: a capture of one window's area, its path printed.
linux_capture_window() {
    local file="$E2E_WORK/$2.png"
    import -window "$1" "$file" 2>>"$E2E_WORK/capture.log" || e2e_fail "capture $2 failed"
    echo "$file"
}
