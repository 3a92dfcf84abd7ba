#!/usr/bin/env python3
"""Draw the application icon and write res/Kestrova.ico.

The artwork is a key cap seen from above, with a small context-menu glyph on
its face: the key that opens the menu. It is drawn from shapes at every size
(supersampled), then stored as 35 BMP-format images in this order:

    4-bit, 16 colours:  128 96 64 48 40 32 24 20 16
    8-bit, 256 colours: 128 96 64 48 40 32 24 20 16
    24-bit:             128 96 64 48 40 32 24 20 16
    32-bit with alpha:  128 64 48 40 32 24 20 16

Each image is a BITMAPINFOHEADER (height doubled), the palette if any, the
colour bitmap and the 1-bit AND mask, rows bottom-up and padded to 4 bytes.
python3 stdlib only. Usage: tools/make_icon.py [OUTPUT.ico]
"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUTPUT = os.path.join(ROOT, "res", "Kestrova.ico")

SIZES = [128, 96, 64, 48, 40, 32, 24, 20, 16]
LAYOUT = [(4, SIZES), (8, SIZES), (24, SIZES), (32, [s for s in SIZES if s != 96])]
SUPERSAMPLE = 4

# Colours chosen near the 16-colour palette so the 4-bit images stay clean.
SKIRT = (40, 48, 64)        # the key's dark sides and outline
FACE_TOP = (255, 255, 255)  # the key's top face, lit from above
FACE_BOTTOM = (200, 204, 210)
MENU = (0, 0, 200)          # the menu glyph's frame and items
HIGHLIGHT = (0, 120, 215)   # the selected menu item

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """A 6x6x6 colour cube, then a grey ramp, then the artwork's own colours."""
    levels = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(v, v, v) for v in range(8, 248, 8) if (v, v, v) not in colours][:30]
    for c in (SKIRT, FACE_TOP, FACE_BOTTOM, MENU, HIGHLIGHT, (120, 130, 145), (225, 228, 232)):
        if c not in colours:
            colours.append(c)
    colours += [(0, 0, 0)] * (256 - len(colours))
    return colours[:256]


def rounded_rect(px, py, x0, y0, x1, y1, r):
    """True when (px, py) lies inside the rounded rectangle."""
    if px < x0 or px > x1 or py < y0 or py > y1:
        return False
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def shade(u, v):
    """The artwork at (u, v) in 0..1 (v downwards): an (r, g, b, a) tuple."""
    # The key cap: dark sides, then the lighter top face set back from them.
    if not rounded_rect(u, v, 0.04, 0.06, 0.96, 0.96, 0.17):
        return (0, 0, 0, 0)
    colour = SKIRT
    if rounded_rect(u, v, 0.13, 0.11, 0.87, 0.80, 0.11):
        t = (v - 0.11) / 0.69
        colour = tuple(round(a + (b - a) * t) for a, b in zip(FACE_TOP, FACE_BOTTOM))
        # The menu glyph: a framed list of three items, the first one selected.
        if rounded_rect(u, v, 0.26, 0.21, 0.74, 0.70, 0.04):
            colour = MENU
            if rounded_rect(u, v, 0.31, 0.26, 0.69, 0.65, 0.02):
                colour = FACE_TOP
                if rounded_rect(u, v, 0.31, 0.26, 0.69, 0.40, 0.02):
                    colour = HIGHLIGHT
                elif rounded_rect(u, v, 0.37, 0.45, 0.63, 0.51, 0.02) or \
                        rounded_rect(u, v, 0.37, 0.56, 0.58, 0.62, 0.02):
                    colour = MENU
    return colour + (255,)


def render(size):
    """Rows top-down of straight-alpha (r, g, b, a) pixels."""
    n = SUPERSAMPLE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = shade((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                pixel = tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def nearest(palette, colour, cache):
    index = cache.get(colour)
    if index is None:
        index = min(range(len(palette)),
                    key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))
        cache[colour] = index
    return index


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def and_mask(rows, size):
    """1 marks a transparent pixel; rows bottom-up, padded to 4 bytes."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((size + 7) // 8)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += pad4(bytes(bits))
    return out


def colour_bitmap(rows, size, bits, palette):
    cache = {}
    out = b""
    for row in reversed(rows):
        line = bytearray()
        if bits == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a))
        elif bits == 24:
            for r, g, b, a in row:
                line += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
        else:
            indices = [nearest(palette, p[:3], cache) if p[3] >= 128 else 0 for p in row]
            if bits == 8:
                line += bytes(indices)
            else:
                for x in range(0, size, 2):
                    line.append(indices[x] << 4 | (indices[x + 1] if x + 1 < size else 0))
        out += pad4(bytes(line))
    return out


def image(rows, size, bits):
    palette = {4: VGA16, 8: palette256()}.get(bits, [])
    pixels = colour_bitmap(rows, size, bits, palette) + and_mask(rows, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(pixels), 0, 0,
                         len(palette), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + pixels


def icon_file():
    renders = {size: render(size) for size in SIZES}
    images = [(size, bits, image(renders[size], size, bits)) for bits, sizes in LAYOUT for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colours = 16 if bits == 4 else 0  # 256 does not fit the byte: 0, as usual
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUTPUT
    data = icon_file()
    with open(output, "wb") as f:
        f.write(data)
    print(f"{output}: {len(data)} bytes")


if __name__ == "__main__":
    main()
