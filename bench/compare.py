#!/usr/bin/env python3
"""Whole-process comparison: pathshrink against the floor and against Python.

Makes a tree of 1,000 directories with long names (below 100 vendor
directories, each with a link standing in for a junction), lists each
directory twice plus 100 missing entries (about 117 KB, 2,100 entries: the
longest list one argument comfortably carries on Linux), and times, in turns:

  floor    a C program that only splits the list and calls stat once per entry
  tool     build/cli/pathshrink on the list
  tool+j   the same with 100 junctions (-j) given
  check    the tool's --check: one line on whether the list is in its state
  json     the tool's --json: the report, a record per entry
  target   the tool with --target 8191, which the list cannot reach
  suggest  the tool proposing junctions for the list (--suggest), which must
           take under 50 ms
  python   the same job as a Python script (split, os.path.exists, a set, join)

With `--before PROGRAM`, an earlier build runs the same calls in the same
turns, so that a change is measured side by side with the code before it.

Each run is a whole process, spawned by a small C helper that reports its
wall time, CPU time and peak memory. The programs run in a new order each
round (shuffled with a fixed seed), so none always runs right after the
slow Python script and pays for what it left behind. Prints medians and the ratios against
the targets, then peak memory against the list's length. Not part of the
test suite: run it as `python3 bench/compare.py [--runs N] [--before PROGRAM]`.
"""

import argparse
import os
import platform
import random
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

FLOOR_C = r"""
#include <string.h>
#include <sys/stat.h>
/* Splits the list at ';' and calls stat once per entry: the least any tool
 * doing this job must do. */
int main(int argc, char **argv) {
  if (argc < 2) return 1;
  int found = 0;
  for (char *entry = argv[1];;) {
    char *end = strchr(entry, ';');
    if (end) *end = '\0';
    struct stat info;
    if (stat(entry, &info) == 0) ++found;
    if (!end) break;
    entry = end + 1;
  }
  return found < 0;
}
"""

PYTHON_EQUIVALENT = r'''
import os
import sys


def main():
    if len(sys.argv) < 2:
        sys.stderr.write(sys.argv[0] + " fullpath [-j junction]+\n")
        return 1
    full = sys.argv[1]
    seen = set()
    kept = []
    for entry in full.split(";"):
        if not os.path.exists(entry):
            sys.stderr.write("[invalid entry '" + entry + "']\n")
        elif entry not in seen:
            seen.add(entry)
            kept.append(entry)
    new = ";".join(kept)
    sys.stderr.write("Original path [%d]:\n%s\n\nNew path [%d]:\n"
                     % (len(full), full, len(new)))
    sys.stdout.write(new + "\n")
    return 0


sys.exit(main())
'''

TARGETS = [  # (what, numerator, denominator, at most)
    ("tool / floor", "tool", "floor", 1.25),
    ("tool+j / floor", "tool+j", "floor", 1.4),
    ("tool / python", "tool", "python", 0.15),
    ("check / floor", "check", "floor", 1.25),
    ("json / floor", "json", "floor", 1.25),
    ("target / floor", "target", "floor", 1.5),
]
SUGGEST_LIMIT_MS = 50
MEMORY_LIMIT_KIB = 8 * 1024


def make_tree(root):
    """The directories, the list's entries and the junction links."""
    directories = []
    links = []
    for v in range(100):
        vendor = os.path.join(root, "Vendor Directory %02d" % v)
        link = os.path.join(root, "v%02d" % v)
        os.makedirs(vendor)
        os.symlink(vendor, link)
        links.append(link)
        for p in range(10):
            product = os.path.join(vendor, "Product Name %04d" % (v * 10 + p))
            os.makedirs(product)
            directories.append(product)
    missing = [os.path.join(root, "Missing Directory %03d" % i) for i in range(100)]
    entries = directories + directories + missing
    return entries, links


