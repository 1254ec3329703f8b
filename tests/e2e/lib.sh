# Shared library of the end-to-end tests: each test drives the real huemix.exe under
# Wine on a private virtual X screen, with synthetic keys and clicks, and looks at
# captures of that screen.
#
# A test script is run by ctest as `bash test_NAME.sh /path/to/huemix.exe` and starts:
#
#     source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#     e2e_init "$@"                  # checks the tools, makes a work folder, sets the trap
#     e2e_start_display 1024x768     # a private Xvfb on a free display number
#     e2e_start_huemix --mode 1      # huemix.exe with these arguments, in the background
#     e2e_wait_window                # polls until its window is mapped
#     e2e_key space                  # xdotool key names
#     shot=$(e2e_capture still)      # a PNG of the whole screen in the work folder
#     e2e_wait_exit 10 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "..."
#     e2e_pass
#
# Every process a test starts (Xvfb, huemix.exe, the Wine server of the test prefix) is
# ended by the EXIT trap, whether the test passes, fails or is interrupted.
#
# Wine prefix: one per build tree, shared by the whole suite and created once (about
# fifteen seconds): <folder of huemix.exe>/e2e-wine, or $HUEMIX_E2E_WINEPREFIX. Wine
# draws the window frames itself there (no window manager runs on the virtual screen),
# so an X window has exactly the outer size and position Windows gives the window.
#
# Failures print a message to stderr and exit 1; e2e_pass prints "PASS: name".
# The work folder (captures, huemix.log) is kept when a test fails, or always when
# HUEMIX_E2E_KEEP is set, for inspection.

set -uo pipefail

E2E_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
E2E_ROOT="$(cd "$E2E_LIB_DIR/../.." && pwd)"
E2E_NAME="$(basename "${BASH_SOURCE[1]:-e2e}" .sh)"
E2E_TITLE="Korvane's Huemix"

E2E_EXE=""
E2E_WORK=""
E2E_XVFB_PID=""
E2E_HUEMIX_PID=""
E2E_WINDOW=""
E2E_EXIT_CODE=""
E2E_FAILED=0

# ---- set-up and tear-down ---------------------------------------------------------

# e2e_init HUEMIX_EXE: checks the executable and the tools, prepares the Wine prefix,
# makes the work folder and installs the trap that ends every process started here.
e2e_init() {
    E2E_EXE="${1:-}"
    [ -n "$E2E_EXE" ] && [ -f "$E2E_EXE" ] || e2e_fail "usage: $0 /path/to/huemix.exe"
    E2E_EXE="$(cd "$(dirname "$E2E_EXE")" && pwd)/$(basename "$E2E_EXE")"
    local tool
    for tool in Xvfb xdotool xwininfo import compare convert; do
        command -v "$tool" >/dev/null 2>&1 || e2e_fail "missing tool: $tool"
    done
    E2E_WORK="$(mktemp -d "${TMPDIR:-/tmp}/huemix-e2e-$E2E_NAME.XXXXXX")"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    export HUEMIX_WINEPREFIX="${HUEMIX_E2E_WINEPREFIX:-$(dirname "$E2E_EXE")/e2e-wine}"
    export WINEPREFIX="$HUEMIX_WINEPREFIX"
    export WINEDEBUG="${WINEDEBUG:--all}"
    _e2e_prepare_prefix
}

# Creates the suite's prefix once, under a lock, and lets Wine draw window frames.
_e2e_prepare_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.huemix-e2e-ready" ]; then
            DISPLAY= e2e_reg_write 'HKCU\Software\Wine\X11 Driver' Decorated REG_SZ N
            _e2e_wineserver -w
            touch "$WINEPREFIX/.huemix-e2e-ready"
        fi
    ) 9>"$WINEPREFIX.e2e.lock" || e2e_fail "could not prepare the Wine prefix $WINEPREFIX"
}

