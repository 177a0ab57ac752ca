#!/usr/bin/env python3
"""avexhost proxy with real clients: curl and headless Chromium from Debian's
packages, and raw sockets for hostile clients, all through the proxy to the
test's own web server on 127.0.0.1 (origin_server.py). The proxy runs the
real plug-in and stand-in engine of a build with the demo's configuration:
alice is a filtered pupil, bob is not filtered.

  proxy_test.py BUILD_DIR [--wine] [--chromium] [unittest arguments]

--wine runs avexhost.exe under Wine (scripts/wine-run); --chromium adds the
browser cases, whose screenshots go to BUILD_DIR/proxy-screens."""
import argparse
import base64
import os
import queue
import re
import resource
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
ARGS = None
# Hang guards only (a proxy that never comes up must not stall the run), never a measure of speed.
WAIT = 120
MAX_CONNECTIONS = 64


def host_path(path):
    """A path as avexhost sees it: under Wine through drive Z:."""
    return "Z:" + str(path) if ARGS.wine else str(path)


class Process:
    """A child whose output lines are collected as they come."""

    def __init__(self, argv, env=None, cwd=None):
        self.child = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT, env=env, cwd=cwd)
        self.lines = queue.Queue()
        self.seen = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.child.stdout:
            line = raw.decode("latin-1").rstrip("\r\n")
            with self.lock:
                self.seen.append(line)
            self.lines.put(line)
        self.lines.put(None)

    def wait_for(self, pattern):
        expression = re.compile(pattern)
        while True:
            line = self.lines.get(timeout=WAIT)
            if line is None:
                raise AssertionError("ended before printing %r:\n%s" % (pattern, self.output()))
            match = expression.search(line)
            if match:
                return match

    def output(self):
        with self.lock:
            return "\n".join(self.seen)


class ProxyRun:
    """The origin server and the proxy in front of it."""

    def __init__(self, *proxy_options, user="alice", settings=None):
        self.work = Path(tempfile.mkdtemp(prefix="avex-proxy-test."))
        demo = ARGS.build / "demo"
        settings = settings or demo / "settings.reg"
        user_options = ["--user", user] if user is not None else []
        self.origin = Process([sys.executable, str(HERE / "origin_server.py"), str(demo / "pages")])
        self.origin_port = int(self.origin.wait_for(r"^\d+$").group(0))
        self.stop_file = self.work / "stop"
        env = dict(os.environ)
        if ARGS.wine:
            command = [str(HERE.parent.parent / "scripts" / "wine-run"), str(ARGS.build / "avexhost.exe")]
        else:
            command = [str(ARGS.build / "avexhost")]
            env["AVEX_REGISTRY"] = str(self.work / "registry.reg")
        self.proxy = Process(command + [
            "proxy", "--listen", "127.0.0.1:0", "--settings", host_path(settings),
            "--users", host_path(demo / "users.txt")] + user_options + [
            "--max-connections", str(MAX_CONNECTIONS), "--upstream-timeout", "3",
            "--stop-file", host_path(self.stop_file)] + list(proxy_options), env=env, cwd=str(ARGS.build))
        self.listening = self.proxy.wait_for(r"listening on (\S+:\d+)")
        self.proxy_address = self.listening.group(1)

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.origin_port, path)

    def stop(self):
        self.stop_file.touch()
        code = self.proxy.child.wait(timeout=WAIT)
        self.proxy.child.stdin.close()
        self.origin.child.stdin.close()
        self.origin.child.wait(timeout=WAIT)
        shutil.rmtree(self.work, ignore_errors=True)
        return code


def curl(run, path, *options):
    """Status, content type, headers and body of one request through the proxy."""
    with tempfile.NamedTemporaryFile() as body, tempfile.NamedTemporaryFile() as headers:
        result = subprocess.run(
            ["curl", "-s", "-x", "http://" + run.proxy_address, "-o", body.name, "-D", headers.name,
             "-w", "%{http_code} %{content_type}", *options, run.url(path)],
            capture_output=True, text=True, timeout=WAIT)
        status, _, kind = result.stdout.partition(" ")
        return int(status), kind, Path(headers.name).read_text("latin-1"), Path(body.name).read_bytes()


