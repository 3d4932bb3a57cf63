#!/usr/bin/python3
"""`brindle-cli sync` killed (SIGKILL) after its import request, then run again when the
interrupted run cannot be finished: the user decides (a kill at every step, and the network's
faults, are in fault_matrix_test.py).

  resume_test.py --cli PATH --rookery PATH
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


class ResumeTest(safety.SyncFixture):
    def args(self, *extra):
        return [base.CLI, "sync", self.dat, "--categories", CHOSEN, "--user", "demo",
                "--password-file", self.password, "--program-folder", self.prog,
                "--web-host", self.service.web, "--ftp-host", self.service.ftp, *extra]

    def sync_killed_at(self, line, imported=False):
        """Runs a sync and kills it the moment it prints `line` (and, with `imported`, once the
        service has stored the contacts); returns what it printed."""
        proc = subprocess.Popen(self.args(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        seen = []
        try:
            for raw in proc.stdout:
                seen.append(raw.decode())
                if seen[-1].startswith(line):
                    while imported and self.web("/_dev/count").strip() == "0":
                        time.sleep(0.01)
                    proc.send_signal(signal.SIGKILL)
                    break
        finally:
            proc.wait(timeout=60)
            proc.stdout.close()
        self.assertEqual(proc.returncode, -signal.SIGKILL, "never printed %r: %s" % (line, seen))
        return "".join(seen)

    def web(self, path):
        with urllib.request.urlopen("http://%s%s" % (self.service.web, path), timeout=10) as r:
            return r.read().decode()

    def wait_until_ready(self, name):
        for _ in range(200):
            if self.web("/rookery/csv_importer/ext_verify.php?name_file=" + name).strip() == "1":
                return
            time.sleep(0.05)
        self.fail("the service never made the result of " + name)

    def journals(self):
        return glob.glob(os.path.join(self.prog, "sync-journal-*.txt"))

    def column28(self):
        return [line.split(b'","')[27].decode()
                for line in self.export(CHOSEN).split(b'"\r\n')  # a note may hold CR LF
                if line.count(b'","') >= 29]

    def assert_each_contact_once(self, exported):
        ids = self.column28()
        self.assertEqual(len(ids), exported)
        self.assertTrue(all(i.isdigit() for i in ids), ids)
        self.assertEqual(len(set(ids)), exported)
        self.assertEqual(self.web("/_dev/count").strip(), str(exported))

    def test_result_gone_asks_and_goes_on_only_with_resume_skip(self):
        self.service = base.Rookery("--delay", "60000")
        self.sync_killed_at("Importing Online: Server processing", imported=True)
        stalled = self.current()

        status, out, err = self.sync()
        self.assertEqual(status, 1)
        self.assertIn("Importing Online: Error... The interrupted sync could not be finished!",
                      out)
        self.assertIn("may already be in the service", out)
        self.assertIn("-> No", out)
        self.assertIn("gone or not ready", err)
        self.assertNotIn("Authentication:", out)
        self.assertEqual(self.current(), stalled)
        self.assertEqual(len(self.journals()), 1)

        self.web("/_dev/set?delay=200")
        status, out, err = self.sync("--resume-skip")
        self.assertEqual(status, 0, out + err)
        self.assertIn("-> Yes", out)
        self.assertIn("Local Status: Process finished...", out)
        self.assertEqual(self.journals(), [])
        self.assertTrue(all(i.isdigit() for i in self.column28()))

    def test_damaged_journal_is_reported_and_kept(self):
        self.service = base.Rookery("--delay", "400")
        self.sync_killed_at("Importing Online: Server processing")
        [journal] = self.journals()
        with open(journal, "r+b") as f:
            f.truncate(40)  # as a full disk might leave it
        status, out, err = self.sync()
        self.assertEqual(status, 1)
        self.assertIn("damaged sync journal", err)
        self.assertIn("-> No", out)
        self.assertEqual(self.current(), self.original)
        self.assertEqual(self.journals(), [journal])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--rookery", required=True)
    args, rest = parser.parse_known_args()
    base.CLI, base.ROOKERY = args.cli, args.rookery
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
