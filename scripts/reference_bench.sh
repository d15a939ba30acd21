#!/usr/bin/env bash
# The engine's reference bench (a developer's tool; ./test does not run it): renders
# every picture of the reference movies with swf_render and compares it with the
# expected PNG under each check of the movie's expect.json. Prints each movie's result,
# the near-misses, and the pass rate.
#
#   scripts/reference_bench.sh [FOLDER] [NAME-FILTER]
#
# FOLDER defaults to /work/shared/reference-movies/pictures. Needs python3 to read the
# JSON files.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-/work/shared/reference-movies/pictures}"
filter="${2:-}"
build="$here/build/native"
cmake --build "$build" -j2 --target swf_render compare_pictures >/dev/null || exit 1
out="$build/reference-bench"
mkdir -p "$out"

movies=0 passed=0 pictures=0 picturesPassed=0 near=0
for dir in "$folder"/*/; do
  name="$(basename "$dir")"
  [[ -n "$filter" && "$name" != *$filter* ]] && continue
  [[ -f "$dir/expect.json" ]] || continue
  movies=$((movies + 1))
  quality="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1])).get("quality","high"))' "$dir/expect.json")"
  movieOk=1 lines=""
  while IFS=$'\t' read -r picture frames checks; do
    pictures=$((pictures + 1))
    png="$out/$name-$picture"
    if ! err="$("$build/tools/swf_render" "$dir/movie.swf" --frames "$frames" --out "$png" --quality "$quality" ${TAVELIN_RENDER_FLAGS:-} 2>&1 >/dev/null)"; then
      result="fail (swf_render: $err)"
    else
      # shellcheck disable=SC2086
      result="$("$build/tools/compare_pictures" "$png" "$dir/$picture" $checks)"
    fi
    case "$result" in
      pass*) picturesPassed=$((picturesPassed + 1)) ;;
      near*) near=$((near + 1)); movieOk=0 ;;
      *) movieOk=0 ;;
    esac
    lines+="    $picture (frame $frames): $result"$'\n'
  done < <(python3 -c '
import json, sys
for p in json.load(open(sys.argv[1]))["pictures"]:
    checks = " ".join("%d:%d" % (c["tolerance"], c["max_outliers"]) for c in p["checks"])
    print("%s\t%d\t%s" % (p["picture"], p["frames"], checks))' "$dir/expect.json")
  if ((movieOk)); then
    passed=$((passed + 1))
    echo "PASS $name"
  else
    echo "FAIL $name"
    printf '%s' "$lines"
  fi
done
echo
echo "pictures: $picturesPassed/$pictures passed, $near near-misses"
if ((movies > 0)); then
  echo "movies: $passed/$movies passed ($((100 * passed / movies)) %)"
fi
