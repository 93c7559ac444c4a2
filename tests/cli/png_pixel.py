#!/usr/bin/env python3
# Prints the colour of one pixel of an 8-bit RGB or RGBA PNG as RRGGBB.
# Usage: png_pixel.py FILE X Y
import struct
import sys
import zlib

data = open(sys.argv[1], "rb").read()
x, y = int(sys.argv[2]), int(sys.argv[3])
pos, idat = 8, b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
if depth != 8 or colour not in (2, 6):
    sys.exit("unsupported PNG")
bpp = 3 if colour == 2 else 4
raw = zlib.decompress(idat)
stride = width * bpp
previous = bytearray(stride)
for row in range(y + 1):
    start = row * (stride + 1)
    kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0
        b = previous[i]
        c = previous[i - bpp] if i >= bpp else 0
        if kind == 1:
            line[i] = (line[i] + a) & 0xFF
        elif kind == 2:
            line[i] = (line[i] + b) & 0xFF
        elif kind == 3:
            line[i] = (line[i] + (a + b) // 2) & 0xFF
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
    previous = line
print("%02X%02X%02X" % tuple(previous[x * bpp:x * bpp + 3]))
