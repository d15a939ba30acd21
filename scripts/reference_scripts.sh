#!/bin/bash
# Runs tools/swf_render over the reference script movies (movie.swf, expect.json with
# "frames", trace.txt) and prints the pass rate and the names that fail: a movie passes
# when its trace output equals trace.txt line for line.
#   scripts/reference_scripts.sh [FOLDER] [-v]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=${1:-/work/shared/reference-movies/scripts}
verbose=${2:-}
render="$root/build/native/tools/swf_render"
[ -x "$render" ] || { echo "build swf_render first (cmake --build build/native --target swf_render)" >&2; exit 2; }
pass=0
total=0
failed=()
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for dir in "$folder"/*/; do
  name=$(basename "$dir")
  [ -f "$dir/movie.swf" ] && [ -f "$dir/trace.txt" ] || continue
  frames=$(sed -n 's/.*"frames"[^0-9]*\([0-9]*\).*/\1/p' "$dir/expect.json" 2>/dev/null)
  frames=${frames:-1}
  total=$((total + 1))
  timeout 20 "$render" "$dir/movie.swf" --frames "$frames" >"$out" 2>/dev/null
  if diff -q <(sed 's/\r$//' "$dir/trace.txt") <(sed 's/\r$//' "$out") >/dev/null; then
    pass=$((pass + 1))
  else
    failed+=("$name")
    if [ "$verbose" = "-v" ]; then
      echo "== $name"
      diff <(sed 's/\r$//' "$dir/trace.txt") "$out" | head -10
    fi
  fi
done
echo "failing: ${failed[*]:-none}"
echo "passed $pass of $total ($((total ? pass * 100 / total : 0))%)"
