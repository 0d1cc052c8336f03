#!/usr/bin/env python3
"""A multi-store account, end to end with the real programs: the login hands
over to the launcher, which runs one real player per store on the store's
sound device.

    launcher_multi_store.py BUILD_DIR

Runs under the Wine environment that client_prefix.sh prepares. The stand-in
serves the demonstration store as a multi-store account (demo_store.py
--multi --tones: the account "multi" names the stores "demo1" and "demo2",
each with a channel of steady tones of its own pitches). Wine gets two sound
devices more, one per store ("Out: zel_store_a", "Out: zel_store_b"), and the
launcher's saved settings give each store its device and automatic start.
The sound of each device goes to a WAV file of its own.

1. zel_player.exe logs in as the account (the stand-in knows every PC), hands
   the stores over to zel_mtplayer.exe and ends; the launcher waits for it.
2. launcher_players_e2e.exe (launcher_running.*) finds the launcher with a
   registered, playing player per store, pictures it, starts a second
   launcher (which brings the first back and changes nothing) and two with
   a wrong argument count (a message box, no window), then closes it as the
   installer does: every player ends.
3. Each device's file holds its store's tones and none of the other's; the
   stand-in saw the account's login, each store's login and each store's
   channel asked for by that store.
4. launcher_players_e2e.exe (launcher_players.*) runs a launcher window with
   rows that start the real players: channel, playing and show messages,
   one player shown at a time, a player hiding itself, a stop with the
   nested quit, and a hung player ended.
Exit status 0 when all hold; the findings are printed.
"""
import getpass
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

from client_run import (REPO, clear_track_caches, demo_store, keep_artifacts, read_timeline, request_files,
                        start_stand_in, stop_stand_in, windows_path)
from announcement_on_time import WINDOW, tone_meter

TAG = "launcher_multi_store"
DEVICES = ["Out: zel_store_a", "Out: zel_store_b"]
STORES = "2\u203bdemo1\u00b6demo1\u00b6데모 1호점\u203bdemo2\u00b6demo2\u00b6데모 2호점"
TRACKS = 2        # tone tracks per store
PLAYED = 12.0     # seconds each device must have played before the launcher closes


def form_values(raw):
    body = raw.partition(b"\r\n\r\n")[2]
    out = {}
    for pair in body.split(b"&"):
        name, _, value = pair.partition(b"=")
        out[name.decode("latin-1")] = urllib.parse.unquote_to_bytes(value.replace(b"+", b" ")).decode(
            "cp949", "replace")
    return out


def posts(state):
    """(script, field values) of every POST, in order."""
    out = []
    for path in request_files(state):
        with open(path, "rb") as f:
            raw = f.read()
        parts = raw.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        if len(parts) >= 2 and parts[0] == "POST":
            out.append((parts[1].rsplit("/", 1)[-1], form_values(raw)))
    return out


def app_data(prefix):
    """The application-data folder of the prefix's user."""
    users = os.path.join(prefix, "drive_c", "users")
    for user in [getpass.getuser()] + sorted(os.listdir(users) if os.path.isdir(users) else []):
        for d in (os.path.join(users, user, "AppData", "Roaming"), os.path.join(users, user, "Application Data")):
            if os.path.isdir(d) and user != "Public":
                return d
    return None


def write_launcher_settings(prefix):
    roaming = app_data(prefix)
    if roaming is None:
        return False
    folder = os.path.join(roaming, "zel_player")
    os.makedirs(folder, exist_ok=True)
    stores = "".join("<demo%d><device>%s</device><autostart>1</autostart></demo%d>" % (i + 1, d, i + 1)
                     for i, d in enumerate(DEVICES))
    with open(os.path.join(folder, "zel_mtplayer.xml"), "w", encoding="utf-8") as f:
        f.write("<?xml version=\"1.0\"?>\n<ZELPlayer><ids>%s</ids></ZELPlayer>\n" % stores)
    return True


def run_driver(build, env, step, problems, seconds=400):
    """One step of launcher_players_e2e.exe (a gtest filter); its output."""
    started = time.time()
    try:
        done = subprocess.run(["wine", "launcher_players_e2e.exe", "--gtest_filter=" + step],
                              cwd=os.path.join(build, "bin"), env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=seconds)
        output = done.stdout.decode("utf-8", "replace")
        code = done.returncode
    except subprocess.TimeoutExpired as e:
        output = (e.stdout or b"").decode("utf-8", "replace")
        code = -1
    print("%s: %s (%.1f s, exit %d):" % (TAG, step, time.time() - started, code))
    print("\n".join("  " + line for line in output.replace("\r", "").splitlines()))
    if code != 0:
        problems.append("the step %s failed (exit %d)" % (step, code))
    return output


def device_numbers(output):
    """The number of each store device in the sound-device list that the
    driver printed (DirectSound's order, by which the players number)."""
    numbers = {}
    for line in output.replace("\r", "").splitlines():
        line = line.strip()
        if line.startswith("sound device "):
            number, _, name = line[len("sound device "):].partition(": ")
            numbers[name] = int(number)
    return [numbers.get(d) for d in DEVICES]


def seconds_of(path):
    try:
        return max(0.0, (os.path.getsize(path) - 44) / 4.0 / 44100.0)
    except OSError:
        return 0.0


def tones_in(path):
    """Seconds of each tone track's pitch (1..2*TRACKS) heard in the file."""
    rate, samples = read_timeline(path)
    left = samples[0::2]
    meters = {n: tone_meter(demo_store.tone_hz(n), rate) for n in range(1, 2 * TRACKS + 1)}
    heard = {n: 0.0 for n in meters}
    step = rate // 4
    for start in range(0, len(left) - WINDOW, step):
        for n, m in meters.items():
            if m.level(left, start) > 1000:
                heard[n] += step / rate
    return heard


