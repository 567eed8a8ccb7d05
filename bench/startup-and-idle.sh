#!/usr/bin/env bash
# The program's start-up time and processor use, each beside its anchor and measured in the same
# run, in alternating rounds so that a shared machine's slow spells fall on both alike:
# - start to the first window mapped, against a bare Qt main window, with and without a sound
#   server (Xvfb with openbox);
# - processor use while idle with no song, and while playing an mp3 on a PulseAudio null sink,
#   against a plain libmpg123-to-PulseAudio player. Processor time is read from the kernel's
#   per-thread run times, in nanoseconds.
#   startup-and-idle.sh BUILD_DIR [PROGRAM]
set -u
build=$(readlink -f "$1")
program=$(readlink -f "${2:-$build/bin/quillon}")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quillon-startup-XXXXXX)
source "$here/../tests/support/x11-server.sh"
source "$here/../tests/support/pulse-server.sh"
source "$here/figures.sh"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  stop_pulse_server
  stop_x11_server
  rm -rf "$work"
}
trap cleanup EXIT
start_x11_server
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME"
rounds=${STARTUP_ROUNDS:-10}

startup_rounds() {  # heading
  local bare=() ours=() value
  for _ in $(seq "$rounds"); do
    value=$("$build/bench/quillon-map-watch" "$build/bench/quillon-bare-window") && bare+=("$value")
    sleep 0.3
    value=$("$build/bench/quillon-map-watch" "$program") && ours+=("$value")
    sleep 0.3
  done
  echo "start to first window mapped, ms, $1 ($rounds alternating pairs):"
  summary "bare Qt 6 main window" "${bare[@]}"
  summary "Quillon" "${ours[@]}"
}
mkdir -p "$work/none" && chmod 700 "$work/none"
XDG_RUNTIME_DIR=$work/none HOME=$work/none startup_rounds "no sound server"
mkdir -p "$work/pulse" && chmod 700 "$work/pulse"
start_pulse_server quillon_bench "$work/pulse" || exit 1
startup_rounds "on a PulseAudio server"

# Idle: the window with no song, after it has settled.
"$program" >/dev/null 2>&1 & app=$!
main_window >/dev/null
sleep 12  # the caret rests after 10 s without input
echo "processor use, % of one core:"
echo "  idle, no song, 20 s (after 12 s without input): $(cpu_percent "$app" 20)"
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null

# Playing: the program and the plain player take turns on the same mp3.
sox -n -r 44100 -c 2 "$work/song.mp3" synth 40 sine 220 sine 330 vol 0.3 2>/dev/null
ours=()
plain=()
for _ in 1 2 3; do
  "$program" "$work/song.mp3" >/dev/null 2>&1 & app=$!
  win=$(main_window)
  sleep 1
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key --clearmodifiers ctrl+p
  sleep 2
  ours+=("$(cpu_percent "$app" 10)")
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  "$build/bench/quillon-plain-player" "$work/song.mp3" & app=$!
  sleep 2
  plain+=("$(cpu_percent "$app" 10)")
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
done
echo "  playing an mp3, 3 alternating rounds of 10 s:"
summary "plain libmpg123 to libpulse" "${plain[@]}"
summary "Quillon" "${ours[@]}"
