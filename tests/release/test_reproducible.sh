#!/usr/bin/env bash
# Two builds of the download from the same sources, in folders of different names and
# depths, one after the other, the second with another time zone and a umask that
# gives other permissions: huemix.exe, huemix.scr, the zips, the setup program and the
# Debian package must be the same bytes.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/huemix-reproducible.XXXXXX")"
status=1
trap '[ "$status" -eq 0 ] && rm -rf "$WORK" || echo "builds kept in $WORK" >&2' EXIT

fail() {
    echo "FAIL: reproducible: $*" >&2
    exit 1
}

# The sources as git sees them (tracked or new, not ignored, still present), or the
# whole tree without its builds when this is no git checkout.
copy_sources() {  # destination
    mkdir -p "$1"
    if git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1; then
        (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
            tar --null -T - -cf -) | tar -xf - -C "$1"
    else
        (cd "$ROOT" && tar --exclude=./build -cf - .) | tar -xf - -C "$1"
    fi
}

build() {  # source copy, log name
    (cd "$1" && env -u SOURCE_DATE_EPOCH bash scripts/package.sh) >"$WORK/$2.log" 2>&1 \
        || fail "the build in $1 failed: $(tail -n 5 "$WORK/$2.log")"
}

first="$WORK/a/src"
second="$WORK/another-folder/deeper/huemix-$$"
copy_sources "$first"
build "$first" first
sleep 2
(umask 077 && copy_sources "$second" && TZ=Pacific/Chatham build "$second" second) || exit 1

zips=("$first"/build/package/*.zip)
[ -f "${zips[0]}" ] || fail "no zip in $first/build/package"
compared=0
# Every zip (the Windows download and the web site), the setup program, and their checksums.
packed=()
for zip in "${zips[@]}"; do
    packed+=("build/package/$(basename "$zip")" "build/package/$(basename "$zip").sha256")
done
setup="$(basename "$(ls "$first"/build/package/*-windows-x64.zip | head -1)" -windows-x64.zip)-setup.exe"
packed+=("build/package/$setup" "build/package/$setup.sha256")
# The Debian package, where the sources have the Linux program.
if [ -f "$first/linux/CMakeLists.txt" ]; then
    deb="$(basename "$(ls "$first"/build/package/huemix_*_amd64.deb 2>/dev/null | head -1)")"
    [ -n "$deb" ] || fail "no .deb in $first/build/package"
    packed+=("build/package/$deb" "build/package/$deb.sha256")
fi
for file in build/windows/huemix.exe build/windows/huemix.scr "${packed[@]}"; do
    if [ ! -f "$first/$file" ]; then
        # The screen saver and the setup program exist only where the sources have them.
        [ "$file" = build/windows/huemix.scr ] && [ ! -f "$first/saver/saver_main_win32.cpp" ] && continue
        [[ "$file" = *setup* ]] && [ ! -f "$first/setup/huemix.nsi" ] && continue
        fail "$file was not made"
    fi
    cmp "$first/$file" "$second/$file" >/dev/null \
        || fail "$file differs between the builds ($(cmp -l "$first/$file" "$second/$file" | wc -l) bytes)"
    compared=$((compared + 1))
done
status=0
echo "PASS: reproducible ($compared files the same)"