def check_sound(work, device_index, problems):
    for store, index in enumerate(device_index):
        if index is None:
            problems.append("%s is not listed" % DEVICES[store])
            continue
        path = os.path.join(work, "out-%d.wav" % index)
        if not os.path.exists(path):
            problems.append("nothing played on %s (no %s)" % (DEVICES[store], os.path.basename(path)))
            continue
        heard = tones_in(path)
        own = [n for n in heard if (n - 1) // TRACKS == store]
        other = [n for n in heard if n not in own]
        print("%s: %s played %.1f s: %s" % (TAG, DEVICES[store], seconds_of(path),
                                             {n: round(v, 1) for n, v in heard.items()}))
        if sum(heard[n] for n in own) < PLAYED / 2:
            problems.append("%s played too little of its store's channel" % DEVICES[store])
        if any(heard[n] > 0.5 for n in other):
            problems.append("%s played the other store's channel" % DEVICES[store])
    if os.path.exists(os.path.join(work, "out-0.wav")) and seconds_of(os.path.join(work, "out-0.wav")) > 30:
        problems.append("the account's own player went on playing")


def check_requests(state, problems):
    seen = posts(state)
    logins = [v.get("userid") for s, v in seen if s == "rux_login_check.php"]
    print("%s: logins %s" % (TAG, logins))
    if not logins or logins[0] != "multi":
        problems.append("the account did not log in first")
    for store in ("demo1", "demo2"):
        if store not in logins:
            problems.append("the store %s never logged in" % store)
    # A channel request names its store by the store's password.
    songs = [(v.get("userpw"), v.get("chkey")) for s, v in seen if s == "rux_song_check.php"]
    print("%s: channel requests (store, chkey): %s" % (TAG, sorted(set(songs))))
    for store, channel in (("demo1", "1052"), ("demo2", "1053")):
        if (store, channel) not in songs:
            problems.append("the store %s never asked for its channel %s" % (store, channel))
        if any(u == store and c != channel for u, c in songs):
            problems.append("the store %s asked for another store's channel" % store)


def main():
    build = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="zel_multi_store.")
    state = os.path.join(work, "state")
    problems = []
    prefix = os.environ["WINEPREFIX"]
    home = os.path.join(work, "home")
    subprocess.run(["bash", "-c", '. "$1/tools/wine_env.sh"; export WINEPREFIX="$2"; zel_wine_store_devices "$3"',
                    "-", REPO, prefix, home], check=True)
    clear_track_caches(prefix)
    if not write_launcher_settings(prefix):
        problems.append("no application-data folder in the prefix")
        return finish(build, work, problems)
    scenario = subprocess.run([sys.executable, os.path.join(REPO, "tools", "demo_store.py"), work, "--multi",
                               "--tracks", str(TRACKS), "--tones", "40"],
                              check=True, stdout=subprocess.PIPE).stdout.decode().strip()
    server, port = start_stand_in(state, scenario, max_seconds=600)
    env = dict(os.environ)
    env.update({"HOME": home, "ZEL_SERVICE_HOST": "127.0.0.1:" + port, "ZEL_OUTPUT_NO_SOUND_DEVICE": "1",
                "ZEL_OUTPUT_WAV": windows_path(os.path.join(work, "out-{device}.wav")),
                "ZEL_E2E_STORES": STORES, "ZEL_E2E_DEVICES": "|".join(DEVICES)})
    env.pop("ZEL_OUTPUT_WAV_SPEED", None)
    try:
        # 1. The account's player hands over and ends (the launcher waits
        # for it, at most 6 s).
        started = time.time()
        account = subprocess.run(["wine", "zel_player.exe"], cwd=os.path.join(build, "bin"), env=env,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 timeout=120)
        print("%s: the account's player ended after %.1f s with %d" % (TAG, time.time() - started,
                                                                       account.returncode))
        # 2. The launcher and its players.
        device_index = device_numbers(run_driver(
            build, env, "launcher_running.one_launcher_and_a_registered_playing_player_per_store", problems))
        print("%s: the store devices' numbers: %s" % (TAG, device_index))
        shot = os.path.join(work, "launcher_two_players.png")
        subprocess.run(["wine", os.path.join(build, "tests", "zel_window_shot.exe"), windows_path(shot),
                        "ZELMultiWindow", "10000"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        if os.path.exists(shot):
            print("%s: a picture of the launcher with two players: %s" % (TAG, shot))
            os.makedirs(os.path.join(build, "artifacts"), exist_ok=True)
            shutil.copy(shot, os.path.join(build, "artifacts", "launcher_two_players.png"))
        deadline = time.time() + 90
        while time.time() < deadline and min(seconds_of(os.path.join(work, "out-%s.wav" % i))
                                             for i in device_index) < PLAYED:
            time.sleep(0.5)
        for step in ("a_second_launcher_brings_the_first_to_the_front_and_leaves_its_rows",
                     "wrong_argument_counts_show_the_message_box_and_make_no_window",
                     "closing_the_launcher_ends_every_player"):
            run_driver(build, env, "launcher_running." + step, problems)
        # 3. What each device played, before the second part writes more.
        check_sound(work, device_index, problems)
        # 4. Rows of a launcher window that the driver watches from inside.
        env["ZEL_OUTPUT_WAV"] = windows_path(os.path.join(work, "rows-{device}.wav"))
        run_driver(build, env, "players_test.*", problems)
    finally:
        stop_stand_in(server, state)
    check_requests(state, problems)
    return finish(build, work, problems)


def finish(build, work, problems):
    if problems:
        keep_artifacts(build, work, TAG)
    shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("%s: FAULT: %s" % (TAG, p))
    if not problems:
        print("%s: all held" % TAG)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
