"""Run one Windows program under Wine in a private Xvfb and prefix, pass its
output through and exit with its exit code. CTest runs the Win32-layer tests
this way: `python3 -m kestrova.winrun tests.exe --gtest_brief=1`.

An i686 program where the setup found that 32-bit code does not run here is
not started: the run says why and fails with SKIPPED (77). `make test`
leaves the i686 test tree out there and says so; run directly, it fails
loudly rather than pass without running."""
import os
import subprocess
import sys

from kestrova.builds import record
from kestrova.wine import I386, WineEnv, machine, shipped_exe_choice

SKIPPED = 77


def main():
    args, timeout = sys.argv[1:], 600.0
    if args[:1] == ["--timeout"] and len(args) > 1:
        timeout, args = float(args[1]), args[2:]
    if not args:
        sys.exit("usage: python3 -m kestrova.winrun [--timeout S] PROGRAM.exe [ARGS...]")
    program = args[0]
    if machine(program) == I386:
        runs32, reason = shipped_exe_choice()
        name = "i686 " + os.path.splitext(os.path.basename(program))[0]
        if not runs32:
            record(name, f"skipped: {reason}")
            sys.exit(SKIPPED)
        record(name, f"ran under Wine: {reason}")
    with WineEnv() as w:
        proc = w.popen(args, stdout=None, stderr=None)
        try:
            rc = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            rc = 124
    sys.exit(rc)


if __name__ == "__main__":
    main()
