#!/usr/bin/env bash
# The clock bench's figures, whatever the machine: it exits with 0, every figure it
# prints is a rate above zero (a loop the compiler dropped or a clock that did not
# move would give 0), and each slice line has its 24 slices.
#
#     bash test_clock_bench.sh CLOCK_BENCH
set -uo pipefail
output="$("$1")" || { echo "FAIL: $1 exits with $?" >&2; exit 1; }
if grep -q "x86-64 builds only" <<<"$output"; then echo "PASS: nothing measured in this build"; exit 0; fi
grep -q "^scalar " <<<"$output" || { echo "FAIL: no scalar figure in: $output" >&2; exit 1; }
# Each line: a name, then its figures (the numbers at the end of the line).
awk '
    /^#/ { next }
    {
        n = NF
        while (n > 0 && $n ~ /^[0-9]+\.[0-9]+$/) n--
        name = $1; for (i = 2; i <= n; i++) name = name " " $i
        want = (name ~ /from rest|after 512-bit/) ? 24 : 1
        if (NF - n != want) { printf "FAIL: \"%s\" has %d figures, not %d\n", name, NF - n, want; bad = 1 }
        for (i = n + 1; i <= NF; i++) if ($i + 0 <= 0) { printf "FAIL: \"%s\" figure %s is not above zero\n", name, $i; bad = 1 }
        lines++
    }
    END { if (!bad) printf "PASS: %d figure lines\n", lines; exit bad }
' <<<"$output"
