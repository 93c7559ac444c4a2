#!/usr/bin/env python3
"""Reads back a PDF of `rix --pdf` byte by byte and as a reader would (pdf_test.sh).

  pdf_check.py structure PDF plain|compressed   the cross-reference table, CR LF line ends,
                                                exact stream lengths, filters as asked
  pdf_check.py inflated PLAIN COMPRESSED        the compressed file's streams inflate to the
                                                plain file's streams
  pdf_check.py fonts PDF TEXT HEADER            pdffonts lists F1..F6; TEXT (V|H) is the
                                                encoding letter of F1 and F3, HEADER of F5
  pdf_check.py text PDF NOVEL                   all pages' text (without page numbers) is the
                                                novel's text, in reading order
  pdf_check.py rubies PDF NOVEL                 with the ruby notation read: each page holds
                                                the novel's text without the notation, then
                                                that text's readings in order
  pdf_check.py outline PDF LEVELS TITLE...      /Outlines holds items of these titles in this
                                                order over LEVELS levels, linked consistently,
                                                their pages in document order; LEVELS 0: no
                                                outline at all
  pdf_check.py grid PNG PDF PAGE                the preview PNG and the PDF's page scaled to
                                                its size have their rules at the same places
                                                and their ink in the same 10-pixel blocks
  pdf_check.py dates A B                        the files are equal but for the two date lines
"""
import os
import re
import subprocess
import sys
import tempfile
import unicodedata
import zlib

from print_check import blocks, read_pgm, read_png_grey

# Page numbers are full-width digits: they leave both texts. Where the
# reader's Unicode for a character differs from code page 932's, both are
# folded to one form: the half-width hyphen comes back as U+2011, 0x8160 as
# U+301C (cp932: U+FF5E), 0x815C as U+2014 (cp932: U+2015), and the vertical
# glyph of 0x8163 as U+205D (cp932: U+2026). 〓 (0x81AC) leaves both texts:
# the reader knows no Unicode for its vertical glyph.
FOLD = {c: None for c in range(0xFF10, 0xFF1A)}
FOLD.update({0x2011: "-", 0x301C: "~", 0x2015: "\u2014", 0x205D: "\u2026", 0x3013: None})


def read(path):
    with open(path, "rb") as f:
        return f.read()


def xref(data):
    """Object number -> offset, from startxref; raises ValueError when broken."""
    sx = data.rfind(b"startxref\r\n")
    if sx < 0:
        raise ValueError("no startxref")
    at = int(data[sx + 11:].split(b"\r\n", 1)[0])
    if data[at:at + 6] != b"xref\r\n":
        raise ValueError("startxref %d does not point at xref" % at)
    lines = data[at:sx].split(b"\r\n")
    first, count = map(int, lines[1].split())
    if first != 0 or lines[2] != b"0000000000 65535 f":
        raise ValueError("the table does not begin with the free object 0")
    offsets = {}
    for n in range(1, count):
        entry = lines[2 + n]
        if len(entry) != 18 or not entry.endswith(b" 00000 n"):
            raise ValueError("entry %d malformed: %r" % (n, entry))
        offsets[n] = int(entry[:10])
    if lines[2 + count] != b"trailer":
        raise ValueError("%d entries announced, more listed" % (count - 1))
    if b"/Size %d\r\n" % count not in data[sx - 200:sx]:
        raise ValueError("/Size is not %d" % count)
    return offsets, at


def objects(data):
    """Object number -> (dictionary text, stream bytes or None, stream start)."""
    offsets, end = xref(data)
    order = sorted(offsets.items(), key=lambda kv: kv[1])
    out = {}
    for i, (n, off) in enumerate(order):
        stop = order[i + 1][1] if i + 1 < len(order) else end
        body = data[off:stop]
        if not body.startswith(b"%d 0 obj" % n):
            raise ValueError("object %d: offset %d holds %r" % (n, off, body[:20]))
        s = body.find(b"\r\nstream\r\n")
        if s < 0:
            out[n] = (body.decode("latin-1"), None, 0)
            continue
        e = body.rfind(b"\r\nendstream\r\nendobj\r\n")
        if e < s + 10:
            raise ValueError("object %d: stream without endstream" % n)
        out[n] = (body[:s].decode("latin-1"), body[s + 10:e], off + s + 10)
    return out


