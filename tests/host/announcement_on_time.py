#!/usr/bin/env python3
"""The real client plays the store's scheduled announcements on time, over
music that fades out and back.

    announcement_on_time.py BUILD_DIR [--bench N]

Runs under the Wine environment that client_prefix.sh prepares. Serves a
store whose channel plays steady tones (demo_store.py --tones) and whose
announcement list (fetched at login) has one announcement, a tone of its own
pitch, due about 25 s after the player starts; runs zel_player.exe against
the stand-in with its sound going to the one WAV file of a machine without
a sound card, and watches that file grow to place it on the real clock.
Then, from the file and the stand-in's request log:
  - the music fades from its level to silence over the fade time that the
    login asks for (fadeinout_time; shorter by the part of its lead second
    that had gone when the scheduler's tick saw it), ending by the
    announcement's second, to within two 200 ms ticks of the scheduler;
  - the announcement's first audio comes within a second of its scheduled
    second (on time, not a minute or a tick count off; how close it comes
    is a figure for the benchmark, bench/announcement_timing.sh, not an
    assertion that a loaded machine could break), while the music is
    silent;
  - after the announcement the music comes back, within the fade time and
    a tick, to the level it had before;
  - the announcement list was asked for with its fields in the service's
    order, and the announcement's file was fetched.
Exit status 0 when all hold; the findings are printed.

With --bench N: N announcements a minute apart, nothing asserted; prints,
for each, the lateness of its first audio and how far the music's level over
the fade strays from the fade the settings ask for (a straight line from the
level to silence over the fade time, ending at the scheduled second), then
the worst of each; the last line is the worst lateness in ms.
"""
import argparse
import math
import operator
import os
import shutil
import subprocess
import sys
import tempfile
import time

from client_run import (REPO, clear_track_caches, demo_store, form_names, keep_artifacts, player_env, read_timeline,
                        request_files, run_player, start_stand_in, stop_stand_in, timeline_clock)

TAG = "announcement_on_time"
FADE_MS = 3000
ANNE_SECONDS = 4
FIRST_LEAD = 25  # seconds from the player's start to the first announcement
APART = 60
WINDOW = 882  # 20 ms at 44100 Hz
TICK = 0.2
# The first audio must come within this many seconds of its second.
ON_TIME = 1.0
LIST_FIELDS = ["storeguideno", "storetop", "storemother", "storecode", "userid", "userpw", "music_volume",
               "anne_volume", "music_volume_mute", "anne_volume_mute"]


class tone_meter:
    """The amplitude of one pitch in 20 ms windows of the left channel."""

    def __init__(self, hz, rate):
        # A Hann window keeps the other tones out of this one's reading.
        w = 2 * math.pi * hz / rate
        hann = [0.5 - 0.5 * math.cos(2 * math.pi * i / WINDOW) for i in range(WINDOW)]
        self.cos = [math.cos(w * i) * hann[i] for i in range(WINDOW)]
        self.sin = [math.sin(w * i) * hann[i] for i in range(WINDOW)]
        self.scale = 2.0 / sum(hann)

    def level(self, left, start):
        x = left[start:start + WINDOW]
        if len(x) < WINDOW:
            return 0.0
        c = sum(map(operator.mul, x, self.cos))
        s = sum(map(operator.mul, x, self.sin))
        return self.scale * math.hypot(c, s)


