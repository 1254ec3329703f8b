# The hack under Debian's own xscreensaver on a private X screen. xscreensaver will not
# launch hacks as root, so it runs as an ordinary user made for this test. Activated,
# huemix fills the screen with a cycling picture inside xscreensaver's window (handed
# over in XSCREENSAVER_WINDOW, winning over the --root of its programs line);
# deactivated, the hack is ended and gone at once, leaving no process.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ "$(id -u)" -eq 0 ] || linux_skip "needs root to make the test's user"
for tool in xscreensaver xscreensaver-command useradd userdel runuser; do
    command -v "$tool" >/dev/null 2>&1 || linux_skip "missing tool: $tool"
done

SAVER_USER="hxss$$"
SAVER_PID=""
useradd --no-create-home --home-dir "$E2E_WORK/home" --shell /bin/sh "$SAVER_USER" ||
    e2e_fail "cannot make the user $SAVER_USER"
finish_saver() {
    local status=$?
    [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
    pkill -u "$SAVER_USER" 2>/dev/null  # only the test user's processes
    sleep 0.5
    userdel "$SAVER_USER" 2>/dev/null
    (exit "$status")
    linux_cleanup
}
trap finish_saver EXIT

# The user reads a copy of the program and owns its home; the display lets any local
# client in.
chmod 755 "$E2E_WORK"
mkdir -p "$E2E_WORK/bin" "$E2E_WORK/home"
cp "$E2E_EXE" "$E2E_WORK/bin/huemix"
chmod 755 "$E2E_WORK/bin" "$E2E_WORK/bin/huemix"
cat >"$E2E_WORK/home/.xscreensaver" <<CONF
mode: one
selected: 0
timeout: 30:00
cycle: 0
lock: False
fade: False
unfade: False
splash: False
programs: "Huemix" $E2E_WORK/bin/huemix --root --mode 1 --seconds 10
CONF
chown -R "$SAVER_USER" "$E2E_WORK/home"

e2e_start_display 800x600
as_user() { runuser -u "$SAVER_USER" -- env HOME="$E2E_WORK/home" DISPLAY="$DISPLAY" "$@"; }
as_user xscreensaver -no-splash -verbose >"$E2E_WORK/xscreensaver.log" 2>&1 &
SAVER_PID=$!
hack_running() { pgrep -u "$SAVER_USER" -f "$E2E_WORK/bin/huemix" >/dev/null; }
e2e_wait_for 20 eval 'as_user xscreensaver-command -time >/dev/null 2>&1' || e2e_fail "xscreensaver does not answer"

as_user xscreensaver-command -activate >>"$E2E_WORK/command.log" 2>&1 || e2e_fail "xscreensaver-command -activate failed"
e2e_wait_for 30 hack_running || e2e_fail "xscreensaver did not start the hack (see xscreensaver.log)"
# Plasma leaves no pixel black: a screen without black is a screen filled by the hack.
e2e_wait_for 30 eval '[ "$(e2e_black_fraction "$(e2e_capture activated)")" -eq 0 ]' ||
    e2e_fail "the screen is not filled with the picture"
e2e_wait_moving cycling 10 || e2e_fail "the picture on the screen does not cycle"

as_user xscreensaver-command -deactivate >>"$E2E_WORK/command.log" 2>&1 || e2e_fail "xscreensaver-command -deactivate failed"
started=$SECONDS
# Gone at once in practice; the time allowed is generous so a busy machine cannot fail it.
e2e_wait_for 10 eval '! hack_running' || e2e_fail "the hack is still running after xscreensaver ended it"
echo "hack gone about $((SECONDS - started)) s after deactivation"
if grep -E "huemix.*(crashed|dumped core|exited abnormally)" "$E2E_WORK/xscreensaver.log" >/dev/null; then
    e2e_fail "xscreensaver saw the hack fail: $(grep -E 'crashed|dumped|abnormally' "$E2E_WORK/xscreensaver.log")"
fi
e2e_pass
