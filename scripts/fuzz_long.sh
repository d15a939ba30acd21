#!/usr/bin/env bash
# scripts/fuzz_long.sh TARGET (-runs=N | -max_total_time=S): a long run of one fuzz
# target of build/fuzz, niced so that it takes only idle CPU, from the seeds of
# tests/fuzz/corpus and what earlier runs found (build/fuzz-corpus). A failing input is
# saved as build/fuzz-logs/TARGET-crash-...; the log is build/fuzz-logs/TARGET.log and its
# last lines give the executions done.
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1
shift
corpus=build/fuzz-corpus/$target
mkdir -p "$corpus" build/fuzz-logs
exec nice -n 19 "build/fuzz/tests/fuzz/$target" "$@" -timeout=20 -print_final_stats=1 \
  -artifact_prefix="build/fuzz-logs/$target-" "$corpus" "tests/fuzz/corpus/$target" \
  >"build/fuzz-logs/$target.log" 2>&1
