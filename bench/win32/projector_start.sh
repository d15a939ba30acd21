#!/usr/bin/env bash
# Times a packed projector's start under Wine, as a user sees it: from starting the
# program to its window showing on the screen (xdotool search --sync), with the Wine
# server already running. Wine's own Notepad is timed the same way for comparison: what
# any program pays to start under Wine. Best of three; needs xdotool.
#   bench/win32/projector_start.sh [build/win]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
source "$root/scripts/common.sh"
tavelin_ensure_wineprefix

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The build's stub with a one-frame movie behind it.
cp "$build/data.dat" "$work/projector.exe"
printf 'FWS\x0a\x1d\x00\x00\x00\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00\x18\x01\x00\x40\x00\x00\x00' >>"$work/projector.exe"

wineserver -p5  # stays up between the runs, as on a desktop where Wine is in use
wine cmd /c exit >/dev/null 2>&1

# time_start LABEL WINDOW-CLASS PROGRAM: the best of three starts until the window shows.
time_start() {
  local label=$1 class=$2 program=$3 best= run start shown ms pid
  for run in 1 2 3; do
    start=$(date +%s.%N)
    wine "$program" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --classname "^$class\$" >/dev/null
    shown=$(date +%s.%N)
    ms=$(echo "($shown - $start) * 1000 / 1" | bc)
    echo "$label, run $run: window shown after $ms ms"
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    while xdotool search --onlyvisible --classname "^$class\$" >/dev/null 2>&1; do sleep 0.1; done
  done
  echo "$label, best of 3: $best ms"
}

time_start "packed projector" projector.exe "$work/projector.exe"
time_start "Wine's Notepad" notepad.exe notepad
