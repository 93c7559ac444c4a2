#!/usr/bin/env python3
"""Checks of the pages `rix --html` writes (standard library only).

  html_check.py columns SHOT.png
      The screenshot shows text set in vertical columns read from right to
      left: dark ink stands in tall narrow bands, the rightmost band is in
      the right half, and the two rightmost bands are the document's first
      two lines (the first shorter than the second).
  html_check.py page PAGE.htm NOVEL.txt
      The page is code page 932 with LF line ends, declares Shift_JIS right
      after <head>, and its text (markup and readings taken out) is the
      novel's text without its ruby notation, line by line.
"""
import re
import sys
import zlib


def read_png(path):
    """(width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    at, idat, width, height, colour, depth = 8, b"", 0, 0, 0, 0
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], "big")
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big")
            depth, colour, interlace = body[8], body[9], body[12]
            if depth != 8 or colour not in (2, 6) or interlace != 0:
                raise ValueError("unsupported PNG form %d/%d/%d" % (depth, colour, interlace))
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(idat)
    bpp = 3 if colour == 2 else 4
    stride = width * bpp
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        f = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 0xFF
            elif f == 2:
                line[i] = (line[i] + b) & 0xFF
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        rows.append(line)
        prev = line
    return width, height, [[tuple(r[x * bpp:x * bpp + 3]) for x in range(width)] for r in rows]


def ink_bands(width, height, rows):
    """Runs of x holding dark ink (gaps of 1 px bridged): (x0, x1, y0, y1)."""
    dark = [[sum(p) < 300 for p in row] for row in rows]
    cols = [any(dark[y][x] for y in range(height)) for x in range(width)]
    bands, x = [], 0
    while x < width:
        if not cols[x]:
            x += 1
            continue
        x0 = x
        while x < width and (cols[x] or (x + 1 < width and cols[x + 1])):
            x += 1
        ys = [y for y in range(height) for xx in range(x0, x) if dark[y][xx]]
        bands.append((x0, x - 1, min(ys), max(ys)))
    return bands


def columns(path):
    width, height, rows = read_png(path)
    bands = ink_bands(width, height, rows)
    if len(bands) < 6:
        print("only %d bands of ink: %s" % (len(bands), bands))
        return 1
    tall = [b for b in bands if (b[3] - b[2]) > 2 * (b[1] - b[0] + 1)]
    if len(tall) < len(bands) * 2 // 3:
        print("most ink is not in tall narrow columns: %s" % bands[-8:])
        return 1
    first, second = bands[-1], bands[-2]
    if first[0] < width // 2 or first[1] >= width - 3 or first[1] - first[0] < 8:
        print("the first column is not whole at the right: %s" % (first,))
        return 1
    h1, h2 = first[3] - first[2], second[3] - second[2]
    if not (first[0] > second[1] and h2 > h1 * 1.3):
        print("the rightmost columns are not the first two lines (3 and 5 characters): %s %s" % (first, second))
        return 1
    print("%d columns, right to left; first %s, second %s" % (len(bands), first, second))
    return 0


def plain_text(novel_bytes):
    """The novel's lines without ruby notation: 《reading》 after its base
    and the ｜ that starts the base taken out ("《》" and a ｜ without a
    reading after it are text)."""
    text = re.sub("｜([^《》｜\r\n]+《[^《》\r\n]+》)", r"\1", novel_bytes.decode("cp932"))
    # The empty line after the last line end is a line of the document too.
    lines = text.split("\r\n")
    return [re.sub("《[^《》\r\n]+》", "", l) for l in lines]


def page(path, novel):
    data = open(path, "rb").read()
    if b"\r" in data:
        print("a CR in the page")
        return 1
    head = b'<head>\n<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\n'
    if head not in data:
        print("no encoding declaration after <head>")
        return 1
    text = data.decode("cp932")
    body = text.split("<DIV class=text>\n", 1)[1].rsplit("\n</DIV>", 1)[0]
    body = re.sub(r"<RP>.*?</RP>|<RT>.*?</RT>", "", body)
    lines = [l.lstrip("\u3000") for l in body.split("<br>")]
    if lines and lines[-1] == "":
        lines.pop()
    lines = [re.sub(r"<[^>]*>", "", l).replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")
             for l in lines]
    want = [l.lstrip("\u3000") for l in plain_text(open(novel, "rb").read())]
    if lines != want:
        for i, (a, b) in enumerate(zip(lines, want)):
            if a != b:
                print("line %d differs:\n page:  %s\n novel: %s" % (i + 1, a[:80], b[:80]))
                break
        else:
            print("%d lines in the page, %d in the novel" % (len(lines), len(want)))
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "columns":
        sys.exit(columns(sys.argv[2]))
    if len(sys.argv) == 4 and sys.argv[1] == "page":
        sys.exit(page(sys.argv[2], sys.argv[3]))
    print(__doc__)
    sys.exit(2)
