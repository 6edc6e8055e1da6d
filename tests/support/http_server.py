#!/usr/bin/python3
"""Small HTTP/1.1 file server for download tests and the demo, with fault injection.

Usage: http_server.py --root FOLDER [--port N] [--port-file FILE] [--idle-exit S]
                      [--stdin-lifeline]
  Binds 127.0.0.1 (a free port unless --port is given), prints "PORT <n>" as its first
  stdout line and, with --port-file, writes "<n>" to FILE (atomically). It serves until
  /_control/quit is requested, or no request at all arrived for S seconds
  (--idle-exit; /_control/ping keeps it alive), or, with --stdin-lifeline, its stdin
  reaches end of file. A Linux program started by a Wine program gets no usable
  standard handles, so Windows test programs use --port-file and --idle-exit (see
  TestServer.h, which pings every second); shell scripts may use either.
  Python standard library only; one thread per connection; keep-alive.

Files
  GET/HEAD /software/<segment>/<name>   serves FOLDER/<name>. Any <segment> is accepted, so
      a URL with a wrong digest can be built; the real digest is at /_control/md5/<name>.
  GET/HEAD /redirect/<n>/<rest>         302 to /redirect/<n-1>/<rest>; /redirect/0/<rest>
      answers 302 to /<rest>. A chain of n+1 redirects ends at the file.
  Single byte ranges "bytes=a-b", "bytes=a-" and "bytes=-n" are answered with 206 and
  Content-Range; an unsatisfiable range with 416. HEAD announces Content-Length and
  "Accept-Ranges: bytes".

Control API (same port; not logged, not faulted)
  GET  /_control/md5/<name>   lower-case hex MD5 of FOLDER/<name> as text
  POST /_control/faults       JSON list of directives (replaces the earlier list), each
      {"name": "f.bin"}         matches requests whose last path segment is f.bin, or
      {"path": "/software/.../f.bin"} an exact path; neither matches every file request;
      "method": "GET"|"HEAD"    only that method (default both);
      "range_prefix": "bytes=0-"  only requests whose Range header starts with that;
      "nth": k                  only the k-th matching request (1-based), or
      "times": k                only the first k matching requests (default all);
    and the effects (several directives may hit one request; their effects add up):
      "status": 404             answer with that status and a short HTML page;
      "ignore_range": true      answer 200 with the whole file whatever Range says;
      "close_after": n          send n body bytes, then close the connection;
      "stall": s, "stall_after": n   after n body bytes (default 0) send nothing for s
                                seconds, then go on;
      "throttle": bytes_per_s   send the body at that rate;
      "wrong_length": n         announce Content-Length n (the body stays as it is).
  GET  /_control/log          JSON list of the file requests seen, in order:
      {"method", "path", "range" ("" when none), "status"}
  POST /_control/reset        clears directives, counters and the log
  GET  /_control/ping         answers "pong" (keeps an --idle-exit server alive)
  GET  /_control/quit         ends the server
"""

import hashlib
import json
import os
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import unquote, urlsplit

CHUNK = 64 * 1024
ERROR_PAGE = b"<html><body><h1>404 Not Found</h1></body></html>\n"


class State:
    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.directives = []
        self.log = []

    def reset(self):
        with self.lock:
            self.directives = []
            self.log = []

    def set_directives(self, items):
        with self.lock:
            self.directives = [dict(item, _seen=0) for item in items]

    def effects_for(self, method, path, range_header):
        """Counts the request against every matching directive and merges the effects."""
        name = path.rsplit("/", 1)[-1]
        merged = {}
        with self.lock:
            for d in self.directives:
                if "name" in d and d["name"] != name:
                    continue
                if "path" in d and d["path"] != path:
                    continue
                if "method" in d and d["method"] != method:
                    continue
                if "range_prefix" in d and not (range_header or "").startswith(d["range_prefix"]):
                    continue
                d["_seen"] += 1
                if "nth" in d and d["_seen"] != d["nth"]:
                    continue
                if "times" in d and d["_seen"] > d["times"]:
                    continue
                for key, value in d.items():
                    if key not in ("name", "path", "method", "range_prefix", "nth", "times", "_seen"):
                        merged[key] = value
        return merged

    def record(self, method, path, range_header, status):
        with self.lock:
            self.log.append({"method": method, "path": path,
                             "range": range_header or "", "status": status})