# Runs the Wine server program of the loader that wine-run.sh uses.
_e2e_wineserver() {
    local server
    for server in /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
        if [ -n "$server" ] && [ -x "$server" ]; then
            "$server" "$@" 2>/dev/null
            return
        fi
    done
}

# Ends everything this test started; the trap calls it.
e2e_cleanup() {
    local status=$?
    # What was on the screen when a test failed, for a log read far from the machine.
    if { [ "$status" -ne 0 ] || [ "$E2E_FAILED" -ne 0 ]; } && [ -n "$E2E_XVFB_PID" ] &&
        command -v xdotool >/dev/null 2>&1; then
        echo "e2e: the windows shown on $DISPLAY:" >&2
        xdotool search --onlyvisible --name '.' 2>/dev/null | head -n 20 |
            while read -r w; do echo "    $w $(xdotool getwindowname "$w" 2>/dev/null)"; done >&2
    fi
    e2e_stop_huemix
    # The prefix belongs to this build tree and tests run one at a time, so its Wine
    # server and helper processes are ours; the next test starts them on its own display.
    _e2e_wineserver -k
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
        E2E_XVFB_PID=""
    fi
    if [ -n "$E2E_WORK" ] && [ -d "$E2E_WORK" ]; then
        if [ "$status" -eq 0 ] && [ "$E2E_FAILED" -eq 0 ] && [ -z "${HUEMIX_E2E_KEEP:-}" ]; then
            rm -rf "$E2E_WORK"
        else
            echo "e2e: captures and log kept in $E2E_WORK" >&2
            # The machine that ran the test may not be at hand: the program's last words.
            if [ -s "$E2E_WORK/huemix.log" ]; then
                echo "e2e: the end of huemix.log:" >&2
                tail -n 15 "$E2E_WORK/huemix.log" | sed 's/^/    /' >&2
            fi
        fi
    fi
    exit "$status"
}

# e2e_fail MESSAGE: reports a failure and ends the test with exit code 1.
e2e_fail() {
    E2E_FAILED=1
    echo "FAIL: $E2E_NAME: $*" >&2
    exit 1
}

# e2e_pass: reports success and ends the test with exit code 0.
e2e_pass() {
    echo "PASS: $E2E_NAME"
    exit 0
}

# e2e_check DESCRIPTION COMMAND...: runs the command and fails the test when it fails.
e2e_check() {
    local what="$1"
    shift
    "$@" || e2e_fail "$what"
}

# ---- the registry -----------------------------------------------------------------

# e2e_reg ARGUMENTS...: Wine's reg.exe in the test prefix; its complaints go to the
# work folder's reg.log, kept with the captures when a test fails.
e2e_reg() {
    bash "$E2E_ROOT/scripts/wine-run.sh" reg "$@" 2>>"$E2E_WORK/reg.log"
}

# Now and then a reg.exe run under Wine fails on a loaded machine, so the two below try
# a failed write or read twice more, a second apart, before they give up.

# e2e_reg_write KEY NAME TYPE DATA: writes one value (the same value again is harmless).
e2e_reg_write() {
    local attempt
    for attempt in 1 2 3; do
        e2e_reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null && return 0
        echo "e2e_reg_write: writing $2 failed (attempt $attempt)" >>"$E2E_WORK/reg.log"
        sleep 1
    done
    e2e_fail "cannot write $2 (see reg.log)"
}

# e2e_reg_value KEY NAME: prints the data of a value the test expects to be there;
# nothing, and status 1, when three reads do not find it.
e2e_reg_value() {
    local attempt data
    for attempt in 1 2 3; do
        data="$(e2e_reg query "$1" /v "$2" | tr -d '\r' |
            awk -v n="$2" '$1 == n { $1 = $2 = ""; sub(/^ +/, ""); print; found = 1 } END { exit !found }')" &&
            { printf '%s\n' "$data"; return 0; }
        echo "e2e_reg_value: reading $2 failed (attempt $attempt)" >>"$E2E_WORK/reg.log"
        sleep 1
    done
    return 1
}

