#!/usr/bin/env bash
# Runs a Windows executable under Wine in the project's own prefix, creating the prefix
# once (it takes about ten seconds). Used as the cross build's test emulator.
set -u
export WINEPREFIX="${HUEMIX_WINEPREFIX:-${HOME:-/root}/.cache/huemix-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: Huemix needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

huemix_wine_loader() {
    local candidate
    for candidate in "${HUEMIX_WINE:-}" /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

WINE_LOADER="$(huemix_wine_loader)" || { echo "wine-run: no Wine loader found" >&2; exit 127; }
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        DISPLAY= "$WINE_LOADER" wineboot -i >/dev/null 2>&1
        "$(dirname "$WINE_LOADER")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
    fi
) 9>"$WINEPREFIX.lock"

exec "$WINE_LOADER" "$@"
