#!/usr/bin/env python3
"""Times the player from its start to the first decoded audio of a channel.

    channel_start.py BUILD_DIR cached|cold RUNS

Runs under the Wine environment of BUILD_DIR (the caller sources
tools/wine_env.sh and starts Wine and a display). Serves the demonstration
store of tools/demo_store.py from the service's stand-in on 127.0.0.1 and
starts the real zel_player.exe against it RUNS times (after one start that
logs in by the PC login and stores the credentials), each time until the
first samples reach its WAV-file output: the time from starting the program
to the first bytes of sound in that file, polled every millisecond.
"cached": the channel's tracks are in the track cache (the start before the
runs filled it; the cache leaves a channel's first track, which plays at
once, to the network, so the benchmark puts that one in as the cache would
have stored it). "cold": the track cache is emptied before every start, so
the first track comes from the loopback service.

The reference, timed in the same way and the same number of times: the
same program given the channel's first track as a file (it plays it without
the user interface, login or service).

Prints one line per run and then "best <player seconds> reference <seconds>".
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WAV_HEADER = 44
POLL_SECONDS = 0.001
LIMIT_SECONDS = 60.0


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def cache_name(address):
    """The track cache's file name of a track address: its base name and the
    64-bit FNV-1a hash of the address's UTF-16 code units, low byte first."""
    h = 14695981039346656037
    for ch in address:
        for byte in (ord(ch) & 0xFF, ord(ch) >> 8):
            h = ((h ^ byte) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    base = address.rsplit("/", 1)[-1].split(".", 1)[0]
    return "%s_%016x.tmp" % (base, h)


def wav_sound_started(path):
    """True once the WAV file holds sound: bytes beyond its header."""
    for p in glob.glob(path[:-4] + "*.wav"):
        try:
            if os.path.getsize(p) > WAV_HEADER:
                return True
        except OSError:
            pass
    return False


def time_to_sound(bin_folder, args, env, wav):
    """Starts the player and answers the seconds until its first sound
    (None when none came), then lets it end by its own /quit-after."""
    for p in glob.glob(wav[:-4] + "*.wav"):
        os.remove(p)
    start = time.perf_counter()
    player = subprocess.Popen(["wine", "zel_player.exe"] + args, cwd=bin_folder, env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    took = None
    while time.perf_counter() - start < LIMIT_SECONDS:
        if wav_sound_started(wav):
            took = time.perf_counter() - start
            break
        if player.poll() is not None:
            break
        time.sleep(POLL_SECONDS)
    try:
        player.wait(timeout=LIMIT_SECONDS)
    except subprocess.TimeoutExpired:
        player.kill()
        player.wait()
    return took


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ("cached", "cold"):
        print(__doc__, file=sys.stderr)
        return 2
    build, mode, runs = os.path.abspath(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    bin_folder = os.path.join(build, "bin")
    work = tempfile.mkdtemp(prefix="zel_channel_start.")
    state = os.path.join(work, "state")
    os.makedirs(state)
    scenario = subprocess.run([sys.executable, os.path.join(REPO, "tools", "demo_store.py"),
                               os.path.join(build, "demo")], check=True, capture_output=True,
                              text=True).stdout.strip()
    first_track = os.path.join(build, "demo", "tracks", "demo1.mp3")
    server = subprocess.Popen([sys.executable, os.path.join(REPO, "tools", "service_stand_in.py"), "--state", state,
                               "--scenario", scenario, "--max-seconds", "600", "--max-requests", "100000"])
    try:
        port_file = os.path.join(state, "port")
        for _ in range(100):
            if os.path.exists(port_file) and open(port_file).read().strip():
                break
            time.sleep(0.1)
        port = open(port_file).read().strip()
        wav = os.path.join(work, "output.wav")
        env = dict(os.environ)
        env.update({"ZEL_SERVICE_HOST": "127.0.0.1:" + port, "ZEL_OUTPUT_NO_SOUND_DEVICE": "1",
                    "ZEL_OUTPUT_WAV": windows_path(wav)})
        prefix = env["WINEPREFIX"]
        caches = [os.path.join(d, "zel_player", "temp", "music")
                  for d in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming")) +
                  glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Application Data"))]
        channel_args = ["/quit-after=2500"]
        # The first start logs in by itself and stores the credentials; it
        # also fills the track cache.
        time_to_sound(bin_folder, ["/quit-after=8000"], env, wav)
        best, reference = None, None
        for run in range(runs):
            if mode == "cold":
                for c in caches:
                    shutil.rmtree(c, ignore_errors=True)
            else:
                for c in caches:
                    os.makedirs(c, exist_ok=True)
                    shutil.copyfile(first_track, os.path.join(
                        c, cache_name("http://127.0.0.1:%s/music/demo1.mp3" % port)))
            took = time_to_sound(bin_folder, channel_args, env, wav)
            alone = time_to_sound(bin_folder, [windows_path(first_track), "/quit-after=2500"], env, wav)
            print("run %d: channel %s s, the track alone %s s" %
                  (run + 1, "%.3f" % took if took is not None else "no sound",
                   "%.3f" % alone if alone is not None else "no sound"))
            sys.stdout.flush()
            if took is not None and (best is None or took < best):
                best = took
            if alone is not None and (reference is None or alone < reference):
                reference = alone
        if best is None or reference is None:
            print("channel_start: no sound came", file=sys.stderr)
            return 1
        print("best %.3f reference %.3f" % (best, reference))
        return 0
    finally:
        with open(os.path.join(state, "stop"), "w"):
            pass
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
