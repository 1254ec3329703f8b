#!/usr/bin/env bash
# Builds Huemix for the browser (build/web: index.html, huemix.js, huemix.wasm and the
# threaded worker's huemix-mt.*) and serves it on this machine only, until Ctrl+C:
#
#     bash scripts/web.sh [--isolated] [PORT]        (8080)
#
# --isolated serves the site with the headers that make the page cross-origin isolated
# (Cross-Origin-Opener-Policy and Cross-Origin-Embedder-Policy), where its pictures are
# drawn by as many threads as the processor has; without them, as from any plain
# static host, one thread draws.
#
# Installs what is missing first, as the other scripts do. The site is static: any
# web server can serve the folder, or the web zip that scripts/package.sh writes.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
ISOLATED=0
if [ "${1:-}" = --isolated ]; then ISOLATED=1; shift; fi
PORT="${1:-8080}"
source scripts/deps.sh
huemix_install_deps || { echo "web.sh: installing the build tools failed" >&2; exit 1; }
source scripts/web_build.sh
huemix_build_web build/web || { echo "web.sh: the browser build failed" >&2; exit 1; }

echo "Huemix in the browser: http://127.0.0.1:$PORT/$([ "$ISOLATED" = 1 ] && echo ' (cross-origin isolated)')"
exec python3 - "$PORT" build/web "$ISOLATED" <<'PY'
import functools, http.server, sys

class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        if sys.argv[3] == "1":
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        super().end_headers()

Handler.extensions_map[".wasm"] = "application/wasm"  # compiled while it downloads
handler = functools.partial(Handler, directory=sys.argv[2])
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), handler).serve_forever()
PY
