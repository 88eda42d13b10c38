#!/usr/bin/env python3
"""Scripted HTTP/HTTPS test server for the project's tests.

One process serves plain HTTP and HTTPS on 127.0.0.1 (ephemeral ports, HTTP/1.1
with keep-alive). Behaviour is chosen by the request URL, so tests stay
independent of each other:

  /data?...    a generated body (byte i is pattern_byte(i)) or a literal one
  /stats?token=T   JSON: the requests that carried token T, with their headers and
                   arrival times ("time", seconds on a monotonic clock)
  /store?name=N    (POST) keeps the request body under N for /data?stored=N
  /reset?token=T   forgets token T

Query parameters of /data (all optional):
  size=N         generated body of N bytes (default 0)
  body=TEXT      literal body instead of the generated one
  stored=N       the body kept by /store under N (404 when there is none)
  ctype=TYPE     Content-Type (default application/octet-stream)
  status=N       status code of the reply (default 200; 206 when a range is served)
  redirects=N    answer 302 to the same URL with redirects=N-1 until 0
  ranges=0|1     honour Range headers (default 1)
  crange=TEXT    send this Content-Range verbatim on every reply (overrides ranges)
  full_from=N    answer a Range starting at byte N or later with the whole body (200), like
                 a server or proxy that honours some ranges and not others
  nolength=1     no Content-Length; the body ends when the connection closes
  endless=1      a reply to a request without a range or with an open-ended one ("N-")
                 sends a chunked body that runs on past the resource's end (the server
                 gives up after 64 MiB), like a hostile or broken server
  delay=MS       wait before sending the headers
  chunk=N        write the body in pieces of N bytes (default 16384)
  chunk_delay=MS wait between pieces
  rate=BPS       limit the body to BPS bytes per second on this connection
  drop=N         close the connection after N bytes of body
  first=N        apply delay/chunk_delay/drop/status/nolength/endless only to the first N requests
                 of this token; later ones are served cleanly
  after=N        spare the first N requests of this token from those faults (with
                 first=M the faults hit requests N+1 to N+M)
  for_ms=MS      apply those faults only to requests of this token that arrive within MS
                 of its first request (a service overloaded for a while, whoever asks)
  token=T        record the request under T for /stats
  hdr=NAME:VAL   extra response header (may repeat), e.g. hdr=Retry-After:2; with first=N
                 (or after=N) it goes only with the faulty replies, like status
  short=N        serve at most N bytes of a requested range (honest Content-Range and
                 Content-Length: the reply ends cleanly, short of the range asked for)
  shift=N        serve a requested range from N bytes after its start (honestly labelled)
  status_at=K    apply status=N only to the K-th request of this token (others 200/206)
  changed_at=K   from the K-th request of this token on, serve another version of the
                 resource: pattern_byte(i + 1000), size2 bytes (default size)
  size2=N        the size of that other version
  etag=1         send an ETag naming the version; honour If-Range (a request whose If-Range
                 names another version gets the whole body with 200)

Start: test_server.py --state-dir DIR  writes DIR/ports.json
({"http": port, "https": port, "cert": path}) once both listeners are up.
"""

import argparse
import http.server
import json
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse

PATTERN_PERIOD = 251


