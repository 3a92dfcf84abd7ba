"""What the end-to-end tests share: where the real Kestrova.exe and the tool
programs are, the probe that reads and pokes the running program from
outside, starting the program and waiting for it, quitting it through its
tray menu, and the registry keys it uses.

Environment: KESTROVA_EXE (the program), KESTROVA_TOOLS (the folder of the
tool programs built from tests/e2e/tools: probe, keytarget, keyburst, ...)."""
import os
import subprocess
import sys
import threading
import time

E2E = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(E2E))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from wineenv import WineEnv, wait_until  # noqa: E402,F401

EXE = os.environ.get("KESTROVA_EXE", os.path.join(ROOT, "build", "win64", "Kestrova.exe"))
TOOLS = os.environ.get("KESTROVA_TOOLS", os.path.join(ROOT, "build", "win64", "tests", "e2e", "tools"))
SCREENSHOTS = os.path.join(ROOT, "build", "screenshots")

CAPTION = "Kestrova  By Morvenhal Tobrand"
TRAY_WINDOW = "Wine System Tray"
MAKER_KEY = r"HKCU\Software\MorvenhalTobrand"
PROGRAM_KEY = MAKER_KEY + r"\Kestrova"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
METRICS_KEY = r"HKCU\Control Panel\Desktop\WindowMetrics"


def tool(name):
    return os.path.join(TOOLS, name + ".exe")


def have_programs(*tools):
    """Whether the program and the named tools (the probe always) are built."""
    return os.path.isfile(EXE) and all(os.path.isfile(tool(t)) for t in ("probe",) + tools)


# -- the probe ---------------------------------------------------------------
def parse(out):
    """The probe's answer as a list of {key: value} rows, one per line."""
    rows = []
    for line in out.splitlines():
        fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
        if "kind" in fields:
            rows.append(fields)
    return rows


def text(row, key="text"):
    """A hex text field of a row, decoded from code page 936."""
    return bytes.fromhex(row.get(key, "")).decode("gbk", "replace")


def rect(row, key="rect"):
    """(left, top, width, height) of a rectangle field."""
    return tuple(int(v) for v in row[key].split(","))


def probe(env, *args, timeout=20, tries=3):
    """Runs the probe; (exit code, rows). A probe that hangs (asking a shell
    that is itself still starting can) is run again."""
    for _ in range(tries):
        try:
            r = env.run([tool("probe")] + [str(a) for a in args], timeout=timeout)
            return r.returncode, parse(r.stdout.decode("ascii", "replace"))
        except subprocess.TimeoutExpired:
            continue
    raise AssertionError(f"the probe hung {tries} times on {args}")


def tree(env, caption=CAPTION):
    """The rows of the window and all its descendants; [] when there is none."""
    rc, rows = probe(env, "tree", caption)
    return rows if rc == 0 else []


def child(rows, class_name=None, caption=None, depth=None):
    """The first child row of that class (any case) and/or caption, or None."""
    for row in rows:
        if row["kind"] != "child":
            continue
        if class_name is not None and row["class"].lower() != class_name.lower():
            continue
        if caption is not None and text(row) != caption:
            continue
        if depth is not None and row["depth"] != str(depth):
            continue
        return row
    return None


class Log:
    """The lines a Windows program prints, collected as they come."""

    def __init__(self, proc):
        self.proc = proc
        self.lines = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        for raw in self.proc.stdout:
            with self.lock:
                self.lines.append(raw.decode("ascii", "replace").strip())

    def snapshot(self):
        with self.lock:
            return list(self.lines)

    def events(self, kind):
        """(a, b, microseconds) of every `kind a b us` line."""
        out = []
        for line in self.snapshot():
            parts = line.split()
            if len(parts) == 4 and parts[0] == kind:
                out.append((int(parts[1]), int(parts[2]), int(parts[3])))
        return out

    def wait_line(self, text, timeout=30.0):
        return wait_until(lambda: any(l.startswith(text) for l in self.snapshot()), timeout)


# -- the program -------------------------------------------------------------
def tray_icon_shown(env):
    """Whether the Wine System Tray window is mapped: Wine hides it when it
    holds no icon."""
    return bool(env.xdotool("search", "--onlyvisible", "--name", f"^{TRAY_WINDOW}$", check=False))


class Program:
    """One run of Kestrova.exe started from Linux, so its exit code and its
    Linux process (for /proc) are at hand."""

    def __init__(self, env, *args, proc=None):
        self.env = env
        self.proc = proc or env.popen([EXE] + list(args), stdout=subprocess.DEVNULL)

    def running(self):
        return self.proc.poll() is None

    def wait_tray(self, timeout=60):
        """Waits until the tray window exists or the program has ended."""
        wait_until(lambda: self.env.find_windows(TRAY_WINDOW) or not self.running(), timeout, 0.1)
        if not self.running():
            raise AssertionError(f"Kestrova ended during start-up with {self.proc.returncode}")

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
