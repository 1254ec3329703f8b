#!/usr/bin/env bash
# Builds Huemix for the browser (build/web: index.html, huemix.js, huemix.wasm) and
# serves it on this machine only, until Ctrl+C:
#
#     bash scripts/web.sh [PORT]        (8080)
#
# Installs what is missing first, as the other scripts do. The site is static: any
# web server can serve the folder, or the web zip that scripts/package.sh writes.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
PORT="${1:-8080}"
source scripts/deps.sh
huemix_install_deps || { echo "web.sh: installing the build tools failed" >&2; exit 1; }
source scripts/web_build.sh
huemix_build_web build/web || { echo "web.sh: the browser build failed" >&2; exit 1; }

echo "Huemix in the browser: http://127.0.0.1:$PORT/"
exec python3 - "$PORT" build/web <<'PY'
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[2])
handler.func.extensions_map[".wasm"] = "application/wasm"  # compiled while it downloads
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), handler).serve_forever()
PY
