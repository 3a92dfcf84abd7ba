"""Which Kestrova.exe a run drives, and where the tool programs are.

The shipped file is build/win32/Kestrova.exe (i686). It is driven wherever
the setup found that this machine runs 32-bit code (tools/setup.sh writes
its answer where shipped_exe_choice() reads it, at run time); elsewhere the
x86_64 twin build/win64/Kestrova.exe, built from the same source, stands in.
Every run says which file it drove and why, never silently.

The tool programs (keytarget, keyburst, probe, ...) have the bitness of the
exe they drive: the i686 ones (build/win32-tests) with the shipped file, the
x86_64 ones with the twin, so each run is all of one kind. (Seen here while
64-bit programs were still started through Debian's `wine` command, which
with wine32 installed goes through the 32-bit loader and start.exe: an
earlier 64-bit key target's low-level hook was never called behind the
32-bit program's hook. kestrova.wine now starts 64-bit programs with the
64-bit loader, and then both mixes pass keys down the chain.)"""
import argparse
import os
import shutil
import sys
import unittest

from kestrova.wine import BUILD, ROOT, shipped_exe_choice

SCREENSHOTS = os.path.join(BUILD, "screenshots")
# One line per end-to-end run, for the summary at the end of `make test`.
DROVE = os.path.join(BUILD, "drove")


def relative(path):
    return os.path.relpath(path, ROOT) if path.startswith(ROOT + os.sep) else path


def choose(shipped, twin, tools32):
    """(the exe to drive, why that one)."""
    runs32, reason = shipped_exe_choice()
    missing = [relative(p) for p in (shipped, os.path.join(tools32, "keytarget.exe")) if not os.path.isfile(p)]
    if runs32 and not missing:
        return shipped, reason
    if runs32:
        return twin, f"{' and '.join(missing)} not built (though {reason})"
    return twin, reason


class Builds:
    """The builds one run uses; e2e main() sets them from its arguments."""

    def __init__(self, shipped=None, twin=None, tools=None, tools32=None):
        self.shipped = shipped or os.path.join(BUILD, "win32", "Kestrova.exe")
        self.twin = twin or os.path.join(BUILD, "win64", "Kestrova.exe")
        tools = tools or os.path.join(os.path.dirname(self.twin), "tests", "e2e", "tools")
        tools32 = tools32 or os.path.join(BUILD, "win32-tests", "tests", "e2e", "tools")
        self.exe, self.why = choose(self.shipped, self.twin, tools32)
        self.tools = tools32 if self.exe == self.shipped else tools
        self.note = f"drove {relative(self.exe)}: {self.why}"

    def is_shipped(self):
        return self.exe == self.shipped

    def tool(self, name):
        return os.path.join(self.tools, name + ".exe")

    def have(self, *tools):
        """Whether the program and the named tools (the probe always) are built."""
        return os.path.isfile(self.exe) and all(os.path.isfile(self.tool(t)) for t in ("probe",) + tools)


_current = None


def use(exe, tools, why):
    """Drive exe with the tool programs in tools from now on (the benchmark
    measures both files in one run)."""
    global _current
    b = Builds.__new__(Builds)
    b.shipped = b.twin = b.exe = exe
    b.tools, b.why = tools, why
    b.note = f"drove {relative(exe)}: {why}"
    _current = b
    return b


def current():
    global _current
    if _current is None:
        _current = Builds()
    return _current


def exe():
    """The Kestrova.exe this run drives."""
    return current().exe


def tool(name):
    return current().tool(name)


def have_programs(*tools):
    return current().have(*tools)


def arguments(parser):
    parser.add_argument("--shipped", help="the shipped i686 Kestrova.exe (default build/win32/Kestrova.exe)")
    parser.add_argument("--twin", help="the x86_64 Kestrova.exe (default build/win64/Kestrova.exe)")
    parser.add_argument("--tools", help="the folder of the x86_64 tool programs (default beside the twin's tests)")
    parser.add_argument("--tools32", help="the folder of the i686 tool programs (default in build/win32-tests)")


def configure(args):
    global _current
    _current = Builds(args.shipped, args.twin, args.tools, args.tools32)
    return _current


def record(name, note):
    """Prints the note and keeps it for the summary of `make test`."""
    print(f"{name}: {note}", file=sys.stderr, flush=True)
    os.makedirs(DROVE, exist_ok=True)
    with open(os.path.join(DROVE, name.replace("/", "_").replace(" ", "_")), "w") as f:
        f.write(f"{name}\t{note}\n")


def e2e_main():
    """unittest.main for an end-to-end test script, after --shipped, --twin
    and --tools; says which Kestrova.exe it drives before the tests run."""
    parser = argparse.ArgumentParser(add_help=False)
    arguments(parser)
    args, rest = parser.parse_known_args()
    builds = configure(args)
    name = os.path.splitext(os.path.basename(sys.argv[0]))[0]
    record(name, builds.note)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


def summary():
    """The lines of the last runs: which file each end-to-end test drove,
    whether the i686 Win32-layer tests ran."""
    if not os.path.isdir(DROVE):
        return ["no end-to-end test ran"]
    notes = {}
    for file in sorted(os.listdir(DROVE)):
        with open(os.path.join(DROVE, file)) as f:
            name, _, note = f.read().strip().partition("\t")
        notes.setdefault(note, []).append(name)
    return [f"{', '.join(names)}: {note}" for note, names in notes.items()]


def test_trees(trees):
    """The build trees `make test` runs: the i686 test tree only where the
    setup found that 32-bit code runs here (recorded either way)."""
    runs32, reason = shipped_exe_choice()
    shutil.rmtree(DROVE, ignore_errors=True)
    chosen = [t for t in trees if runs32 or os.path.basename(t) != "win32-tests"]
    if len(chosen) < len(trees):
        record("i686 Win32-layer tests (build/win32-tests)", f"not run: {reason}")
    return chosen


if __name__ == "__main__":
    if sys.argv[1:2] == ["trees"]:
        print(" ".join(test_trees(sys.argv[2:])))
    else:
        print("\n".join(summary()))
