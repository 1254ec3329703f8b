# F12 saves the frame as last composed as a PNG file in the Pictures folder: the Canvas
# size whatever the window's, pixel for pixel the frame the core composes, a new file
# for every press (never overwriting), the help screen when it is shown; without GDI+
# F12 changes nothing and the program goes on.
#
# The test has its own home folder and Wine prefix, so the Pictures folder (which Wine
# links to the home folder) holds only the pictures this test takes.
SNAP_HOME="$(mktemp -d "${TMPDIR:-/tmp}/huemix-snapshot-home.XXXXXX")"
export HOME="$SNAP_HOME"
export HUEMIX_E2E_WINEPREFIX="$SNAP_HOME/wine"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
trap 'status=$?; e2e_stop_huemix; _e2e_wineserver -k; rm -rf "$SNAP_HOME"; (exit $status); e2e_cleanup' EXIT

RENDER="$E2E_ROOT/build/native/huemix-render"
[ -x "$RENDER" ] || e2e_fail "the native renderer $RENDER is needed for the reference frame"

snapshot_count() { find "$SNAP_HOME" -maxdepth 1 -name 'kvhuemix_*.png' | wc -l; }
count_is() { [ "$(snapshot_count)" -eq "$1" ]; }
newest_snapshot() { ls -t "$SNAP_HOME"/kvhuemix_*.png | head -n1; }
# The file appears before GDI+ has finished writing it: wait until it reads whole.
complete_at_size() { [ "$(identify -format '%wx%h' "$1" 2>/dev/null)" = "$2" ]; }

e2e_start_display 1920x1080
# Phyllotaxis takes no random numbers, GRAY is a fixed preset, and at this interval the
# palette never turns: the frame is known exactly once the strip is off and the hint gone.
e2e_start_huemix --windowed --mode 3 --palette gray --speed 1000000000
e2e_wait_window
e2e_key s
e2e_wait_still settled 15 >/dev/null || e2e_fail "the picture does not settle"

e2e_key F12
e2e_wait_for 15 count_is 1 || e2e_fail "F12 wrote no picture"
first="$(newest_snapshot)"
case "$(basename "$first")" in
    kvhuemix_[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]_[0-9][0-9][0-9][0-9][0-9][0-9].png) ;;
    *) e2e_fail "unexpected file name $(basename "$first")" ;;
esac
e2e_wait_for 10 complete_at_size "$first" 1920x1080 || e2e_fail "the picture is not 1920 x 1080"
"$RENDER" --size 1920x1080 --palette gray --mode 3 --seed 1 -o "$E2E_WORK/reference.png" >/dev/null \
    || e2e_fail "the renderer could not make the reference frame"
e2e_check "the saved picture differs from the frame the core composes" e2e_same "$first" "$E2E_WORK/reference.png"
[ "$(identify -format '%[opaque]' "$first")" = "true" ] || e2e_fail "the picture is not opaque"

# Two presses within a second: two more files, the first one untouched.
cp "$first" "$E2E_WORK/first-copy.png"
e2e_key F12 F12
e2e_wait_for 15 count_is 3 || e2e_fail "two quick F12 presses did not give two files ($(snapshot_count) in all)"
for shot in "$SNAP_HOME"/kvhuemix_*.png; do
    e2e_wait_for 10 complete_at_size "$shot" 1920x1080 || e2e_fail "$(basename "$shot") is not a whole picture"
done
cmp -s "$first" "$E2E_WORK/first-copy.png" || e2e_fail "a later snapshot overwrote the first"

# With the help screen shown, the file holds the help screen.
e2e_key F1
e2e_wait_still help 10 >/dev/null || e2e_fail "the help screen does not settle"
e2e_key F12
e2e_wait_for 15 count_is 4 || e2e_fail "F12 with the help screen wrote no picture"
help_shot="$(newest_snapshot)"
e2e_wait_for 10 complete_at_size "$help_shot" 1920x1080 || e2e_fail "the help snapshot is not 1920 x 1080"
black="$(e2e_black_fraction "$help_shot")"
[ "$black" -gt 700 ] && [ "$black" -lt 995 ] || e2e_fail "the help snapshot does not hold the help screen ($black per mille black)"

e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"

# Without GDI+ the snapshot fails silently and nothing else changes.
export WINEDLLOVERRIDES="mscoree,mshtml=;gdiplus=d"
e2e_start_huemix --mode 1
e2e_wait_window
e2e_key F12
sleep 2
e2e_running || e2e_fail "F12 without GDI+ ended the program"
count_is 4 || e2e_fail "F12 without GDI+ wrote a file"
before="$(e2e_capture before-key)"
e2e_key 4
e2e_wait_change "$before" 10 >/dev/null || e2e_fail "the program no longer answers after F12 without GDI+"
e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"
e2e_pass
