"""Drives the program under test (the hook) and the key target window under
Wine in a private Xvfb, and reads the target's log back.

The program under test is Kestrova.exe itself when KESTROVA_EXE names it and
KESTROVA_HOOK_EXE is not set: it is started hidden ("/hidden") with the delay
KESTROVA_EXPECT_DELAY_MS written to the registry first, and its hook counts as
in place once a right-Alt sequence injected by KESTROVA_KEYBURST_EXE into a
throw-away target brings a Menu key back (the hook is installed half a second
after the start).

Otherwise it is KESTROVA_HOOK_EXE (a Windows exe that installs the keyboard
hook and keeps running) with KESTROVA_HOOK_ARGS (split like a shell would);
KESTROVA_HOOK_READY is a line that program prints once its hook is in place;
when empty, the driver waits KESTROVA_HOOK_SETTLE seconds instead.

KESTROVA_KEYTARGET_EXE is the target window in both cases.
"""
import os
import shlex
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from kestrova import PROGRAM_KEY, TRAY_WINDOW, Log, WineEnv, wait_until  # noqa: E402,F401

WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_CONTEXTMENU = 256, 257, 260, 261, 123
VK_ESCAPE, VK_APPS, VK_LMENU, VK_RMENU, VK_X = 27, 93, 164, 165, 88

# Right Alt down, X down, right Alt up, X up: the tap that triggers under Wine
# as on Windows (a lone tap's release reaches a Wine hook as WM_SYSKEYUP).
TAP = [("keydown", "Alt_R"), ("keydown", "x"), ("keyup", "Alt_R"), ("keyup", "x")]
LEFT_ALT_TAP = [("keydown", "Alt_L"), ("keydown", "x"), ("keyup", "Alt_L"), ("keyup", "x")]
# X released while right Alt is still held: cancels.
CANCELLED_TAP = [("keydown", "Alt_R"), ("keydown", "x"), ("keyup", "x"), ("keyup", "Alt_R")]


def plain(message):
    """WM_KEYDOWN for WM_SYSKEYDOWN, WM_KEYUP for WM_SYSKEYUP. Under Wine a key
    injected right after the tap's release may still be reported as a system
    key, since Alt counts as held until every hook has answered."""
    return {WM_SYSKEYDOWN: WM_KEYDOWN, WM_SYSKEYUP: WM_KEYUP}.get(message, message)


class KeyRun:
    """One Wine environment with the program under test running in it."""

    def __init__(self):
        # A hook host named explicitly (the benchmarks do) comes first.
        self.kestrova = "" if os.environ.get("KESTROVA_HOOK_EXE") else os.environ.get("KESTROVA_EXE", "")
        self.keyburst = os.environ.get("KESTROVA_KEYBURST_EXE", "")
        self.delay_ms = int(os.environ.get("KESTROVA_EXPECT_DELAY_MS", "300"))
        self.hook_exe = self.kestrova or os.environ["KESTROVA_HOOK_EXE"]
        self.hook_args = shlex.split(os.environ.get("KESTROVA_HOOK_ARGS", ""))
        self.hook_ready = os.environ.get("KESTROVA_HOOK_READY", "hooked")
        self.hook_settle = float(os.environ.get("KESTROVA_HOOK_SETTLE", "3"))
        self.target_exe = os.environ["KESTROVA_KEYTARGET_EXE"]
        self.env = None
        self.hook = None
        self.hook_log = None

    def __enter__(self):
        self.env = WineEnv().__enter__()
        try:
            if self.kestrova:
                self._start_kestrova()
                return self
            self.hook = self.env.popen([self.hook_exe] + self.hook_args)
            self.hook_log = Log(self.hook)
            if self.hook_ready:
                self.hook_log.wait_line(self.hook_ready)
            else:
                time.sleep(self.hook_settle)
            if self.hook.poll() is not None:
                raise RuntimeError(f"the program under test ended: {self.hook_log.snapshot()}")
        except BaseException:
            self.env.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.env.stop()

    def _start_kestrova(self):
        self.env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", self.delay_ms)
        self.hook = self.env.popen([self.kestrova, "/hidden"], stdout=subprocess.DEVNULL)
        self.hook_log = None
        # The tray icon comes just before the half-second wait that precedes
        # the hook; from then on injected sequences are sent until one of them
        # brings a Menu key back.
        wait_until(lambda: self.env.find_windows(TRAY_WINDOW) or self.hook.poll() is not None, 60, 0.1)
        throwaway = self.start_target(caption="readiness target")
        injector = self.env.popen([self.keyburst], stdin=subprocess.PIPE)
        injector_log = Log(injector)
        try:
            injector_log.wait_line("ready")
            deadline = time.monotonic() + 30
            while True:
                if self.hook.poll() is not None:
                    raise RuntimeError(f"Kestrova ended with {self.hook.returncode}")
                count = len(injector_log.snapshot())
                injector.stdin.write(b"burst 1 0 paced\n")
                injector.stdin.flush()
                wait_until(lambda: len(injector_log.snapshot()) > count, 10)
                if injector_log.snapshot()[-1].endswith("unanswered 0"):
                    break
                if time.monotonic() > deadline:
                    raise TimeoutError("Kestrova's hook never answered")
        finally:
            injector.stdin.write(b"quit\n")
            injector.stdin.close()
            injector.wait(timeout=15)
            throwaway.stop()

    def start_target(self, *options, caption="keytarget"):
        """Starts a target window and makes sure typed keys reach it."""
        proc = self.env.popen([self.target_exe, "--caption", caption] + list(options), stdin=subprocess.PIPE)
        log = Log(proc)
        log.wait_line("ready")
        window = self.env.wait_window(caption)
        # No window manager: give the X focus to the Wine window, whose own
        # SetForegroundWindow made it the Windows foreground.
        self.env.xdotool("windowfocus", window, check=False)
        # A key that means nothing: once it shows in the window's log, typed
        # keys arrive.
        deadline = time.monotonic() + 20
        while not any(m == WM_KEYUP and k == 0x7E for m, k, _ in log.events("win")):  # F15
            if time.monotonic() > deadline:
                raise TimeoutError(f"typed keys do not reach the target: {log.snapshot()}")
            self.env.xdotool("windowfocus", window, check=False)
            self.env.xdotool("key", "F15")
            time.sleep(0.3)
        return Target(self, proc, log, window)

    def type(self, steps):
        for action, key in steps:
            self.env.xdotool(action, key)


class Target:
    def __init__(self, run, proc, log, window):
        self.run, self.proc, self.log, self.window = run, proc, log, window

    def stop(self):
        # Asked to close, not killed: under Wine a process killed while it
        # holds a low-level hook leaves every other process's hook uncalled.
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.close()
            self.proc.wait(timeout=15)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()
        self.proc.stdout.close()

    def mark(self):
        """The time of the last thing logged: later events are the test's."""
        times = [us for _, _, us in self.log.events("hook") + self.log.events("win")]
        return max(times) if times else -1

    def hook_events_after(self, mark):
        return [(m, k, us) for m, k, us in self.log.events("hook") if us > mark]

    def win_events_after(self, mark):
        return [(m, k, us) for m, k, us in self.log.events("win") if us > mark]

    def wait_menu_key(self, mark, timeout=10.0):
        """Waits for the window's key-down of VK_APPS after mark."""
        return wait_until(lambda: [e for e in self.win_events_after(mark) if (plain(e[0]), e[1]) == (WM_KEYDOWN, VK_APPS)],
                          timeout)[0]