def structure(pdf, mode):
    data = read(pdf)
    if not data.startswith(b"%PDF-1.3\r\n") or not data.endswith(b"%%EOF\r\n"):
        print("header or end of file wrong")
        return False
    objs = objects(data)
    ok = True
    # CR LF everywhere outside stream data.
    spans = sorted((start, start + len(s)) for _, s, start in objs.values() if s is not None)
    pos, outside = 0, []
    for a, b in spans:
        outside.append(data[pos:a])
        pos = b
    outside.append(data[pos:])
    for i, part in enumerate(outside):
        if part.count(b"\n") != part.count(b"\r\n") or part.count(b"\r") != part.count(b"\r\n"):
            print("a line without CR LF outside the streams (part %d)" % i)
            ok = False
    streams = 0
    for n, (head, stream, _) in objs.items():
        if stream is None:
            continue
        streams += 1
        m = re.search(r"/Length (\d+)\r\n", head)
        if not m or int(m.group(1)) != len(stream):
            print("object %d: /Length %s, the stream holds %d bytes" % (n, m and m.group(1), len(stream)))
            ok = False
        image = "/Subtype /Image" in head
        filtered = "/Filter /FlateDecode" in head
        if image or mode == "compressed":
            if not filtered:
                print("object %d: no /Filter /FlateDecode" % n)
                ok = False
            else:
                try:
                    zlib.decompress(stream)
                except zlib.error as e:
                    print("object %d does not inflate: %s" % (n, e))
                    ok = False
        elif "/Filter" in head:
            print("object %d: a /Filter without --compress" % n)
            ok = False
    if streams == 0:
        print("no streams")
        ok = False
    return ok


def inflated(plain, compressed):
    a, b = objects(read(plain)), objects(read(compressed))
    if sorted(a) != sorted(b):
        print("the files hold different objects")
        return False
    for n in a:
        if (a[n][1] is None) != (b[n][1] is None):
            print("object %d is a stream in one file only" % n)
            return False
        if a[n][1] is not None and zlib.decompress(b[n][1]) != a[n][1]:
            print("object %d inflates to other content than the plain stream" % n)
            return False
    return True


def fonts(pdf, text_letter, header_letter):
    names = {}
    for n, (head, _, _) in objects(read(pdf)).items():
        m = re.search(r"/Name /(F\d)\b", head)
        if m:
            names[n] = m.group(1)
    listing = subprocess.run(["pdffonts", pdf], capture_output=True, check=True, text=True).stdout.splitlines()
    found = {}
    for line in listing[2:]:
        m = re.match(r"(\S+)\s+(.*?)\s+(\S+)\s+(yes|no)\s+(yes|no)\s+(yes|no)\s+(\d+)\s+0$", line)
        if not m:
            print("unexpected pdffonts line:", line)
            return False
        found[names.get(int(m.group(7)), "object %s" % m.group(7))] = (m.group(2), m.group(3), m.group(4))
    wanted = {"F1": text_letter, "F2": "H", "F3": text_letter, "F4": "H", "F5": header_letter, "F6": "H"}
    ok = sorted(found) == sorted(wanted)
    for name, letter in wanted.items():
        kind, encoding, embedded = found.get(name, ("", "", ""))
        if kind != "CID TrueType" or encoding != "90ms-RKSJ-" + letter or embedded != "no":
            ok = False
    if not ok:
        print("pdffonts lists", found, "; wanted encodings", wanted)
    return ok


def comparable(text):
    """Full-width digits (page numbers) out, NFKC, whitespace out."""
    text = unicodedata.normalize("NFKC", text.translate(FOLD))
    return "".join(text.split())