# ---- the virtual screen -----------------------------------------------------------

# e2e_start_display [WIDTHxHEIGHT [XVFB OPTION...]]: starts Xvfb on a free display number
# (Xvfb picks it itself, so parallel runs cannot collide) and exports DISPLAY. Default
# 1920x1080.
e2e_start_display() {
    local size="${1:-1920x1080}"
    [ $# -gt 0 ] && shift
    local numberFile="$E2E_WORK/display"
    : >"$numberFile"
    Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -noreset "$@" \
        9>"$numberFile" >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_wait_for 10 test -s "$numberFile" || e2e_fail "Xvfb did not start (see $E2E_WORK/xvfb.log)"
    export DISPLAY=":$(head -n1 "$numberFile")"
    e2e_wait_for 10 xwininfo -root >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
    # Another server answering on that number would make this test another's guest.
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb ended after naming display $DISPLAY (see $E2E_WORK/xvfb.log)"
}

# e2e_screen_size: prints "WIDTH HEIGHT" of the virtual screen.
e2e_screen_size() {
    xwininfo -root | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}'
}

# ---- the program ------------------------------------------------------------------

# e2e_start_huemix [ARGUMENTS...]: starts huemix.exe under Wine in the background, its
# output in $E2E_WORK/huemix.log; E2E_HUEMIX_PID is the process (the exit code of
# huemix.exe comes through Wine unchanged).
e2e_start_huemix() {
    E2E_EXIT_CODE=""
    E2E_WINDOW=""
    (cd "$E2E_WORK" && exec bash "$E2E_ROOT/scripts/wine-run.sh" "$E2E_EXE" "$@") \
        >>"$E2E_WORK/huemix.log" 2>&1 &
    E2E_HUEMIX_PID=$!
}

# e2e_running: true while huemix.exe has not ended.
e2e_running() {
    [ -n "$E2E_HUEMIX_PID" ] && kill -0 "$E2E_HUEMIX_PID" 2>/dev/null
}

# e2e_wait_window [SECONDS]: polls until the main window is mapped and has painted
# something other than black, and sets E2E_WINDOW to its X window id. Then moves the
# pointer over it: with no window manager the keyboard focus follows the pointer.
# Default 60 seconds (a cold Wine start is slow).
e2e_wait_window() {
    local timeout="${1:-60}"
    e2e_wait_for "$timeout" _e2e_find_window || {
        e2e_running || e2e_fail "huemix.exe ended before its window appeared (see $E2E_WORK/huemix.log)"
        e2e_fail "no window \"$E2E_TITLE\" within $timeout s"
    }
    e2e_wait_for 20 _e2e_painted || e2e_fail "the window stays black"
    local x y w h
    read -r x y w h <<<"$(e2e_window_geometry)"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
}

_e2e_painted() { [ "$(e2e_black_fraction "$(e2e_capture first-paint)")" -lt 990 ]; }

_e2e_find_window() {
    E2E_WINDOW="$(xdotool search --onlyvisible --name "^$E2E_TITLE\$" 2>/dev/null | head -n1)"
    [ -n "$E2E_WINDOW" ]
}

# e2e_window_geometry: prints "X Y WIDTH HEIGHT" of the main window, frame included.
e2e_window_geometry() {
    xwininfo -id "$E2E_WINDOW" 2>/dev/null | awk '
        /Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
        /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}

# e2e_wait_geometry "X Y WIDTH HEIGHT" [SECONDS]: polls until the window has it.
e2e_wait_geometry() {
    e2e_wait_for "${2:-10}" _e2e_geometry_is "$1"
}

_e2e_geometry_is() { [ "$(e2e_window_geometry)" = "$1" ]; }

