#!/usr/bin/env python3
"""File-system calls under Wine: pathshrink.exe against a plain program.

Counts, rather than times, what the Windows build asks of the file system:
each program runs once under Wine's relay trace (WINEDEBUG=+relay), with a
wineserver started beforehand so that the trace holds the program's own
process alone, and the calls into ntdll that open or query a file, a
folder or a volume are counted:

  NtCreateFile NtOpenFile NtQueryDirectoryFile NtQueryInformationFile
  NtQueryVolumeInformationFile NtQueryAttributesFile NtQueryFullAttributesFile

The plain program splits the list and asks GetFileAttributesW and, for each
folder that is there, GetShortPathNameW: the least a program doing this
job asks, with no identity and no proof. Both run side by side in one run,
on two lists of 120 entries each in a private copy of a Wine prefix:

  shared   100 folders below ten vendors' folders in C:\\Program Files (ten
           products each), ten missing products, ten repeats
  apart    100 folders with no parent in common but C:\\, ten missing, ten
           repeats

Prints each program's calls, by kind and per entry, and how many writes
(WriteFile) its output took. Not part of the test
suite: run it as `python3 bench/wine_calls.py [--exe PATH] [--prefix DIR]`
after `scripts/build.sh` (the tool) and `scripts/test.sh` or
`scripts/wine-as-runner.sh` (the prefix).
"""

import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CALLS = ("NtCreateFile", "NtOpenFile", "NtQueryDirectoryFile", "NtQueryInformationFile",
         "NtQueryVolumeInformationFile", "NtQueryAttributesFile", "NtQueryFullAttributesFile")
CALL = re.compile(r"Call ntdll\.(" + "|".join(CALLS) + r")\(")
WRITE = re.compile(r"Call KERNEL32\.WriteFile\(")

PLAIN_C = r"""
#include <windows.h>
#include <stdio.h>
/* Splits the list at ';' and asks, for each entry, GetFileAttributesW and,
 * for a folder that is there, GetShortPathNameW; prints what it found. */
int wmain(int argc, wchar_t **argv) {
  static wchar_t answer[32768];
  int found = 0;
  if (argc < 2) return 1;
  for (wchar_t *entry = argv[1];;) {
    wchar_t *end = wcschr(entry, L';');
    if (end) *end = L'\0';
    DWORD attributes = GetFileAttributesW(entry);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        GetShortPathNameW(entry, answer, 32768) > 0) {
      ++found;
    }
    if (!end) break;
    entry = end + 1;
  }
  printf("%d folders\n", found);
  return 0;
}
"""


def make_lists(drive_c):
    """Makes the folders below `drive_c` and returns the two lists."""
    shared, apart = [], []
    for v in range(10):
        vendor = f"Program Files\\Vendor Company {v:02d}"
        for p in range(10):
            shared.append(f"{vendor}\\Product Suite {p:02d}")
        shared.append(f"{vendor}\\Missing Product")
    for i in range(100):
        apart.append(f"Standalone Tool {i:03d}\\bin")
        if i % 10 == 9:
            apart.append(f"Missing Tool {i:03d}\\bin")
    for entries in (shared, apart):
        for entry in entries:
            if "Missing" not in entry:
                os.makedirs(os.path.join(drive_c, *entry.split("\\")), exist_ok=True)
        entries.extend(entries[0:20:2])  # ten repeats
    return {name: ";".join("C:\\" + e for e in entries)
            for name, entries in (("shared", shared), ("apart", apart))}


def count(program, arguments, env):
    """Runs `program` once under the relay trace; returns its calls by kind."""
    subprocess.run([WINESERVER, "-p"], env=env, check=True)
    subprocess.run([WINE, "cmd", "/c", "exit"], env={**env, "WINEDEBUG": "-all"},
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    calls = collections.Counter()
    with subprocess.Popen([WINE, program] + arguments, env={**env, "WINEDEBUG": "+relay"},
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                          errors="replace") as run:
        for line in run.stderr:
            match = CALL.search(line)
            if match:
                calls[match.group(1)] += 1
            elif WRITE.search(line):
                calls["WriteFile"] += 1
    subprocess.run([WINESERVER, "-k"], env=env, check=False)
    return calls


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=os.path.join(ROOT, "build-windows", "cli", "pathshrink.exe"))
    parser.add_argument("--prefix", default=os.path.join(ROOT, "build-windows", "wineprefix"),
                        help="a Wine prefix to copy (it is not changed)")
    args = parser.parse_args()
    for needed, how in ((args.exe, "scripts/build.sh"), (args.prefix, "scripts/test.sh")):
        if not os.path.exists(needed):
            sys.exit(f"{needed} is not there: run {how} first")
    with tempfile.TemporaryDirectory(prefix="pathshrink-calls-") as temp:
        prefix = os.path.join(temp, "prefix")
        shutil.copytree(args.prefix, prefix, symlinks=True)
        plain = os.path.join(temp, "plain.exe")
        source = os.path.join(temp, "plain.c")
        with open(source, "w") as out:
            out.write(PLAIN_C)
        subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-municode", source, "-o", plain],
                       check=True)
        lists = make_lists(os.path.join(prefix, "drive_c"))
        env = {**os.environ, "WINEPREFIX": prefix, "WINEDLLOVERRIDES": "mscoree,mshtml="}
        print(f"{'list':8} {'program':10} {'calls':>6} {'per entry':>9}  by kind")
        for name, text in lists.items():
            entries = text.count(";") + 1
            for label, program in (("plain", plain), ("pathshrink", args.exe)):
                calls = count(program, [text], env)
                writes = calls.pop("WriteFile", 0)
                total = sum(calls.values())
                kinds = " ".join(f"{kind[7:] if kind.startswith('NtQuery') else kind[2:]}={n}"
                                 for kind, n in sorted(calls.items()))
                print(f"{name:8} {label:10} {total:6d} {total / entries:9.2f}  {kinds}"
                      f" (and {writes} WriteFile)", flush=True)


if __name__ == "__main__":
    main()