def median(values):
    v = sorted(values)
    return v[len(v) // 2] if v else 0.0


def measure(left, rate, origin, scheduled, music_meters, anne_meter, fade):
    """The fade-out, the announcement's first audio and the fade-in around
    one announcement due at the real time `scheduled`. Times in seconds of
    the real clock; levels as amplitudes. Returns a dict; missing parts are
    None."""
    def pos(t):
        return int(round((t - origin) * rate))

    def when(p):
        return origin + p / float(rate)

    def music(p):
        return max(m.level(left, p) for m in music_meters)

    out = {"level": None, "fade_start": None, "silent": None, "first_audio": None, "anne_end": None,
           "back": None, "back_level": None, "deviation": None, "music_under_anne": None}
    lo, hi = pos(scheduled - fade - 3.0), pos(scheduled + ANNE_SECONDS + fade + 3.0)
    if lo < 0 or hi > len(left):
        return out
    windows = list(range(lo, hi - WINDOW, WINDOW))
    levels = {p: music(p) for p in windows}
    base = [levels[p] for p in windows if when(p) < scheduled - fade - 0.6]
    level = median(base)
    out["level"] = level
    if level < 1000:
        return out
    # The fade: from the first window below the level to the first silent one.
    for p in windows:
        if when(p) < scheduled - fade - 1.5:
            continue
        if out["fade_start"] is None and levels[p] < 0.97 * level:
            out["fade_start"] = when(p)
        if out["fade_start"] is not None and levels[p] < 0.01 * level:
            out["silent"] = when(p)
            break
    # How far the level strays from the asked-for straight line.
    worst = 0.0
    for p in windows:
        t = when(p) + WINDOW / 2.0 / rate
        if scheduled - fade - 0.5 <= t <= scheduled + 0.3:
            asked = level * min(1.0, max(0.0, (scheduled - t) / fade))
            worst = max(worst, abs(levels[p] - asked) / level)
    out["deviation"] = worst
    # The announcement's first audio: the first window with its tone, then
    # the first sample of sound in it or the window before.
    first = next((p for p in windows if when(p) > scheduled - fade and anne_meter.level(left, p) > 1000), None)
    if first is None:
        return out
    begin = max(lo, first - WINDOW)
    sample = next((i for i in range(begin, first + WINDOW) if abs(left[i]) > 200), first)
    out["first_audio"] = when(sample)
    # Its end, and the music under it.
    end = next((p for p in windows if p > first and anne_meter.level(left, p) < 200), None)
    if end is None:
        return out
    out["anne_end"] = when(end)
    under = [levels[p] for p in windows if first + WINDOW <= p < end - WINDOW]
    out["music_under_anne"] = max(under) if under else 0.0
    # The music back at its level, and that level a while later.
    back = next((p for p in windows if p >= end and levels[p] >= 0.97 * level), None)
    if back is not None:
        out["back"] = when(back)
        later = [levels[p] for p in windows if when(back) + 0.5 <= when(p) <= when(back) + 1.5]
        out["back_level"] = median(later) if later else None
    return out


def check_requests(state, problems):
    lists, files = [], []
    for path in request_files(state):
        with open(path, "rb") as f:
            raw = f.read()
        parts = raw.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        if len(parts) < 2:
            continue
        if "rux_anne_check" in parts[1]:
            lists.append((form_names(raw), os.path.getmtime(path)))
        elif parts[1].startswith("/anne/"):
            files.append(parts[0] + " " + parts[1])
    if not lists:
        problems.append("the announcement list was never asked for")
    for names, _ in lists:
        if names != LIST_FIELDS:
            problems.append("the announcement list was asked for with the fields %s, not %s" % (names, LIST_FIELDS))
    print("%s: announcement list requests %d; announcement files %s" % (TAG, len(lists), files))
    if not any(f.startswith("GET /anne/anne1.mp3") for f in files):
        problems.append("the announcement's file was never fetched")
    return lists[0][1] if lists else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--bench", type=int, default=0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    count = max(1, args.bench)
    fade = FADE_MS / 1000.0
    work = tempfile.mkdtemp(prefix="zel_anne_on_time.")
    state = os.path.join(work, "state")
    launch = math.ceil(time.time()) + 3  # the tones take a moment to make
    scheduled = [launch + FIRST_LEAD + APART * i for i in range(count)]
    music_seconds = 60 if count == 1 else APART * count / 2 + 30
    scenario = subprocess.run(
        [sys.executable, os.path.join(REPO, "tools", "demo_store.py"), work, "--tracks", "2",
         "--tones", "%g" % music_seconds, "--rate", "1000", "--output-ms", "1000",
         "--announcements", ",".join(time.strftime("%H:%M:%S", time.localtime(s)) for s in scheduled),
         "--anne-seconds", str(ANNE_SECONDS), "--fade-ms", str(FADE_MS)],
        check=True, capture_output=True, text=True).stdout.strip()
    server, port = start_stand_in(state, scenario, max_seconds=int(scheduled[-1] - time.time()) + 120)
    problems = []
    try:
        timeline = os.path.join(work, "timeline.wav")
        env = player_env(port, timeline)
        clear_track_caches(env["WINEPREFIX"])
        wait = launch - time.time()
        if wait > 0:
            time.sleep(wait)
        run_ms = int((scheduled[-1] - time.time() + ANNE_SECONDS + fade + 4.0) * 1000)
        clock = timeline_clock(timeline)
        run_player(build, env, run_ms, TAG)
        origin = clock.end()
        listed = check_requests(state, problems)
        if listed is not None and listed > scheduled[0] - fade - 1.0:
            problems.append("the list came %.1f s after the player's start: too late for the first announcement" %
                            (listed - launch))
        if not os.path.exists(timeline) or origin is None:
            problems.append("no timeline was written")
            return finish(build, work, problems)
        rate, samples = read_timeline(timeline)
        left = samples[0::2]
        print("%s: the timeline holds %.1f s from %.2f s after the player's start" %
              (TAG, len(left) / float(rate), origin - launch))
        music_meters = [tone_meter(demo_store.tone_hz(n), rate) for n in (1, 2)]
        anne_meter = tone_meter(demo_store.ANNE_HZ, rate)
        lateness, deviations = [], []
        for i, s in enumerate(scheduled, 1):
            m = measure(left, rate, origin, s, music_meters, anne_meter, fade)
            show = {k: ("%.3f" % (v - s) if k in ("fade_start", "silent", "first_audio", "anne_end", "back")
                        and v is not None else v) for k, v in m.items()}
            print("%s: announcement %d (times from its second): %s" % (TAG, i, show))
            name = "announcement %d" % i
            if not m["level"] or m["level"] < 1000:
                problems.append("%s: no music before its fade (level %s)" % (name, m["level"]))
                continue
            if m["fade_start"] is None or m["silent"] is None:
                problems.append("%s: the music did not fade to silence" % name)
            else:
                took = m["silent"] - m["fade_start"]
                # A fade that starts late into its lead second is shortened by
                # the part of that second already gone, so that the
                # announcement keeps its second: up to a second shorter.
                if not (fade - 1.0 <= took <= fade + TICK + WINDOW / float(rate)):
                    problems.append("%s: the fade to silence took %.2f s, not %.1f s" % (name, took, fade))
                if m["silent"] > s + 2 * TICK:
                    problems.append("%s: the music was silent only %.2f s after the second" % (name, m["silent"] - s))
            if m["deviation"] is not None:
                deviations.append(m["deviation"])
            if m["first_audio"] is None:
                problems.append("%s: it was not heard" % name)
                continue
            late = m["first_audio"] - s
            lateness.append(late)
            if abs(late) > ON_TIME:
                problems.append("%s: its first audio came %.0f ms from its second" % (name, late * 1000))
            if m["music_under_anne"] is not None and m["music_under_anne"] > 0.01 * m["level"]:
                problems.append("%s: music at %.0f under it" % (name, m["music_under_anne"]))
            if m["anne_end"] is None or m["back"] is None:
                problems.append("%s: the music did not come back after it" % name)
                continue
            if m["back"] - m["anne_end"] > fade + TICK + 0.3:
                problems.append("%s: the music took %.2f s to come back" % (name, m["back"] - m["anne_end"]))
            if m["back_level"] is None or abs(m["back_level"] - m["level"]) > 0.02 * m["level"]:
                problems.append("%s: the music came back at %s, not at %.0f" % (name, m["back_level"], m["level"]))
        if args.bench:
            worst = max(lateness, key=abs) if lateness else float("nan")
            print("%s: fade %d ms; worst stray of the music's level from the asked-for fade: %.1f%% of its level" %
                  (TAG, FADE_MS, 100.0 * max(deviations) if deviations else float("nan")))
            for p in problems:
                print("%s: note: %s" % (TAG, p))
            stop_stand_in(server, state)
            shutil.rmtree(work, ignore_errors=True)
            print("worst lateness of an announcement's first audio (%d announcements): %.0f ms" %
                  (len(scheduled), worst * 1000))
            return 0
    finally:
        if server.poll() is None:
            stop_stand_in(server, state)
    return finish(build, work, problems)


def finish(build, work, problems):
    if problems:
        keep_artifacts(build, work, TAG)
    shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("%s: FAULT: %s" % (TAG, p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
