#!/usr/bin/env python3
"""The waveform lane against what is heard: the real program plays a song of bursts at known times
on a PulseAudio server whose monitor is recorded, and the window is grabbed while it plays. In each
grab the burst's leading edge must stand where the lane's cursor shows the song time heard at the
grab (the recording gives that time, never the program). Before playing, each line's marker must
stand at its tag; after the song, a marker is dragged with the mouse and the saved file must hold
the new time.

Run on an X server with a window manager and a PulseAudio server whose default sink is SINK:
  waveform_lane.py PROGRAM WORK SINK [--bound SECONDS] [--screenshots FOLDER]
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import time
import wave

from scene import Pixels, find_window, grab, quit_program, raise_own_priority, save_png, start_program
from tag_timing import RATE, Recorder, onsets, xdotool

STARTS = [2.0, 4.0, 6.0]  # song seconds at which each burst starts
LINES = ["First burst", "Second burst", "Third burst"]
BURST = 0.4
LENGTH = 8.5
# The lane as the window lays it out: 453 pixels wide from x = 8, 64 high with its top 267 pixels
# above the window's bottom, a band of labels 13 pixels high, 10 s across with the cursor at a third.
LANE_LEFT = 8
LANE_WIDTH = 453
LANE_FROM_BOTTOM = 267
LANE_HEIGHT = 64
LABELS = 13
SPAN = 10.0
CURSOR_X = LANE_LEFT + round(LANE_WIDTH / 3)
TEAL = (0, 128, 128)
BLUE = (0, 0, 255)
DRAG_TO = 4.5


def write_song(path):
    frames = bytearray(int(LENGTH * RATE) * 4)
    for start in STARTS:
        first = int(round(start * RATE))
        for i in range(int(BURST * RATE)):
            value = 16000 if (i // 37) % 2 == 0 else -16000  # about 600 Hz
            struct.pack_into("<hh", frames, (first + i) * 4, value, value)
    with wave.open(path, "wb") as song:
        song.setnchannels(2)
        song.setsampwidth(2)
        song.setframerate(RATE)
        song.writeframes(bytes(frames))


def x_of(seconds, cursor_seconds):
    return LANE_LEFT + (seconds - cursor_seconds + SPAN / 3) * LANE_WIDTH / SPAN


def lane_top(pixels):
    return pixels.height - LANE_FROM_BOTTOM


def wave_columns(pixels):
    """The lane's columns (window x) whose waveform is taller than a silent line."""
    top = lane_top(pixels) + LABELS
    loud = []
    for x in range(LANE_LEFT + 1, LANE_LEFT + LANE_WIDTH - 1):
        teal = sum(1 for y in range(top, top + LANE_HEIGHT - LABELS - 1) if pixels.at(x, y) == TEAL)
        if teal > 8:
            loud.append(x)
    return loud


