#!/usr/bin/env python3
"""The web server behind the proxy in the proxy tests: HTTP/1.1 with
keep-alive on 127.0.0.1, on a free port that it prints as its first line.

  /pages/NAME      a file of the pages folder, with a Content-Length
  /chunked/NAME    the same file, chunked
  /image.png       bytes of type image/png (with words that would score, were they scanned)
  /echo            answers with the length of the request body and the body itself
  /never           reads the request and never answers
  anything else    a small text/html page

Each request line it gets is also written to its standard output."""
import http.server
import sys
import threading
import time
from pathlib import Path

PAGES = Path(sys.argv[1])
IMAGE = b"\x89PNG\r\n\x1a\n" + b"online casino poker jackpot bet " * 64 + bytes(range(256))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, kind, body, chunked=False):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for at in range(0, len(body), 1000):
                piece = body[at:at + 1000]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        else:
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    def do_GET(self):
        print(self.command, self.path, flush=True)
        path = self.path
        if path.startswith("/pages/") or path.startswith("/chunked/"):
            name = path.split("/", 2)[2]
            file = PAGES / name
            if file.is_file():
                self.reply(200, "text/html", file.read_bytes(), chunked=path.startswith("/chunked/"))
                return
            self.reply(404, "text/html", b"<html><body>not here</body></html>")
        elif path == "/image.png":
            self.reply(200, "image/png", IMAGE)
        elif path == "/never":
            time.sleep(3600)
        else:
            self.reply(200, "text/html", b"<html><body>An ordinary page at %s</body></html>" % path.encode())

    def do_POST(self):
        print(self.command, self.path, flush=True)
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        self.reply(200, "text/plain", b"%d\n" % len(body) + body)


http.server.ThreadingHTTPServer.request_queue_size = 1024
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
sys.stdin.read()  # serves until the test closes its input
