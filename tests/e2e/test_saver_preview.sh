# The screen saver's preview (/p HWND) in a host window of 152 x 112 that plays the
# system's settings page, which also lists the saver by its string 1, "Huemix": a
# child window of the saver's process fills the host's client area, costs little
# processor time, and the saver ends within 2 s of the host window going, three times
# in a row. A handle that is 0, malformed, missing or no window ends the saver at once
# with exit code 1.
#
# Wine discards what a process draws into a child of another process's window, so the
# preview's colours cannot be seen on this screen; the host checks the window itself,
# and the unit tests the pictures the preview shows.
source "$(dirname "${BASH_SOURCE[0]}")/saver_lib.sh"
saver_init "$@"
HOST="$(dirname "$SAVER_EXE")/saver_preview_host.exe"
[ -f "$HOST" ] || e2e_fail "no saver_preview_host.exe beside the saver"
e2e_start_display 640x480
saver_reset_settings

_host_done() { ! kill -0 "$host" 2>/dev/null; }

# cpu_ticks PID: user + system time of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }

(cd "$E2E_WORK" && exec bash "$E2E_ROOT/scripts/wine-run.sh" "$HOST" "Z:$SAVER_EXE" 3 4000) \
    >"$E2E_WORK/host.log" 2>&1 &
host=$!

# While the first preview shows: its processor time over two seconds.
e2e_wait_for 60 grep -q "round 1: child" "$E2E_WORK/host.log" ||
    e2e_fail "no preview window in the first round (see $E2E_WORK/host.log)"
saver="$(ps -eo pid=,args= | awk '/huemix\.scr.* \/p [0-9]/ && !/awk/ { print $1; exit }')"
[ -n "$saver" ] || e2e_fail "no preview process to measure"
before="$(cpu_ticks "$saver")"
sleep 2
after="$(cpu_ticks "$saver")"
[ -n "$before" ] && [ -n "$after" ] || e2e_fail "the preview ended while it was measured"
ticks_per_second="$(getconf CLK_TCK)"
# At most 10 % of one core: 0.2 s of processor time in 2 s.
[ $((after - before)) -le $((ticks_per_second / 5)) ] ||
    e2e_fail "the preview took $((after - before)) ticks of $ticks_per_second per second in 2 s"

e2e_wait_for 90 _host_done || e2e_fail "the host did not finish"
wait "$host"
status=$?
grep -E '^(name|round|host)' "$E2E_WORK/host.log" >&2
[ "$status" -eq 0 ] || e2e_fail "the host reports a failure (see above)"
[ "$(grep -c 'ended .* exit code 0' "$E2E_WORK/host.log")" -eq 3 ] || e2e_fail "not every preview ended with exit code 0"
grep -qx 'name: Huemix' <(tr -d '\r' <"$E2E_WORK/host.log") || e2e_fail "the saver's string 1 is not \"Huemix\""

for handle in "/p 0" "/p abc" "/p" "/p:123x" "/p 4294967296" "/p:99999"; do
    e2e_start_huemix $handle
    e2e_wait_exit 10 || e2e_fail "'$handle' keeps the saver running"
    [ "$E2E_EXIT_CODE" -eq 1 ] || e2e_fail "'$handle' ends the saver with exit code $E2E_EXIT_CODE"
done
e2e_pass
