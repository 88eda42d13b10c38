#!/usr/bin/env python3
"""End-to-end tests of the real loader.exe under wine on the test display (code page 936).

Each test takes a copy of the product with its built-in version service URL replaced by one
on the local test server (the URL is a fixed 256-byte array in the executable), puts the
client's Uninstall entry into the wine prefix's registry as the case needs, runs the copy,
watches and drives its window from outside (window_probe.exe, screenshots of the X display)
and reads what the stand-in programs recorded about how they were started.

Environment (set by ctest and the test script): LOADER_EXE, LOADER_PINNED_EXE,
LOADER_PIN_PLACEHOLDER, LOADER_EXE_LOGGED and LOADER_EXE_FOUR (the product built with the
diagnostic log, and with it and four package connections), LOADER_EXE_PROXIED (with the log
and the player's proxy settings), LOADER_EXE_FAILURE_SCREEN (with the log and the failure
screen), LOADER_EXE_DETAILED (with the log, the failure screen and the detailed skin; empty
where the tree's skin is not the default one), LOADER_OTHER_EXE and
LOADER_OTHER_PUBLISHER (a loader configured with another client name, Uninstall key, query
version and channel, and those four, comma-separated), LOADER_BUILTIN_URL, LOADER_PROBE,
LOADER_TEST_FIXTURES, LOADER_SKIN_ART, LOADER_TEST_HTTP_PORT, LOADER_TEST_HTTPS_PORT,
LOADER_TEST_CERT, DISPLAY, WINEPREFIX, ROOT (the repository).

Index: helpers (server, registry, running, screenshots) | window tests | update flow tests |
ways out | progress | trust | field options (diagnostic log, package connections) | squatting |
planting | the player's proxy | what the player sees (failure screen)
"""

import base64
import hashlib
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import urllib.parse
import urllib.request
import uuid

from service_url_patch import patch_texts

ENV = os.environ
WINE_RUN = os.path.join(ENV.get("ROOT", ""), "scripts", "wine-run.sh")
# The wine loader of the tree under test (wine64's own for the 64-bit tree), for wine's tools.
WINE = ENV.get("LOADER_WINE", "wine")
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
UNINSTALL_ROOT = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\"
UNINSTALL_KEY = UNINSTALL_ROOT + "Tesmar"
QUERY = "?version=1.0.0.1&channel=1002"
WINDOW_W, WINDOW_H = 541, 402
RUN_TIMEOUT = 30

# ---------------------------------------------------------------------------------------------
# Helpers: the test server
# ---------------------------------------------------------------------------------------------


def server_url(path, https=True):
    port = ENV["LOADER_TEST_HTTPS_PORT" if https else "LOADER_TEST_HTTP_PORT"]
    return "%s://127.0.0.1:%s%s" % ("https" if https else "http", port, path)


def store(body):
    """Keeps body on the test server; returns the name it is served under."""
    name = "e2e-" + uuid.uuid4().hex[:12]
    data = body.encode() if isinstance(body, str) else body
    req = urllib.request.Request(server_url("/store?name=" + name, https=False), data=data, method="POST")
    with urllib.request.urlopen(req, timeout=10) as reply:
        assert reply.status == 200
    return name


def stats(token):
    with urllib.request.urlopen(server_url("/stats?token=" + token, https=False), timeout=10) as reply:
        return json.loads(reply.read().decode())


def service_base(reply_text, token, https=True):
    """A base URL for the loader whose GET returns reply_text; the loader's query lands in tail."""
    return server_url("/data?stored=%s&ctype=application/json&token=%s&tail=" % (store(reply_text), token),
                      https)


def package_url(data, token, extra=""):
    return server_url("/data?stored=%s&token=%s%s" % (store(data), token, extra))


def reply(url, version):
    return json.dumps({"url": url, "version": version})


def installer_bytes():
    with open(os.path.join(ENV["LOADER_TEST_FIXTURES"], "installer", "installer.exe"), "rb") as f:
        return f.read()


# ---------------------------------------------------------------------------------------------
# Helpers: registry, files, running
# ---------------------------------------------------------------------------------------------


def wine_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def quiet(args):
    return subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def set_install_location(folder, key=UNINSTALL_KEY):
    quiet([WINE, "reg", "add", key, "/v", "InstallLocation", "/t", "REG_SZ", "/d", folder,
           "/f", "/reg:32"])


def remove_install_location(key=UNINSTALL_KEY):
    quiet([WINE, "reg", "delete", key, "/f", "/reg:32"])


def client_folder(variant):
    return wine_path(os.path.join(ENV["LOADER_TEST_FIXTURES"], variant)) + "\\"


class Loader:
    """A patched copy of loader.exe (or of a variant), started under wine, with its start
    records."""

    def __init__(self, base_url, workdir, pin=None, exe=None):
        """With a pin, the copy is of the pinned product build, carrying that pin; exe names
        another build to copy."""
        self.path = os.path.join(workdir, "loader.exe")
        texts = [(ENV["LOADER_BUILTIN_URL"], base_url, 256)]
        if pin is not None:
            texts.append((ENV["LOADER_PIN_PLACEHOLDER"], pin, 512))
        source = exe or ENV["LOADER_PINNED_EXE" if pin is not None else "LOADER_EXE"]
        patch_texts(source, self.path, texts)
        self.records = os.path.join(workdir, "records.txt")
        self.proc = None

    def start(self, *args, cwd=None, env=None):
        """cwd: the loader's current directory (the test's own by default); env: variables
        added to its environment."""
        run_env = dict(ENV)
        run_env.update(env or {})
        run_env["LOADER_TEST_RECORD"] = wine_path(self.records)
        self.proc = subprocess.Popen([WINE_RUN, self.path] + list(args), env=run_env, cwd=cwd,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def wait(self, timeout=RUN_TIMEOUT):
        return self.proc.wait(timeout=timeout)

    def started(self, count=1, timeout=10.0):
        """The stand-ins' records, waiting up to timeout for count of them."""
        deadline = time.time() + timeout
        while True:
            found = self.read_records()
            if len(found) >= count or time.time() > deadline:
                return found
            time.sleep(0.1)

    def read_records(self):
        if not os.path.exists(self.records):
            return []
        with open(self.records, "rb") as f:
            text = f.read().decode("latin-1")
        found, current = [], {}
        for line in text.replace("\r\n", "\n").split("\n"):
            key, _, value = line.partition("=")
            if key == "end":
                found.append(current)
                current = {}
            elif key:
                current[key] = value
        return found

    def kill(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def probe(*args, timeout=20):
    out = subprocess.run([WINE_RUN, ENV["LOADER_PROBE"]] + [str(a) for a in args], capture_output=True,
                         timeout=timeout)
    return out.returncode, out.stdout.decode().strip()


def accessible():
    """The window's client object as another process (a screen reader) reads it: its name
    and, per child, (role, name, value), "-" for none."""
    code, out = probe("accessible")
    lines = out.splitlines() or [""]
    return lines[0], [tuple(line.split("\t")) for line in lines[1:]]


# Roles of accessible objects.
ROLE_STATICTEXT, ROLE_PUSHBUTTON, ROLE_PROGRESSBAR = "41", "43", "48"


def wait_window(timeout_ms=15000):
    code, out = probe("wait", timeout_ms, timeout=timeout_ms / 1000 + 10)
    if code != 0:
        return None
    return [int(v) for v in out.split()]


# ---------------------------------------------------------------------------------------------
# Helpers: screenshots
# ---------------------------------------------------------------------------------------------


class Picture:
    """RGB pixels of a PNG file (a screenshot or one of the skin's pictures)."""

    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, check=True)
        self.width, self.height = [int(v) for v in size.stdout.decode().split()]
        self.data = subprocess.run(["convert", path, "-alpha", "off", "rgb:-"], capture_output=True,
                                   check=True).stdout

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return Picture(path)


def close(a, b, tolerance=6):
    return all(abs(a[i] - b[i]) <= tolerance for i in range(3))


def fill_columns(shot, left, top):
    """How many columns of the bar (378 wide, at left+130, top+369) show the warm fill."""
    y = top + 369 + 7
    count = 0
    for x in range(left + 130, left + 508):
        r, g, b = shot.at(x, y)
        if r > 150 and r > b + 60:
            count += 1
    return count


# ---------------------------------------------------------------------------------------------
# Test base
# ---------------------------------------------------------------------------------------------


class LoaderCase(unittest.TestCase):
    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="loader-e2e-", dir=ENV.get("LOADER_E2E_TMP"))
        self.token = "e2e-" + uuid.uuid4().hex[:12]
        self.loader = None
        remove_install_location()

    def tearDown(self):
        if self.loader is not None:
            self.loader.kill()
        remove_install_location()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def run_loader(self, base_url, *args, pin=None, exe=None):
        self.loader = Loader(base_url, self.workdir, pin, exe).start(*args)
        return self.loader

    def slow_download(self, size=4 << 20, rate=200000, delay=0):
        """A service reply pointing at a throttled package of generated bytes."""
        url = server_url("/data?size=%d&rate=%d&delay=%d&token=%s-pkg" % (size, rate, delay, self.token))
        return service_base(reply(url, "9.9.9.9"), self.token)


