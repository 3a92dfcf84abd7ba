"""Run one Windows program under Wine in a private Xvfb and prefix, pass its
output through and exit with its exit code. CTest runs the Win32-layer tests
this way: `python3 -m kestrova.winrun tests.exe --gtest_brief=1`.

An i686 program where the setup found that 32-bit code does not run here is
not started: the run says why and exits with SKIPPED, which CTest is told
to count as skipped."""
import os
import struct
import subprocess
import sys

from kestrova.builds import record
from kestrova.wine import WineEnv, shipped_exe_choice

SKIPPED = 77
I386 = 0x014C


def machine(path):
    """The PE header's machine field of a Windows program."""
    with open(path, "rb") as f:
        head = f.read(4096)
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    return struct.unpack_from("<H", head, offset + 4)[0]


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
