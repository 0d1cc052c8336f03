"""The scenario mode of the service stand-in (service_stand_in.py).

A scenario is one store of the service: its users, the channel categories
and the channels with their tracks, the radio lists, the favourites, the
announcements and the announcement library, the reservations, the store
hours, the notices and the branch stores. The stand-in answers every script
of the service from it the way the service's own web server does: form
fields decoded from code page 949, replies in code page 949 with "\r\n"
lines, a status line first. What the client changes (favourites,
reservations, store hours) is kept for the rest of the run, and every report
it sends is noted, in the state file that the test reads.

The scenario file is JSON (UTF-8). Its top-level keys replace those of the
built-in store (DEFAULT below), so "{}" is a complete store. The entries of
the lists that become reply lines (channels, tracks, radio stations,
announcements, library items, reservations, notices, branches, timetable)
are objects, or a string that is sent as the line exactly as it is (for
lines of a wrong field count).

Tracks and announcements are served from the same port: "GET /music/NAME"
and "GET /anne/NAME" with Content-Length, "Range: bytes=N-" (206 from byte
N) and HEAD. An entry's "source" names a Linux file to serve; without one
the stand-in makes a silent MPEG-1 layer III file of the entry's length
("seconds", else its length field, at most 600 s). The key "files" maps other
paths ("/logo.png") to Linux files.

A channel's track list ("rux_song_check.php") moves on as the service's
does: each answer holds "answer_size" tracks (at most, and by default, as
many as the channel has: no track twice in one answer) starting where the
channel's last answer ended, round and round.
A channel with "track_pages" (lists of tracks) answers the next page instead.

Faults (faults.json in the state folder, read at every request; the test may
rewrite it): a list of rules, the first that matches answers instead.
  "script"  the script's file name ("rux_song_check.php"), a GET path
            ("/music/t1.mp3") or "*"
  "match"   {field: value}: decoded form fields that must have these values
            (the last occurrence of a name counts)
  "times"   how many requests the rule answers (0 or absent: all)
  "reply"   "empty"       200 with an empty body
            "error"       "status" (500) with an HTML error page
            "login_false" "Login=False", "message=" and "url=" lines
            "no_result"   the normal reply without "Result=Success"
            "text"        "body" (text, sent in code page 949) as it is
            "slow"        the normal reply after "wait_ms", in pieces of
                          "chunk" bytes "delay_ms" apart
            "silent"      nothing for "hold_ms", then the connection closes
            "cut"         the normal reply announced whole, cut after
                          "cut_at" bytes (half when absent)
            "close"       the connection closes without a reply

The state file (state.txt, UTF-8, one record a line, fields split by tabs,
rewritten after every change):
  favourite  CHKEY TITLE
  hours      GUIDE-NUMBER OPEN CLOSE
  reservation CODE LISTKEY COMKEY TITLE APPTIME WEEKDATA VOLUME PLAYTIME MUTE
  applied    CODE
  report     PLAYER-STATE [VALUE] [CHKEY]
                                     (every rux_player_state.php request but
             the favourites, in order; the PC login reports "pc_login"; a
             reserved channel's start and stop carry their channel)
  upload     N BYTES                 (uploads/N.txt holds the log text)
"""
import copy
import json
import os
import threading
import time
import urllib.parse

ENCODING = "cp949"
SUCCESS = "Result=Success"

