#!/usr/bin/python3
"""Every contact in the service exactly once, whatever single fault meets a sync.

Each cell runs `brindle-cli sync` against rookery-dev with one fault: the command killed
(SIGKILL) at a step, a connection dropped or a command refused at STOR, RETR or DELE, a page
dropped, stalled or garbled, or an earlier run's result left waiting under the same name. Then one
more run meets the healthy service. After it, every exported record is stored exactly once,
address.dat carries every id and is otherwise as it was, no journal or stale result is left,
and no run ever left the file damaged. One rookery-dev serves all cells, reset between them.

  fault_matrix_test.py --cli PATH --rookery PATH [--cells NAME,NAME...] [--run-with COMMAND]

--cells runs only the cells named (the sanitizer build and Wine run a few); --run-with starts
brindle-cli through that command (Wine).
"""
import argparse
import glob
import os
import signal
import subprocess
import sys
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_sync_test as base  # noqa: E402  (its Rookery runner)
import sync_safety_test as safety  # noqa: E402  (its fixture)

CHOSEN = safety.CHOSEN
ALL = "1 2 3 4 5 0"

# name: (how the fault is set, how the faulty run is met). "hold" cells kill the command
# while the service holds that command or page; "line" cells kill it when it prints the line.
CELLS = {
    "kill at authentication": ({"hold": "auth"}, "kill"),
    "kill at the check for an earlier result": ({"hold": "verify"}, "kill"),
    "kill during the upload": ({"hold": "STOR"}, "kill"),
    "kill after the import request": ({"hold": "import"}, "kill"),
    "kill during the download": ({"hold": "RETR"}, "kill"),
    "kill with the result held": ({}, "line:Local Status: Copying original data"),
    "kill after the write-back": ({"hold": "DELE"}, "kill"),
    "upload dropped": ({"ftp_drop": "STOR"}, "run"),
    "upload refused": ({"ftp_refuse": "STOR"}, "run"),
    "download dropped": ({"ftp_drop": "RETR"}, "run"),
    "download refused": ({"ftp_refuse": "RETR"}, "run"),
    "delete dropped": ({"ftp_drop": "DELE"}, "run"),
    "delete refused": ({"ftp_refuse": "DELE"}, "run"),
    "import page dropped": ({"drop": "import"}, "run"),
    "verify page dropped": ({"drop": "verify"}, "run"),
    "import page garbled": ({"garbage": "import"}, "run"),
    "verify page garbled": ({"garbage": "verify"}, "run"),
    "import page stalled": ({"stall": "import", "stall_ms": "2500"}, "timeout"),
    "verify page stalled": ({"stall": "verify", "stall_ms": "2500"}, "timeout"),
    # A service that keeps an old result at import, where the delete of one was refused.
    "an earlier result waiting": ({"stale": "1", "ftp_refuse": "DELE"}, "run"),
}
# Page faults last until cleared; the FTP ones and holds clear themselves.
LASTING = ("drop", "garbage", "stall")
SELECTED = list(CELLS)


