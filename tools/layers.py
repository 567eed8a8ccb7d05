#!/usr/bin/env python3
"""The folders' dependencies as the code has them: every #include "..." of the program's sources,
resolved to the folder it names, gathered per folder.

  tools/layers.py [--root DIR]            prints the table the code has (folder: folders it uses)
  tools/layers.py --check [--root DIR]    compares it with tools/layers.txt; lists every include
                                          that uses a folder its own folder may not, and exits 1

An include is resolved as the compiler finds it: from the including file's folder, then from the
top folder (the house style, "platform/gdi/Bitmap.h"), then from engine/include/.
"""

import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".cpp")


def read_rules(path):
    rules = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            folder, _, uses = line.partition(":")
            rules[folder.strip()] = uses.split()
    return rules


def layer_of(path, layers):
    """The most specific layer a path (from the top folder) lies in, or None."""
    best = None
    for layer in layers:
        if path == layer or path.startswith(layer + "/"):
            if best is None or len(layer) > len(best):
                best = layer
    return best


def resolve(root, including, name):
    """The path from the top folder of the file an include names, or None when it is not ours."""
    for base in (os.path.dirname(including), "", "engine/include"):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def dependencies(root, layers):
    """(layer, used layer, file, include) for every include that leaves its own layer."""
    found = []
    for layer in sorted(layers):
        top = os.path.join(root, layer)
        if not os.path.isdir(top):
            continue
        for folder, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root)
                if layer_of(path, layers) != layer:
                    continue  # a folder inside, with a layer of its own
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                    text = source.read()
                for include in INCLUDE.findall(text):
                    target = resolve(root, path, include)
                    used = layer_of(target, layers) if target else None
                    if used is not None and used != layer:
                        found.append((layer, used, path, include))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--check", action="store_true")
    options = parser.parse_args()
    rules = read_rules(os.path.join(options.root, "tools", "layers.txt"))
    found = dependencies(options.root, rules)
    if not options.check:
        table = {}
        for layer, used, _, _ in found:
            table.setdefault(layer, set()).add(used)
        for layer in rules:
            print("%s: %s" % (layer, " ".join(sorted(table.get(layer, ())))))
        return 0
    broken = [(layer, used, path, include) for layer, used, path, include in found
              if used not in rules.get(layer, []) and not used.startswith(layer + "/")]
    for layer, used, path, include in broken:
        print('%s: includes "%s", from %s/, which %s/ may not use' % (path, include, used, layer))
    if not broken:
        print("every folder keeps to its layer (%d includes across folders)" % len(found))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