DEFAULT = {
    "store": {"usertype": "A", "storetop": "T001", "storemother": "M001", "storecode": "S001",
              "storeid": "store01", "storename": "테스트매장"},
    # A user may carry "realpw" (sent back as "user_realpw" and accepted as
    # a password), "login" (keys of its login reply on top of the store's;
    # a null value leaves a key out) and "expired" (its logins are refused
    # with the "expired" notice).
    "users": [{"userid": "store01", "userpw": "pw01"}],
    # PCs whose automatic login names a user: {"usermac", "userid",
    # "userpw"}; the usermac "*" stands for every PC (a demonstration store).
    "known_pcs": [],
    # Sent in every login reply after the keys built from the store; a null
    # value leaves a key out. A user's own "login" object goes on top.
    "login": {"Music_Volume": "80|0|80|0", "playtype": "1|100|1000|0|10|1000", "channel": "음악방송|1052",
              "channeltitle": "테스트 채널", "duplicate": "1", "skip": "1", "listenlog": "1",
              "anne_volume_linkage": "1", "vm": "0", "logininfo": "L1"},
    "refusal": {"message": "아이디 또는 비밀번호가 일치하지 않습니다.", "url": ""},
    "expired": {"message": "로그인 정보가 만료되었습니다.\u0011다시 로그인하여 주시기 바랍니다.", "url": ""},
    # Requests that carry "userpw" get "Login=False" when it is no user's.
    "check_credentials": True,
    "servertime": None,  # 14 digits; null: the current local time
    "servertime_settle": False,  # true: the current time is read in a second's first half
    "hours": {"code": "G001", "open": "09:00", "close": "22:00"},
    "anneinfo": [{"code": "G001", "title": "테스트매장"}],
    "schedulelist": [{"code": "G001", "name": "기본", "name2": "A세트"}],
    "categories": {"음악방송": [1052, 1053], "auto": [1052, 1053]},
    "channels": [
        {"id": 1052, "extra": "x", "tempo": "nomal", "title": "테스트 채널", "description": "설명",
         "genre": "가요", "purpose": "매장",
         "tracks": [
             {"number": 101, "extra": "", "length": "200", "offset": "0", "title": "곡1", "artist": "가수1",
              "album": "앨범1", "file": "101.mp3", "seconds": 5},
             {"number": 102, "extra": "", "length": "3'20", "offset": "50", "title": "곡2",
              "artist": "가수2", "album": "앨범1", "file": "102.mp3", "seconds": 5}]},
        {"id": 1053, "extra": "x", "tempo": "fast", "title": "아침 가요", "description": "신나는 출근길",
         "genre": "가요", "purpose": "매장",
         "tracks": [{"number": 201, "extra": "", "length": "180", "offset": "0", "title": "곡3",
                     "artist": "가수3", "album": "앨범2", "file": "201.mp3", "seconds": 5}]}],
    "radio": {"24hradio": [{"name": "라디오1", "address": "http://127.0.0.1/live", "time": "24h",
                            "genre": "가요", "quality": "128k", "comment": "1",
                            "homepage": "http://127.0.0.1/home1"}]},
    "favourites": [],
    "announcements": [{"code": "A01", "start": "09:00:00", "length": "30", "flag": "0", "title": "오픈 안내",
                       "volume": "100", "file": "a01.mp3", "seconds": 3}],
    "library": {"T": [{"category": "안내", "kind": "T", "title": "오픈 멘트", "code": "L01", "length": "0:30",
                       "file": "l01.mp3", "seconds": 3}]},
    "reservations": {"G001": [
        {"text_a": "R1", "text_b": "x", "category_k": "안내", "category_e": "c1", "apptime": "09:05:00",
         "title": "오픈", "number_a": "0", "weekdata": "1111100", "volume": "80", "playtime": "30",
         "file": "l01.mp3", "listkey": "LK1", "comkey": "CK1", "mute": "0"}]},
    "notices": [{"text": "공지1", "value": "http://127.0.0.1/n/1"}, {"text": "공지2", "value": ""}],
    "branches": [{"storetop": "T001", "storemother": "M001", "storecode": "S002", "userid": "store02",
                  "name": "역삼점", "phone": "02-000-0000", "count": "1", "count2": "0",
                  "time": "20240102093000", "channel": "테스트 채널", "extra": ""}],
    "timetable": [{"id": "12", "start": "09:00:00", "end": "10:00:00", "chkey": "1053",
                   "title": "[스케쥴] 아침"}],
    "files": {},
}


def load(path):
    scenario = copy.deepcopy(DEFAULT)
    if path:
        with open(path, "rb") as f:
            scenario.update(json.loads(f.read().decode("utf-8") or "{}"))
    return scenario


# --- the form ---

def form_fields(body):
    """Ordered (name, value) pairs of a form body, decoded from "%XX" (two hex
    digits only, as the client writes them), "+" and code page 949."""
    fields = []
    for pair in body.split(b"&") if body else []:
        name, _, value = pair.partition(b"=")
        fields.append((decode(name), decode(value)))
    return fields