def marker_columns(pixels):
    """Columns of the markers' blue lines, in the waveform part of the lane below the labels."""
    y = lane_top(pixels) + LANE_HEIGHT - 6
    return [x for x in range(LANE_LEFT, LANE_LEFT + LANE_WIDTH) if pixels.at(x, y) == BLUE]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("work")
    parser.add_argument("sink")
    parser.add_argument("--bound", type=float, default=0.060)
    parser.add_argument("--screenshots")
    options = parser.parse_args()

    song = os.path.join(options.work, "bursts.wav")
    write_song(song)
    lyrics = os.path.join(options.work, "bursts.lrc")
    with open(lyrics, "w", newline="") as text:
        text.write("".join("[00:%05.2f]%s\r\n" % (at, line) for at, line in zip(STARTS, LINES)))

    raise_own_priority()
    program = start_program(options.program, song)
    recorder = None
    grabs = []  # (before, after, file)
    try:
        window = find_window()
        if window is None:
            print("FAILED: the window did not show")
            return 1
        time.sleep(1.0)
        xdotool("windowactivate", "--sync", window)
        # The practice speed is kept from run to run: back to full speed (Ctrl+Up stops at 100 %).
        for _ in range(4):
            xdotool("key", "--clearmodifiers", "ctrl+Up")
            time.sleep(0.05)
        time.sleep(0.5)
        resting = os.path.join(options.work, "resting.xwd")
        grab(window, resting)

        recorder = Recorder(options.sink)
        time.sleep(0.5)
        xdotool("key", "--clearmodifiers", "ctrl+p")
        started = time.monotonic()
        for k, at in enumerate(STARTS):
            # While the burst passes the cursor, with some of it already left of it.
            time.sleep(max(0.0, started + at + 0.25 - time.monotonic()))
            image = os.path.join(options.work, "playing-%d.xwd" % k)
            before, after = grab(window, image)
            grabs.append((before, after, image))
        time.sleep(max(0.0, started + LENGTH + 1.0 - time.monotonic()))
        recorder.stop()

        # The song has ended and stopped: the lane rests at its start. "Second burst" is dragged
        # from its tag to DRAG_TO.
        geometry = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True,
                                  text=True).stdout
        left, top = (int(v) for v in re.search(r"Position: (-?\d+),(-?\d+)", geometry).groups())
        height = int(re.search(r"Geometry: \d+x(\d+)", geometry).group(1))
        y = top + height - LANE_FROM_BOTTOM + LANE_HEIGHT // 2
        start_x = round(x_of(STARTS[1], 0.0))
        end_x = round(x_of(DRAG_TO, 0.0))
        xdotool("mousemove", "--sync", str(left + start_x), str(y))
        time.sleep(0.2)
        xdotool("mousedown", "1")
        for step in range(1, 6):
            xdotool("mousemove", "--sync", str(left + start_x + (end_x - start_x) * step // 5), str(y))
            time.sleep(0.05)
        dragging = os.path.join(options.work, "dragging.xwd")
        grab(window, dragging)
        xdotool("mouseup", "1")
        time.sleep(0.3)
        xdotool("key", "--clearmodifiers", "ctrl+s")
        time.sleep(0.5)
        dragged = os.path.join(options.work, "dragged.xwd")
        grab(window, dragged)
    finally:
        if recorder is not None and recorder.process.poll() is None:
            recorder.stop()
        quit_program(program)

    ok = True
    # The markers at rest: the lane shows the song from its start, each line's marker at its tag.
    markers = marker_columns(Pixels(resting))
    for at, line in zip(STARTS, LINES):
        expected = x_of(at, 0.0)
        near = [x for x in markers if abs(x - expected) <= 1.5]
        print("marker of %-12s tag %.2f s: expected at x %.1f, %s" % (line, at, expected, near or "none found"))
        ok = ok and bool(near)

    # The bursts under the cursor when heard. The recording places song time: its first onset is
    # the first burst.
    heard_onsets = onsets(recorder.left(), threshold=8000, quiet=1.0)
    if len(heard_onsets) < len(STARTS):
        print("FAILED: %d bursts heard in the recording" % len(heard_onsets))
        return 1
    first = heard_onsets[0]
    for k, (before, after, image) in enumerate(grabs):
        heard = STARTS[0] + (recorder.frame_at((before + after) / 2) - first) / RATE
        columns = wave_columns(Pixels(image))
        # The leading edge of the burst now passing the cursor: the first loud column of its run.
        run = [x for x in columns if abs(x - CURSOR_X) < (BURST + 0.4) * LANE_WIDTH / SPAN]
        if not run:
            print("FAILED: no burst near the cursor in grab %d" % k)
            ok = False
            continue
        edge = min(run)
        shown = STARTS[k] + (CURSOR_X - edge) * SPAN / LANE_WIDTH
        error = shown - heard
        slack = (after - before) / 2 + SPAN / LANE_WIDTH
        print("grab %d: heard %.3f s, the lane's cursor at %.3f s (burst edge at x %d): %+.0f ms (grab took %.0f ms)"
              % (k, heard, shown, edge, error * 1000, (after - before) * 1000))
        ok = ok and abs(error) <= options.bound + slack

    with open(lyrics, encoding="utf-8") as text:
        saved = text.read().splitlines()
    print("saved: %s" % saved)
    moved = re.match(r"\[00:(\d{2}\.\d{2})\]Second burst$", saved[1]) if len(saved) > 1 else None
    expected_time = STARTS[1] + (end_x - start_x) * SPAN / LANE_WIDTH
    ok = ok and moved is not None and abs(float(moved.group(1)) - expected_time) <= 0.025
    ok = ok and saved[0] == "[00:02.00]First burst" and saved[2] == "[00:06.00]Third burst"
    print("dragged to %.2f s (pointer moved %d pixels): the saved tag %s"
          % (expected_time, end_x - start_x, moved.group(1) if moved else "missing"))

    if options.screenshots:
        os.makedirs(options.screenshots, exist_ok=True)
        save_png(resting, os.path.join(options.screenshots, "lane-resting.png"))
        save_png(grabs[1][2], os.path.join(options.screenshots, "lane-playing.png"))
        save_png(dragging, os.path.join(options.screenshots, "lane-dragging.png"))
        save_png(dragged, os.path.join(options.screenshots, "lane-dragged.png"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
