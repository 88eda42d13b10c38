#!/usr/bin/env python3
"""Tests of the scripted test server: every behaviour later tests rely on."""

import http.client
import json
import os
import socket
import ssl
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_server  # noqa: E402


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.plain, cls.secure, cls.cert = test_server.start(cls.tmp.name)
        cls.port = cls.plain.server_address[1]
        cls.sport = cls.secure.server_address[1]

    @classmethod
    def tearDownClass(cls):
        cls.plain.shutdown()
        cls.secure.shutdown()
        cls.tmp.cleanup()

    def conn(self, https=False):
        if https:
            ctx = ssl.create_default_context(cafile=self.cert)
            return http.client.HTTPSConnection("127.0.0.1", self.sport, context=ctx, timeout=10)
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)

    def get(self, path, headers=None, method="GET", https=False):
        c = self.conn(https)
        c.request(method, path, headers=headers or {})
        r = c.getresponse()
        body = r.read()
        c.close()
        return r, body

    def stats(self, token):
        return json.loads(self.get("/stats?token=" + token)[1])

    def test_generated_body_matches_pattern_over_both_schemes(self):
        for https in (False, True):
            r, body = self.get("/data?size=200000", https=https)
            self.assertEqual(r.status, 200)
            self.assertEqual(int(r.getheader("Content-Length")), 200000)
            self.assertEqual(body, test_server.pattern_bytes(0, 200000))
        self.assertEqual(test_server.pattern_byte(300), (300 * 7 + 1) & 0xFF)

    def test_keep_alive_serves_several_requests_on_one_connection(self):
        c = self.conn()
        for size in (10, 20, 30):
            c.request("GET", "/data?size=%d" % size)
            r = c.getresponse()
            self.assertEqual(len(r.read()), size)
        c.close()

    def test_literal_body_status_and_extra_headers(self):
        r, body = self.get("/data?body=%7B%22a%22%3A1%7D&ctype=application/json&status=204&hdr=X-One:1")
        self.assertEqual(r.status, 204)
        self.assertEqual(body, b"")
        r, body = self.get("/data?body=hello&status=404&hdr=X-One:%201")
        self.assertEqual((r.status, body, r.getheader("X-One")), (404, b"hello", "1"))

    def test_stored_body_is_served_like_a_literal_one(self):
        data = bytes(range(256)) * 40
        c = self.conn()
        c.request("POST", "/store?name=prog", body=data)
        r = c.getresponse()
        self.assertEqual((r.status, json.loads(r.read())), (200, {"name": "prog", "size": 10240}))
        c.close()
        r, body = self.get("/data?stored=prog", https=True)
        self.assertEqual((r.status, body), (200, data))
        r, body = self.get("/data?stored=prog", {"Range": "bytes=2-"})
        self.assertEqual((r.status, body), (206, data[2:]))
        self.assertEqual(self.get("/data?stored=other")[0].status, 404)

    def test_ranges_served_or_ignored(self):
        r, body = self.get("/data?size=1000", {"Range": "bytes=100-199"})
        self.assertEqual(r.status, 206)
        self.assertEqual(r.getheader("Content-Range"), "bytes 100-199/1000")
        self.assertEqual(body, test_server.pattern_bytes(100, 100))
        r, body = self.get("/data?size=1000", {"Range": "bytes=2-"})
        self.assertEqual(r.getheader("Content-Range"), "bytes 2-999/1000")
        self.assertEqual(len(body), 998)
        r, body = self.get("/data?size=1000&ranges=0", {"Range": "bytes=2-"})
        self.assertEqual((r.status, len(body), r.getheader("Content-Range")), (200, 1000, None))
        r, _ = self.get("/data?size=10", {"Range": "bytes=20-"})
        self.assertEqual((r.status, r.getheader("Content-Range")), (416, "bytes */10"))
        r, _ = self.get("/data?size=10&crange=bytes%200-1/xyz")
        self.assertEqual(r.getheader("Content-Range"), "bytes 0-1/xyz")

    def test_full_from_ignores_only_later_ranges(self):
        r, body = self.get("/data?size=1000&full_from=500", {"Range": "bytes=100-199"})
        self.assertEqual((r.status, len(body)), (206, 100))
        r, body = self.get("/data?size=1000&full_from=500", {"Range": "bytes=500-"})
        self.assertEqual((r.status, body), (200, test_server.pattern_bytes(0, 1000)))

    def test_head_sends_headers_only(self):
        r, body = self.get("/data?size=5000", {"Range": "bytes=2-"}, method="HEAD")
        self.assertEqual((r.status, body, r.getheader("Content-Range")), (206, b"", "bytes 2-4999/5000"))

    def test_redirect_chain_counts_down(self):
        c = self.conn()
        path = "/data?redirects=3&size=5"
        for expected in (2, 1, 0):
            c.request("GET", path)
            r = c.getresponse()
            r.read()
            self.assertEqual(r.status, 302)
            path = r.getheader("Location")
            self.assertIn("redirects=%d" % expected, path)
        c.request("GET", path)
        r = c.getresponse()
        self.assertEqual((r.status, r.read()), (200, test_server.pattern_bytes(0, 5)))
        c.close()

    def test_drop_cuts_the_body(self):
        c = self.conn()
        c.request("GET", "/data?size=100000&drop=1000&chunk=300")
        r = c.getresponse()
        with self.assertRaises(http.client.IncompleteRead) as cm:
            r.read()
        self.assertEqual(cm.exception.partial, test_server.pattern_bytes(0, 1000))
        c.close()

    def test_nolength_ends_with_connection(self):
        r, body = self.get("/data?size=3000&nolength=1")
        self.assertIsNone(r.getheader("Content-Length"))
        self.assertEqual(len(body), 3000)
        # A spared request (after=1) keeps its length.
        token = "nolength-%d" % os.getpid()
        for expected in ("3000", None):
            r, body = self.get("/data?size=3000&nolength=1&after=1&token=" + token, method="HEAD")
            self.assertEqual(r.getheader("Content-Length"), expected)

    def test_endless_runs_past_the_end_of_unbounded_replies_only(self):
        for headers in ({}, {"Range": "bytes=100-"}):
            c = self.conn()
            c.request("GET", "/data?size=1000&endless=1", headers=headers)
            r = c.getresponse()
            self.assertEqual(r.getheader("Transfer-Encoding"), "chunked")
            start = 100 if headers else 0
            body = r.read(5000)
            self.assertEqual(body, test_server.pattern_bytes(start, 5000))
            c.close()
        r, body = self.get("/data?size=1000&endless=1", headers={"Range": "bytes=100-199"})
        self.assertEqual(r.status, 206)
        self.assertEqual(body, test_server.pattern_bytes(100, 100))

    def test_delays_and_rate(self):
        began = time.monotonic()
        self.get("/data?size=10&delay=300")
        self.assertGreaterEqual(time.monotonic() - began, 0.3)
        began = time.monotonic()
        self.get("/data?size=4&chunk=1&chunk_delay=100")
        self.assertGreaterEqual(time.monotonic() - began, 0.3)
        began = time.monotonic()
        _, body = self.get("/data?size=20000&rate=50000&chunk=1000")
        self.assertEqual(len(body), 20000)
        self.assertGreaterEqual(time.monotonic() - began, 0.35)

    def test_first_limits_faults_to_early_requests_of_a_token(self):
        # A storm of 503s naming Retry-After, then a clean reply without the header; each
        # request's arrival time is recorded in order.
        path = "/data?size=10&status=503&first=2&hdr=Retry-After:2&token=f1"
        for _ in range(2):
            r, _ = self.get(path)
            self.assertEqual((r.status, r.getheader("Retry-After")), (503, "2"))
            time.sleep(0.05)
        r, body = self.get(path)
        self.assertEqual((r.status, len(body), r.getheader("Retry-After")), (200, 10, None))
        times = [e["time"] for e in self.stats("f1")["requests"]]
        self.assertEqual(len(times), 3)
        self.assertTrue(all(later - earlier >= 0.05 for earlier, later in zip(times, times[1:])))

    def test_after_spares_the_first_requests_of_a_token(self):
        statuses = [self.get("/data?size=10&status=500&after=1&first=1&token=a1")[0].status
                    for _ in range(3)]
        self.assertEqual(statuses, [200, 500, 200])
        statuses = [self.get("/data?size=10&status=500&after=2&token=a2")[0].status
                    for _ in range(4)]
        self.assertEqual(statuses, [200, 200, 500, 500])
        # for_ms: a storm that lasts a while from the token's first request, then ends.
        path = "/data?size=10&status=503&for_ms=300&token=a3"
        statuses = [self.get(path)[0].status]
        time.sleep(0.35)
        statuses.append(self.get(path)[0].status)
        self.assertEqual(statuses, [503, 200])

    def test_stats_record_method_and_headers_per_token(self):
        self.get("/data?size=10&token=s1", {"Range": "bytes=2-", "X-Test": "yes"})
        self.get("/data?size=10&token=s1", method="HEAD")
        self.get("/data?size=10&token=other")
        st = self.stats("s1")
        self.assertEqual(st["count"], 2)
        self.assertEqual(st["requests"][0]["headers"]["Range"], "bytes=2-")
        self.assertEqual(st["requests"][0]["headers"]["X-Test"], "yes")
        self.assertEqual(st["requests"][1]["method"], "HEAD")
        self.get("/reset?token=s1")
        self.assertEqual(self.stats("s1")["count"], 0)

    def test_https_rejects_plain_text_without_stalling_others(self):
        s = socket.create_connection(("127.0.0.1", self.sport), timeout=5)
        s.sendall(b"GET / HTTP/1.1\r\n\r\n")
        r, body = self.get("/data?size=10", https=True)
        self.assertEqual(len(body), 10)
        s.close()


if __name__ == "__main__":
    unittest.main()
