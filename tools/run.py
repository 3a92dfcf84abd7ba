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
    """The key-logging target window of the end-to-end tests."""

    def __init__(self, w):
        self.proc = w.popen([TARGET, "--popup", "--caption", "Kestrova demo"],
                            stdin=subprocess.PIPE, text=True, bufsize=1)
        self.lines = []

    def read_until(self, predicate, timeout=10.0):
        import selectors
        sel = selectors.DefaultSelector()
        sel.register(self.proc.stdout, selectors.EVENT_READ)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for line in self.lines:
                if predicate(line):
                    return line
            if sel.select(timeout=0.1):
                line = self.proc.stdout.readline()
                if not line:
                    break
                self.lines.append(line.split())
        raise TimeoutError("the target did not log what was expected")

    def quit(self):
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def demo():
    os.makedirs(SHOTS, exist_ok=True)
    with WineEnv() as w:
        target = Target(w)
        target.read_until(lambda l: l[0] == "ready")
        kestrova = w.popen([EXE])
        w.wait_window(CAPTION, visible=True)
        time.sleep(1.5)  # the 500 ms wait before the hook is installed, and painting
        shot1 = w.screenshot(os.path.join(SHOTS, "run-1-settings-window.png"))

        # Back to the target, then right Alt held while X is pressed: the
        # sequence Wine reports the same way as Windows (see DESIGN.md).
        target_window = w.wait_window("Kestrova demo")
        w.xdotool("windowactivate", "--sync", target_window, check=False)
        w.xdotool("windowfocus", "--sync", target_window, check=False)
        target.read_until(lambda l: l[0] == "focus" and l[1] == "1")
        w.xdotool("keydown", "Alt_R", "keydown", "x", "keyup", "Alt_R", "keyup", "x")
        target.read_until(lambda l: l[0] == "win" and l[1] == str(0x7B))  # WM_CONTEXTMENU
        time.sleep(0.5)
        shot2 = w.screenshot(os.path.join(SHOTS, "run-2-context-menu.png"))
        print("The right-Alt sequence reached Kestrova's hook; the target received the Menu key "
              "and opened its context menu.")
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
