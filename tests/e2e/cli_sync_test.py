#!/usr/bin/python3
"""End-to-end tests of `brindle-cli sync` against rookery-dev on free loopback ports.

Each test starts its own rookery-dev (stopped by PID when the test ends), writes a sample
address.dat with `brindle-cli sample`, runs the sync and checks what it printed, its exit
status and the file afterwards (with `brindle-cli export`, which shows column 28, the
service's id, and `brindle-cli info`).

  cli_sync_test.py --cli PATH --rookery PATH [--run-with COMMAND]

With --run-with (Wine, for the Windows build) brindle-cli is started through that command,
and the paths it saves are Windows' names of the same files (Z:\\tmp\\...).
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

CLI = None
ROOKERY = None
RUN_WITH = []


def saved(path):
    """The absolute path as brindle-cli saves it: under Wine, the Windows name of the file."""
    return "Z:" + path.replace("/", "\\") if RUN_WITH else path


class Rookery:
    def __init__(self, *args):
        self.proc = subprocess.Popen([ROOKERY, *args], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        words = self.proc.stdout.readline().decode().split()
        if len(words) != 4:
            self.stop()
            raise RuntimeError("rookery-dev did not start")
        self.web, self.ftp = words[1], words[3]

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.proc.stdin.close()
        self.proc.stdout.close()


def unused_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class CliSyncTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="brindle-e2e-")
        self.prog = os.path.join(self.work, "prog")
        os.mkdir(self.prog)
        self.dat = os.path.join(self.work, "address.dat")
        self.cli("sample", self.dat, "--records", "30")
        with open(self.dat, "rb") as f:
            self.original = f.read()
        self.password = os.path.join(self.work, "password")
        with open(self.password, "w") as f:
            f.write("demo\n")
        self.service = None

    def tearDown(self):
        if self.service:
            self.service.stop()
        shutil.rmtree(self.work)

    def cli(self, *args, check=True, cwd=None):
        proc = subprocess.run([*RUN_WITH, CLI, *args], capture_output=True, timeout=120, cwd=cwd)
        if check and proc.returncode != 0:
            self.fail("%s failed: %s" % (args, proc.stderr.decode()))
        return proc

    def sync(self, *extra, web=None, ftp=None, password=True, prog=None, dat=None, cwd=None):
        args = ["sync", dat or self.dat, "--categories", "1 2", "--user", "demo",
                "--program-folder", prog or self.prog,
                "--web-host", web or self.service.web, "--ftp-host", ftp or self.service.ftp]
        if password:
            args += ["--password-file", self.password]
        proc = self.cli(*args, *extra, check=False, cwd=cwd)
        return proc.returncode, proc.stdout.decode(), proc.stderr.decode()

    def column28(self):
        out = os.path.join(self.work, "check.csv")
        self.cli("export", self.dat, "--categories", "1 2", "--output", out)
        with open(out, "rb") as f:
            return [line.split(b'","')[27] for line in f.read().splitlines()]

    def current(self):
        with open(self.dat, "rb") as f:
            return f.read()

    def test_full_run_writes_the_service_ids_back(self):
        self.service = Rookery("--delay", "300")
        status, out, err = self.sync()
        self.assertEqual(status, 0, out + err)
        for line in ("Authentication: Authentication OK...", "Uploading Data: Data sent!",
                     "Importing Online: Output file was processed!",
                     "Downloading Data: Data received!", "Local Status: Process finished..."):
            self.assertIn(line, out)
        ids = self.column28()
        self.assertTrue(ids and all(i.isdigit() and int(i) >= 5001 for i in ids), ids)
        self.assertEqual(len(set(ids)), len(ids))
        self.assertNotEqual(self.current(), self.original)
        self.assertEqual(len(os.listdir(os.path.join(self.prog, "tmp"))), 0)

        # The second sync of the same records updates the same contacts.
        status, out, err = self.sync()
        self.assertEqual(status, 0, out + err)
        self.assertEqual(self.column28(), ids)

    def test_password_from_the_saved_configuration(self):
        self.service = Rookery("--fault", "import=1")
        self.assertEqual(self.sync()[0], 0)
        status, out, err = self.sync(password=False)
        self.assertEqual(status, 0, out + err)

    def test_rejected_authentication(self):
        for fault, text in (("auth=2", "valid USERNAME/PASSWORD!"),
                            ("auth=1", "USERNAME with PALM Level!"),
                            ("auth=none", "valid USERNAME/PASSWORD!")):
            with self.subTest(fault=fault):
                self.service = Rookery("--fault", fault)
                status, out, _ = self.sync()
                self.service.stop()
                self.service = None
                self.assertEqual(status, 1)
                self.assertIn("Authentication: Error... You have to enter with a " + text, out)
                self.assertNotIn("Uploading Data:", out)
                self.assertEqual(self.current(), self.original)

    def test_missing_result_file_is_a_download_error(self):
        self.service = Rookery("--fault", "import=1", "--fault", "result=none")
        status, out, _ = self.sync()
        self.assertEqual(status, 1)
        self.assertIn("[Error] 550 ", out)
        self.assertIn("Downloading Data: Download error, check your connection and try again!",
                      out)
        self.assertEqual(self.current(), self.original)

    def test_refused_web_host(self):
        self.service = Rookery()
        status, out, _ = self.sync(web="127.0.0.1:%d" % unused_port())
        self.assertEqual(status, 1)
        self.assertIn("valid USERNAME/PASSWORD!", out)
        self.assertEqual(self.current(), self.original)

    def test_refused_ftp_host_says_not_connected_and_gives_up_in_time(self):
        self.service = Rookery()
        status, out, _ = self.sync("--timeout", "3", ftp="127.0.0.1:%d" % unused_port())
        self.assertEqual(status, 1)
        self.assertIn("Uploading Data: Not Connected", out)
        self.assertIn("[Error] 12030 ", out)
        self.assertIn("closing the window", out)
        self.assertEqual(self.current(), self.original)

    def test_garbage_reply(self):
        self.service = Rookery("--fault", "garbage=auth")
        status, out, _ = self.sync()
        self.assertEqual(status, 1)
        self.assertIn("Exporting Data: Error... There is some problem with the output file!", out)
        self.assertEqual(self.current(), self.original)

    def test_program_folder_named_outside_windows_1252(self):
        self.service = Rookery("--fault", "import=1")
        for name in ("\u0142prog", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac",
                     "\u65e5\u672c\u8a9e\u30d5\u30a9\u30eb\u30c0"):
            with self.subTest(folder=name):
                prog = os.path.join(self.work, name)
                os.mkdir(prog)
                status, out, err = self.sync(prog=prog)
                self.assertEqual(status, 0, out + err)
                self.assertIn("Exporting Data: Wrote ", out)
                self.assertIn("Local Status: Process finished...", out)
                self.assertEqual(os.listdir(os.path.join(prog, "tmp")), [])
                with open(os.path.join(prog, "Brindle.conf"), "rb") as f:
                    self.assertEqual(f.read().split(b"\r\n")[0], saved(self.dat).encode())

    def test_address_file_named_outside_the_code_page_is_refused_not_saved_with_marks(self):
        # Brindle.conf holds the path in the system's 8-bit code page, which has no Japanese.
        self.service = Rookery("--fault", "import=1")
        folder = os.path.join(self.work, "\u65e5\u672c\u8a9e")
        os.mkdir(folder)
        dat = os.path.join(folder, "address.dat")
        shutil.copy(self.dat, dat)
        status, out, err = self.sync(dat=dat)
        self.assertEqual(status, 1, out + err)
        self.assertIn(" cannot be named in Windows-1252, the code page of the window's path box",
                      err)
        self.assertFalse(os.path.exists(os.path.join(self.prog, "Brindle.conf")))
        with open(dat, "rb") as f:
            self.assertEqual(f.read(), self.original)

    def test_only_the_named_file_is_loaded_and_its_absolute_path_saved(self):
        self.service = Rookery("--fault", "import=1")
        other = os.path.join(self.work, "other.dat")
        self.cli("sample", other, "--records", "5", "--seed", "9")
        with open(other, "rb") as f:
            other_bytes = f.read()
        other_inode = os.stat(other).st_ino
        with open(os.path.join(self.prog, "Brindle.conf"), "wb") as f:
            f.write(other.encode() + b"\r\n1 2\r\ndemo\r\ndemo\r\n")
        status, out, err = self.sync(dat="address.dat", cwd=self.work)
        self.assertEqual(status, 0, out + err)
        # The saved file was neither read nor copied and swapped.
        self.assertEqual(os.stat(other).st_ino, other_inode)
        with open(other, "rb") as f:
            self.assertEqual(f.read(), other_bytes)
        self.assertNotEqual(self.current(), self.original)
        with open(os.path.join(self.prog, "Brindle.conf"), "rb") as f:
            self.assertEqual(f.read().split(b"\r\n")[0], saved(self.dat).encode())

    def test_usage_errors(self):
        self.assertEqual(self.cli("sync", self.dat, "--categories", "1", check=False).returncode, 2)
        self.assertEqual(self.cli("sync", self.dat, "--user", "x", check=False).returncode, 2)
        self.assertEqual(self.cli("sync", self.dat, "--user", "x", "--categories", "a",
                                  check=False).returncode, 2)


def main():
    global CLI, ROOKERY, RUN_WITH
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rookery", required=True)
    parser.add_argument("--run-with", default="")
    args, rest = parser.parse_known_args()
    CLI, ROOKERY = os.path.abspath(args.cli), os.path.abspath(args.rookery)
    RUN_WITH = args.run_with.split()
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