def page(name):
    return (ARGS.build / "demo" / "pages" / name).read_bytes()


def raw_exchange(run, data, shutdown=False):
    """Sends `data` on a socket of its own and reads what comes back until the proxy closes."""
    host, port = run.proxy_address.rsplit(":", 1)
    with socket.create_connection((host, int(port)), timeout=WAIT) as connection:
        try:
            connection.sendall(data)
            if shutdown:
                connection.shutdown(socket.SHUT_WR)
        except (BrokenPipeError, ConnectionResetError):
            pass
        reply = b""
        try:
            while True:
                piece = connection.recv(65536)
                if not piece:
                    break
                reply += piece
        except ConnectionResetError:
            pass
        return reply


class ProxyTest(unittest.TestCase):
    px = None

    @classmethod
    def setUpClass(cls):
        cls.px = ProxyRun()

    @classmethod
    def tearDownClass(cls):
        cls.assert_clean_stop(cls.px)

    @staticmethod
    def assert_clean_stop(run):
        code = run.stop()
        output = run.proxy.output()
        assert code == 0, "proxy exit code %d:\n%s" % (code, output)
        summary = re.search(r"scanning objects fabricated (\d+), released (\d+); PlugStop\(\) = 1", output)
        assert summary and summary.group(1) == summary.group(2), output

    def request_line(self, path, user="alice"):
        """The proxy's log line for the latest request of `path`."""
        pattern = re.compile(r" request \S+ %s \S+ %s (\d+) (\S+)" % (re.escape(user), re.escape(self.px.url(path))))
        self.px.proxy.wait_for(pattern.pattern)
        return pattern.findall(self.px.proxy.output())[-1]

    def test_pages_through_curl(self):
        alice, bob = (), ("-U", "bob:secret")
        cases = [
            # path, curl options, status, what arrives, the plug-in's result
            ("/pages/library.html", alice, 200, page("library.html"), "ResultPass"),
            ("/chunked/library.html", alice, 200, page("library.html"), "ResultPass"),
            ("/pages/poker-night.html", alice, 403, "Gambling", "ResultReject"),
            ("/chunked/poker-night.html", alice, 403, "Gambling", "ResultReject"),
            ("/tricks/of-the-trade", alice, 403, "Blocked", "ResultReject"),
            ("/image.png", alice, 200, None, "ResultNotApplicable"),
            ("/pages/poker-night.html", bob, 200, page("poker-night.html"), "ResultIgnore"),
        ]
        for path, options, status, arrives, result in cases:
            with self.subTest(path=path, options=options):
                got_status, kind, headers, body = curl(self.px, path, *options)
                self.assertEqual(got_status, status)
                user = "bob" if options else "alice"
                self.assertEqual(self.request_line(path, user), (str(status), result))
                if status == 403:
                    self.assertEqual(kind, "text/html")
                    self.assertIn(b"Content blocked [" + arrives.encode(), body)
                elif arrives is not None:
                    self.assertEqual(body, arrives)
                if path.startswith("/chunked/") and status == 200:
                    self.assertRegex(headers, r"(?i)transfer-encoding: chunked")
        self.assertEqual(curl(self.px, "/image.png")[3][:8], b"\x89PNG\r\n\x1a\n")

    def test_requests_without_credentials_are_filtered_as_the_guest(self):
        # The demo's settings with filtering for everybody, so that the guest is filtered.
        settings = Path(tempfile.mkdtemp(prefix="avex-proxy-guest.")) / "settings.reg"
        demo = (ARGS.build / "demo" / "settings.reg").read_text("latin-1")
        settings.write_text(demo.replace('"Apply to all users"=dword:00000000', '"Apply to all users"=dword:00000001'),
                            "latin-1")
        run = ProxyRun(user=None, settings=settings)
        try:
            status, kind, _, body = curl(run, "/tricks/of-the-trade")
            self.assertEqual((status, kind), (403, "text/html"))
            self.assertIn(b"Content blocked [Blocked]", body)
            run.proxy.wait_for(r"request 127\.0\.0\.1 guest GET %s 403 ResultReject" %
                               re.escape(run.url("/tricks/of-the-trade")))
            self.assertIn('requests without credentials go as user "guest"', run.listening.string)
        finally:
            self.assert_clean_stop(run)
            shutil.rmtree(settings.parent, ignore_errors=True)

    def test_keep_alive_and_request_bodies(self):
        result = subprocess.run(
            ["curl", "-s", "-x", "http://" + self.px.proxy_address, "-w", "[%{num_connects}]",
             self.px.url("/pages/library.html"), "-o", "/dev/null", self.px.url("/pages/match-report.html"),
             "-o", "/dev/null", "--data-binary", "@" + str(ARGS.build / "demo" / "pages" / "library.html"),
             self.px.url("/echo")],
            capture_output=True, timeout=WAIT)
        # The second and third requests reuse the first one's connection; the body reaches the server whole.
        self.assertTrue(result.stdout.startswith(b"[1][0]"), result.stdout)
        self.assertEqual(result.stdout[6:], b"%d\n" % len(page("library.html")) + page("library.html") + b"[0]")

    def test_connect_tunnels_undecided(self):
        status, _, _, body = curl(self.px, "/pages/poker-night.html", "-p")
        self.assertEqual((status, body), (200, page("poker-night.html")))
        self.px.proxy.wait_for(r"tunnel 127\.0\.0\.1 alice 127\.0\.0\.1:%d undecided" % self.px.origin_port)

    def test_unreachable_and_silent_servers(self):
        status, kind, _, body = curl(self.px, "/never")
        self.assertEqual(status, 504)
        self.assertIn(b"no reply from", body)
        with socket.socket() as unused:
            unused.bind(("127.0.0.1", 0))
            closed_port = unused.getsockname()[1]
        reply = subprocess.run(["curl", "-s", "-w", " %{http_code}", "-x", "http://" + self.px.proxy_address,
                                "http://127.0.0.1:%d/" % closed_port], capture_output=True, timeout=WAIT).stdout
        self.assertTrue(reply.endswith(b" 502"), reply)
        self.assertIn(b"cannot connect to", reply)
        # A URL the lists block stays blocked while its server is down.
        reply = subprocess.run(["curl", "-s", "-w", " %{http_code}", "-x", "http://" + self.px.proxy_address,
                                "http://127.0.0.1:%d/tricks" % closed_port], capture_output=True, timeout=WAIT).stdout
        self.assertTrue(reply.endswith(b" 403"), reply[-200:])

    def test_hostile_clients_get_a_clear_answer(self):
        megabyte = 1024 * 1024
        target = self.px.url("/pages/library.html").encode()
        cases = [
            ("malformed request line", b"GET\x01 nonsense\r\n\r\n", b"HTTP/1.1 400 ", b"malformed request"),
            ("not a proxy request", b"GET /pages/library.html HTTP/1.1\r\nHost: x\r\n\r\n", b"HTTP/1.1 400 ",
             b"absolute http:// URL"),
            ("header of 1 MB", b"GET " + target + b" HTTP/1.1\r\nHost: x\r\nX-Big: " + b"a" * megabyte + b"\r\n\r\n",
             b"HTTP/1.1 431 ", b"request header is longer"),
            ("URL of 1 MB", b"GET " + target + b"?" + b"q" * megabyte + b" HTTP/1.1\r\nHost: x\r\n\r\n",
             b"HTTP/1.1 414 ", b"request line (the URL) is longer"),
            ("body cut off", b"POST " + self.px.url("/echo").encode() +
             b" HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + b"x" * 1000, b"", b""),
        ]
        for name, data, status, text in cases:
            with self.subTest(name):
                reply = raw_exchange(self.px, data, shutdown=True)
                self.assertTrue(reply.startswith(status), reply[:200])
                self.assertIn(text, reply)
                self.assert_still_serving()
        self.px.proxy.wait_for(r"request 127\.0\.0\.1 alice - - 0 client-left-mid-request")
        self.assertNotIn("POST /echo", self.px.origin.output())

    def test_a_thousand_connections_at_once(self):
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(hard, 4096)), hard))
        host, port = self.px.proxy_address.rsplit(":", 1)
        request = b"GET " + self.px.url("/pages/library.html").encode() + b" HTTP/1.1\r\nHost: x\r\n\r\n"
        connections = []
        try:
            for _ in range(1000):
                connection = socket.create_connection((host, int(port)), timeout=WAIT)
                connection.sendall(request)
                connections.append(connection)
            statuses = [read_reply(connection) for connection in connections]
        finally:
            for connection in connections:
                connection.close()
        served = statuses.count(200)
        self.assertEqual(served + statuses.count(503), 1000, sorted(set(statuses)))
        self.assertGreater(served, 0)
        self.assertLessEqual(served, MAX_CONNECTIONS)
        # The held connections were just closed; the proxy notices each when
        # its thread next reads, so a new one may meet the limit meanwhile.
        self.assert_still_serving(busy_retries=50)

    def assert_still_serving(self, busy_retries=0):
        status, _, _, body = curl(self.px, "/pages/library.html")
        while status == 503 and busy_retries > 0:
            busy_retries -= 1
            time.sleep(0.2)
            status, _, _, body = curl(self.px, "/pages/library.html")
        self.assertEqual((status, body), (200, page("library.html")))


