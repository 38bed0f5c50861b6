#!/usr/bin/env python3
"""What Wine's log says about a Windows program's run, and a runner for the in-process
GoogleTest suites under Wine that fails on it.

Wine forgives faults that Windows does not: it swallows an access violation inside a
window procedure with one line on stderr and carries on, and its heap leaves freed memory
as it was. Under WINEDEBUG=warn+heap, Wine fills freed blocks with 0xfeeefeee and
validates the heap, as Windows' debug heap does, so a use after free turns into an access
violation; this module turns every such line into a failure, whatever the program or the
test itself concluded.

  wine_log.py --wine WINE -- SUITE.exe [gtest arguments]

runs the suite under WINE with heap checking and fails unless it exits 0, prints
GoogleTest's success line, prints no failure line and leaves a clean Wine log. A suite that
cannot start at all (a 32-bit program with no 32-bit Wine, which prints a hint and exits
0) prints no success line, so it fails too.
"""

from __future__ import annotations

import argparse
import os
import re
import subprocess
import sys

# Heap checking in Wine: freed blocks filled, the heap validated on every operation.
HEAP_CHECKING = "warn+heap"

# Lines by which Wine reports a fault in the program: an exception it swallowed
# ("err:seh:KiUserCallbackDispatcher ignoring exception"), a heap error or an invalid heap
# operation, and an exception that nothing handled.
FAULT = re.compile(r"err:seh:|err:heap:|warn:heap:|Unhandled exception|Unhandled page fault")

GTEST_PASSED = re.compile(r"^\[  PASSED  \] ", re.MULTILINE)
GTEST_FAILED = re.compile(r"^\[  FAILED  \] ", re.MULTILINE)


def Faults(log: str) -> list:
    """The lines of a Wine log that report a fault in the program."""
    return [line for line in log.splitlines() if FAULT.search(line)]


def CheckedEnvironment(environment: dict) -> dict:
    """The environment with Wine's heap checking on (and its error channels, which the
    harness otherwise silences)."""
    env = dict(environment)
    env["WINEDEBUG"] = HEAP_CHECKING
    return env


def RunSuite(wine: str, command: list) -> int:
    result = subprocess.run([wine, *command], env=CheckedEnvironment(os.environ), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    output = result.stdout.decode("utf-8", errors="replace")
    sys.stdout.write(output)
    problems = []
    if result.returncode != 0:
        problems.append(f"the suite ended with status {result.returncode}")
    if not GTEST_PASSED.search(output):
        problems.append("the suite never printed its success line (it did not run, or did not finish)")
    if GTEST_FAILED.search(output):
        problems.append("the suite reported failed tests")
    faults = Faults(output)
    if faults:
        problems.append(f"Wine reported {len(faults)} fault(s) in the program:\n    " + "\n    ".join(faults[:20]))
    for problem in problems:
        sys.stdout.write(f"wine_log: FAIL: {problem}\n")
    return 1 if problems else 0


def main() -> int:
    parser = argparse.ArgumentParser(description="Runs a GoogleTest suite under Wine with heap checking.")
    parser.add_argument("--wine", required=True, help="the wine program")
    parser.add_argument("command", nargs=argparse.REMAINDER, help="-- SUITE.exe [arguments]")
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no suite given")
    return RunSuite(options.wine, command)


if __name__ == "__main__":
    sys.exit(main())
