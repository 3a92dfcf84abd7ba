"""The banner of the real Kestrova.exe under Wine, as a person sees it: after
the window is shown, the banner's pixels on a screenshot are compared with a
reduction of the shipped picture made here, independently of the program:
ImageMagick decodes res/banner.png, and each shown pixel is the plain area
average of the picture pixels it covers, weighted by their alpha, laid over
the button face.

At 96 DPI the picture is drawn 176 x 80 into its 400 x 80 box; at 144 DPI the
box is 600 x 120 and the picture 265 x 120.

Run by CTest with --shipped, --twin and --tools (kestrova.builds).
"""
import os
import subprocess
import sys
import unittest

from kestrova import builds, probe
from kestrova.builds import SCREENSHOTS, e2e_main
from kestrova.names import CAPTION, METRICS_KEY
from kestrova.wine import ROOT, WineEnv, wait_until
from test_delaybox import read_ppm

BANNER_PNG = os.path.join(ROOT, "res", "banner.png")
# Rounding apart, the program's reduction and this one agree; a few steps of
# difference are left for the blend's truncation and the screen's own path.
TOLERANCE = 3


def picture():
    """(width, height, straight RGBA bytes) of the shipped banner, decoded by
    ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", BANNER_PNG], check=True, capture_output=True,
                          text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    rgba = subprocess.run(["convert", BANNER_PNG, "-depth", "8", "rgba:-"], check=True,
                          capture_output=True).stdout
    assert len(rgba) == width * height * 4
    return width, height, rgba


def fit(box_w, box_h, w, h):
    """(x, y, width, height) of the picture in its box: centred, scaled down to
    fit, never enlarged."""
    if box_w >= w and box_h >= h:
        return (box_w - w) // 2, (box_h - h) // 2, w, h
    f = min(box_w / w, box_h / h)
    fw, fh = int(w * f), int(h * f)
    return (box_w - fw) // 2, (box_h - fh) // 2, fw, fh


def spans(source, target):
    """For each target pixel along one axis, [(source index, covered part)]:
    target pixel t covers [t * source / target, (t + 1) * source / target)."""
    out = []
    for t in range(target):
        lo, hi = t * source / target, (t + 1) * source / target
        cover = []
        i = int(lo)
        while i < hi:
            part = min(i + 1, hi) - max(i, lo)
            if part > 1e-12:
                cover.append((i, part))
            i += 1
        out.append(cover)
    return out


def box_average(width, height, rgba, out_w, out_h, face):
    """The picture reduced to out_w x out_h by area average, alpha-weighted,
    over the face colour: {(x, y): (r, g, b)}."""
    across, down = spans(width, out_w), spans(height, out_h)
    # Each source row reduced across first: per target x, alpha-weighted r, g,
    # b and the alpha, summed with the covered parts as weights.
    rows = {}

    def reduced(j):
        if j not in rows:
            base = j * width * 4
            row = []
            for cover in across:
                r = g = b = a = 0.0
                for i, part in cover:
                    p = base + i * 4
                    alpha = rgba[p + 3] * part
                    r += rgba[p] * alpha
                    g += rgba[p + 1] * alpha
                    b += rgba[p + 2] * alpha
                    a += alpha
                row.append((r, g, b, a))
            rows[j] = row
        return rows[j]

    out = {}
    area = (width / out_w) * (height / out_h)
    for y, cover in enumerate(down):
        sums = [[0.0] * 4 for _ in range(out_w)]
        for j, part in cover:
            for x, values in enumerate(reduced(j)):
                for c in range(4):
                    sums[x][c] += values[c] * part
        for x, (r, g, b, a) in enumerate(sums):
            alpha = a / area  # 0..255
            out[(x, y)] = tuple(s / area / 255 + k * (1 - alpha / 255) for s, k in zip((r, g, b), face))
    return out


class BannerOnScreen(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.picture = picture()

    def check_at(self, dpi, box):
        with WineEnv() as env:
            if dpi != 96:
                env.reg_set(METRICS_KEY, "AppliedDPI", "REG_DWORD", dpi)
            proc = env.popen([builds.exe()], stdout=subprocess.DEVNULL)
            try:
                top = env.wait_window(CAPTION, timeout=90, visible=True)
                rows = wait_until(lambda: [r for r in probe.tree(env) if r["kind"] == "child"
                                           and r["class"] == "KestrovaBanner"], timeout=30)
                left, top_y, w, h = probe.rect(rows[0])
                self.assertEqual((w, h), box)
                geometry = env.xdotool("getwindowgeometry", "--shell", top)
                values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
                ox, oy = int(values["X"]) + left, int(values["Y"]) + top_y
                # The box is wider than the client area: its right part is cut off.
                shown_w = min(w, int(values["WIDTH"]) - left)
                os.makedirs(SCREENSHOTS, exist_ok=True)
                ppm = os.path.join(SCREENSHOTS, f"banner_{dpi}dpi.ppm")

                def painted():
                    env.screenshot(ppm)
                    sw, _, pixels = read_ppm(ppm)
                    def at(x, y):
                        i = ((oy + y) * sw + ox + x) * 3
                        return tuple(pixels[i:i + 3])

                    # The picture's ink is on screen: the first paint has come.
                    return at if any(sum(at(x, h // 2)) < 300 for x in range(w)) else None

                at = wait_until(painted, timeout=30, interval=0.5)
                env.screenshot(os.path.join(SCREENSHOTS, f"banner_{dpi}dpi.png"))
                os.unlink(ppm)
            finally:
                proc.kill()
                proc.wait()

        iw, ih, rgba = self.picture
        fx, fy, fw, fh = fit(w, h, iw, ih)
        face = at(2, 2)
        expected = box_average(iw, ih, rgba, fw, fh, face)
        worst, off = 0, []
        for (x, y), want in expected.items():
            got = at(fx + x, fy + y)
            diff = max(abs(g - e) for g, e in zip(got, want))
            worst = max(worst, diff)
            if diff > TOLERANCE:
                off.append(((x, y), got, tuple(round(v, 1) for v in want)))
        print(f"{dpi} DPI: worst difference {worst} over {fw * fh} pixels", file=sys.stderr)
        self.assertEqual(off[:5], [], f"{len(off)} of {fw * fh} pixels off by more than {TOLERANCE}; worst {worst}")
        # Around the picture only the face shows.
        outside = [(x, y) for y in range(h) for x in range(shown_w) if not (fx <= x < fx + fw and fy <= y < fy + fh)]
        self.assertEqual([p for p in outside if at(*p) != face][:5], [])
        # The comparison meant something: the picture is neither flat nor empty.
        self.assertGreater(len({tuple(round(c) for c in v) for v in expected.values()}), 200)

    def test_at_96_dpi_the_banner_is_the_area_average_of_the_picture(self):
        self.check_at(96, (400, 80))

    def test_at_144_dpi_the_banner_is_reduced_from_the_picture_again(self):
        self.check_at(144, (600, 120))


if __name__ == "__main__":
    e2e_main()