def text(pdf, novel):
    out = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], capture_output=True, check=True).stdout
    printed = comparable(out.decode("utf-8", "replace"))
    source = comparable(read(novel).decode("cp932"))
    if printed == source:
        return True
    i = next((k for k in range(min(len(printed), len(source))) if printed[k] != source[k]),
             min(len(printed), len(source)))
    print("the text differs at character %d of %d (source %d):" % (i, len(printed), len(source)))
    print("  printed:", printed[max(i - 20, 0):i + 40])
    print("  source: ", source[max(i - 20, 0):i + 40])
    return False


def rubies(pdf, novel):
    """Rubies are written after the page's text, in the order of their bases.
    A reading whose base runs past the last column of a page is cut: its
    first share ends that page, the rest begins the next page's readings."""
    out = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], capture_output=True, check=True).stdout
    pages = [comparable(p) for p in out.decode("utf-8", "replace").split("\f")]
    source = read(novel).decode("cp932")
    # 《reading》 follows its base; ｜ marks where a base begins. "《》" and a
    # ｜ without a reading after it are text.
    readings = [comparable(r) for r in re.findall("《([^《》\r\n]+)》", source)]
    base = re.sub("｜([^《》｜\r\n]+《[^《》\r\n]+》)", r"\1", source)
    base = comparable(re.sub("《[^《》\r\n]+》", "", base))
    b = r = 0
    carried = ""   # the rest of a reading cut at the end of the page before
    for number, page in enumerate(pages, 1):
        if not page:
            continue
        n = 0
        while n < len(page) and b + n < len(base) and page[n] == base[b + n]:
            n += 1
        # The page's text is the longest run of the base text after which
        # the readings due follow.
        for split in range(n, -1, -1):
            got = readings_prefix(page[split:], carried, readings, r)
            if got is not None:
                break
        else:
            print("page %d: after the text ...%s the readings due do not follow: %s"
                  % (number, page[max(n - 20, 0):n], page[n:n + 40]))
            print("  the readings due:", ([carried] if carried else []) + readings[r:r + 5])
            return False
        b = b + split
        r, carried = got
    if b != len(base) or r != len(readings) or carried:
        print("%d of %d characters and %d of %d readings printed" % (b, len(base), r, len(readings)))
        return False
    return True


def readings_prefix(rest, carried, readings, r):
    """(next reading, its uncut rest) when `rest` is the carried rest of a
    reading and whole readings from r on, the last perhaps cut; else None."""
    if not rest.startswith(carried):
        return None
    rest = rest[len(carried):]
    while rest and r < len(readings):
        if rest.startswith(readings[r]):
            rest, r = rest[len(readings[r]):], r + 1
        elif readings[r].startswith(rest):
            return r + 1, readings[r][len(rest):]
        else:
            return None
    return (r, "") if not rest else None


def ref(head, key):
    m = re.search(r"/%s (\d+) 0 R" % key, head)
    return int(m.group(1)) if m else None


