"""The helper programs that stand around Kestrova in a Wine environment: the
key target (a window that logs the keys it and its own low-level hook get),
the injector (right-Alt sequences by SendInput), and any other tool that
takes commands on standard input and ends with "quit"."""
import subprocess
import time

from kestrova.builds import tool
from kestrova.lines import Log
from kestrova.names import VK_APPS, VK_ESCAPE, VK_F15, WM_KEYDOWN, WM_KEYUP, plain, xdotool_steps


class Helper:
    """A tool program that prints `ready` (or another line) once it is set up,
    answers commands on standard input and ends with "quit"."""

    def __init__(self, env, args, ready="ready", timeout=30.0):
        self.env = env
        self.proc = env.popen([str(a) for a in args], stdin=subprocess.PIPE)
        self.log = Log(self.proc)
        if ready:
            try:
                self.log.wait_line(ready, timeout=timeout)
            except TimeoutError:
                self.stop()
                raise

    def running(self):
        return self.proc.poll() is None

    def command(self, line, answer, timeout=60.0):
        """Sends one command; the first line beginning with answer after it."""
        start = len(self.log)
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()
        return self.log.wait_line(answer, start, timeout)

    def stop(self):
        """Asks the program to end and answers everything it printed. Asked,
        never killed first: under Wine a process killed while it holds a
        low-level hook leaves every other process's hook uncalled."""
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.close()
                self.proc.wait(timeout=15)
            except (OSError, ValueError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()
        self.log.wait(lambda lines: True if self.log.done else None, timeout=5)
        if self.log.done:
            self.proc.stdout.close()
        return self.log.snapshot()


class Target(Helper):
    """keytarget: a window of its own that takes the focus and logs, with its
    own QueryPerformanceCounter clock, what its hook and its window get.

    typed: make sure keys typed with xdotool reach it (the X focus is given
    by hand, as there is no window manager); injected keys need no focus."""

    def __init__(self, env, *options, caption="keytarget", typed=True):
        super().__init__(env, [tool("keytarget"), "--caption", caption] + list(options))
        self.caption = caption
        self.window = None
        if typed:
            self.take_typed_keys()

    def take_typed_keys(self, timeout=20.0):
        """Gives the window the X focus and types a key that means nothing
        (F15) until it shows in the window's log."""
        self.window = self.env.wait_window(self.caption)
        deadline = time.monotonic() + timeout
        while True:
            start = len(self.log)
            self.env.xdotool("windowfocus", self.window, check=False)
            self.env.xdotool("key", "F15")
            if self.log.wait_event("win", lambda m, k: (m, k) == (WM_KEYUP, VK_F15), start, 0.3):
                return
            if time.monotonic() > deadline:
                self.stop()
                raise TimeoutError(f"typed keys do not reach the target: {self.log.snapshot()[-12:]}")

    def type(self, steps):
        """Types xdotool (action, key) steps, one xdotool call."""
        self.env.xdotool(*xdotool_steps(steps))

    def mark(self):
        """A mark in the log: events after it are the test's."""
        return len(self.log)

    def events_after(self, mark, kind):
        """(message, key, us) of the target's window ("win") or hook ("hook")."""
        return self.log.events(kind, mark)

    def keys_after(self, mark, kind):
        """(message, key) after mark, system-key variants folded into the plain ones."""
        return [(plain(m), k) for m, k, _ in self.log.events(kind, mark)]

    def wait_key(self, mark, kind, message, key, timeout=10.0):
        """The first (message, key, us) of that key after mark, system-key
        variants counting as plain ones; None when none comes in time."""
        return self.log.wait_event(kind, lambda m, k: (plain(m), k) == (message, key), mark, timeout)

    def wait_menu_key(self, mark, timeout=10.0):
        """The window's key-down of VK_APPS after mark; raises when none comes."""
        event = self.wait_key(mark, "win", WM_KEYDOWN, VK_APPS, timeout)
        if event is None:
            raise TimeoutError(f"no Menu key within {timeout} s: {self.log.snapshot(mark)}")
        return event


class Injector(Helper):
    """keyburst: right-Alt sequences injected with SendInput; it counts the
    sequences no Menu key answered."""

    def __init__(self, env):
        super().__init__(env, [tool("keyburst")])

    def burst(self, count, gap_ms, paced=True, timeout=120.0):
        line = self.command(f"burst {count} {gap_ms}" + (" paced" if paced else ""), "sent ", timeout)
        parts = line.split()
        return {"sent": int(parts[2]), "us": int(parts[4]), "unanswered": int(parts[6])}

    def wait_hook_ready(self, alive=lambda: True, timeout=30.0):
        """Sends single sequences until one brings a Menu key back: then a
        hook (the program's) is in place. Answers the seconds it took."""
        start = time.monotonic()
        while time.monotonic() - start < timeout:
            if not alive():
                raise RuntimeError("the program under test ended before its hook answered")
            if self.burst(1, 0)["unanswered"] == 0:
                return time.monotonic() - start
        raise TimeoutError("no hook answered a right-Alt sequence")


def menu_and_escape_downs(keys):
    return [k for m, k in keys if m == WM_KEYDOWN and k in (VK_ESCAPE, VK_APPS)]