class FaultMatrixTest(safety.SyncFixture):
    @classmethod
    def setUpClass(cls):
        cls.data = os.path.join(os.environ.get("TMPDIR", "/tmp"), "brindle-matrix-%d" % os.getpid())
        os.mkdir(cls.data, 0o700)
        cls.rookery = base.Rookery("--delay", "100", "--data-dir", cls.data)

    @classmethod
    def tearDownClass(cls):
        cls.rookery.stop()
        subprocess.run(["rm", "-rf", cls.data], check=True)

    def setUp(self):
        super().setUp()
        self.service = None  # the class's, which the fixture must not stop
        self.web("/_dev/reset")

    def args(self, *extra):
        r = self.rookery
        return [*base.RUN_WITH, base.CLI, "sync", self.dat, "--categories", CHOSEN, "--user", "demo",
                "--password-file", self.password, "--program-folder", self.prog,
                "--web-host", r.web, "--ftp-host", r.ftp, *extra]

    def web(self, path):
        with urllib.request.urlopen("http://%s%s" % (self.rookery.web, path), timeout=10) as r:
            return r.read().decode("latin-1")

    def set(self, key, value):
        self.web("/_dev/set?%s=%s" % (key, value))

    def test_every_cell_stores_each_contact_once(self):
        exported = len(self.ids(CHOSEN))
        for name in SELECTED:
            faults, how = CELLS[name]
            with self.subTest(cell=name):
                self.setUp_cell()
                for key, value in faults.items():
                    self.set(key, value)
                self.faulty_run(how)
                self.assert_file_sound()
                for key in LASTING:
                    if key in faults:
                        self.set(key, "")
                status, out, err = self.run_sync()
                self.assertEqual(status, 0, "%s: the healthy run failed:\n%s%s" % (name, out, err))
                self.assert_exactly_once(exported)

    def setUp_cell(self):
        self.web("/_dev/reset")
        with open(self.dat, "wb") as f:
            f.write(self.original)
        for leftover in glob.glob(os.path.join(self.prog, "sync-journal-*")):
            os.remove(leftover)

    def run_sync(self, *extra):
        proc = subprocess.run(self.args(*extra), capture_output=True, timeout=120)
        return proc.returncode, proc.stdout.decode(), proc.stderr.decode()

    def faulty_run(self, how):
        if how == "run":
            self.run_sync()
        elif how == "timeout":
            self.run_sync("--timeout", "1")
        elif how == "kill":
            self.killed_when(lambda proc: self.web("/_dev/held").strip() != "")
            self.web("/_dev/release")
        elif how.startswith("line:"):
            self.killed_at_line(how[len("line:"):])

    def killed_when(self, ready):
        proc = subprocess.Popen(self.args(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(1000):
                if ready(proc) or proc.poll() is not None:
                    break
                time.sleep(0.01)
            self.assertIsNone(proc.poll(), "the run ended before the step it was to be killed at")
            proc.send_signal(signal.SIGKILL)
        finally:
            proc.wait(timeout=60)

    def killed_at_line(self, line):
        proc = subprocess.Popen(self.args(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            for raw in proc.stdout:
                if raw.decode().startswith(line):
                    proc.send_signal(signal.SIGKILL)
                    break
        finally:
            proc.wait(timeout=60)
            proc.stdout.close()
        self.assertEqual(proc.returncode, -signal.SIGKILL, "never printed %r" % line)

    def without_ids(self):
        """Every category's export with column 28, the service's id, blanked."""
        lines = self.export(ALL).split(b'"\r\n')
        return [b'","'.join(f if i != 27 else b"" for i, f in enumerate(line.split(b'","')))
                for line in lines]

    def assert_file_sound(self):
        info = self.cli("info", self.dat, check=False)
        self.assertEqual(info.returncode, 0, "the address file is damaged: %s" % info.stderr)
        self.assertEqual(self.without_ids(), self.original_without_ids())

    def original_without_ids(self):
        if not hasattr(self, "_original_export"):
            current = self.current()
            with open(self.dat, "wb") as f:
                f.write(self.original)
            self._original_export = self.without_ids()
            with open(self.dat, "wb") as f:
                f.write(current)
        return self._original_export

    def assert_exactly_once(self, exported):
        self.assert_file_sound()
        ids = [line.split(b'","')[27].decode()
               for line in self.export(CHOSEN).split(b'"\r\n') if line.count(b'","') >= 29]
        self.assertEqual(len(ids), exported)
        self.assertTrue(all(i.isdigit() for i in ids), ids)
        self.assertEqual(len(set(ids)), exported, "two records share an id")
        stored = [line.split("\t")[0] for line in self.web("/_dev/contacts").splitlines()]
        self.assertEqual(sorted(stored), sorted(ids),
                         "the service does not hold each exported contact exactly once")
        self.assertEqual(glob.glob(os.path.join(self.prog, "sync-journal-*")), [])
        self.assertEqual(glob.glob(os.path.join(self.data, "ftp", "*.out")), [],
                         "a result is left on the service")


def main():
    global SELECTED
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rookery", required=True)
    parser.add_argument("--cells", default="")
    parser.add_argument("--run-with", default="")
    args, rest = parser.parse_known_args()
    base.CLI, base.ROOKERY = os.path.abspath(args.cli), os.path.abspath(args.rookery)
    base.RUN_WITH = args.run_with.split()
    if args.cells:
        SELECTED = [c for c in args.cells.split(",")]
        unknown = [c for c in SELECTED if c not in CELLS]
        if unknown:
            parser.error("unknown cells: %s" % ", ".join(unknown))
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