# ---------------------------------------------------------------------------------------------
# The window
# ---------------------------------------------------------------------------------------------


class Window(LoaderCase):
    def test_centred_rounded_and_painted_with_the_skin(self):
        # The package's answers are held back, so no progress report comes while we look.
        loader = self.run_loader(self.slow_download(delay=8000))
        geometry = wait_window()
        self.assertIsNotNone(geometry, "no visible loader window")
        left, top, right, bottom, cw, ch = geometry
        self.assertEqual((right - left, bottom - top), (WINDOW_W, WINDOW_H))
        self.assertEqual((cw, ch), (WINDOW_W, WINDOW_H), "the whole window is client area")
        # Centred on the 1280 x 1024 test screen, each half rounded toward zero.
        self.assertEqual((left, top), (1280 // 2 - WINDOW_W // 2, 1024 // 2 - WINDOW_H // 2))

        code, region = probe("region")
        kind, corners, centre = region.split()
        self.assertIn(kind, ("2", "3"), "a rounded region is set")
        self.assertEqual((corners, centre), ("0000", "1"))

        time.sleep(0.5)
        shot = screenshot(os.path.join(ENV.get("LOADER_E2E_TMP", self.workdir), "e2e-window.png"))
        art = ENV["LOADER_SKIN_ART"]
        wheel = Picture(os.path.join(art, "wheel_122.png"))
        background = Picture(os.path.join(art, "bg_110.png"))
        black = (0, 0, 0)
        # Corner pixels are outside the region: the empty screen shows through.
        for x, y in ((0, 0), (WINDOW_W - 1, 0), (0, WINDOW_H - 1), (WINDOW_W - 1, WINDOW_H - 1)):
            self.assertEqual(shot.at(left + x, top + y), black, "corner %d,%d" % (x, y))
        # The upper picture over its 538 x 355 area, the background beside and below it.
        # Both pictures are stretched over the full width of their layouts (541 pixels).
        for x, y in ((20, 20), (270, 100), (390, 215), (500, 300), (10, 340), (535, 120)):
            sx = x * 538 // WINDOW_W
            self.assertTrue(close(shot.at(left + x, top + y), wheel.at(sx, y)),
                            "upper picture at %d,%d: %s vs %s" % (x, y, shot.at(left + x, top + y), wheel.at(sx, y)))
        for x, y in ((5, 390), (300, 398), (60, 360), (530, 380)):
            self.assertTrue(close(shot.at(left + x, top + y), background.at(x * 540 // WINDOW_W, y)),
                            "background at %d,%d: %s vs %s" % (x, y, shot.at(left + x, top + y), background.at(x, y)))

        # The label "正在准备安装" in its colour: six full-width glyphs of the 14-pixel font span
        # some 84 pixels; question marks in their place would cover about half of that.
        warm = [(x, y) for y in range(369, 387) for x in range(20, 120)
                if shot.at(left + x, top + y)[0] > 110 and shot.at(left + x, top + y)[0] > shot.at(left + x, top + y)[2] + 40]
        self.assertGreater(len(warm), 250, "label pixels")
        self.assertGreater(max(x for x, _ in warm) - min(x for x, _ in warm), 70, "label width")

        # The skin's 98 % shows before the first report (the package's first bytes are slow).
        code, value = probe("progress")
        if value != "none":
            self.assertEqual(value, "98")
        else:
            self.assertAlmostEqual(fill_columns(shot, left, top), 370, delta=4)
        # Read from another process as a screen reader reads it: the client area named by the
        # window's title, the label and the bar with its percentage.
        self.assertEqual(accessible(), ("Loader", [(ROLE_STATICTEXT, skin_text("status"), "-"),
                                                   (ROLE_PROGRESSBAR, "-", "98%")]))

        # Minimising and restoring keeps the corners.
        probe("minrestore")
        code, region = probe("region")
        self.assertEqual(region.split()[1:], ["0000", "1"])
        time.sleep(0.3)
        again = screenshot(os.path.join(self.workdir, "restored.png"))
        self.assertEqual(again.at(left, top), black)
        self.assertTrue(close(again.at(left + 20, top + 20), wheel.at(20, 20)))

        probe("escape")
        self.assertEqual(loader.wait(), 0)

    def test_top_band_drags_and_the_rest_is_client_area(self):
        loader = self.run_loader(self.slow_download())
        self.assertIsNotNone(wait_window())
        answers = {(x, y): probe("hittest", x, y)[1] for x, y in
                   ((0, 0), (270, 50), (540, 99), (270, 100), (270, 200), (20, 370), (300, 376))}
        for (x, y), answer in answers.items():
            self.assertEqual(answer, "2" if y < 100 else "1", "hit test at %d,%d" % (x, y))
        probe("escape")
        self.assertEqual(loader.wait(), 0)


    def test_at_144_dpi_the_window_its_region_text_and_pictures_are_half_as_large_again(self):
        # The display's scale as the user sets it; every program started from now on sees it.
        quiet([WINE, "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144",
               "/f"])
        self.addCleanup(quiet, [WINE, "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f"])
        loader = self.run_loader(self.slow_download(delay=8000))
        geometry = wait_window()
        self.assertIsNotNone(geometry, "no visible loader window")
        left, top, right, bottom, cw, ch = geometry
        w, h = 812, 603  # 541 x 402 at 150 %
        self.assertEqual((right - left, bottom - top, cw, ch), (w, h, w, h))
        self.assertEqual((left, top), (1280 // 2 - w // 2, 1024 // 2 - h // 2))
        code, region = probe("region")
        self.assertEqual(region.split()[1:], ["0000", "1"], "the rounded region spans the window")
        # The drag band is the top 150 pixels now.
        self.assertEqual([probe("hittest", 400, y)[1] for y in (149, 150)], ["2", "1"])

        time.sleep(0.5)
        shot = screenshot(os.path.join(ENV.get("LOADER_E2E_TMP", self.workdir), "e2e-window-144.png"))
        art = ENV["LOADER_SKIN_ART"]
        wheel = Picture(os.path.join(art, "wheel_122.png"))
        for x, y in ((30, 30), (405, 150), (585, 322), (750, 450)):
            sx, sy = x * 538 // w, y * 355 // 533
            self.assertTrue(close(shot.at(left + x, top + y), wheel.at(sx, sy), tolerance=24),
                            "upper picture at %d,%d: %s vs %s" % (x, y, shot.at(left + x, top + y),
                                                                 wheel.at(sx, sy)))
        # The label in a font half as large again: at 96 DPI its ink spans some 84 x 13 pixels.
        warm = [(x, y) for y in range(548, 590) for x in range(25, 190)
                if shot.at(left + x, top + y)[0] > 110 and shot.at(left + x, top + y)[0] > shot.at(left + x, top + y)[2] + 40]
        self.assertGreater(len(warm), 450, "label pixels")
        self.assertGreater(max(x for x, _ in warm) - min(x for x, _ in warm), 110, "label width")
        self.assertGreater(max(y for _, y in warm) - min(y for _, y in warm), 16, "label height")
        # The bar (378 wide at 96 DPI) fills 98 % of its 567 pixels.
        y = top + 564
        fill = sum(1 for x in range(left + 195, left + 762)
                   if shot.at(x, y)[0] > 150 and shot.at(x, y)[0] > shot.at(x, y)[2] + 60)
        self.assertAlmostEqual(fill, 555, delta=6)
        probe("escape")
        self.assertEqual(loader.wait(), 0)


# ---------------------------------------------------------------------------------------------
# The update flow through the real program
# ---------------------------------------------------------------------------------------------


class UpdateFlow(LoaderCase):
    def assert_query(self):
        requests = stats(self.token)["requests"]
        self.assertGreaterEqual(len(requests), 1)
        self.assertTrue(requests[0]["path"].endswith("&tail=" + QUERY), requests[0]["path"])

    def test_current_client_is_launched_and_arguments_change_nothing(self):
        set_install_location(client_folder("v2.3.0.11"))
        for args in ((), ("/?", "silence", "ignore-update", "C:\\file.txt")):
            with self.subTest(args=args):
                base = service_base(reply(server_url("/never"), "2.3.0.11"), self.token)
                loader = self.run_loader(base, *args)
                self.assertEqual(loader.wait(), 0)
                records = loader.started()
                self.assertEqual(len(records), 1)
                self.assertTrue(records[0]["exe"].endswith("v2.3.0.11\\Kestrun.exe"), records[0]["exe"])
                self.assertEqual(records[0]["cmdline"], "ignore-update")
                self.assertEqual(records[0]["installpath-state"], "unset")
                os.remove(loader.records)
        self.assert_query()

    def test_a_publishers_own_names_are_used(self):
        client, key, version, channel = ENV["LOADER_OTHER_PUBLISHER"].split(",")
        key = UNINSTALL_ROOT + key
        # The default key points at a current default client: it must not be the one found.
        set_install_location(client_folder("v2.3.0.11"))
        set_install_location(client_folder("publisher-client"), key)
        try:
            base = service_base(reply(server_url("/never"), "3.1.0.2"), self.token)
            loader = self.run_loader(base, exe=ENV["LOADER_OTHER_EXE"])
            self.assertEqual(loader.wait(), 0)
            records = loader.started()
            self.assertEqual(len(records), 1)
            self.assertTrue(records[0]["exe"].endswith("publisher-client\\" + client), records[0]["exe"])
            self.assertEqual(records[0]["cmdline"], "ignore-update")
        finally:
            remove_install_location(key)
        requests = stats(self.token)["requests"]
        self.assertGreaterEqual(len(requests), 1)
        self.assertTrue(requests[0]["path"].endswith("&tail=?version=%s&channel=%s" % (version, channel)),
                        requests[0]["path"])

    def test_another_publishers_loader_runs_beside_this_one(self):
        # One loader per session and publisher: a running loader of this publisher does not
        # turn away another publisher's loader.
        client, key = ENV["LOADER_OTHER_PUBLISHER"].split(",")[:2]
        key = UNINSTALL_ROOT + key
        set_install_location(client_folder("publisher-client"), key)
        try:
            self.run_loader(self.slow_download(delay=20000))
            self.assertIsNotNone(wait_window())
            other_dir = os.path.join(self.workdir, "other")
            os.mkdir(other_dir)
            base = service_base(reply(server_url("/never"), "3.1.0.2"), self.token + "-other")
            other = Loader(base, other_dir, exe=ENV["LOADER_OTHER_EXE"]).start()
            self.assertEqual(other.wait(), 0)
            records = other.started()
            self.assertEqual(len(records), 1)
            self.assertTrue(records[0]["exe"].endswith("\\" + client), records[0]["exe"])
        finally:
            remove_install_location(key)

    def test_older_client_downloads_and_starts_the_installer(self):
        folder = client_folder("v1.0.0.9")
        set_install_location(folder)
        package = installer_bytes()
        base = service_base(reply(package_url(package, self.token + "-pkg"), "1.0.0.90"), self.token)
        loader = self.run_loader(base)
        self.assertEqual(loader.wait(), 0)
        records = loader.started()
        self.assertEqual(len(records), 1)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")
        self.assertEqual(records[0]["installpath"], folder)
        # A temporary file made with the prefix "~uninst" (the platform keeps its first three).
        name = records[0]["exe"].rsplit("\\", 1)[-1].lower()
        self.assertTrue(name.startswith("~un") and name.endswith(".tmp"), name)
        self.assert_query()

    def test_a_service_that_never_answers_ends_the_run_within_the_bound(self):
        # The query runs before the window is shown: 30 s in all, then a failed query.
        base = server_url("/data?delay=120000&token=%s&tail=" % self.token)
        began = time.time()
        loader = self.run_loader(base)
        self.assertEqual(loader.wait(timeout=60), 0)
        self.assertLess(time.time() - began, 45)
        self.assertEqual(loader.started(timeout=0.5), [])

    def test_failures_end_quietly_with_nothing_started(self):
        cases = {
            "unreachable service": "https://127.0.0.1:1/Home/version/",
            "failed download": service_base(reply(server_url("/data?status=404"), "9.9.9.9"), self.token),
            "invalid reply": service_base("this is not JSON {", self.token),
        }
        for name, base in cases.items():
            with self.subTest(case=name):
                loader = self.run_loader(base)
                self.assertEqual(loader.wait(), 0)
                self.assertEqual(loader.started(timeout=0.5), [])


# ---------------------------------------------------------------------------------------------
# Ways out during a download, and the moving bar
# ---------------------------------------------------------------------------------------------


def temporary_downloads():
    """The loader's temporary download files (~unXXXX.tmp.dl) in the prefix's users' folders
    and in its package folder under ProgramData."""
    found = []
    for folder in ("users", "ProgramData"):
        for top, _, files in os.walk(os.path.join(ENV["WINEPREFIX"], "drive_c", folder)):
            found += [os.path.join(top, f) for f in files if f.lower().endswith(".tmp.dl")]
    return found


class Download(LoaderCase):
    def test_escape_and_system_close_end_the_run_at_once_and_leave_no_download(self):
        for attempt in range(20):
            command = ("escape", "sysclose")[attempt % 2]
            with self.subTest(attempt=attempt, command=command):
                # 4 MiB at 100 kB/s: some 40 s of download that is cancelled, not waited for.
                # The bound on the exit is loose, for a loaded machine.
                loader = self.run_loader(self.slow_download(rate=100000))
                self.assertIsNotNone(wait_window())
                time.sleep(0.7)
                probe(command)
                began = time.time()
                self.assertEqual(loader.wait(timeout=30), 0)
                self.assertLess(time.time() - began, 15, "the download was waited for")
                self.assertEqual(loader.started(timeout=0.2), [])
                self.assertEqual(temporary_downloads(), [])

    def test_a_package_without_a_length_closes_the_window(self):
        url = server_url("/data?size=300000&nolength=1&token=%s-pkg" % self.token)
        loader = self.run_loader(service_base(reply(url, "9.9.9.9"), self.token))
        self.assertEqual(loader.wait(timeout=30), 0)
        self.assertEqual(loader.started(timeout=0.5), [])

    def test_two_loaders_started_together_download_and_install_once(self):
        package = installer_bytes()
        base = service_base(reply(package_url(package, self.token + "-pkg", "&rate=400000"),
                                  "9.9.9.9"), self.token)
        first = Loader(base, self.workdir)
        second_dir = tempfile.mkdtemp(prefix="second-", dir=self.workdir)
        second = Loader(base, second_dir)
        first.start()
        second.start()
        try:
            self.assertEqual(first.wait(timeout=60), 0)
            self.assertEqual(second.wait(timeout=60), 0)
        finally:
            first.kill()
            second.kill()
        records = first.started(timeout=2) + second.started(timeout=0.5)
        self.assertEqual(len(records), 1, records)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")
        gets = [r for r in stats(self.token + "-pkg")["requests"] if r["method"] == "GET"]
        self.assertEqual(len(gets), 1)



# ---------------------------------------------------------------------------------------------
# Field options: the diagnostic log and several package connections
# ---------------------------------------------------------------------------------------------


def local_app_data():
    out = subprocess.run([WINE, "cmd", "/c", "echo %LOCALAPPDATA%"], capture_output=True,
                         stdin=subprocess.DEVNULL)
    windows = out.stdout.decode().strip().splitlines()[-1].strip()
    unix = subprocess.run([WINE, "winepath", "-u", windows], capture_output=True)
    return unix.stdout.decode().strip()


def unix_path(windows):
    out = subprocess.run([WINE, "winepath", "-u", windows], capture_output=True)
    return out.stdout.decode().strip()


class LogFolderCase(LoaderCase):
    """A case that starts and ends without the log folder."""

    def setUp(self):
        super().setUp()
        self.log_dir = os.path.join(local_app_data(), "Tesmar")
        self.clear_log_dir()

    def tearDown(self):
        self.clear_log_dir()
        super().tearDown()

    def clear_log_dir(self):
        if os.path.islink(self.log_dir) or os.path.isfile(self.log_dir):
            os.remove(self.log_dir)
        elif os.path.isdir(self.log_dir):
            shutil.rmtree(self.log_dir)

    def read_log(self, name="loader.log"):
        with open(os.path.join(self.log_dir, name), "rb") as f:
            return f.read().decode("latin-1")


class FieldOptions(LogFolderCase):

    def install_run(self, exe, extra=""):
        package = installer_bytes()
        base = service_base(reply(package_url(package, self.token + "-pkg", extra), "9.9.9.9"),
                            self.token)
        self.loader = Loader(base, self.workdir, exe=exe).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        return self.loader.started()

    def test_the_log_names_the_decision_and_the_reason_of_a_failure(self):
        records = self.install_run(ENV["LOADER_EXE_LOGGED"])
        self.assertEqual(len(records), 1)
        log = self.read_log()
        for line in ("start: loader 1.0.0.1", "version query: GET ", "-> HTTP 200",
                     'version reply: version "9.9.9.9"', "install discovery: no install location",
                     "decision: download the package (no installed version)",
                     "download: complete", "launch: ", "-> started",
                     "exit: message loop ended, code 0"):
            self.assertIn(line, log)
        self.assertNotIn(self.token + "-pkg", log.split("version reply")[0],
                         "no reply body before the reply line")

        base = service_base(reply(server_url("/data?size=3000&status=404"), "9.9.9.9"), self.token)
        self.loader = Loader(base, self.workdir, exe=ENV["LOADER_EXE_LOGGED"]).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        failed = self.read_log().split("start: loader")[-1]
        self.assertIn("decision: download the package", failed)
        self.assertIn("download: failed", failed)
        self.assertIn("error: No error", failed)  # the designed text of a part's bad status
        # The status a support desk acts on, of the probe and of the failing transfer.
        self.assertIn("probe HTTP 404, no package size", failed)
        self.assertIn("last transfer HTTP 404", failed)
        self.assertNotIn("launch:", failed)

        # A sign-in page of the player's network, and a service that is busy at first.
        portal = server_url("/data?ctype=text/html&body=%3Chtml%3Esign%20in%3C/html%3E&tail=")
        busy = server_url("/data?ctype=application/json&status=503&first=1&hdr=Retry-After:1"
                          "&token=%s-busy&body=%s&tail=" % (
                              self.token, urllib.parse.quote(reply("https://127.0.0.1:1/x", ""))))
        for base in (portal, busy):
            self.loader = Loader(base, self.workdir, exe=ENV["LOADER_EXE_LOGGED"]).start()
            self.assertEqual(self.loader.wait(timeout=60), 0)
        runs = self.read_log().split("start: loader")
        self.assertIn("version reply: failed, the network answered with a web page (HTTP 200, "
                      "text/html)", runs[-2])
        self.assertRegex(runs[-1], r'retry: version query HTTP 503 with Retry-After "1", '
                                   r"waiting \d+ ms before try 2 of 4")
        self.assertIn("-> HTTP 200", runs[-1])
        times = [r["time"] for r in stats(self.token + "-busy")["requests"]]
        self.assertEqual(len(times), 2)
        self.assertGreaterEqual(times[1] - times[0], 0.95)
        # Every line carries a time stamp to the millisecond and a thread.
        for line in self.read_log().splitlines():
            self.assertRegex(line, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\d+\] \S")

    def test_a_log_folder_that_cannot_be_created_changes_nothing(self):
        with open(self.log_dir, "w") as f:  # a file where the folder would go
            f.write("in the way")
        records = self.install_run(ENV["LOADER_EXE_LOGGED"])
        self.assertEqual(len(records), 1)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")

    def test_the_log_is_renamed_past_one_megabyte(self):
        os.makedirs(self.log_dir)
        with open(os.path.join(self.log_dir, "loader.log"), "wb") as f:
            f.write(b"x" * (1024 * 1024 - 10) + b"\r\n")
        with open(os.path.join(self.log_dir, "loader.old.log"), "wb") as f:
            f.write(b"older")
        self.loader = Loader(service_base("this is not JSON {", self.token), self.workdir,
                             exe=ENV["LOADER_EXE_LOGGED"]).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        self.assertEqual(os.path.getsize(os.path.join(self.log_dir, "loader.old.log")), 1024 * 1024 - 8)
        log = self.read_log()
        self.assertIn("start: loader", log.splitlines()[0])
        self.assertIn("version reply: not valid JSON", log)
        self.assertLess(len(log), 4096)

    def test_four_connections_fetch_ten_mebibytes_in_four_ranged_requests(self):
        package = installer_bytes()
        package += bytes((i * 7 + i // 251) & 0xFF for i in range(10 * 1024 * 1024 - len(package)))
        # With a checksum named, the parts are hashed as they arrive, out of order as they are.
        body = {"url": package_url(package, self.token + "-pkg", "&rate=2000000"),
                "version": "9.9.9.9", "sha256": hashlib.sha256(package).hexdigest()}
        base = service_base(json.dumps(body), self.token)
        self.loader = Loader(base, self.workdir, exe=ENV["LOADER_EXE_FOUR"]).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        records = self.loader.started()
        self.assertEqual(len(records), 1)
        gets = [r for r in stats(self.token + "-pkg")["requests"] if r["method"] == "GET"]
        self.assertEqual(sorted(r["headers"].get("Range", "") for r in gets),
                         ["bytes=0-2621438", "bytes=2621439-5242877", "bytes=5242878-7864316",
                          "bytes=7864317-"])
        with open(unix_path(records[0]["exe"]), "rb") as f:
            self.assertTrue(f.read() == package, "the package arrived byte for byte")
        self.assertIn("checksum: the package matches the reply's sha256 (hashed while downloading)",
                      self.read_log())

# ---------------------------------------------------------------------------------------------
# Squatting: what a program of the user can plant does not stop or redirect the loader
# ---------------------------------------------------------------------------------------------


class Squatting(LogFolderCase):
    def test_the_loader_s_mutex_name_taken_by_another_program_does_not_stop_the_update(self):
        # holdmutex: a mutex of the name, as any program of the user can make it; holdlink: the
        # name as a link to an administrators' mutex (any elevated program's).
        for squat in ("holdmutex", "holdlink"):
            with self.subTest(squat=squat):
                if os.path.exists(os.path.join(self.workdir, "records.txt")):
                    os.remove(os.path.join(self.workdir, "records.txt"))
                holder = subprocess.Popen([WINE_RUN, ENV["LOADER_PROBE"], squat,
                                           "Local\\Tesmar.Loader", "60000"],
                                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                try:
                    self.assertEqual(holder.stdout.readline().decode().strip(), "held")
                    package = installer_bytes()
                    base = service_base(reply(package_url(package, self.token + "-pkg"),
                                              "9.9.9.9"), self.token)
                    loader = self.run_loader(base)
                    self.assertEqual(loader.wait(timeout=60), 0)
                    records = loader.started()
                    self.assertEqual(len(records), 1, "the loader went on to install")
                    self.assertEqual(records[0]["cmdline"], "silenceignore-update")
                finally:
                    holder.kill()
                    holder.wait()
                    holder.stdout.close()

    def run_logged(self, local_app_data_env=None):
        """A logged run that ends at once (a reply that is not JSON); with local_app_data_env
        the loader is started with LOCALAPPDATA set to that (Windows) folder."""
        loader = Loader(service_base("this is not JSON {", self.token), self.workdir,
                        exe=ENV["LOADER_EXE_LOGGED"])
        if local_app_data_env is None:
            self.loader = loader.start()
        else:
            # wine sets LOCALAPPDATA afresh for a program started from Unix, not for one
            # started by another Windows program.
            loader.proc = subprocess.Popen(
                [WINE_RUN, "cmd", "/c", "set LOCALAPPDATA=%s&& %s" % (local_app_data_env,
                                                                     wine_path(loader.path))],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.loader = loader
        self.assertEqual(self.loader.wait(timeout=60), 0)

    def test_the_log_never_writes_through_a_link_and_ignores_the_environment(self):
        elsewhere = os.path.join(self.workdir, "elsewhere")
        victim = os.path.join(elsewhere, "victim.txt")

        def start_case():
            self.clear_log_dir()
            shutil.rmtree(elsewhere, ignore_errors=True)
            os.mkdir(elsewhere)
            with open(victim, "wb") as f:
                f.write(b"untouched")

        with self.subTest(case="the log folder is a link"):
            start_case()
            os.symlink(elsewhere, self.log_dir)
            self.run_logged()
            self.assertEqual(os.listdir(elsewhere), ["victim.txt"], "written through the folder link")

        for kind, link in (("symbolic", os.symlink), ("hard", os.link)):
            with self.subTest(case="the log file is a %s link" % kind):
                start_case()
                os.makedirs(self.log_dir)
                link(victim, os.path.join(self.log_dir, "loader.log"))
                self.run_logged()
                with open(victim, "rb") as f:
                    self.assertEqual(f.read(), b"untouched", "written through the file link")

        with self.subTest(case="LOCALAPPDATA names another folder"):
            start_case()
            self.run_logged(local_app_data_env=wine_path(elsewhere))
            self.assertEqual(os.listdir(elsewhere), ["victim.txt"])
            self.assertIn("version reply: not valid JSON", self.read_log())


# ---------------------------------------------------------------------------------------------
# Trust: the product built with a pinned service and a required package checksum
# ---------------------------------------------------------------------------------------------


def certificate_pin(pem):
    """libcurl's pin of the certificate's public key, as a publisher computes it."""
    key = subprocess.run(["openssl", "x509", "-in", pem, "-pubkey", "-noout"], capture_output=True,
                         check=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=key, capture_output=True,
                         check=True).stdout
    return "sha256//" + base64.b64encode(hashlib.sha256(der).digest()).decode()


class Trust(LoaderCase):
    def pinned_reply(self, package_token, **members):
        body = {"url": package_url(installer_bytes(), package_token), "version": "9.9.9.9"}
        body.update(members)
        return json.dumps(body)

    def test_the_pinned_service_s_package_starts_when_its_bytes_match(self):
        digest = hashlib.sha256(installer_bytes()).hexdigest()
        base = service_base(self.pinned_reply(self.token + "-pkg", sha256=digest), self.token)
        loader = self.run_loader(base, pin=certificate_pin(ENV["LOADER_TEST_CERT"]))
        self.assertEqual(loader.wait(), 0)
        records = loader.started()
        self.assertEqual(len(records), 1)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")
        self.assertEqual(len(stats(self.token)["requests"]), 1)

    def test_everything_else_ends_with_nothing_started(self):
        right = certificate_pin(ENV["LOADER_TEST_CERT"])
        other = "sha256//" + base64.b64encode(hashlib.sha256(b"another key").digest()).decode()
        digest = hashlib.sha256(installer_bytes()).hexdigest()
        wrong = hashlib.sha256(installer_bytes() + b"!").hexdigest()
        # name: (pin, reply members, the service is reached, the package is fetched)
        cases = {
            "another key's pin": (other, {"sha256": digest}, False, False),
            "no checksum": (right, {}, True, False),
            "another package's checksum": (right, {"sha256": wrong}, True, True),
            "a redirect to plain http": (right, {"sha256": digest}, False, False),
        }
        for name, (pin, members, reached, fetched) in cases.items():
            with self.subTest(case=name):
                token = "e2e-" + uuid.uuid4().hex[:12]
                if os.path.exists(os.path.join(self.workdir, "records.txt")):
                    os.remove(os.path.join(self.workdir, "records.txt"))
                reply_text = self.pinned_reply(token + "-pkg", **members)
                redirect = name == "a redirect to plain http"
                if redirect:
                    # The pinned service sends the loader on to the same reply over plain http.
                    plain = service_base(reply_text, token, https=False)
                    base = server_url("/data?status=302&hdr=%s&token=%s-redirect&tail=" %
                                      (urllib.parse.quote("Location:" + plain, safe=""), token))
                else:
                    base = service_base(reply_text, token)
                loader = self.run_loader(base, pin=pin)
                self.assertEqual(loader.wait(), 0)
                self.assertEqual(loader.started(timeout=0.5), [])
                if redirect:
                    self.assertEqual(len(stats(token + "-redirect")["requests"]), 1)
                self.assertEqual(len(stats(token)["requests"]), 1 if reached else 0)
                self.assertEqual(len(stats(token + "-pkg")["requests"]) > 0, fetched)


# ---------------------------------------------------------------------------------------------
# Planting: what a standard user's program can put beside the elevated loader or its package
# ---------------------------------------------------------------------------------------------

# The DLLs a loaded program finds in the system's KnownDLLs (never searched for): the only
# ones loader.exe may import; every other DLL it needs it loads itself, from System32.
KNOWN_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "ws2_32.dll",
              "comdlg32.dll", "imm32.dll", "rpcrt4.dll", "sechost.dll", "combase.dll"}
# Names a planted DLL takes: loader.exe's own former imports and run-time loads.
PLANTED_NAMES = ("version.dll", "bcrypt.dll", "crypt32.dll", "gdiplus.dll", "msimg32.dll",
                 "comctl32.dll")


def imported_dlls(exe):
    with open(exe, "rb") as f:
        head = f.read(4096)
    pe = int.from_bytes(head[0x3C:0x40], "little")
    machine = int.from_bytes(head[pe + 4:pe + 6], "little")
    tool = "x86_64-w64-mingw32-objdump" if machine == 0x8664 else "i686-w64-mingw32-objdump"
    out = subprocess.run([tool, "-p", exe], capture_output=True, check=True).stdout.decode()
    return [line.split("DLL Name:")[1].strip() for line in out.splitlines() if "DLL Name:" in line]


def user_temp():
    out = subprocess.run([WINE, "cmd", "/c", "echo %TEMP%"], capture_output=True,
                         stdin=subprocess.DEVNULL)
    return unix_path(out.stdout.decode().strip().splitlines()[-1].strip())


def package_folder_root():
    return os.path.join(ENV["WINEPREFIX"], "drive_c", "ProgramData", "Tesmar")


class Planting(LoaderCase):
    def setUp(self):
        super().setUp()
        self.marker = os.path.join(self.workdir, "planted.txt")
        self.planted = []

    def tearDown(self):
        for path in self.planted:
            if os.path.lexists(path):
                os.remove(path)
        root = package_folder_root()
        if os.path.islink(root) or os.path.isfile(root):
            os.remove(root)
        elif os.path.isdir(root):
            shutil.rmtree(root)
        super().tearDown()

    def plant_dlls(self, folder, names=PLANTED_NAMES):
        source = os.path.join(ENV["LOADER_TEST_FIXTURES"], "planted", "planted.dll")
        for name in names:
            path = os.path.join(folder, name)
            shutil.copy(source, path)
            self.planted.append(path)

    def planted_loads(self):
        if not os.path.exists(self.marker):
            return ""
        with open(self.marker, "rb") as f:
            return f.read().decode("latin-1")

    def install_base(self, package=None, **members):
        body = {"url": package_url(package or installer_bytes(), self.token + "-pkg"),
                "version": "9.9.9.9"}
        body.update(members)
        return service_base(json.dumps(body), self.token)

    def test_every_import_of_the_product_is_a_known_dll(self):
        for exe in (ENV["LOADER_EXE"], ENV["LOADER_PINNED_EXE"]):
            with self.subTest(exe=os.path.basename(exe)):
                imports = imported_dlls(exe)
                self.assertIn("kernel32.dll", [name.lower() for name in imports])
                self.assertEqual([name for name in imports if name.lower() not in KNOWN_DLLS], [])

    def test_dlls_beside_the_loader_are_never_loaded(self):
        # The loader started from the folder it lies in (Explorer does so), with DLLs of the
        # names it needs beside it: it runs as ever, and none of them is loaded. Wine prefers
        # its own copies of system DLLs; told to prefer a DLL found by the search, as Windows
        # does, it shows what a search would load. Not for VERSION: wine's own system DLLs
        # import it by name (Windows' KnownDLLs do not), so that would load the planted one
        # whatever the loader does; the import table case above covers it.
        self.plant_dlls(self.workdir)
        names = ",".join(name[:-4] for name in PLANTED_NAMES if name != "version.dll")
        overrides = ";".join(filter(None, [ENV.get("WINEDLLOVERRIDES", ""), names + "=n,b"]))
        self.loader = Loader(self.install_base(), self.workdir)
        self.loader.start(cwd=self.workdir, env={"LOADER_TEST_PLANTED": wine_path(self.marker),
                                                 "WINEDLLOVERRIDES": overrides})
        self.assertEqual(self.loader.wait(timeout=60), 0)
        self.assertEqual(self.planted_loads(), "")
        records = self.loader.started()
        self.assertEqual(len(records), 1)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")

    def test_the_installer_starts_in_a_folder_of_its_own(self):
        # A DLL the installer loads by name, planted in the user's temporary folder (where the
        # package used to go), in the loader's folder (its current directory) and in a folder
        # of the user's on PATH (wine adds WINEPATH to it).
        temp = user_temp()
        on_path = os.path.join(self.workdir, "on-path")
        os.mkdir(on_path)
        for folder in (temp, self.workdir, on_path):
            self.plant_dlls(folder, ("setuphelper.dll",))
        self.loader = Loader(self.install_base(), self.workdir)
        self.loader.start(cwd=self.workdir, env={"LOADER_TEST_PLANTED": wine_path(self.marker),
                                                 "LOADER_TEST_LOAD_DLL": "setuphelper.dll",
                                                 "WINEPATH": wine_path(on_path)})
        self.assertEqual(self.loader.wait(timeout=60), 0)
        records = self.loader.started()
        self.assertEqual(len(records), 1)
        self.assertEqual(self.planted_loads(), "")
        folder = records[0]["exe"].rsplit("\\", 1)[0]
        self.assertTrue(folder.lower().startswith("c:\\programdata\\tesmar\\run-"), folder)
        self.assertEqual(records[0]["cwd"].rstrip("\\").lower(), folder.lower())

    def test_a_linked_package_folder_is_refused(self):
        # The publisher's folder under ProgramData made a link to a folder of the user's.
        elsewhere = os.path.join(self.workdir, "elsewhere")
        os.mkdir(elsewhere)
        os.symlink(elsewhere, package_folder_root())
        self.loader = Loader(self.install_base(), self.workdir).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        self.assertEqual(self.loader.started(timeout=0.5), [])
        self.assertEqual(os.listdir(elsewhere), [])

    def test_a_client_beside_the_secure_loader_is_never_started(self):
        # No install and no service: the bare client name would find the planted one in the
        # loader's folder. The plain build keeps that portable case; the pinned one never.
        shutil.copy(os.path.join(ENV["LOADER_TEST_FIXTURES"], "v1.2.0.3", "Kestrun.exe"),
                    os.path.join(self.workdir, "Kestrun.exe"))
        unreachable = "https://127.0.0.1:1/Home/version/"
        for pin, started in ((certificate_pin(ENV["LOADER_TEST_CERT"]), 0), (None, 1)):
            with self.subTest(pinned=pin is not None):
                if os.path.exists(self.loader_records()):
                    os.remove(self.loader_records())
                self.loader = Loader(unreachable, self.workdir, pin=pin).start(cwd=self.workdir)
                self.assertEqual(self.loader.wait(timeout=60), 0)
                records = self.loader.started(count=max(started, 1), timeout=0.5 + 5 * started)
                self.assertEqual(len(records), started, records)

    def loader_records(self):
        return os.path.join(self.workdir, "records.txt")

    def test_a_package_swapped_for_a_link_while_it_is_hashed_never_runs(self):
        # 96 MiB to hash: time enough to replace the package by a link to another program
        # (a copy of a client stand-in, which records that it has a version resource) after
        # the loader has taken hold of it and before it starts it.
        package = installer_bytes()
        package += bytes(96 * 1024 * 1024 - len(package))
        digest = hashlib.sha256(package).hexdigest()
        other = os.path.join(self.workdir, "other.exe")
        shutil.copy(os.path.join(ENV["LOADER_TEST_FIXTURES"], "v1.2.0.3", "Kestrun.exe"), other)
        folders = [user_temp(), package_folder_root()]
        earlier = set(self.packages(folders))
        self.loader = self.run_loader(self.install_base(package, sha256=digest),
                                      pin=certificate_pin(ENV["LOADER_TEST_CERT"]))
        swapped = None
        deadline = time.time() + 60
        while swapped is None and time.time() < deadline and self.loader.proc.poll() is None:
            for path in set(self.packages(folders)) - earlier:
                time.sleep(0.1)
                link = path + ".link"
                os.symlink(other, link)
                os.rename(link, path)
                swapped = path
                break
            time.sleep(0.005)
        self.assertIsNotNone(swapped, "the package never appeared")
        self.assertEqual(self.loader.wait(timeout=60), 0)
        records = self.loader.started(timeout=2)
        self.assertEqual([r for r in records if r.get("has-version") != "0"], [], records)
        # The refused package is not deleted through the link: that would delete, as
        # administrator, whatever file the link names.
        self.assertTrue(os.path.exists(other), "the link's target was deleted")

    def test_earlier_runs_leave_no_package_behind(self):
        # Each download has a run folder of its own; the next run removes the earlier ones
        # (no cleaner empties ProgramData), but never through a link: a run-* link to a
        # folder of the user's, as a user could have made before the folder became the
        # loader's, keeps its target's files.
        elsewhere = os.path.join(self.workdir, "elsewhere")
        os.mkdir(elsewhere)
        kept = os.path.join(elsewhere, "keep.txt")
        with open(kept, "w") as f:
            f.write("mine")
        for attempt in range(2):
            self.loader = Loader(self.install_base(), self.workdir).start()
            self.assertEqual(self.loader.wait(timeout=60), 0)
            self.assertEqual(len(self.loader.started(count=attempt + 1)), attempt + 1)
            if attempt == 0:
                os.symlink(elsewhere, os.path.join(package_folder_root(), "run-planted"))
        runs = [name for name in os.listdir(package_folder_root())
                if name.startswith("run-") and name != "run-planted"]
        self.assertEqual(len(runs), 1, runs)
        self.assertEqual(len(self.packages([package_folder_root()])), 1)
        self.assertTrue(os.path.exists(kept), "a file behind a link was deleted")

    @staticmethod
    def packages(folders):
        """The complete packages (~unXXXX.tmp) in folders and in their run-* folders."""
        found = []
        for folder in folders:
            names = os.listdir(folder) if os.path.isdir(folder) else []
            for name in names:
                path = os.path.join(folder, name)
                if name.lower().startswith("~un") and name.lower().endswith(".tmp"):
                    found.append(path)
                elif name.startswith("run-"):
                    found += Planting.packages([path])
        return found


# ---------------------------------------------------------------------------------------------
# The player's proxy: Internet Settings of the wine prefix's user, a real proxy in front
# ---------------------------------------------------------------------------------------------

CONNECTIONS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections"


def set_proxy_settings(proxy="", bypass=""):
    """The user's settings as Internet Options writes them: a proxy for every scheme (flags:
    direct 1 | proxy 2) and a bypass list."""
    flags = 1 | (2 if proxy else 0)
    blob = struct.pack("<III", 0x46, 1, flags)
    for text in (proxy, bypass, ""):
        blob += struct.pack("<I", len(text)) + text.encode()
    blob += bytes(32)
    quiet([WINE, "reg", "add", CONNECTIONS_KEY, "/v", "DefaultConnectionSettings", "/t",
           "REG_BINARY", "/d", blob.hex(), "/f"])


def clear_proxy_settings():
    quiet([WINE, "reg", "delete", CONNECTIONS_KEY, "/v", "DefaultConnectionSettings", "/f"])


class Proxy(LogFolderCase):
    def setUp(self):
        super().setUp()
        self.proxies = []

    def tearDown(self):
        clear_proxy_settings()
        for proc in self.proxies:
            proc.kill()
            proc.wait()
        super().tearDown()

    def start_proxy(self, *args):
        """A proxy of tests/support started for this case; its port and its request log."""
        state = tempfile.mkdtemp(dir=self.workdir)
        script = os.path.join(ENV["ROOT"], "tests", "support", "test_proxy.py")
        self.proxies.append(subprocess.Popen(["python3", script, "--state-dir", state] + list(args)))
        port_file = os.path.join(state, "port")
        for _ in range(200):
            if os.path.exists(port_file):
                break
            time.sleep(0.05)
        with open(port_file) as f:
            port = int(f.read())
        return port, os.path.join(state, "requests.jsonl")

    @staticmethod
    def went_through(log_path):
        if not os.path.exists(log_path):
            return []
        with open(log_path) as f:
            return [json.loads(line) for line in f if line.strip()]

    def install_through(self, exe, package_host="127.0.0.1"):
        package = installer_bytes()
        url = package_url(package, self.token + "-pkg").replace("https://127.0.0.1:%s" % ENV["LOADER_TEST_HTTPS_PORT"],
                                                                "http://%s:%s" % (package_host, ENV["LOADER_TEST_HTTP_PORT"]))
        self.loader = Loader(service_base(reply(url, "9.9.9.9"), self.token), self.workdir, exe=exe)
        if os.path.exists(self.loader.records):  # an earlier run's
            os.remove(self.loader.records)
        self.loader.start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        records = self.loader.started()
        self.assertEqual(len(records), 1)
        with open(unix_path(records[0]["exe"]), "rb") as f:
            self.assertTrue(f.read() == package, "the package arrived byte for byte")

    def test_every_transfer_takes_the_route_of_the_player_s_settings(self):
        port, through = self.start_proxy()
        set_proxy_settings("127.0.0.1:%d" % port, "localhost;<local>")
        https = "127.0.0.1:%s" % ENV["LOADER_TEST_HTTPS_PORT"]
        http = "http://127.0.0.1:%s/data?" % ENV["LOADER_TEST_HTTP_PORT"]

        self.install_through(ENV["LOADER_EXE_PROXIED"])
        seen = self.went_through(through)
        # The query tunnelled (https), the package's probe and transfer as plain requests.
        self.assertEqual([r["target"] for r in seen if r["method"] == "CONNECT"], [https])
        plain = [r for r in seen if r["method"] in ("GET", "HEAD")]
        self.assertGreaterEqual(len(plain), 2, seen)
        self.assertTrue(all(r["target"].startswith(http) for r in plain), seen)
        log = self.read_log()
        self.assertIn("proxy: 127.0.0.1:%d for %s" % (port, https), log)
        self.assertIn("proxy: 127.0.0.1:%d for 127.0.0.1:%s" % (port, ENV["LOADER_TEST_HTTP_PORT"]), log)

        # A bypassed host is reached directly; the query still goes through the proxy.
        self.install_through(ENV["LOADER_EXE_PROXIED"], package_host="localhost")
        seen_now = self.went_through(through)[len(seen):]
        self.assertEqual([r["target"] for r in seen_now], [https])
        self.assertIn("proxy: none for localhost:%s (the proxy settings say direct)"
                      % ENV["LOADER_TEST_HTTP_PORT"], self.read_log())

        # Built without the option, the loader takes no route from the settings.
        self.install_through(ENV["LOADER_EXE_LOGGED"])
        self.assertEqual(len(self.went_through(through)), len(seen) + len(seen_now))

    def test_a_proxy_that_refuses_the_player_is_reported_with_its_status(self):
        port, through = self.start_proxy("--ask-auth")
        set_proxy_settings("127.0.0.1:%d" % port)
        base = service_base(reply(package_url(installer_bytes(), self.token + "-pkg"), "9.9.9.9"),
                            self.token)
        self.loader = Loader(base, self.workdir, exe=ENV["LOADER_EXE_PROXIED"]).start()
        self.assertEqual(self.loader.wait(timeout=60), 0)
        self.assertEqual(self.loader.started(timeout=1), [])
        self.assertEqual(stats(self.token).get("requests", []), [], "nothing reached the service")
        log = self.read_log()
        self.assertRegex(log, r"version query: GET .* -> HTTP \d+, .*\(proxy HTTP 407\)")
        # The logon's credentials were offered, never written down.
        self.assertTrue(self.went_through(through))
        self.assertNotIn("Proxy-Authorization", log)


# ---------------------------------------------------------------------------------------------
# What the player sees: the failure screen, the speed line
# ---------------------------------------------------------------------------------------------


def skin_text(name):
    """The text of the default skin's control called name."""
    with open(os.path.join(ENV["ROOT"], "resources", "skin.xml"), encoding="utf-8") as f:
        for line in f:
            if 'name="%s"' % name in line:
                return line.split(' text="', 1)[1].split('"', 1)[0]
    raise KeyError(name)


class PlayerScreen(LogFolderCase):
    def start_failing(self, base):
        """Runs the failure screen's build until its screen shows; returns the shown text."""
        if self.loader is not None:
            self.loader.kill()  # after a failed case: one loader per session
        self.clear_log_dir()
        self.loader = Loader(base, self.workdir, exe=ENV["LOADER_EXE_FAILURE_SCREEN"]).start()
        deadline = time.time() + 30
        while "window: failure screen" not in self.log_tail() and time.time() < deadline:
            self.assertIsNone(self.loader.proc.poll(), "the loader ended")
            time.sleep(0.2)
        line = self.log_tail().split("window: failure screen, ")[1].splitlines()[0]
        self.assertIsNotNone(wait_window())
        time.sleep(0.5)
        return line.split('"')[1]

    def log_tail(self):
        path = os.path.join(self.log_dir, "loader.log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("gbk").split("start: loader")[-1]

    def refused_package(self, name):
        """A reply naming the installer's checksum and the bytes stored under name."""
        body = {"url": server_url("/data?stored=%s&token=%s-pkg" % (name, self.token)),
                "version": "9.9.9.9", "sha256": hashlib.sha256(installer_bytes()).hexdigest()}
        return service_base(json.dumps(body), self.token)

    def test_a_run_that_ends_with_nothing_says_why_and_offers_retry_and_close(self):
        portal = server_url("/data?ctype=text/html&body=%3Chtml%3Esign%20in%3C/html%3E&tail=")
        failed = service_base(reply(server_url("/data?size=3000&status=404"), "9.9.9.9"), self.token)
        # name: (version service, the skin's text shown, its full-width glyphs, the way out)
        cases = {
            "refused package": (self.refused_package(store(b"other bytes")), "failure_checksum", 7,
                                ("escape",)),
            "unreachable service": ("https://127.0.0.1:1/Home/version/", "failure_connect", 9,
                                    ("sysclose",)),
            "sign-in page": (portal, "failure_login", 6, ("press", 3)),  # the close button
            "failed download": (failed, "failure_download", 4, ("click", 487, 378)),
        }
        for name, (base, text, glyphs, way_out) in cases.items():
            with self.subTest(case=name):
                self.assertEqual(self.start_failing(base), skin_text(text))
                shot = screenshot(os.path.join(self.workdir, "failure.png"))
                left, top = wait_window()[:2]
                # The reason in the label's warm colour, alone: the bar beside it is hidden.
                warm = [x for y in range(369, 387) for x in range(20, 360)
                        if shot.at(left + x, top + y)[0] > 110 and
                        shot.at(left + x, top + y)[0] > shot.at(left + x, top + y)[2] + 40]
                self.assertAlmostEqual(max(warm) - min(warm), glyphs * 14, delta=8)
                # The two buttons' borders.
                for x in (372, 452):
                    self.assertTrue(close(shot.at(left + x, top + 378), (0xC6, 0x99, 0x5E)), x)
                # What a screen reader finds: the reason and the two buttons, not the bar.
                self.assertEqual(accessible(), ("Loader", [
                    (ROLE_STATICTEXT, skin_text(text), "-"),
                    (ROLE_PUSHBUTTON, skin_text("retry"), "-"),
                    (ROLE_PUSHBUTTON, skin_text("close"), "-")]))
                began = time.time()
                probe(*way_out)
                self.assertEqual(self.loader.wait(timeout=15), 0)
                self.assertLess(time.time() - began, 5)
                self.assertEqual(self.loader.started(timeout=0.2), [])

    def test_retry_installs_the_package_once_the_server_is_fixed(self):
        name = store(b"a stale copy")
        self.assertEqual(self.start_failing(self.refused_package(name)), skin_text("failure_checksum"))
        request = urllib.request.Request(server_url("/store?name=" + name, https=False),
                                         data=installer_bytes(), method="POST")
        urllib.request.urlopen(request, timeout=10).close()
        probe("taskbar")  # the shell's interface is taken here (wine's answers as stubs)
        probe("click", 407, 378)
        self.assertEqual(self.loader.wait(timeout=60), 0)
        records = self.loader.started()
        self.assertEqual(len(records), 1)
        self.assertEqual(records[0]["cmdline"], "silenceignore-update")
        self.assertEqual(len(stats(self.token)["requests"]), 2, "the query was asked again")

    def test_while_a_retried_query_waits_the_window_stays_live_and_escape_ends_at_once(self):
        # The first query gets a reply that is no JSON; the retried one is never answered.
        base = server_url("/data?stored=%s&ctype=text/plain&after=1&delay=120000&token=%s&tail="
                          % (store(b"not json"), self.token))
        self.start_failing(base)
        probe("click", 407, 378)
        deadline = time.time() + 10
        while len(stats(self.token)["requests"]) < 2 and time.time() < deadline:
            time.sleep(0.1)
        self.assertEqual(len(stats(self.token)["requests"]), 2, "the query was asked again")
        began = time.time()
        self.assertEqual(probe("hittest", 270, 200, timeout=10)[1], "1")
        probe("escape")
        self.assertEqual(self.loader.wait(timeout=20), 0)
        self.assertLess(time.time() - began, 8, "the window answered and ended at once")
        self.assertIn("exit: message loop ended", self.log_tail())

    def test_the_detailed_skin_shows_speed_and_time_left(self):
        if not ENV.get("LOADER_EXE_DETAILED"):
            self.skipTest("the tree's skin is not the default one")
        rate, size = 150000, 3 << 20
        # The package's answers come late: the first look is well before any estimate.
        self.loader = Loader(self.slow_download(size=size, rate=rate, delay=1500), self.workdir,
                             exe=ENV["LOADER_EXE_DETAILED"]).start()
        left, top = wait_window()[:2]

        def speed_pixels(name):
            """Pixels of the speed line's text colour (the band's background is dark)."""
            shot = screenshot(os.path.join(self.workdir, name))
            return sum(1 for y in range(382, 398) for x in range(130, 508)
                       if shot.at(left + x, top + y)[0] > 120)

        self.assertEqual(speed_pixels("early.png"), 0, "no estimate in the first seconds")
        time.sleep(9)
        self.assertGreater(speed_pixels("later.png"), 100)
        shown = re.findall(r"download: speed line (\d+) KB/s, (\d+):(\d\d) left", self.log_tail())
        self.assertTrue(shown)
        for kb, minutes, seconds in shown:
            self.assertAlmostEqual(int(kb) * 1024, rate, delta=rate * 0.3)
            self.assertTrue(3 <= int(minutes) * 60 + int(seconds) <= size // rate + 3, shown)
        probe("escape")
        self.assertEqual(self.loader.wait(timeout=15), 0)


# ---------------------------------------------------------------------------------------------
# Resume across runs: a run cut off keeps what it has, the next one fetches only the rest
# ---------------------------------------------------------------------------------------------

RESUME_DIR = os.path.join("drive_c", "ProgramData", "Tesmar", "resume")


class Resume(LogFolderCase):
    def setUp(self):
        super().setUp()
        self.resume_dir = os.path.join(ENV["WINEPREFIX"], RESUME_DIR)
        shutil.rmtree(self.resume_dir, ignore_errors=True)

    def tearDown(self):
        shutil.rmtree(self.resume_dir, ignore_errors=True)
        super().tearDown()

    def package(self, tail=b""):
        data = installer_bytes() + tail
        return data + bytes((i * 7 + i // 251) & 0xFF for i in range(6 * 1024 * 1024 - len(data)))

    def base(self, package, url, digest=None):
        body = {"url": url, "version": "9.9.9.9",
                "sha256": digest or hashlib.sha256(package).hexdigest()}
        return service_base(json.dumps(body), self.token)

    def cut_off(self, exe, base, kept=True):
        """A run killed while its (throttled) download is under way: once it has recorded what
        it kept (kept), or a few seconds into it."""
        self.loader = Loader(base, self.workdir, exe=exe).start()
        record = os.path.join(self.resume_dir, "package.state")
        deadline = time.time() + (30 if kept else 3)
        while time.time() < deadline and not (kept and os.path.exists(record)):
            time.sleep(0.05)
        time.sleep(0.5)
        self.assertIsNone(self.loader.proc.poll(), "the first run ended before it was cut off")
        self.loader.kill()

    def finish(self, exe, base):
        if os.path.exists(self.loader.records):
            os.remove(self.loader.records)
        self.loader = Loader(base, self.workdir, exe=exe).start()
        self.assertEqual(self.loader.wait(timeout=90), 0)
        return self.loader.started(timeout=2)

    def fetched(self, token, since):
        """Bytes the GETs of token asked for after the first `since` requests."""
        total = 0
        for r in stats(token)["requests"][since:]:
            if r["method"] != "GET":
                continue
            first, _, last = r["headers"].get("Range", "bytes=0-").partition("=")[2].partition("-")
            total += (int(last) if last else 6 * 1024 * 1024 - 1) - int(first) + 1
        return total

    def test_a_run_cut_off_is_finished_by_the_next_fetching_only_the_rest(self):
        for exe, rate in (("LOADER_EXE_RESUMABLE", 1000000), ("LOADER_EXE_RESUMABLE_FOUR", 400000)):
            with self.subTest(exe=exe):
                token = self.token + exe[-4:]
                package = self.package()
                url = package_url(package, token, "&rate=%d&etag=1" % rate)
                self.cut_off(ENV[exe], self.base(package, url))
                self.assertTrue(os.path.exists(os.path.join(self.resume_dir, "package.part")))
                since = len(stats(token)["requests"])
                records = self.finish(ENV[exe], self.base(package, url))
                self.assertEqual(len(records), 1)
                with open(unix_path(records[0]["exe"]), "rb") as f:
                    self.assertTrue(f.read() == package, "the package arrived byte for byte")
                log = self.read_log().split("start: loader")[-1]
                kept = int(re.search(r"resume: resumed: (\d+) bytes kept", log).group(1))
                self.assertGreater(kept, 0)
                self.assertEqual(self.fetched(token, since), len(package) - kept)
                self.assertIn("(hashed while downloading)", log)
                self.assertEqual(os.listdir(self.resume_dir), [])

    def test_kept_bytes_are_dropped_when_altered_or_of_another_package_or_not_wanted(self):
        package = self.package()
        url = package_url(package, self.token, "&rate=1000000&etag=1")
        part = os.path.join(self.resume_dir, "package.part")

        # Altered on disk between the runs: the check catches it, nothing starts, nothing stays.
        self.cut_off(ENV["LOADER_EXE_RESUMABLE"], self.base(package, url))
        with open(part, "r+b") as f:
            f.seek(1000)
            byte = f.read(1)
            f.seek(1000)
            f.write(bytes([byte[0] ^ 0x5A]))
        self.assertEqual(self.finish(ENV["LOADER_EXE_RESUMABLE"], self.base(package, url)), [])
        log = self.read_log().split("start: loader")[-1]
        self.assertIn("resume: resumed: ", log)
        self.assertIn("does not match the reply's sha256", log)
        self.assertEqual(os.listdir(self.resume_dir), [])

        # Another package named by the next reply: the kept bytes go, it is fetched whole.
        self.cut_off(ENV["LOADER_EXE_RESUMABLE"], self.base(package, url))
        other = self.package(b"another build")
        records = self.finish(ENV["LOADER_EXE_RESUMABLE"],
                              self.base(other, package_url(other, self.token + "-other")))
        self.assertEqual(len(records), 1)
        self.assertIn("resume: not resumed (the kept bytes are of another package)",
                      self.read_log())

        # Built without the option nothing is kept.
        self.cut_off(ENV["LOADER_EXE_LOGGED"], self.base(package, url), kept=False)
        self.assertFalse(os.path.exists(part))


if __name__ == "__main__":
    unittest.main(verbosity=2)