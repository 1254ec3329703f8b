#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
# Sourced by test.sh and run.sh; quiet and quick when everything is there. Given package
# names, it sees to those alone (run.sh's native program needs few).
huemix_install_deps() {
    local wanted=(cmake make g++ googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                  wine64 xvfb xdotool x11-utils imagemagick libpng-dev libgif-dev python3
                  # the renderer's videos: VP9 and the WebM container; ffmpeg decodes them in its tests
                  libvpx-dev libavformat-dev pkg-config ffmpeg
                  clang libclang-rt-14-dev  # clang and its libFuzzer runtime: scripts/fuzz.sh
                  nsis  # makensis: the setup program (scripts/package.sh)
                  # an X server with two virtual monitors for the screen saver's tests
                  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
                  # the browser version: its compiler and the browser its tests drive
                  emscripten chromium
                  # huemix for Linux, its xscreensaver hack and its Debian package, and a
                  # Wayland compositor to run it under
                  libsdl2-dev libx11-dev libxext-dev xdg-user-dirs xscreensaver dpkg-dev lintian
                  weston)
    [ $# -gt 0 ] && wanted=("$@")
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    # Node and npm run the browser tests; any working install will do (Debian's, or
    # another that already provides the commands).
    if [ $# -eq 0 ]; then
        command -v node >/dev/null || missing+=(nodejs)
        command -v npm >/dev/null || missing+=(npm)
    fi
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
