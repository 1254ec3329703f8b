#!/usr/bin/env bash
# Runs the program's choice of code path in fresh processes and counts, for each mode,
# how often each path was chosen: a choice that depends on the moment shows here as a
# split count. Nothing is timed beyond the choice itself.
#
# Usage: scripts/path_choice.sh [--runs N] [--threads N] [--bench PROGRAM]
#   --runs     fresh processes (default 10)
#   --threads  drawing threads of each process (default: one per logical processor)
#   --bench    the program (default build/native/huemix-bench)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS=10
THREADS=()
BENCH="$ROOT/build/native/huemix-bench"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) RUNS="$2"; shift 2 ;;
        --threads) THREADS=(--threads "$2"); shift 2 ;;
        --bench) BENCH="$2"; shift 2 ;;
        *) echo "path_choice.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[[ -x "$BENCH" ]] || { echo "path_choice.sh: no $BENCH (build it first)" >&2; exit 2; }

lines=""
for ((run = 0; run < RUNS; run++)); do
    out="$("$BENCH" --paths-only "${THREADS[@]}")"
    if [[ $run -eq 0 ]]; then
        echo "$(grep '^# processor' <<<"$out"), family $(awk -F': ' '/^cpu family/ {print $2; exit}' /proc/cpuinfo 2>/dev/null), model $(awk -F': ' '/^model\t/ {print $2; exit}' /proc/cpuinfo 2>/dev/null)"
    fi
    lines+="$(grep '^# path measured for' <<<"$out")"$'\n'
done
echo "# $RUNS fresh processes: $0 --runs $RUNS ${THREADS[*]}"
# "# path measured for USER: PATH, in MS ms"
awk -v runs="$RUNS" '
    /^# path measured for/ {
        user = $5; sub(/:$/, "", user); path = $6; sub(/,$/, "", path)
        count[user, path]++; users[user] = 1; paths[path] = 1
        ms = $8 + 0; if (ms > most[user]) most[user] = ms
    }
    END {
        for (u in users) {
            line = u ":"
            for (p in paths) if (count[u, p]) line = line " " p " " count[u, p] "/" runs
            printf "%s (longest choice %.2f ms)\n", line, most[u]
        }
    }' <<<"$lines" | sort
