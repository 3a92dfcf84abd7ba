"""The real Kestrova.exe under Wine with the baselines beside it, driven by
right-Alt taps typed with xdotool into a key target window.

In one Wine environment: the empty Win32 program (memory baseline), the empty
hook host (a hook that only calls the next hook: processor-time baseline), then
Kestrova.exe /hidden, so that Kestrova's hook is called before the empty one.
The key target (tests/e2e/tools/keytarget.exe) logs, with its own
QueryPerformanceCounter clock, what its low-level hook and its window see: a
tap's latency runs from its hook seeing right Alt released to its window
getting the Menu key down.
"""
import os
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
sys.path.insert(0, HERE)
from wineenv import WineEnv  # noqa: E402
import procstat  # noqa: E402

WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP = 256, 257, 260, 261
VK_ESCAPE, VK_APPS, VK_RMENU, VK_F15 = 27, 93, 165, 0x7E
DELAY_KEY = "HKCU\\Software\\MorvenhalTobrand\\Kestrova"
# Right Alt down, X down, right Alt up, X up: the tap that triggers under Wine
# as on Windows (a lone tap's release reaches a Wine hook as WM_SYSKEYUP).
TAP_ARGS = ["keydown", "Alt_R", "keydown", "x", "keyup", "Alt_R", "keyup", "x"]


def plain(message):
    """Keys sent right after the tap's release may still come as system keys."""
    return {WM_SYSKEYDOWN: WM_KEYDOWN, WM_SYSKEYUP: WM_KEYUP}.get(message, message)


class Lines:
    """A Windows program's output, parsed as it comes: (kind, a, b, us)."""

    def __init__(self, proc):
        self.proc = proc
        self.items = []
        self.cond = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            parts = raw.decode("ascii", "replace").split()
            item = tuple(parts[:1]) + tuple(int(p) for p in parts[1:] if p.lstrip("-").isdigit())
            with self.cond:
                self.items.append(item)
                self.cond.notify_all()

    def __len__(self):
        with self.cond:
            return len(self.items)

    def find(self, match, start=0, timeout=3.0):
        """The first item from index start on for which match is true, or None."""
        deadline = time.monotonic() + timeout
        i = start
        with self.cond:
            while True:
                while i < len(self.items):
                    if match(self.items[i]):
                        return self.items[i]
                    i += 1
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.cond.wait(left)

    def since(self, start):
        with self.cond:
            return list(self.items[start:])


def is_(kind, message, key):
    return lambda item: len(item) == 4 and item[0] == kind and plain(item[1]) == message and item[2] == key


