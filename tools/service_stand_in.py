#!/usr/bin/env python3
"""Stand-in for the service's web server, for tests only.

Listens on 127.0.0.1 (never another address), records every request exactly
as received and answers from canned replies that the test chooses.

All exchange with the test goes through one state folder:
  port             written once listening: the port number (then a newline)
  error            written instead when the server cannot start
  replies.json     read at every request: a JSON list of replies; request n
                   (0-based, in arrival order) gets entry n, the last entry
                   repeats. The test may rewrite it (atomically) between
                   requests. No file: an empty 200 reply.
  requests/NNNN.raw  the bytes of request n as received (request line,
                   headers, body), written completely before the reply
  stop             created by the test: the server ends
  stopped          written by the server when it has ended
  log.txt          the server's own diagnostics

A reply is an object with "kind":
  "body"    status ("status", default 200), "body_hex" as the body with a
            matching Content-Length; "chunk" > 0 with "delay_ms" sends the
            body in pieces of that size with that pause between them
  "cut"     declares "declared_length" (default body length + 100) but sends
            only "body_hex", then closes: a reply cut short
  "close"   closes the connection without a reply
  "silent"  sends nothing and holds the connection for "hold_ms" (bounded
            by the server's life), then closes
  "raw"     sends "body_hex" exactly as given (status line and headers
            included, nothing added), in pieces of "chunk" bytes "delay_ms"
            apart when "chunk" > 0, then holds the connection for "hold_ms"
            and closes: odd status lines, over-long header lines, replies
            cut inside the header block
            "then_hex" (optional) follows after "then_delay_ms", in pieces
            of "then_chunk" bytes "then_delay_ms" apart, before the hold: a
            burst and then a trickle
Optional "headers": a list of [name, value] pairs added to the reply;
"omit_length" true leaves Content-Length out of a "body" reply.
"body" and "cut" replies take their body from "file" (a Linux path) instead
of "body_hex" when it is given. A "body" reply with "ranges" true answers a
request's "Range: bytes=N-" with 206 and the body from byte N (Content-Length
the remaining bytes). "pause_at" with "pause_ms" pauses once after that many
body bytes; "cut" holds the connection silent for "hold_ms" before closing.

With --scenario FILE ("default" for the built-in store) the server is the
service itself rather than a player of canned replies: it answers every
script of the service from the scenario, keeps what the client changes,
serves the tracks it lists and takes faults from faults.json; replies.json is
not read. stand_in_scenario.py describes the scenario, the faults and the
state file (state.txt). Requests are recorded the same way.

With --cddb FILE the server is a CDDB server (freedb protocol over HTTP)
answering from FILE; stand_in_cddb.py describes it. Requests are recorded
the same way; replies.json is not read.

With --no-accept the server answers nothing at all: its listener has a
backlog of one that the server fills itself and never accepts from, so a
client's connection attempt hangs until the client gives up. It writes the
port as usual and ends the same ways.

The server is bounded: it ends after --max-seconds, after --max-requests
requests, or when the stop file appears, whichever comes first.
"""
import argparse
import json
import os
import select
import socket
import sys
import threading
import time

import stand_in_cddb
import stand_in_scenario

MAX_HEAD = 64 * 1024
MAX_BODY = 16 * 1024 * 1024
REASONS = {200: "OK", 206: "Partial Content", 301: "Moved Permanently", 302: "Found",
           404: "Not Found", 500: "Internal Server Error"}


