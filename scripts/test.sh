#!/usr/bin/env bash
# Builds Huemix natively and for Windows, packs the Windows download (scripts/package.sh)
# and runs every test: the unit tests natively and under Wine, and the end-to-end tests
# of the real program under Wine on a private X screen. Installs what is missing first.
# Exits non-zero on any failure.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/deps.sh
huemix_install_deps || { echo "test.sh: installing the build tools failed" >&2; exit 1; }

JOBS="$(nproc 2>/dev/null || echo 2)"
status=0

build() {  # name, extra cmake arguments...
    local dir="build/$1"
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 \
        || { mkdir -p build; cat "$dir.configure.log"; return 1; }
    if ! cmake --build "$dir" -j "$JOBS" >"$dir.build.log" 2>&1; then
        cat "$dir.build.log"
        return 1
    fi
    grep -E 'warning:' "$dir.build.log" || true
}

mkdir -p build
if ! build native; then echo "test.sh: native build failed" >&2; exit 1; fi
if ! build windows -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"; then
    echo "test.sh: Windows build failed" >&2
    exit 1
fi

# The download for Windows users, from the Windows build just made.
echo "== package =="
bash scripts/package.sh build/windows build/package || { echo "test.sh: packaging failed" >&2; status=1; }

echo "== native tests =="
ctest --test-dir build/native --output-on-failure -j "$JOBS" || status=1
# How often each mode's code path was chosen in fresh processes on this processor: a
# report for the log, not a check (the choice is the machine's own).
echo "== code path choice =="
bash scripts/path_choice.sh --runs 10 || status=1
echo "== Windows tests under Wine =="
ctest --test-dir build/windows --output-on-failure || status=1

# The browser version: the site built with Emscripten and its page driven in headless
# Chromium, its pictures compared with huemix-render's.
echo "== browser tests =="
bash tests/web/run.sh build/native/huemix-render || status=1

# ---- sanitizer build: the unit suite and the sweep of every mode and overlay under
# AddressSanitizer and UndefinedBehaviorSanitizer; the first report fails the run.
# The renderer's out-of-memory test limits the address space, which the sanitizer's
# shadow memory cannot live with, so it runs in the plain builds only; so do the Linux
# program's end-to-end tests, whose system libraries (D-Bus, X) leave allocations at
# exit that the leak check counts against the program.
echo "== native tests under the sanitizers =="
if build asan -DHUEMIX_SANITIZE=ON; then
    ASAN_OPTIONS="halt_on_error=1:detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
        ctest --test-dir build/asan --output-on-failure -j "$JOBS" -E '^(render_test_errors|linux_test_.*)$' || status=1
else
    echo "test.sh: sanitizer build failed" >&2
    status=1
fi
# ---- race check: built with clang's ThreadSanitizer; the first report fails the run.
# The drawing threads' unit tests, then real work through the renderer: every mode, the
# zoom drive and the threaded options, on 2 and on 7 threads, at small sizes.
echo "== drawing threads under ThreadSanitizer =="
if CC=clang CXX=clang++ build tsan -DHUEMIX_THREAD_SANITIZE=ON; then
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    build/tsan/huemix_tests --gtest_brief=1 --gtest_filter='Workers.*:ThreadedModes.*:VectorKernel.*' || status=1
    bash tests/render/race_sweep.sh build/tsan/huemix-render || status=1
    unset TSAN_OPTIONS
else
    echo "test.sh: ThreadSanitizer build failed" >&2
    status=1
fi
# Fuzzing: each libFuzzer target for 30 s on a copy of its seed corpus (build/fuzz).
echo "== fuzzing =="
bash scripts/fuzz.sh 30 || status=1

# A short soak: a minute of random input to the real program under Wine.
echo "== soak under Wine (1 minute) =="
bash scripts/soak.sh 1 build/windows/huemix.exe || status=1

[ "$status" -eq 0 ] && echo "All tests passed." || echo "Some tests FAILED." >&2
exit "$status"
