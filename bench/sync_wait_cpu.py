#!/usr/bin/python3
"""How much processor a sync uses while it waits on a slow service.

Starts rookery-dev with a slow import (the result file appears only after --delay seconds),
runs `brindle-cli sync` of a sample file against it, and reports the CPU time (user + system)
that brindle-cli used against the wall time it ran, as a share of one core. Nearly all of that
time is the wait for the import, during which the tool only polls the verify page about once
a second. Target: under 2% of one core.

  bench/sync_wait_cpu.py [--build DIR] [--delay SECONDS]

DIR (default build) must hold brindle-cli and rookery-dev already built.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--delay", type=float, default=20.0)
    args = parser.parse_args()
    cli = os.path.abspath(os.path.join(args.build, "app/cli/brindle-cli"))
    rookery = os.path.abspath(os.path.join(args.build, "devservice/rookery-dev"))
    work = tempfile.mkdtemp(prefix="brindle-bench-")
    service = subprocess.Popen([rookery, "--delay", str(int(args.delay * 1000))],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    try:
        words = service.stdout.readline().decode().split()
        dat = os.path.join(work, "address.dat")
        subprocess.run([cli, "sample", dat, "--records", "200"], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "password"), "w") as f:
            f.write("demo\n")
        os.mkdir(os.path.join(work, "prog"))
        start = time.monotonic()
        sync = subprocess.Popen([cli, "sync", dat, "--categories", "1 2 3", "--user", "demo",
                                 "--password-file", os.path.join(work, "password"),
                                 "--web-host", words[1], "--ftp-host", words[3],
                                 "--program-folder", os.path.join(work, "prog")],
                                stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(sync.pid, 0)
        wall = time.monotonic() - start
        sync.returncode = os.waitstatus_to_exitcode(status)
    finally:
        service.terminate()
        service.wait()
        shutil.rmtree(work)
    cpu = usage.ru_utime + usage.ru_stime
    share = 100.0 * cpu / wall
    print("sync exit status %d; wall %.2f s; CPU %.3f s (user %.3f, system %.3f); "
          "%.2f%% of one core" % (sync.returncode, wall, cpu, usage.ru_utime, usage.ru_stime,
                                  share))
    print("target under 2%%: %s" % ("met" if share < 2.0 and sync.returncode == 0 else "NOT met"))
    return 0 if sync.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
