#!/usr/bin/env bash
# Runs sound_sync_bench.exe with a sound device that keeps real time: Wine plays through
# ALSA's file plugin (which keeps the capture the bench reads) into PulseAudio's null
# sink, which takes samples at 44.1 kHz by its own clock. The file plugin alone (as
# ./test uses it) lets Wine write as fast as it likes, some four times real time.
# Needs pulseaudio (apt-get install --no-install-recommends pulseaudio).
#   bench/win32/sound_sync.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/common.sh
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
tavelin_ensure_wineprefix
home="$TAVELIN_ROOT/build/sync-bench-home"
mkdir -p "$home/run"
export HOME="$home" XDG_RUNTIME_DIR="$home/run"
export PULSE_SERVER="unix:$home/run/pulse/native"
export TAVELIN_SOUND_CAPTURE="$home/sound.raw"
printf 'pcm.!default { type file; slave.pcm "pulse"; file "%s"; format "raw" }\n' "$TAVELIN_SOUND_CAPTURE" >"$home/.asoundrc"
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load="module-null-sink sink_name=bench" \
  --load="module-native-protocol-unix" 2>/dev/null
trap 'pulseaudio --kill 2>/dev/null || true' EXIT
wine build/win/sound_sync_bench.exe
