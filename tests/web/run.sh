#!/usr/bin/env bash
# The browser version's tests: builds the site (build/web), installs the pinned
# puppeteer-core, and drives the page in headless Chromium against huemix-render.
#
#     bash tests/web/run.sh [HUEMIX_RENDER]     (build/native/huemix-render)
#
# Screenshots of every mode are left in build/web-test/.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
RENDER="$(realpath "${1:-build/native/huemix-render}")"
source scripts/web_build.sh
huemix_build_web build/web || { echo "web tests: the browser build failed" >&2; exit 1; }
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null) \
    || { echo "web tests: npm ci failed" >&2; exit 1; }
node tests/web/test_page.js build/web "$RENDER" build/web-test
