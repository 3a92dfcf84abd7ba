"""What Linux knows about a process, Wine processes included: processor time,
wake-ups and private memory, read from /proc.

Resolution: utime+stime in /proc/<pid>/stat count in clock ticks (10 ms at
USER_HZ 100) but include threads that have ended; schedstat counts in
nanoseconds but only for threads still alive."""
import glob
import os
import time

TICK_MS = 1000.0 / os.sysconf("SC_CLK_TCK")


def _argv(pid):
    with open(f"/proc/{pid}/cmdline", "rb") as f:
        return [a for a in f.read().split(b"\0") if a]


def _prefix(pid):
    with open(f"/proc/{pid}/environ", "rb") as f:
        return next((e for e in f.read().split(b"\0") if e.startswith(b"WINEPREFIX=")), None)


def _name(path):
    return path.replace(b"\\", b"/").rsplit(b"/", 1)[-1].lower()


def windows_pid(proc, timeout=30.0):
    """The Linux pid of the Windows program that proc, a Popen of `wine
    PROGRAM ARGS`, started.

    Wine runs a program named by its path through "start.exe /exec PROGRAM",
    which starts the program as a process of its own and waits for it: the pid
    Popen knows is start.exe's, which does nothing while the program runs.
    The program is found by its prefix, its file name and its arguments (those
    of proc.args; Wine gives the program its Windows command line as argv)."""
    name = _name(os.fsencode(proc.args[1]))
    args = [os.fsencode(a) for a in proc.args[2:] if a]
    deadline = time.monotonic() + timeout
    while True:
        prefix = _prefix(proc.pid)
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                found = _argv(entry)
                if found and _name(found[0]) == name and found[1:] == args and _prefix(entry) == prefix:
                    return int(entry)
            except OSError:
                continue  # ended meanwhile, or not ours to read
        if time.monotonic() > deadline:
            raise TimeoutError(f"no process {name!r} {args} in {prefix!r}")
        time.sleep(0.1)


def _task_files(pid, name):
    return glob.glob(f"/proc/{pid}/task/*/{name}")


def cpu_ms(pid):
    """utime + stime of the whole process, ended threads included, in ms."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * TICK_MS


def run_ns(pid):
    """Time on a processor of the threads alive now, in ns."""
    total = 0
    for path in _task_files(pid, "schedstat"):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # the thread ended in between
    return total


def wakeups(pid):
    """Context switches, voluntary and not, of the threads alive now."""
    total = 0
    for path in _task_files(pid, "status"):
        try:
            with open(path) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def threads(pid):
    return len(os.listdir(f"/proc/{pid}/task"))


def private_kb(pid):
    """Private_Clean + Private_Dirty from smaps_rollup, in kB."""
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total


class Sample:
    """Everything above at one moment."""

    def __init__(self, pid):
        self.pid = pid
        self.cpu_ms = cpu_ms(pid)
        self.run_ns = run_ns(pid)
        self.wakeups = wakeups(pid)
        self.threads = threads(pid)
        self.private_kb = private_kb(pid)

    def __sub__(self, earlier):
        """(cpu ms, run ms, wake-ups) since the earlier sample."""
        return (self.cpu_ms - earlier.cpu_ms, (self.run_ns - earlier.run_ns) / 1e6, self.wakeups - earlier.wakeups)
