#!/usr/bin/env bash
# Makes the README's pictures under docs/screenshots/: the main window with a small
# library, and a movie playing. Runs the built program (build/win) from a copy of its
# folder under build/, with a library of demo movies, on the current display (or on a
# virtual one when there is none).
#   main-window.png   the main window: categories, the movie folder listed
#   playing.png       the demo movie playing, over the main window
# The movies lie in C:\Movies of the Wine prefix, so the tree shows a short path.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
source scripts/common.sh
tavelin_ensure_wineprefix

out=docs/screenshots
stage=build/screenshot-stage
rm -rf "$stage"
movies="$WINEPREFIX/drive_c/Movies"
rm -rf "$movies"
mkdir -p "$stage/program" "$movies" "$out"
cp build/win/Tavelin.exe build/win/data.dat build/win/Tavelin.chm "$stage/program/"
build/native/tools/make_demo_movie "$movies/demo.swf"
for name in 片头动画 小猫钓鱼 雪花飘飘 课件-第一章; do cp "$movies/demo.swf" "$movies/$name.swf"; done
folder='C:\Movies'
# The library: the movie folder shown at the start, two categories of movies.
{
  printf '\xEF\xBB\xBF%s\\\r\n60 2 0 True False False\r\n\r\n' "$folder"
  printf '搜索结果\r\n%s\\demo.swf\r\n%s\\片头动画.swf\r\n\r\n' "$folder" "$folder"
  printf '动画\r\n%s\\小猫钓鱼.swf\r\n%s\\雪花飘飘.swf\r\n\r\n' "$folder" "$folder"
  printf '课件\r\n%s\\课件-第一章.swf\r\n\r\n' "$folder"
} >"$stage/program/Tavelin.ini"

# shot NAME SECONDS WHAT [ARGS...]: runs the program, photographs the screen and closes
# the program. WHAT is "main" for the main window alone (found by its caption), or
# "all" for every window, the empty desktop around them trimmed.
shot() {
  local name=$1 seconds=$2 what=$3 geometry
  shift 3
  wine "$stage/program/Tavelin.exe" "$@" >/dev/null 2>&1 &
  local program=$!
  # Wait for the main window, then let the program settle.
  for _ in $(seq 60); do
    xwininfo -root -tree | grep -q '"Tavelin Player(' && break
    sleep 0.5
  done
  sleep "$seconds"
  # The main window alone: the empty output window that opens with it at the top left
  # is moved off the screen first.
  if [ "$what" = main ]; then
    xwininfo -root -tree | grep '("tavelin.exe"' | grep -v '"Tavelin Player(' | awk '$(NF-1) !~ /^1x1/ {print $1}' |
      while read -r id; do xdotool windowmove "$id" 2000 2000; done
    sleep 1
  else
    # The movie beside the main window rather than over it.
    xwininfo -root -tree | grep '("tavelin.exe"' | grep -v '"Tavelin Player(' | awk '$(NF-1) !~ /^1x1/ {print $1}' |
      while read -r id; do xdotool windowmove "$id" 10 60; done
    xwininfo -root -tree | grep '"Tavelin Player(' | awk '{print $1}' |
      while read -r id; do xdotool windowmove "$id" 620 60; done
    sleep 1
  fi
  import -window root "$stage/$name-full.png"
  geometry=$(xwininfo -root -tree | grep '"Tavelin Player(' | head -1 | awk '{print $(NF-1)}' | cut -d+ -f1)
  local position
  position=$(xwininfo -root -tree | grep '"Tavelin Player(' | head -1 | awk '{print $NF}')
  wineserver -k 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  if [ "$what" = main ] && [ -n "$geometry" ]; then
    convert "$stage/$name-full.png" -crop "$geometry$position" +repage -strip "$out/$name.png"
  else
    convert "$stage/$name-full.png" -trim +repage -strip "$out/$name.png"
  fi
  echo "$out/$name.png"
}

shot main-window 4 main
shot playing 1 all "$folder\\demo.swf"
rm -rf "$movies"
