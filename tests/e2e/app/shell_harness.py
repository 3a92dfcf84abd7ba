"""The real Kestrova.exe in a Wine environment of its own, with the helpers the
start-up and tray tests share: the probe that looks at windows and at the
shell's icons from outside, and clicks on the tray icon and its menu."""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from wineenv import WineEnv, wait_until  # noqa: E402,F401

EXE = os.environ.get("KESTROVA_EXE", os.path.join(ROOT, "build", "win64", "Kestrova.exe"))
PROBE = os.environ.get("KESTROVA_SHELLPROBE",
                       os.path.join(ROOT, "build", "win64", "tests", "e2e", "app", "shellprobe.exe"))
SCREENSHOTS = os.path.join(ROOT, "build", "screenshots")

CAPTION = "Kestrova  By Morvenhal Tobrand"
BOX_CAPTION = "Kestrova"
ALREADY_RUNNING = "程序已在运行！"
TRAY_WINDOW = "Wine System Tray"
# Where the first icon of the Wine System Tray window sits, in its own pixels.
ICON_SPOT = (10, 10)

WM_CLOSE = 0x0010
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060


def maker_key():
    """The maker key the program was built with, from the settings header."""
    with open(os.path.join(ROOT, "src", "settings", "SettingsLogic.h"), encoding="utf-8") as f:
        return re.search(r'#define\s+KESTROVA_MAKER_KEY\s+"([^"]+)"', f.read()).group(1)


def delay_key():
    return "HKCU\\Software\\" + maker_key() + "\\Kestrova"


class Kestrova(WineEnv):
    """A Wine environment for one test, with the program and the probe."""

    def start(self):
        super().start()
        self.procs = []

    def stop(self):
        for p in getattr(self, "procs", []):
            if p.poll() is None:
                p.kill()
                p.wait()
        super().stop()

    # -- the program -------------------------------------------------------
    def launch(self, *args):
        p = self.popen([EXE] + list(args))
        self.procs.append(p)
        return p

    def launch_started(self, *args):
        """Starts the program and waits until its start-up has added the icon."""
        p = self.launch(*args)
        # The window first: a probe that asks the shell about icons while the
        # shell itself is still starting can hang.
        wait_until(lambda: self.window_rect() is not None or p.poll() is not None, timeout=60, interval=0.1)
        wait_until(lambda: p.poll() is not None or self.tray_has(), timeout=60, interval=0.1)
        if p.poll() is not None:
            raise AssertionError(f"Kestrova ended during start-up with {p.returncode}")
        return p

    # -- the probe -----------------------------------------------------------
    def probe(self, *args):
        for _ in range(3):
            try:
                r = self.run([PROBE] + [str(a) for a in args], timeout=20)
                return r.returncode, r.stdout.decode("gbk", "replace").strip()
            except subprocess.TimeoutExpired:
                continue
        raise AssertionError(f"the probe hung three times on {args}")

    def window_rect(self, window=CAPTION):
        """(left, top, width, height, visible) of the window, or None."""
        rc, out = self.probe("rect", window)
        if rc != 0:
            return None
        left, top, width, height, visible = (int(v) for v in out.split())
        return left, top, width, height, bool(visible)

    def visible(self, window=CAPTION):
        rect = self.window_rect(window)
        return rect is not None and rect[4]

    def handle(self, window=CAPTION):
        rc, out = self.probe("hwnd", window)
        return int(out) if rc == 0 else None

    def tray_has(self, window=CAPTION):
        """Whether the shell holds the program's icon (window, 100)."""
        rc, out = self.probe("tray-has", window)
        return rc == 0 and out == "1"

    def send(self, message, wparam=0, lparam=0, window=CAPTION):
        rc, out = self.probe("send", window, hex(message), wparam, lparam)
        if rc != 0:
            raise AssertionError(f"could not send {message:#x}: {rc}")
        return int(out)

    def children(self, window):
        """[(id, class, style, text)] of the window's child windows."""
        rc, out = self.probe("children", window)
        if rc != 0:
            return []
        rows = []
        for line in re.split(r"\n(?=-?\d+\t)", out):
            parts = line.split("\t", 3)
            if len(parts) == 4:
                rows.append((int(parts[0]), parts[1], int(parts[2], 16), parts[3].strip()))
        return rows

    # -- the mouse and keyboard ----------------------------------------------
    def click_tray_icon(self, button):
        tray = self.wait_window(TRAY_WINDOW)
        self.xdotool("mousemove", "--window", tray, *ICON_SPOT)
        time.sleep(0.2)
        self.xdotool("click", button)

    def cursor(self):
        out = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.splitlines())
        return int(values["X"]), int(values["Y"])

    def open_tray_menu(self):
        """Right-clicks the icon; answers the open menu's (left, top, width, height)."""
        self.click_tray_icon(3)

        def menu_rect():
            rc, out = self.probe("menu")
            if rc != 0:
                return None
            first = out.splitlines()[0].split("\t")
            return tuple(int(v) for v in first[1].split()) if first[0] == "rect" else None

        return wait_until(menu_rect, timeout=10, interval=0.1)

    def menu_closed(self):
        return self.probe("menu")[0] != 0

    def click_menu_item(self, menu, index, count=2):
        """Clicks item index (0 first) of a menu of count equal rows."""
        left, top, width, height = menu
        row = height / count
        x = left + width // 2
        y = int(top + row * index + row / 2)
        self.xdotool("mousemove", x, y)
        time.sleep(0.2)
        self.xdotool("click", 1)

    def shot(self, name):
        return self.screenshot(os.path.join(SCREENSHOTS, name))