def decode(raw):
    return urllib.parse.unquote_to_bytes(raw.replace(b"+", b" ")).decode(ENCODING, "replace")


def last(fields, name):
    value = None
    for n, v in fields:
        if n == name:
            value = v
    return value


# --- silent MPEG audio ---

def silent_mp3(seconds):
    """MPEG-1 layer III, 44100 Hz, 128 kbit/s, mono, every granule silent."""
    frames = int(seconds * 44100 / 1152 + 0.999)
    out = bytearray()
    rest = 0
    for _ in range(frames):
        rest += 144 * 128000 % 44100
        padding = 1 if rest >= 44100 else 0
        rest -= 44100 * padding
        size = 144 * 128000 // 44100 + padding
        out += bytes([0xFF, 0xFB, 0x90 | padding << 1, 0xC0]) + bytes(size - 4)
    return bytes(out)


def length_seconds(text):
    """A length field as seconds: "200", "200.5", "3'20", "0:30", "1:00:00"."""
    try:
        total = 0.0
        for piece in str(text).replace("'", ":").split(":"):
            total = total * 60 + float(piece or 0)
        return total
    except ValueError:
        return 0.0


class scenario_service:
    def __init__(self, data, state_folder, port_of):
        self.data = data
        self.state_folder = state_folder
        self.port_of = port_of  # returns the listening port
        self.lock = threading.Lock()
        self.fault_hits = {}
        self.fault_text = None
        self.page_counts = {}
        self.answer_starts = {}
        self.reports = []
        self.uploads = []  # (number, bytes) of every log upload
        self.applied = []
        self.audio_cache = {}
        self.write_state()

    # --- state kept for the run ---

    def write_state(self):
        d = self.data
        lines = [["favourite", str(f.get("chkey", "")), f.get("title", "")] for f in d["favourites"]]
        h = d["hours"]
        lines.append(["hours", h.get("code", ""), h.get("open", ""), h.get("close", "")])
        for code, rows in d["reservations"].items():
            for r in rows:
                if isinstance(r, dict):
                    lines.append(["reservation", code, r.get("listkey", ""), r.get("comkey", ""), r.get("title", ""),
                                  r.get("apptime", ""), r.get("weekdata", ""), str(r.get("volume", "")),
                                  str(r.get("playtime", "")), str(r.get("mute", ""))])
        lines += [["applied", code] for code in self.applied]
        lines += [["report"] + r for r in self.reports]
        lines += [["upload", str(n), str(size)] for n, size in self.uploads]
        text = "".join("\t".join(line) + "\n" for line in lines)
        path = os.path.join(self.state_folder, "state.txt")
        with open(path + ".tmp", "wb") as f:
            f.write(text.encode("utf-8"))
        os.replace(path + ".tmp", path)

    # --- addresses ---

    def url(self, folder, entry):
        return "http://127.0.0.1:%d/%s/%s" % (self.port_of(), folder, entry.get("file", ""))

    def audio(self, folder, name):
        """The bytes of a track or announcement file; None when none has that name."""
        entries = []
        if folder == "music":
            for channel in self.data["channels"]:
                if isinstance(channel, dict):
                    entries += channel.get("tracks", [])
                    for page in channel.get("track_pages", []):
                        entries += page
        else:
            entries += self.data["announcements"]
            for items in self.data["library"].values():
                entries += items
        for e in entries:
            if isinstance(e, dict) and e.get("file") == name:
                if e.get("source"):
                    with open(e["source"], "rb") as f:
                        return f.read()
                seconds = min(600.0, float(e.get("seconds") or length_seconds(e.get("length", "0"))))
                with self.lock:
                    if seconds not in self.audio_cache:
                        self.audio_cache[seconds] = silent_mp3(seconds)
                    return self.audio_cache[seconds]
        return None

    # --- faults ---

    def fault_for(self, script, fields):
        try:
            with open(os.path.join(self.state_folder, "faults.json"), "rb") as f:
                text = f.read()
        except FileNotFoundError:
            return None
        with self.lock:
            if text != self.fault_text:  # a new list: its rules start unused
                self.fault_text = text
                self.fault_hits = {}
            rules = json.loads(text.decode("utf-8") or "[]")
            for i, rule in enumerate(rules):
                if rule.get("script", "*") not in ("*", script):
                    continue
                if any(last(fields, n) != v for n, v in rule.get("match", {}).items()):
                    continue
                times = int(rule.get("times", 0) or 0)
                if times and self.fault_hits.get(i, 0) >= times:
                    continue
                self.fault_hits[i] = self.fault_hits.get(i, 0) + 1
                return rule
        return None

    # --- the replies ---

    def answer_post(self, path, body):
        """The reply (a reply object of service_stand_in.py) to a POST."""
        script = path.rsplit("/", 1)[-1]
        fields = form_fields(body)
        fault = self.fault_for(script, fields)
        if fault and fault.get("reply") in ("empty", "error", "login_false", "text", "silent", "close"):
            return self.fault_reply(fault, b"")
        text = self.route(script, fields)
        data = text.encode(ENCODING, "replace")
        return self.fault_reply(fault, data) if fault else {"kind": "body", "body_bytes": data}

    def fault_reply(self, fault, normal):
        kind = fault.get("reply")
        if kind == "empty":
            return {"kind": "body", "body_bytes": b""}
        if kind == "error":
            status = int(fault.get("status", 500))
            page = "<html><head><title>%d Error</title></head><body><h1>%d Error</h1></body></html>" % (
                status, status)
            return {"kind": "body", "status": status, "body_bytes": page.encode("ascii")}
        if kind == "login_false":
            expired = self.data["expired"]
            text = "Login=False\r\nmessage=%s\r\nurl=%s\r\n" % (fault.get("message", expired["message"]),
                                                                 fault.get("url", expired["url"]))
            return {"kind": "body", "body_bytes": text.encode(ENCODING, "replace")}
        if kind == "text":
            return {"kind": "body", "body_bytes": fault.get("body", "").encode(ENCODING, "replace")}
        if kind == "silent":
            return {"kind": "silent", "hold_ms": int(fault.get("hold_ms", 1000))}
        if kind == "close":
            return {"kind": "close"}
        if kind == "no_result":
            text = normal.replace(b"Result=Success\r\n", b"").replace(b"Result=Success", b"")
            return {"kind": "body", "body_bytes": text}
        if kind == "slow":
            return {"kind": "body", "body_bytes": normal, "wait_ms": int(fault.get("wait_ms", 0)),
                    "chunk": int(fault.get("chunk", 0)), "delay_ms": int(fault.get("delay_ms", 0))}
        if kind == "cut":
            at = int(fault.get("cut_at", len(normal) // 2))
            return {"kind": "cut", "body_bytes": normal[:at], "declared_length": len(normal)}
        return {"kind": "body", "body_bytes": normal}

    def answer_get(self, path, raw, head_only):
        target = urllib.parse.unquote(path.split("?", 1)[0])
        fault = self.fault_for(target, [])
        body = None
        content_type = "text/html"
        parts = target.strip("/").split("/")
        if len(parts) == 2 and parts[0] in ("music", "anne"):
            body = self.audio(parts[0], parts[1])
            content_type = "audio/mpeg"
        elif target in self.data["files"]:
            with open(self.data["files"][target], "rb") as f:
                body = f.read()
            content_type = "application/octet-stream"
        elif target.startswith("/rux/"):
            body = ("<html><body>%s</body></html>" % target).encode("ascii", "replace")
        if body is None:
            return {"kind": "body", "status": 404, "body_bytes": b"<html><body>404</body></html>"}
        reply = self.fault_reply(fault, body) if fault else {"kind": "body", "body_bytes": body}
        reply.update({"content_type": content_type, "head_only": head_only})
        if int(reply.get("status", 200)) == 200:
            reply["ranges"] = True
        return reply

    # --- routing of the scripts ---

    def route(self, script, fields):
        handler = {
            "rux_login_check.php": self.login,
            "rux_player_state.php": self.player_state,
            "rux_channel_check.php": self.channel_check,
            "rux_song_check.php": self.song_check,
            "rux_anne_check.php": self.anne_check,
            "rux_anne_library.php": self.anne_library,
            "rux_anne_schedule.php": self.anne_schedule,
            "schedule_save_ok.php": self.schedule_save,
            "rux_mytimetable_check.php": self.timetable,
            "rux_mana_view.php": self.mana_view,
            "rux_mana_list.php": self.mana_list,
            "rux_noticelist.php": self.notices,
            "rux_log_check.php": self.log_check,
        }.get(script)
        if handler is None:
            return SUCCESS + "\r\n"  # keeps unknown scripts quiet
        password = last(fields, "userpw")
        if (script != "rux_login_check.php" and password is not None and self.data["check_credentials"]
                and not self.known_password(password)):
            return self.expired_reply()
        with self.lock:
            return handler(fields)

    def known_password(self, password):
        return any(password in (u.get("userpw"), u.get("realpw")) for u in self.data["users"])

    def expired_reply(self):
        e = self.data["expired"]
        return "Login=False\r\nmessage=%s\r\nurl=%s\r\n" % (e["message"], e["url"])

    @staticmethod
    def lines(status, entries, make):
        out = status + "\r\n"
        for e in entries:
            out += (e if isinstance(e, str) else make(e)) + "\r\n"
        return out

    def servertime(self):
        if self.data["servertime"]:
            return self.data["servertime"]
        # The client's service clock counts whole seconds from this text:
        # read in the second's first half, it names the second in which the
        # client receives it, so that the two clocks agree to the second.
        if self.data.get("servertime_settle") and time.time() % 1.0 > 0.5:
            time.sleep(1.02 - time.time() % 1.0)
        return time.strftime("%Y%m%d%H%M%S")

    def login(self, fields):
        userid, userpw = last(fields, "userid") or "", last(fields, "userpw") or ""
        user = next((u for u in self.data["users"] if u.get("userid") == userid), None)
        # The client tests "Result=Success" before the status line, so a
        # refusal carries it too, or its notice would never be shown.
        if user is None or userpw not in (user.get("userpw"), user.get("realpw")):
            r = self.data["refusal"]
            return "Login=False\r\nmessage=%s\r\nurl=%s\r\n%s\r\n" % (r["message"], r["url"], SUCCESS)
        if user.get("expired"):
            e = self.data["expired"]
            return "Login=False\r\nmessage=%s\r\nurl=%s\r\n%s\r\n" % (e["message"], e["url"], SUCCESS)
        s, h = self.data["store"], self.data["hours"]
        keys = {
            "storeinfo": "^".join(s.get(k, "") for k in ("usertype", "storetop", "storemother", "storecode",
                                                        "storeid", "storename")),
            "servertime": self.servertime(),
            "bcode": "%s^%s^%s" % (h.get("code", ""), h.get("open", ""), h.get("close", "")),
            "anneinfo": "^".join("%s|%s" % (a["code"], a["title"]) for a in self.data["anneinfo"]),
            "schedulelist": "^".join("%s|%s|%s" % (x["code"], x["name"], x["name2"])
                                     for x in self.data["schedulelist"]),
        }
        if user.get("realpw"):
            keys["user_realpw"] = user["realpw"]
        keys.update(self.data["login"])
        keys.update(user.get("login", {}))
        return SUCCESS + "\r\n" + "".join("%s=%s\r\n" % (k, v) for k, v in keys.items() if v is not None)

    def player_state(self, fields):
        state = last(fields, "player_state")
        if state is None:
            self.reports.append(["pc_login"])
            self.write_state()
            mac = last(fields, "usermac")
            pc = next((p for p in self.data["known_pcs"] if p.get("usermac") in (mac, "*")), None)
            if pc is None:
                return SUCCESS + "\r\nlogin=false\r\n"
            return SUCCESS + "\r\nlogin=true\r\nuserid=%s\r\nuserpw=%s\r\n" % (pc["userid"], pc["userpw"])
        favourites = self.data["favourites"]
        chkey = last(fields, "chkey") or ""
        # Favourite keys (a channel number, or a radio station's address)
        # compare without regard to case, as the client's favourites do.
        if state == "favorite_ch":
            if not any(str(f.get("chkey")).lower() == chkey.lower() for f in favourites):
                favourites.append({"chkey": chkey, "title": last(fields, "title") or ""})
        elif state == "favorite_ch_del":
            self.data["favourites"] = [f for f in favourites if str(f.get("chkey")).lower() != chkey.lower()]
        else:
            value = last(fields, "value") if state in ("music_volume", "music_volume_mute", "anne_volume",
                                                       "anne_volume_mute") else last(fields, "control_value")
            report = [state] + ([value] if value is not None else [])
            if state in ("schedule_play", "schedule_play_stop"):
                report.append(chkey)
            self.reports.append(report)
        self.write_state()
        return SUCCESS + "\r\n"

    def channel_line(self, c):
        return "^".join(str(c.get(k, "")) for k in ("id", "extra", "tempo", "title", "description", "genre",
                                                    "purpose"))

    def channel(self, key):
        for c in self.data["channels"]:
            if isinstance(c, dict) and str(c.get("id")) == str(key):
                return c
        return None

    def channel_check(self, fields):
        flag = last(fields, "flag") or ""
        if flag in self.data["categories"]:
            entries = [e if isinstance(e, (str, dict)) else self.channel(e) for e in self.data["categories"][flag]]
            return self.lines(SUCCESS, [e for e in entries if e is not None], self.channel_line)
        if flag in self.data["radio"]:
            keys = ("name", "address", "time", "genre", "quality", "comment", "homepage")
            return self.lines(SUCCESS, self.data["radio"][flag], lambda r: "^".join(r.get(k, "") for k in keys))
        return SUCCESS + "\r\n"

    def song_check(self, fields):
        c = self.channel(last(fields, "chkey") or "")
        if c is None:
            return SUCCESS + "\r\n"
        tracks = c.get("tracks", [])
        pages = c.get("track_pages")
        if pages:  # each request gets the next page, round and round
            n = self.page_counts.get(c["id"], 0)
            self.page_counts[c["id"]] = n + 1
            tracks = pages[n % len(pages)]
        elif tracks:
            # The channel moves on: each answer starts where the last one
            # ended, round and round.
            size = min(int(c.get("answer_size") or len(tracks)), len(tracks))
            start = self.answer_starts.get(c["id"], 0)
            tracks = [tracks[(start + k) % len(tracks)] for k in range(size)]
            self.answer_starts[c["id"]] = (start + size) % len(c["tracks"])

        def line(t):
            return "^".join([str(t.get("number", "")), "x", t.get("extra", ""), str(t.get("length", "")),
                             str(t.get("offset", "0")), t.get("title", ""), t.get("artist", ""),
                             self.url("music", t), t.get("album", ""), t.get("file", "")])
        return self.lines(SUCCESS, tracks, line)

    def anne_check(self, fields):
        if last(fields, "flag") == "update":
            h = self.data["hours"]
            oh, om = last(fields, "storeopen_hour"), last(fields, "storeopen_minute")
            ch, cm = last(fields, "storeclose_hour"), last(fields, "storeclose_minute")
            old_open, old_close = (h.get("open", "") + ":").split(":")[:2], (h.get("close", "") + ":").split(":")[:2]
            h["open"] = "%s:%s" % (oh if oh is not None else old_open[0], om if om is not None else old_open[1])
            h["close"] = "%s:%s" % (ch if ch is not None else old_close[0], cm if cm is not None else old_close[1])
            self.write_state()
            return SUCCESS + "\r\n"

        def line(a):
            return "^".join([a.get("code", ""), a.get("start", ""), str(a.get("length", "")),
                             str(a.get("flag", "0")), a.get("title", ""), str(a.get("volume", "")),
                             self.url("anne", a)])
        return self.lines("OK", self.data["announcements"], line) + SUCCESS + "\r\n"

    def library_line(self, item):
        return "^".join([item.get("category", ""), item.get("kind", ""), item.get("title", ""),
                         item.get("code", ""), str(item.get("length", "")), self.url("anne", item)])

    def anne_library(self, fields):
        flag = last(fields, "flag")
        library = self.data["library"]
        items = library.get(flag, []) if flag else [i for k in library for i in library[k]]
        return self.lines(SUCCESS, items, self.library_line)

    def reservation_line(self, r):
        target = self.url("anne", r) if r.get("file") else str(r.get("number", "0"))
        return "^".join([r.get("text_a", ""), r.get("text_b", ""), r.get("category_k", ""), r.get("category_e", ""),
                         r.get("apptime", ""), r.get("title", ""), str(r.get("number_a", "0")),
                         r.get("weekdata", ""), str(r.get("volume", "")), str(r.get("playtime", "")), target,
                         r.get("listkey", ""), r.get("comkey", ""), str(r.get("mute", "0"))])

    def anne_schedule(self, fields):
        code = last(fields, "anneinfo_code") or ""
        rows = self.data["reservations"].setdefault(code, [])
        flag = last(fields, "flag")
        listkey, comkey = last(fields, "listkey"), last(fields, "comkey")
        values = {"playtime": last(fields, "anne_playtime"), "weekdata": last(fields, "anne_weekdata"),
                  "apptime": last(fields, "anne_apptime"), "volume": last(fields, "anne_volume"),
                  "mute": last(fields, "anne_mute")}

        def same(r):
            return isinstance(r, dict) and r.get("listkey") == listkey and r.get("comkey") == comkey
        if flag == "insert":
            n = sum(len(v) for v in self.data["reservations"].values()) + 1
            anne_code = last(fields, "anne_code") or ""
            item = next((i for items in self.data["library"].values() for i in items
                         if isinstance(i, dict) and i.get("code") == anne_code), {})
            row = {"text_a": anne_code, "text_b": "", "category_k": last(fields, "category_k") or "",
                   "category_e": last(fields, "category_e") or "", "title": last(fields, "anneinfo_title") or "",
                   "number_a": "0", "file": item.get("file", ""), "listkey": "LK%d" % (n + 100),
                   "comkey": "CK%d" % (n + 100)}
            row.update({k: v or "" for k, v in values.items()})
            rows.append(row)
        elif flag == "update":
            for r in rows:
                if same(r):
                    r.update({k: v for k, v in values.items() if v is not None})
        elif flag == "delete":
            rows[:] = [r for r in rows if not same(r)]
        elif flag == "select_com":
            return self.lines(SUCCESS, [r for r in rows if isinstance(r, dict) and r.get("listkey") == listkey],
                              self.reservation_line)
        if flag in ("insert", "update", "delete"):
            self.write_state()
        return self.lines(SUCCESS, rows, self.reservation_line)

    def schedule_save(self, fields):
        self.applied.append(last(fields, "anneinfo_code") or "")
        self.write_state()
        return SUCCESS + "\r\n"

    def timetable(self, fields):
        keys = ("id", "start", "end", "chkey", "title")
        return self.lines(SUCCESS + "\r\nservertime=" + self.servertime(), self.data["timetable"],
                          lambda t: "^".join(str(t.get(k, "")) for k in keys))

    BRANCH_KEYS = ("storetop", "storemother", "storecode", "userid", "name", "phone", "count", "count2", "time",
                   "channel", "extra")

    def mana_view(self, fields):
        code = last(fields, "storecode")
        b = next((b for b in self.data["branches"] if isinstance(b, dict) and b.get("storecode") == code), None)
        if b is None:
            return SUCCESS + "\r\n"
        detail = b.get("detail") or [str(b.get(k, "")) for k in self.BRANCH_KEYS] + ["", ""]
        return SUCCESS + "\r\n" + "^".join(detail) + "\r\n"

    def mana_list(self, fields):
        return self.lines(SUCCESS, self.data["branches"], lambda b: "^".join(str(b.get(k, ""))
                                                                             for k in self.BRANCH_KEYS))

    def notices(self, fields):
        return self.lines(SUCCESS, self.data["notices"], lambda n: "%s^%s" % (n.get("text", ""),
                                                                              n.get("value", "")))

    def log_check(self, fields):
        content = (last(fields, "log_content") or "").encode(ENCODING, "replace")
        number = len(self.uploads) + 1
        folder = os.path.join(self.state_folder, "uploads")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "%d.txt" % number), "wb") as f:
            f.write(content)
        self.uploads.append((number, len(content)))
        self.write_state()
        return SUCCESS + "\r\n"
