"""The stand-in's CDDB mode: a freedb-protocol server over HTTP, for tests.

service_stand_in.py --cddb FILE answers GET requests of the CDDB protocol
("...?cmd=sites&hello=...&proto=N", "cmd=stat", "cmd=cddb+query+...",
"cmd=cddb+read+CATEGORY+DISCID") from FILE, a JSON object (UTF-8):

  "sites"     the site lines of a sites reply; "{port}" in a line becomes the
              server's port. Default: one http site that is this server.
  "sites_code"  the status code of the sites reply (default 210)
  "matches"   the match lines a query answers ("rock 0c025803 Artist / Album"):
              none gives "202 No match", one "200 <line>", more a 211 list
  "query_code"  forces that code with the list of matches (e.g. 210, 403)
  "records"   {"CATEGORY DISCID": record text}: the xmcd record (lines
              without the status line and the terminating "."); a read of
              another record answers "401 ... No such CD entry"
  "styles"    {"sites"|"stat"|"query"|"read": style}: how that reply goes out:
                "split": true     the HTTP header, a pause of "pause_ms"
                                  (default 300), then the body
                "drip_ms": N      one byte every N ms
                "silent_ms": N    nothing at all for N ms, then a close
                "close": true     a close without a reply
  "encoding"  of the texts sent (default "cp949", the players' code page)

Every reply is "HTTP/1.0 200 OK" with a Content-Type header and the CDDB
body; a multi-line body ends with the CDDB terminator "\\r\\n.\\r\\n". The
server closes the connection after each reply, as CDDB servers do.
"""
import json
import urllib.parse

HEAD = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=cp949\r\nConnection: close\r\n\r\n"


class cddb_service:
    def __init__(self, path, port):
        with open(path, "rb") as f:
            self.data = json.loads(f.read().decode("utf-8"))
        if not isinstance(self.data, dict):
            raise ValueError("the CDDB scenario must be a JSON object")
        self.port = port
        self.encoding = self.data.get("encoding", "cp949")

    def text(self, value):
        return value.encode(self.encoding, "replace")

    @staticmethod
    def listing(status_line, lines):
        return status_line + "\r\n" + "".join(line + "\r\n" for line in lines) + "."

    def body(self, command):
        words = command.split(" ")
        if words[0] == "sites":
            lines = self.data.get("sites", ["127.0.0.1 http {port} /~cddb/cddb.cgi N000.00 W000.00 Loopback"])
            lines = [line.replace("{port}", str(self.port())) for line in lines]
            code = int(self.data.get("sites_code", 210))
            return "sites", self.listing("%d OK, site information follows (until terminating `.')" % code,
                                         lines) + "\r\n"
        if words[0] == "stat":
            return "stat", self.listing("210 OK, status information follows (until terminating `.')",
                                        ["current proto: 5", "max proto: 6"]) + "\r\n"
        if words[:2] == ["cddb", "query"]:
            matches = self.data.get("matches", [])
            code = self.data.get("query_code")
            if code is None and not matches:
                return "query", "202 No match for disc ID %s.\r\n" % (words[2] if len(words) > 2 else "")
            if code is None and len(matches) == 1:
                return "query", "200 %s\r\n" % matches[0]
            code = int(code or 211)
            return "query", self.listing("%d Found inexact matches, list follows (until terminating `.')" % code,
                                         matches) + "\r\n"
        if words[:2] == ["cddb", "read"] and len(words) >= 4:
            key = "%s %s" % (words[2], words[3])
            record = self.data.get("records", {}).get(key)
            if record is None:
                return "read", "401 %s No such CD entry in database.\r\n" % key
            return "read", self.listing("210 %s CD database entry follows (until terminating `.')" % key,
                                        record.replace("\r\n", "\n").split("\n")) + "\r\n"
        return "other", "500 Unrecognized command.\r\n"

    def answer_get(self, target):
        """The reply (a dict of service_stand_in's reply kinds) to a GET."""
        query = target.split("?", 1)[1] if "?" in target else ""
        command = ""
        for part in query.split("&"):
            name, _, value = part.partition("=")
            if name == "cmd":
                command = urllib.parse.unquote_plus(value)
        name, body = self.body(command)
        style = self.data.get("styles", {}).get(name, {})
        if style.get("close"):
            return {"kind": "close"}
        if style.get("silent_ms"):
            return {"kind": "silent", "hold_ms": int(style["silent_ms"])}
        payload = self.text(body)
        if style.get("split"):
            return {"kind": "raw", "body_bytes": HEAD, "then_hex": payload.hex(),
                    "then_delay_ms": int(style.get("pause_ms", 300)), "then_chunk": 0}
        if style.get("drip_ms"):
            return {"kind": "raw", "body_bytes": HEAD + payload, "chunk": 1, "delay_ms": int(style["drip_ms"])}
        return {"kind": "raw", "body_bytes": HEAD + payload}
