#!/bin/sh
# mark_stub.sh STUB.exe data.dat: copies the projector stub to data.dat and writes the
# marker that tells where an appended movie starts: byte 0x70 zero and bytes 0x71-0x73
# the stub's own length, big-endian (inside the DOS header's message text, which
# Windows never reads). The stub must stay under 16 MB, the marker's reach.
set -eu
cp "$1" "$2.tmp"
size=$(wc -c < "$2.tmp")
if [ "$size" -ge 16777216 ]; then
  echo "the projector stub is $size bytes, more than the marker can hold" >&2
  exit 1
fi
octal() { printf '\\%03o' "$1"; }
marker="$(octal 0)$(octal $(( (size >> 16) & 255 )))$(octal $(( (size >> 8) & 255 )))$(octal $(( size & 255 )))"
printf "$marker" | dd of="$2.tmp" bs=1 seek=112 conv=notrunc status=none
mv "$2.tmp" "$2"
