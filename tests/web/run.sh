#!/usr/bin/env bash
# The browser version's tests: builds the site (build/web), runs the core's tests of
# its vector paths compiled to WebAssembly under Node, installs the pinned
# puppeteer-core, and drives the page in headless Chromium against huemix-render: its
# pictures and keys (test_page.js), and its videos and recipes (test_video.js).
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
# The core's tests of its vector paths, built for WebAssembly, under Node.
status=0
cmake --build build/web --target huemix_vector_tests -j "$(nproc 2>/dev/null || echo 2)" >build/web.tests.log 2>&1 \
    || { cat build/web.tests.log; echo "web tests: building the WebAssembly unit tests failed" >&2; exit 1; }
node build/web/tests/huemix_vector_tests.js --gtest_brief=1 || status=1
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null) \
    || { echo "web tests: npm ci failed" >&2; exit 1; }
node tests/web/test_page.js build/web "$RENDER" build/web-test || status=1
node tests/web/test_video.js build/web "$RENDER" || status=1
exit $status
