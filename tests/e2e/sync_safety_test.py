#!/usr/bin/python3
"""`brindle-cli sync` and `writeback` against a rookery-dev that sends hostile result files,
and rookery-dev's own safety: secrets off the command line, private files, slow clients.

Each test starts its own rookery-dev on free loopback ports and stops it by PID.

  sync_safety_test.py --cli PATH --rookery PATH
"""
import argparse
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_sync_test as base  # noqa: E402  (its Rookery runner)

CHOSEN = "1 2"
UNCHOSEN = "3 4 5 0"


class SyncFixture(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="brindle-safety-")
        self.prog = os.path.join(self.work, "prog")
        os.mkdir(self.prog)
        self.dat = os.path.join(self.work, "address.dat")
        self.cli("sample", self.dat, "--records", "30")
        self.original = self.current()
        self.password = self.secret("password", "demo\n")
        self.service = None

    def tearDown(self):
        if self.service:
            self.service.stop()
        shutil.rmtree(self.work)

    def secret(self, name, text):
        path = os.path.join(self.work, name)
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        with os.fdopen(fd, "w") as f:
            f.write(text)
        return path

    def cli(self, *args, check=True, prefix=()):
        proc = subprocess.run([*(prefix or base.RUN_WITH), base.CLI, *args], capture_output=True,
                              timeout=120)
        if check and proc.returncode != 0:
            self.fail("%s failed: %s" % (args, proc.stderr.decode()))
        return proc

    def sync(self, *extra, user="demo", prefix=()):
        proc = self.cli("sync", self.dat, "--categories", CHOSEN, "--user", user,
                        "--password-file", self.password, "--program-folder", self.prog,
                        "--web-host", self.service.web, "--ftp-host", self.service.ftp,
                        *extra, check=False, prefix=prefix)
        return proc.returncode, proc.stdout.decode(), proc.stderr.decode()

    def current(self):
        with open(self.dat, "rb") as f:
            return f.read()

    def export(self, categories):
        out = os.path.join(self.work, "check.csv")
        self.cli("export", self.dat, "--categories", categories, "--output", out)
        with open(out, "rb") as f:
            return f.read()

    def ids(self, categories):
        # A line starts with its record id; a note may hold line breaks of its own.
        return [i.decode() for i in re.findall(rb'(?:^|\r\n)"(\d+)","', self.export(categories))]


class HostileResultTest(SyncFixture):
    def test_rows_for_unchosen_records_are_ignored_and_the_rest_counted(self):
        unchosen = self.ids(UNCHOSEN)[:3]
        exported = len(self.ids(CHOSEN))
        before = self.export(UNCHOSEN)
        self.service = base.Rookery("--fault", "import=1",
                                    "--fault", "result_ids=" + ",".join(unchosen))
        status, out, err = self.sync()
        self.assertEqual(status, 0, out + err)
        self.assertIn("Wrote %d register(s)!" % exported, out)
        self.assertIn("Updated %d record(s)" % (exported - 3), out)
        self.assertIn("Local Status: Process finished...", out)
        self.assertEqual(self.export(UNCHOSEN), before)

    def test_only_unknown_records_is_a_download_error(self):
        self.service = base.Rookery("--fault", "import=1", "--fault", "result=unknown")
        status, out, err = self.sync()
        self.assertEqual(status, 1)
        self.assertIn("Downloading Data: Download error, check your connection and try again!",
                      out)
        self.assertNotIn("Process finished...", out)
        self.assertIn("Updated 0 record(s)", out)
        self.assertIn("brindle-cli sync: the result file names none of the", err)
        self.assertEqual(self.current(), self.original)

    def test_writeback_refuses_unsafe_identifiers_with_a_clear_message(self):
        some = self.ids(CHOSEN)[0].encode()
        result = os.path.join(self.work, "result.out")
        for bad, name in ((b"9\n0", "0x0A"), (b"9\x000", "0x00"), (b'9"0', "0x22"),
                          (b"\x1b[2J", "0x1B"), (b"9\x800", "0x80"), (b"\xff", "0xFF")):
            with self.subTest(byte=name):
                with open(result, "wb") as f:
                    f.write(some + b",900\n\n" + b"77777," + bad + b"\n\n")
                proc = self.cli("writeback", self.dat, result, check=False)
                self.assertNotEqual(proc.returncode, 0)
                self.assertIn("result row 2", proc.stderr.decode())
                self.assertIn("database identifier holds byte " + name, proc.stderr.decode())
                self.assertEqual(self.current(), self.original)


