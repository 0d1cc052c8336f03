#!/usr/bin/env python3
"""The real client switches to a reserved channel at its start and back to the
store's channel at its end, and reports both.

    reservation_on_time.py BUILD_DIR

Runs under the Wine environment that client_prefix.sh prepares. Serves a
store whose own channel plays steady tones (demo_store.py --tones) and whose
timetable reserves another channel, a tone of its own pitch, from about 20 s
after the player starts for 20 s (demo_store.py --reservation); runs
zel_player.exe against the stand-in with its sound going to the one WAV file
of a machine without a sound card, and watches that file grow to place it on
the real clock. Then, from the file and the stand-in's request log:
  - the store's channel plays before the reservation;
  - the reserved channel's tone comes within SWITCH seconds of its start
    second (the reservations tick every 200 ms; the channel's track is asked
    for and starts to play from the stand-in), and the store's tones are gone
    by then;
  - it stops at its end second (within SWITCH) and the store's channel plays
    again within SWITCH more;
  - the timetable was asked for at login with the service's fields, the
    reserved channel's tracks at its start and the store's at its end;
  - "schedule_play" was reported with control value 2 (a start by the timer)
    and "schedule_play_stop" with 0, each for channel 1060 and near its
    second.
Exit status 0 when all hold; the findings are printed.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

from client_run import (REPO, clear_track_caches, demo_store, form_names, keep_artifacts, player_env, read_timeline,
                        request_files, run_player, start_stand_in, stop_stand_in, timeline_clock)
from announcement_on_time import WINDOW, tone_meter

TAG = "reservation_on_time"
LEAD = 20      # seconds from the player's start to the reservation
LENGTH = 20    # the reservation's length in seconds
SWITCH = 2.0   # seconds a switch may take after its second
TIMETABLE_FIELDS = ["userid", "userpw", "loginno", "storemother", "storeno", "storename", "servertime"]
REPORT_FIELDS = ["player_state", "control_value", "chkey", "chkeytitle", "loginno", "storemother", "storeno",
                 "storename"]


def form_values(raw):
    body = raw.partition(b"\r\n\r\n")[2]
    out = {}
    for pair in body.split(b"&"):
        name, _, value = pair.partition(b"=")
        out[name.decode("latin-1")] = urllib.parse.unquote_to_bytes(value.replace(b"+", b" ")).decode(
            "cp949", "replace")
    return out


def posts(state):
    """(script, field names, field values, time) of every POST, in order."""
    out = []
    for path in request_files(state):
        with open(path, "rb") as f:
            raw = f.read()
        parts = raw.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        if len(parts) >= 2 and parts[0] == "POST":
            out.append((parts[1].rsplit("/", 1)[-1], form_names(raw), form_values(raw), os.path.getmtime(path)))
    return out


def check_requests(state, start, end, problems):
    seen = posts(state)
    timetables = [p for p in seen if p[0] == "rux_mytimetable_check.php"]
    if not timetables:
        problems.append("the timetable was never asked for")
    for _, names, values, _ in timetables:
        if names != TIMETABLE_FIELDS:
            problems.append("the timetable was asked for with the fields %s, not %s" % (names, TIMETABLE_FIELDS))
        if values.get("loginno") != "L1" or values.get("servertime") != "1":
            problems.append("the timetable request carried loginno %r and servertime %r" %
                            (values.get("loginno"), values.get("servertime")))
    songs = [(p[2].get("chkey"), p[3]) for p in seen if p[0] == "rux_song_check.php"]
    print("%s: channel requests (chkey, seconds from the start): %s" % (TAG, [(k, round(t - start, 1))
                                                                        for k, t in songs]))
    if not any(k == "1060" and -0.5 <= t - start <= SWITCH for k, t in songs):
        problems.append("the reserved channel's tracks were not asked for at its start")
    if not any(k == "1052" and -0.5 <= t - end <= SWITCH for k, t in songs):
        problems.append("the store's channel's tracks were not asked for at the reservation's end")
    reports = [(p[1], p[2], p[3]) for p in seen if p[0] == "rux_player_state.php" and
               p[2].get("player_state", "").startswith("schedule_play")]
    print("%s: reports %s" % (TAG, [(v.get("player_state"), v.get("control_value"), v.get("chkey"),
                                     round(t - start, 1)) for _, v, t in reports]))
    expected = [("schedule_play", "2", start), ("schedule_play_stop", "0", end)]
    if len(reports) != 2:
        problems.append("%d reservation reports, not 2" % len(reports))
    for (names, values, t), (state_name, control, second) in zip(reports, expected):
        if names != REPORT_FIELDS:
            problems.append("%s was reported with the fields %s" % (state_name, names))
        if (values.get("player_state"), values.get("control_value"), values.get("chkey"),
                values.get("chkeytitle")) != (state_name, control, "1060", "[스케쥴] 예약 채널"):
            problems.append("a report said %s" % values)
        if not -0.5 <= t - second <= SWITCH + 1.0:
            problems.append("%s was reported %.1f s from its second" % (state_name, t - second))


def main():
    build = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="zel_reservation.")
    state = os.path.join(work, "state")
    launch = math.ceil(time.time()) + 3  # the tones take a moment to make
    start, end = launch + LEAD, launch + LEAD + LENGTH
    clock = "%s-%s" % (time.strftime("%H:%M:%S", time.localtime(start)), time.strftime("%H:%M:%S", time.localtime(end)))
    scenario = subprocess.run(
        [sys.executable, os.path.join(REPO, "tools", "demo_store.py"), work, "--tracks", "2", "--tones", "70",
         "--rate", "1000", "--output-ms", "1000", "--reservation", clock],
        check=True, capture_output=True, text=True).stdout.strip()
    server, port = start_stand_in(state, scenario, max_seconds=int(end - time.time()) + 120)
    problems = []
    try:
        timeline = os.path.join(work, "timeline.wav")
        env = player_env(port, timeline)
        clear_track_caches(env["WINEPREFIX"])
        wait = launch - time.time()
        if wait > 0:
            time.sleep(wait)
        run_ms = int((end - time.time() + 10.0) * 1000)
        watch = timeline_clock(timeline)
        run_player(build, env, run_ms, TAG)
        origin = watch.end()
        check_requests(state, start, end, problems)
        if not os.path.exists(timeline) or origin is None:
            problems.append("no timeline was written")
            return finish(build, work, problems)
        rate, samples = read_timeline(timeline)
        left = samples[0::2]
        print("%s: the timeline holds %.1f s from %.2f s after the player's start" %
              (TAG, len(left) / float(rate), origin - launch))
        store_meters = [tone_meter(demo_store.tone_hz(n), rate) for n in (1, 2)]
        reserved_meter = tone_meter(demo_store.RESERVED_HZ, rate)

        def when(p):
            return origin + p / float(rate)

        windows = range(0, len(left) - WINDOW, WINDOW)
        store = [(when(p), max(m.level(left, p) for m in store_meters)) for p in windows]
        reserved = [(when(p), reserved_meter.level(left, p)) for p in windows]
        heard = 1000

        def first(levels, after, test):
            return next((t for t, v in levels if t >= after and test(v)), None)

        if not any(v > heard for t, v in store if t < start - 1.0):
            problems.append("the store's channel did not play before the reservation")
        came = first(reserved, start - 1.0, lambda v: v > heard)
        if came is None:
            problems.append("the reserved channel was never heard")
        else:
            print("%s: the reserved channel came %.2f s after its second" % (TAG, came - start))
            if not -0.2 <= came - start <= SWITCH:
                problems.append("the reserved channel came %.2f s from its second" % (came - start))
            if any(v > heard for t, v in store if came + 0.2 <= t < end):
                problems.append("the store's channel was heard during the reservation")
            went = first(reserved, came, lambda v: v < heard / 10)
            if went is None or not -0.2 <= went - end <= SWITCH:
                problems.append("the reserved channel ended %s from its end second" %
                                ("never" if went is None else "%.2f s" % (went - end)))
            back = first(store, end - 0.2, lambda v: v > heard)
            if back is None:
                problems.append("the store's channel did not come back")
            else:
                print("%s: the store's channel came back %.2f s after the end" % (TAG, back - end))
                if back - end > 2 * SWITCH:
                    problems.append("the store's channel came back %.2f s after the end" % (back - end))
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
