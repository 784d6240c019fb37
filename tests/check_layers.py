#!/usr/bin/env python3
"""Checks the layers of the source tree.

    tests/check_layers.py [PROJECT_ROOT]

- A folder of src/ includes only folders of its own layer or below (the
  order is src/layers.txt's, lowest first); folders of one layer never
  include each other, so no two folders include each other.
- Qt headers (#include <Q...>) appear only in the Qt adapters, the Qt window,
  the artwork tool, the Qt tests and the benchmarks of the Qt canvas.
Prints every offending include and exits 1 when there is one.
"""

import os
import re
import sys


def read_layers(root):
    """The layers of src/layers.txt, lowest first: a tuple of folders each."""
    with open(os.path.join(root, "src", "layers.txt"), encoding="utf-8") as f:
        return [tuple(line.split()[1:]) for line in f if line.strip() and not line.startswith("#")]


# What a window may use besides the core: its own toolkit's and system's adapters.
WINDOW_ADAPTERS = {"qt_window": {"qt", "posix", "win32"}, "win32_window": {"win32"}}

QT_ALLOWED = [
    "src/qt/",
    "src/qt_window/",
    "tools/artwork/",
    "tests/qt/",
    "tests/qt_window/",
    "bench/bench_chart.cpp",
    "bench/bench_face.cpp",
]

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCE = (".h", ".hpp", ".cpp", ".cc", ".rc")


def layer_of(layers, folder):
    for index, layer in enumerate(layers):
        if folder in layer:
            return index
    return None


def sources(root, top):
    for dirpath, _, files in os.walk(os.path.join(root, top)):
        for name in files:
            if name.endswith(SOURCE):
                path = os.path.join(dirpath, name)
                yield os.path.relpath(path, root).replace(os.sep, "/")


def check(root, layers):
    problems = []
    for top in ("src", "tools", "tests", "bench", "fuzz"):
        for rel in sources(root, top):
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                text = f.read()
            for bracket, target in INCLUDE.findall(text):
                if bracket == "<" and target.startswith("Q"):
                    if not any(rel.startswith(allowed) for allowed in QT_ALLOWED):
                        problems.append("%s: Qt header <%s> outside the Qt code" % (rel, target))
                    continue
                if bracket != '"' or top != "src" or "/" not in target:
                    continue
                here = rel.split("/")[1]
                there = target.split("/")[0]
                if here == there or layer_of(layers, there) is None:
                    continue
                mine, theirs = layer_of(layers, here), layer_of(layers, there)
                if mine is None:
                    problems.append("%s: folder %s has no layer" % (rel, here))
                elif theirs > mine:
                    problems.append("%s: includes %s from a higher layer" % (rel, target))
                elif theirs == mine and there not in WINDOW_ADAPTERS.get(here, ()):
                    problems.append("%s: includes %s from a folder of its own layer" % (rel, target))
                elif mine == layer_of(layers, "qt_window") and theirs == layer_of(layers, "posix") and \
                        there not in WINDOW_ADAPTERS.get(here, ()):
                    problems.append("%s: includes %s, an adapter of another toolkit" % (rel, target))
    return problems


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))
    layers = read_layers(root)
    problems = check(root, layers)
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(1)
    print("layers hold: %s" % " < ".join("/".join(layer) for layer in layers))


if __name__ == "__main__":
    main()