def parse_range(header, size):
    """(first, last) for a single byte range, None when absent or malformed,
    or "bad" when it cannot be satisfied."""
    if not header or not header.startswith("bytes=") or "," in header:
        return None
    range_text = header[len("bytes="):].strip()
    first_text, _, last_text = range_text.partition("-")
    try:
        if first_text == "":
            count = int(last_text)
            if count <= 0:
                return "bad"
            return (max(0, size - count), size - 1)
        first = int(first_text)
        last = int(last_text) if last_text else size - 1
    except ValueError:
        return None
    if first >= size or last < first:
        return "bad"
    return (first, min(last, size - 1))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TestServer/1.0"

    def log_message(self, fmt, *args):  # quiet: the control log is the record
        pass

    # -- control ---------------------------------------------------------------
    def send_small(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def control(self, path):
        state = self.server.state
        if path.startswith("/_control/md5/"):
            name = os.path.basename(path[len("/_control/md5/"):])
            try:
                digest = hashlib.md5()
                with open(os.path.join(state.root, name), "rb") as f:
                    for block in iter(lambda: f.read(1 << 20), b""):
                        digest.update(block)
                self.send_small(200, digest.hexdigest().encode())
            except OSError:
                self.send_small(404, b"no such file\n")
        elif path == "/_control/faults":
            length = int(self.headers.get("Content-Length") or 0)
            try:
                items = json.loads(self.rfile.read(length) or b"[]")
                if not isinstance(items, list):
                    raise ValueError("a list is expected")
                state.set_directives(items)
                self.send_small(200, b"ok\n")
            except ValueError as error:
                self.send_small(400, ("bad directives: %s\n" % error).encode())
        elif path == "/_control/log":
            with state.lock:
                body = json.dumps(state.log).encode()
            self.send_small(200, body, "application/json")
        elif path == "/_control/reset":
            if self.command == "POST":
                length = int(self.headers.get("Content-Length") or 0)
                self.rfile.read(length)
            state.reset()
            self.send_small(200, b"ok\n")
        elif path == "/_control/ping":
            self.send_small(200, b"pong\n")
        elif path == "/_control/quit":
            self.send_small(200, b"bye\n")
            threading.Thread(target=self.server.shutdown, daemon=True).start()
        else:
            self.send_small(404, b"unknown control\n")

    # -- files -----------------------------------------------------------------
    def do_GET(self):
        self.handle_request()

    def do_HEAD(self):
        self.handle_request()

    def do_POST(self):
        self.server.last_request = time.monotonic()
        path = unquote(urlsplit(self.path).path)
        if path.startswith("/_control/"):
            self.control(path)
        else:
            self.send_small(405, b"method not allowed\n")

    def handle_request(self):
        self.server.last_request = time.monotonic()
        path = unquote(urlsplit(self.path).path)
        if path.startswith("/_control/"):
            self.control(path)
            return
        state = self.server.state
        range_header = self.headers.get("Range")
        effects = state.effects_for(self.command, path, range_header)

        if path.startswith("/redirect/"):
            parts = path.split("/", 3)  # "", "redirect", n, rest
            if len(parts) == 4 and parts[2].isdigit():
                n = int(parts[2])
                target = "/redirect/%d/%s" % (n - 1, parts[3]) if n > 0 else "/" + parts[3]
                state.record(self.command, path, range_header, 302)
                self.send_response(302)
                self.send_header("Location", target)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return

        status = effects.get("status")
        file_path = None
        if path.startswith("/software/") and path.count("/") == 3:
            candidate = os.path.join(state.root, os.path.basename(path))
            if os.path.isfile(candidate):
                file_path = candidate
        if status is None and file_path is None:
            status = 404
        if status is not None and status != 200:
            state.record(self.command, path, range_header, status)
            self.send_response(status)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(ERROR_PAGE)))
            self.end_headers()
            if self.command != "HEAD":
                self.wfile.write(ERROR_PAGE)
            return

        size = os.path.getsize(file_path)
        first, last, status = 0, size - 1, 200
        wanted = None if effects.get("ignore_range") else parse_range(range_header, size)
        if wanted == "bad":
            state.record(self.command, path, range_header, 416)
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if wanted is not None:
            first, last = wanted
            status = 206
        count = last - first + 1 if size > 0 else 0

        state.record(self.command, path, range_header, status)
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("Content-Length", str(effects.get("wrong_length", count)))
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        self.end_headers()
        if self.command == "HEAD":
            return
        self.send_body(file_path, first, count, effects)

    def send_body(self, file_path, first, count, effects):
        close_after = effects.get("close_after")
        stall = effects.get("stall")
        stall_after = effects.get("stall_after", 0)
        rate = effects.get("throttle")
        sent = 0
        started = time.monotonic()
        limit = count if close_after is None else min(count, close_after)
        try:
            with open(file_path, "rb") as f:
                f.seek(first)
                while sent < limit:
                    if stall is not None and sent >= stall_after:
                        time.sleep(stall)
                        started += stall  # the rate applies to the time spent sending
                        stall = None
                    step = min(CHUNK, limit - sent)
                    if stall is not None and sent < stall_after:
                        step = min(step, stall_after - sent)
                    if rate:
                        step = min(step, max(1, rate // 20))
                    block = f.read(step)
                    if not block:
                        break
                    self.wfile.write(block)
                    sent += len(block)
                    if rate:
                        ahead = sent / rate - (time.monotonic() - started)
                        if ahead > 0:
                            time.sleep(ahead)
            if stall is not None and sent >= stall_after:
                time.sleep(stall)
            self.wfile.flush()
        except (ConnectionError, OSError):
            self.close_connection = True
            return
        if close_after is not None and close_after < count:
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    last_request = time.monotonic()


def main():
    args = sys.argv[1:]
    root, port, port_file, idle_exit, stdin_lifeline = ".", 0, None, None, False
    while args:
        key = args.pop(0)
        if key == "--root" and args:
            root = args.pop(0)
        elif key == "--port" and args:
            port = int(args.pop(0))
        elif key == "--port-file" and args:
            port_file = args.pop(0)
        elif key == "--idle-exit" and args:
            idle_exit = float(args.pop(0))
        elif key == "--stdin-lifeline":
            stdin_lifeline = True
        else:
            print("usage: http_server.py --root FOLDER [--port N] [--port-file FILE]"
                  " [--idle-exit S] [--stdin-lifeline]", file=sys.stderr)
            return 2
    server = Server(("127.0.0.1", port), Handler)
    server.state = State(os.path.abspath(root))
    server.last_request = time.monotonic()
    actual = server.server_address[1]
    try:
        print("PORT %d" % actual, flush=True)
    except (OSError, ValueError):
        pass
    if port_file:
        temporary = port_file + ".tmp"
        with open(temporary, "w") as f:
            f.write("%d" % actual)
        os.replace(temporary, port_file)

    if stdin_lifeline:
        def watch_stdin():
            try:
                while sys.stdin.buffer.read(4096):
                    pass
            except (OSError, ValueError, AttributeError):
                pass
            server.shutdown()
        threading.Thread(target=watch_stdin, daemon=True).start()

    if idle_exit:
        def watch_idle():
            while time.monotonic() - server.last_request < idle_exit:
                time.sleep(0.5)
            server.shutdown()
        threading.Thread(target=watch_idle, daemon=True).start()

    server.serve_forever(poll_interval=0.2)
    server.server_close()
    # Handlers may still be stalling on purpose; they must not keep the process alive.
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())
