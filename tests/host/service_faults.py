#!/usr/bin/env python3
"""The real client under faults of the service: the store's music does not
stop while the track cache holds some of its channel, the main window always
answers, and the channel recovers once the service answers again.

    service_faults.py BUILD_DIR CASE [--figures]

Runs under the Wine environment that client_prefix.sh prepares. Each CASE
(see CASES) serves a store of steady tone tracks (demo_store.py --tones)
from the service's stand-in, with fault rules (stand_in_scenario.py) that
the case sets before the start and changes while the player runs; runs
zel_player.exe against it, its sound going to the one WAV file of a machine
without a sound card, while zel_window_probe.exe asks the main window to
answer every 100 ms. Then, from the timeline, the probe's record and the
stand-in's request log, every case checks:
  - no silence longer than MAX_SILENCE from the first sound on while a
    track of the channel is in the cache (the cases that start with an
    empty cache wait for the service first);
  - the main window answers every probe within MAX_ANSWER (the window is
    looked at from its first appearance until shortly before the quit);
and its own points (the recovery after the service returns, the service's
own notice, the tracks after a broken line, a cut download never played as
a whole track, ...). Prints the figures of the run: the longest silence,
the longest answer and the recovery time. Exit status 0 when all hold.
With --figures nothing is asserted (the figures of an older build, whose
bin folder ZEL_CLIENT_BIN names).
"""
import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from client_run import (REPO, keep_artifacts, player_env, read_timeline, request_lines,
                        start_stand_in, stop_stand_in, timeline_clock, windows_path)

MAX_SILENCE = 1.0   # seconds of silence while the cache holds a track
MAX_ANSWER = 250    # ms the main window may take to answer
SILENCE_LEVEL = 60
STEP = 441          # 10 ms at 44100 Hz
SONGS = "rux_song_check.php"
LOGIN = "rux_login_check.php"
EXPIRED_TEXT = "로그인 정보가 만료되었습니다."
OWN_REFUSAL = "이 매장은 사용이 중지되었습니다. 본사에 문의하여 주십시오."
NET_BLAME = "인터넷이 원할 하지 못하여"


