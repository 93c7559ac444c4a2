#!/usr/bin/env python3
"""Reads back a book of `rix --epub` byte by byte and as a reader would (epub_test.sh).

  epub_check.py layout BOOK V|H          the zip: entry 0 `mimetype` stored without an extra
                                         field, its data at offset 38; container.xml of 264
                                         bytes; CRCs; every manifest item present and nothing
                                         else; every text entry UTF-8 with CR LF line ends and
                                         well-formed XML; the writing direction V or H in the
                                         spine and the style sheet
  epub_check.py text BOOK NOVEL          the content files' text in spine order is the
                                         novel's text
  epub_check.py rubies BOOK NOVEL        with the ruby notation read: the text without the
                                         readings is the novel's text without them; each ruby
                                         stands over the base the source makes plain (from a ｜
                                         or a kanji run); the text as a reader without ruby shows
                                         it (base《reading》) is the novel's text without the ｜
  epub_check.py chapters BOOK DOC        DOC has index lines ("§D title", D ≥ 8 starts a
                                         page): each chapter's files hold the text from its
                                         index line to the next, and the navigation document
                                         and the NCX name the chapters in order
  epub_check.py member BOOK NAME         prints the entry NAME (to compare two books)
"""
import re
import struct
import sys
import unicodedata
import xml.etree.ElementTree as ET
import zipfile

XHTML = "{http://www.w3.org/1999/xhtml}"
OPF = "{http://www.idpf.org/2007/opf}"
NCX = "{http://www.daisy.org/z3986/2005/ncx/}"
TEXT_SUFFIXES = (".xhtml", ".opf", ".ncx", ".css", ".xml")
CONTAINER_BYTES = 264
KANJI = "一二三四五六七八九"
INDEX_LINE = re.compile("^§([0-9]) (.*)$")


def comparable(text):
    """NFKC, whitespace (the ideographic space too) out."""
    return "".join(unicodedata.normalize("NFKC", text).split())


def first_difference(got, want, what):
    i = next((k for k in range(min(len(got), len(want))) if got[k] != want[k]), min(len(got), len(want)))
    print("%s differs at character %d of %d (source %d):" % (what, i, len(got), len(want)))
    print("  book:  ", got[max(i - 20, 0):i + 40])
    print("  source:", want[max(i - 20, 0):i + 40])
    return False


def spine_files(book):
    """The content files' names inside the zip, in spine order."""
    opf = ET.fromstring(book.read("OEBPS/content.opf"))
    items = {i.get("id"): i.get("href") for i in opf.iter(OPF + "item")}
    return ["OEBPS/" + items[r.get("idref")] for r in opf.iter(OPF + "itemref")]


def body_text(xhtml, drop):
    """The text of the body, elements named in `drop` left out (their tail kept)."""
    body = ET.fromstring(xhtml).find(XHTML + "body")
    out = []

    def walk(el):
        if el.tag[len(XHTML):] in drop:
            return
        out.append(el.text or "")
        for child in el:
            walk(child)
            out.append(child.tail or "")

    walk(body)
    return "".join(out)


def book_text(path, drop):
    with zipfile.ZipFile(path) as book:
        return "".join(body_text(book.read(name), drop) for name in spine_files(book))


def novel_text(path):
    with open(path, "rb") as f:
        return f.read().decode("cp932")


def layout(path, direction):
    with open(path, "rb") as f:
        data = f.read()
    sig, _, flags, method, _, _, _, csize, usize, nlen, xlen = struct.unpack("<IHHHHHIIIHH", data[:30])
    if sig != 0x04034B50 or data[30:30 + nlen] != b"mimetype":
        raise ValueError("entry 0 is not mimetype")
    if method != 0 or xlen != 0 or flags & 8:
        raise ValueError("mimetype: method %d, extra field %d bytes, flags %#x" % (method, xlen, flags))
    if data[38:58] != b"application/epub+zip" or csize != 20 or usize != 20:
        raise ValueError("the media type is not the 20 bytes at offset 38")
    with zipfile.ZipFile(path) as book:
        bad = book.testzip()
        if bad:
            raise ValueError("CRC of %s" % bad)
        names = book.namelist()
        if names[:2] != ["mimetype", "META-INF/container.xml"]:
            raise ValueError("the first entries are %s" % names[:2])
        if book.getinfo("META-INF/container.xml").file_size != CONTAINER_BYTES:
            raise ValueError("container.xml is not %d bytes" % CONTAINER_BYTES)
        opf = ET.fromstring(book.read("OEBPS/content.opf"))
        listed = {"OEBPS/" + i.get("href") for i in opf.iter(OPF + "item")}
        extra = set(names) - listed - {"mimetype", "META-INF/container.xml", "OEBPS/content.opf"}
        if extra or listed - set(names):
            raise ValueError("not in the manifest: %s; missing: %s" % (sorted(extra), sorted(listed - set(names))))
        for name in names:
            if not name.endswith(TEXT_SUFFIXES):
                continue
            raw = book.read(name)
            raw.decode("utf-8")   # strict: raises on a bad sequence
            if raw.startswith(b"\xef\xbb\xbf") or raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(
                    b"\r\n", b"").count(b"\r"):
                raise ValueError("%s: a byte order mark or a line end other than CR LF" % name)
            if not name.endswith(".css"):
                ET.fromstring(raw)
        spine = opf.find(OPF + "spine").get("page-progression-direction")
        css = book.read("OEBPS/Text/style.css").decode("utf-8")
        vertical = "writing-mode: vertical-rl;" in css
        if (spine, vertical) != (("rtl", True) if direction == "V" else ("ltr", False)):
            raise ValueError("direction %s asked; spine %s, vertical style %s" % (direction, spine, vertical))
    return True