class stand_in:
    def __init__(self, state, deadline, max_requests, scenario=None, cddb=None):
        self.state = state
        self.deadline = deadline
        self.max_requests = max_requests
        self.count = 0
        self.port = 0
        self.scenario = None
        if scenario:
            data = stand_in_scenario.load(None if scenario == "default" else scenario)
            self.scenario = stand_in_scenario.scenario_service(data, state, lambda: self.port)
        self.cddb = stand_in_cddb.cddb_service(cddb, lambda: self.port) if cddb else None
        self.lock = threading.Lock()
        self.done = threading.Event()
        os.makedirs(os.path.join(state, "requests"), exist_ok=True)

    def log(self, text):
        with self.lock:
            with open(os.path.join(self.state, "log.txt"), "a", encoding="utf-8") as f:
                f.write("%.3f %s\n" % (time.time(), text))

    def write_atomic(self, name, data):
        path = os.path.join(self.state, name)
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)

    def replies(self):
        try:
            with open(os.path.join(self.state, "replies.json"), "rb") as f:
                entries = json.loads(f.read().decode("utf-8"))
            return entries if isinstance(entries, list) and entries else [{"kind": "body"}]
        except FileNotFoundError:
            return [{"kind": "body"}]

    def remaining(self):
        return max(0.0, self.deadline - time.time())

    # --- one connection ---

    def read_request(self, conn):
        """Returns the raw request bytes, or None when the peer sent none."""
        data = b""
        while b"\r\n\r\n" not in data:
            if len(data) > MAX_HEAD:
                return None
            piece = conn.recv(65536)
            if not piece:
                return data or None
            data += piece
        head_end = data.index(b"\r\n\r\n") + 4
        head = data[:head_end].decode("latin-1")
        length = 0
        chunked = False
        for line in head.split("\r\n")[1:]:
            name, _, value = line.partition(":")
            if name.strip().lower() == "content-length":
                length = min(int(value.strip() or "0"), MAX_BODY)
            if name.strip().lower() == "transfer-encoding" and "chunked" in value.lower():
                chunked = True
        if chunked:
            while not data.endswith(b"0\r\n\r\n") and len(data) < head_end + MAX_BODY:
                piece = conn.recv(65536)
                if not piece:
                    break
                data += piece
            return data
        while len(data) < head_end + length:
            piece = conn.recv(65536)
            if not piece:
                break
            data += piece
        return data

    @staticmethod
    def range_start(raw):
        """N of a "Range: bytes=N-" header of the request; None when none."""
        head = raw.split(b"\r\n\r\n", 1)[0].decode("latin-1")
        for line in head.split("\r\n")[1:]:
            name, _, value = line.partition(":")
            value = value.strip().lower()
            if name.strip().lower() == "range" and value.startswith("bytes=") and value.endswith("-"):
                try:
                    return int(value[6:-1])
                except ValueError:
                    return None
        return None

    def answer(self, conn, reply, raw=b""):
        kind = reply.get("kind", "body")
        if "body_bytes" in reply:
            body = reply["body_bytes"]
        elif "file" in reply:
            with open(reply["file"], "rb") as f:
                body = f.read(MAX_BODY)
        else:
            body = bytes.fromhex(reply.get("body_hex", ""))
        headers = list(reply.get("headers", []))
        status = int(reply.get("status", 200))
        if kind == "close":
            return
        if reply.get("wait_ms") and self.done.wait(min(reply["wait_ms"] / 1000.0, self.remaining())):
            return
        if kind == "silent":
            self.done.wait(min(reply.get("hold_ms", 1000) / 1000.0, self.remaining()))
            return
        if kind == "raw":
            self.send_pieces(conn, body, reply)
            then = bytes.fromhex(reply.get("then_hex", ""))
            if then:
                if self.done.wait(min(reply.get("then_delay_ms", 0) / 1000.0, self.remaining())):
                    return
                self.send_pieces(conn, then, {"chunk": reply.get("then_chunk", 0),
                                              "delay_ms": reply.get("then_delay_ms", 0)})
            self.done.wait(min(reply.get("hold_ms", 0) / 1000.0, self.remaining()))
            return
        if kind == "body" and reply.get("ranges"):
            start = self.range_start(raw)
            if start is not None and 0 <= start <= len(body):
                headers.append(("Content-Range", "bytes %d-%d/%d" % (start, len(body) - 1, len(body))))
                body = body[start:]
                status = 206
        declared = len(body)
        if kind == "cut":
            declared = int(reply.get("declared_length", len(body) + 100))
        length = "" if reply.get("omit_length") else "Content-Length: %d\r\n" % declared
        extra = "".join("%s: %s\r\n" % (n, v) for n, v in headers)
        head = ("HTTP/1.1 %d %s\r\nContent-Type: %s\r\n%s%s"
                "Connection: close\r\n\r\n" % (status, REASONS.get(status, "Status"),
                                                reply.get("content_type", "text/html"), length, extra))
        conn.sendall(head.encode("latin-1"))
        if reply.get("head_only"):
            return
        if kind == "body":
            self.send_pieces(conn, body, reply)
        else:
            conn.sendall(body)
            self.done.wait(min(reply.get("hold_ms", 0) / 1000.0, self.remaining()))

    def send_pieces(self, conn, data, reply):
        """Sends data whole, or in pieces of "chunk" bytes "delay_ms" apart."""
        chunk = int(reply.get("chunk", 0))
        delay = reply.get("delay_ms", 0) / 1000.0
        pause_at = int(reply.get("pause_at", -1))
        if 0 <= pause_at < len(data):
            self.send_pieces(conn, data[:pause_at], {"chunk": chunk, "delay_ms": reply.get("delay_ms", 0)})
            if self.done.wait(min(reply.get("pause_ms", 0) / 1000.0, self.remaining())):
                return
            data = data[pause_at:]
        if chunk <= 0:
            conn.sendall(data)
            return
        for at in range(0, len(data), chunk):
            if at and self.done.wait(min(delay, self.remaining())):
                return
            conn.sendall(data[at:at + chunk])

    def scenario_reply(self, raw):
        head, _, body = raw.partition(b"\r\n\r\n")
        request_line = head.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
        method = request_line[0] if request_line else ""
        target = request_line[1] if len(request_line) > 1 else "/"
        if "://" in target:  # the absolute form a proxy is sent
            target = "/" + target.split("://", 1)[1].partition("/")[2]
        path = target.split("?", 1)[0]
        if method == "POST":
            return self.scenario.answer_post(path, body)
        if method in ("GET", "HEAD"):
            return self.scenario.answer_get(target, raw, method == "HEAD")
        return {"kind": "body", "status": 405, "body_bytes": b""}

    def serve(self, conn):
        try:
            conn.settimeout(max(0.1, min(10.0, self.remaining())))
            raw = self.read_request(conn)
            if raw is None:
                return
            with self.lock:
                index = self.count
                self.count += 1
            self.write_atomic(os.path.join("requests", "%04d.raw" % index), raw)
            if self.cddb:
                request_line = raw.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
                reply = self.cddb.answer_get(request_line[1] if len(request_line) > 1 else "/")
            elif self.scenario:
                reply = self.scenario_reply(raw)
            else:
                entries = self.replies()
                reply = entries[min(index, len(entries) - 1)]
            self.log("request %d: %s -> %s" % (index, raw.split(b"\r\n", 1)[0][:200], reply.get("kind")))
            self.answer(conn, reply, raw)
            if self.count >= self.max_requests:
                self.done.set()
        except (OSError, ValueError) as e:
            self.log("connection error: %r" % (e,))
        finally:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            conn.close()

    # --- the listener ---

    def run_without_accepting(self, listener):
        """Fills the listener's backlog and never accepts: later connection
        attempts get no answer at all."""
        port = listener.getsockname()[1]
        fillers = []
        for _ in range(8):
            filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            filler.setblocking(False)
            fillers.append(filler)
            try:
                filler.connect(("127.0.0.1", port))
            except BlockingIOError:
                pass
            _, writable, _ = select.select([], [filler], [], 0.3)
            if not writable:
                break  # the backlog is full: this attempt hangs, so will the client's
        self.write_atomic("port", b"%d\n" % port)
        stop_file = os.path.join(self.state, "stop")
        while self.remaining() > 0 and not os.path.exists(stop_file):
            time.sleep(0.05)
        for filler in fillers:
            filler.close()
        listener.close()
        self.log("stopped (never accepted)")
        self.write_atomic("stopped", b"")
        return 0

    def run(self, port, accept=True):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            listener.bind(("127.0.0.1", port))
            listener.listen(16 if accept else 0)
        except OSError as e:
            self.write_atomic("error", ("cannot listen on 127.0.0.1:%d: %s\n" % (port, e)).encode())
            return 1
        if not accept:
            return self.run_without_accepting(listener)
        listener.settimeout(0.05)
        self.port = listener.getsockname()[1]
        self.write_atomic("port", b"%d\n" % self.port)
        stop_file = os.path.join(self.state, "stop")
        workers = []
        while not self.done.is_set() and self.remaining() > 0 and not os.path.exists(stop_file):
            try:
                conn, _ = listener.accept()
            except socket.timeout:
                continue
            workers = [w for w in workers if w.is_alive()]
            if len(workers) >= 32:
                conn.close()
                continue
            worker = threading.Thread(target=self.serve, args=(conn,), daemon=True)
            worker.start()
            workers.append(worker)
        listener.close()
        self.done.set()
        for worker in workers:
            worker.join(2.0)
        self.log("stopped after %d requests" % self.count)
        self.write_atomic("stopped", b"")
        return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--state", required=True, help="state folder shared with the test")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--max-seconds", type=float, default=60.0)
    parser.add_argument("--max-requests", type=int, default=1000)
    parser.add_argument("--no-accept", action="store_true",
                        help="listen with a full backlog and never accept")
    parser.add_argument("--scenario", help='answer as the service from this scenario ("default": built in)')
    parser.add_argument("--cddb", help="answer as a CDDB server from this JSON file")
    args = parser.parse_args()
    # Started from a test under Wine, this process inherits the test's
    # standard handles, which ctest waits on: let go of them at once.
    null = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(null, fd)
    os.close(null)
    try:
        os.setsid()
    except OSError:
        pass
    deadline = time.time() + min(args.max_seconds, 600.0)
    try:
        server = stand_in(args.state, deadline, args.max_requests, args.scenario, args.cddb)
    except (OSError, ValueError) as e:
        os.makedirs(args.state, exist_ok=True)
        with open(os.path.join(args.state, "error.tmp"), "wb") as f:
            f.write(("cannot read the scenario: %s\n" % (e,)).encode("utf-8"))
        os.replace(os.path.join(args.state, "error.tmp"), os.path.join(args.state, "error"))
        return 1
    return server.run(args.port, accept=not args.no_accept)


if __name__ == "__main__":
    sys.exit(main())
