#!/usr/bin/env bash
# Starts a PulseAudio server of its own with a null sink, in a private runtime folder (it runs as
# root here, which the server allows with a warning), and runs the sound check against the sink's
# monitor. The check's program is the argument.
set -euo pipefail
check=$1
runtime=$(mktemp -d /tmp/quillon-pulse-XXXXXX)
export XDG_RUNTIME_DIR=$runtime HOME=$runtime PULSE_RUNTIME_PATH=$runtime/pulse
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=file:"$runtime/server.log" \
  --load="module-native-protocol-unix" \
  --load="module-null-sink sink_name=quillon_check rate=44100 channels=2" &
server=$!
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "the PulseAudio server did not start:" >&2
  cat "$runtime/server.log" >&2 || true
  exit 1
fi
pactl set-default-sink quillon_check
# A null sink left idle sleeps in blocks of two seconds and notices a new stream only when it
# wakes; a sound card starts at the stream's latency. A silent stream at a low latency keeps the
# null sink running the way a card does.
pacat --playback --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 /dev/zero 2>/dev/null &
silence=$!
# Waits until the sink renders: the first sound on its monitor.
timeout 10 parec --raw --device=quillon_check.monitor --latency-msec=10 | head -c 4096 >/dev/null || true
status=0
"$check" quillon_check.monitor || status=$?
kill "$silence" 2>/dev/null || true
exit $status