class run_record:
    """What one run of the player left: the timeline placed on the clock,
    the probe's lines and the stand-in's requests."""

    def __init__(self):
        self.start = 0.0      # when the player was started
        self.quit = 0.0       # when it was told to quit (its /quit-after)
        self.origin = None    # when the timeline began
        self.rate = 44100
        self.samples = None
        self.probes = []      # (time, answer ms or -1, window text, dialog texts)
        self.requests = []    # (method, path, time)
        self.events = {}      # what the case's controller did when

    # --- the timeline ---

    def loud_times(self):
        """The real times of the 10 ms windows that sound."""
        if self.samples is None or self.origin is None:
            return []
        out = []
        s = self.samples
        for i in range(0, len(s) // 2 - STEP, STEP):
            seg = s[2 * i:2 * (i + STEP):16]
            if max(seg) > SILENCE_LEVEL or -min(seg) > SILENCE_LEVEL:
                out.append(self.origin + i / float(self.rate))
        return out

    def silences(self, begin=None, end=None):
        """(from, length) of the gaps between sounding windows inside
        [begin, end] (default: first to last sound)."""
        loud = self.loud_times()
        if not loud:
            return []
        begin = loud[0] if begin is None else begin
        end = loud[-1] if end is None else end
        marks = [begin] + [t for t in loud if begin <= t <= end] + [end]
        return [(a, b - a - 0.01) for a, b in zip(marks, marks[1:]) if b - a > 0.05]

    def first_sound(self, after=0.0):
        return next((t for t in self.loud_times() if t >= after), None)

    # --- the window ---

    def answers(self, margin=2.0):
        """(time, ms) of the probes from the window's first appearance to
        margin seconds before the quit."""
        return [(t, ms) for t, ms, _, _ in self.probes if ms >= 0 and t < self.quit - margin]

    def longest_answer(self):
        a = self.answers()
        return max(a, key=lambda x: x[1]) if a else (None, None)

    def dialog_texts(self):
        return [d for _, _, _, d in self.probes if d]

    def window_texts(self):
        return [(t, w) for t, _, w, _ in self.probes]

    # --- the service ---

    def gets(self, name=None):
        return [(p, t) for m, p, t in self.requests if m == "GET" and p.startswith("/music/") and
                (name is None or p == "/music/" + name)]

    def posts(self, script):
        return [t for m, p, t in self.requests if m == "POST" and p.endswith("/" + script)]


class case_run:
    """One run of the player for a case: the store, its faults and what
    changes them while the player runs."""

    def __init__(self, build, work, tag):
        self.build = build
        self.work = work
        self.tag = tag
        self.state = os.path.join(work, "state")
        self.server = None
        self.port = None
        self.record = run_record()

    def store(self, tracks, seconds, answer_size=None, change=None):
        args = [sys.executable, os.path.join(REPO, "tools", "demo_store.py"), self.work, "--tracks", str(tracks),
                "--tones", seconds, "--rate", "1000", "--output-ms", "1000"]
        if answer_size:
            args += ["--answer-size", str(answer_size)]
        path = subprocess.run(args, check=True, capture_output=True, text=True).stdout.strip()
        if change:
            with open(path, encoding="utf-8") as f:
                scenario = json.load(f)
            change(scenario)
            with open(path, "w", encoding="utf-8") as f:
                json.dump(scenario, f, ensure_ascii=False)
        self.scenario = path

    def faults(self, rules):
        path = os.path.join(self.state, "faults.json")
        os.makedirs(self.state, exist_ok=True)
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(rules, f, ensure_ascii=False)
        os.replace(path + ".tmp", path)
        self.record.events.setdefault("faults", []).append((time.time(), rules))

    def serve(self, port=0):
        self.server, self.port = start_stand_in(self.state, self.scenario, port=port, max_seconds=400)

    def requests_now(self):
        return request_lines(self.state)

    def wait_for(self, test, bound, period=0.05):
        """Waits until test() holds or bound seconds passed; the time it held."""
        end = time.time() + bound
        while time.time() < end:
            if test():
                return time.time()
            time.sleep(period)
        return None

    def play(self, run_ms, controller=None, kill_at=None):
        """The player for run_ms with the probe beside it; controller(self)
        runs on a thread meanwhile. kill_at(self) returning means: end the
        player at once, as a crash or a power cut would."""
        timeline = os.path.join(self.work, "timeline.wav")
        if os.path.exists(timeline):
            os.remove(timeline)
        env = player_env(self.port, timeline)
        probe_out = os.path.join(self.work, "probe.txt")
        r = self.record
        watch = timeline_clock(timeline)
        r.start = time.time()
        r.quit = r.start + run_ms / 1000.0
        player = subprocess.Popen(["wine", "zel_player.exe", "/quit-after=%d" % run_ms],
                                  cwd=os.environ.get("ZEL_CLIENT_BIN") or os.path.join(self.build, "bin"), env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        probe = subprocess.Popen(["wine", os.path.join(self.build, "tests", "zel_window_probe.exe"),
                                  windows_path(probe_out), str(run_ms / 1000.0 + 3)],
                                 env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        thread = None
        if controller:
            thread = threading.Thread(target=controller, args=(self,))
            thread.daemon = True
            thread.start()
        killed = False
        if kill_at:
            kill_at(self)
            kill_wine()
            killed = True
        try:
            player.wait(timeout=run_ms / 1000.0 + 10)
        except subprocess.TimeoutExpired:
            # A dialog left open past the quit holds the player: ended.
            print("%s: the player did not end by itself" % self.tag)
            kill_wine()
            killed = True
            player.wait(timeout=20)
        try:
            probe.wait(timeout=10)
        except subprocess.TimeoutExpired:
            probe.kill()
        if killed:
            kill_wine()
        if thread:
            thread.join(30)
        r.origin = watch.end()
        print("%s: the player ran %.1f s" % (self.tag, time.time() - r.start))
        if os.path.exists(timeline) and os.path.getsize(timeline) > 44:
            try:
                r.rate, r.samples = read_timeline(timeline)
            except (EOFError, ValueError) as e:  # a killed player leaves the header unfinished
                print("%s: the timeline could not be read: %s" % (self.tag, e))
        if os.path.exists(probe_out):
            with open(probe_out, encoding="utf-8", errors="replace") as f:
                for line in f:
                    parts = line.rstrip("\n").split("\t")
                    if len(parts) >= 2:
                        parts += [""] * (4 - len(parts))
                        r.probes.append((int(parts[0]) / 1000.0, int(parts[1]), parts[2], parts[3]))
        r.requests = request_lines(self.state)

    def stop(self):
        if self.server and self.server.poll() is None:
            stop_stand_in(self.server, self.state)

    def cache_files(self):
        prefix = os.environ["WINEPREFIX"]
        return glob.glob(os.path.join(prefix, "drive_c", "users", "*", "*", "*", "zel_player", "temp", "music", "*")) + \
            glob.glob(os.path.join(prefix, "drive_c", "users", "*", "*", "zel_player", "temp", "music", "*"))


def kill_wine():
    subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


def clear_client_state():
    """An empty track cache and no channel kept from an earlier run."""
    prefix = os.environ["WINEPREFIX"]
    for d in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming", "zel_player")) + \
            glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Application Data", "zel_player")):
        shutil.rmtree(os.path.join(d, "temp"), ignore_errors=True)
        for name in ("channel_tracks.txt",):
            try:
                os.remove(os.path.join(d, name))
            except OSError:
                pass


def song_reply_with(lines):
    """A channel reply as the service writes it, of the lines given."""
    return "Result=Success\r\n" + "".join(line + "\r\n" for line in lines)


def song_line(port, n, seconds):
    return "^".join([str(100 + n), "x", "", str(seconds), "0", "데모 곡 %d" % n, "데모 가수",
                     "http://127.0.0.1:%s/music/tone%d.mp3" % (port, n), "데모 앨범", "tone%d.mp3" % n])


# --- the cases ---
# Each returns (figures, problems); figures: silence, answer, recovery.

def common_checks(run, figures, problems, cache_from=None):
    """The silence after cache_from (default: the first sound) and the
    window's answers."""
    r = run.record
    first = r.first_sound()
    figures["first sound"] = None if first is None else first - r.start
    begin = first if cache_from is None else max(cache_from, first or cache_from)
    end = min(r.quit - 1.0, r.loud_times()[-1] if r.loud_times() else r.quit)
    gaps = r.silences(begin, end) if first is not None else []
    longest = max(gaps, key=lambda g: g[1]) if gaps else (None, 0.0)
    figures["silence"] = longest[1]
    if longest[1] > MAX_SILENCE:
        problems.append("silence of %.2f s at %.1f s after the start" % (longest[1], longest[0] - r.start))
    at, ms = r.longest_answer()
    figures["answer"] = ms
    if ms is None:
        problems.append("the main window was never seen")
    elif ms > MAX_ANSWER:
        problems.append("the main window took %d ms to answer at %.1f s after the start" % (ms, at - r.start))


def case_1(run):
    """A song list that the service does not answer at the start: the
    request is sent again until the service answers, and the channel
    plays then."""
    run.store(3, "3")
    clear_client_state()
    run.faults([{"script": SONGS, "reply": "silent", "hold_ms": 6000, "times": 1}])
    run.serve()
    run.play(26000)
    r = run.record
    figures, problems = {}, []
    common_checks(run, figures, problems)
    songs = r.posts(SONGS)
    back = songs[0] + 6.0 if songs else None
    first = r.first_sound()
    figures["recovery"] = None if first is None or back is None else first - back
    if first is None:
        problems.append("no sound at all")
    elif back is not None and first - back > 4.0:
        problems.append("the channel played %.1f s after the service answered again" % (first - back))
    if len(songs) < 2:
        problems.append("the channel was asked for %d times: never again after the silence" % len(songs))
    return figures, problems


def case_2(run):
    """An expired login on the song request at the start: the service's
    notice is shown."""
    run.store(3, "3")
    clear_client_state()
    run.faults([{"script": SONGS, "reply": "login_false", "times": 1}])
    run.serve()
    run.play(16000)
    r = run.record
    figures, problems = {}, []
    common_checks(run, figures, problems)
    notices = [d for d in r.dialog_texts() if EXPIRED_TEXT in d]
    figures["recovery"] = None
    if not notices:
        problems.append("the service's notice was not shown (dialogs seen: %s)" % sorted(set(r.dialog_texts()))[:3])
    return figures, problems


def music_began(run):
    return any(p.startswith("/music/") for _, p, _ in run.requests_now())


def outage(rules_during, seconds, after_round=None, wait_first=True):
    """A controller: the rules from the end of the first round (after_round
    seconds after the first track's download) for seconds, then none."""
    def control(run):
        began = run.wait_for(lambda: music_began(run), 40)
        if began is None:
            return
        time.sleep(after_round)
        run.faults(rules_during)
        run.record.events["out"] = time.time()
        time.sleep(seconds)
        run.faults([])
        run.record.events["back"] = time.time()
    return control


def recovery_after(run, figures, problems, what, bound):
    r = run.record
    back = r.events.get("back")
    if back is None:
        problems.append("the outage did not take place as planned")
        figures["recovery"] = None
        return
    later = [t for t in what if t >= back]
    figures["recovery"] = later[0] - back if later else None
    if not later:
        problems.append("nothing was asked of the service after it came back")
    elif later[0] - back > bound:
        problems.append("the service was asked again only %.1f s after it came back" % (later[0] - back))


def case_3(run):
    """Refills that get no reply: the channel plays on from its tracks and
    the window answers; the channel is refilled after the service is back."""
    run.store(3, "3")
    clear_client_state()
    run.serve()
    run.play(40000, controller=outage([{"script": SONGS, "reply": "silent", "hold_ms": 30000}], 18, after_round=8))
    figures, problems = {}, []
    common_checks(run, figures, problems)
    recovery_after(run, figures, problems, run.record.posts(SONGS), 12.0)
    return figures, problems


def case_4(run):
    """An outage that drops every packet (service and track host) while
    the cache holds the channel: the music plays on from the cache; the
    channel is asked for again once the service is back."""
    run.store(4, "3")
    clear_client_state()
    run.serve()
    run.play(44000, controller=outage([{"script": "*", "reply": "silent", "hold_ms": 30000}], 18, after_round=13))
    figures, problems = {}, []
    common_checks(run, figures, problems)
    recovery_after(run, figures, problems, run.record.posts(SONGS), 15.0)
    return figures, problems


def case_5(run):
    """An outage while the cache is still filling (its downloads slow): the
    cached tracks play; after the service is back the cache downloads the
    rest of the channel."""
    run.store(6, "3")
    clear_client_state()
    # Two tracks come at once, the others slowly: the outage finds the cache
    # still filling.
    slow = [{"script": "/music/tone%d.mp3" % n, "reply": "slow", "chunk": 4096, "delay_ms": 150}
            for n in range(3, 7)]
    run.faults(slow)

    def control(run):
        began = run.wait_for(lambda: music_began(run), 40)
        if began is None:
            return
        time.sleep(9)
        run.faults([{"script": "*", "reply": "close"}])
        time.sleep(8)
        run.faults([])
        run.record.events["back"] = time.time()
    run.serve()
    run.play(48000, controller=control)
    figures, problems = {}, []
    common_checks(run, figures, problems)
    recovery_after(run, figures, problems, [t for p, t in run.record.gets() if p not in ("/music/tone1.mp3",
                                                                                          "/music/tone2.mp3")], 25.0)
    sizes = {os.path.basename(p).split("_")[0]: os.path.getsize(p) for p in run.cache_files() if p.endswith(".tmp")}
    for n in range(1, 7):
        whole = os.path.getsize(os.path.join(run.work, "tracks", "tone%d.mp3" % n))
        if sizes.get("tone%d" % n) != whole:
            problems.append("after the outage the cache holds tone%d.mp3 with %s of %d bytes" %
                            (n, sizes.get("tone%d" % n), whole))
    return figures, problems


def case_6(run):
    """A player ended during a cache download: the cut file is never
    played as a whole track, also when its host then refuses it."""
    run.store(3, "4,8,4")
    clear_client_state()
    run.faults([{"script": "/music/tone2.mp3", "reply": "slow", "chunk": 4096, "delay_ms": 250}])
    run.serve()

    def kill_during_download(run):
        run.wait_for(lambda: any(p == "/music/tone2.mp3" for _, p, _ in run.requests_now()), 40)
        time.sleep(2.0)
    run.play(30000, kill_at=kill_during_download)
    kept = {os.path.basename(p): os.path.getsize(p) for p in run.cache_files()}
    print("%s: the cache after the kill: %s" % (run.tag, kept))
    # The second start: the host of the cut track does not answer.
    run.record = run_record()
    run.faults([{"script": "/music/tone2.mp3", "reply": "close"}])
    run.play(24000)
    figures, problems = {}, []
    whole = os.path.getsize(os.path.join(run.work, "tracks", "tone2.mp3"))
    for name, size in kept.items():
        if name.startswith("tone2_") and name.endswith(".tmp") and size != whole:
            problems.append("the cut download stays under the cache's name (%d of %d bytes)" % (size, whole))
    common_checks(run, figures, problems)
    figures["recovery"] = None
    return figures, problems


def case_7(run):
    """A zero byte in one line of the song list spoils only that line: the
    tracks of the lines after it play."""
    run.store(4, "3")
    clear_client_state()
    run.serve()
    lines = [song_line(run.port, n, 3) for n in range(1, 5)]
    lines[1] = lines[1][:12] + "\u0000" + lines[1][12:]
    run.faults([{"script": SONGS, "reply": "text", "body": song_reply_with(lines)}])
    run.play(24000)
    figures, problems = {}, []
    common_checks(run, figures, problems)
    fetched = set(p for p, _ in run.record.gets())
    figures["recovery"] = None
    for n in (3, 4):
        if "/music/tone%d.mp3" % n not in fetched:
            problems.append("the track of line %d after the broken one was never fetched (%s)" %
                            (n, sorted(fetched)))
    return figures, problems


def case_8(run):
    """A login refused without "Result=Success": the service's own message
    is shown, not a connection failure."""
    run.store(3, "3")
    clear_client_state()
    run.faults([{"script": LOGIN, "reply": "text", "body": "Login=False\r\nmessage=%s\r\nurl=\r\n" % OWN_REFUSAL}])
    run.serve()
    run.play(14000)
    r = run.record
    figures, problems = {"silence": 0.0, "recovery": None}, []
    at, ms = r.longest_answer()
    figures["answer"] = ms
    if ms is not None and ms > MAX_ANSWER:
        problems.append("the main window took %d ms to answer" % ms)
    texts = r.dialog_texts()
    if not any(OWN_REFUSAL in d for d in texts):
        problems.append("the service's message was not shown (dialogs seen: %s)" % sorted(set(texts))[:3])
    if any(NET_BLAME in d for d in texts):
        problems.append("the refusal blamed the connection")
    return figures, problems


def case_9a(run):
    """A login reply that takes 8 s: the window answers the whole time and
    says that it logs in; the channel plays after."""
    run.store(3, "3")
    clear_client_state()
    run.faults([{"script": LOGIN, "reply": "slow", "wait_ms": 8000}])
    run.serve()
    shot = os.path.join(run.build, "artifacts", "service_faults.9a.logging_in.png")

    def picture_while_logging_in(run):
        # A picture of the main window during the login, for a person to
        # look at (kept in the build's artifacts).
        if run.wait_for(lambda: any(p.endswith("/" + LOGIN) for _, p, _ in run.requests_now()), 30) is None:
            return
        time.sleep(3)
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        subprocess.run(["wine", os.path.join(run.build, "tests", "zel_window_shot.exe"), windows_path(shot),
                        "ZELMainWindow", "3000"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
    run.play(24000, controller=picture_while_logging_in)
    r = run.record
    figures, problems = {}, []
    common_checks(run, figures, problems)
    login = r.posts(LOGIN)
    during = [w for t, w in r.window_texts() if login and login[0] + 0.5 <= t <= login[0] + 7.5]
    if not any("로그인 중" in w for w in during):
        problems.append("the window did not say that it logs in (its texts: %s)" % sorted(set(during))[:3])
    first = r.first_sound()
    figures["recovery"] = None if first is None or not login else first - (login[0] + 8.0)
    if first is None:
        problems.append("no sound after the slow login")
    return figures, problems


def case_9b(run):
    """A song list of 10,000 tracks: the window answers while it is read and
    loaded, and the second track follows the first without a gap."""
    def many(scenario):
        tracks = scenario["channels"][0]["tracks"]
        big = []
        for n in range(10000):
            t = dict(tracks[n % len(tracks)])
            t["number"] = 1000 + n
            t["file"] = "big%05d_%s" % (n, t["file"])
            t["title"] = "곡 %d" % n
            big.append(t)
        scenario["channels"][0]["tracks"] = big
        scenario["channels"][0]["answer_size"] = 10000
    run.store(3, "3", change=many)
    clear_client_state()
    run.serve()
    run.play(24000)
    figures, problems = {}, []
    common_checks(run, figures, problems)
    figures["recovery"] = None
    return figures, problems


CASES = {"1": case_1, "2": case_2, "3": case_3, "4": case_4, "5": case_5, "6": case_6, "7": case_7,
         "8": case_8, "9a": case_9a, "9b": case_9b}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--figures", action="store_true")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    tag = "service_faults.%s" % args.case
    work = tempfile.mkdtemp(prefix="zel_faults.")
    run = case_run(build, work, tag)
    try:
        figures, problems = CASES[args.case](run)
    finally:
        run.stop()
    shown = []
    for key in ("silence", "answer", "recovery", "first sound"):
        v = figures.get(key)
        unit = " ms" if key == "answer" else " s"
        shown.append("%s %s" % (key, "-" if v is None else ("%d" % v if key == "answer" else "%.2f" % v) + unit))
    print("%s: figures: %s" % (tag, ", ".join(shown)))
    if args.figures:
        problems = []
    if problems:
        keep_artifacts(build, work, tag)
    shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("%s: FAULT: %s" % (tag, p))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
