#!/usr/bin/env python3
"""Checks that the include arrows between the folders of ui/ run one way.

Each folder of ui/ has a level. A source file may include a header of a
folder below its own; a header of a folder on its own level (one window's
folder and another's) only when the header is a seam (a *_services.h or
*_service.h header); a header of a folder above its own never. The seam
headers of ui/interfaces lie below every folder.

    check_ui_folders.py UI_DIR     prints each wrong include, exits 1 if any
"""
import os
import re
import sys

# Folders from the bottom up; the folders of one level are peers.
LEVELS = {
    "interfaces": 0,
    "service": 1,
    "service_client": 2,
    "options": 3,
    "controls": 3,
    "channel": 4,
    "reports": 5,
    "dialogs": 6,
    "main_window": 7,
    "playlist_window": 7,
    "announcements": 7,
    "library": 7,
    "start_up": 8,
}
# A folder not named above is taken as one more window.
WINDOW_LEVEL = 7

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_SUFFIXES = (".h", ".cpp", ".rc")


def is_seam(header):
    name = os.path.basename(header)
    return name.endswith("_services.h") or name.endswith("_service.h")


def level(folder):
    return LEVELS.get(folder, WINDOW_LEVEL)


def folders_of(ui_dir):
    """Maps each header name to the folders of ui_dir that hold it."""
    owners = {}
    for folder in sorted(os.listdir(ui_dir)):
        path = os.path.join(ui_dir, folder)
        if not os.path.isdir(path):
            continue
        for root, _, files in os.walk(path):
            for name in files:
                if name.endswith(".h"):
                    rel = os.path.relpath(os.path.join(root, name), path)
                    owners.setdefault(rel.replace(os.sep, "/"), set()).add(folder)
    return owners


def check(ui_dir):
    """The wrong includes under ui_dir, as "file: text" lines."""
    owners = folders_of(ui_dir)
    faults = []
    for folder in sorted(os.listdir(ui_dir)):
        path = os.path.join(ui_dir, folder)
        if not os.path.isdir(path):
            continue
        for root, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                source = os.path.join(root, name)
                with open(source, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for header in INCLUDE.findall(text):
                    target = resolve(header, folder, owners)
                    if target is None or target == folder:
                        continue
                    if level(target) < level(folder):
                        continue
                    if level(target) == level(folder) and is_seam(header):
                        continue
                    where = os.path.relpath(source, ui_dir).replace(os.sep, "/")
                    why = "a folder above" if level(target) > level(folder) else "a peer folder, not a seam"
                    faults.append("%s: includes %s of %s (%s)" % (where, header, target, why))
    return faults


def resolve(header, folder, owners):
    """The folder that holds the included header; None outside ui/."""
    parts = header.split("/")
    if len(parts) > 1 and parts[0] in LEVELS:
        return parts[0]
    holders = owners.get(header)
    if not holders:
        return None
    if folder in holders:
        return folder
    return sorted(holders, key=level)[0]


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    faults = check(argv[1])
    for line in faults:
        print(line)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
