"""What Linux knows about a process, Wine processes included: processor time,
wake-ups and private memory, read from /proc.

Resolution: utime+stime in /proc/<pid>/stat count in clock ticks (10 ms at
USER_HZ 100) but include threads that have ended; schedstat counts in
nanoseconds but only for threads still alive."""
import glob
import os
import time

TICK_MS = 1000.0 / os.sysconf("SC_CLK_TCK")


def program_pid(prefix, exe, args=(), timeout=30.0):
    """The Linux pid of the Wine process that runs exe (a Unix path) with args
    in that WINEPREFIX. A loader that cannot run the program itself starts
    start.exe, which runs it in a process of its own: then the pid of the
    command is start.exe's, and its figures are not the program's."""
    name = os.path.basename(exe).lower()
    want_env = b"WINEPREFIX=" + os.fsencode(prefix)
    want_args = [str(a) for a in args]
    deadline = time.monotonic() + timeout
    while True:
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    argv = f.read().split(b"\0")
                first = argv[0].decode("utf-8", "replace").lower()
                # The program's process names itself by its path, Windows or Unix.
                if not first.replace("\\", "/").endswith("/" + name):
                    continue
                if [a.decode("utf-8", "replace") for a in argv[1:] if a] != want_args:
                    continue
                with open(f"/proc/{entry}/environ", "rb") as f:
                    if want_env not in f.read().split(b"\0"):
                        continue
                return int(entry)
            except OSError:
                continue  # ended, or not ours to read
        if time.monotonic() > deadline:
            raise RuntimeError(f"no Wine process runs {exe} {' '.join(want_args)}")
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


def windows_pid(proc, timeout=30.0):
    """program_pid for proc, a Popen of `LOADER PROGRAM ARGS` started by WineEnv."""
    with open(f"/proc/{proc.pid}/environ", "rb") as f:
        prefix = next(e for e in f.read().split(b"\0") if e.startswith(b"WINEPREFIX="))
    return program_pid(os.fsdecode(prefix[len(b"WINEPREFIX="):]), proc.args[1], proc.args[2:], timeout)
