#!/usr/bin/python3
"""Runs one scenario file through `brindle-cli drive` and compares what it prints.

A scenario dumps only what it is about: `dump txtFile lblNum_reg focus` prints those items
in the form the whole state has them (`brindle-cli drive --help` lists the names); a bare
`dump`, kept where the whole layout is the point, prints the whole state.

The scenario runs in a fresh folder, with the program folder `prog` inside it. Lines that
begin with `#@` are directives for this runner (the driver reads them as comments):

  #@ fixture NAME PATH     before the run: write an address file (see scenario_fixture)
  #@ file PATH "TEXT"      before the run: write a file; TEXT is a JSON string
  #@ show PATH             after the run: print the file's bytes, or that it is missing; a
                           PATH with `*` shows the first file it matches
  #@ same PATH PATH        after the run: print whether two files hold the same bytes
  #@ rookery [ARGS...]     run the script against a fresh rookery-dev (started with ARGS on
                           free loopback ports, stopped by its PID afterwards): the driver
                           gets --web-host and --ftp-host, so "SYNC" runs the real sync

The output compared with NAME.out is the driver's stdout, then one line per `show` and
`same`, then the driver's stderr (if any) and its exit status. With --update the expected
file is rewritten instead. With --run-with, the programs are started through that command
(Wine, for the Windows build).
"""
import argparse
import difflib
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile


def directives(script):
    for line in script.splitlines():
        if line.startswith("#@ "):
            yield line[3:].split(" ", 2)


def prepare(work, script, fixture):
    for words in directives(script):
        if words[0] == "fixture":
            subprocess.run(fixture + [words[1], os.path.join(work, words[2])], check=True)
        elif words[0] == "file":
            path = os.path.join(work, words[1])
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(json.loads(words[2]).encode("latin-1"))


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def inspect(work, script):
    lines = []
    for words in directives(script):
        if words[0] == "show":
            matches = sorted(glob.glob(os.path.join(work, words[1])))
            data = read(matches[0]) if matches else None
            if data is None:
                lines.append(json.dumps({"file": words[1], "missing": True}))
            else:
                lines.append(json.dumps({"file": words[1], "bytes": data.decode("latin-1")}))
        elif words[0] == "same":
            a, b = read(os.path.join(work, words[1])), read(os.path.join(work, words[2]))
            lines.append(json.dumps({"same": [words[1], words[2]],
                                     "equal": a is not None and a == b}))
    return lines


def start_service(rookery, script):
    """Starts rookery-dev when the script asks for it; returns (process, host options)."""
    for words in directives(script):
        if words[0] == "rookery":
            args = " ".join(words[1:]).split()
            service = subprocess.Popen([rookery] + args, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            first = service.stdout.readline().decode().split()
            if len(first) != 4 or first[0] != "web":
                service.kill()
                service.wait()
                raise RuntimeError("rookery-dev did not start: %r" % first)
            return service, ["--web-host", first[1], "--ftp-host", first[3]]
    return None, []


def stop_service(service):
    if service is not None:
        service.terminate()
        service.wait()


def run(cli, fixture, rookery, scenario):
    with open(scenario, encoding="utf-8") as f:
        script = f.read()
    work = tempfile.mkdtemp(prefix="brindle-scenario-")
    service = None
    try:
        os.mkdir(os.path.join(work, "prog"))
        prepare(work, script, fixture)
        service, hosts = start_service(rookery, script)
        proc = subprocess.run(cli + ["drive", "--program-folder", "prog"] + hosts +
                              [os.path.abspath(scenario)],
                              cwd=work, capture_output=True, timeout=60)
        out = proc.stdout.decode("utf-8").splitlines()
        out += inspect(work, script)
        if proc.stderr:
            stderr = proc.stderr.decode("utf-8").replace("\r\n", "\n")
            out.append(json.dumps({"stderr": stderr}))
        out.append(json.dumps({"exit": proc.returncode}))
        return [line + "\n" for line in out]
    finally:
        stop_service(service)
        shutil.rmtree(work)


def pretty(lines):
    result = []
    for line in lines:
        try:
            result += (json.dumps(json.loads(line), indent=1, ensure_ascii=False) + "\n").splitlines(True)
        except ValueError:
            result.append(line)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--fixture", required=True)
    parser.add_argument("--rookery", help="rookery-dev, for scenarios that sync")
    parser.add_argument("--run-with", default="", help="command that starts the programs")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("scenario")
    args = parser.parse_args()
    rookery = os.path.abspath(args.rookery) if args.rookery else None
    runner = args.run_with.split()
    actual = run(runner + [os.path.abspath(args.cli)], runner + [os.path.abspath(args.fixture)],
                 rookery, args.scenario)
    expected_path = os.path.splitext(args.scenario)[0] + ".out"
    if args.update:
        with open(expected_path, "w", encoding="utf-8") as f:
            f.writelines(actual)
        return 0
    with open(expected_path, encoding="utf-8") as f:
        expected = f.readlines()
    if actual == expected:
        return 0
    sys.stdout.writelines(difflib.unified_diff(pretty(expected), pretty(actual),
                                               "expected", "actual"))
    return 1


if __name__ == "__main__":
    sys.exit(main())
