#!/usr/bin/env bash
# Soak: runs the real huemix.exe under Wine on a private virtual screen for MINUTES and
# keeps sending it random keys (every key of the key table, F11 and F12 included, with
# and without modifiers), clicks and wheel turns. Never Q, X or Alt+F4 until the end.
#
#     scripts/soak.sh MINUTES [path/to/huemix.exe]
#
# MINUTES may be a fraction (0.5). Without a path it uses build/windows/huemix.exe and
# builds it first when it is missing. It fails when the program
#   - dies,
#   - stops answering: every 20 s the script brings it into a state where the palette
#     rotation must show (plasma, a fresh palette, full screen, no help screen, not
#     paused: it keeps track of Space) and then wants new frames, never
#     HUEMIX_SOAK_STALL seconds (default 10) without one,
#   - grows its memory by more than 2 MB after the warm-up (the first minute, or half
#     of a shorter run),
#   - does not end with exit code 0 on Q,
#   - loses or overwrites a snapshot: every F12 press must leave its own whole PNG file
#     in the temporary Pictures folder.
# Memory is sampled every HUEMIX_SOAK_SAMPLE seconds (default 5) from /proc: RssAnon
# (resident private memory) and VmData (private writable address space). Growth is
# measured on the lowest sample of each 30-second window, so a generator's scratch
# memory, which is freed when its picture is done, is not mistaken for a leak.
#
# Other settings: HUEMIX_SOAK_SCREEN (default 800x600), HUEMIX_SOAK_SEED (random
# seed, printed), HUEMIX_E2E_KEEP (keep the work folder with the samples and captures).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

MINUTES="${1:-}"
if ! awk -v m="$MINUTES" 'BEGIN { exit !(m ~ /^[0-9]+(\.[0-9]+)?$/ && m > 0) }'; then
    echo "usage: $0 MINUTES [path/to/huemix.exe]" >&2
    exit 2
fi
EXE="${2:-$ROOT/build/windows/huemix.exe}"
if [ ! -f "$EXE" ] && [ -z "${2:-}" ]; then
    echo "soak: building $EXE"
    cmake -S "$ROOT" -B "$ROOT/build/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null &&
        cmake --build "$ROOT/build/windows" -j2 --target huemix >/dev/null ||
        { echo "soak: building huemix.exe failed" >&2; exit 1; }
fi

DURATION="$(awk -v m="$MINUTES" 'BEGIN { printf "%d\n", m * 60 + 0.5 }')"
WARMUP=60
[ $((DURATION / 2)) -lt "$WARMUP" ] && WARMUP=$((DURATION / 2))
STALL="${HUEMIX_SOAK_STALL:-10}"
SAMPLE_EVERY="${HUEMIX_SOAK_SAMPLE:-5}"
PROBE_EVERY=20
GROWTH_LIMIT_KB=2048
SEED="${HUEMIX_SOAK_SEED:-$(( $(date +%s) % 32768 ))}"
RANDOM="$SEED"

# Its own home and Wine prefix: the Pictures folder holds only this run's snapshots.
SOAK_HOME="$(mktemp -d "${TMPDIR:-/tmp}/huemix-soak-home.XXXXXX")"
export HOME="$SOAK_HOME"
export HUEMIX_E2E_WINEPREFIX="$SOAK_HOME/wine"
source "$ROOT/tests/e2e/lib.sh"
e2e_init "$EXE"
trap 'status=$?; e2e_stop_huemix; _e2e_wineserver -k; rm -rf "$SOAK_HOME"; (exit $status); e2e_cleanup' EXIT

# Wine links the Pictures folder of its user to the home folder; point it at a folder
# of its own instead.
PICTURES="$SOAK_HOME/Pictures"
mkdir -p "$PICTURES"
link="$(ls -d "$WINEPREFIX"/drive_c/users/*/Pictures 2>/dev/null | grep -v /Public/ | head -n1)"
[ -n "$link" ] || e2e_fail "the Wine prefix has no Pictures folder"
rm -rf "$link" && ln -s "$PICTURES" "$link" || e2e_fail "cannot redirect $link"
snapshot_count() { find "$PICTURES" -maxdepth 1 -name 'kvhuemix_*.png' | wc -l; }

