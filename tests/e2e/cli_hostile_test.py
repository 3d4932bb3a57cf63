#!/usr/bin/python3
"""`brindle-cli sync --timeout S` against servers that hold, drip or never finish: in every
state of the run it must end within S + 2 seconds, exit 1 and leave the address file as it was.

Each test starts its servers (tests/support/hostile_server.py, and rookery-dev for a slow
import) on free loopback ports and stops them by PID when it ends.

  cli_hostile_test.py --cli PATH --rookery PATH --server PATH
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cli_sync_test import unused_port  # noqa: E402

CLI = ROOKERY = SERVER = None
TIMEOUT = 3


class Server:
    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.words = self.proc.stdout.readline().decode().split()
        if not self.words:
            self.stop()
            raise RuntimeError("%s did not start" % argv[0])

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
        self.proc.stdin.close()
        self.proc.stdout.close()


def hostile(*args):
    server = Server(["/usr/bin/python3", SERVER, *args])
    server.host = "127.0.0.1:" + server.words[0]
    return server


class CliHostileTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="brindle-hostile-")
        self.prog = os.path.join(self.work, "prog")
        os.mkdir(self.prog)
        self.dat = os.path.join(self.work, "address.dat")
        subprocess.run([CLI, "sample", self.dat, "--records", "30"], check=True,
                       capture_output=True)
        with open(self.dat, "rb") as f:
            self.original = f.read()
        self.password = os.path.join(self.work, "password")
        with open(self.password, "w") as f:
            f.write("demo\n")
        self.servers = []

    def tearDown(self):
        for server in self.servers:
            server.stop()
        shutil.rmtree(self.work)

    def started(self, server):
        self.servers.append(server)
        return server

    def assert_ends_in_time(self, web, ftp, state_line, closed=True):
        args = [CLI, "sync", self.dat, "--categories", "1 2", "--user", "demo",
                "--password-file", self.password, "--program-folder", self.prog,
                "--web-host", web, "--ftp-host", ftp, "--timeout", str(TIMEOUT)]
        start = time.monotonic()
        proc = subprocess.run(args, capture_output=True, timeout=60)
        took = time.monotonic() - start
        out = proc.stdout.decode()
        self.assertIn(state_line, out)
        self.assertEqual("closing the window" in out, closed, out)
        self.assertEqual(proc.returncode, 1, out)
        self.assertLess(took, TIMEOUT + 2, out)
        with open(self.dat, "rb") as f:
            self.assertEqual(f.read(), self.original)
        return out

    def test_authentication_dripping(self):
        web = self.started(hostile("http", "--drip", "3"))
        self.assert_ends_in_time(web.host, "127.0.0.1:%d" % unused_port(),
                                 "Authentication: Verifying the Authentication...")

    def test_upload_whose_final_reply_is_held(self):
        web = self.started(hostile("http", "--ready"))
        ftp = self.started(hostile("ftp", "--hold", "stor"))
        self.assert_ends_in_time(web.host, ftp.host,
                                 "Uploading Data: Uploading Data... Wait a moment!")

    def test_upload_to_a_dead_passive_port(self):
        web = self.started(hostile("http", "--ready"))
        ftp = self.started(hostile("ftp", "--dead-pasv"))
        # Both transfers fail at once ("Not Connected"), and the run ends with the download
        # error before the time-out.
        out = self.assert_ends_in_time(web.host, ftp.host, "Uploading Data: Not Connected",
                                       closed=False)
        # The window's critical box, printed with its title.
        self.assertIn("[Error] 12030 ", out)

    def test_import_that_never_ends(self):
        service = self.started(Server([ROOKERY, "--delay", "600000"]))
        self.assert_ends_in_time(service.words[1], service.words[3],
                                 "Importing Online: Server processing the output file...")

    def test_download_whose_final_reply_is_held(self):
        web = self.started(hostile("http", "--ready"))
        ftp = self.started(hostile("ftp", "--hold", "retr"))
        self.assert_ends_in_time(web.host, ftp.host,
                                 "Downloading Data: Downloading Data... Wait a moment!")


def main():
    global CLI, ROOKERY, SERVER
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rookery", required=True)
    parser.add_argument("--server", required=True)
    args, rest = parser.parse_known_args()
    CLI, ROOKERY, SERVER = (os.path.abspath(p) for p in (args.cli, args.rookery, args.server))
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
