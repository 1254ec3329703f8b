#!/usr/bin/env bash
# Runs the program's choice of code path in fresh processes and counts, for each mode,
# how often each path was chosen: a choice that depends on the moment shows here as a
# split count. Nothing is timed beyond the choice itself.
#
# With --time, each of those processes also times the modes whose path is measured,
# on the path it chose, beside the same figures on every path forced; the table says
# how far each default was from the fastest forced path.
#
# Usage: scripts/path_choice.sh [--runs N] [--threads N] [--time REPS] [--bench PROGRAM]
#   --runs     fresh processes (default 10)
#   --time     time each figure REPS times (the median counts) in every process
#   --threads  drawing threads of each process (default: one per logical processor)
#   --bench    the program (default build/native/huemix-bench)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS=10
THREADS=()
TIME_REPS=0
FIGURES=plasma,reaction-diffusion,zoom-frame-200,buddhabrot
BENCH="$ROOT/build/native/huemix-bench"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) RUNS="$2"; shift 2 ;;
        --threads) THREADS=(--threads "$2"); shift 2 ;;
        --time) TIME_REPS="$2"; shift 2 ;;
        --bench) BENCH="$2"; shift 2 ;;
        *) echo "path_choice.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[[ -x "$BENCH" ]] || { echo "path_choice.sh: no $BENCH (build it first)" >&2; exit 2; }

lines=""
forced=""
if [[ $TIME_REPS -gt 0 ]]; then
    for kernel in sse2 avx2 avx512; do
        forced+="$("$BENCH" --kernel "$kernel" --only "$FIGURES" --reps "$TIME_REPS" "${THREADS[@]}" 2>/dev/null | grep -v '^#')"$'\n' || true
    done
fi
timed=""
for ((run = 0; run < RUNS; run++)); do
    if [[ $TIME_REPS -gt 0 ]]; then
        out="$("$BENCH" --only "$FIGURES" --reps "$TIME_REPS" "${THREADS[@]}")"
        timed+="$(grep -v '^#' <<<"$out")"$'\n'
    else
        out="$("$BENCH" --paths-only "${THREADS[@]}")"
    fi
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
[[ $TIME_REPS -gt 0 ]] || exit 0
echo "# figure: fastest forced path and ms; the default's paths; its median ms; worst ratio; runs within 1.05x"
# Lines: NAME WxH MS PATH CHOICE
awk '
    FNR == 1 { part++ }
    part == 1 && NF >= 5 { if (!($1 in best) || $3 < best[$1]) { best[$1] = $3; bestPath[$1] = $4 } }
    part == 2 && NF >= 5 {
        n[$1]++; ms[$1, n[$1]] = $3; paths[$1] = paths[$1] (index(paths[$1], $4) ? "" : " " $4)
    }
    END {
        for (f in n) {
            worst = 0; within = 0
            for (i = 1; i <= n[f]; i++) {
                r = ms[f, i] / best[f]; if (r > worst) worst = r; if (r <= 1.05) within++
                v[i] = ms[f, i]
            }
            # median of the runs
            for (i = 1; i <= n[f]; i++) for (j = i + 1; j <= n[f]; j++) if (v[j] < v[i]) { x = v[i]; v[i] = v[j]; v[j] = x }
            med = n[f] % 2 ? v[(n[f] + 1) / 2] : (v[n[f] / 2] + v[n[f] / 2 + 1]) / 2
            printf "%s: fastest forced %s %.1f ms; default%s %.1f ms; worst %.2fx; %d/%d within 1.05x\n",
                   f, bestPath[f], best[f], paths[f], med, worst, within, n[f]
        }
    }' <(printf '%s' "$forced") <(printf '%s' "$timed") | sort