e2e_start_display "${HUEMIX_SOAK_SCREEN:-800x600}"
read -r SCREEN_W SCREEN_H <<<"$(e2e_screen_size)"
e2e_start_huemix
e2e_wait_window

SAMPLES="$E2E_WORK/memory.csv"
echo "seconds,rss_anon_kb,vm_data_kb,events" >"$SAMPLES"
EVENTS=0 KEYS=0 CLICKS=0 WHEELS=0 F12_PRESSES=0 PROBES=0
PAUSED=0
START=$SECONDS
NEXT_SAMPLE=0
NEXT_PROBE=$PROBE_EVERY

# ---- memory -----------------------------------------------------------------------

sample_memory() {
    local rss data
    rss="$(awk '/^RssAnon:/ {print $2}' "/proc/$E2E_HUEMIX_PID/status" 2>/dev/null)"
    data="$(awk '/^VmData:/ {print $2}' "/proc/$E2E_HUEMIX_PID/status" 2>/dev/null)"
    [ -n "$rss" ] && [ -n "$data" ] || return 0  # the liveness check reports a dead process
    echo "$((SECONDS - START)),$rss,$data,$EVENTS" >>"$SAMPLES"
}

# Prints "first last max baseline worst-floor" of one column (2 RssAnon, 3 VmData): the
# baseline is the lowest sample of the last 30 s of the warm-up, the floor of a later
# sample the lowest of the 30 s up to it; worst-floor is the highest such floor.
memory_figures() {
    awk -F, -v col="$1" -v warm="$WARMUP" '
        BEGIN { n = 0 }
        NR > 1 { t[n] = $1 + 0; v[n] = $col + 0; n++ }
        END {
            if (n == 0) { print "0 0 0 0 0"; exit }
            max = v[0]; base = -1; worst = -1
            for (i = 0; i < n; i++) {
                if (v[i] > max) max = v[i]
                if (t[i] <= warm && t[i] > warm - 30 && (base < 0 || v[i] < base)) base = v[i]
                if (t[i] >= warm + 30) {
                    low = v[i]
                    for (j = i; j >= 0 && t[j] > t[i] - 30; j--) if (v[j] < low) low = v[j]
                    if (low > worst) worst = low
                }
            }
            if (base < 0) base = v[0]
            if (worst < 0) worst = base
            print v[0], v[n - 1], max, base, worst
        }' "$SAMPLES"
}

# ---- input ------------------------------------------------------------------------

# The part of the window that is client area for certain (away from a frame and its
# caption) and on the screen: "LEFT TOP RIGHT BOTTOM".
click_area() {
    local x y w h
    read -r x y w h <<<"$(e2e_window_geometry)"
    if [ -z "$h" ]; then
        # Wine may give the window a new X window when its style changes.
        _e2e_find_window || e2e_fail "the window is gone after $EVENTS events"
        read -r x y w h <<<"$(e2e_window_geometry)"
    fi
    local left=$((x + w / 4)) top=$((y + h / 4)) right=$((x + 3 * w / 4)) bottom=$((y + 3 * h / 4))
    [ "$left" -lt 0 ] && left=0
    [ "$top" -lt 0 ] && top=0
    [ "$right" -ge "$SCREEN_W" ] && right=$((SCREEN_W - 1))
    [ "$bottom" -ge "$SCREEN_H" ] && bottom=$((SCREEN_H - 1))
    echo "$left $top $right $bottom"
}

# Keeps the pointer over the window: with no window manager the keyboard focus
# follows it.
point_into_window() {
    local left top right bottom
    read -r left top right bottom <<<"$(click_area)"
    xdotool mousemove $((left + RANDOM % (right - left + 1))) $((top + RANDOM % (bottom - top + 1)))
}

# Every key of the key table, also with modifiers that must be ignored, and keys the
# program does not handle. Alt stays out: Alt+F4 closes, Alt+Space opens the menu.
KEY_CHOICES=(1 2 3 4 5 6 7 8 9 ctrl+3 shift+7 Escape Return p shift+p r shift+r
             bracketleft bracketright h shift+h v b space equal plus KP_Add minus KP_Subtract
             s ctrl+s F1 F11 F12 0 a KP_1)

