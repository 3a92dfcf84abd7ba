#!/usr/bin/env python3
"""`make run`: start Kestrova under Wine (run with PYTHONPATH=tools, as the
Makefile does).

It runs build/win32/Kestrova.exe, the shipped file, where the setup found
that this machine runs 32-bit code, and the x86-64 twin built from the same
source elsewhere; the first line printed says which and why.

With a DISPLAY, Kestrova runs there (its settings window shown, its icon in
Wine's system tray) until you choose "退出(&X)" from the tray menu; the Wine
prefix build/wine/run keeps its settings from one run to the next.

Without a DISPLAY it shows the main job on a virtual display: a target window,
Kestrova running, the right-Alt sequence typed, the target's context menu
opening. Screenshots are saved under build/screenshots/run-*.png.
"""
import os
import sys
import time

from kestrova import builds
from kestrova.builds import SCREENSHOTS, relative
from kestrova.keys import Target
from kestrova.names import CAPTION, TAP, WM_CONTEXTMENU
from kestrova.wine import BUILD, WineEnv


def run_on_display(display, exe):
    w = WineEnv(display=display, prefix=os.path.join(BUILD, "wine", "run"))
    with w:
        print(f"Kestrova runs on {display}; quit it from its tray icon's menu (退出).")
        proc = w.popen([exe], stdout=None)
        rc = proc.wait()
    print(f"Kestrova ended with exit code {rc}")
    return rc


def demo(exe):
    os.makedirs(SCREENSHOTS, exist_ok=True)
    with WineEnv() as w:
        kestrova = w.popen([exe])
        w.wait_window(CAPTION, visible=True)
        time.sleep(1.5)  # the 500 ms wait before the hook is installed, and painting
        shot1 = w.screenshot(os.path.join(SCREENSHOTS, "run-1-settings-window.png"))

        # A target window opened after Kestrova takes the focus itself.
        target = Target(w, "--popup", caption="Kestrova demo")
        # Right Alt held while X is pressed and released after it: the sequence
        # Wine reports the same way as Windows (a lone tap does not trigger here).
        mark = target.mark()
        target.type(TAP)
        if target.log.wait_event("win", lambda m, k: m == WM_CONTEXTMENU, mark, timeout=10) is None:
            raise TimeoutError("the target did not get a context menu request; it logged: "
                               + "; ".join(target.log.snapshot(mark)[-12:]))
        time.sleep(0.7)
        shot2 = w.screenshot(os.path.join(SCREENSHOTS, "run-2-context-menu.png"))
        print("Right Alt reached Kestrova's hook; the target window received the Menu key "
              "and opened its context menu.")
        w.xdotool("key", "Escape")
        target.stop()
        kestrova.kill()
    print("Screenshots:\n  " + shot1 + "\n  " + shot2)
    return 0


def main():
    b = builds.current()
    for path in (b.exe, b.tool("keytarget")):
        if not os.path.exists(path):
            sys.exit(f"missing {relative(path)}: run `make run` (it builds first)")
    print(f"make run: {relative(b.exe)}: {b.why}", flush=True)
    display = os.environ.get("DISPLAY")
    sys.exit(run_on_display(display, b.exe) if display else demo(b.exe))


if __name__ == "__main__":
    main()
