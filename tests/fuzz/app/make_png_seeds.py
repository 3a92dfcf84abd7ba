#!/usr/bin/env python3
"""Write the seed corpus of fuzz_png_decode: one small PNG of each form the
decoder converts (colour types, depths, palette with transparency, interlace)."""
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "png_seeds")


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, depth, colour, rows, extra=b"", interlace=0):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    os.makedirs(HERE, exist_ok=True)
    seeds = {
        "rgba8.png": png(3, 2, 8, 6, [bytes(range(12)), bytes(range(100, 112))]),
        "rgb8.png": png(2, 2, 8, 2, [bytes(range(6)), bytes(range(6, 12))]),
        "gray1.png": png(9, 1, 1, 0, [b"\xA5\x80"]),
        "gray_alpha16.png": png(1, 2, 16, 4, [b"\x12\x34\x80\x00", b"\xFF\xFF\x00\x01"]),
        "palette2_trns.png": png(4, 1, 2, 3, [b"\x1B"],
                                 chunk(b"PLTE", bytes(range(12))) + chunk(b"tRNS", b"\x00\x80")),
        "rgba8_adam7.png": png(1, 1, 8, 6, [b"\x10\x20\x30\x40"], interlace=1),
    }
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
