#!/usr/bin/python3
"""Times brindle-cli on a large synthetic address file against cp of the same file.

Usage: bench/run_bench.py [--records N] [--build DIR] [--runs R] [--categories "1 0"]

Builds brindle-cli in Release mode (in build-bench/ unless --build names a folder that holds
it), writes a sample address.dat of N records (default 100,000, about 80 MB), then runs each
of these R times (default 3) and reports the median wall time and the peak resident memory:

  cp          cp of the address file (the page cache is warm for every command)
  cp+fsync    the same copy forced to disk, as the write-back forces its copy
  info        brindle-cli info
  export      brindle-cli export of category 1 and Unfiled (about 29,000 lines; the line
              counter is 16 bits, so one export holds at most 32,767 lines)
  writeback   brindle-cli writeback with a result row for every fourth record (25,000 rows);
              its backups folder is on the address file's file system and starts empty, so
              the old file is kept by a hard link
  wb-same     the same, when the file as it was equals the newest backup (compared, not kept)
  wb-copy     the same with the program folder on another file system (/dev/shm, a tmpfs),
              where the old file is copied into the backups folder; left out without /dev/shm

With strace installed, the write-back runs R more times under it to report how much of its wall
time is spent waiting for the disk in fsync and rename, which cp does not do.

Wall time is measured around each run, CPU time (user + system, 10 ms resolution) by GNU
time; on a shared machine the CPU time is the steadier figure. peak memory (maximum resident set size) comes from
GNU time (/usr/bin/time).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def build(build_dir):
    cli = os.path.join(build_dir, "app", "cli", "brindle-cli")
    if not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                        "-DBRINDLE_GUI=OFF", "-DBUILD_TESTING=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "-j2", "--target", "brindle-cli"], check=True,
                   stdout=subprocess.DEVNULL)
    return cli


def measure(argv, cwd, prepare=None):
    """Runs argv once under GNU time; returns (wall seconds, CPU seconds, peak resident MB)."""
    if prepare:
        prepare()
    stats = os.path.join(cwd, "time.txt")
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-o", stats, "-f", "%U %S %M"] + argv, cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    with open(stats) as f:
        user, system, kb = f.read().split()[-3:]
    return seconds, float(user) + float(system), int(kb) / 1024.0


def disk_waits(argv, cwd, prepare):
    """Runs argv once under strace; returns the seconds spent in fsync and rename calls."""
    prepare()
    log = os.path.join(cwd, "strace.txt")
    subprocess.run(["strace", "--seccomp-bpf", "-f", "-T", "-o", log, "-e",
                    "trace=fsync,fdatasync,rename,renameat,renameat2"] + argv, cwd=cwd,
                   check=True, stdout=subprocess.DEVNULL)
    with open(log) as f:
        return sum(float(line.rsplit("<", 1)[1].rstrip(">\n")) for line in f if "<" in line)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--categories", default="1 0",
                        help="categories to export (default \"1 0\"; one export holds at most "
                             "32,767 lines, so use a number no record has for very large files)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"))
    args = parser.parse_args()

    cli = build(args.build)
    work = tempfile.mkdtemp(prefix="brindle-bench-", dir=os.path.join(ROOT, "build-bench")
                            if os.path.isdir(os.path.join(ROOT, "build-bench")) else None)
    other = None
    try:
        original = os.path.join(work, "original.dat")
        dat = os.path.join(work, "address.dat")
        subprocess.run([cli, "sample", original, "--records", str(args.records)], check=True,
                       stdout=subprocess.DEVNULL)
        size_mb = os.path.getsize(original) / 1e6
        with open(os.path.join(work, "result.out"), "w", newline="\n") as f:
            for i in range(0, args.records, 4):
                f.write(f"{8400001 + i * 3},DB{i}\n\n")
        rows = (args.records + 3) // 4

        def fresh():
            shutil.copyfile(original, dat)

        program = os.path.join(work, "program")
        other = tempfile.mkdtemp(prefix="brindle-bench-", dir="/dev/shm") \
            if os.path.isdir("/dev/shm") else None

        def fresh_empty(folder):
            def prepare():
                fresh()
                shutil.rmtree(os.path.join(folder, "backups"), ignore_errors=True)
            return prepare

        def writeback(folder):
            return [cli, "writeback", dat, os.path.join(work, "result.out"), "--count",
                    str(rows), "--program-folder", folder]

        fresh()
        cases = [
            ("cp", ["/bin/cp", original, os.path.join(work, "copy.dat")], None),
            ("cp+fsync", [sys.executable, "-c",
                          "import sys,shutil,os\n"
                          "shutil.copyfile(sys.argv[1], sys.argv[2])\n"
                          "fd=os.open(sys.argv[2], os.O_RDONLY); os.fsync(fd)",
                          original, os.path.join(work, "copy2.dat")], None),
            ("info", [cli, "info", dat], None),
            ("export", [cli, "export", dat, "--categories", args.categories, "--output",
                        os.path.join(work, "out.csv")], None),
            ("writeback", writeback(program), fresh_empty(program)),
            ("wb-same", writeback(program), fresh),
        ]
        if other:
            cases.append(("wb-copy", writeback(other), fresh_empty(other)))
        print(f"file: {args.records} records, {size_mb:.1f} MB; median of {args.runs} runs")
        print(f"{'command':<10} {'wall s':>7} {'x cp':>6} {'CPU s':>7} {'x cp':>6} {'peak MB':>8}")
        cp_wall = cp_cpu = None
        for name, argv, prepare in cases:
            runs = [measure(argv, work, prepare) for _ in range(args.runs)]
            wall = statistics.median(r[0] for r in runs)
            cpu = statistics.median(r[1] for r in runs)
            peak = max(r[2] for r in runs)
            if name == "cp":
                cp_wall, cp_cpu = wall, max(cpu, 0.01)
            print(f"{name:<10} {wall:7.3f} {wall / cp_wall:6.2f} {cpu:7.2f} {cpu / cp_cpu:6.2f}"
                  f" {peak:8.1f}")
            if name == "writeback" and shutil.which("strace"):
                waits = [disk_waits(argv, work, prepare) for _ in range(args.runs)]
                rest = statistics.median(r[0] - w for r, w in zip(runs, waits))
                print(f"  of which waiting for the disk (fsync, rename): "
                      f"{statistics.median(waits):.3f} s; without it {rest:.3f} s = "
                      f"{rest / cp_wall:.2f} x cp")
    finally:
        shutil.rmtree(work, ignore_errors=True)
        if other:
            shutil.rmtree(other, ignore_errors=True)


if __name__ == "__main__":
    main()