send_key() {
    local key="$1"
    xdotool key "$key" || e2e_fail "xdotool could not send $key"
    EVENTS=$((EVENTS + 1)) KEYS=$((KEYS + 1))
    case "$key" in
        space) PAUSED=$((1 - PAUSED)) ;;
        F12) F12_PRESSES=$((F12_PRESSES + 1)) ;;
        F11)
            # The window changes place and size: wait for it, then point into it again.
            sleep 0.5
            point_into_window
            ;;
    esac
}

send_click() {
    local button="$1" left top right bottom
    read -r left top right bottom <<<"$(click_area)"
    xdotool mousemove $((left + RANDOM % (right - left + 1))) $((top + RANDOM % (bottom - top + 1))) \
        click "$button" || e2e_fail "xdotool could not click $button"
    EVENTS=$((EVENTS + 1))
    case "$button" in
        1 | 3) CLICKS=$((CLICKS + 1)) ;;
        *) WHEELS=$((WHEELS + 1)) ;;
    esac
}

# One random event: mostly keys, some clicks and wheel turns. F11 and F12 are rarer
# than the rest, so that most of the time goes to pictures and colours.
random_event() {
    local roll=$((RANDOM % 100))
    if [ "$roll" -lt 70 ]; then
        local key="${KEY_CHOICES[RANDOM % ${#KEY_CHOICES[@]}]}"
        # Keep F11 and F12 to about one press in seventy events each.
        if [ "$key" = F11 ] || [ "$key" = F12 ]; then
            [ $((RANDOM % 2)) -eq 0 ] || key=Return
        fi
        send_key "$key"
    elif [ "$roll" -lt 80 ]; then
        send_click 1
    elif [ "$roll" -lt 88 ]; then
        send_click 3
    elif [ "$roll" -lt 94 ]; then
        send_click 4
    else
        send_click 5
    fi
}

# ---- liveness ---------------------------------------------------------------------

alive() {
    e2e_running || e2e_fail "huemix.exe died after $((SECONDS - START)) s and $EVENTS events (see $E2E_WORK/huemix.log)"
}

# The program's main thread is busy (running or waiting for the processor) rather than
# waiting for a message. Slow pictures (the Buddhabrot, reaction-diffusion) take seconds
# to draw, longer on a loaded machine; input sent meanwhile queues up.
busy() { [ "$(awk '{print $3}' "/proc/$E2E_HUEMIX_PID/stat" 2>/dev/null)" = R ]; }

