#!/usr/bin/env bash
# Measures what the program costs while it only rotates the palette: starts huemix.exe
# under Wine on a private virtual screen in a threaded mode, waits until the picture is
# drawn, then reads the processor time of each of its threads over SECONDS of colour
# cycling (from /proc). The drawing threads should stay asleep through it.
# Usage: bash scripts/idle_cpu.sh [build/windows/huemix.exe] [SECONDS] [MODE]
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
EXE="${1:-$ROOT/build/windows/huemix.exe}"
SECONDS_IDLE="${2:-30}"
MODE="${3:-9}"
source "$ROOT/tests/e2e/lib.sh"
e2e_init "$EXE"
e2e_start_display 1920x1080
e2e_start_huemix --mode "$MODE" --speed 50
e2e_wait_window
sleep 5  # past the splash screen (3 s) and the picture

# The Windows process: Wine runs it under the executable's own path.
exe="$(realpath "$EXE")"
pid=""
for candidate in $(pgrep -u "$(id -u)" -f "huemix\\.exe"); do
    first="$(tr '\0' '\n' <"/proc/$candidate/cmdline" 2>/dev/null | head -n1)"
    [ "$first" = "$exe" ] && pid="$candidate"
done
[ -n "$pid" ] || e2e_fail "no process of $exe found"
ticks() {  # per-thread user+system clock ticks: "TID TICKS" lines
    for task in /proc/"$pid"/task/*; do
        awk -v tid="${task##*/}:$(tr -d " " <"$task/comm")" '{ sub(/.*\) /, ""); print tid, $12 + $13 }' "$task/stat"
    done
}
hz="$(getconf CLK_TCK)"
ticks | sort >"$E2E_WORK/before"
sleep "$SECONDS_IDLE"
ticks | sort >"$E2E_WORK/after"
echo "huemix.exe (pid $pid), mode $MODE, $SECONDS_IDLE s of palette rotation every 50 ms:"
join "$E2E_WORK/before" "$E2E_WORK/after" |
    awk -v hz="$hz" -v s="$SECONDS_IDLE" '{ d = ($3 - $2) / hz; total += d; printf "  thread %s: %.2f s\n", $1, d }
        END { printf "  all threads: %.2f s of processor time in %d s (%.1f %%)\n", total, s, 100 * total / s }'
e2e_key q
e2e_wait_exit 20
e2e_pass
