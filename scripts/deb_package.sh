#!/usr/bin/env bash
# Packs the Linux program of a native build into OUT_DIR/huemix_<version>_amd64.deb
# with its SHA-256 beside it (the format sha256sum -c reads), with dpkg-deb:
#
#     bash scripts/deb_package.sh BUILD_DIR OUT_DIR [EPOCH]
#
# BUILD_DIR holds the built huemix and generated/huemix_version.h. The package holds
# /usr/bin/huemix, the same program as xscreensaver's hack in /usr/libexec/xscreensaver
# with its settings file, a desktop entry, the icon in the hicolor theme (from
# resources/huemix.ico), a man page, the copyright and a changelog; lintian finds
# nothing to say about it. Its dependencies
# are what dpkg-shlibdeps finds the program linked against. The same build gives the
# same bytes: every file has the time EPOCH (SOURCE_DATE_EPOCH, else 2026-01-01 UTC),
# fixed permissions and root as owner, whatever the umask or the user.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:?usage: deb_package.sh BUILD_DIR OUT_DIR [EPOCH]}" && pwd)"
OUT="${2:?usage: deb_package.sh BUILD_DIR OUT_DIR [EPOCH]}"
EPOCH="${3:-${SOURCE_DATE_EPOCH:-1767225600}}"
die() {
    echo "deb_package.sh: $*" >&2
    exit 1
}

[ -x "$BUILD/huemix" ] || die "$BUILD/huemix was not built"
version="$(sed -n 's/^#define HUEMIX_VERSION "\(.*\)"$/\1/p' "$BUILD/generated/huemix_version.h")"
[ -n "$version" ] || die "no version in $BUILD/generated/huemix_version.h"
for tool in dpkg-deb dpkg-shlibdeps objcopy convert identify gzip md5sum; do
    command -v "$tool" >/dev/null || die "missing tool: $tool"
done
name="huemix_${version}_amd64.deb"
stage="$BUILD/deb"
root="$stage/huemix"
rm -rf "$stage"
umask 022
mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/libexec/xscreensaver" \
    "$root/usr/share/xscreensaver/config" "$root/usr/share/applications" "$root/usr/share/man/man6" \
    "$root/usr/share/doc/huemix"

install -m 755 "$BUILD/huemix" "$root/usr/bin/huemix"
# The compiler's name and version are nothing the program needs.
objcopy --remove-section=.comment "$root/usr/bin/huemix"
# xscreensaver runs its hacks from here; the hack is the program itself.
ln -s ../../bin/huemix "$root/usr/libexec/xscreensaver/huemix"
install -m 644 "$ROOT/linux/huemix.xml" "$root/usr/share/xscreensaver/config/huemix.xml"
install -m 644 "$ROOT/linux/huemix.desktop" "$root/usr/share/applications/huemix.desktop"
install -m 644 "$ROOT/linux/copyright" "$root/usr/share/doc/huemix/copyright"
gzip -9n <"$ROOT/linux/huemix.6" >"$root/usr/share/man/man6/huemix.6.gz"

# Each picture of the icon file in its own size's folder; PNGs without time stamps.
icon="$ROOT/resources/huemix.ico"
count="$(identify "$icon" | wc -l)"
for ((i = 0; i < count; i++)); do
    size="$(identify -format '%w' "$icon[$i]")"
    folder="$root/usr/share/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$folder"
    convert "$icon[$i]" -strip -define png:exclude-chunks=date,time "PNG32:$folder/huemix.png"
done

date="$(LC_ALL=C date -u -R -d "@$EPOCH")"
gzip -9n >"$root/usr/share/doc/huemix/changelog.gz" <<CHANGES
huemix ($version) stable; urgency=medium

  * Huemix $version for Linux: the program, its xscreensaver hack and this package.

 -- Korvane <huemix@korvane.example>  $date
CHANGES

# The libraries the program needs, by their Debian package names.
mkdir -p "$stage/debian"
printf 'Source: huemix\n\nPackage: huemix\nArchitecture: amd64\n' >"$stage/debian/control"
depends="$(cd "$stage" && dpkg-shlibdeps -O "huemix/usr/bin/huemix" 2>"$stage/shlibdeps.log" |
    sed -n 's/^shlibs:Depends=//p')" || { cat "$stage/shlibdeps.log" >&2; die "dpkg-shlibdeps failed"; }
[ -n "$depends" ] || die "dpkg-shlibdeps found no dependencies"

install -m 644 /dev/null "$root/DEBIAN/control"
cat >"$root/DEBIAN/control" <<CONTROL
Package: huemix
Version: $version
Architecture: amd64
Maintainer: Korvane <huemix@korvane.example>
Installed-Size: $(du -sk --apparent-size --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Recommends: xdg-user-dirs
Suggests: xscreensaver
Section: graphics
Priority: optional
Description: random art in colour cycling, and an xscreensaver hack
 Huemix draws a generated picture in 256 colours and animates it by rotating
 its palette: the picture stays still while the colours flow through it. Ten
 drawing modes (plasma, Voronoi cells, phyllotaxis, string art,
 reaction-diffusion, a fractal landscape, squares, a Mandelbrot zoom, a
 Buddhabrot) and eleven palette presets make the pictures, steered from the
 keyboard and the mouse, full screen or in a window, with PNG snapshots.
 .
 The same program is an xscreensaver hack: choose "Huemix" in xscreensaver's
 settings.
CONTROL
(cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)

# Fixed times and permissions, whatever the umask and the clock of the build.
find "$root" -type d -exec chmod 755 {} +
find "$root" -type f ! -path "$root/usr/bin/huemix" -exec chmod 644 {} +
find "$root" -exec touch -h -d "@$EPOCH" {} +

mkdir -p "$OUT"
SOURCE_DATE_EPOCH="$EPOCH" dpkg-deb --root-owner-group -Zxz -z9 --build "$root" "$OUT/$name.partial" >/dev/null
mv "$OUT/$name.partial" "$OUT/$name"
(cd "$OUT" && sha256sum "$name" >"$name.sha256")
echo "$OUT/$name"
