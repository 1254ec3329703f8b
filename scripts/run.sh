#!/usr/bin/env bash
# Runs Huemix with the given options, passed through unchanged:
#
#     bash scripts/run.sh [--wine] [--windowed] [--mode N] [--palette NAME] [--speed MS] [--monitor N]
#
# On Windows (Git Bash, MSYS2, Cygwin) it builds huemix.exe with CMake and starts it.
# On Linux it installs what is missing, builds the native Linux program (build/native)
# and runs it on the current display; with --wine it cross-builds huemix.exe and runs
# that under Wine instead. With no display at all it shows a short demonstration on a
# private 1920 x 1080 virtual screen instead: the splash screen, then a few modes chosen
# by key, the help screen and a windowed view, each saved as a screenshot into a folder
# it names at the end ($HUEMIX_DEMO_DIR, else build/demo/<date-time>).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

die() {
    echo "run.sh: $*" >&2
    exit 1
}

# build DIR TARGET CMAKE-ARGUMENTS...: configures once and builds the program, quietly.
build() {
    local dir="$1" target="$2"
    shift 2
    mkdir -p "$dir"
    # A tree configured before the target existed learns of it only from a new configure.
    if [ ! -f "$dir/CMakeCache.txt" ] || ! cmake --build "$dir" --target help 2>/dev/null | grep -q " $target\$"; then
        cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir/run-configure.log" 2>&1 \
            || { cat "$dir/run-configure.log"; die "configuring the build failed"; }
    fi
    cmake --build "$dir" --config Release --target "$target" -j 2 >"$dir/run-build.log" 2>&1 \
        || { cat "$dir/run-build.log"; die "building $target failed"; }
}

# --wine chooses the Windows program under Wine; every other argument is the program's.
WINE=0
arguments=()
for argument in "$@"; do
    if [ "$argument" = --wine ]; then WINE=1; else arguments+=("$argument"); fi
done
set -- "${arguments[@]}"

# ---- Windows: build and start it directly ------------------------------------------
case "$(uname -s 2>/dev/null)" in
    MINGW* | MSYS* | CYGWIN*)
        build build/native-windows huemix
        for exe in build/native-windows/huemix.exe build/native-windows/Release/huemix.exe; do
            [ -f "$exe" ] && exec "./$exe" "$@"
        done
        die "huemix.exe was not built"
        ;;
esac

source scripts/deps.sh
if [ "$WINE" -eq 1 ]; then
    # ---- Linux with --wine: cross-build, then Wine ---------------------------------
    huemix_install_deps || die "installing the build tools failed"
    build build/windows huemix -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
    EXE="$ROOT/build/windows/huemix.exe"
    [ -f "$EXE" ] || die "huemix.exe was not built"
    if [ -n "${DISPLAY:-}" ]; then
        exec bash scripts/wine-run.sh "$EXE" "$@"
    fi
else
    # ---- Linux: the native program -------------------------------------------------
    huemix_install_deps cmake make g++ libsdl2-dev libx11-dev libpng-dev xdg-user-dirs \
        xvfb xdotool x11-utils imagemagick || die "installing the build tools failed"
    build build/native huemix-linux
    EXE="$ROOT/build/native/huemix"
    [ -x "$EXE" ] || die "huemix was not built"
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec "$EXE" "$@"
    fi
fi

# ---- no display: a demonstration on a virtual screen -------------------------------
SHOTS="${HUEMIX_DEMO_DIR:-$ROOT/build/demo/$(date +%Y%m%d-%H%M%S)}"
mkdir -p "$SHOTS" || die "cannot make $SHOTS"
SHOTS="$(cd "$SHOTS" && pwd)"
if [ "$WINE" -eq 1 ]; then
    # A prefix of its own, so that ending its Wine server afterwards touches nothing else.
    export HUEMIX_WINEPREFIX="${HUEMIX_DEMO_WINEPREFIX:-${HOME:-/root}/.cache/huemix-wine-demo}"
    export WINEPREFIX="$HUEMIX_WINEPREFIX"
fi
TITLE="Korvane's Huemix"
XVFB_PID=""
HUEMIX_PID=""

wineserver_program() {
    if [ -x /usr/lib/wine/wineserver ]; then
        /usr/lib/wine/wineserver "$@" 2>/dev/null
    else
        wineserver "$@" 2>/dev/null
    fi
}

finish() {
    [ -n "$HUEMIX_PID" ] && kill "$HUEMIX_PID" 2>/dev/null
    [ "$WINE" -eq 1 ] && wineserver_program -k
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap finish EXIT
trap 'exit 130' INT TERM

# wait_for SECONDS COMMAND...: polls the command every 0.2 s.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

shot_number=0
# shot NAME: saves the screen as NN-NAME.png.
shot() {
    shot_number=$((shot_number + 1))
    local file
    file="$SHOTS/$(printf '%02d' "$shot_number")-$1.png"
    import -window root "$file" && echo "  $(basename "$file")"
}

echo "No display: showing Huemix on a private 1920 x 1080 virtual screen."
if [ "$WINE" -eq 1 ]; then
    # A prefix is made once (first run: about fifteen seconds); frames drawn by Wine
    # itself, since no window manager runs on the virtual screen.
    if [ ! -f "$WINEPREFIX/.huemix-demo-ready" ]; then
        echo "Preparing Wine (once)..."
        DISPLAY= bash scripts/wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
            >/dev/null 2>&1 && touch "$WINEPREFIX/.huemix-demo-ready"
    fi
    # A Wine server still running without a display would keep the window off the screen.
    wineserver_program -k
fi

: >"$SHOTS/.display"
Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$SHOTS/.display" >/dev/null 2>&1 &
XVFB_PID=$!
wait_for 10 test -s "$SHOTS/.display" || die "Xvfb did not start"
export DISPLAY=":$(head -n1 "$SHOTS/.display")"
rm -f "$SHOTS/.display"

if [ "$WINE" -eq 1 ]; then
    bash scripts/wine-run.sh "$EXE" "$@" >"$SHOTS/huemix.log" 2>&1 &
else
    (cd "$SHOTS" && exec "$EXE" "$@") >"$SHOTS/huemix.log" 2>&1 &
fi
HUEMIX_PID=$!
window_up() { [ -n "$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null)" ]; }
wait_for 60 window_up || die "the Huemix window did not appear (see $SHOTS/huemix.log)"
xdotool mousemove 960 540  # the keyboard follows the pointer without a window manager

echo "Screenshots:"
sleep 1.5
shot splash
sleep 3
shot first-mode
for mode in 2 3 4 6 7 9; do
    xdotool key "$mode"
    sleep 2.5
    shot "mode-$mode"
done
xdotool key F1
sleep 1
shot help
xdotool key F1 F11
sleep 2
shot windowed
xdotool key q
wait_for 10 eval '! kill -0 "$HUEMIX_PID" 2>/dev/null' || echo "run.sh: Huemix did not end on Q" >&2
wait "$HUEMIX_PID" 2>/dev/null
echo "Huemix ended with exit code $?."
HUEMIX_PID=""
echo "The screenshots are in $SHOTS"