def read_reply(connection):
    """The status of one reply on a connection kept open; its body is read by its length."""
    data = b""
    while b"\r\n\r\n" not in data:
        piece = connection.recv(65536)
        if not piece:
            return 0
        data += piece
    head, _, body = data.partition(b"\r\n\r\n")
    length = int(re.search(rb"(?i)content-length: (\d+)", head).group(1))
    while len(body) < length:
        body += connection.recv(65536)
    return int(head.split(b" ", 2)[1])


class ChromiumTest(unittest.TestCase):
    """Headless Chromium with the proxy as its HTTP proxy. Chromium sends
    loopback addresses past any proxy unless told not to (<-loopback>)."""

    def setUp(self):
        if not ARGS.chromium:
            self.skipTest("--chromium not given")

    def chromium(self, run, *options):
        with tempfile.TemporaryDirectory() as profile:
            return subprocess.run(
                ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + profile,
                 "--proxy-server=http://" + run.proxy_address, "--proxy-bypass-list=<-loopback>",
                 "--window-size=1000,700", *options],
                capture_output=True, timeout=WAIT)

    def test_blocked_and_allowed_pages(self):
        run = ProxyRun()
        try:
            screens = ARGS.build / "proxy-screens"
            screens.mkdir(exist_ok=True)
            cases = [("blocked", "/pages/poker-night.html", "403", "Content blocked [Gambling]"),
                     ("allowed", "/pages/library.html", "200", "library")]
            for name, path, status, text in cases:
                with self.subTest(name):
                    dom = self.chromium(run, "--dump-dom", run.url(path)).stdout.decode("utf-8", "replace")
                    self.assertIn(text, dom)
                    run.proxy.wait_for(r"request 127\.0\.0\.1 alice GET %s %s " % (re.escape(run.url(path)), status))
                    picture = screens / ("%s.png" % name)
                    picture.unlink(missing_ok=True)
                    self.chromium(run, "--screenshot=" + str(picture), run.url(path))
                    self.assertTrue(picture.is_file() and picture.stat().st_size > 1000)
        finally:
            ProxyTest.assert_clean_stop(run)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("build", type=lambda text: Path(text).resolve())
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--chromium", action="store_true")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v"] + rest)