class TapSession:
    def __init__(self, kestrova_exe, empty_exe, keytarget_exe, delay_ms, fair_exe=None):
        self.kestrova_exe = kestrova_exe
        self.fair_exe = fair_exe
        self.empty_exe = empty_exe
        self.keytarget_exe = keytarget_exe
        self.delay_ms = delay_ms
        self.env = None
        self.target = None

    # -- life -------------------------------------------------------------
    def __enter__(self):
        self.env = WineEnv().__enter__()
        try:
            self.env.reg_set(DELAY_KEY, "Delay", "REG_DWORD", self.delay_ms)
            self.empty = self._start_ready([self.empty_exe])
            self.empty_hook = self._start_ready([self.empty_exe, "--hook", "--caption", "whole_empty_hook"])
            self.fair = self.env.popen([self.fair_exe], stdout=subprocess.DEVNULL) if self.fair_exe else None
            self.kestrova = self.env.popen([self.kestrova_exe, "/hidden"], stdout=subprocess.DEVNULL)
            # The programs' own processes: each `wine` command is start.exe's.
            pid = lambda exe, *args: procstat.program_pid(self.env.prefix, exe, args)  # noqa: E731
            self.pids = (pid(self.kestrova_exe, "/hidden"), pid(self.empty_exe),
                         pid(self.empty_exe, "--hook", "--caption", "whole_empty_hook"))
            self.fair_pid = pid(self.fair_exe) if self.fair_exe else None
        except BaseException:
            self.env.stop()
            raise
        return self

    def __exit__(self, *exc):
        try:
            self.stop_target()
            self.empty_hook.stdin.write(b"quit\n")
            self.empty_hook.stdin.flush()
        except (OSError, AttributeError):
            pass
        self.env.stop()

    def _start_ready(self, args):
        proc = self.env.popen(args, stdin=subprocess.PIPE)
        lines = Lines(proc)
        if not lines.find(lambda item: item[:1] == ("ready",), timeout=30):
            raise RuntimeError(f"{args[0]} did not start")
        return proc

    def alive(self):
        return self.kestrova.poll() is None

    # -- the key target -----------------------------------------------------
    def start_target(self, *options, caption):
        self.stop_target()
        proc = self.env.popen([self.keytarget_exe, "--caption", caption] + list(options), stdin=subprocess.PIPE)
        self.target = Lines(proc)
        if not self.target.find(lambda item: item[:1] == ("ready",), timeout=30):
            raise RuntimeError("the key target did not start")
        window = self.env.wait_window(caption)
        # No window manager: the X focus is given by hand; once a key that
        # means nothing shows in the window's log, typed keys arrive.
        for _ in range(60):
            start = len(self.target)
            self.env.xdotool("windowfocus", window, check=False)
            self.env.xdotool("key", "F15")
            if self.target.find(is_("win", WM_KEYUP, VK_F15), start, timeout=0.3):
                return
        raise RuntimeError("typed keys do not reach the key target")

    def stop_target(self):
        # Asked to close, not killed: under Wine a process killed while it
        # holds a low-level hook leaves every other process's hook uncalled.
        if not self.target:
            return
        proc, self.target = self.target.proc, None
        try:
            proc.stdin.write(b"quit\n")
            proc.stdin.close()
            proc.wait(timeout=15)
        except (OSError, subprocess.TimeoutExpired):
            proc.kill()
            proc.wait()

    # -- taps ---------------------------------------------------------------
    def tap(self, timeout=3.0):
        """Types one tap; answers a dict of what the target saw, microseconds
        from the hook's sight of right Alt released, or None where nothing came."""
        start = len(self.target)
        self.env.xdotool(*TAP_ARGS)
        release = self.target.find(is_("hook", WM_KEYUP, VK_RMENU), start, timeout)
        menu_down = self.target.find(is_("win", WM_KEYDOWN, VK_APPS), start, timeout)
        menu_up = self.target.find(is_("win", WM_KEYUP, VK_APPS), start, timeout) if menu_down else None
        # The worker's Menu key as the target's own hook saw it: what follows
        # is Wine delivering an injected key, as it would anyone's.
        menu_hook = self.target.find(is_("hook", WM_KEYDOWN, VK_APPS), start, timeout=0.5) if menu_down else None
        escape = next((i for i in self.target.since(start) if is_("win", WM_KEYDOWN, VK_ESCAPE)(i)), None)
        if not release:
            return None
        at = release[3]
        return {
            "menu_us": menu_down[3] - at if menu_down else None,
            "trip_us": menu_down[3] - menu_hook[3] if menu_down and menu_hook else None,
            "escape_us": escape[3] - at if escape else None,
            "menu_up": menu_up is not None,
        }

    def wait_hook_working(self, timeout=20.0):
        """Taps until one gives the Menu key: Kestrova's hook is in place."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.alive():
                raise RuntimeError(f"Kestrova ended with {self.kestrova.returncode}")
            result = self.tap(timeout=1.0)
            if result and result["menu_us"] is not None:
                return
        raise RuntimeError("Kestrova's hook never answered a tap")

    def sample(self):
        """procstat samples of (Kestrova, empty program, empty hook host, and
        the fair baseline when there is one)."""
        return tuple(procstat.Sample(pid) for pid in self.pids + ((self.fair_pid,) if self.fair_pid else ()))
