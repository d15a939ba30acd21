#!/bin/sh
# Runs every case of limits_bench under Wine, each in a process of its own.
#   bench/win32/limits_bench.sh   (on a display, or under xvfb-run -a)
cd "$(dirname "$0")/../.." || exit 1
for case in bomb frames projector store script; do
  scripts/wine.sh build/win/limits_bench.exe "$case"
done
