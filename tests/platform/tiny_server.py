"""A one-page HTTP server for the platform test.

Writes its port to the file named on its command line, serves /hello, and ends on
/quit or after 60 idle seconds (a Linux child of a Wine program is detached and has
no usable standard handles, so neither a pipe nor stdin can end it)."""
import http.server
import os
import sys
import threading
import time

last_request = time.monotonic()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        global last_request
        last_request = time.monotonic()
        if self.path == "/quit":
            threading.Thread(target=self.server.shutdown).start()
        body = b"hello from 127.0.0.1" if self.path == "/hello" else b"bye"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def watch_idle(server):
    while time.monotonic() - last_request < 60:
        time.sleep(1)
    server.shutdown()


devnull = os.open(os.devnull, os.O_RDWR)
for fd in (0, 1, 2):
    os.dup2(devnull, fd)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
port_file = sys.argv[1]
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
threading.Thread(target=watch_idle, args=(server,), daemon=True).start()
server.serve_forever()
