#!/usr/bin/env bash
# Builds the browser version into build/web (or $1): index.html, huemix.js and
# huemix.wasm, and the drawing worker's module with threads (huemix-mt.js, .wasm and
# .worker.js), compiled by Debian's Emscripten; and what a video or an opened PNG
# loads (huemix-share.js, huemix-video.js and .wasm, mediabunny.js).
# Sourced helpers: huemix_build_web DIR.
huemix_build_web() {
    local dir="${1:-build/web}"
    # Debian's emscripten finds its acorn through Node's module path.
    export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
    mkdir -p "$(dirname "$dir")"
    # The videos' muxer from npm, as pinned in web/package-lock.json.
    if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
        (cd web && npm ci --no-audit --no-fund --loglevel=error >/dev/null) \
            || { echo "web build: npm ci in web/ failed" >&2; return 1; }
    fi
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        emcmake cmake -S web -B "$dir" -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 \
            || { cat "$dir.configure.log"; return 1; }
    fi
    cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" >"$dir.build.log" 2>&1 \
        || { cat "$dir.build.log"; return 1; }
    grep -E 'warning:' "$dir.build.log" || true
}
