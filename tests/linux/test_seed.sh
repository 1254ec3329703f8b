# --seed and --palette-seed mean what the page's link means (the random state before the
# picture and before its palette), and F12's PNG carries the recipe: the renderer draws
# the picture on the screen again from it, pixel for pixel, and draws another picture
# for another seed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ -n "$RENDER" ] && [ -x "$RENDER" ] || linux_skip "no huemix-render to draw the picture again"
export HOME="$E2E_WORK/home"
mkdir -p "$HOME/Pictures"
SIZE=800x600
e2e_start_display "$SIZE"

# Each row: the options, then the seeds the recipe must name. A seed alone makes the
# palette, and the picture follows from where the palette left the random state, as
# when the page is opened with seed= alone.
cases=(
    "--seed 0x1234 --palette-seed 0x5678|seed=0x1234&paletteseed=0x5678"
    "--seed 4660|seed=0x*&paletteseed=0x1234"
    "--palette-seed 0xBEEF --seed 0xFEED|seed=0xFEED&paletteseed=0xBEEF"
)
shots=()
n=0
for row in "${cases[@]}"; do
    n=$((n + 1))
    read -r -a options <<<"${row%%|*}"
    seeds="${row#*|}"
    rm -f "$HOME"/Pictures/kvhuemix_*.png
    e2e_start_huemix --mode 2 --speed 600000 "${options[@]}"
    e2e_wait_window
    frame="$(e2e_wait_still "frame-$n" 15)" || e2e_fail "${options[*]}: the frame does not settle"
    e2e_key F12
    e2e_wait_for 10 eval 'ls "$HOME"/Pictures/kvhuemix_*.png >/dev/null 2>&1' || e2e_fail "${options[*]}: no snapshot"
    snapshot="$(ls "$HOME"/Pictures/kvhuemix_*.png | head -n1)"
    recipe="$(identify -format '%c' "$snapshot")"
    # shellcheck disable=SC2053
    [[ "$recipe" == mode=2\&$seeds\&*\&size=$SIZE ]] || e2e_fail "${options[*]}: the recipe is '$recipe'"
    "$RENDER" --recipe "$snapshot" --overlay strip -o "$E2E_WORK/again.png" >/dev/null ||
        e2e_fail "${options[*]}: huemix-render --recipe failed"
    differ="$(e2e_difference "$frame" "$E2E_WORK/again.png")" || exit 1
    [ "$differ" -eq 0 ] || e2e_fail "${options[*]}: $differ pixels differ from the picture drawn again"
    shots+=("$frame")
    e2e_stop_huemix
done
e2e_check "another seed drew the same picture" eval '! e2e_same "${shots[0]}" "${shots[2]}"'
e2e_pass
