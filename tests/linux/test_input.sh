# The program's answers to input: the picture moves, Space stops and starts it, 5 draws
# another picture, and F12 saves exactly the frame on the screen as kvhuemix_*.png in
# the pictures folder: the current folder while there is none, then ~/Pictures once it
# exists, then the folder xdg-user-dir names once user-dirs.dirs names one.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
command -v xdg-user-dir >/dev/null 2>&1 || linux_skip "missing tool: xdg-user-dir (xdg-user-dirs)"
export HOME="$E2E_WORK/home"
unset XDG_CONFIG_HOME
mkdir -p "$HOME"

e2e_start_display 800x600
e2e_start_huemix --mode 1
e2e_wait_window

e2e_wait_moving moving 10 || e2e_fail "mode 1 does not move"
e2e_key space
still="$(e2e_wait_still paused 10)" || e2e_fail "the picture keeps moving after Space"
sleep 1
e2e_check "the paused picture changed" e2e_same "$still" "$(e2e_capture paused-later)"

# Still paused, so only a new picture can change the screen.
e2e_key 5
e2e_wait_change "$still" 10 >/dev/null || e2e_fail "5 does not change the picture"
mode5="$(e2e_wait_still mode-5 10)" || e2e_fail "the picture keeps changing after 5"
e2e_check "5 shows the old picture again" eval '! e2e_same "$still" "$mode5"'

# Each row: the folder made ready, then where the snapshot must appear.
pictures_xdg="$HOME/Bilder mit Leerzeichen"
cases=(
    "nothing:$E2E_WORK"
    "home-pictures:$HOME/Pictures"
    "xdg:$pictures_xdg"
)
for row in "${cases[@]}"; do
    name="${row%%:*}"
    folder="${row#*:}"
    case "$name" in
        home-pictures) mkdir -p "$HOME/Pictures" ;;
        xdg)
            mkdir -p "$HOME/.config" "$pictures_xdg"
            echo 'XDG_PICTURES_DIR="$HOME/Bilder mit Leerzeichen"' >"$HOME/.config/user-dirs.dirs"
            ;;
    esac
    frame="$(e2e_wait_still "before-f12-$name" 10)" || e2e_fail "$name: the screen does not settle"
    e2e_key F12
    e2e_wait_for 10 eval 'ls "$folder"/kvhuemix_*.png >/dev/null 2>&1' || e2e_fail "$name: no snapshot in $folder"
    saved="$(ls "$folder"/kvhuemix_*.png | head -n1)"
    [[ "$(basename "$saved")" =~ ^kvhuemix_[0-9]{8}_[0-9]{6}\.png$ ]] || e2e_fail "$name: badly named $saved"
    e2e_check "$name: the snapshot is not the frame on the screen" e2e_same "$frame" "$saved"
    mv "$saved" "$E2E_WORK/saved-$name.png.done"
done

e2e_key q
e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end it with code 0"
e2e_pass
