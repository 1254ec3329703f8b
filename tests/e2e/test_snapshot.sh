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

# GDI+ failing at each step: a stand-in gdiplus.dll next to a copy of the program logs
# every call. Whatever fails, the library is unloaded again, GDI+ is shut down once it
# was started (and not otherwise), a made bitmap is disposed of, nothing is written and
# the program goes on.
CC="$(command -v x86_64-w64-mingw32-gcc-posix || command -v x86_64-w64-mingw32-gcc)" ||
    e2e_fail "missing tool: x86_64-w64-mingw32-gcc"
windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }
export HUEMIX_GDIPLUS_LOG="$(windows_path "$E2E_WORK/gdiplus.log")"
export HUEMIX_GDIPLUS_FAIL="$(windows_path "$E2E_WORK/gdiplus.fail")"
export WINEDLLOVERRIDES="mscoree,mshtml=;gdiplus=n"
# with_stand_in FOLDER [COMPILER FLAGS...]: the program copy that loads the stand-in.
with_stand_in() {
    local folder="$E2E_WORK/$1"
    shift
    mkdir -p "$folder"
    cp "$E2E_EXE" "$folder/huemix.exe"
    "$CC" -shared -O1 -Wall -o "$folder/gdiplus.dll" "$E2E_LIB_DIR/gdiplus_stand_in.c" "$@" ||
        e2e_fail "cannot build the stand-in gdiplus.dll"
    echo "$folder/huemix.exe"
}
log_ends() { tail -n1 "$E2E_WORK/gdiplus.log" 2>/dev/null | grep -qx unload; }
# snapshot_calls FAILING_STEP EXPECTED_CALLS: one F12 press and the calls it made.
snapshot_calls() {
    echo "$1" >"$E2E_WORK/gdiplus.fail"
    rm -f "$E2E_WORK/gdiplus.log"
    e2e_key F12
    e2e_wait_for 10 log_ends || e2e_fail "F12 (failing: ${1:-nothing}) left gdiplus.dll loaded"
    sleep 0.3
    local calls
    calls="$(tr '\n' ' ' <"$E2E_WORK/gdiplus.log")"
    [ "$calls" = "$2 " ] || e2e_fail "F12 (failing: ${1:-nothing}) made the calls: $calls"
    e2e_running || e2e_fail "F12 (failing: ${1:-nothing}) ended the program"
}
real_exe="$E2E_EXE"
E2E_EXE="$(with_stand_in stand-in)" && [ -f "$E2E_EXE" ] || e2e_fail "no program copy with the stand-in"
e2e_start_huemix --mode 1
e2e_wait_window
bitmap="bitmap 1920x1080 stride 7680 format 22009"
# The name: C:\users\NAME\Pictures\kvhuemix_YYYYMMDD_HHMMSS.png.
user="$(basename "$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v /Public/ | head -n1)")"
save="save $((9 + ${#user} + 9 + 29)) units"
snapshot_calls startup "load startup unload"
snapshot_calls bitmap "load startup $bitmap shutdown unload"
snapshot_calls save "load startup $bitmap $save dispose shutdown unload"
snapshot_calls "" "load startup $bitmap $save dispose shutdown unload"
count_is 4 || e2e_fail "a failed snapshot wrote a file"
before="$(e2e_capture before-stand-in-key)"
e2e_key 4
e2e_wait_change "$before" 10 >/dev/null || e2e_fail "the program no longer answers after failed snapshots"
e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"

# A gdiplus.dll without one of the five functions is unloaded before anything is called.
E2E_EXE="$(with_stand_in stand-in-without-save -DWITHOUT_SAVE)" && [ -f "$E2E_EXE" ] ||
    e2e_fail "no program copy with the stand-in"
e2e_start_huemix --mode 1
e2e_wait_window
snapshot_calls "" "load unload"
e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"
E2E_EXE="$real_exe"
e2e_pass
