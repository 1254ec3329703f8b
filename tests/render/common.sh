# Shared set-up of the renderer's end-to-end tests. Sourced with the script's own
# arguments: $1 the huemix-render executable, $2 the reference program.
set -uo pipefail
RENDER="$(realpath "${1:?path of huemix-render}")"
REFERENCE="${2:+$(realpath "$2")}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
CHECK=(python3 "$HERE/imagecheck.py")
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
failures=0
checks=0

ok() { checks=$((checks + 1)); }
bad() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $*" >&2
}

# render ARGS...: runs the renderer, keeps its output line in $LINE; fails the test
# when it does not succeed.
render() {
    if LINE="$("$RENDER" "$@" 2>"$WORK/stderr")"; then
        ok
    else
        bad "huemix-render $* exited $?: $(cat "$WORK/stderr")"
        LINE=""
        return 1
    fi
}

# reference OUT W H SEED PRESET MODE ZOOM HUE SAT BRI TICKS STEP DIR PAUSED OVERLAY FRAMES DELAY
reference() {
    [ -n "$REFERENCE" ] || { bad "no reference program given"; return 1; }
    "$REFERENCE" "$@" || { bad "reference $* failed"; return 1; }
}

# check DESCRIPTION COMMAND...: counts a check that passes when the command succeeds.
check() {
    local what="$1"
    shift
    if "$@"; then ok; else bad "$what"; fi
}

# expect_error PATTERN ARGS...: a run in ./out that must fail with exit code 2, one line
# on stderr naming PATTERN, nothing on stdout, and leave ./out empty.
expect_error() {
    local pattern="$1"
    shift
    mkdir -p "$WORK/out"
    local code=0
    (cd "$WORK/out" && "$RENDER" "$@" >"$WORK/stdout" 2>"$WORK/stderr") || code=$?
    local what="huemix-render $*"
    check "$what: exit code $code" test "$code" -eq 2
    check "$what: one line on stderr" test "$(wc -l <"$WORK/stderr")" -eq 1
    check "$what: message '$(cat "$WORK/stderr")' names '$pattern'" grep -q -- "$pattern" "$WORK/stderr"
    check "$what: starts with the program's name" grep -q "^huemix-render: " "$WORK/stderr"
    check "$what: nothing on stdout" test ! -s "$WORK/stdout"
    check "$what: no file left ($(ls -A "$WORK/out" | tr '\n' ' '))" test -z "$(ls -A "$WORK/out")"
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
