# Snapshots where the Pictures folder is hostile, and snapshots in a hurry:
#   - a folder path too long for the file name writes nothing (and one that leaves room
#     for exactly the whole name still works),
#   - an unwritable folder writes nothing, and the program goes on,
#   - two hundred F12 presses in quick succession give two hundred whole pictures,
#   - once every name of a second is taken (the plain one and _2 to _99), presses in
#     that second write nothing and overwrite nothing; later presses work again.
#
# Own home folder and Wine prefix (the Pictures folder is changed for this test only).
# As root, permission bits do not stop writing; the test then runs without the
# capabilities that override them, so that a read-only folder is read-only.
if [ "$(id -u)" -eq 0 ] && [ -z "${HUEMIX_E2E_NO_DAC_OVERRIDE:-}" ] && command -v setpriv >/dev/null; then
    export HUEMIX_E2E_NO_DAC_OVERRIDE=1
    exec setpriv --bounding-set -dac_override,-dac_read_search -- bash "$0" "$@"
fi
SNAP_HOME="$(mktemp -d "${TMPDIR:-/tmp}/huemix-snapshot-hostile.XXXXXX")"
export HOME="$SNAP_HOME"
export HUEMIX_E2E_WINEPREFIX="$SNAP_HOME/wine"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
trap 'status=$?; e2e_stop_huemix; _e2e_wineserver -k; chmod -R u+rwx "$SNAP_HOME"; rm -rf "$SNAP_HOME"; (exit $status); e2e_cleanup' EXIT

SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
# set_pictures UNIX_FOLDER: the Pictures folder the program looks up from now on.
set_pictures() {
    local windows="Z:${1//\//\\}"
    e2e_reg_write "$SHELL_FOLDERS" "My Pictures" REG_EXPAND_SZ "$windows"
}
# Every snapshot anywhere the program could have put one: the home (with the prefix
# and the folders below) and the current directory of the program.
all_snapshots() { find "$SNAP_HOME" "$E2E_WORK" -name 'kvhuemix_*.png' | sort; }
count_in() { find "$1" -maxdepth 1 -name 'kvhuemix_*.png' | wc -l; }
count_is() { [ "$(count_in "$1")" -eq "$2" ]; }
whole_at() { [ "$(identify -format '%wx%h' "$1" 2>/dev/null)" = 640x400 ]; }

# answers NAME: a new picture (digit 2, a fresh Voronoi) reaches the screen.
answers() {
    local before
    before="$(e2e_wait_still "$1-before" 10)" || e2e_fail "$1: the picture does not settle"
    e2e_key 2
    e2e_wait_change "$before" 10 >/dev/null || e2e_fail "$1: the program no longer answers"
}

e2e_start_display 640x400
# A still picture: no rotation at this interval, so every change comes from a key.
e2e_start_huemix --mode 2 --speed 2147483647
e2e_wait_window

# ---- a folder path too long for the name -----------------------------------------
# The name adds 29 units to the folder and the buffer holds 259 and a terminator: a
# folder of 230 units leaves exactly room, one of 231 none.
folder_of_length() {  # LENGTH: prints a new folder whose Windows path has that length
    local base="$SNAP_HOME/long"
    mkdir -p "$base"
    local pad=$(($1 - ${#base} - 3))  # "Z:" and the separator
    local folder="$base/$(printf 'a%.0s' $(seq "$pad"))"
    mkdir -p "$folder" || e2e_fail "cannot make a folder of length $1"
    local windows="Z:${folder//\//\\}"
    [ "${#windows}" -eq "$1" ] || e2e_fail "folder of length ${#windows}, not $1"
    echo "$folder"
}
fits="$(folder_of_length 230)"
set_pictures "$fits"
e2e_key F12
e2e_wait_for 15 count_is "$fits" 1 || e2e_fail "a 230-unit folder leaves room for the name, yet F12 wrote no picture"
name="$(basename "$(all_snapshots | head -n1)")"
[ "${#name}" -eq 28 ] || e2e_fail "unexpected name $name"

rm -rf "$SNAP_HOME/long"
too_long="$(folder_of_length 231)"
set_pictures "$too_long"
e2e_key F12 F12
sleep 2
e2e_running || e2e_fail "F12 with a folder too long for the name ended the program"
[ -z "$(all_snapshots)" ] || e2e_fail "F12 with a folder too long for the name wrote $(all_snapshots)"
answers long-folder

# ---- an unwritable folder ---------------------------------------------------------
locked="$SNAP_HOME/locked"
mkdir -p "$locked"
chmod 555 "$locked"
touch "$locked/probe" 2>/dev/null && e2e_fail "cannot make a read-only folder here (writing into it works)"
set_pictures "$locked"
e2e_key F12
sleep 2
e2e_running || e2e_fail "F12 into an unwritable folder ended the program"
[ -z "$(all_snapshots)" ] || e2e_fail "F12 into an unwritable folder wrote $(all_snapshots)"
answers locked-folder
chmod 755 "$locked"
e2e_key F12
e2e_wait_for 15 count_is "$locked" 1 || e2e_fail "F12 writes nothing once the folder is writable again"
rm -f "$locked"/kvhuemix_*.png

# ---- two hundred presses in quick succession ---------------------------------------
burst="$SNAP_HOME/burst"
mkdir -p "$burst"
set_pictures "$burst"
xdotool key --delay 15 $(printf 'F12 %.0s' $(seq 200))
e2e_wait_for 120 count_is "$burst" 200 || e2e_fail "200 F12 presses gave $(count_in "$burst") pictures"
sleep 2
count_is "$burst" 200 || e2e_fail "200 F12 presses gave $(count_in "$burst") pictures"
for shot in "$burst"/kvhuemix_*.png; do
    e2e_wait_for 10 whole_at "$shot" || e2e_fail "$(basename "$shot") is not a whole 640 x 400 picture"
done
echo "e2e: 200 snapshots within $(ls "$burst" | cut -c10-24 | sort -u | wc -l) seconds"

# ---- every name of a second taken ---------------------------------------------------
full="$SNAP_HOME/full"
mkdir -p "$full"
set_pictures "$full"
# Every name of the next eight seconds, each file with its own content.
start=$(( $(date +%s) + 1 ))
for second in $(seq "$start" $((start + 7))); do
    stem="$full/kvhuemix_$(date -d "@$second" +%Y%m%d_%H%M%S)"
    echo "$stem" >"$stem.png"
    for n in $(seq 2 99); do echo "$stem $n" >"${stem}_$n.png"; done
done
(cd "$full" && md5sum kvhuemix_*.png) >"$E2E_WORK/taken.md5"
now_past() { [ "$(date +%s)" -gt "$1" ]; }
e2e_wait_for 5 now_past $((start - 1))
e2e_key F12 F12 F12 F12 F12
answers all-taken
[ "$(date +%s)" -le $((start + 7)) ] || e2e_fail "the presses took too long to tell anything"
sleep 1
count_is "$full" $((8 * 99)) || e2e_fail "F12 wrote a picture although every name was taken"
(cd "$full" && md5sum --quiet -c "$E2E_WORK/taken.md5") || e2e_fail "F12 overwrote a taken name"
e2e_wait_for 15 now_past $((start + 7))
e2e_key F12
e2e_wait_for 15 count_is "$full" $((8 * 99 + 1)) || e2e_fail "F12 writes nothing after the taken seconds"

e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"
e2e_pass
