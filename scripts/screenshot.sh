#!/usr/bin/env bash
# On the current (virtual) display: starts Tavelin.exe with the given arguments
# (Linux paths are turned into Windows ones), waits, photographs the screen into
# build/screenshots/ and closes the program. Prints the picture's path.
#   TAVELIN_SHOT_SECONDS  how long to wait before the picture (default 4)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$TAVELIN_ROOT"
tavelin_ensure_wineprefix

args=()
for arg in "$@"; do
  if [ -e "$arg" ]; then arg=$(wine winepath -w "$arg" 2>/dev/null | tr -d '\r'); fi
  args+=("$arg")
done
mkdir -p build/screenshots
shot="$TAVELIN_ROOT/build/screenshots/tavelin-$(date +%Y%m%d-%H%M%S).png"

wine build/win/Tavelin.exe "${args[@]}" >/dev/null 2>&1 &
program=$!
sleep "${TAVELIN_SHOT_SECONDS:-4}"
/usr/bin/import -window root "$shot"
wineserver -k 2>/dev/null || true
wait "$program" 2>/dev/null || true
echo "$shot"
