"""One run of Kestrova.exe started from Linux, so that its exit code and its
Linux process (for /proc) are at hand: waiting for its tray icon and for its
hook, quitting it through its tray menu, and its resource figures."""
import os
import re
import subprocess
import time

from kestrova import builds, procstat
from kestrova.keys import Injector, Target
from kestrova.names import PROGRAM_KEY, TRAY_WINDOW
from kestrova.probe import probe
from kestrova.wine import wait_until


def tray_icon_shown(env):
    """Whether the Wine System Tray window is mapped: Wine hides it when it
    holds no icon."""
    return bool(env.xdotool("search", "--onlyvisible", "--name", f"^{TRAY_WINDOW}$", check=False))


class Program:
    def __init__(self, env, *args, exe=None, proc=None):
        """Starts exe (the one this run drives: builds.exe()) with args, or
        takes an already started proc (a launcher whose child it is)."""
        self.env = env
        self.proc = proc or env.popen([exe or builds.exe()] + list(args), stdout=subprocess.DEVNULL)
        self._pid = None

    def pid(self):
        """The Linux pid of the program's own Wine process (a loader that
        cannot run it itself hands it to start.exe, another process)."""
        if self._pid is None:
            self._pid = procstat.windows_pid(self.proc)
        return self._pid

    def running(self):
        return self.proc.poll() is None

    def wait_tray(self, timeout=60):
        """Waits until the tray window exists or the program has ended."""
        wait_until(lambda: self.env.find_windows(TRAY_WINDOW) or not self.running(), timeout, 0.1)
        if not self.running():
            raise AssertionError(f"Kestrova ended during start-up with {self.proc.returncode}")

    def wait_hook(self, timeout=30.0):
        """Waits until the program's hook answers: the tray icon comes just
        before the half-second wait that precedes the hook; from then on
        injected sequences go to a throw-away target until one brings a Menu
        key back. Answers the seconds from the tray icon to the hook."""
        self.wait_tray()
        target = Target(self.env, caption="readiness target", typed=False)
        try:
            injector = Injector(self.env)
            try:
                return injector.wait_hook_ready(self.running, timeout)
            finally:
                injector.stop()
        finally:
            target.stop()

    def quit_through_tray(self, timeout=30):
        """Right click on the tray icon, then "退出(&X)" by its mnemonic; the exit code."""
        tray = self.env.wait_window(TRAY_WINDOW, timeout=30)
        geometry = self.env.xdotool("getwindowgeometry", "--shell", tray)
        values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
        x, y = int(values["X"]), int(values["Y"]) + int(values["HEIGHT"]) // 2
        deadline = time.monotonic() + timeout
        while self.running() and time.monotonic() < deadline:
            self.env.xdotool("mousemove", x + 8, y, "click", 3)
            time.sleep(0.7)
            self.env.xdotool("key", "x")
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
        if self.running():
            self.proc.kill()
            self.proc.wait()
            raise AssertionError("the program did not quit through its tray menu")
        return self.proc.returncode

    def figures(self):
        """Threads, handles and private memory, from Linux and from inside Wine."""
        pid = self.pid()
        with open(f"/proc/{pid}/smaps_rollup") as f:
            rollup = dict(re.findall(r"^(\w+):\s+(\d+) kB", f.read(), re.M))
        rc, rows = probe(self.env, "proc", "Kestrova.exe", timeout=60, tries=1)
        fields = rows[0] if rc == 0 else {}
        return {
            "tasks": len(os.listdir(f"/proc/{pid}/task")),
            "fds": len(os.listdir(f"/proc/{pid}/fd")),
            "private_kb": int(rollup["Private_Clean"]) + int(rollup["Private_Dirty"]),
            "threads": int(fields.get("threads", -1)),
            "handles": int(fields.get("handles", -1)),
        }


def start_hooked(env, delay_ms, exe=None):
    """Kestrova.exe /hidden with that delay in the registry, its hook in place."""
    env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", delay_ms)
    program = Program(env, "/hidden", exe=exe)
    program.wait_hook()
    return program
