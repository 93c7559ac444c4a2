#!/usr/bin/env python3
"""Reads back a PDF of `rix --print` as a reader would (print_test.sh).

  print_check.py opening PDF NOVEL       page 1 carries the novel's first characters
  print_check.py rules PDF REPORT KIND N the grid's rules stand where the geometry
                                         of the report says (KIND: vertical | cells)
  print_check.py same PNG PDF PAGE       the preview PNG equals the PDF's page scaled
                                         to its size (by the grey of 10-pixel blocks)
"""
import os
import subprocess
import sys
import struct
import tempfile
import zlib
import unicodedata

DPI = 150


def opening(pdf, novel):
    # In drawing order (-raw): columns of vertical writing come back whole.
    # The PDF maps some kanji to their radical code points: NFKC folds them.
    text = subprocess.run(["pdftotext", "-raw", "-f", "1", "-l", "1", pdf, "-"], capture_output=True,
                          check=True).stdout
    printed = "".join(unicodedata.normalize("NFKC", text.decode("utf-8", "replace")).split())
    with open(novel, "rb") as f:
        source = "".join(unicodedata.normalize("NFKC", f.read().decode("cp932")).split())
    wanted = source[:12]
    if printed.startswith(wanted):
        return True
    print("page 1 should begin with", wanted, "; it reads", printed[:60])
    return False


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    parts = data.split(maxsplit=4)
    assert parts[0] == b"P5", parts[0]
    w, h, _ = int(parts[1]), int(parts[2]), int(parts[3])
    pixels = parts[4][-w * h:]
    return w, h, pixels


def report(path):
    values = {}
    with open(path) as f:
        for line in f:
            k, _, v = line.strip().partition("=")
            values[k] = int(v)
    return values


def dark_fraction(img, x, y0, y1):
    w, h, px = img
    if not 0 <= x < w:
        return 0.0
    hits = 0
    for y in range(y0, y1):
        row = y * w
        if min(px[row + max(x - 1, 0)], px[row + x], px[row + min(x + 1, w - 1)]) < 200:
            hits += 1
    return hits / max(y1 - y0, 1)


def rules(pdf, report_path, kind, columns):
    r = report(report_path)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["pdftoppm", "-gray", "-r", str(DPI), "-f", "1", "-l", "1", pdf, os.path.join(tmp, "p")],
                       check=True)
        name = [n for n in os.listdir(tmp) if n.endswith(".pgm")][0]
        img = read_pgm(os.path.join(tmp, name))
    s = DPI / 600.0
    lp, cp, font, cell = r["line_pitch"], r["char_pitch"], r["font"], r["cell_size"]
    e = (cell - font) // 2
    g = ((lp - font) - 2 * e) // 2
    x0 = (r["width"] - r["margin_start"]) + e + g - 1
    y_top = r["margin_top"] - (cp - font) // 2 - 1
    y0, y1 = int((y_top + 2 * cp) * s), int((y_top + 18 * cp) * s)
    halves = [0, -(r["width"] // 2)] if kind == "cells" else [0]
    ok = True
    for shift in halves:
        xs = []
        for j in range(columns + 1):
            x = x0 - j * lp + shift
            if kind == "vertical":
                xs.append(x)
            else:
                if j > 0:
                    xs.append(x + g)
                if j < columns:
                    xs.append(x - g)
        for x in xs:
            frac = dark_fraction(img, round(x * s), y0, y1)
            if frac < 0.9:
                print("no rule at x=%d (%.2f of the rows dark)" % (x, frac))
                ok = False
        outside = dark_fraction(img, round((x0 + lp // 2 + shift) * s), y0, y1)
        if outside > 0.1:
            print("the margin right of the grid is dark (%.2f)" % outside)
            ok = False
    return ok


def read_png_grey(path):
    """An 8-bit RGB or grey PNG without interlace, as grey bytes."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, w, h, kind = 8, b"", 0, 0, 0
    while pos < len(data):
        n, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if tag == b"IHDR":
            w, h, depth, kind = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and body[12] == 0
        elif tag == b"IDAT":
            idat += body
        pos += 12 + n
    channels = {0: 1, 2: 3, 6: 4}[kind]
    raw = zlib.decompress(idat)
    stride = w * channels
    rows, prev = [], bytearray(stride)
    for y in range(h):
        ft = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if ft == 1:
                line[i] = (line[i] + a) & 255
            elif ft == 2:
                line[i] = (line[i] + b) & 255
            elif ft == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ft == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line[0::channels]) if channels == 1 else
                    bytes((line[i] + line[i + 1] + line[i + 2]) // 3 for i in range(0, stride, channels)))
        prev = line
    return w, h, b"".join(rows)


def blocks(img, size=10):
    w, h, px = img
    out = []
    for by in range(0, h - size + 1, size):
        for bx in range(0, w - size + 1, size):
            total = 0
            for y in range(by, by + size):
                total += sum(px[y * w + bx:y * w + bx + size])
            out.append(total / (size * size))
    return out


def same(png, pdf, page):
    preview = read_png_grey(png)
    w, h, _ = preview
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["pdftoppm", "-gray", "-f", page, "-l", page, "-scale-to-x", str(w), "-scale-to-y", str(h),
                        pdf, os.path.join(tmp, "p")], check=True)
        name = [n for n in os.listdir(tmp) if n.endswith(".pgm")][0]
        printed = read_pgm(os.path.join(tmp, name))
    if printed[:2] != preview[:2]:
        print("sizes differ:", printed[:2], preview[:2])
        return False
    a, b = blocks(preview), blocks(printed)
    inked = [i for i in range(len(a)) if a[i] < 250 or b[i] < 250]
    far = [i for i in inked if abs(a[i] - b[i]) > 60]
    mean = sum(abs(a[i] - b[i]) for i in inked) / max(len(inked), 1)
    if len(far) > len(inked) * 0.01 or mean > 6:
        print("the preview differs from the printed page: %d of %d inked blocks far apart, mean %.1f"
              % (len(far), len(inked), mean))
        return False
    return True


def main():
    if sys.argv[1] == "same":
        return same(sys.argv[2], sys.argv[3], sys.argv[4])
    if sys.argv[1] == "opening":
        return opening(sys.argv[2], sys.argv[3])
    return rules(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]))


if __name__ == "__main__":
    sys.exit(0 if main() else 1)