def outline(pdf, levels, titles):
    objs = objects(read(pdf))
    catalog = objs[2][0]
    root = ref(catalog, "Outlines")
    items = len(titles)
    if levels == 0:
        if root is not None or "/PageMode" in catalog:
            print("an outline without index entries")
            return False
        return True
    if root is None or "/PageMode /UseOutlines" not in catalog:
        print("the catalog has no /Outlines or no /PageMode")
        return False
    pages = {n for n, (head, _, _) in objs.items() if "/Type /Page\r\n" in head}
    seen = []

    def walk(parent, depth):
        """The children of `parent`: linked both ways, each naming its parent."""
        head = objs[parent][0]
        first, last = ref(head, "First"), ref(head, "Last")
        if (first is None) != (last is None):
            raise ValueError("object %d: /First without /Last" % parent)
        prev, item, count = None, first, 0
        while item is not None:
            h = objs[item][0]
            if ref(h, "Parent") != parent or ref(h, "Prev") != prev:
                raise ValueError("item %d: /Parent or /Prev wrong" % item)
            title = re.search(r"/Title <FEFF([0-9A-F]*)>", h)
            if not title:
                raise ValueError("item %d: no title" % item)
            dest = re.search(r"/Dest \[ (\d+) 0 R /Fit \]", h)
            if not dest or int(dest.group(1)) not in pages:
                raise ValueError("item %d: its /Dest is not a page" % item)
            seen.append((item, depth, bytes.fromhex(title.group(1)).decode("utf-16-be"), int(dest.group(1))))
            count += 1 + walk(item, depth + 1)
            prev, item = item, ref(h, "Next")
            if item is not None and item in [s[0] for s in seen]:
                raise ValueError("item %d: /Next loops" % prev)
        if prev != last:
            raise ValueError("object %d: /Last is %s, the chain ends at %s" % (parent, last, prev))
        return count

    try:
        total = walk(root, 1)
    except (ValueError, KeyError) as e:
        print(e)
        return False
    depth = max(s[1] for s in seen) if seen else 0
    count = re.search(r"/Count (\d+)", objs[root][0])
    if total != items or depth != levels or not count or int(count.group(1)) != items:
        print("%d items over %d levels (/Count %s); wanted %d over %d"
              % (total, depth, count and count.group(1), items, levels))
        return False
    if [s[2] for s in seen] != titles:
        print("the items read", [s[2] for s in seen], "; wanted", titles)
        return False
    dests = [s[3] for s in seen]
    if dests != sorted(dests):
        print("the items' pages are out of document order:", dests)
        return False
    return True


def rule_positions(img, vertical, least):
    """The columns (vertical) or rows holding a dark run of at least `least` pixels:
    the grid's rules; text, dotted guides and page numbers make short runs."""
    w, h, px = img
    found = []
    for i in range(w if vertical else h):
        line = px[i::w] if vertical else px[i * w:(i + 1) * w]
        run = 0
        for v in line:
            run = run + 1 if v < 200 else 0
            if run >= least:
                found.append(i)
                break
    return found


def grid(png, pdf, page):
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
    ok = True
    for vertical in (True, False):
        least = (h if vertical else w) // 7
        a, b = rule_positions(preview, vertical, least), rule_positions(printed, vertical, least)
        # Two rasterisers: a rule may fall on the neighbouring pixel.
        lone = [x for x in a if not any(abs(x - y) <= 1 for y in b)] + \
               [y for y in b if not any(abs(x - y) <= 1 for x in a)]
        if lone or bool(a) != bool(b):
            print("%s rules apart: preview %s, PDF %s" % ("vertical" if vertical else "horizontal", a, b))
            ok = False
    # The glyphs differ in their grey, not in where they stand.
    a, b = blocks(preview), blocks(printed)
    inked_a = {i for i, v in enumerate(a) if v < 250}
    inked_b = {i for i, v in enumerate(b) if v < 250}
    shared = len(inked_a & inked_b) / max(len(inked_a | inked_b), 1)
    if shared < 0.85:
        print("the ink of the preview and of the PDF page overlaps in %.2f of the blocks" % shared)
        ok = False
    return ok


def dates(a, b):
    def strip(data):
        return re.sub(rb"/(CreationDate|ModDate) \(D:\d{14}\)\r\n", b"", data)

    x, y = read(a), read(b)
    if strip(x) == strip(y) and len(x) == len(y):
        return True
    print("the files differ beyond the dates")
    return False


def main():
    cmd, args = sys.argv[1], sys.argv[2:]
    try:
        if cmd == "structure":
            return structure(args[0], args[1])
        if cmd == "inflated":
            return inflated(args[0], args[1])
        if cmd == "fonts":
            return fonts(args[0], args[1], args[2])
        if cmd == "text":
            return text(args[0], args[1])
        if cmd == "rubies":
            return rubies(args[0], args[1])
        if cmd == "outline":
            return outline(args[0], int(args[1]), args[2:])
        if cmd == "grid":
            return grid(args[0], args[1], args[2])
        if cmd == "dates":
            return dates(args[0], args[1])
    except ValueError as e:
        print(e)
        return False
    print("unknown check", cmd)
    return False


if __name__ == "__main__":
    sys.exit(0 if main() else 1)
