"""What the X server scenes share: starting the program below the measuring side's priority,
finding its window, grabbing it with known moments, reading a grab's pixels, and quitting."""

import os
import subprocess
import time


def raise_own_priority():
    """The measuring side (recorder, key presses, grabs) runs ahead of the program where it may, so
    that load delays the program, not the clock that judges it."""
    try:
        os.setpriority(os.PRIO_PROCESS, 0, -10)
    except OSError:
        pass


def start_program(program, *arguments):
    ordinary = lambda: os.setpriority(os.PRIO_PROCESS, 0, 0) if os.getpriority(os.PRIO_PROCESS, 0) < 0 else None
    return subprocess.Popen([program, *arguments], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            preexec_fn=ordinary)


def find_window(tries=100):
    """The program's main window, once it shows (None after ten seconds)."""
    for _ in range(tries):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Quillon$"],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.1)
    return None


def quit_program(program):
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+q"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    if program.poll() is None:
        program.kill()


def grab(window, path):
    """An xwd grab of the window, with the moments just before and after it: xwd is quick, so the
    moment of the pixels is known to a few milliseconds."""
    before = time.monotonic()
    subprocess.run(["xwd", "-silent", "-id", window, "-out", path], stderr=subprocess.DEVNULL)
    return before, time.monotonic()


class Pixels:
    """A grab's pixels, read through ImageMagick as plain RGB."""

    def __init__(self, path):
        size = subprocess.run(["convert", path, "-format", "%w %h", "info:"], capture_output=True, text=True).stdout
        self.width, self.height = (int(v) for v in size.split())
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True).stdout

    def at(self, x, y):
        index = 3 * (y * self.width + x)
        return tuple(self.data[index:index + 3])


def save_png(path, png):
    subprocess.run(["convert", path, png], stderr=subprocess.DEVNULL)
