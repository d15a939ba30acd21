#!/usr/bin/env bash
# Draws the program icon (a play symbol on a rounded film frame) at the sizes
# Windows asks for and packs them into src/win32/resources/tavelin.ico.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
IM=/usr/bin/convert
$IM -size 256x256 xc:none \
  -fill '#1F4E8C' -draw 'roundrectangle 8,20 248,236 36,36' \
  -fill '#2E6FC0' -draw 'roundrectangle 20,32 236,224 26,26' \
  -fill '#0E2A4F' \
  -draw 'rectangle 28,40 44,56'  -draw 'rectangle 28,88 44,104'  -draw 'rectangle 28,136 44,152' -draw 'rectangle 28,184 44,200' \
  -draw 'rectangle 212,40 228,56' -draw 'rectangle 212,88 228,104' -draw 'rectangle 212,136 228,152' -draw 'rectangle 212,184 228,200' \
  -fill '#F5C211' -draw 'polygon 96,72 96,184 184,128' \
  "$work/icon256.png"
for size in 16 24 32 48 64; do
  $IM "$work/icon256.png" -resize ${size}x${size} "$work/icon$size.png"
done
$IM "$work/icon16.png" "$work/icon24.png" "$work/icon32.png" "$work/icon48.png" "$work/icon64.png" "$work/icon256.png" \
  src/win32/resources/tavelin.ico
echo "wrote src/win32/resources/tavelin.ico"
