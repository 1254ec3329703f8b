# While the saver runs full screen, the system's request to start a screen saver
# (WM_SYSCOMMAND SC_SCREENSAVE, whatever its four low bits, which the system uses for
# itself) is swallowed, and SC_MONITORPOWER goes on to the default handling, so that
# the monitor may still power off; neither ends the saver. Wine's default handling does
# nothing visible with either, so Wine's call trace of DefWindowProcA shows which
# requests the saver handed on.
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
saver_init "$@"
PROBE="$(dirname "$SAVER_EXE")/saver_probe.exe"
[ -f "$PROBE" ] || e2e_fail "no saver_probe.exe beside the saver"
e2e_start_display 1024x768
saver_reset_settings
debug_key='HKCU\Software\Wine\Debug'
e2e_reg_write "$debug_key" RelayInclude REG_SZ user32.DefWindowProcA

WINEDEBUG=-all,+relay e2e_start_huemix /s
e2e_wait_for 60 xdotool search --onlyvisible --name "^$SAVER_TITLE\$" >/dev/null || e2e_fail "no saver window"
sleep 1
for request in "f140 0" "f142 0" "f170 2"; do
    bash "$E2E_ROOT/scripts/wine-run.sh" "$PROBE" syscommand $request >>"$E2E_WORK/probe.log" 2>&1 ||
        e2e_fail "WM_SYSCOMMAND $request did not reach the saver (see $E2E_WORK/probe.log)"
done
sleep 1
e2e_running || e2e_fail "a WM_SYSCOMMAND ended the saver"
e2e_key a
saver_expect_end "a key after the requests"
e2e_reg delete "$debug_key" /v RelayInclude /f >/dev/null

handed_on() {  # CODE: the saver called DefWindowProcA with WM_SYSCOMMAND and CODE
    grep -q "Call user32\.DefWindowProcA([0-9a-f]*,00000112,0000$1," "$E2E_WORK/huemix.log"
}
handed_on f170 || e2e_fail "SC_MONITORPOWER did not go to the default handling"
for code in f140 f142; do
    ! handed_on "$code" || e2e_fail "SC_SCREENSAVE ($code) went to the default handling"
done
e2e_pass
