#!/usr/bin/python3
"""Where Brindle keeps Brindle.conf and tmp when it is installed in a folder its user cannot
write into, as a normal user finds it after installing into a system folder.

The tests copy brindle-cli into a folder owned by root and run it as another user (nobody)
through setpriv, so they need root; elsewhere they are skipped.

  program_folder_test.py --cli PATH
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CLI = None
NOBODY = 65534


class ProgramFolderTest(unittest.TestCase):
    def setUp(self):
        if os.geteuid() != 0 or shutil.which("setpriv") is None:
            self.skipTest("needs root and setpriv to act as another user")
        self.work = tempfile.mkdtemp(prefix="brindle-progfolder-")
        os.chmod(self.work, 0o755)
        self.bin = os.path.join(self.work, "bin")
        os.mkdir(self.bin, 0o755)
        self.cli = os.path.join(self.bin, "brindle-cli")
        shutil.copy(CLI, self.cli)
        self.home = os.path.join(self.work, "home")
        os.mkdir(self.home, 0o700)
        os.chown(self.home, NOBODY, NOBODY)

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def start_as_nobody(self, *env, cli=None):
        self.start(["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"],
                   *env, cli=cli)

    def start(self, user, *env, cli=None):
        # A first start: the window creates Brindle.conf and tmp in its program folder.
        result = subprocess.run(
            [*user, "env", "-i", f"HOME={self.home}", *env, cli or self.cli, "drive"],
            input=b"start\nclick Command1\n", capture_output=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode())

    def assert_private_program_folder(self, folder, owner=NOBODY):
        self.assertTrue(os.path.isfile(os.path.join(folder, "Brindle.conf")))
        self.assertTrue(os.path.isdir(os.path.join(folder, "tmp")))
        self.assertEqual(os.stat(folder).st_mode & 0o777, 0o700)
        self.assertEqual(os.stat(folder).st_uid, owner)

    def test_unwritable_executable_folder_falls_back_to_the_user_data_folder(self):
        self.start_as_nobody()
        self.assert_private_program_folder(os.path.join(self.home, ".local", "share", "brindle"))
        self.assertEqual(sorted(os.listdir(self.bin)), ["brindle-cli"])

    def test_xdg_data_home_names_the_user_data_folder(self):
        data = os.path.join(self.home, "data")
        self.start_as_nobody(f"XDG_DATA_HOME={data}")
        self.assert_private_program_folder(os.path.join(data, "brindle"))

    def test_writable_executable_folder_is_kept(self):
        os.chown(self.bin, NOBODY, NOBODY)
        self.start_as_nobody()
        self.assertTrue(os.path.isfile(os.path.join(self.bin, "Brindle.conf")))
        self.assertEqual(os.listdir(self.home), [])

    def test_system_folder_is_left_to_the_package_even_for_root(self):
        # Root may write into /usr/bin, but what it saves belongs in its own data folder.
        for prefix in ("/usr/local/lib", "/opt"):
            with self.subTest(prefix=prefix):
                installed = tempfile.mkdtemp(prefix="brindle-test-", dir=prefix)
                self.addCleanup(shutil.rmtree, installed, ignore_errors=True)
                cli = shutil.copy(CLI, installed)
                data = os.path.join(self.home, prefix.replace("/", "_"))
                self.start([], f"XDG_DATA_HOME={data}", cli=cli)
                self.assert_private_program_folder(os.path.join(data, "brindle"), owner=0)
                self.assertEqual(os.listdir(installed), ["brindle-cli"])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    args, rest = parser.parse_known_args()
    CLI = args.cli
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
