#!/usr/bin/env python3
"""Draw the banner picture of the settings window and write it as a PNG.

The picture is 2148 x 971, 8-bit RGBA, on a transparent background: a key cap
bearing the Menu-key glyph, the word KESTROVA in block letters, and a
translucent accent bar and shadow, so the blend onto the button face shows.
Every shape is convex and antialiased from its signed distance, and colours
are flat so the file compresses well. Python standard library only.

    python3 tools/make_banner.py [res/banner.png]
"""
import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 2148, 971

INK = (0x24, 0x47, 0x6B)        # letters and glyph
CAP_BODY = (0x4A, 0x5A, 0x6A)   # key cap sides
CAP_TOP = (0xE9, 0xED, 0xF1)    # key cap face
ACCENT = (0xF2, 0x8C, 0x28)     # accent bar
SHADOW = (0x10, 0x18, 0x20)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(width * height * 4)  # straight-alpha RGBA

    def blend(self, x, y, colour, alpha):
        """Source-over with straight alpha; alpha 0..255."""
        if alpha <= 0:
            return
        i = (y * self.width + x) * 4
        p = self.pixels
        da = p[i + 3]
        if alpha >= 255 or da == 0:
            p[i:i + 4] = bytes((colour[0], colour[1], colour[2], min(alpha, 255)))
            return
        out = alpha + da * (255 - alpha) // 255
        for c in range(3):
            p[i + c] = (colour[c] * alpha + p[i + c] * da * (255 - alpha) // 255) // out
        p[i + 3] = out

    def fill_span(self, y, x0, x1, colour, alpha):
        if x1 <= x0:
            return
        if alpha >= 255:
            row = bytes((colour[0], colour[1], colour[2], 255)) * (x1 - x0)
            i = (y * self.width + x0) * 4
            self.pixels[i:i + len(row)] = row
        else:
            for x in range(x0, x1):
                self.blend(x, y, colour, alpha)

    def shape(self, bbox, distance, colour, alpha=255):
        """Paint a convex shape given by its signed distance (negative inside).
        Coverage is clamp(0.5 - d); each row is scanned in from both ends to
        full coverage and the run between is filled at once."""
        left, top, right, bottom = (int(math.floor(bbox[0])) - 1, int(math.floor(bbox[1])) - 1,
                                    int(math.ceil(bbox[2])) + 1, int(math.ceil(bbox[3])) + 1)
        left, top = max(left, 0), max(top, 0)
        right, bottom = min(right, self.width), min(bottom, self.height)
        for y in range(top, bottom):
            cy = y + 0.5
            inner_left = None
            for x in range(left, right):
                cover = 0.5 - distance(x + 0.5, cy)
                if cover >= 1:
                    inner_left = x
                    break
                if cover > 0:
                    self.blend(x, y, colour, int(alpha * cover))
            if inner_left is None:
                continue
            inner_right = inner_left
            for x in range(right - 1, inner_left, -1):
                cover = 0.5 - distance(x + 0.5, cy)
                if cover >= 1:
                    inner_right = x
                    break
                if cover > 0:
                    self.blend(x, y, colour, int(alpha * cover))
            self.fill_span(y, inner_left, inner_right + 1, colour, alpha)

    def png(self):
        raw = bytearray()
        stride = self.width * 4
        for y in range(self.height):
            raw.append(0)  # filter: none; flat colours need no prediction
            raw += self.pixels[y * stride:(y + 1) * stride]

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return (x0, y0, x1, y1), distance


def polygon(points):
    """A convex polygon, points in clockwise order on screen (y down)."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        nx, ny = by - ay, ax - bx  # outward normal for clockwise order, y down
        length = math.hypot(nx, ny)
        nx, ny = nx / length, ny / length
        edges.append((nx, ny, -(nx * ax + ny * ay)))

    def distance(x, y):
        return max(nx * x + ny * y + c for nx, ny, c in edges)

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs), min(ys), max(xs), max(ys)), distance


def slanted_bar(x0, y0, x1, y1, thickness):
    """A bar of horizontal thickness from its top-left corner (x0, y0) down to
    its bottom-left corner (x1, y1)."""
    return polygon([(x0, y0), (x0 + thickness, y0), (x1 + thickness, y1), (x1, y1)])


def letters(left, top, height, stroke, gap):
    """Block letters K E S T R O V A as convex pieces that overlap where they
    join, so no seam shows between them."""
    t, h, r = stroke, height, 12
    narrow, wide = 160, 236
    mid = top + (h - t) / 2
    pieces = []

    def bar(x0, y0, x1, y1):
        pieces.append(rounded_rect(x0, y0, x1, y1, r))

    x = left
    # K
    w = narrow
    bar(x, top, x + t, top + h)
    pieces.append(slanted_bar(x + w - t * 1.1, top, x + t * 0.5, top + h / 2 + t * 0.3, t * 1.1))
    pieces.append(slanted_bar(x + t * 0.5, top + h / 2 - t * 0.3, x + w - t * 1.1, top + h, t * 1.1))
    x += w + gap
    # E
    bar(x, top, x + t, top + h)
    bar(x, top, x + w, top + t)
    bar(x, mid, x + w * 0.85, mid + t)
    bar(x, top + h - t, x + w, top + h)
    x += w + gap
    # S
    bar(x, top, x + w, top + t)
    bar(x, top, x + t, mid + t)
    bar(x, mid, x + w, mid + t)
    bar(x + w - t, mid, x + w, top + h)
    bar(x, top + h - t, x + w, top + h)
    x += w + gap
    # T
    bar(x, top, x + w, top + t)
    bar(x + (w - t) / 2, top, x + (w + t) / 2, top + h)
    x += w + gap
    # R
    bar(x, top, x + t, top + h)
    bar(x, top, x + w, top + t)
    bar(x + w - t, top, x + w, mid + t)
    bar(x, mid, x + w, mid + t)
    pieces.append(slanted_bar(x + w * 0.3, mid + t * 0.5, x + w - t * 1.1, top + h, t * 1.1))
    x += w + gap
    # O
    for piece in ((x, top, x + t, top + h), (x + w - t, top, x + w, top + h),
                  (x, top, x + w, top + t), (x, top + h - t, x + w, top + h)):
        pieces.append(rounded_rect(*piece, r * 3))
    x += w + gap
    # V
    w, d = wide, t * 1.05
    pieces.append(slanted_bar(x, top, x + (w - d) / 2, top + h, d))
    pieces.append(slanted_bar(x + w - d, top, x + (w - d) / 2, top + h, d))
    x += w + gap
    # A
    pieces.append(slanted_bar(x + (w - d) / 2, top, x, top + h, d))
    pieces.append(slanted_bar(x + (w - d) / 2, top, x + w - d, top + h, d))
    bar(x + w * 0.22, top + h * 0.62, x + w * 0.78, top + h * 0.62 + t * 0.8)
    return pieces


def draw():
    canvas = Canvas(WIDTH, HEIGHT)

    # The key cap, with a translucent shadow below and right of it.
    cap = (60, 270, 430, 700)
    canvas.shape(*rounded_rect(cap[0] + 24, cap[1] + 30, cap[2] + 24, cap[3] + 30, 56), SHADOW, 70)
    canvas.shape(*rounded_rect(*cap, 56), CAP_BODY)
    canvas.shape(*rounded_rect(cap[0] + 34, cap[1] + 24, cap[2] - 34, cap[3] - 70, 40), CAP_TOP)
    # The Menu-key glyph on its face: a little list with three lines.
    gx0, gy0, gx1, gy1 = 150, 345, 340, 565
    canvas.shape(*rounded_rect(gx0, gy0, gx1, gy1, 18), INK)
    canvas.shape(*rounded_rect(gx0 + 20, gy0 + 20, gx1 - 20, gy1 - 20, 8), CAP_TOP)
    for i in range(3):
        y = gy0 + 55 + i * 50
        canvas.shape(*rounded_rect(gx0 + 45, y, gx1 - 45, y + 22, 11), INK)

    # The word, with a translucent accent bar underneath.
    canvas.shape(*rounded_rect(500, 742, 2080, 800, 29), ACCENT, 150)
    for piece in letters(left=500, top=270, height=430, stroke=64, gap=24):
        canvas.shape(*piece, INK)
    return canvas


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "banner.png")
    data = draw().png()
    with open(out, "wb") as f:
        f.write(data)
    print(f"{out}: {WIDTH} x {HEIGHT} RGBA, {len(data)} bytes")


if __name__ == "__main__":
    main()
