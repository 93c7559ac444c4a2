#!/usr/bin/env bash
# Draws the shipped background papers (resources/washi1.bmp, resources/washi2.jpg):
# pale, fibrous papers of our own making that tile without seams. The same
# script gives the same bytes every time (a fixed pseudo-random sequence, the
# JPEG written by libjpeg at a fixed quality). Needs python3, a C compiler
# and libjpeg62-turbo-dev.
#   scripts/make_washi.sh [output folder]     (default: resources/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/resources}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$out/washi1.bmp" "$work/washi2.ppm" <<'PY'
import math, struct, sys

class Lcg:
    def __init__(self, seed): self.s = seed
    def next(self):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return self.s / 0x7FFFFFFF

def paper(size, base, fibre, seed):
    rnd = Lcg(seed)
    w = h = size
    shade = [[0.0] * w for _ in range(h)]
    # Cloudy unevenness: waves of whole periods, so the tile wraps.
    for _ in range(6):
        fx, fy = int(rnd.next() * 3) + 1, int(rnd.next() * 3) + 1
        ph, amp = rnd.next() * 2 * math.pi, 0.8 + rnd.next() * 1.2
        for y in range(h):
            for x in range(w):
                shade[y][x] += amp * math.sin(2 * math.pi * (fx * x / w + fy * y / h) + ph)
    # Fibres: short wandering strokes, wrapped around the edges.
    for _ in range(size * 2):
        x, y = rnd.next() * w, rnd.next() * h
        angle = rnd.next() * 2 * math.pi
        length = 6 + int(rnd.next() * 22)
        tone = (rnd.next() - 0.3) * 26
        for _ in range(length):
            shade[int(y) % h][int(x) % w] += tone
            angle += (rnd.next() - 0.5) * 0.5
            x += math.cos(angle)
            y += math.sin(angle)
    # Specks of bark.
    for _ in range(size // 8):
        x, y = int(rnd.next() * w), int(rnd.next() * h)
        shade[y][x] -= 28
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            s = shade[y][x]
            row.append(tuple(max(0, min(255, int(round(c + s * f)))) for c, f in zip(base, fibre)))
        rows.append(row)
    return rows

def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pixels)

def write_ppm(path, rows):
    h, w = len(rows), len(rows[0])
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (w, h))
        for row in rows:
            f.write(bytes(c for px in row for c in px))

write_bmp(sys.argv[1], paper(128, (246, 241, 228), (1.0, 1.0, 1.05), 20240501))   # 生成り
write_ppm(sys.argv[2], paper(160, (248, 236, 234), (1.0, 1.05, 1.05), 19890108))  # 桜
PY

cat > "$work/ppm2jpg.c" <<'C'
#include <stdio.h>
#include <stdlib.h>
#include <jpeglib.h>
int main(int argc, char** argv) {
    FILE* in = fopen(argv[1], "rb");
    FILE* out = fopen(argv[2], "wb");
    int w, h, max;
    if (!in || !out || fscanf(in, "P6 %d %d %d", &w, &h, &max) != 3) return 1;
    fgetc(in);
    unsigned char* px = malloc((size_t)w * h * 3);
    if (fread(px, 3, (size_t)w * h, in) != (size_t)w * h) return 1;
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = px + (size_t)c.next_scanline * w * 3;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return fclose(out) != 0;
}
C
cc -O1 -o "$work/ppm2jpg" "$work/ppm2jpg.c" -ljpeg
"$work/ppm2jpg" "$work/washi2.ppm" "$out/washi2.jpg"
