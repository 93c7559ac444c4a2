#!/usr/bin/env python3
"""Draws the program's icons into resources/icons/ (run once; the PNGs are committed).

  rix-SIZE.png   the program's icon (a manuscript sheet: cream paper, red grid,
                 a vertical line of ink) at SIZE 16 24 32 48 64 128 256
  rix0..4.png    the five icons of desktop shortcuts, 64 pixels:
                 0 document, 1 brush, 2 manuscript sheet, 3 book, 4 star

Each picture is a function telling the colour of a point of the unit square;
pixels are averaged over 4 x 4 samples. Only the standard library is used.
"""
import math
import os
import struct
import sys
import zlib

PAPER = (250, 244, 226, 255)
RED = (196, 52, 40, 255)
INK = (34, 34, 46, 255)
EDGE = (120, 100, 80, 255)
CLEAR = (0, 0, 0, 0)


def rounded_box(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def sheet(x, y, grid=True, ink=True, cells=5):
    """A sheet of manuscript paper with a red grid and a column of ink."""
    if not rounded_box(x, y, 0.1, 0.04, 0.9, 0.96, 0.05):
        return CLEAR
    if not rounded_box(x, y, 0.13, 0.07, 0.87, 0.93, 0.03):
        return EDGE
    gx0, gx1, gy0, gy1 = 0.2, 0.8, 0.14, 0.86
    if grid and gx0 <= x <= gx1 and gy0 <= y <= gy1:
        fx = (x - gx0) / (gx1 - gx0) * cells
        fy = (y - gy0) / (gy1 - gy0) * cells
        w = 0.05 * cells / 5
        if min(fx % 1, 1 - fx % 1) < w or min(fy % 1, 1 - fy % 1) < w:
            return RED
        if ink and int(fx) == cells - 2 and 0.3 < fx % 1 < 0.7 and 0.15 < fy % 1 < 0.85 and int(fy) < cells - 1:
            return INK
    return PAPER


def document(x, y):
    if not rounded_box(x, y, 0.16, 0.06, 0.84, 0.94, 0.04):
        return CLEAR
    if not rounded_box(x, y, 0.19, 0.09, 0.81, 0.91, 0.02):
        return EDGE
    # vertical lines of text, right to left
    for i, top in enumerate((0.18, 0.18, 0.3, 0.18)):
        cx = 0.7 - i * 0.13
        if abs(x - cx) < 0.025 and top < y < 0.82 - 0.1 * (i % 2):
            return INK
    return PAPER


def brush(x, y):
    # a brush lying from the upper right to the lower left
    u = (x - y) / math.sqrt(2)          # across the handle
    v = (x + y) / math.sqrt(2)          # along it, 0 at the upper left corner
    if abs(u) < 0.07 and 0.55 < v < 1.3:
        return (150, 98, 52, 255) if v > 0.7 else (200, 200, 200, 255)
    if 0.25 < v <= 0.55 and abs(u) < 0.07 * (v - 0.2) / 0.35:
        return INK
    if abs(u + 0.3) < 0.03 and 0.2 < v < 0.9:
        return RED
    return CLEAR


def book(x, y):
    if not (0.12 <= x <= 0.88 and 0.16 <= y <= 0.86):
        return CLEAR
    if abs(x - 0.5) < 0.02:
        return EDGE
    if y > 0.8:
        return (70, 90, 150, 255)
    if (0.2 < x < 0.45 or 0.55 < x < 0.8) and 0.25 < y < 0.75 and int((y - 0.25) / 0.1) % 2 == 0 and (y - 0.25) % 0.1 < 0.035:
        return INK
    return PAPER


def star(x, y):
    cx, cy = 0.5, 0.53
    a = math.atan2(y - cy, x - cx) + math.pi / 2
    r = math.hypot(x - cx, y - cy)
    k = (a % (2 * math.pi / 5)) / (2 * math.pi / 5)
    outer, inner = 0.44, 0.18
    edge = inner + (outer - inner) * abs(1 - 2 * k)
    if r <= edge:
        return (232, 178, 30, 255) if r <= edge - 0.03 else (170, 110, 20, 255)
    return CLEAR


def render(fn, size, ss=4):
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    c = fn((px + (sx + 0.5) / ss) / size, (py + (sy + 0.5) / ss) / size)
                    acc[0] += c[0] * c[3]
                    acc[1] += c[1] * c[3]
                    acc[2] += c[2] * c[3]
                    acc[3] += c[3]
            a = acc[3]
            if a == 0:
                row += bytes(4)
            else:
                row += bytes((acc[0] // a, acc[1] // a, acc[2] // a, a // (ss * ss)))
        rows.append(bytes(row))
    return rows


def write_png(path, rows):
    size = len(rows)
    raw = b"".join(b"\x00" + r for r in rows)

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(top, "resources", "icons")
    os.makedirs(out, exist_ok=True)
    for size in (16, 24, 32, 48, 64, 128, 256):
        cells = 3 if size < 32 else 5
        write_png(os.path.join(out, "rix-%d.png" % size), render(lambda x, y: sheet(x, y, cells=cells), size))
    shortcuts = (document, brush, lambda x, y: sheet(x, y, ink=False), book, star)
    for i, fn in enumerate(shortcuts):
        write_png(os.path.join(out, "rix%d.png" % i), render(fn, 64))


if __name__ == "__main__":
    main()
