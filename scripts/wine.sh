#!/usr/bin/env bash
# Runs a Windows program of the build under Wine with the project's prefix and
# locale, on a virtual display when there is none. Example:
#   scripts/wine.sh build/win/tavelin_win32_tests.exe --gtest_filter=MainWindow.*
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
tavelin_ensure_wineprefix
wine "$@"
