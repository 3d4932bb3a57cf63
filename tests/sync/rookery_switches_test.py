#!/usr/bin/python3
"""rookery-dev's switches for fault tests, met as a client meets them: one-shot FTP faults
through ftplib, holds on FTP commands and pages, /_dev/reset between cells, and results that
an import leaves standing.

Each test starts its own rookery-dev on free loopback ports and stops it by PID.

  rookery_switches_test.py --rookery PATH
"""
import argparse
import concurrent.futures
import ftplib
import http.client
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

ROOKERY = None
FTP_PASSWORD = "switches-test"
DATA = b"0123456789"
AUTH = "/rookery/csv_importer/ext_auth.php?login=demo&pass=demo"
# One contact as the tool exports it: 30 quoted fields.
CONTACT = ",".join('"%s"' % f for f in ["7", "Smith"] + [""] * 24 + [" ", "", "0", "x"]) + "\r\n"


class Rookery:
    def __init__(self, work, *args):
        password = os.path.join(work, "ftp-password")
        with open(os.open(password, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(FTP_PASSWORD + "\n")
        data = os.path.join(work, "data")
        self.home = os.path.join(data, "ftp")
        self.proc = subprocess.Popen(
            [ROOKERY, "--data-dir", data, "--ftp-password-file", password, *args],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        words = self.proc.stdout.readline().decode().split()
        if len(words) != 4:
            self.stop()
            raise RuntimeError("rookery-dev did not start")
        self.web = words[1]
        self.ftp_host, self.ftp_port = words[3].split(":")

    def page(self, path):
        with urllib.request.urlopen("http://%s%s" % (self.web, path), timeout=10) as reply:
            return reply.read().decode()

    def ftp(self):
        session = ftplib.FTP()
        session.connect(self.ftp_host, int(self.ftp_port), timeout=10)
        session.login("tarnwick", FTP_PASSWORD)
        return session

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=30)
        self.proc.stdin.close()
        self.proc.stdout.close()


def retrieve(session, got, name="old.csv"):
    session.retrbinary("RETR " + name, got.extend)


# What a client does with each command, and the FTP folder once it is done.
COMMANDS = {
    "STOR": (lambda s, got: s.storbinary("STOR up.csv", io.BytesIO(DATA)),
             {"old.csv": DATA, "up.csv": DATA}),
    "RETR": (retrieve, {"old.csv": DATA}),
    "DELE": (lambda s, got: s.delete("old.csv"), {}),
}


class SwitchesTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="brindle-switches-")
        self.service = Rookery(self.work, "--delay", "60000")
        self.clients = concurrent.futures.ThreadPoolExecutor()  # for requests that wait

    def tearDown(self):
        self.service.stop()
        self.clients.shutdown()
        shutil.rmtree(self.work)

    def files(self):
        found = {}
        for name in os.listdir(self.service.home):
            with open(os.path.join(self.service.home, name), "rb") as f:
                found[name] = f.read()
        return found

    def put(self, name, data):
        with open(os.path.join(self.service.home, name), "wb") as f:
            f.write(data)

    def fetch(self, name="old.csv"):
        got = bytearray()
        with self.service.ftp() as session:
            retrieve(session, got, name)
        return bytes(got)

    def held(self, expected):
        for _ in range(500):
            if self.service.page("/_dev/held") == expected:
                return
            time.sleep(0.01)
        self.fail("never held: %r" % expected)

    def test_a_refused_command_is_answered_550_once_and_does_nothing(self):
        for command, (do, done) in COMMANDS.items():
            with self.subTest(command=command):
                self.put("old.csv", DATA)
                self.assertEqual(self.service.page("/_dev/set?ftp_refuse=" + command), "ok\n")
                with self.service.ftp() as session:
                    with self.assertRaisesRegex(ftplib.error_perm, "^550 Refused by the test"):
                        do(session, bytearray())
                    self.assertEqual(self.files(), {"old.csv": DATA})
                    do(session, bytearray())
                self.assertEqual(self.files(), done)
                self.service.page("/_dev/reset")

    def test_a_dropped_command_loses_the_connection_once(self):
        for command, received, left in [("STOR", b"", {"old.csv": DATA, "up.csv": DATA[:5]}),
                                        ("RETR", DATA[:5], {"old.csv": DATA}),
                                        ("DELE", b"", {"old.csv": DATA})]:
            with self.subTest(command=command):
                do, done = COMMANDS[command]
                self.put("old.csv", DATA)
                self.service.page("/_dev/set?ftp_drop=" + command)
                got = bytearray()
                with self.service.ftp() as session, self.assertRaises(EOFError):
                    do(session, got)
                self.assertEqual((bytes(got), self.files()), (received, left))
                with self.service.ftp() as session:
                    do(session, bytearray())
                self.assertEqual(self.files(), done)
                self.service.page("/_dev/reset")

    def test_a_held_item_answers_after_the_release_and_holds_nothing_else(self):
        verify = "/rookery/csv_importer/ext_verify.php?name_file=old.csv"
        self.put("old.csv", DATA)
        self.put("old.csv.out", b"7,5001\n\n")
        for item, action, answer in [("verify", lambda: self.service.page(verify), "1"),
                                     ("RETR", self.fetch, DATA)]:
            with self.subTest(item=item):
                self.service.page("/_dev/set?hold=" + item)
                waiting = self.clients.submit(action)
                self.held(item + "\n")
                self.assertEqual(action(), answer)  # another request goes past meanwhile
                self.assertFalse(waiting.done())
                self.assertEqual(self.service.page("/_dev/release"), "ok\n")
                self.assertEqual(waiting.result(timeout=10), answer)
                self.assertEqual(self.service.page("/_dev/held"), "")

    def upload_and_import(self, name):
        with self.service.ftp() as session:
            session.storbinary("STOR " + name, io.BytesIO(CONTACT.encode() * 2))
        return self.service.page(
            "/rookery/csv_importer/ext_input.php?category=demo&name_file=" + name)

    def test_reset_leaves_a_fresh_service(self):
        self.service.page("/_dev/set?import=1")
        self.assertEqual(self.upload_and_import("1_csv.tmp"), "1")
        self.service.page("/_dev/set?import=&delay=300")
        self.assertEqual(self.upload_and_import("2_csv.tmp"), "0")  # a result still due
        self.assertEqual(self.service.page("/_dev/count"), "4\n")
        self.service.page("/_dev/set?auth=2&ftp_refuse=RETR&hold=STOR,verify,import")
        verify = "/rookery/csv_importer/ext_verify.php?name_file="
        waiting = {self.clients.submit(self.service.page, verify + "1_csv.tmp"):
                   http.client.IncompleteRead,
                   self.clients.submit(self.upload_and_import, "3_csv.tmp"): EOFError}
        self.held("verify\nSTOR\n")

        self.assertEqual(self.service.page("/_dev/reset"), "ok\n")
        for request, cut in waiting.items():  # let go without an answer
            self.assertIsInstance(request.exception(timeout=10), cut)
        time.sleep(0.5)  # the result that was due would be there by now
        self.assertEqual((self.service.page("/_dev/count"), self.files()), ("0\n", {}))
        self.assertEqual(self.service.page("/_dev/held"), "")
        self.assertEqual(self.service.page(AUTH), "0")
        self.service.page("/_dev/set?ftp=down")
        self.assertEqual(self.service.page("/_dev/reset"), "ok\n")
        # The FTP server is up again, neither the upload nor the import is held, the download
        # is not refused, and the delay is --delay's.
        self.assertEqual(self.upload_and_import("4_csv.tmp"), "0")
        self.assertEqual(self.fetch("4_csv.tmp"), CONTACT.encode() * 2)
        time.sleep(0.5)
        self.assertEqual(self.service.page(verify + "4_csv.tmp"), "0")

    def test_a_stale_result_answers_verify_at_once(self):
        verify = "/rookery/csv_importer/ext_verify.php?name_file=1_csv.tmp"
        for stale, ready in [("1", "1"), ("0", "0")]:
            with self.subTest(stale=stale):
                self.service.page("/_dev/set?import=1")
                self.upload_and_import("1_csv.tmp")
                self.service.page("/_dev/set?import=&stale=" + stale)
                self.assertEqual(self.upload_and_import("1_csv.tmp"), "0")
                self.assertEqual(self.service.page(verify), ready)

    def test_a_stop_releases_held_requests(self):
        self.service.page("/_dev/set?hold=auth")
        waiting = self.clients.submit(self.service.page, AUTH)
        self.held("auth\n")
        self.service.proc.terminate()
        self.assertEqual(self.service.proc.wait(timeout=10), 0)
        concurrent.futures.wait([waiting], timeout=10)
        self.assertTrue(waiting.done())

    def test_bad_switches_are_refused(self):
        for bad in ("hold=LIST", "hold=auth,,STOR", "ftp_drop=verify", "ftp_refuse=stor",
                    "stale=2"):
            with self.subTest(bad=bad), self.assertRaisesRegex(urllib.error.HTTPError, "400"):
                self.service.page("/_dev/set?" + bad)


def main():
    global ROOKERY
    parser = argparse.ArgumentParser()
    parser.add_argument("--rookery", required=True)
    args, rest = parser.parse_known_args()
    ROOKERY = os.path.abspath(args.rookery)
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
