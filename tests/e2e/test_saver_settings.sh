# The screen saver's settings dialog (/c): chosen settings go into the registry with OK,
# Cancel writes nothing, Defaults puts the defaults back, hand-written bad values come
# back as defaults, and /s honours what was saved (the primary monitor only: the other
# one black; one picture across both: no bars).
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
saver_init "$@"
e2e_start_two_monitors
saver_reset_settings

DEFAULTS="Mode=0x0 Monitors=0x0 NewPaletteEachPicture=0x1 Palette=0x0 RotationMs=0x32 RotationStep=0x1 SecondsPerMode=0x1e StatusStrip=0x0"

# open_dialog [ARGUMENTS]: starts the saver with them (default /c) and waits for the
# dialog; the pointer goes over it, since the keyboard focus follows the pointer here.
open_dialog() {
    e2e_start_huemix "${@:-/c}"
    e2e_wait_for 60 _dialog_shown || e2e_fail "no settings dialog within 60 s"
    local x y w h
    read -r x y w h <<<"$(e2e_window_geometry)"
    xdotool mousemove $((x + w / 2)) $((y + 10))
    sleep 0.3
}

_dialog_shown() {
    E2E_WINDOW="$(xdotool search --onlyvisible --name "^$SAVER_DIALOG\$" 2>/dev/null | head -n1)"
    [ -n "$E2E_WINDOW" ]
}

close_dialog() {  # KEY: Return for OK, Escape for Cancel
    e2e_key "$1"
    saver_expect_end "$1 in the dialog"
}

# With nothing stored the dialog shows the defaults, and OK stores them.
open_dialog /c:0
close_dialog Return
saver_expect_settings "$DEFAULTS"

# Every control changed by its access key: plasma, 45 s, the FIRE preset, no palette
# renewal, 120 ms, step 2, the primary monitor only, the status strip.
open_dialog
e2e_key alt+m Down alt+t 4 5 alt+p Down alt+n alt+r 1 2 0 alt+e Down alt+l alt+s
close_dialog Return
CHOSEN="Mode=0x1 Monitors=0x2 NewPaletteEachPicture=0x0 Palette=0x1 RotationMs=0x78 RotationStep=0x2 SecondsPerMode=0x2d StatusStrip=0x1"
saver_expect_settings "$CHOSEN"

# Cancel after changes writes nothing.
open_dialog
e2e_key alt+m Down alt+o alt+s alt+d
close_dialog Escape
saver_expect_settings "$CHOSEN"

# /s honours them: the picture on the primary monitor, the second one black.
saver_start_full
e2e_wait_for 10 saver_monitor_moves 0 primary || e2e_fail "the picture on the primary monitor does not move"
[ "$(e2e_black_fraction "$(saver_capture_monitor 1 other)")" -eq 1000 ] ||
    e2e_fail "the second monitor is not black with 'the primary monitor only'"
e2e_key space
saver_expect_end "a key"

# Typed numbers out of range are brought into it; Defaults restores every default.
open_dialog
e2e_key alt+t 9 9 9 alt+r 1
close_dialog Return
saver_settings | grep -qx "SecondsPerMode=0x258" || e2e_fail "999 s was not stored as 600 s"
saver_settings | grep -qx "RotationMs=0x5" || e2e_fail "1 ms was not stored as 5 ms"
open_dialog
e2e_key alt+d
close_dialog Return
saver_expect_settings "$DEFAULTS"

# Bad values by hand: the wrong type, out of range, a step that is no power of two.
saver_set Mode REG_SZ 3
saver_set SecondsPerMode REG_DWORD 5
saver_set Palette REG_DWORD 4294967295
saver_set NewPaletteEachPicture REG_BINARY 01
saver_set RotationMs REG_DWORD 100000
saver_set RotationStep REG_DWORD 3
saver_set Monitors REG_QWORD 1
saver_set StatusStrip REG_DWORD 2
saver_set Unknown REG_DWORD 7
open_dialog
close_dialog Return
saver_expect_settings "$DEFAULTS Unknown=0x7"

# One picture across both monitors: the second shows its own part, without bars.
saver_reset_settings
saver_set Mode REG_DWORD 1
saver_set Monitors REG_DWORD 1
saver_start_full
e2e_wait_for 10 saver_monitor_moves 1 spanned || e2e_fail "the picture on the second monitor does not move"
[ "$(e2e_black_fraction "$(e2e_crop "$(saver_capture_monitor 1 spanned-side)" 0 0 32 768 edge)")" -lt 50 ] ||
    e2e_fail "the second monitor has bars although one picture spans both"
e2e_click 3
saver_expect_end "a right click"
e2e_pass