class FailureCauseTest(SyncFixture):
    def run_as_user(self):
        """A prefix that runs brindle-cli as a user whom permissions bind, or None."""
        if os.geteuid() != 0:
            return ()
        setpriv = shutil.which("setpriv")
        if not setpriv:
            return None
        os.chmod(self.work, 0o755)
        for root, dirs, files in os.walk(self.work):
            for name in [root, *(os.path.join(root, n) for n in dirs + files)]:
                os.chown(name, 65534, 65534)
        return (setpriv, "--reuid=65534", "--regid=65534", "--clear-groups")

    def test_read_only_folders_print_the_real_cause(self):
        self.service = base.Rookery("--fault", "import=1")
        tmp = os.path.join(self.prog, "tmp")
        os.makedirs(tmp)
        prefix = self.run_as_user()
        if prefix is None:
            self.skipTest("running as root without setpriv to become another user")
        for read_only, window_text in ((self.prog, "[File Path Error]"),
                                       (tmp, "Error... There is some problem with the output file!")):
            with self.subTest(read_only=read_only):
                os.chmod(read_only, 0o555)
                try:
                    status, out, err = self.sync(prefix=prefix)
                finally:
                    os.chmod(read_only, 0o755)
                self.assertEqual(status, 1)
                self.assertIn(window_text, out)
                self.assertRegex(err, r"brindle-cli sync: .*" + re.escape(read_only) +
                                 r".*[Pp]ermission denied")
                self.assertEqual(self.current(), self.original)


def processes_under(pid):
    """pid and every descendant of it."""
    found = [pid]
    for p in found:
        for task in os.listdir("/proc/%d/task" % p):
            with open("/proc/%d/task/%s/children" % (p, task)) as f:
                found += [int(c) for c in f.read().split()]
    return found


class RookerySafetyTest(SyncFixture):
    FTP_PASSWORD = "ftp-Secret-4711"
    ACCOUNT_PASSWORD = "acct-Secret-0815"

    def start_private(self):
        self.data = os.path.join(self.work, "data")
        ftp_file = self.secret("ftp-password", self.FTP_PASSWORD + "\n")
        accounts = self.secret("accounts", "anna=%s\n" % self.ACCOUNT_PASSWORD)
        self.service = base.Rookery("--data-dir", self.data, "--ftp-password-file", ftp_file,
                                    "--accounts-file", accounts, "--fault", "import=1")
        self.password = self.secret("password", self.ACCOUNT_PASSWORD + "\n")
        return ftp_file

    def test_no_password_on_any_command_line_and_they_still_work(self):
        ftp_file = self.start_private()
        pids = processes_under(self.service.proc.pid)
        self.assertGreaterEqual(len(pids), 2, "the FTP child is missing")
        for pid in pids:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                cmdline = f.read()
            self.assertNotIn(self.FTP_PASSWORD.encode(), cmdline, pid)
            self.assertNotIn(self.ACCOUNT_PASSWORD.encode(), cmdline, pid)
        status, out, err = self.sync("--ftp-password-file", ftp_file, user="anna")
        self.assertEqual(status, 0, out + err)

    def test_database_uploads_and_folders_are_private(self):
        ftp_file = self.start_private()
        status, out, err = self.sync("--ftp-password-file", ftp_file, user="anna")
        self.assertEqual(status, 0, out + err)
        uploads = [n for n in os.listdir(os.path.join(self.data, "ftp")) if n.endswith("_csv.tmp")]
        self.assertTrue(uploads)
        expected = {"": 0o700, "ftp": 0o700, "staging": 0o700, "rookery.sqlite": 0o600}
        expected.update({os.path.join("ftp", n): 0o600 for n in uploads})
        for name, mode in expected.items():
            self.assertEqual(os.stat(os.path.join(self.data, name)).st_mode & 0o777, mode, name)

    def test_data_folder_open_to_others_is_refused(self):
        shared = os.path.join(self.work, "shared")
        os.mkdir(shared, 0o755)
        os.chmod(shared, 0o755)
        proc = subprocess.run([base.ROOKERY, "--data-dir", shared], capture_output=True,
                              stdin=subprocess.DEVNULL, timeout=30)
        self.assertEqual(proc.returncode, 1)
        self.assertIn(b"open to other users", proc.stderr)
        self.assertEqual(os.listdir(shared), [])

    def test_ten_slow_clients_do_not_starve_an_authentication(self):
        self.service = base.Rookery()
        host, port = self.service.web.split(":")
        stop = threading.Event()
        slow = []
        for _ in range(10):
            s = socket.create_connection((host, int(port)), timeout=5)
            s.sendall(b"GET /rookery/csv_importer/ext_auth.php?login=demo&pass=demo HTTP/1.1\r\n")
            slow.append(s)

        def trickle():  # one header byte a second: never idle long enough to be cut off
            while not stop.wait(1):
                for s in slow:
                    try:
                        s.sendall(b"X")
                    except OSError:
                        pass

        worker = threading.Thread(target=trickle)
        worker.start()
        try:
            time.sleep(0.5)
            url = "http://%s/rookery/csv_importer/ext_auth.php?login=demo&pass=demo" % \
                self.service.web
            with urllib.request.urlopen(url, timeout=5) as reply:
                self.assertEqual(reply.read(), b"0")
        finally:
            stop.set()
            worker.join()
            for s in slow:
                s.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rookery", required=True)
    args, rest = parser.parse_known_args()
    base.CLI, base.ROOKERY = os.path.abspath(args.cli), os.path.abspath(args.rookery)
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
