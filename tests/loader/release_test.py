#!/usr/bin/env python3
"""A publisher's release: configuring checks each setting, and a signed loader verifies.

  PublisherSettings  one bad value per cache variable stops configuring, and the message
                     names the variable (the checks of cmake/LoaderPublisher.cmake, run as a
                     script: they are the ones the build runs when configuring)
  Signing            scripts/sign.sh signs a copy of loader.exe with a throwaway certificate;
                     osslsigncode verifies it against that certificate, and not once one byte
                     of the signed file is flipped

Environment (set by ctest): ROOT (the repository), LOADER_EXE, LOADER_E2E_TMP (scratch).
"""

import os
import shutil
import subprocess
import tempfile
import unittest

ENV = os.environ
ROOT = ENV.get("ROOT", os.path.join(os.path.dirname(__file__), "..", ".."))


def configure_check(**values):
    args = ["cmake"] + ["-D%s=%s" % item for item in values.items()]
    args += ["-P", os.path.join(ROOT, "cmake", "LoaderPublisher.cmake")]
    return subprocess.run(args, capture_output=True, text=True)


class PublisherSettings(unittest.TestCase):
    def test_defaults_and_good_values_pass(self):
        self.assertEqual(configure_check().returncode, 0)
        done = configure_check(LOADER_CLIENT_EXE="Ardent Game.exe", LOADER_UNINSTALL_KEY="Northwind",
                               LOADER_QUERY_VERSION="2.5.0.65535", LOADER_CHANNEL="77",
                               LOADER_COMPANY_NAME="Northwind Games Ltd.",
                               LOADER_PRODUCT_NAME="Ardent Launcher")
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_one_bad_value_names_its_variable(self):
        empty_skin = tempfile.mkdtemp(prefix="skin-", dir=ENV.get("LOADER_E2E_TMP"))
        self.addCleanup(shutil.rmtree, empty_skin, True)
        bad = [
            ("LOADER_CLIENT_EXE", "bin/Ardent.exe"),
            ("LOADER_CLIENT_EXE", "C:Ardent.exe"),
            ("LOADER_CLIENT_EXE", ""),
            ("LOADER_UNINSTALL_KEY", "Northwind\\Sub"),
            ("LOADER_QUERY_VERSION", "1.0.1"),
            ("LOADER_QUERY_VERSION", "1.0.0.70000"),
            ("LOADER_QUERY_VERSION", "1.0.0.1a"),
            ("LOADER_CHANNEL", "10x2"),
            ("LOADER_CHANNEL", ""),
            ("LOADER_SKIN_DIR", empty_skin),
            ("LOADER_COMPANY_NAME", 'Say "hi"'),
            ("LOADER_PRODUCT_NAME", ""),
        ]
        for name, value in bad:
            with self.subTest(name=name, value=value):
                done = configure_check(**{name: value})
                self.assertNotEqual(done.returncode, 0)
                self.assertIn(name, done.stderr)


class Signing(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="sign-", dir=ENV.get("LOADER_E2E_TMP"))
        self.addCleanup(shutil.rmtree, self.dir, True)

    def verify(self, exe):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(self.dir, "cert.pem"),
                               "-in", exe], capture_output=True, text=True)

    def test_signed_loader_verifies_and_a_flipped_byte_does_not(self):
        sign = os.path.join(ROOT, "scripts", "sign.sh")
        subprocess.run([sign, "--throwaway", self.dir], check=True)
        exe = os.path.join(self.dir, "loader.exe")
        shutil.copyfile(ENV["LOADER_EXE"], exe)
        env = dict(ENV, LOADER_SIGN_PFX=os.path.join(self.dir, "sign.pfx"), LOADER_SIGN_PASSWORD="throwaway")
        subprocess.run([sign, exe], check=True, env=env)
        done = self.verify(exe)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)

        with open(exe, "r+b") as f:
            f.seek(0x1000)  # inside the code, which the signature covers
            byte = f.read(1)
            f.seek(0x1000)
            f.write(bytes([byte[0] ^ 0x01]))
        self.assertNotEqual(self.verify(exe).returncode, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