# settle SECONDS: waits until the main thread has been waiting for messages in four
# samples in a row, so that the input sent so far has been handled; at most SECONDS.
settle() {
    local deadline=$((SECONDS + $1)) quiet=0
    while [ "$SECONDS" -lt "$deadline" ] && [ "$quiet" -lt 4 ]; do
        if busy; then quiet=0; else quiet=$((quiet + 1)); fi
        sleep 0.05
    done
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$E2E_HUEMIX_PID/stat" 2>/dev/null; }

# The frame check first brings the program into a state where every new frame shows:
# Esc takes the help screen away (or draws a new picture), 1 chooses the plasma, whose
# every pixel rotates (a zoom into the set or a string-art background is black and stays
# so), Enter makes a fresh palette (brightness 0.6 compounds on every tick and fades the
# picture to a black that no rotation changes), F11 makes the window cover the screen
# again, Space ends a pause. Once that input is handled, the rotation must give three
# changes between successive captures, never STALL seconds without one.
check_frames() {
    PROBES=$((PROBES + 1))
    send_key Escape
    send_key 1
    send_key Return
    [ "$(e2e_window_geometry)" = "0 0 $SCREEN_W $SCREEN_H" ] || send_key F11
    if [ "$PAUSED" -eq 1 ]; then send_key space; fi
    settle 120
    local changes=0 n=0 previous current last_change=$SECONDS ticks
    ticks="$(cpu_ticks)"
    previous="$(e2e_capture probe-0)"
    while [ $((SECONDS - last_change)) -lt "$STALL" ]; do
        sleep 0.2
        n=$((n + 1))
        current="$(e2e_capture "probe-$n")"
        if ! e2e_same "$previous" "$current"; then
            changes=$((changes + 1))
            last_change=$SECONDS
        fi
        rm -f "$previous"
        previous="$current"
        if [ "$changes" -ge 3 ]; then
            rm -f "$current"
            return 0
        fi
    done
    alive
    local state="waiting"
    busy && state="busy"
    e2e_fail "no new frame for $STALL s while the palette should rotate, after $((SECONDS - START)) s and $EVENTS events ($changes changes; the program is $state and used $(( $(cpu_ticks) - ticks )) ticks of processor time meanwhile)"
}

# ---- the run ----------------------------------------------------------------------

echo "soak: $MINUTES min ($DURATION s) on a ${SCREEN_W}x${SCREEN_H} screen, seed $SEED, warm-up $WARMUP s"
sample_memory

# First every key of the table once, the slow modes and a snapshot included, so that
# whatever is loaded or allocated on first use is in place before the warm-up ends.
for key in 1 2 3 4 5 6 7 8 9 Escape Return p shift+p r r bracketleft bracketright h shift+h v b \
    space space equal minus KP_Add KP_Subtract s s ctrl+s ctrl+s F1 F1 F12 F11 F11; do
    send_key "$key"
    sleep 0.3
done
send_click 1
send_click 3
send_click 4
send_click 5
check_frames

while [ $((SECONDS - START)) -lt "$DURATION" ]; do
    random_event
    settle 15
    now=$((SECONDS - START))
    if [ "$now" -ge "$NEXT_SAMPLE" ]; then
        alive
        sample_memory
        NEXT_SAMPLE=$((now + SAMPLE_EVERY))
    fi
    if [ "$now" -ge "$NEXT_PROBE" ]; then
        check_frames
        NEXT_PROBE=$(( (SECONDS - START) + PROBE_EVERY))
    fi
    # 50 to 300 ms between events.
    sleep "0.$(printf '%03d' $((50 + RANDOM % 251)))"
done
alive
check_frames
sample_memory

# ---- the end ----------------------------------------------------------------------

e2e_key q
e2e_wait_exit 60 || e2e_fail "Q did not end the program within 60 s"
[ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "the program ended with exit code $E2E_EXIT_CODE"

read -r RSS_FIRST RSS_LAST RSS_MAX RSS_BASE RSS_WORST <<<"$(memory_figures 2)"
read -r DATA_FIRST DATA_LAST DATA_MAX DATA_BASE DATA_WORST <<<"$(memory_figures 3)"
SNAPSHOTS="$(snapshot_count)"
CANVAS="${SCREEN_W}x${SCREEN_H}"
broken=0
for shot in "$PICTURES"/kvhuemix_*.png; do
    [ -e "$shot" ] || continue
    [ "$(identify -format '%wx%h' "$shot" 2>/dev/null)" = "$CANVAS" ] || broken=$((broken + 1))
done

echo "soak: $MINUTES minutes, $EVENTS events ($KEYS keys, $CLICKS clicks, $WHEELS wheel turns), $PROBES frame checks"
echo "soak: $SNAPSHOTS snapshots for $F12_PRESSES F12 presses, $broken not a whole ${CANVAS} PNG"
echo "soak: RssAnon kB first $RSS_FIRST last $RSS_LAST max $RSS_MAX; after warm-up $RSS_BASE, highest 30-s floor $RSS_WORST"
echo "soak: VmData kB first $DATA_FIRST last $DATA_LAST max $DATA_MAX; after warm-up $DATA_BASE, highest 30-s floor $DATA_WORST"
echo "soak: exit code $E2E_EXIT_CODE"
[ -n "${HUEMIX_E2E_KEEP:-}" ] && cp "$SAMPLES" "${TMPDIR:-/tmp}/huemix-soak-memory-$SEED.csv"

[ "$SNAPSHOTS" -eq "$F12_PRESSES" ] || e2e_fail "$F12_PRESSES F12 presses left $SNAPSHOTS snapshots"
[ "$broken" -eq 0 ] || e2e_fail "$broken snapshots are not whole ${CANVAS} pictures"
[ $((RSS_WORST - RSS_BASE)) -le "$GROWTH_LIMIT_KB" ] ||
    e2e_fail "resident memory grew by $((RSS_WORST - RSS_BASE)) kB after the warm-up"
[ $((DATA_WORST - DATA_BASE)) -le "$GROWTH_LIMIT_KB" ] ||
    e2e_fail "private memory grew by $((DATA_WORST - DATA_BASE)) kB after the warm-up"
e2e_pass