def text(path, novel):
    got = comparable(book_text(path, ()))
    want = comparable(novel_text(novel))
    return got == want or first_difference(got, want, "the text")


def is_kanji(c):
    return c in "々〆ヶ" or "\u3400" <= c <= "\u9fff" or "\uf900" <= c <= "\ufaff"


def source_bases(source):
    """The base of each 《reading》 where the source makes it plain: from a
    ｜ before it, else the run of kanji just before it ("" when no kanji
    stands just before it: the loader's rule reaches further back then)."""
    out = []
    for m in re.finditer("《[^《》\r\n]+》", source):
        line = source[:m.start()].rsplit("\n", 1)[-1].rsplit("》", 1)[-1]
        bar = line.rfind("｜")
        if bar >= 0:
            out.append(line[bar + 1:])
            continue
        k = len(line)
        while k > 0 and is_kanji(line[k - 1]):
            k -= 1
        out.append(line[k:])
    return out


def ruby_bases(xhtml):
    body = ET.fromstring(xhtml).find(XHTML + "body")
    return ["".join(rb.itertext()) for rb in body.iter(XHTML + "rb")]


def rubies(path, novel):
    source = novel_text(novel)
    # 《reading》 follows its base; ｜ marks where a base begins. "《》" and a
    # ｜ without a reading after it are text.
    unmarked = re.sub("｜([^《》｜\r\n]+《[^《》\r\n]+》)", r"\1", source)
    bases = comparable(re.sub("《[^《》\r\n]+》", "", unmarked))
    got = comparable(book_text(path, ("rt", "rp")))
    if got != bases:
        return first_difference(got, bases, "the text without readings")
    with zipfile.ZipFile(path) as book:
        got = [comparable(rb) for n in spine_files(book) for rb in ruby_bases(book.read(n))]
    want = [comparable(b) for b in source_bases(source)]
    if len(got) != len(want):
        print("%d rubies in the book, %d readings in the source" % (len(got), len(want)))
        return False
    for i, (g, w) in enumerate(zip(got, want)):
        if w and g != w:
            print("ruby %d stands over %s, not over %s" % (i + 1, g, w))
            return False
    got = comparable(book_text(path, ()))
    return got == comparable(unmarked) or first_difference(got, comparable(unmarked), "base《reading》")


def kanji_numeral(n):
    out = ""
    for value, unit in ((1000, "千"), (100, "百"), (10, "十"), (1, "")):
        d = n // value % 10
        if d:
            out += ("" if d == 1 and unit else KANJI[d - 1]) + unit
    return out


def chapters(path, document):
    """Chapter 1 is the text before the first page-starting entry; each such
    entry starts the next. Labels: the kanji numeral, 章, an ideographic
    space and the entry's title (chapter 1: the title of an entry on line 0)."""
    segments, titles, first_title = [[]], [], None
    for line in novel_text(document).split("\r\n"):
        m = INDEX_LINE.match(line)
        if not m:
            segments[-1].append(line)
            continue
        if int(m.group(1)) & 8 and any(segments[-1]):
            segments.append([])
            titles.append(m.group(2))
        elif not any(segments[-1]) and first_title is None and len(segments) == 1:
            first_title = m.group(2)
    titles.insert(0, first_title)
    with zipfile.ZipFile(path) as book:
        files = spine_files(book)
        nav = ET.fromstring(book.read("OEBPS/Text/nav.xhtml"))
        links = [(a.get("href"), "".join(a.itertext())) for a in nav.iter(XHTML + "a")]
        ncx = ET.fromstring(book.read("OEBPS/toc.ncx"))
        points = [(p.get("playOrder"), p.find(NCX + "content").get("src"), "".join(p.find(NCX + "navLabel").itertext()).strip())
                  for p in ncx.iter(NCX + "navPoint")]
        texts = [comparable(body_text(book.read(f), ())) for f in files]
    if len(links) != len(segments):
        print("%d contents entries, %d chapters" % (len(links), len(segments)))
        return False
    starts = [files.index("OEBPS/Text/" + href) for href, _ in links] + [len(files)]
    for c, segment in enumerate(segments):
        label = kanji_numeral(c + 1) + "章" + "　" + titles[c] if titles[c] else kanji_numeral(c + 1) + "章"
        if links[c][1] != label:
            print("contents entry %d is %r, not %r" % (c + 1, links[c][1], label))
            return False
        if points[c] != (str(c + 1), "Text/" + links[c][0], label):
            print("NCX point %d is %s" % (c + 1, points[c]))
            return False
        got = "".join(texts[starts[c]:starts[c + 1]])
        want = comparable("\r\n".join(segment))
        if got != want:
            return first_difference(got, want, "chapter %d" % (c + 1))
    return len(points) == len(segments)


def member(path, name):
    with zipfile.ZipFile(path) as book:
        sys.stdout.buffer.write(book.read(name))
    return True


def main():
    cmd, args = sys.argv[1], sys.argv[2:]
    try:
        if cmd == "layout":
            return layout(args[0], args[1])
        if cmd == "text":
            return text(args[0], args[1])
        if cmd == "rubies":
            return rubies(args[0], args[1])
        if cmd == "chapters":
            return chapters(args[0], args[1])
        if cmd == "member":
            return member(args[0], args[1])
    except (ValueError, KeyError, ET.ParseError, zipfile.BadZipFile) as e:
        print(e)
        return False
    print("unknown check", cmd)
    return False


if __name__ == "__main__":
    sys.exit(0 if main() else 1)
