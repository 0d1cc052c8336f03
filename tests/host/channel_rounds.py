#!/usr/bin/env python3
"""The real client plays a channel round after round.

    channel_rounds.py BUILD_DIR

Runs under the Wine environment that channel_rounds.sh prepares (a prefix of
its own, Wine started, a display). Serves a store of six tone tracks (each
track a steady tone of its own pitch; the first longer, so that the track
cache has fetched the next ones before they play) from the service's
stand-in, with the music cache on, and runs zel_player.exe against it for
about two and a half rounds of the channel, its sound going to the one WAV
file of a machine without a sound card. Then, from that file and the
stand-in's request log:
  - the tracks play in the channel's order, round after round, beginning
    with the first; no track plays twice in a row (a track's stretch of its
    tone is never longer than the track);
  - no silence longer than 50 ms from the first sound to the last;
  - the first round downloads every track, never one twice while it plays;
    the later rounds download nothing (they play from the cache).
The service is out for the second round: the stand-in stops when that
round begins and comes back on the same port when the third begins. The
cached tracks play on in order through the outage, and afterwards the
client asks the service for the channel again, without a restart.
Exit status 0 when all hold; the findings are printed.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from client_run import (REPO, clear_track_caches, demo_store, keep_artifacts, player_env, read_timeline,
                        request_lines, run_player, start_stand_in, stop_stand_in)

TRACKS = 6
FIRST_SECONDS = 6.0
OTHER_SECONDS = 2.5
ROUND_SECONDS = FIRST_SECONDS + (TRACKS - 1) * OTHER_SECONDS
RUN_MS = int((3 * ROUND_SECONDS + 6.0) * 1000)
WINDOW = 4410  # 100 ms at 44100 Hz
SILENCE_LEVEL = 60
MAX_SILENCE_FRAMES = 2205  # 50 ms


def tone_of(left):
    """The tone track (1..TRACKS) that a window of left samples holds, or None."""
    peak = max(abs(v) for v in left)
    if peak < 2000:
        return None
    crossings = sum(1 for a, b in zip(left, left[1:]) if (a < 0) != (b < 0))
    hz = crossings / 2.0 / (len(left) / 44100.0)
    for n in range(1, TRACKS + 1):
        if abs(hz - demo_store.tone_hz(n)) <= 25:
            return n
    return None


def analyse(rate, samples, problems):
    frames = len(samples) // 2
    if rate != 44100:
        problems.append("the timeline is at %d Hz, not 44100" % rate)
    left = samples[0::2]
    loud = [i for i in range(0, frames, 64) if abs(left[i]) > SILENCE_LEVEL]
    if not loud:
        problems.append("the timeline holds no sound")
        return []
    first, last = loud[0], loud[-1]
    # Silence: both channels quiet for more than 50 ms inside the sound.
    run = 0
    longest = (0, 0)
    for i in range(first, last):
        if abs(samples[2 * i]) <= SILENCE_LEVEL and abs(samples[2 * i + 1]) <= SILENCE_LEVEL:
            run += 1
            if run > longest[0]:
                longest = (run, i - run + 1)
        else:
            run = 0
    if longest[0] > MAX_SILENCE_FRAMES:
        problems.append("silence of %d ms at %.2f s" % (longest[0] * 1000 // rate, longest[1] / rate))
    print("channel_rounds: longest silence inside the sound: %.1f ms" % (longest[0] * 1000.0 / rate))
    # The stretches of each tone, in order.
    stretches = []  # [track, windows]
    for start in range(first, last - WINDOW, WINDOW):
        track = tone_of(left[start:start + WINDOW])
        if track is None:
            continue
        if stretches and stretches[-1][0] == track:
            stretches[-1][1] += 1
        else:
            stretches.append([track, 1, start])
    # A window across a change of track can look like a third tone: such
    # short stretches are left out, and their neighbours joined.
    joined = []
    for s in stretches:
        if s[1] < 4:
            continue
        if joined and joined[-1][0] == s[0]:
            joined[-1][1] += s[1]
        else:
            joined.append(s)
    return joined


def check_order(stretches, problems):
    heard = [s[0] for s in stretches]
    print("channel_rounds: tracks heard in order: %s" % " ".join(str(t) for t in heard))
    if not heard or heard[0] != 1:
        problems.append("the channel did not begin with its first track")
    for a, b in zip(heard, heard[1:]):
        if b != a % TRACKS + 1:
            problems.append("track %d followed track %d" % (b, a))
    if len(heard) < 2 * TRACKS + 1:
        problems.append("only %d tracks were heard, not two rounds and more" % len(heard))
    for track, windows, _ in stretches[:-1]:
        seconds = FIRST_SECONDS if track == 1 else OTHER_SECONDS
        if windows / 10.0 > seconds + 0.35:
            problems.append("track %d sounded for %.1f s (it lasts %.1f s): it played twice in a row" %
                            (track, windows / 10.0, seconds))


def first_sound_time(state):
    """When the first track began to play: its request from the server."""
    for method, path, when in request_lines(state):
        if method == "GET" and path == "/music/tone1.mp3":
            return when
    return None


def check_requests(states, stretches, rate, problems):
    """Downloads (GET of a track) and length checks (HEAD) in the request log,
    placed on the timeline by their files' times: the first download of the
    first track is taken as the timeline's start (it plays at once)."""
    gets, heads, refills = [], {}, 0
    for path in [p for state in states for p in sorted(glob.glob(os.path.join(state, "requests", "*.raw")))]:
        with open(path, "rb") as f:
            raw = f.read()
        parts = raw.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        if len(parts) < 2:
            continue
        if parts[1].startswith("/music/"):
            name = parts[1][len("/music/"):]
            if parts[0] == "GET":
                gets.append((name, os.path.getmtime(path)))
            else:
                heads[name] = heads.get(name, 0) + 1
        if "rux_song_check" in parts[1]:
            refills += 1
    if not gets:
        problems.append("no track was downloaded")
        return
    t0 = next((t for n, t in gets if n == "tone1.mp3"), gets[0][1])
    timeline = [(n, t - t0) for n, t in gets]
    print("channel_rounds: downloads at (s from the first sound) %s; length checks %s; channel requests %d" %
          (" ".join("%s@%.1f" % (n, t) for n, t in timeline), sorted(heads.items()), refills))
    for n in range(1, TRACKS + 1):
        name = "tone%d.mp3" % n
        times = [t for m, t in timeline if m == name]
        if not times:
            problems.append("%s was never downloaded" % name)
        seconds = FIRST_SECONDS if n == 1 else OTHER_SECONDS
        for a, b in zip(times, times[1:]):
            if b - a < seconds:
                problems.append("%s was downloaded twice within %.1f s, while it played" % (name, b - a))
    second_round = [s for s in stretches if s[0] == 1][1:2]
    if second_round:
        begins = second_round[0][2] / float(rate)
        late = [(n, t) for n, t in timeline if t > begins - 0.5]
        if late:
            problems.append("the second round (from %.1f s) downloaded %s" % (begins, late))
    if refills < 2:
        problems.append("the channel was asked for %d times: it was never refilled" % refills)
    back = [p for m, p, _ in request_lines(states[-1]) if "rux_song_check" in p]
    print("channel_rounds: after the outage the service was asked for the channel %d times" % len(back))
    if not back:
        problems.append("after the outage the client never asked the service for the channel again")


