#!/usr/bin/env python3
"""Word timing against what is heard: the real program plays a song of word-length bursts on a
PulseAudio server, in word mode (Ctrl+W); the server's monitor is recorded as it plays, and Space is
pressed the reaction offset (0.5 s, the program's default) after each burst is heard, Shift+Space the
same time after the last one ends. Each word's stamp must then be within the bound of its burst's
start in the song, and the line's closing stamp of the last burst's end. Meanwhile the window is
captured: the preview must highlight the word being sung.

Run on an X server with a window manager and a PulseAudio server whose default sink is SINK:
  word_timing.py PROGRAM WORK SINK [--bound SECONDS] [--screenshot FILE]
"""

import argparse
import os
import re
import subprocess
import sys
import threading
import time
import wave
import struct

from scene import find_window, quit_program, raise_own_priority, start_program
from tag_timing import RATE, Recorder, xdotool

OFFSET = 0.5
WORDS = ["One", "two", "three", "four", "five"]
STARTS = [2.0, 2.6, 3.3, 3.9, 4.6]  # song seconds at which each word's burst starts
BURST = 0.3
LENGTH = 7.0
QUIET_END = 0.02  # a burst has ended once this much of the recording after it is quiet


def write_song(path):
    frames = bytearray(int(LENGTH * RATE) * 4)
    for start in STARTS:
        first = int(round(start * RATE))
        for i in range(int(BURST * RATE)):
            value = 12000 if (i // 37) % 2 == 0 else -12000  # about 600 Hz
            struct.pack_into("<hh", frames, (first + i) * 4, value, value)
    with wave.open(path, "wb") as song:
        song.setnchannels(2)
        song.setsampwidth(2)
        song.setframerate(RATE)
        song.writeframes(bytes(frames))


class Listener:
    """Watches the recording as it comes in: the moments at which each burst was found to start and
    to end (the arrival of the data that showed it, so never before it was heard)."""

    def __init__(self, recorder):
        self.recorder = recorder
        self.checked = 0  # frames looked at
        self.loud = False
        self.last_loud = -10 ** 9
        self.starts = []
        self.ends = []

    def poll(self):
        data = self.recorder.data
        count = len(data) // 4
        now = time.monotonic()
        while self.checked < count:
            value = abs(struct.unpack_from("<h", data, self.checked * 4)[0])
            if value > 6000:
                if not self.loud and self.checked - self.last_loud > int(0.1 * RATE):
                    self.starts.append(now)
                self.loud = True
                self.last_loud = self.checked
            elif self.loud and self.checked - self.last_loud > int(QUIET_END * RATE):
                self.loud = False
                self.ends.append(now)
            self.checked += 1


def highlight_pixels(image):
    """Pixels of the preview's highlight (a teal block behind a word) in a capture of the window."""
    result = subprocess.run(["convert", image, "-fill", "black", "-opaque", "white", "-fuzz", "2%", "-fill", "white",
                             "-opaque", "rgb(0,128,128)", "-fuzz", "0", "-fill", "black", "+opaque", "white",
                             "-format", "%[fx:round(mean*w*h)]", "info:"], capture_output=True, text=True)
    try:
        return int(result.stdout.strip())
    except ValueError:
        return 0


def capture(window, path):
    subprocess.run(["import", "-window", window, path], stderr=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("work")
    parser.add_argument("sink")
    parser.add_argument("--bound", type=float, default=0.050)
    parser.add_argument("--screenshot")
    options = parser.parse_args()

    song = os.path.join(options.work, "words.wav")
    write_song(song)
    lyrics = os.path.join(options.work, "words.lrc")
    with open(lyrics, "w", newline="") as text:
        text.write("[ti:Words]\r\n" + " ".join(WORDS) + "\r\n")
    raise_own_priority()
    program = start_program(options.program, song)
    recorder = None
    plain = highlighted = 0
    grab = None
    shot = os.path.join(options.work, "highlight.png")
    try:
        window = [find_window()]
        if window[0] is None:
            print("FAILED: the window did not show")
            return 1
        time.sleep(1.0)
        xdotool("windowactivate", "--sync", window[0])
        # The practice speed is kept from run to run: back to full speed (Ctrl+Up stops at 100 %).
        for _ in range(4):
            xdotool("key", "--clearmodifiers", "ctrl+Up")
            time.sleep(0.05)
        xdotool("key", "--clearmodifiers", "ctrl+w")
        recorder = Recorder(options.sink)
        listener = Listener(recorder)
        time.sleep(0.5)
        xdotool("key", "--clearmodifiers", "ctrl+p")
        started = time.monotonic()
        pressed = 0
        closed = False
        before = os.path.join(options.work, "before.png")
        capture(window[0], before)
        plain = highlight_pixels(before)
        while time.monotonic() - started < LENGTH + 1.5:
            listener.poll()
            now = time.monotonic()
            if pressed < len(listener.starts) and now >= listener.starts[pressed] + OFFSET:
                xdotool("key", "--delay", "0", "space")
                pressed += 1
                if pressed == 3:
                    # "three" is being sung: the preview highlights it. Captured aside, so the next
                    # press is not held up.
                    grab = threading.Timer(0.05, capture, (window[0], shot))
                    grab.start()
            if pressed == len(WORDS) and not closed and len(listener.ends) == len(WORDS) and \
                    now >= listener.ends[-1] - QUIET_END + OFFSET:
                xdotool("key", "--delay", "0", "shift+space")
                closed = True
            time.sleep(0.002)
        recorder.stop()
        if grab is not None:
            grab.join()
            highlighted = highlight_pixels(shot)
        xdotool("key", "--clearmodifiers", "ctrl+s")
        time.sleep(0.5)
    finally:
        if recorder is not None and recorder.process.poll() is None:
            recorder.stop()
        quit_program(program)

    if options.screenshot and os.path.exists(shot):
        subprocess.run(["cp", shot, options.screenshot])
    with open(lyrics, encoding="utf-8") as text:
        lines = text.read().splitlines()
    timed = lines[1] if len(lines) > 1 else ""
    stamps = [int(m) * 60 + float(s) for m, s in re.findall(r"<(\d{2,}):(\d{2}\.\d{2})>", timed)]
    print("line: %s" % timed)
    if len(stamps) != len(WORDS) + 1:
        print("FAILED: %d stamps in %r (%d presses)" % (len(stamps), timed, pressed))
        return 1
    expected = STARTS + [STARTS[-1] + BURST]
    errors = [stamp - at for stamp, at in zip(stamps, expected)]
    for word, stamp, at, error in zip(WORDS + ["(end)"], stamps, expected, errors):
        print("%-6s burst at %5.2f s, stamp %5.2f s, error %+5.0f ms" % (word, at, stamp, error * 1000))
    worst = max(abs(e) for e in errors)
    print("word stamps: worst %.0f ms from their bursts; preview highlight %d pixels (%d before any stamp)"
          % (worst * 1000, highlighted, plain))
    ok = worst <= options.bound and highlighted > plain + 150
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
