#!/usr/bin/env python3
"""The layout that Kestrova.exe shows on a 1920 x 1080 screen, for the desktop
DPI values written to HKCU\\Control Panel\\Desktop\\WindowMetrics\\AppliedDPI
before it starts. Rectangles come from the window probe, as another program
sees them."""
import os
import subprocess
import sys
import unittest

from kestrova import builds, probe
from kestrova.builds import SCREENSHOTS, e2e_main
from kestrova.names import CAPTION, METRICS_KEY
from kestrova.wine import WineEnv, wait_until

METRICS = METRICS_KEY

# Controls are told apart by their caption; the delay box is the Edit control and
# the banner the one captionless child that is neither the box nor its spin buttons.
CAPTIONS = {
    "check box": "开机自动启动",
    "label": "操作延迟(ms)",
    "group box": "将哪个键映射为Menu",
    "right Alt": "右Alt",
    "right Ctrl": "右Ctrl\r\n(即将推出)",
}

DESIGNED = {
    "window": (770, 390, 380, 300),
    "banner": (0, 10, 400, 80),
    "check box": (125, 180, 130, 24),
    "label": (103, 220, 100, 24),
    "delay box": (217, 220, 48, 21),
    "group box": (70, 92, 240, 72),
    "right Alt": (16, 32, 70, 24),
    "right Ctrl": (96, 28, 115, 32),
}

AT_120_DPI = {
    "window": (722, 352, 475, 375),
    "banner": (0, 12, 500, 100),
    "check box": (156, 225, 162, 30),
    "label": (128, 275, 125, 30),
    "delay box": (271, 275, 60, 26),
    "group box": (87, 115, 300, 90),
    "right Alt": (20, 40, 87, 30),
    "right Ctrl": (120, 35, 143, 40),
}


def layout(rows):
    """{role: (left, top, width, height)} from the probe's tree."""
    rect, text = probe.rect, probe.text
    found = {}
    window = [r for r in rows if r["kind"] == "window"]
    if window:
        found["window"] = rect(window[0])
    by_caption = {v: k for k, v in CAPTIONS.items()}
    for row in rows:
        if row["kind"] != "child":
            continue
        role = by_caption.get(text(row))
        if role is None and row["class"].lower() == "edit":
            role = "delay box"
        elif role is None and row["depth"] == "1" and text(row) == "" and "updown" not in row["class"].lower():
            role = "banner"
        if role:
            found[role] = rect(row)
    return found


class KestrovaAt(WineEnv):
    """The program started, shown, in an environment whose AppliedDPI is set
    (a REG_DWORD number, a (type, data) pair, or None for no value)."""

    def __init__(self, applied_dpi):
        super().__init__()
        self.applied_dpi = applied_dpi

    def start(self):
        super().start()
        if isinstance(self.applied_dpi, int):
            self.reg_set(METRICS, "AppliedDPI", "REG_DWORD", self.applied_dpi)
        elif self.applied_dpi is not None:
            self.reg_set(METRICS, "AppliedDPI", *self.applied_dpi)
        self.program = self.popen([builds.exe()], stdout=subprocess.DEVNULL)
        self.wait_window(CAPTION, timeout=60, visible=True)

    def stop(self):
        super().stop()  # ends every Wine process of the prefix, the program too
        if getattr(self, "program", None) is not None:
            self.program.wait(timeout=30)

    def tree(self):
        return probe.tree(self)

    def settled_layout(self):
        """The layout once the window and all seven controls are there and two
        readings agree."""
        last = {}

        def stable():
            nonlocal last
            now = layout(self.tree())
            same = now == last and len(now) == len(DESIGNED)
            last = now
            return same

        wait_until(stable, timeout=30, interval=0.3)
        return last


class LayoutAtStartup(unittest.TestCase):
    def assertLayout(self, actual, expected):
        for role, want in expected.items():
            with self.subTest(role=role):
                self.assertIn(role, actual)
                got = actual[role]
                if role == "delay box":
                    # The box may grow taller to fit its font, never shorter.
                    self.assertEqual(got[:3], want[:3])
                    self.assertGreaterEqual(got[3], want[3])
                else:
                    self.assertEqual(got, want)

    def test_at_120_dpi_window_and_controls_are_scaled_and_centred(self):
        with KestrovaAt(120) as env:
            self.assertLayout(env.settled_layout(), AT_120_DPI)
            shot = env.screenshot(os.path.join(SCREENSHOTS, "scaling-120dpi.png"))
            print("screenshot: %s" % shot, file=sys.stderr)

    def test_at_144_dpi_window_is_570_by_450_centred(self):
        with KestrovaAt(144) as env:
            self.assertEqual(env.settled_layout()["window"], (675, 315, 570, 450))

    def test_default_or_unreadable_dpi_leaves_the_designed_layout(self):
        cases = [
            ("no value", None),
            ("96", 96),
            ("120 as text", ("REG_SZ", "120")),
        ]
        for name, setting in cases:
            with self.subTest(setting=name), KestrovaAt(setting) as env:
                self.assertLayout(env.settled_layout(), DESIGNED)


if __name__ == "__main__":
    e2e_main()
