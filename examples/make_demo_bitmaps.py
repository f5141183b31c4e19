#!/usr/bin/env python3
"""Writes the demo scene's bitmaps: 64 x 64 pixel, 24-bit Windows BMP files.

Run from anywhere; the files land in examples/demo/ beside this script. Rows
are 192 bytes, a multiple of 4, so the files carry no row padding and upload
as they are.
"""
import math
import os
import struct

SIZE = 64
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo")


def write_bmp(name, pixel):
    """pixel(x, y) -> (r, g, b) with y = 0 the top row."""
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(SIZE):
            r, g, b = (max(0, min(255, int(c))) for c in pixel(x, y))
            row += bytes((b, g, r))
        rows.append(bytes(row))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(header + info + bits)


def checker(x, y):
    return (250, 235, 200) if (x // 8 + y // 8) % 2 == 0 else (30, 60, 150)


def bricks(x, y):
    course = y // 8
    offset = 8 if course % 2 else 0
    mortar = y % 8 == 0 or (x + offset) % 16 == 0
    if mortar:
        return (200, 195, 185)
    shade = 20 * math.sin(x * 0.9 + y * 1.7)
    return (170 + shade, 60 + shade / 2, 40)


def glow(x, y):
    d = math.hypot(x - 31.5, y - 31.5) / 32.0
    k = max(0.0, 1.0 - d) ** 1.5
    return (255 * k, 190 * k, 60 * k)


def stripes(x, y):
    hue = (y // 8) / 8.0
    r = 127 + 127 * math.cos(2 * math.pi * hue)
    g = 127 + 127 * math.cos(2 * math.pi * (hue - 1 / 3))
    b = 127 + 127 * math.cos(2 * math.pi * (hue - 2 / 3))
    return (r, g, b)


def grid(x, y):
    line = x < 2 or y < 2
    return (120, 220, 140) if line else (20, 45, 30)


if __name__ == "__main__":
    for name, pixel in [("checker.bmp", checker), ("bricks.bmp", bricks), ("glow.bmp", glow),
                        ("stripes.bmp", stripes), ("grid.bmp", grid)]:
        write_bmp(name, pixel)
