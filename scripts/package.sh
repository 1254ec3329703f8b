#!/usr/bin/env bash
# Builds the download for Windows users: cross-compiles huemix.exe and huemix.scr and
# packs them with README.txt into OUT_DIR/huemix-<version>-windows-x64.zip and into
# the setup program OUT_DIR/huemix-<version>-setup.exe (NSIS, setup/huemix.nsi), each
# with its SHA-256 in a .sha256 file beside it (the format sha256sum -c reads). It also
# builds the browser version (build/web, with Emscripten) and packs the static site into
# OUT_DIR/huemix-<version>-web.zip, with its .sha256 the same way. And it packs the
# Linux program of a native build (LINUX_BUILD_DIR, made when missing) into the Debian
# package OUT_DIR/huemix_<version>_amd64.deb (scripts/deb_package.sh), with its .sha256.
#
#     bash scripts/package.sh [BUILD_DIR [OUT_DIR [WEB_BUILD_DIR [LINUX_BUILD_DIR]]]]
#                             (build/windows, build/package, build/web, build/native)
#
# The same sources give the same bytes, whatever the folder, the time, the time zone
# or the user: the executables carry no time stamp and no build path, and the zip has
# a fixed order, fixed permissions and one fixed time for every entry,
# SOURCE_DATE_EPOCH when set, else 2026-01-01 00:00 UTC. The setup program stores the
# times of the files it carries, so they get that same time first. An existing BUILD_DIR must be
# a Windows cross build; it is reused as it is configured.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BUILD="${1:-build/windows}"
OUT="${2:-build/package}"
WEB_BUILD="${3:-build/web}"
LINUX_BUILD="${4:-build/native}"
EPOCH="${SOURCE_DATE_EPOCH:-1767225600}"

source scripts/deps.sh
huemix_install_deps || { echo "package.sh: installing the build tools failed" >&2; exit 1; }

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
grep -q '^CMAKE_RC_COMPILER:.*windres' "$BUILD/CMakeCache.txt" \
    || { echo "package.sh: $BUILD is not a Windows build" >&2; exit 1; }

# Whenever the sources have the screen saver, the download carries it.
targets=(huemix)
files=(huemix.exe)
if [ -f saver/saver_main_win32.cpp ]; then
    targets+=(huemix_saver)
    files+=(huemix.scr)
fi
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}" >/dev/null

version="$(sed -n 's/^#define HUEMIX_VERSION "\(.*\)"$/\1/p' "$BUILD/generated/huemix_version.h")"
[ -n "$version" ] || { echo "package.sh: no version in $BUILD/generated/huemix_version.h" >&2; exit 1; }
name="huemix-$version-windows-x64.zip"

entries=()
for file in "${files[@]}"; do
    [ -f "$BUILD/$file" ] || { echo "package.sh: $BUILD/$file was not built" >&2; exit 1; }
    entries+=("$file=$BUILD/$file")
done
entries+=("README.txt=$BUILD/generated/README.txt:text")

mkdir -p "$OUT"
python3 scripts/release_zip.py "$OUT/$name" "$EPOCH" "${entries[@]}"
(cd "$OUT" && sha256sum "$name" >"$name.sha256")
echo "$OUT/$name"

# The setup program, from copies of the same files with the fixed time.
if [ -f setup/huemix.nsi ] && [ -f "$BUILD/huemix.scr" ]; then
    staged="$BUILD/setup-files"
    rm -rf "$staged"
    mkdir -p "$staged"
    for file in "${files[@]}"; do cp "$BUILD/$file" "$staged/$file"; done
    # The README keeps the line ends Windows expects, as in the zip.
    sed 's/\r*$/\r/' "$BUILD/generated/README.txt" >"$staged/README.txt"
    touch -d "@$EPOCH" "$staged"/*
    setup="huemix-$version-setup.exe"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFILES="$(cd "$staged" && pwd)" \
        -DICON="$ROOT/resources/huemix.ico" -DOUTFILE="$(cd "$OUT" && pwd)/$setup" setup/huemix.nsi \
        >"$BUILD/makensis.log" 2>&1 || { cat "$BUILD/makensis.log" >&2; echo "package.sh: makensis failed" >&2; exit 1; }
    (cd "$OUT" && sha256sum "$setup" >"$setup.sha256")
    echo "$OUT/$setup"
fi

# The browser version: the files of the static site, in a fixed order; the last four
# are fetched only for a video or an opened PNG.
source scripts/web_build.sh
huemix_build_web "$WEB_BUILD" >/dev/null || { echo "package.sh: the browser build failed" >&2; exit 1; }
web_name="huemix-$version-web.zip"
python3 scripts/release_zip.py "$OUT/$web_name" "$EPOCH" index.html="$WEB_BUILD/index.html" \
    huemix.js="$WEB_BUILD/huemix.js" huemix.wasm="$WEB_BUILD/huemix.wasm" \
    huemix-mt.js="$WEB_BUILD/huemix-mt.js" huemix-mt.wasm="$WEB_BUILD/huemix-mt.wasm" \
    huemix-mt.worker.js="$WEB_BUILD/huemix-mt.worker.js" huemix-share.js="$WEB_BUILD/huemix-share.js" \
    huemix-video.js="$WEB_BUILD/huemix-video.js" huemix-video.wasm="$WEB_BUILD/huemix-video.wasm" \
    mediabunny.js="$WEB_BUILD/mediabunny.js"
(cd "$OUT" && sha256sum "$web_name" >"$web_name.sha256")
echo "$OUT/$web_name"

# The Debian package, from the native build of the Linux program.
if [ -f linux/CMakeLists.txt ]; then
    # Configured again: a tree made before linux/ existed has no such target yet.
    cmake -S . -B "$LINUX_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$LINUX_BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target huemix-linux >/dev/null \
        || { echo "package.sh: building huemix for Linux failed" >&2; exit 1; }
    bash scripts/deb_package.sh "$LINUX_BUILD" "$OUT" "$EPOCH"
fi
