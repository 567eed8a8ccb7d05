# A PulseAudio server of the tests' own, with a null sink, in a private runtime folder (it runs as
# root here, which the server allows with a warning). Sourced by the test scripts:
#   start_pulse_server SINK_NAME FOLDER   # exports XDG_RUNTIME_DIR, HOME and PULSE_RUNTIME_PATH
#   stop_pulse_server
# Afterwards SINK_NAME.monitor records what the sink plays.
pulse_server=
pulse_keepalive=
start_pulse_server() {
  local sink=$1 folder=$2
  export XDG_RUNTIME_DIR=$folder HOME=$folder PULSE_RUNTIME_PATH=$folder/pulse
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=file:"$folder/server.log" \
    --load="module-native-protocol-unix" \
    --load="module-null-sink sink_name=$sink rate=44100 channels=2" &
  pulse_server=$!
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! pactl info >/dev/null 2>&1; then
    echo "the PulseAudio server did not start:" >&2
    cat "$folder/server.log" >&2 || true
    return 1
  fi
  pactl set-default-sink "$sink"
  # A null sink left idle sleeps in blocks of two seconds and notices a new stream only when it
  # wakes; a sound card starts at the stream's latency. A silent stream at a low latency keeps the
  # null sink running the way a card does.
  pacat --playback --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 /dev/zero 2>/dev/null &
  pulse_keepalive=$!
  # Waits until the sink renders: the first sound on its monitor.
  timeout 10 parec --raw --device="$sink.monitor" --latency-msec=10 2>/dev/null | head -c 4096 >/dev/null || true
}
stop_pulse_server() {
  if [ -n "$pulse_keepalive" ]; then kill "$pulse_keepalive" 2>/dev/null || true; fi
  if [ -n "$pulse_server" ]; then
    kill "$pulse_server" 2>/dev/null || true
    wait "$pulse_server" 2>/dev/null || true
  fi
  pulse_keepalive=
  pulse_server=
}