def pattern_byte(i):
    # A prime period: a part written at a wrong offset never lines up again.
    return (i * 7 + i // PATTERN_PERIOD) & 0xFF


# (7i + i/251) mod 256 repeats every 251 * 256 bytes.
_CYCLE = 251 * 256
_BLOCK = bytes(pattern_byte(i) for i in range(_CYCLE)) * 4


def pattern_bytes(start, length):
    off = start % _CYCLE
    if off + length <= len(_BLOCK):
        return _BLOCK[off:off + length]
    reps = (off + length) // _CYCLE + 1
    return (_BLOCK[:_CYCLE] * reps)[off:off + length]


class Stats:
    def __init__(self):
        self.lock = threading.Lock()
        self.by_token = {}

    def record(self, token, entry):
        with self.lock:
            self.by_token.setdefault(token, []).append(entry)
            return len(self.by_token[token])

    def get(self, token):
        with self.lock:
            return list(self.by_token.get(token, []))

    def reset(self, token):
        with self.lock:
            self.by_token.pop(token, None)


STATS = Stats()

# Bodies kept by /store, by name: files too large for a query string (a program to serve).
STORED = {}
STORED_LOCK = threading.Lock()


def parse_range(value, total):
    """Returns (start, end) inclusive, None when absent/unparsable, or 'bad'."""
    if not value or not value.startswith("bytes="):
        return None
    first_range = value[len("bytes="):].split(",")[0].strip()
    if "-" not in first_range:
        return None
    first, last = first_range.split("-", 1)
    try:
        if first == "":
            n = int(last)
            if n == 0:
                return "bad"
            return (max(0, total - n), total - 1)
        start = int(first)
        end = int(last) if last else total - 1
    except ValueError:
        return None
    if start >= total:
        return "bad"
    return (start, min(end, total - 1))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "LoaderTestServer/1.0"

    def log_message(self, fmt, *args):
        if os.environ.get("TEST_SERVER_VERBOSE"):
            sys.stderr.write("test-server: " + (fmt % args) + "\n")

    def do_GET(self):
        self.handle_request(head=False)

    def do_HEAD(self):
        self.handle_request(head=True)

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        data = self.rfile.read(length) if length else b""
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/store":
            name = urllib.parse.parse_qs(url.query).get("name", [""])[-1]
            with STORED_LOCK:
                STORED[name] = data
            self.send_simple(200, json.dumps({"name": name, "size": len(data)}))
            return
        self.handle_request(head=False)

    def send_simple(self, status, body, ctype="application/json"):
        data = body.encode()
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def handle_request(self, head):
        url = urllib.parse.urlsplit(self.path)
        q = urllib.parse.parse_qs(url.query, keep_blank_values=True)

        def opt(name, default=None):
            v = q.get(name)
            return v[-1] if v else default

        def num(name, default=0):
            try:
                return int(opt(name, default))
            except (TypeError, ValueError):
                return default

        if url.path == "/stats":
            entries = STATS.get(opt("token", ""))
            self.send_simple(200, json.dumps({"count": len(entries), "requests": entries}))
            return
        if url.path == "/reset":
            STATS.reset(opt("token", ""))
            self.send_simple(200, "{}")
            return
        if url.path != "/data":
            self.send_simple(404, '{"error":"unknown path"}')
            return

        token = opt("token")
        seq = 1
        if token is not None:
            seq = STATS.record(token, {
                "method": self.command,
                "path": self.path,
                "scheme": "https" if self.server.is_https else "http",
                "headers": {k: v for k, v in self.headers.items()},
                # When the request arrived (seconds, monotonic): tests measure retry spacing.
                "time": time.monotonic(),
            })
        after = max(0, num("after", 0))
        faults_on = seq > after and (num("first", 0) <= 0 or seq <= after + num("first", 0))
        if token is not None and num("for_ms", 0) > 0:
            recorded = STATS.get(token)
            faults_on = faults_on and (recorded[-1]["time"] - recorded[0]["time"]) * 1000 < num("for_ms")

        if faults_on and num("delay"):
            time.sleep(num("delay") / 1000.0)

        redirects = num("redirects")
        if redirects > 0:
            q2 = dict(q)
            q2["redirects"] = [str(redirects - 1)]
            location = "/data?" + urllib.parse.urlencode(q2, doseq=True)
            self.send_response(302)
            self.send_header("Location", location)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return

        if opt("stored") is not None:
            with STORED_LOCK:
                body = STORED.get(opt("stored"))
            if body is None:
                self.send_simple(404, '{"error":"nothing stored"}')
                return
            total = len(body)
            source = lambda start, n: body[start:start + n]
        elif opt("body") is not None:
            body = opt("body").encode()
            total = len(body)
            source = lambda start, n: body[start:start + n]
        else:
            total = max(0, num("size"))
            source = pattern_bytes

        version = 1
        if opt("changed_at") is not None and seq >= num("changed_at"):
            version = 2
            total = max(0, num("size2", total))
            source = lambda start, n: pattern_bytes(start + 1000, n)
        etag = '"v%d-%d"' % (version, total) if opt("etag") == "1" else None

        status = num("status", 200) if faults_on else 200
        if opt("status_at") is not None:
            status = num("status", 200) if seq == num("status_at") else 200
        start, end = 0, total - 1
        crange = opt("crange")
        rng = None
        if crange is None and opt("ranges", "1") != "0":
            rng = parse_range(self.headers.get("Range"), total)
            if (opt("full_from") is not None and rng not in (None, "bad")
                    and rng[0] >= num("full_from")):
                rng = None
            if_range = self.headers.get("If-Range")
            if etag is not None and if_range is not None and if_range != etag:
                rng = None
            if rng not in (None, "bad") and faults_on:
                if opt("shift") is not None:
                    rng = (min(rng[0] + num("shift"), rng[1]), rng[1])
                if opt("short") is not None:
                    rng = (rng[0], min(rng[1], rng[0] + max(1, num("short")) - 1))
        if rng == "bad":
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % total)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if rng is not None:
            start, end = rng
            if opt("status") is None or (opt("status_at") is not None and status == 200):
                status = 206
        length = max(0, end - start + 1)

        nolength = opt("nolength") == "1" and faults_on
        asked = self.headers.get("Range", "").strip()
        endless = opt("endless") == "1" and faults_on and (not asked or asked.endswith("-"))
        self.send_response(status)
        self.send_header("Content-Type", opt("ctype", "application/octet-stream"))
        self.send_header("Accept-Ranges", "bytes" if opt("ranges", "1") != "0" else "none")
        if crange is not None:
            self.send_header("Content-Range", crange)
        elif rng is not None:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, total))
        if etag is not None:
            self.send_header("ETag", etag)
        if endless:
            self.send_header("Transfer-Encoding", "chunked")
        elif nolength:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(length))
        for h in q.get("hdr", []) if faults_on else []:
            if ":" in h:
                name, value = h.split(":", 1)
                self.send_header(name.strip(), value.strip())
        self.end_headers()
        if head or status in (204, 304):
            return

        chunk = max(1, num("chunk", 16384))
        if endless:
            self.send_endless(source, start, chunk)
            return
        chunk_delay = num("chunk_delay") if faults_on else 0
        drop = num("drop", -1) if faults_on else -1
        rate = num("rate")
        sent = 0
        began = time.monotonic()
        try:
            while sent < length:
                n = min(chunk, length - sent)
                if drop >= 0 and sent + n > drop:
                    n = drop - sent
                if n > 0:
                    self.wfile.write(source(start + sent, n))
                    sent += n
                if drop >= 0 and sent >= drop:
                    self.wfile.flush()
                    self.close_connection = True
                    self.connection.shutdown(socket.SHUT_RDWR)
                    return
                if chunk_delay and sent < length:
                    self.wfile.flush()
                    time.sleep(chunk_delay / 1000.0)
                if rate > 0:
                    ahead = sent / rate - (time.monotonic() - began)
                    if ahead > 0:
                        self.wfile.flush()
                        time.sleep(ahead)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            self.close_connection = True


    ENDLESS_LIMIT = 64 << 20

    def send_endless(self, source, start, chunk):
        sent = 0
        try:
            while sent < self.ENDLESS_LIMIT:
                data = source(start + sent, chunk)
                data += pattern_bytes(start + sent + len(data), chunk - len(data))
                self.wfile.write(b"%x\r\n" % len(data) + data + b"\r\n")
                sent += len(data)
            self.wfile.write(b"0\r\n\r\n")
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, is_https, context=None):
        super().__init__(("127.0.0.1", 0), Handler)
        self.is_https = is_https
        self.context = context

    def get_request(self):
        sock, addr = super().get_request()
        if self.context is not None:
            # Handshake in the worker thread, not here, so one slow client
            # cannot stall the accept loop.
            sock = self.context.wrap_socket(sock, server_side=True,
                                            do_handshake_on_connect=False)
        return sock, addr

    def finish_request(self, request, client_address):
        if self.context is not None:
            try:
                request.settimeout(30)
                request.do_handshake()
                request.settimeout(None)
            except (ssl.SSLError, OSError):
                return
        super().finish_request(request, client_address)


def make_certificate(state_dir):
    cert = os.path.join(state_dir, "cert.pem")
    key = os.path.join(state_dir, "key.pem")
    if not (os.path.exists(cert) and os.path.exists(key)):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
             "-keyout", key, "-out", cert, "-days", "30", "-subj", "/CN=127.0.0.1",
             "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def start(state_dir):
    """Starts both listeners in background threads; returns (http, https, cert)."""
    os.makedirs(state_dir, exist_ok=True)
    cert, key = make_certificate(state_dir)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    plain = Server(False)
    secure = Server(True, context)
    for srv in (plain, secure):
        threading.Thread(target=srv.serve_forever, daemon=True).start()
    return plain, secure, cert


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--state-dir", required=True)
    args = ap.parse_args()
    plain, secure, cert = start(args.state_dir)
    ports = {"http": plain.server_address[1], "https": secure.server_address[1], "cert": cert}
    tmp = os.path.join(args.state_dir, "ports.json.tmp")
    with open(tmp, "w") as f:
        json.dump(ports, f)
    os.replace(tmp, os.path.join(args.state_dir, "ports.json"))
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
