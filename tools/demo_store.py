#!/usr/bin/env python3
"""Writes a demonstration store for the service's stand-in.

    demo_store.py FOLDER [--tracks N] [--tones SECONDS,...] [--answer-size N] [--rate KB] [--output-ms MS]
                  [--announcements HH:MM:SS,... [--anne-seconds S] [--fade-ms MS] [--anne-refresh TICKS]]
                  [--reservation HH:MM:SS-HH:MM:SS [--reservation-period SECONDS]]

FOLDER/tracks/demoN.mp3: N short generated tracks (plucked chords, made
with sox and lame; a track that exists already is kept) and
FOLDER/scenario.json: a store (id "demo", password "demo") that knows every
PC, so that a player's first start logs in by itself, and whose login names
the channel 1052 ("데모 채널") that holds those tracks and turns the music
cache on. Each channel request is answered with --answer-size tracks (the
login's list limit, 10, by default; at most the whole channel) from where
the last answer ended, so the channel goes round. Prints the scenario's path.

--tones makes steady sine tones instead (FOLDER/tracks/toneN.mp3, without
the encoder's Info frame), track N at tone_hz(N), as many seconds as the
list gives for it (the last value repeats), so that a recording tells which
track played when. --rate sets
the download limit of the login in kilobytes per second (default 100),
--output-ms the player's output buffer (the login key "output"; default:
none sent, the player keeps its own).

--announcements puts scheduled announcements on the store's list, one at
each time of the service clock given (FOLDER/tracks/anneN.mp3: a steady
tone at ANNE_HZ, above every track's tone, --anne-seconds long, default 4),
and makes the stand-in's clock text agree with this PC's to the second.
--fade-ms sends the login key "fadeinout_time" (the fades around an
announcement), --anne-refresh the key "anne_refresh_time" (200 ms ticks
between reloads of the list).

--multi makes the account a multi-store one: the PC logs in as "multi"
(password "multi"), whose login names two stores in "multi_play":
"demo1" ("데모 1호점", password "demo1", the channel 1052) and "demo2"
("데모 2호점", password "demo2", the channel 1053 "데모 2호점 채널" of
tracks of its own: with --tones, tones above those of the channel 1052).
The player hands the account over to the launcher zel_mtplayer.exe, which
runs one player per store.

--reservation START-END reserves the channel 1060 ("[스케쥴] 예약 채널",
one steady tone at RESERVED_HZ, FOLDER/tracks/reserved.mp3, as long as
the reservation and 30 s more) from START to END (HH:MM:SS of the service
clock) in the store's timetable, turns the reservations on in the login
(refreshed every --reservation-period seconds, default 300) and makes the
stand-in's clock text agree with this PC's to the second.
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


def tone_hz(number):
    """The pitch of tone track number (1, 2, ...)."""
    return 300 + 120 * (number - 1)


# The pitch of an announcement's tone: well apart from every track's.
ANNE_HZ = 1800
# The pitch of the reserved channel's tone: apart from both.
RESERVED_HZ = 1400


def seconds_of(clock):
    h, m, s = (int(x) for x in clock.split(":"))
    return h * 3600 + m * 60 + s


def make_tone(path, hz, seconds):
    wav = path[:-4] + ".wav"
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", str(seconds), "sine",
                    str(hz), "vol", "0.5"], check=True)
    # No Info frame (-t): the player plays that frame as 26 ms of silence,
    # which would stand between every two tones.
    subprocess.run(["lame", "--quiet", "-t", "-b", "128", wav, path + ".tmp"], check=True)
    os.replace(path + ".tmp", path)
    os.remove(wav)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("folder")
    parser.add_argument("--tracks", type=int, default=4)
    parser.add_argument("--tones", default="")
    parser.add_argument("--answer-size", type=int, default=10)
    parser.add_argument("--rate", type=int, default=100)
    parser.add_argument("--output-ms", type=int, default=0)
    parser.add_argument("--announcements", default="")
    parser.add_argument("--anne-seconds", type=float, default=4.0)
    parser.add_argument("--fade-ms", type=int, default=0)
    parser.add_argument("--anne-refresh", type=int, default=None)
    parser.add_argument("--reservation", default="")
    parser.add_argument("--reservation-period", type=int, default=300)
    parser.add_argument("--multi", action="store_true")
    args = parser.parse_args()
    folder = os.path.abspath(args.folder)
    tracks_folder = os.path.join(folder, "tracks")
    os.makedirs(tracks_folder, exist_ok=True)
    tones = [float(x) for x in args.tones.split(",") if x.strip()]
    tracks = []
    for i in range(1, max(1, args.tracks) + 1):
        if tones:
            seconds = tones[min(i, len(tones)) - 1]
            name = "tone%d.mp3" % i
            path = os.path.join(tracks_folder, name)
            make_tone(path, tone_hz(i), seconds)
        else:
            seconds = NOTE_SECONDS * 4 * ROUNDS
            name = "demo%d.mp3" % i
            path = os.path.join(tracks_folder, name)
            if not os.path.isfile(path):
                make_track(path, CHORDS[(i - 1) % len(CHORDS)])
        tracks.append({"number": 100 + i, "length": str(int(seconds + 0.999)), "offset": "0",
                       "title": "데모 곡 %d" % i, "artist": "데모 가수", "album": "데모 앨범", "file": name,
                       "source": path})
    second_store = []
    if args.multi:
        for i in range(1, max(1, args.tracks) + 1):
            number = max(1, args.tracks) + i
            if tones:
                seconds = tones[min(i, len(tones)) - 1]
                name = "tone%d.mp3" % number
                path = os.path.join(tracks_folder, name)
                make_tone(path, tone_hz(number), seconds)
            else:
                seconds = NOTE_SECONDS * 4 * ROUNDS
                name = "demo%d.mp3" % number
                path = os.path.join(tracks_folder, name)
                if not os.path.isfile(path):
                    make_track(path, CHORDS[(number - 1) % len(CHORDS)][::-1])
            second_store.append({"number": 200 + i, "length": str(int(seconds + 0.999)), "offset": "0",
                                 "title": "2호점 곡 %d" % i, "artist": "데모 가수", "album": "데모 앨범",
                                 "file": name, "source": path})
    announcements = []
    for i, start in enumerate([t.strip() for t in args.announcements.split(",") if t.strip()], 1):
        name = "anne%d.mp3" % i
        path = os.path.join(tracks_folder, name)
        make_tone(path, ANNE_HZ, args.anne_seconds)
        announcements.append({"code": "A%02d" % i, "start": start, "length": str(int(args.anne_seconds + 0.999)),
                              "flag": "0", "title": "데모 안내 %d" % i, "volume": "100", "file": name,
                              "source": path})
    scenario = {
        "store": {"usertype": "A", "storetop": "T001", "storemother": "M001", "storecode": "S001",
                  "storeid": "demo", "storename": "데모 매장"},
        "users": [{"userid": "demo", "userpw": "demo"}],
        "known_pcs": [{"usermac": "*", "userid": "demo", "userpw": "demo"}],
        # playtype: the music cache on, the download limit, 1000 cached
        # files, no packet retry, the list limit, the linger time.
        "login": {"Music_Volume": "80|0|80|0", "playtype": "1|%d|1000|0|10|1000" % args.rate,
                  "channel": "음악방송|1052",
                  "channeltitle": "데모 채널", "duplicate": "1", "skip": "1", "listenlog": "1",
                  "anne_volume_linkage": "1", "vm": "0", "logininfo": "L1"},
        "categories": {"음악방송": [1052], "auto": [1052]},
        "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "데모 채널", "description": "데모",
                      "genre": "가요", "purpose": "매장", "answer_size": args.answer_size, "tracks": tracks}],
        "announcements": announcements,
        "reservations": {},
        "timetable": [],
    }
    if args.multi:
        def store_login(userid, name, channel, title):
            return {"storeinfo": "A^T001^M001^%s^%s^%s" % ("S10" + userid[-1], userid, name),
                    "channel": "음악방송|%d" % channel, "channeltitle": title}
        scenario["users"] = [
            {"userid": "multi", "userpw": "multi",
             "login": {"multi_play": "2\u203bdemo1\u00b6demo1\u00b6데모 1호점\u203bdemo2\u00b6demo2\u00b6데모 2호점"}},
            {"userid": "demo1", "userpw": "demo1", "login": store_login("demo1", "데모 1호점", 1052, "데모 채널")},
            {"userid": "demo2", "userpw": "demo2",
             "login": store_login("demo2", "데모 2호점", 1053, "데모 2호점 채널")},
            {"userid": "demo", "userpw": "demo"}]
        scenario["known_pcs"] = [{"usermac": "*", "userid": "multi", "userpw": "multi"}]
        scenario["categories"] = {"음악방송": [1052, 1053], "auto": [1052, 1053]}
        scenario["channels"].append(
            {"id": 1053, "extra": "", "tempo": "nomal", "title": "데모 2호점 채널", "description": "데모",
             "genre": "가요", "purpose": "매장", "answer_size": args.answer_size, "tracks": second_store})
    if args.output_ms > 0:
        scenario["login"]["output"] = str(args.output_ms)
    if announcements:
        scenario["servertime_settle"] = True
    if args.fade_ms > 0:
        scenario["login"]["fadeinout_time"] = str(args.fade_ms)
    if args.anne_refresh is not None:
        scenario["login"]["anne_refresh_time"] = str(args.anne_refresh)
    if args.reservation:
        start, end = args.reservation.split("-")
        seconds = max(1, seconds_of(end) - seconds_of(start)) + 30
        path = os.path.join(tracks_folder, "reserved.mp3")
        make_tone(path, RESERVED_HZ, seconds)
        scenario["channels"].append(
            {"id": 1060, "extra": "", "tempo": "nomal", "title": "[스케쥴] 예약 채널", "description": "예약",
             "genre": "가요", "purpose": "매장",
             "tracks": [{"number": 601, "length": str(seconds), "offset": "0", "title": "예약 곡",
                         "artist": "데모 가수", "album": "데모 앨범", "file": "reserved.mp3", "source": path}]})
        scenario["timetable"] = [{"id": "21", "start": start, "end": end, "chkey": "1060",
                                  "title": "[스케쥴] 예약 채널"}]
        scenario["login"]["musicschedule_play"] = "1"
        scenario["login"]["musicschedule_time"] = str(args.reservation_period)
        scenario["servertime_settle"] = True
    path = os.path.join(folder, "scenario.json")
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        json.dump(scenario, f, ensure_ascii=False, indent=1)
    os.replace(path + ".tmp", path)
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
