#!/usr/bin/env python3
"""Run one Windows program under Wine in a private Xvfb and prefix, pass its
output through and exit with its exit code. CTest runs the Win32-layer tests
this way: `winrun.py tests.exe --gtest_brief=1`."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wineenv import WineEnv  # noqa: E402


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: winrun.py PROGRAM.exe [ARGS...]")
    with WineEnv() as w:
        proc = w.popen(sys.argv[1:], stdout=None, stderr=None)
        try:
            rc = proc.wait(timeout=float(os.environ.get("WINRUN_TIMEOUT", "600")))
        except subprocess.TimeoutExpired:
            proc.kill()
            rc = 124
    sys.exit(rc)


if __name__ == "__main__":
    main()
