# Helpers of the screen saver's end-to-end tests, on top of lib.sh. A saver test is
# run as `bash test_saver_NAME.sh /path/to/huemix.exe` like the others and starts:
#
#     source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
#     saver_init "$@"              # e2e_init, and the saver beside huemix.exe
#     e2e_start_two_monitors       # or e2e_start_display
#     saver_reset_settings         # no settings: every default
#
# The saver's settings live in the test prefix's registry. reg.exe runs on the test's
# display: a Wine process started without one would leave the prefix's desktop
# without a display for every later window.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_NAME="$(basename "${BASH_SOURCE[1]:-e2e}" .sh)"

SAVER_KEY='HKCU\Software\Korvane\Huemix\Screen Saver'
SAVER_TITLE="Korvane's Huemix Screen Saver"
SAVER_DIALOG="Huemix Screen Saver Settings"
SAVER_EXE=""

# saver_init HUEMIX_EXE: as e2e_init; huemix.scr must lie beside huemix.exe.
saver_init() {
    e2e_init "$@"
    SAVER_EXE="$(dirname "$E2E_EXE")/huemix.scr"
    [ -f "$SAVER_EXE" ] || e2e_fail "no huemix.scr beside $E2E_EXE"
    E2E_EXE="$SAVER_EXE"  # e2e_start_huemix and e2e_wait_exit now drive the saver
}

saver_reset_settings() {
    e2e_reg delete "$SAVER_KEY" /f >/dev/null
    return 0
}

# saver_set NAME TYPE DATA: writes one of the saver's values by hand (REG_DWORD, REG_SZ...).
saver_set() {
    e2e_reg_write "$SAVER_KEY" "$@"
}

# saver_settings: prints "NAME=DATA" per value of the key, sorted; nothing without it.
saver_settings() {
    e2e_reg query "$SAVER_KEY" | tr -d '\r' | awk 'NF >= 3 && $2 ~ /^REG_/ { print $1 "=" $3 }' | sort
}

# saver_expect_settings "NAME=DATA ...": the key holds exactly these values. A read
# that differs is taken twice more, each logged in reg.log like e2e_reg_value's.
saver_expect_settings() {
    local got attempt
    for attempt in 1 2 3; do
        got="$(saver_settings | tr '\n' ' ')"
        [ "$got" = "$1 " ] && return 0
        echo "saver_expect_settings: read '$got' (attempt $attempt)" >>"$E2E_WORK/reg.log"
        sleep 1
    done
    e2e_fail "the registry holds '$got', not '$1'"
}

# saver_start_full [ARGUMENT]: starts the saver full screen (/s unless given) and
# waits until both monitors' windows are up and the picture moves on the first.
saver_start_full() {
    xdotool mousemove 600 500  # on the first monitor, away from anything
    e2e_start_huemix "${1:-/s}"
    e2e_wait_for 60 _saver_two_windows || {
        e2e_running || e2e_fail "the saver ended before its windows appeared (see $E2E_WORK/huemix.log)"
        e2e_fail "no saver window on each monitor within 60 s"
    }
    e2e_wait_for 30 _saver_picture_shown || e2e_fail "the saver shows no picture"
}

_saver_two_windows() {
    local ids geometry
    ids="$(xdotool search --onlyvisible --name "^$SAVER_TITLE\$" 2>/dev/null)" || return 1
    geometry="$(for id in $ids; do E2E_WINDOW="$id" e2e_window_geometry; done | sort | tr '\n' ';')"
    [ "$geometry" = "0 0 1280 1024;1280 0 1024 768;" ]
}

_saver_picture_shown() {
    [ "$(e2e_black_fraction "$(saver_capture_monitor 0 shown)")" -lt 900 ]
}

# saver_capture_monitor N NAME: a capture of monitor N (0: 1280 x 1024 at the left,
# 1: 1024 x 768 beside it); prints the path.
saver_capture_monitor() {
    local shot
    shot="$(e2e_capture "$2-whole")" || exit 1
    if [ "$1" -eq 0 ]; then
        e2e_crop "$shot" 0 0 1280 1024 "$2"
    else
        e2e_crop "$shot" 1280 0 1024 768 "$2"
    fi
}

# saver_monitor_moves N NAME: true when two captures of monitor N a moment apart differ.
saver_monitor_moves() {
    local a b
    a="$(saver_capture_monitor "$1" "$2-a")" || exit 1
    sleep 0.3
    b="$(saver_capture_monitor "$1" "$2-b")" || exit 1
    ! e2e_same "$a" "$b"
}

# saver_expect_end WHAT: the saver ends within 10 s with exit code 0.
saver_expect_end() {
    e2e_wait_exit 10 || e2e_fail "$1 does not end the saver"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "$1 ends the saver with exit code $E2E_EXIT_CODE"
}
