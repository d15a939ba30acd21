#!/usr/bin/env bash
# How much of one core Tavelin.exe takes under Wine while it plays the busy movie (200
# curved, gradient-filled, translucent shapes turning at 25 frames per second on a
# 550 x 400 stage): the program's user and system time from /proc over a measured
# stretch after a warm-up, divided by the wall time. Wine's own server is reported
# apart. Needs the native and Windows builds (./run or scripts/common.sh's builders).
#   bench/win32/busy_movie_cpu.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/common.sh
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
seconds=${1:-20}
tavelin_ensure_wineprefix
mkdir -p build/demo
build/native/tools/make_demo_movie --busy build/demo/busy.swf
movie=$(wine winepath -w build/demo/busy.swf 2>/dev/null | tr -d '\r')
wine build/win/Tavelin.exe "$movie" >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null || true' EXIT
sleep 8  # start-up and the first loops of the movie

ticks() {  # user + system clock ticks of the newest process named $1
  local pid
  pid=$(pgrep -n -f "$1") || { echo 0; return; }
  awk '{print $14 + $15}' "/proc/$pid/stat"
}
program0=$(ticks 'Tavelin.exe') server0=$(ticks wineserver)
start=$(date +%s%N)
sleep "$seconds"
program1=$(ticks 'Tavelin.exe') server1=$(ticks wineserver)
wall=$(( $(date +%s%N) - start ))
hz=$(getconf CLK_TCK)
awk -v p=$((program1 - program0)) -v s=$((server1 - server0)) -v hz="$hz" -v wall="$wall" 'BEGIN {
  wall /= 1e9
  printf "Tavelin.exe: %.2f s of CPU in %.1f s (%.1f %% of one core); wineserver: %.1f %%\n",
         p / hz, wall, 100 * p / hz / wall, 100 * s / hz / wall }'
