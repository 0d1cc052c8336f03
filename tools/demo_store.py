#!/usr/bin/env python3
"""Writes a demonstration store for the service's stand-in.

    demo_store.py FOLDER [--tracks N]

FOLDER/tracks/demoN.mp3: N short generated tracks (plucked chords, made
with sox and lame; a track that exists already is kept) and
FOLDER/scenario.json: a store (id "demo", password "demo") that knows every
PC, so that a player's first start logs in by itself, and whose login names
the channel 1052 ("데모 채널") that holds those tracks. Prints the
scenario's path.
"""
import argparse
import json
import os
import subprocess
import sys

CHORDS = [["C4", "E4", "G4", "C5"], ["A3", "C4", "E4", "A4"], ["F3", "A3", "C4", "F4"], ["G3", "B3", "D4", "G4"]]
NOTE_SECONDS = 0.6
ROUNDS = 3


def make_track(path, chord):
    """A track of the chord's notes plucked one after the other, ROUNDS times."""
    wav = path[:-4] + ".wav"
    chain = []
    for _ in range(ROUNDS):
        for note in chord:
            chain += ["synth", str(NOTE_SECONDS), "pluck", note, ":"]
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav] + chain[:-1], check=True)
    subprocess.run(["lame", "--quiet", "-b", "128", wav, path + ".tmp"], check=True)
    os.replace(path + ".tmp", path)
    os.remove(wav)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--tracks", type=int, default=4)
    args = parser.parse_args()
    folder = os.path.abspath(args.folder)
    tracks_folder = os.path.join(folder, "tracks")
    os.makedirs(tracks_folder, exist_ok=True)
    seconds = int(NOTE_SECONDS * 4 * ROUNDS + 0.999)
    tracks = []
    for i in range(1, max(1, args.tracks) + 1):
        path = os.path.join(tracks_folder, "demo%d.mp3" % i)
        if not os.path.isfile(path):
            make_track(path, CHORDS[(i - 1) % len(CHORDS)])
        tracks.append({"number": 100 + i, "length": str(seconds), "offset": "0", "title": "데모 곡 %d" % i,
                       "artist": "데모 가수", "album": "데모 앨범", "file": "demo%d.mp3" % i, "source": path})
    scenario = {
        "store": {"usertype": "A", "storetop": "T001", "storemother": "M001", "storecode": "S001",
                  "storeid": "demo", "storename": "데모 매장"},
        "users": [{"userid": "demo", "userpw": "demo"}],
        "known_pcs": [{"usermac": "*", "userid": "demo", "userpw": "demo"}],
        "login": {"Music_Volume": "80|0|80|0", "playtype": "1|100|1000|0|10|1000", "channel": "음악방송|1052",
                  "channeltitle": "데모 채널", "duplicate": "1", "skip": "1", "listenlog": "1",
                  "anne_volume_linkage": "1", "vm": "0", "logininfo": "L1"},
        "categories": {"음악방송": [1052], "auto": [1052]},
        "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "데모 채널", "description": "데모",
                      "genre": "가요", "purpose": "매장", "tracks": tracks}],
        "announcements": [],
        "reservations": {},
        "timetable": [],
    }
    path = os.path.join(folder, "scenario.json")
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        json.dump(scenario, f, ensure_ascii=False, indent=1)
    os.replace(path + ".tmp", path)
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
