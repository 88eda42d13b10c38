#!/usr/bin/env python3
"""A small HTTP proxy on 127.0.0.1 for the tests, recording everything that went through it.

  CONNECT host:port    a tunnel (https through the proxy): 200, then bytes both ways
  GET http://h:p/path  a plain request in absolute form, passed on with "Connection: close"

With --ask-auth every request is answered 407 with "Proxy-Authenticate: Negotiate" and
"Proxy-Authenticate: NTLM", also when it carries credentials (the proxy knows nobody): a
proxy that refuses the player.

Each request is one JSON line in DIR/requests.jsonl: {"time", "method", "target",
"auth"} where auth is the scheme word of a Proxy-Authorization header ("" without one);
the credentials themselves are never written.

Start: test_proxy.py --state-dir DIR [--ask-auth]  writes DIR/port once it listens.
"""

import argparse
import json
import os
import select
import socket
import socketserver
import threading
import time

LOG_LOCK = threading.Lock()


def read_head(conn):
    """The request head (up to the blank line) and whatever came after it."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return None, b""
        data += chunk
        if len(data) > 1 << 20:
            return None, b""
    head, _, rest = data.partition(b"\r\n\r\n")
    return head.decode("latin-1"), rest


def relay(a, b):
    """Copies bytes both ways until either side closes."""
    sockets = [a, b]
    while True:
        ready, _, _ = select.select(sockets, [], [], 60)
        if not ready:
            return
        for s in ready:
            try:
                chunk = s.recv(65536)
            except OSError:
                return
            if not chunk:
                return
            (b if s is a else a).sendall(chunk)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        while True:
            head, rest = read_head(conn)
            if head is None:
                return
            lines = head.split("\r\n")
            method, target, _ = (lines[0].split(" ") + ["", ""])[:3]
            headers = []
            auth = ""
            for line in lines[1:]:
                name, _, value = line.partition(":")
                if name.strip().lower() == "proxy-authorization":
                    auth = value.strip().split(" ")[0]
                    continue
                headers.append((name.strip(), value.strip()))
            self.server.record({"time": time.monotonic(), "method": method, "target": target,
                                "auth": auth})
            if self.server.ask_auth:
                conn.sendall(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                             b"Proxy-Authenticate: Negotiate\r\nProxy-Authenticate: NTLM\r\n"
                             b"Content-Length: 0\r\n\r\n")
                continue  # the same connection may come back with credentials
            if method == "CONNECT":
                self.tunnel(conn, target, rest)
            else:
                self.forward(conn, method, target, headers, rest)
            return

    def tunnel(self, conn, target, rest):
        host, _, port = target.rpartition(":")
        try:
            upstream = socket.create_connection((host.strip("[]"), int(port)), timeout=10)
        except (OSError, ValueError):
            conn.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        with upstream:
            upstream.settimeout(None)
            conn.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
            if rest:
                upstream.sendall(rest)
            relay(conn, upstream)

    def forward(self, conn, method, target, headers, rest):
        if not target.startswith("http://"):
            conn.sendall(b"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
            return
        authority, slash, path = target[len("http://"):].partition("/")
        host, _, port = authority.rpartition(":") if ":" in authority else (authority, "", "80")
        try:
            upstream = socket.create_connection((host, int(port or 80)), timeout=10)
        except (OSError, ValueError):
            conn.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        with upstream:
            upstream.settimeout(None)
            kept = [(n, v) for n, v in headers
                    if n.lower() not in ("connection", "proxy-connection", "keep-alive")]
            head = "%s /%s HTTP/1.1\r\n" % (method, path if slash else "")
            head += "".join("%s: %s\r\n" % (n, v) for n, v in kept) + "Connection: close\r\n\r\n"
            upstream.sendall(head.encode("latin-1") + rest)
            while True:
                chunk = upstream.recv(65536)
                if not chunk:
                    break
                conn.sendall(chunk)


class Proxy(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, state_dir, ask_auth):
        super().__init__(("127.0.0.1", 0), Handler)
        self.ask_auth = ask_auth
        self.log_path = os.path.join(state_dir, "requests.jsonl")

    def record(self, entry):
        with LOG_LOCK, open(self.log_path, "a") as f:
            f.write(json.dumps(entry) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--state-dir", required=True)
    ap.add_argument("--ask-auth", action="store_true")
    args = ap.parse_args()
    proxy = Proxy(args.state_dir, args.ask_auth)
    tmp = os.path.join(args.state_dir, "port.tmp")
    with open(tmp, "w") as f:
        f.write(str(proxy.server_address[1]))
    os.replace(tmp, os.path.join(args.state_dir, "port"))
    proxy.serve_forever()


if __name__ == "__main__":
    main()
