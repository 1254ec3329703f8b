#!/usr/bin/env bash
# Every PNG carries its recipe, and --recipe draws the same file again, byte for byte;
# a bad PNG or recipe is refused in one line with exit code 2, leaving no file.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TEXT=(python3 "$HERE/pngtext.py")
VERSION="$("$RENDER" --version | cut -d' ' -f2)"

# round_trip NAME "OPTIONS" ["OPTIONS OF BOTH RUNS"]: the picture, then the same from its recipe.
round_trip() {
    local name="$1" options="$2" both="${3:-}"
    # shellcheck disable=SC2086
    render $options $both -o "$name.png" || return
    # shellcheck disable=SC2086
    render --recipe "$name.png" $both -o "$name-again.png" || return
    check "$name: drawn again byte for byte" cmp -s "$name.png" "$name-again.png"
    check "$name: Software is Huemix $VERSION" test "$("${TEXT[@]}" get "$name.png" Software)" = "Huemix $VERSION"
}
round_trip plain "--size 320x200 --seed 3"
round_trip zoom "--size 320x200 --seed 12 --mode 8 --zoom-frames 2 --ticks 40 --palette neon --step 2 --direction -1"
round_trip drift "--size 321x203 --seed 15 --mode 4 --hue 10 --saturation 0.5 --brightness 1.4 --ticks 300 --palette sunset"
round_trip paused "--size 400x240 --seed 0 --mode 9 --paused --ticks 17 --delay 120"
round_trip unknown-mode "--size 320x200 --seed 7 --mode 12 --palette ibm"
round_trip help "--size 640x400 --seed 9 --mode 2 --delay 35" "--overlay help"
round_trip strip "--size 640x400 --seed 9 --mode 3 --delay 35" "--overlay strip"

# The text itself: the palette is made from the seed given, the picture from the state after it.
check "the recipe of --seed 3: '$("${TEXT[@]}" get plain.png Comment)'" grep -Eq \
    "^mode=1&seed=0x[0-9A-F]+&paletteseed=0x3&palette=random&speed=50&step=1&direction=1&paused=0&size=320x200$" \
    <("${TEXT[@]}" get plain.png Comment)
check "the adjustment and the ticks: '$("${TEXT[@]}" get drift.png Comment)'" \
    grep -q "&palette=sunset&speed=50&step=1&direction=1&paused=0&hue=10&saturation=0.5&brightness=1.4&ticks=300&size=321x203$" \
    <("${TEXT[@]}" get drift.png Comment)

# An animation from a recipe is the animation of the picture's own options.
render --size 320x200 --seed 12 --mode 8 --zoom-frames 2 --ticks 40 --palette neon --step 2 --direction -1 \
    --frames 6 -o zoom.gif
render --recipe zoom.png --frames 6 -o zoom-again.gif
check "a GIF from a recipe is the same file" cmp -s zoom.gif zoom-again.gif

# Bad inputs, each made from a good file.
good="$("${TEXT[@]}" get plain.png Comment)"
bad_recipe() { "${TEXT[@]}" set plain.png Comment "$2" "$1"; }
"${TEXT[@]}" drop plain.png Comment no-recipe.png
bad_recipe bad-mode.png "${good/mode=1/mode=12}"
bad_recipe bad-speed.png "${good/speed=50/speed=0}"
bad_recipe huge-side.png "${good/size=320x200/size=100000x100000}"
bad_recipe huge-area.png "${good/size=320x200/size=20000x20000}"
bad_recipe no-size.png "${good/&size=320x200/}"
bad_recipe twice.png "$good&mode=2"
echo "not a picture" >text.png
: >empty.png
head -c 60 plain.png >cut-early.png
head -c -20 plain.png >cut-late.png
mkdir folder.png
# A CRC that does not match its chunk.
python3 -c "
import sys; d = bytearray(open('plain.png', 'rb').read()); d[29] ^= 0xFF; open('damaged.png', 'wb').write(d)"
# Three gigabytes, most of them one chunk before the picture data (a sparse file).
python3 -c "
import struct, zlib
ihdr = open('plain.png', 'rb').read()[8:33]
f = open('huge.png', 'wb')
f.write(b'\x89PNG\r\n\x1a\n' + ihdr + struct.pack('>I4s', 0x7FFFFFF0, b'huGe'))
f.truncate(3 << 30)"

while IFS='|' read -r file output pattern; do
    expect_error "--recipe '$WORK/$file': $pattern" --recipe "$WORK/$file" -o "$output"
done <<'EOF'
no-recipe.png|x.png|no recipe in it
bad-mode.png|x.png|bad recipe: mode '12'
bad-speed.png|x.gif|bad recipe: speed '0'
huge-side.png|x.webm|bad recipe: size '100000x100000': each side must be 1 to 65535 pixels
huge-area.png|x.png|bad recipe: size '20000x20000': more than 268435456 pixels
no-size.png|x.png|bad recipe: no 'size' in it
twice.png|x.png|bad recipe: 'mode' given twice
text.png|x.png|not a PNG file
empty.png|x.webm|not a PNG file
cut-early.png|x.png|the file ends before its picture data
cut-late.png|x.gif|the file is cut short
damaged.png|x.png|a damaged PNG file
huge.png|x.png|more than 8 MiB before its picture data
folder.png|x.png|not a file
missing.png|x.png|No such file or directory
EOF
expect_error "--seed: --recipe sets the picture" --recipe "$WORK/plain.png" --seed 4 -o x.png
finish
