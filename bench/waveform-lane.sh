#!/usr/bin/env bash
# What the waveform lane costs while a song plays: the program's processor use playing an mp3 on a
# PulseAudio null sink with the lane shown and with it hidden, in alternating rounds (Xvfb with
# openbox). The lane's choice is kept in the settings, so each round toggles it for the next.
#   waveform-lane.sh PROGRAM
set -u
program=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quillon-lane-bench-XXXXXX)
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
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME" "$work/pulse" && chmod 700 "$work/pulse"
start_pulse_server quillon_lane_bench "$work/pulse" || exit 1
rounds=${LANE_ROUNDS:-4}
seconds=${LANE_SECONDS:-10}

sox -n -r 44100 -c 2 "$work/song.mp3" synth 60 sine 220 sine 330 vol 0.3 2>/dev/null
shown=()
hidden=()
lane=shown  # the program's default
for _ in $(seq $((2 * rounds))); do
  "$program" "$work/song.mp3" >/dev/null 2>&1 & app=$!
  win=$(main_window)
  sleep 1
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key --clearmodifiers ctrl+p
  sleep 3  # the peaks are worked out (or taken from the cache) and playing has settled
  value=$(cpu_percent "$app" "$seconds")
  if [ "$lane" = shown ]; then shown+=("$value"); lane=hidden; else hidden+=("$value"); lane=shown; fi
  # The choice is stored at once; the next round starts with the other.
  xdotool key --clearmodifiers ctrl+shift+w
  sleep 0.3
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=
done
echo "processor use playing an mp3, % of one core, $rounds alternating rounds of $seconds s each:"
summary "waveform lane hidden" "${hidden[@]}"
summary "waveform lane shown" "${shown[@]}"
printf '%s\n' "${shown[@]}" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }' >"$work/shown"
printf '%s\n' "${hidden[@]}" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }' >"$work/hidden"
awk -v a="$(cat "$work/shown")" -v b="$(cat "$work/hidden")" 'BEGIN { printf "  added by the lane (median against median): %.2f %% of one core\n", a - b }'
