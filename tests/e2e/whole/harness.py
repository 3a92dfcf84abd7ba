"""What the whole-program tests share beyond tests/e2e/kestrova.py: knowing
when the program's hook is in place, its resource figures, the helper
programs (keytarget, keyburst, hooktimer) and the registry compared before
and after.

Environment: KESTROVA_EXE, KESTROVA_TOOLS (the folder of the tool programs)."""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from kestrova import (CAPTION, EXE, MAKER_KEY, METRICS_KEY, PROGRAM_KEY, RUN_KEY, SCREENSHOTS,  # noqa: E402,F401
                      Log, Program as BaseProgram, WineEnv, probe, tool, tray_icon_shown, wait_until)

WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP = 256, 257, 260, 261
VK_ESCAPE, VK_APPS = 27, 93


def have_programs():
    return os.path.isfile(EXE) and all(os.path.isfile(tool(t)) for t in ("probe", "keytarget", "keyburst"))


class Helper:
    """A tool program that takes commands on standard input and ends with "quit"."""

    def __init__(self, env, args, ready):
        self.proc = env.popen(args, stdin=subprocess.PIPE)
        self.log = Log(self.proc)
        self.log.wait_line(ready)

    def command(self, line, answer, timeout=60):
        count = len(self.log.snapshot())
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()
        wait_until(lambda: any(l.startswith(answer) for l in self.log.snapshot()[count:]), timeout)
        return [l for l in self.log.snapshot()[count:] if l.startswith(answer)][0]

    def stop(self):
        # Asked, not killed: under Wine a process killed while it holds a
        # low-level hook leaves the hooks of the other processes uncalled.
        if self.proc.poll() is not None:
            return self.log.snapshot()
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.close()
            self.proc.wait(timeout=15)
        except (OSError, ValueError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()
        return self.log.snapshot()


class Target(Helper):
    """keytarget: a window that takes the focus and logs the keys it and its hook get."""

    def __init__(self, env, *options, caption="target"):
        super().__init__(env, [tool("keytarget"), "--caption", caption] + list(options), "ready")

    def mark(self):
        times = [us for _, _, us in self.log.events("hook") + self.log.events("win")]
        return max(times) if times else -1

    def keys_after(self, mark, kind):
        """(message, key) of the target's window ("win") or hook ("hook") events
        after mark, system-key variants folded into the plain ones."""
        fold = {WM_SYSKEYDOWN: WM_KEYDOWN, WM_SYSKEYUP: WM_KEYUP}
        return [(fold.get(m, m), k) for m, k, us in self.log.events(kind) if us > mark]


class Injector(Helper):
    """keyburst: right-Alt sequences injected with SendInput."""

    def __init__(self, env):
        super().__init__(env, [tool("keyburst")], "ready")

    def burst(self, count, gap_ms, paced=True, timeout=120):
        line = self.command(f"burst {count} {gap_ms}" + (" paced" if paced else ""), "sent ", timeout)
        parts = line.split()
        return {"sent": int(parts[2]), "us": int(parts[4]), "unanswered": int(parts[6])}


def wait_hook_ready(injector, timeout=30.0):
    """Sends single sequences until one brings a Menu key back: then the
    program's hook is in place. Answers the seconds it took."""
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        if injector.burst(1, 0)["unanswered"] == 0:
            return time.monotonic() - start
    raise TimeoutError("the program's hook never answered a right-Alt sequence")


def menu_and_escape_downs(keys):
    return [k for m, k in keys if m == WM_KEYDOWN and k in (VK_ESCAPE, VK_APPS)]


class Program(BaseProgram):
    """One run of Kestrova.exe, with its resource figures."""

    # -- figures ---------------------------------------------------------
    def figures(self):
        """Threads, handles and private memory, from Linux and from inside Wine."""
        pid = self.proc.pid
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


# -- the registry, before and after ----------------------------------------
# Keys Wine itself rewrites while programs run; nothing of ours lives there.
VOLATILE = (
    r"software\\wine",
    r"software\\microsoft\\windows\\currentversion\\explorer",
    r"volatile environment",
    r"software\\microsoft\\windows nt\\currentversion\\windows",
)


def read_user_reg(env):
    """{key: {value line}} of the prefix's user.reg, once wineserver has
    written it out; the time stamps are left out."""
    env.wait_idle()
    keys, current = {}, None
    with open(os.path.join(env.prefix, "user.reg"), encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                current = line[1:line.index("]")].lower()
                keys[current] = set()
            elif current is not None and line and not line.startswith("#"):
                keys[current].add(line)
    return keys


def registry_changes(before, after):
    """Keys added, removed or changed between two readings, Wine's own left out."""
    changed = set()
    for key in set(before) | set(after):
        if key.startswith(VOLATILE):
            continue
        if before.get(key) != after.get(key):
            changed.add(key)
    return changed