def main():
    build = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="zel_channel_rounds.")
    state = os.path.join(work, "state")
    state_back = os.path.join(work, "state_back")
    os.makedirs(state)
    scenario = subprocess.run(
        [sys.executable, os.path.join(REPO, "tools", "demo_store.py"), work, "--tracks", str(TRACKS),
         "--tones", "%g,%g" % (FIRST_SECONDS, OTHER_SECONDS), "--rate", "1000", "--output-ms", "1000"],
        check=True, capture_output=True, text=True).stdout.strip()
    server, port = start_stand_in(state, scenario)
    servers = [(server, state)]
    problems = []
    outage = {"from": None, "to": None}

    def outage_for_the_second_round(stop):
        """The service stops when the second round begins and is back, on the
        same port, when the third begins."""
        begin = None
        while begin is None and not stop.wait(0.05):
            begin = first_sound_time(state)
        if begin is None or stop.wait(max(0.0, begin + ROUND_SECONDS + 1.0 - time.time())):
            return
        stop_stand_in(server, state)
        outage["from"] = time.time() - begin
        if stop.wait(max(0.0, begin + 2 * ROUND_SECONDS + 1.0 - time.time())):
            return
        servers.append(start_stand_in(state_back, scenario, int(port))[:1] + (state_back,))
        outage["to"] = time.time() - begin

    try:
        timeline = os.path.join(work, "timeline.wav")
        env = player_env(port, timeline)
        clear_track_caches(env["WINEPREFIX"])
        stop = threading.Event()
        watcher = threading.Thread(target=outage_for_the_second_round, args=(stop,))
        watcher.start()
        run_player(build, env, RUN_MS, "channel_rounds")
        stop.set()
        watcher.join()
        print("channel_rounds: the service was out from %s s to %s s" % (
            "%.1f" % outage["from"] if outage["from"] is not None else "-",
            "%.1f" % outage["to"] if outage["to"] is not None else "-"))
        if outage["to"] is None:
            problems.append("the outage did not take place as planned")
        if not os.path.exists(timeline):
            others = glob.glob(os.path.join(work, "*.wav"))
            problems.append("no timeline was written (%s)" % others)
        else:
            if glob.glob(os.path.join(work, "timeline-*.wav")):
                problems.append("more than one WAV file was written")
            rate, samples = read_timeline(timeline)
            print("channel_rounds: the timeline holds %.1f s" % (len(samples) / 2.0 / rate))
            stretches = analyse(rate, samples, problems)
            check_order(stretches, problems)
            check_requests([state, state_back], stretches, rate, problems)
    finally:
        for running, folder in servers:
            if running.poll() is None:
                stop_stand_in(running, folder)
        if problems:
            keep_artifacts(build, work, "channel_rounds")
        shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("channel_rounds: FAULT: %s" % p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
