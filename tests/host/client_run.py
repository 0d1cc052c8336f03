"""What the end-to-end runs of the real client share: the service's stand-in
started and stopped, zel_player.exe run against it with its sound going to
the one WAV file of a machine without a sound card, that file read back,
and the stand-in's request log read back.

They run under the Wine environment that client_prefix.sh prepares (a prefix
of the run's own, Wine started, a display).
"""
import array
import glob
import os
import shutil
import subprocess
import sys
import threading
import time
import wave

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools"))
import demo_store  # noqa: E402,F401  (the callers' store maker)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def read_timeline(path):
    """(rate, samples) of a 16-bit stereo WAV file; samples interleaved."""
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            raise ValueError("not 16-bit stereo: %d channels, %d bytes" % (w.getnchannels(), w.getsampwidth()))
        rate = w.getframerate()
        samples = array.array("h")
        samples.frombytes(w.readframes(w.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    return rate, samples


def request_files(state):
    return sorted(glob.glob(os.path.join(state, "requests", "*.raw")))


def request_lines(state):
    """(method, path, time) of every request the stand-in of state recorded."""
    out = []
    for path in request_files(state):
        with open(path, "rb") as f:
            parts = f.read().split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        if len(parts) >= 2:
            out.append((parts[0], parts[1], os.path.getmtime(path)))
    return out


def form_names(raw):
    """The field names of a recorded form post, in the order sent."""
    body = raw.partition(b"\r\n\r\n")[2]
    return [pair.partition(b"=")[0].decode("latin-1") for pair in body.split(b"&") if pair]


def clear_track_caches(prefix):
    for d in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming", "zel_player", "temp")) + \
            glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Application Data", "zel_player", "temp")):
        shutil.rmtree(d, ignore_errors=True)


def start_stand_in(state, scenario, port=0, max_seconds=300):
    os.makedirs(state, exist_ok=True)
    server = subprocess.Popen([sys.executable, os.path.join(REPO, "tools", "service_stand_in.py"), "--state",
                               state, "--scenario", scenario, "--port", str(port), "--max-seconds",
                               str(max_seconds), "--max-requests", "100000"])
    port_file = os.path.join(state, "port")
    for _ in range(100):
        if os.path.exists(port_file) and open(port_file).read().strip():
            break
        time.sleep(0.1)
    return server, open(port_file).read().strip()


def stop_stand_in(server, state):
    with open(os.path.join(state, "stop"), "w"):
        pass
    try:
        server.wait(timeout=10)
    except subprocess.TimeoutExpired:
        server.kill()


class timeline_clock:
    """Watches the timeline file grow while the player runs, to place it on
    the real clock: the player writes each stretch of the timeline once its
    time has come (never ahead), so the earliest of (time seen - seconds
    written) is when the timeline began, to within the watch's period."""

    def __init__(self, path, period=0.01):
        self.path = path
        self.period = period
        self.origin = None
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.watch)
        self.thread.start()

    def watch(self):
        while not self.stop.wait(self.period):
            try:
                size = os.path.getsize(self.path)
            except OSError:
                continue
            seen = time.time()
            if size <= 44:
                continue
            begin = seen - (size - 44) / 4.0 / 44100.0
            if self.origin is None or begin < self.origin:
                self.origin = begin

    def end(self):
        self.stop.set()
        self.thread.join()
        return self.origin


def run_player(build, env, run_ms, tag):
    """zel_player.exe for run_ms (its own /quit-after), once more when Wine
    failed to start it at all. Returns how long it ran."""
    ran = 0.0
    for attempt in range(2):
        started = time.time()
        player = subprocess.run(["wine", "zel_player.exe", "/quit-after=%d" % run_ms],
                                cwd=os.path.join(build, "bin"), env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=run_ms / 1000 + 90)
        ran = time.time() - started
        print("%s: the player ran %.1f s and exited with %d" % (tag, ran, player.returncode))
        # Wine now and then fails to start a program at all: once more.
        if ran > 5 or os.path.exists(env.get("ZEL_TIMELINE_UNIX", "")):
            break
    return ran


def player_env(port, timeline):
    env = dict(os.environ)
    env.update({"ZEL_SERVICE_HOST": "127.0.0.1:" + port, "ZEL_OUTPUT_NO_SOUND_DEVICE": "1",
                "ZEL_OUTPUT_WAV": windows_path(timeline), "ZEL_TIMELINE_UNIX": timeline})
    env.pop("ZEL_OUTPUT_WAV_SPEED", None)
    return env


def keep_artifacts(build, work, name):
    if os.environ.get("ZEL_KEEP_ARTIFACTS") == "0":
        return
    keep = os.path.join(build, "artifacts", name)
    shutil.rmtree(keep, ignore_errors=True)
    shutil.copytree(work, keep, ignore=shutil.ignore_patterns("tracks"))
    print("%s: the run is kept in %s" % (name, keep))
