#!/usr/bin/env bash
# The picture sweep: every picture of the modes that take sines and logarithms
# (plasma, phyllotaxis, string art, the Buddhabrot) drawn by the core compiled to
# WebAssembly, under Node, and by huemix-render, compared byte for byte over many
# seeds and sizes. Minutes, not part of the tests; see docs/reliability.md.
#
#     bash scripts/libm_sweep.sh [SIZE:SEEDS ...] [--modes 1,3,4,9]
#                                 (320x200:100 640x400:100 1920x1080:12)
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/web_build.sh
huemix_build_web build/web || { echo "libm_sweep.sh: the browser build failed" >&2; exit 1; }
cmake --build build/web --target huemix_picture_sweep -j "$(nproc 2>/dev/null || echo 2)" >build/web.sweep.log 2>&1 \
    || { cat build/web.sweep.log; exit 1; }
if [ ! -x build/native/huemix-render ]; then
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build/native \
        --target huemix-render -j "$(nproc 2>/dev/null || echo 2)" >/dev/null || exit 1
fi
exec node tests/web/libm_sweep.js build/web/tests/huemix_picture_sweep.js build/native/huemix-render "$@"
