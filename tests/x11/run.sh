#!/usr/bin/env bash
# Drives the real program on a virtual X server with a window manager, for what offscreen tests
# cannot see: where the window comes up after a restart, a click on the position bar's track while
# a song plays, the error shown for a file that cannot be played, a song heard on a PulseAudio
# server (the program's own engine, mapped from memory, on the server's default sink), and tags
# and word stamps made with real key presses against a recording of what the server played.
#   run.sh PATH_TO_QUILLON [PATH_TO_PICKER_PROBE]
set -u
program=$(readlink -f "$1")
probe=${2:+$(readlink -f "$2")}
work=$(mktemp -d /tmp/quillon-x11-XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
passed=0
failed=0
check() {  # name, condition result (0 = pass)
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "ok: $1"; else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
source "$(dirname "$0")/../support/pulse-server.sh"
source "$(dirname "$0")/../support/x11-server.sh"
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  stop_pulse_server
  stop_x11_server
  rm -rf "$work"
}
trap cleanup EXIT
start_x11_server

main_window() {  # waits for the visible main window and prints its id
  for _ in $(seq 60); do
    local id
    id=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
client_position() { xwininfo -id "$1" | awk '/Absolute upper-left [XY]/{printf "%s ", $NF}'; }
close_program() {  # Ctrl+Q, and Escape for the donation dialog should it come
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
  xdotool key --clearmodifiers ctrl+q
  for _ in $(seq 30); do
    kill -0 "$app" 2>/dev/null || return 0
    if xdotool search --onlyvisible --name '^Donation$' >/dev/null 2>&1; then xdotool key Escape; fi
    sleep 0.1
  done
  return 1
}
stored() { grep -a "\"$1\"" "$XDG_CONFIG_HOME"/*/*.reg "$XDG_CONFIG_HOME"/*.reg 2>/dev/null | head -1; }

# 1. The window comes up where it was closed, round after round.
positions=()
values=()
for round in 1 2 3; do
  "$program" >/dev/null 2>&1 & app=$!
  win=$(main_window) || { check "the window shows (round $round)" 1; break; }
  sleep 0.5
  positions+=("$(client_position "$win")")
  close_program "$win"
  values+=("$(stored Top) $(stored Left)")
done
[ "${positions[0]:-a}" = "${positions[1]:-b}" ] && [ "${positions[1]:-b}" = "${positions[2]:-c}" ]
check "the window keeps its place over restarts (${positions[*]:-})" $?
[ "${values[0]:-a}" = "${values[1]:-b}" ] && [ "${values[1]:-b}" = "${values[2]:-c}" ]
check "the stored Top and Left do not creep" $?

# 2. Clicks on the position bar's track while a song plays move it one second each.
sox -n -r 22050 -c 2 "$work/song.wav" synth 30 sine 440 vol 0.2 2>/dev/null
printf 'Line one\r\nLine two\r\n' > "$work/song.lrc"
"$program" "$work/song.wav" >/dev/null 2>&1 & app=$!
win=$(main_window)
sleep 1
xdotool windowactivate --sync "$win" >/dev/null 2>&1
xdotool key --clearmodifiers ctrl+p
sleep 0.3
# The track's right part: the bar's top lies 62 pixels above the bottom of the client area (the
# player panel keeps to the bottom as the window grows) and it starts 15 pixels from the left.
read -r X Y HEIGHT < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Height:/{h=$NF} END{print x, y, h}')
xdotool mousemove $((X + 15 + 400)) $((Y + HEIGHT - 62 + 6))
for _ in 1 2 3 4 5 6 7 8; do xdotool click 1; sleep 0.15; done
xdotool mousemove $((X + 200)) $((Y + 100))  # leaving the bar lets it follow the song again
sleep 0.3
xdotool key space
xdotool key --clearmodifiers ctrl+p
xdotool key --clearmodifiers ctrl+s
sleep 0.5
tag=$(head -c 10 "$work/song.lrc")
seconds=$(echo "$tag" | sed -n 's/^\[00:\([0-9][0-9]\)\..*/\1/p')
[ -n "$seconds" ] && [ "$((10#$seconds))" -ge 8 ]
check "eight track clicks moved the song 8 s on (tagged $tag)" $?
close_program "$win"

# 3. A file that cannot be played is reported, and the window has no song.
printf 'not a song at all\n' > "$work/words.mp3"
"$program" "$work/words.mp3" >/dev/null 2>&1 & app=$!
main_window >/dev/null
sleep 1.5
count=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | wc -l)
[ "$count" -ge 2 ]
check "an error box comes up over the window for an unplayable file" $?
xdotool key Return
sleep 0.3
count=$(xdotool search --onlyvisible --name '^Quillon$' 2>/dev/null | wc -l)
[ "$count" -eq 1 ]
check "the error box closes with Enter and the window stays" $?
close_program "$(main_window)"

# 3b. The folder picker's frame lands where it is told, and its default is centred on the screen.
if [ -n "$probe" ]; then
  frame_of() {  # window id: the frame's left, top, width and height (the client's place less its offset in the frame)
    xwininfo -id "$1" | awk '/Absolute upper-left X/{ax=$NF} /Absolute upper-left Y/{ay=$NF}
      /Relative upper-left X/{rx=$NF} /Relative upper-left Y/{ry=$NF} /Width:/{w=$NF} /Height:/{h=$NF}
      END{print ax-rx, ay-ry, w+2*rx, h+ry+rx}'
  }
  for place in "30 100" "0 0"; do
    # shellcheck disable=SC2086
    "$probe" $place >/dev/null 2>&1 & picker=$!
    id=
    for _ in $(seq 50); do
      id=$(xdotool search --onlyvisible --name '^Picker probe$' 2>/dev/null | head -1)
      [ -n "$id" ] && break
      sleep 0.1
    done
    sleep 1.2
    read -r fx fy fw fh < <(frame_of "${id:-0}")
    if [ "$place" = "30 100" ]; then
      [ "$fx" -eq 30 ] && [ "$fy" -eq 100 ]
      check "the picker's frame is at DialogLeft 30, DialogTop 100 (at $fx $fy)" $?
    else
      dx=$((fx - (1280 - fw) / 2)); dy=$((fy - (1024 - fh) / 2))
      [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
      check "the picker's frame is centred on the screen (off by $dx $dy)" $?
    fi
    kill "$picker" 2>/dev/null
    wait "$picker" 2>/dev/null
  done
fi

# 4. Undo and the save prompt, by keys alone: three tags and a blank line undone and redone, then
# "No" in the prompt of an open and Escape in its file dialog leave the lyrics as they were.
sox -n -r 22050 -c 2 "$work/undo.wav" synth 30 sine 440 vol 0.2 2>/dev/null
"$program" "$work/undo.wav" >/dev/null 2>&1 & app=$!
win=$(main_window)
sleep 1
xdotool windowactivate --sync "$win" >/dev/null 2>&1
read -r X Y < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print x, y}')
xdotool mousemove $((X + 100)) $((Y + 80)) click 1
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 20 "Alpha"; xdotool key Return; xdotool type --delay 20 "Beta"; xdotool key Return
xdotool type --delay 20 "Gamma"; xdotool key Return
xdotool key --clearmodifiers ctrl+p
sleep 0.5
for _ in 1 2 3; do xdotool key space; sleep 0.3; done
xdotool key shift+space
sleep 0.2
for _ in 1 2 3 4; do xdotool key --clearmodifiers ctrl+z; sleep 0.1; done
save_and_read() {  # Ctrl+S, then the saved lines joined by "|" once the file is there again
  rm -f "$work/undo.lrc"
  xdotool key --clearmodifiers ctrl+s
  for _ in $(seq 50); do [ -s "$work/undo.lrc" ] && break; sleep 0.1; done
  sleep 0.1
  tr -d '\r' < "$work/undo.lrc" 2>/dev/null | tr '\n' '|'
}
undone=$(save_and_read)
[ "$undone" = "Alpha|Beta|Gamma|" ]
check "four times Ctrl+Z gives back the untagged lines ($undone)" $?
for _ in 1 2 3 4; do xdotool key --clearmodifiers ctrl+shift+z; sleep 0.1; done
redone=$(save_and_read)
echo "$redone" | grep -Eq '^\[00:0[0-9]\.[0-9]{2}\]Alpha\|\[00:0[0-9]\.[0-9]{2}\]Beta\|\[00:0[0-9]\.[0-9]{2}\]Gamma\|\[00:0[0-9]\.[0-9]{2}\] \|$'
check "four times Ctrl+Shift+Z gives the tags and the blank line again ($redone)" $?
windows_of_app() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
wait_for_windows() {  # count: waits until the program shows that many windows
  for _ in $(seq 100); do [ "$(windows_of_app)" -eq "$1" ] && return 0; sleep 0.1; done
  return 1
}
xdotool key --clearmodifiers ctrl+z
sleep 0.2
xdotool key --clearmodifiers ctrl+o
wait_for_windows 2  # the save prompt
xdotool key n
sleep 0.3
wait_for_windows 2  # the file dialog in its place
sleep 0.5
xdotool key Escape
wait_for_windows 1
kept=$(save_and_read)
[ "$kept" = "$(echo "$redone" | sed 's/\[[0-9:.]*\] |$//')" ] && [ -n "$kept" ]
check "No in the open's prompt, then Escape in its file dialog, keeps the lyrics ($kept)" $?
xdotool key --clearmodifiers ctrl+q
sleep 0.5
xdotool key n  # the close prompt: the lyrics were saved, but a Donation box may come
sleep 0.3
kill "$app" 2>/dev/null

# 5. The song is heard: on a PulseAudio server with a null sink, what the program plays reaches the
# sink without a gap, and the program does not fall back to its silent device.
if command -v pulseaudio >/dev/null && command -v parec >/dev/null; then
  mkdir -p "$work/pulse" && chmod 700 "$work/pulse"
  # 5a. Without a sound server the player panel says so, with or without a song on the command
  # line, and the note goes once a server is there and a play finds it.
  export XDG_RUNTIME_DIR=$work/pulse HOME=$work/pulse PULSE_RUNTIME_PATH=$work/pulse/pulse
  note_pixels() {  # window id: pixels in the note's amber (the folder icon's orange is further off)
    import -window "$1" png:- 2>/dev/null | convert png:- -fuzz 3% -fill 'rgb(1,2,3)' -opaque 'rgb(255,176,64)' \
      -fuzz 0 -fill black +opaque 'rgb(1,2,3)' -fill white -opaque 'rgb(1,2,3)' \
      -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0
  }
  for song in "" "$work/undo.wav"; do
    # shellcheck disable=SC2086
    "$program" $song >/dev/null 2>&1 & app=$!
    win=$(main_window)
    sleep 1.5
    shown=$(note_pixels "$win")
    [ "$shown" -gt 20 ]
    check "without a sound server the panel shows the note (${song:+with a song, }$shown pixels)" $?
    [ -n "$song" ] || close_program "$win"
  done
  start_pulse_server quillon_x11 "$work/pulse"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key --clearmodifiers ctrl+p
  gone=1
  for _ in $(seq 30); do
    [ "$(note_pixels "$win")" -eq 0 ] && { gone=0; break; }
    sleep 0.1
  done
  check "the note goes once the server is there and a play reaches it" $gone
  timeout 1 parec --raw --format=s16le --rate=44100 --channels=2 --device=quillon_x11.monitor >"$work/back.raw"
  back=$(od -An -td2 -v -w4 "$work/back.raw" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > p) p = v } END { print p + 0 }')
  [ "$back" -gt 3000 ]
  check "and the song is heard there (peak $back)" $?
  close_program "$win"

  sox -n -r 44100 -c 2 "$work/tone.wav" synth 10 sine 440 vol 0.3 2>/dev/null
  "$program" "$work/tone.wav" >/dev/null 2>"$work/program.err" & app=$!
  win=$(main_window)
  sleep 1
  xdotool windowactivate --sync "$win" >/dev/null 2>&1
  xdotool key --clearmodifiers ctrl+p
  sleep 0.5
  timeout 3 parec --raw --format=s16le --rate=44100 --channels=2 --device=quillon_x11.monitor >"$work/heard.raw"
  # The peak, and the 5 ms windows (220 frames) without sound, of the left channel.
  read -r peak quiet windows < <(od -An -td2 -v -w4 "$work/heard.raw" | awk '
    { v = $1 < 0 ? -$1 : $1; if (v > peak) peak = v; if (v > top) top = v; n++
      if (n == 220) { windows++; if (top < 300) quiet++; n = 0; top = 0 } }
    END { print peak + 0, quiet + 0, windows + 0 }')
  [ "$peak" -gt 3000 ] && [ "$windows" -gt 400 ]
  check "the song is heard on the server's sink (peak $peak in $windows windows of 5 ms)" $?
  [ "$quiet" -eq 0 ]
  check "it plays without a gap ($quiet silent windows of 5 ms)" $?
  ! grep -q "silent device" "$work/program.err"
  check "the program plays on the server, not on its silent device" $?
  close_program "$win"

  # 6. Tags against what is heard: Space pressed at known moments over a song of clicks, the
  # sink's monitor recorded; each tag is the song time heard at the press less the offset. Then
  # the same with both cores kept busy. The song plays to its end, whose last part must be heard.
  mkdir -p "$work/tags-idle" "$work/tags-busy"
  # The play-time display, read from captures of the window, is never ahead of what is heard.
  python3 "$(dirname "$0")/tag_timing.py" "$program" "$work/tags-idle" quillon_x11 --presses 6 --bound 0.030 \
    --display-check
  check "idle: every tag within 30 ms of the time heard at the press, the display never ahead, the song's end heard" $?
  python3 "$(dirname "$0")/tag_timing.py" "$program" "$work/tags-busy" quillon_x11 --presses 6 --bound 0.050 --busy
  check "both cores busy: every tag within 50 ms, the song's end heard" $?
  # At half speed, tapped by keys: tags in song time, then a nudge and a replay of the nudged line.
  mkdir -p "$work/tags-slow"
  python3 "$(dirname "$0")/tag_timing.py" "$program" "$work/tags-slow" quillon_x11 --presses 6 --bound 0.050 --speed 50
  check "at 50 %: every tag within 50 ms of the song time heard, a nudged line replays from 2 s before it" $?
  # Word timing by keys: Space the reaction offset after each word's burst is heard, Shift+Space
  # after the last one ends; the preview highlights the word sung.
  mkdir -p "$work/words"
  python3 "$(dirname "$0")/word_timing.py" "$program" "$work/words" quillon_x11 --bound 0.050
  check "word timing: every word's stamp within 50 ms of its burst, the line's end too, the sung word highlighted" $?
  # The waveform lane: bursts under its cursor when heard, markers at their tags, a marker dragged
  # with the mouse and the saved file holding its new time.
  mkdir -p "$work/lane"
  python3 "$(dirname "$0")/waveform_lane.py" "$program" "$work/lane" quillon_x11 --bound 0.060
  check "waveform lane: each burst under the cursor within 60 ms of when it is heard, markers at their tags, a drag saved" $?
  stop_pulse_server
else
  echo "skipped: a song heard on a PulseAudio server (pulseaudio or parec missing)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
