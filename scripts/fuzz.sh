#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) in build/fuzz and runs each for SECONDS on a fresh copy of
# its seed corpus from tests/fuzz/corpus/<target>. Fails on any finding: a crash, a
# sanitizer report, a failed check, a leak, an input that takes too long, or a run that
# outgrows its memory limit. What a finding needs to be replayed is kept in
# build/fuzz/findings/<target>/ (run the target with that file as its argument).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target, default 30; all targets
#                                           when none is named
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/deps.sh
huemix_install_deps || { echo "fuzz.sh: installing the build tools failed" >&2; exit 1; }

SECONDS_EACH="${1:-30}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(fuzz_command_line fuzz_input fuzz_recipe)
BUILD="build/fuzz"

mkdir -p build
if ! CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUEMIX_FUZZ=ON \
        -DBUILD_TESTING=OFF >"$BUILD.configure.log" 2>&1; then
    cat "$BUILD.configure.log"
    echo "fuzz.sh: configuring the fuzz build failed" >&2
    exit 1
fi
if ! cmake --build "$BUILD" -j 2 --target "${TARGETS[@]}" >"$BUILD.build.log" 2>&1; then
    cat "$BUILD.build.log"
    echo "fuzz.sh: building the fuzz targets failed" >&2
    exit 1
fi

# Per target: the longest input worth trying, and a dictionary where there is one.
options_for() {
    case "$1" in
        fuzz_command_line) echo "-max_len=512 -dict=tests/fuzz/command_line.dict" ;;
        fuzz_input) echo "-max_len=87" ;;  # the header and the 40 events read
        fuzz_recipe) echo "-max_len=600 -dict=tests/fuzz/recipe.dict" ;;  # past the longest recipe
        *) echo "" ;;
    esac
}

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in "${TARGETS[@]}"; do
    corpus="$BUILD/corpus/$target"
    findings="$BUILD/findings/$target"
    rm -rf "$corpus" "$findings"
    mkdir -p "$corpus" "$findings"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    seeds=$(ls "$corpus" | wc -l)
    log="$BUILD/$target.log"
    # shellcheck disable=SC2046
    "$BUILD/$target" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" $(options_for "$target") "$corpus" >"$log" 2>&1
    rc=$?
    runs=$(sed -n "s/^stat::number_of_executed_units: *//p" "$log" | tail -1)
    rate=$(sed -n "s/^stat::average_exec_per_sec: *//p" "$log" | tail -1)
    grown=$(ls "$corpus" | wc -l)
    if [ "$rc" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        grep -E 'ERROR|SUMMARY|fuzz_[a-z_]+:|runtime error' "$log" | head -20
        echo "$target: FINDING after ${runs:-?} executions (log $log, input in $findings)" >&2
        status=1
    else
        echo "$target: ${runs} executions in ${SECONDS_EACH} s (${rate}/s), corpus ${seeds} -> ${grown} files, no findings"
    fi
done
exit "$status"
