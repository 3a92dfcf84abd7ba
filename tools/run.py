#!/usr/bin/env python3
"""`make run`: start Kestrova under Wine.

With a DISPLAY, Kestrova runs there (its settings window shown, its icon in
Wine's system tray) until you choose "退出(&X)" from the tray menu; the Wine
prefix build/wine/run keeps its settings from one run to the next.

Without a DISPLAY it shows the main job on a virtual display: a target window,
Kestrova running, the right-Alt sequence typed, the target's context menu
opening. Screenshots are saved under build/screenshots/run-*.png.

This machine cannot run 32-bit code, so the x86-64 twin of the shipped exe
(same source) is what runs here.
"""
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wineenv import BUILD, ROOT, WineEnv, wait_until  # noqa: E402

EXE = os.path.join(BUILD, "win64", "Kestrova.exe")
TARGET = os.path.join(BUILD, "win64", "tests", "e2e", "tools", "keytarget.exe")
SHOTS = os.path.join(BUILD, "screenshots")
CAPTION = "Kestrova  By Morvenhal Tobrand"


def run_on_display(display):
    w = WineEnv(display=display, prefix=os.path.join(BUILD, "wine", "run"))
    with w:
        print(f"Kestrova runs on {display}; quit it from its tray icon's menu (退出).")
        proc = w.popen([EXE], stdout=None)
        rc = proc.wait()
    print(f"Kestrova ended with exit code {rc}")
    return rc


class Target:
    """The key-logging target window of the end-to-end tests; its log lines are
    read on a thread of their own."""

    def __init__(self, w):
        self.proc = w.popen([TARGET, "--popup", "--caption", "Kestrova demo"],
                            stdin=subprocess.PIPE, text=True, bufsize=1)
        self.lines = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line.split())

    def read_until(self, predicate, timeout=10.0):
        try:
            return wait_until(lambda: next((l for l in list(self.lines) if predicate(l)), None), timeout)
        except TimeoutError:
            raise TimeoutError("the target did not log what was expected; it logged: "
                               + "; ".join(" ".join(l) for l in self.lines[-12:])) from None

    def quit(self):
        # Asked to close, never killed: under Wine a process killed while it
        # holds a low-level hook leaves the other processes' hooks uncalled.
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()


def demo():
    os.makedirs(SHOTS, exist_ok=True)
    with WineEnv() as w:
        kestrova = w.popen([EXE])
        w.wait_window(CAPTION, visible=True)
        time.sleep(1.5)  # the 500 ms wait before the hook is installed, and painting
        shot1 = w.screenshot(os.path.join(SHOTS, "run-1-settings-window.png"))

        # A target window opened after Kestrova takes the focus itself.
        target = Target(w)
        target.read_until(lambda l: l[0] == "ready")
        window = w.wait_window("Kestrova demo")
        deadline = time.monotonic() + 20
        while not any(l[0] == "win" and l[2] == str(0x7E) for l in target.lines):  # F15 arrived
            if time.monotonic() > deadline:
                raise TimeoutError("typed keys do not reach the target window")
            w.xdotool("windowfocus", window, check=False)
            w.xdotool("key", "F15")
            try:
                target.read_until(lambda l: l[0] == "win" and l[2] == str(0x7E), timeout=0.3)
            except TimeoutError:
                pass

        # Right Alt held while X is pressed and released after it: the sequence
        # Wine reports the same way as Windows (a lone tap does not trigger here).
        w.xdotool("keydown", "Alt_R", "keydown", "x", "keyup", "Alt_R", "keyup", "x")
        target.read_until(lambda l: l[0] == "win" and l[1] == str(0x7B))  # WM_CONTEXTMENU
        time.sleep(0.7)
        shot2 = w.screenshot(os.path.join(SHOTS, "run-2-context-menu.png"))
        print("Right Alt reached Kestrova's hook; the target window received the Menu key "
              "and opened its context menu.")
        w.xdotool("key", "Escape")
        target.quit()
        kestrova.kill()
    print("Screenshots:\n  " + shot1 + "\n  " + shot2)
    return 0


def main():
    for path in (EXE, TARGET):
        if not os.path.exists(path):
            sys.exit(f"missing {os.path.relpath(path, ROOT)}: run `make run` (it builds first)")
    display = os.environ.get("DISPLAY")
    sys.exit(run_on_display(display) if display else demo())


if __name__ == "__main__":
    main()