def build(tmp):
    subprocess.run([os.path.join(ROOT, "scripts", "install-deps.sh")], check=True)
    subprocess.run(["cmake", "--preset", "default"], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "default", "--target", "pathshrink"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    floor_c = os.path.join(tmp, "floor.c")
    with open(floor_c, "w") as f:
        f.write(FLOOR_C)
    floor = os.path.join(tmp, "floor")
    measure = os.path.join(tmp, "measure")
    subprocess.run(["cc", "-O2", "-o", floor, floor_c], check=True)
    subprocess.run(["cc", "-O2", "-o", measure, os.path.join(HERE, "measure.c")], check=True)
    script = os.path.join(tmp, "equivalent.py")
    with open(script, "w") as f:
        f.write(PYTHON_EQUIVALENT)
    return floor, measure, script


def run(measure, command):
    out = subprocess.run([measure] + command, check=True, capture_output=True, text=True)
    wall, cpu, peak, status = (int(x) for x in out.stdout.split())
    # --check answers 1 for a list it would change, as this one.
    if status != 0 and not (status == 1 and "--check" in command):
        sys.exit("%s exited with %d" % (command[0], status))
    return wall, cpu, peak


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=200, help="runs of each program")
    parser.add_argument("--python", default=shutil.which("python3"),
                        help="the interpreter for the Python equivalent")
    parser.add_argument("--before", metavar="PROGRAM",
                        help="an earlier build of pathshrink, run in the same turns on the same "
                        "list (plain, with junctions, --check, --json), to compare side by side")
    args = parser.parse_args()

    tool = os.path.join(ROOT, "build", "cli", "pathshrink")
    # A short folder name keeps the list near 117 KB, under Linux's limit for
    # one argument (128 KiB).
    with tempfile.TemporaryDirectory(prefix="psb", dir="/tmp") as tmp:
        floor, measure, script = build(tmp)
        entries, links = make_tree(os.path.join(tmp, "t"))
        full = ";".join(entries)
        junction_args = [a for link in links for a in ("-j", link)]
        programs = {
            "floor": [floor, full],
            "tool": [tool, full],
            "tool+j": [tool, full] + junction_args,
            "suggest": [tool, "--suggest", "--junctions-in", tmp, full],
            "check": [tool, "--check", full],
            "json": [tool, "--json", full],
            # Out of reach: every entry is rewritten as far as it goes.
            "target": [tool, "--target", "8191", full],
            "python": [args.python, script, full],
        }
        if args.before:
            # The same calls of the earlier build, in the same shuffled turns.
            for name in ("tool", "tool+j", "check", "json"):
                programs["was:" + name] = [args.before] + programs[name][1:]

        print("machine: %s, %d cores; %s" % (platform.platform(), os.cpu_count(),
                                              platform.processor() or platform.machine()))
        print("python:  %s (%s)" % (args.python, platform.python_version()
                                    if args.python == sys.executable else
                                    subprocess.run([args.python, "-V"], capture_output=True,
                                                   text=True).stdout.strip()))
        print("list:    %d entries, %d bytes; %d junctions for tool+j; %d runs each, in shuffled turns"
              % (len(entries), len(full), len(links), args.runs))
        print()

        results = {name: [] for name in programs}
        order = list(programs)
        shuffle = random.Random(20261208)
        for _ in range(args.runs):
            shuffle.shuffle(order)
            for name in order:
                results[name].append(run(measure, programs[name]))

        wall = {n: statistics.median(r[0] for r in rs) for n, rs in results.items()}
        cpu = {n: statistics.median(r[1] for r in rs) for n, rs in results.items()}
        peak = {n: max(r[2] for r in rs) for n, rs in results.items()}
        print("%-10s %12s %12s %10s" % ("program", "median wall", "median cpu", "peak rss"))
        for name in programs:
            print("%-10s %9.3f ms %9.3f ms %7d KiB" % (name, wall[name] / 1000,
                                                       cpu[name] / 1000, peak[name]))
        print()
        ok = True
        for what, a, b, limit in TARGETS:
            ratio = wall[a] / wall[b]
            met = ratio <= limit
            ok = ok and met
            print("%-15s %6.3fx  (target at most %.2fx: %s)"
                  % (what, ratio, limit, "met" if met else "NOT met"))
        for name in ("tool", "tool+j", "check", "json"):
            if "was:" + name in wall:
                print("%-15s %6.3fx  (this build against the earlier one)"
                      % (name + " / was", wall[name] / wall["was:" + name]))
        met = wall["suggest"] / 1000 < SUGGEST_LIMIT_MS
        ok = ok and met
        print("%-15s %6.3f ms (target under %d ms: %s)"
              % ("suggest", wall["suggest"] / 1000, SUGGEST_LIMIT_MS, "met" if met else "NOT met"))

        # Peak memory against the list's length: prefixes of the list.
        print()
        print("peak memory against the list's length (tool, with junctions):")
        points = []
        for fraction in (8, 4, 2, 1):
            part = ";".join(entries[: len(entries) // fraction])
            peaks = [run(measure, [tool, part] + junction_args)[2] for _ in range(5)]
            points.append((len(part), max(peaks)))
            print("  %7d bytes: %5d KiB" % points[-1])
        slope = (points[-1][1] - points[0][1]) / (points[-1][0] - points[0][0])
        print("  growth: %.1f bytes of memory per byte of list" % (slope * 1024))
        under = max(p for _, p in points) < MEMORY_LIMIT_KIB
        ok = ok and under and peak["tool+j"] < MEMORY_LIMIT_KIB
        print("  peak under 8 MiB: %s" % ("met" if under else "NOT met"))
        return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
