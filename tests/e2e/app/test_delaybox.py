"""The delay box and the banner of the real Kestrova.exe under Wine, used as a
person would: keys typed into the box, the focus moved away with Tab, the spin
arrows clicked, and the banner looked at on a screenshot.

Run by CTest with --shipped, --twin and --tools (kestrova.builds).
"""
import os
import time
import unittest

from kestrova import builds, probe
from kestrova.builds import SCREENSHOTS, e2e_main
from kestrova.names import CAPTION
from kestrova.wine import WineEnv, wait_until

INK = (0x24, 0x47, 0x6B)  # the banner's letters (tools/make_banner.py)


def read_ppm(path):
    """(width, height, 8-bit rgb bytes) of a binary PPM as ImageMagick writes
    it, with 8 or 16 bits per sample."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] in (b"255", b"65535"), fields
    samples = data[pos + 1:]
    if fields[3] == b"65535":
        samples = samples[0::2]  # the high byte of each big-endian sample
    return int(fields[1]), int(fields[2]), samples


class DelayBoxEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = WineEnv().__enter__()
        cls.proc = cls.env.popen([builds.exe()])
        cls.top = cls.env.wait_window(CAPTION, timeout=90, visible=True)
        # The X window of a Wine top-level without a window manager is its
        # client area, so its position is the client origin on the screen.
        geometry = cls.env.xdotool("getwindowgeometry", "--shell", cls.top)
        values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
        cls.origin = (int(values["X"]), int(values["Y"]))
        wait_until(lambda: cls.control("Edit"), timeout=30)

    @classmethod
    def tearDownClass(cls):
        if cls.proc.poll() is None:
            cls.proc.kill()
            cls.proc.wait()
        cls.env.__exit__(None, None, None)

    # -- looking from outside ------------------------------------------------
    @classmethod
    def controls(cls):
        return [row for row in probe.tree(cls.env) if row["kind"] == "child"]

    @classmethod
    def control(cls, class_name):
        return probe.child(cls.controls(), class_name=class_name, depth=1)

    def rect(self, class_name):
        return probe.rect(self.control(class_name))

    def box_text(self):
        return probe.text(self.control("Edit"))

    def click(self, x, y):
        """A left click at client coordinates of the main window."""
        self.env.xdotool("mousemove", self.origin[0] + x, self.origin[1] + y)
        self.env.xdotool("click", "1")

    def focus_box_and_clear(self):
        left, top, width, height = self.rect("Edit")
        self.click(left + width // 2, top + height // 2)
        self.env.xdotool("key", "--delay", "20", "End", *(["BackSpace"] * 12))
        wait_until(lambda: self.box_text() == "", timeout=10)

    def type(self, text):
        self.env.xdotool("type", "--delay", "40", text)

    def wait_text(self, expected, timeout=10):
        try:
            wait_until(lambda: self.box_text() == expected, timeout=timeout)
        except TimeoutError:
            self.assertEqual(self.box_text(), expected)

    def click_spin(self, up):
        left, top, width, height = self.rect("msctls_updown32")
        self.click(left + width // 2, top + (height // 4 if up else height * 3 // 4))
        time.sleep(0.3)

    # -- the tests ---------------------------------------------------------
    def test_typing_keeps_digits_and_minus_only(self):
        self.focus_box_and_clear()
        self.type("a1b-2 x3")
        self.wait_text("1-23")
        time.sleep(0.5)  # nothing else arrives late
        self.assertEqual(self.box_text(), "1-23")

    def test_leaving_the_box_rewrites_007_to_7(self):
        self.focus_box_and_clear()
        self.type("007")
        self.wait_text("007")
        self.env.xdotool("key", "Tab")
        self.wait_text("7")

    def test_spin_arrows_step_and_wrap(self):
        left, top, width, height = self.rect("Edit")
        s_left, s_top, s_width, s_height = self.rect("msctls_updown32")
        self.assertEqual((s_left, s_top, s_width, s_height), (left + width, top, 18, height))
        self.focus_box_and_clear()
        self.type("999")
        self.wait_text("999")
        for up, expected in ((True, "1000"), (True, "1"), (False, "1000"), (False, "999")):
            with self.subTest(up=up, expected=expected):
                self.click_spin(up)
                self.wait_text(expected)

    def test_banner_is_drawn_fitted_on_the_button_face(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        png = os.path.join(SCREENSHOTS, "delaybox_banner.png")
        ppm = os.path.join(SCREENSHOTS, "delaybox_banner.ppm")
        self.env.screenshot(png)
        self.env.screenshot(ppm)
        width, _, pixels = read_ppm(ppm)
        os.unlink(ppm)

        def at(x, y):  # client coordinates
            i = ((self.origin[1] + y) * width + self.origin[0] + x) * 3
            return tuple(pixels[i:i + 3])

        left, top, w, h = self.rect("KestrovaBanner")
        self.assertEqual((left, top, w, h), (0, 10, 400, 80))
        face = at(5, top + 5)
        # Outside the fitted picture (x 112..288) only the button face shows.
        outside = [(x, y) for y in range(top, top + h) for x in list(range(0, 112)) + list(range(288, 370))]
        wrong = [p for p in outside if at(*p) != face]
        self.assertEqual(wrong[:5], [], "picture drawn outside its fit rectangle")
        # Inside: the letters' ink is there, and the transparent space above the
        # word shows the face.
        inside = [at(x, y) for y in range(top, top + h) for x in range(112, 288)]
        ink = [p for p in inside if all(abs(a - b) <= 6 for a, b in zip(p, INK))]
        self.assertGreater(len(ink), 500)
        self.assertEqual(at(194, top + 8), face)
        # Some pixels are neither face nor artwork colours: the blended edges
        # and the translucent bar.
        self.assertGreater(len(set(inside)), 20)


if __name__ == "__main__":
    e2e_main()
