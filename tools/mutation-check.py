#!/usr/bin/env python3
"""Mutation check: applies each one-line change listed in tools/mutations.txt to the source, rebuilds
only the test target that should catch it, runs the named tests, and reports which changes the
tests caught and which survived. The source is restored after every change.

  tools/mutation-check.py [--build BUILD_DIR] [--only TEXT]

Each entry of the list is a block of "key: value" lines, blocks separated by blank lines:
  why:    what the change breaks, in a few words
  file:   the source file, from the project's top folder
  from:   the exact text of the line (it must occur once in the file; "\\n" joins lines)
  to:     what it becomes
  target: the CMake target to rebuild
  run:    the command that must fail (relative to the build folder), for example a test binary with
          a --gtest_filter
Exits 1 when a change survived or an entry no longer matches its file.
"""

import argparse
import os
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_entries(path):
    entries, current = [], {}
    with open(path, encoding="utf-8") as listing:
        for raw in listing:
            line = raw.rstrip("\n")
            if not line.strip():
                if current:
                    entries.append(current)
                current = {}
                continue
            if line.startswith("#"):
                continue
            key, _, value = line.partition(":")
            value = value[1:] if value.startswith(" ") else value
            current[key.strip()] = value.replace("\\n", "\n")
    if current:
        entries.append(current)
    return entries


def build(build_dir, target):
    return subprocess.run(["cmake", "--build", build_dir, "--target", target],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(TOP, "build"))
    parser.add_argument("--only", default="")
    options = parser.parse_args()
    entries = [e for e in read_entries(os.path.join(TOP, "tools", "mutations.txt"))
               if options.only in e.get("why", "") + e.get("file", "")]
    caught, survived, stale = [], [], []
    targets = set()
    for entry in entries:
        path = os.path.join(TOP, entry["file"])
        with open(path, encoding="utf-8") as source:
            original = source.read()
        if original.count(entry["from"]) != 1:
            stale.append(entry)
            print("STALE     %s: %s" % (entry["file"], entry["why"]), flush=True)
            continue
        targets.add(entry["target"])
        try:
            with open(path, "w", encoding="utf-8") as source:
                source.write(original.replace(entry["from"], entry["to"]))
            if not build(options.build, entry["target"]):
                verdict = "no build"
            else:
                run = subprocess.run(entry["run"], shell=True, cwd=options.build, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, timeout=600,
                                     env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
                verdict = "caught" if run.returncode != 0 else "SURVIVED"
        except subprocess.TimeoutExpired:
            verdict = "caught"  # a hang is a failure the tests show
        finally:
            with open(path, "w", encoding="utf-8") as source:
                source.write(original)
        (survived if verdict == "SURVIVED" else caught).append(entry)
        print("%-9s %s: %s" % (verdict, entry["file"], entry["why"]), flush=True)
    for target in sorted(targets):
        build(options.build, target)
    print("%d caught, %d survived, %d stale" % (len(caught), len(survived), len(stale)))
    return 1 if survived or stale else 0


if __name__ == "__main__":
    sys.exit(main())
