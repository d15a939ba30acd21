#!/usr/bin/env bash
# Runs sound_sync_bench.exe with a sound device that keeps real time: Wine plays into
# PulseAudio's null sink, which takes samples at 44.1 kHz by its own clock, and parec
# records the sink's monitor into the capture the bench reads. (ALSA's file plugin, as
# ./test uses it, lets Wine write as fast as it likes, some four times real time.)
# Needs pulseaudio and parec (apt-get install --no-install-recommends pulseaudio).
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
printf 'pcm.!default { type pulse }\n' >"$home/.asoundrc"
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load="module-null-sink sink_name=bench" \
  --load="module-native-protocol-unix" 2>/dev/null
parec -d bench.monitor --latency-msec=10 --format=s16le --rate=44100 --channels=2 --raw >"$TAVELIN_SOUND_CAPTURE" &
recorder=$!
trap 'kill "$recorder" 2>/dev/null; pulseaudio --kill 2>/dev/null || true' EXIT
wine build/win/sound_sync_bench.exe
