#!/usr/bin/env bash
# Renders the README's gallery with huemix-render: one picture of each of the ten
# drawing modes into docs/gallery/, printing the command that made each. Builds the
# renderer natively first when it is not there (set HUEMIX_RENDER to use another).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
RENDER="${HUEMIX_RENDER:-build/native/huemix-render}"
if [ ! -x "$RENDER" ]; then
    source scripts/deps.sh
    huemix_install_deps || { echo "gallery.sh: installing the build tools failed" >&2; exit 1; }
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/native -j 2 --target huemix-render >/dev/null
fi

OUT=docs/gallery
SIZE=480x300
mkdir -p "$OUT"
# mode, file name, preset, seed, further options
pictures=(
    "0|00-splash|AMIGA|1|"
    "1|01-plasma|FIRE|2024|"
    "2|02-voronoi|PASTEL|7|"
    "3|03-phyllotaxis|NEON|1|--ticks 40"
    "4|04-string-art|OCEAN|12|"
    "5|05-reaction-diffusion|FOREST|3|"
    "6|06-landscape|SUNSET|31|"
    "7|07-squares|CGA|8|"
    "8|08-mandelbrot-zoom|AMIGA|3|--zoom-frames 120"
    "9|09-buddhabrot|FIRE|9|"
)
for entry in "${pictures[@]}"; do
    IFS='|' read -r mode name preset seed extra <<<"$entry"
    # shellcheck disable=SC2206
    args=(--size "$SIZE" --seed "$seed" --mode "$mode" --palette "$preset" $extra -o "$OUT/$name.png")
    echo "huemix-render ${args[*]}"
    "$RENDER" "${args[@]}" >/dev/null
done
echo "gallery: $(du -ch "$OUT"/*.png | tail -1 | cut -f1) in $OUT"
