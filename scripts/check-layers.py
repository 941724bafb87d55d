#!/usr/bin/env python3
"""Fails on an #include that points up the floors of scripts/layers.txt.

Usage: check-layers.py [FILE...]
Reads the tracked C and C++ files (or the files given), takes every
  #include "folder/..."
whose first folder the layer file knows, and checks that the included file's
floor is not above the including file's.  Includes of a file's own folder
(a folder of the same floor, or the same folder beside the floors) always
pass; includes of folders the layer file does not name are not checked.
Prints each upward include as "file:line: includes X (floor A -> floor B)"
and exits 1 when there is one, 2 on a bad layer file.
"""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYERS = os.path.join(ROOT, "scripts", "layers.txt")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


class Place:
    """Where a folder stands: its floor for those who include it, and the
    highest floor it may include itself."""

    def __init__(self, folder, rank, reach, name):
        self.folder = folder
        self.rank = rank
        self.reach = reach
        self.name = name


def read_layers(path):
    places = {}
    floors = []
    besides = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].split()
            if not line:
                continue
            kind, names = line[0], line[1:]
            if kind == "floor" and names:
                floors.append(names)
            elif kind == "beside" and len(names) == 2:
                besides.append((names[0], names[1], number))
            else:
                sys.exit(f"{path}:{number}: expected 'floor FOLDER...' or 'beside FOLDER FLOOR'")
    if not floors:
        sys.exit(f"{path}: no floor")
    for rank, names in enumerate(floors):
        for folder in names:
            places[folder] = Place(folder, rank, rank, names[0])
    top = len(floors) - 1
    for folder, floor, number in besides:
        if floor not in places:
            sys.exit(f"{path}:{number}: unknown floor '{floor}'")
        places[folder] = Place(folder, top, places[floor].reach, folder)
    return places


def place_of(path, places):
    """The place of the longest folder that holds `path`, or None."""
    parts = path.split("/")
    for n in range(len(parts) - 1, 0, -1):
        place = places.get("/".join(parts[:n]))
        if place is not None:
            return place
    return None


def tracked_sources():
    out = subprocess.run(
        ["git", "-C", ROOT, "ls-files", "*.cpp", "*.h", "*.c", "*.h.in"],
        check=True, capture_output=True, text=True).stdout
    return [line for line in out.splitlines() if line]


def check(files, places):
    faults = []
    for path in files:
        own = place_of(path, places)
        if own is None:
            continue
        try:
            with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
                lines = f.readlines()
        except OSError as e:
            faults.append(f"{path}: cannot read: {e.strerror}")
            continue
        for number, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = place_of(m.group(1), places)
            if target is None or target.folder == own.folder:
                continue
            if target.rank > own.reach:
                faults.append(f"{path}:{number}: includes {m.group(1)} "
                              f"(floor {own.name} -> floor {target.name})")
    return faults


def main():
    places = read_layers(LAYERS)
    files = sys.argv[1:] or tracked_sources()
    faults = check(files, places)
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} include(s) point up the floors of "
              "scripts/layers.txt", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
