#!/usr/bin/env bash
# A tool's --version: exactly one line, the expected one, and exit code 0.
#
#     bash test_version.sh "huemix-bench 1.0.0" [RUNNER...] TOOL
set -uo pipefail
expected="$1"
shift
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
output="$("$@" --version 2>"$errors")"
code=$?
output="${output//$'\r'/}"
[ "$code" -eq 0 ] || { echo "FAIL: $* --version exits with $code: $(cat "$errors")" >&2; exit 1; }
[ "$output" = "$expected" ] || { echo "FAIL: $* --version prints '$output', not '$expected'" >&2; exit 1; }
echo "PASS: $expected"
