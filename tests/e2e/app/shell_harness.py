"""The real Kestrova.exe in a Wine environment of its own, with the helpers the
start-up and tray tests share: the probe's answers about windows and the
shell's icons, and clicks on the tray icon and its menu."""
import os
import time

from kestrova import builds
from kestrova.builds import SCREENSHOTS, e2e_main  # noqa: F401 (for the test scripts)
from kestrova.names import (CAPTION, PROGRAM_KEY, SC_CLOSE, TRAY_WINDOW, WM_CLOSE, WM_ENDSESSION,  # noqa: F401
                            WM_QUERYENDSESSION, WM_SYSCOMMAND)
from kestrova.probe import probe, rect, text
from kestrova.wine import WineEnv, wait_until  # noqa: F401

BOX_CAPTION = "Kestrova"
ALREADY_RUNNING = "程序已在运行！"
# Where the first icon of the Wine System Tray window sits, in its own pixels.
ICON_SPOT = (10, 10)


def delay_key():
    return PROGRAM_KEY


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
        p = self.popen([builds.exe()] + list(args))
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
        """(exit code, rows) of one probe command."""
        return probe(self, *args)

    def window_rect(self, window=CAPTION):
        """(left, top, width, height, visible) of the window, or None."""
        rc, rows = self.probe("window", window)
        if rc != 0:
            return None
        return rect(rows[0]) + (rows[0]["visible"] == "1",)

    def visible(self, window=CAPTION):
        rect = self.window_rect(window)
        return rect is not None and rect[4]

    def handle(self, window=CAPTION):
        rc, rows = self.probe("window", window)
        return int(rows[0]["hwnd"], 16) if rc == 0 else None

    def tray_has(self, window=CAPTION):
        """Whether the shell holds the program's icon (window, 100)."""
        rc, rows = self.probe("tray-has", window)
        return rc == 0 and rows[0]["held"] == "1"

    def send(self, message, wparam=0, lparam=0, window=CAPTION):
        rc, rows = self.probe("send", window, hex(message), wparam, lparam)
        if rc != 0:
            raise AssertionError(f"could not send {message:#x}: {rc}")
        return int(rows[0]["result"])

    def children(self, window):
        """[(id, class, style, text)] of the window's descendants."""
        rc, rows = self.probe("tree", window)
        return [(int(r["id"]), r["class"], int(r["style"], 16), text(r).strip())
                for r in rows if r["kind"] == "child"] if rc == 0 else []

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
            rc, rows = self.probe("menu")
            return rect(rows[0]) if rc == 0 and rows[0]["kind"] == "menu" else None

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
