#!/usr/bin/env bash
# Tag error against what is heard: 20 presses of Space over a song of clicks played by the real
# program on a PulseAudio server of our own, the sink's monitor recorded, once idle and once with
# both cores kept busy (the figures in the README).
#   tag-timing.sh PATH_TO_QUILLON
set -u
program=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quillon-tag-bench-XXXXXX)
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME"
source "$here/../tests/support/pulse-server.sh"
source "$here/../tests/support/x11-server.sh"
cleanup() {
  stop_pulse_server
  stop_x11_server
  rm -rf "$work"
}
trap cleanup EXIT
start_x11_server
mkdir -p "$work/pulse" "$work/idle" "$work/busy" "$work/slow" "$work/75" && chmod 700 "$work/pulse"
start_pulse_server quillon_bench "$work/pulse"
status=0
python3 "$here/../tests/x11/tag_timing.py" "$program" "$work/idle" quillon_bench --presses 20 --bound 0.030 \
  --display-check || status=1
python3 "$here/../tests/x11/tag_timing.py" "$program" "$work/busy" quillon_bench --presses 20 --bound 0.050 --busy \
  || status=1
# Practice speed: tapped at 50 % and at 75 %, tags still in song time.
python3 "$here/../tests/x11/tag_timing.py" "$program" "$work/slow" quillon_bench --presses 20 --bound 0.050 --speed 50 \
  || status=1
python3 "$here/../tests/x11/tag_timing.py" "$program" "$work/75" quillon_bench --presses 20 --bound 0.050 --speed 75 \
  || status=1
pactl list sinks | grep -m1 -i 'latency' | sed 's/^\s*/sink /'
exit $status