# e2e_wait_exit [SECONDS]: waits for huemix.exe to end and sets E2E_EXIT_CODE; false
# when it is still running after the time (default 15 seconds).
e2e_wait_exit() {
    local timeout="${1:-15}"
    e2e_wait_for "$timeout" _e2e_ended || return 1
    wait "$E2E_HUEMIX_PID" 2>/dev/null
    E2E_EXIT_CODE=$?
    E2E_HUEMIX_PID=""
    return 0
}

_e2e_ended() { ! e2e_running; }

# e2e_stop_huemix: ends huemix.exe if it still runs (TERM, then KILL).
e2e_stop_huemix() {
    e2e_running || return 0
    kill "$E2E_HUEMIX_PID" 2>/dev/null
    e2e_wait_for 5 _e2e_ended || kill -KILL "$E2E_HUEMIX_PID" 2>/dev/null
    wait "$E2E_HUEMIX_PID" 2>/dev/null
    E2E_HUEMIX_PID=""
}

# ---- input ------------------------------------------------------------------------

# e2e_key KEY...: presses keys (xdotool names: space, Escape, F11, shift+p, alt+F4, 3).
e2e_key() {
    xdotool key --delay 60 "$@"
}

# e2e_click BUTTON [X Y]: clicks button 1 (left), 3 (right), 4 or 5 (wheel away from or
# towards the user), at X Y when given, else where the pointer is.
e2e_click() {
    [ $# -ge 3 ] && xdotool mousemove "$2" "$3"
    xdotool click "$1"
}

# ---- captures ---------------------------------------------------------------------

# e2e_capture NAME: captures the whole screen into $E2E_WORK/NAME.png, prints the path.
e2e_capture() {
    local file="$E2E_WORK/$1.png"
    import -window root "$file" 2>>"$E2E_WORK/capture.log" || e2e_fail "capture $1 failed"
    echo "$file"
}

# e2e_difference A B: prints how many pixels differ between two pictures of one size.
# A missing or unreadable picture fails the test (or the $(...) it runs in, whose
# caller then fails): a broken capture must never pass for an unchanged screen.
e2e_difference() {
    local out status
    out="$(compare -metric AE "$1" "$2" null: 2>&1)"
    status=$?
    [ "$status" -le 1 ] || e2e_fail "cannot compare '$1' with '$2': $out"
    # Large counts can come in exponent notation.
    awk -v n="${out%% *}" 'BEGIN { printf "%d\n", n + 0 }'
}

# e2e_same A B: true when the two pictures are identical.
e2e_same() {
    local count
    count="$(e2e_difference "$1" "$2")" || exit 1
    [ "$count" -eq 0 ]
}

# e2e_wait_change REFERENCE [SECONDS]: polls captures until one differs from the
# reference picture; prints its path. False when the screen stayed the same.
e2e_wait_change() {
    local reference="$1" timeout="${2:-10}" n=0 shot
    local deadline=$((SECONDS + timeout))
    while [ "$SECONDS" -le "$deadline" ]; do
        n=$((n + 1))
        shot="$(e2e_capture "change-$n-$(basename "$reference" .png)")"
        if ! e2e_same "$reference" "$shot"; then
            echo "$shot"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# e2e_wait_moving NAME [SECONDS]: polls until the picture keeps moving: four captures
# in a row, a quarter of a second apart, each unlike the one before. A single change
# (the help hint going away, one new picture) is not movement. False after SECONDS
# (default 10).
e2e_wait_moving() {
    local name="$1" timeout="${2:-10}" n=0 changes=0 previous current
    local deadline=$((SECONDS + timeout))
    previous="$(e2e_capture "$name-0")"
    while [ "$SECONDS" -le "$deadline" ]; do
        sleep 0.25
        n=$((n + 1))
        current="$(e2e_capture "$name-$n")"
        if e2e_same "$previous" "$current"; then
            changes=0
        else
            changes=$((changes + 1))
            [ "$changes" -ge 3 ] && return 0
        fi
        previous="$current"
    done
    return 1
}

# e2e_wait_still NAME [SECONDS] [QUIET_SECONDS]: polls until the screen has stayed the
# same for QUIET_SECONDS; prints the path of the still picture. The default, 1.2 s, is
# longer than the help hint shows after a key, so two equal captures cannot both be
# showing the hint that is about to go. False when it kept changing for SECONDS
# (default 10).
e2e_wait_still() {
    local name="$1" timeout="${2:-10}" quiet="${3:-1.2}" n=0 previous current
    local deadline=$((SECONDS + timeout))
    previous="$(e2e_capture "$name-0")"
    while [ "$SECONDS" -le "$deadline" ]; do
        sleep "$quiet"
        n=$((n + 1))
        current="$(e2e_capture "$name-$n")"
        if e2e_same "$previous" "$current"; then
            echo "$current"
            return 0
        fi
        previous="$current"
    done
    return 1
}

# e2e_crop PICTURE X Y WIDTH HEIGHT NAME: writes that part of a picture into
# $E2E_WORK/NAME.png and prints its path.
e2e_crop() {
    local file="$E2E_WORK/$6.png"
    convert "$1" -crop "$4x$5+$2+$3" +repage "$file" || e2e_fail "crop $6 failed"
    echo "$file"
}

# e2e_row_means PICTURE: prints the mean grey level (0..255) of each row, top first.
e2e_row_means() {
    convert "$1" -colorspace Gray -scale "1x$(identify -format %h "$1")!" -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 { print $3 + 0 }'
}

# e2e_column_means PICTURE: prints the mean grey level (0..255) of each column, left first.
e2e_column_means() {
    convert "$1" -colorspace Gray -scale "$(identify -format %w "$1")x1!" -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 { print $3 + 0 }'
}

# e2e_black_fraction PICTURE: prints the per mille of pure black pixels.
e2e_black_fraction() {
    convert "$1" -fill white +opaque black -format '%[fx:int(1000 * (1 - mean))]' info:
}

# ---- polling ----------------------------------------------------------------------

# e2e_wait_for SECONDS COMMAND...: runs the command every 0.1 s until it succeeds;
# false when it never did within the time.
e2e_wait_for() {
    local timeout="$1"
    shift
    local deadline=$((SECONDS + timeout))
    while ! "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
    return 0
}

# ---- two monitors -------------------------------------------------------------------

# e2e_start_two_monitors: instead of Xvfb, which gives Wine only one monitor, starts an
# X server with the dummy video driver and two outputs side by side: 1280 x 1024 at
# (0, 0), the primary one, and 1024 x 768 at (1280, 0). Exports DISPLAY.
e2e_start_two_monitors() {
    local tool
    for tool in Xorg xrandr; do
        command -v "$tool" >/dev/null 2>&1 || e2e_fail "missing tool: $tool"
    done
    cat >"$E2E_WORK/xorg.conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2304 1024
    EndSubSection
EndSection
CONF
    local numberFile="$E2E_WORK/display"
    : >"$numberFile"
    Xorg -displayfd 9 -config "$E2E_WORK/xorg.conf" -logfile "$E2E_WORK/xorg.log" -noreset -nolisten tcp \
        9>"$numberFile" >"$E2E_WORK/xorg.out" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_wait_for 15 test -s "$numberFile" || e2e_fail "Xorg did not start (see $E2E_WORK/xorg.log)"
    export DISPLAY=":$(head -n1 "$numberFile")"
    e2e_wait_for 10 xwininfo -root >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
    {
        # The dummy outputs list only modes up to 1024 x 768: 1280 x 1024 (VESA, 60 Hz)
        # is added first.
        xrandr --newmode 1280x1024 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync &&
            xrandr --addmode DUMMY0 1280x1024 &&
            xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary &&
            xrandr --addmode DUMMY1 1024x768 &&
            xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 &&
            xrandr -q  # a full query: without it the server does not probe again
    } >"$E2E_WORK/xrandr.log" 2>&1 || e2e_fail "xrandr could not set up two monitors (see $E2E_WORK/xrandr.log)"
}
