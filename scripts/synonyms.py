#!/usr/bin/env python3
"""The synonym dictionary of the editor: fetching its content and converting it.

  synonyms.py fetch --cache DIR
      Downloads the pinned npm package of the Sudachi synonym dictionary
      into DIR, checked against the registry's sha512 and sha1 of the
      tarball. Without a network (or on any mismatch) it says so in one line
      and ends with status 0: the build then uses the committed sample.
      DIR/synonyms.state names what DIR holds; it is rewritten only when that
      changes, so that the build converts again only then.

  synonyms.py convert --header H --sample JSON [--package TGZ] --out DIR
      Writes DIR/rix_lib.syn with DIR/rix_lib_LICENSE.txt and
      DIR/rix_lib_NOTICE.txt beside it: from the package when TGZ exists and
      matches the pinned digests, else from the sample JSON (same format).

Conversion (deterministic: the same input gives the same bytes):
  - each group becomes a related-words group; its first record is of kind 2;
  - each vocabulary number of a group becomes a class (kind 1 for all but the
    group's first), in the order the numbers first appear; an item without a
    number is a class of its own;
  - within a class the representative spelling (代表語, 代表語形, 代表表記)
    comes first, the others follow in file order; repeated spellings once;
  - entries kept only as deletion records (expandControl 2) are left out;
  - ASCII and half-width katakana become full-width; a spelling with a
    character outside code page 932 (or one the editor does not store, lead
    byte 0xFC) is left out, and so is one longer than 63 characters;
  - the fields (bunya) follow the headword as an annotation "（ＩＴ・人名）"
    when the record still fits.
The header mask and rotation table are read from the C++ header that defines
them (aids/synonym_scramble.h), so that the reader and this writer share one
definition.
"""
import argparse
import base64
import hashlib
import io
import json
import os
import re
import sys
import tarfile
import tempfile
import unicodedata
import urllib.request

PACKAGE = "sudachi-synonyms-dictionary"
VERSION = "18.0.0"
TARBALL = f"{PACKAGE}-{VERSION}.tgz"
URL = f"https://registry.npmjs.org/{PACKAGE}/-/{TARBALL}"
# The registry's dist.integrity and dist.shasum of the tarball.
SHA512 = "dVjrhGBCaM5QHn7Ys+L+vPdZib9aWR8F0uvYG0Ww3kEZ5C1pH/OwjLp7rWcgWYPE8io+f4UhpTCjVaoGDlcoWw=="
SHA1 = "891d9d49c753b46b1b36cd2457255900fd655d64"
JSON_MEMBER = f"package/{PACKAGE}.json"
LICENSE_MEMBER = "package/LICENSE"

MAX_CHARS = 63
KIND_WORD, KIND_CLASS, KIND_GROUP = 0, 1, 2
REPRESENTATIVE = ("代表語", "代表語形", "代表表記")

NOTICE_PACKAGE = f"""\
The synonym dictionary rix_lib.syn of ミルトア is converted from
{PACKAGE} {VERSION} (npm), Apache License 2.0, © azu,
the JSON form of the Sudachi synonym dictionary:

  Sudachi synonym dictionary
  Copyright (c) 2017 Works Applications Co., Ltd.
  Licensed under the Apache License, Version 2.0 (rix_lib_LICENSE.txt).

Changes made by the conversion: the entries are stored in the editor's own
scrambled record format in code page 932; spellings outside code page 932,
spellings longer than 63 characters and entries kept only as deletion records
are left out; ASCII and half-width katakana are written full-width; fields are
added to the headwords as annotations.
"""

NOTICE_SAMPLE = f"""\
This rix_lib.syn is the small stand-in dictionary of ミルトア, converted from
scripts/synonyms/sample.json of its source tree, because the package
{PACKAGE} {VERSION} could not be fetched when the program was built.
Run scripts/setup.sh with a network connection and build again for the full
dictionary. The stand-in's entries are made for the editor's tests in the
package's format; the licence beside it is the one the full dictionary
comes under.
"""


def digests_match(data):
    sha512 = base64.b64encode(hashlib.sha512(data).digest()).decode()
    return sha512 == SHA512 and hashlib.sha1(data).hexdigest() == SHA1


def write_file(path, data):
    """Replaces the file whole (a temporary file renamed over it)."""
    folder = os.path.dirname(path) or "."
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".syn-")
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    os.chmod(tmp, 0o644)
    os.replace(tmp, path)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    write_file(path, data)


def fetch(cache):
    os.makedirs(cache, exist_ok=True)
    target = os.path.join(cache, TARBALL)
    state = os.path.join(cache, "synonyms.state")
    data = None
    if os.path.exists(target):
        with open(target, "rb") as f:
            data = f.read()
        if not digests_match(data):
            data = None
    if data is None:
        try:
            with urllib.request.urlopen(URL, timeout=60) as response:
                data = response.read()
        except Exception as e:  # no network: the sample stands in
            print(f"synonyms: {PACKAGE} {VERSION} not fetched ({e}); the sample dictionary stands in",
                  file=sys.stderr)
            data = None
        if data is not None and not digests_match(data):
            print(f"synonyms: {TARBALL} does not match its pinned digests; not used", file=sys.stderr)
            data = None
        if data is not None:
            write_if_changed(target, data)
    write_if_changed(state, (f"{TARBALL} {SHA1}\n" if data is not None else "sample\n").encode())
    return 0


def read_scramble(header_path):
    text = open(header_path, encoding="utf-8").read()
    mask = re.search(r"SYNONYM_HEADER_MASK\s*=\s*(0x[0-9A-Fa-f]+|\d+)", text)
    table = re.search(r"SYNONYM_ROTATION\[8\]\s*=\s*\{([^}]*)\}", text)
    if not mask or not table:
        raise SystemExit(f"synonyms: no mask or rotation table in {header_path}")
    rotation = [int(v, 0) for v in table.group(1).split(",")]
    if len(rotation) != 8 or any(not 0 <= r <= 7 for r in rotation):
        raise SystemExit(f"synonyms: the rotation table of {header_path} is not eight amounts 0-7")
    return int(mask.group(1), 0), rotation


def full_width(text):
    out = []
    for ch in text:
        code = ord(ch)
        if 0x21 <= code <= 0x7E:
            out.append(chr(code + 0xFEE0))
        elif ch == " ":
            out.append("\u3000")
        elif 0xFF61 <= code <= 0xFF9F:
            out.append(unicodedata.normalize("NFKC", ch))
        else:
            out.append(ch)
    # A half-width voiced mark joins the kana before it.
    return unicodedata.normalize("NFC", "".join(out))


def encode(text):
    """The text in code page 932 two-byte characters, or None."""
    try:
        data = text.encode("cp932")
    except UnicodeEncodeError:
        return None
    for ch in text:
        b = ch.encode("cp932")
        if len(b) != 2 or b[0] == 0xFC:
            return None
    return data


def record_text(item):
    head = encode(full_width(item["midashi"]))
    if head is None or len(head) // 2 > MAX_CHARS or not head:
        return None
    fields = [f for f in item.get("bunya") or [] if f]
    if fields:
        note = encode("（" + "・".join(full_width(f) for f in fields) + "）")
        if note is not None and (len(head) + len(note)) // 2 <= MAX_CHARS:
            return head + note
    return head


def convert_groups(groups):
    """The records (kind, cp932 text) of the groups."""
    records = []
    for group in groups:
        classes = {}
        for index, item in enumerate(group.get("items", [])):
            if item.get("expandControl") == 2:
                continue
            number = item.get("vocabularyNumber")
            key = ("number", number) if number is not None else ("item", index)
            classes.setdefault(key, []).append(item)
        first_class = True
        for items in classes.values():
            ordered = sorted(items, key=lambda i: tuple(i.get(k) != v for k, v in
                                                      zip(("gokeiSyubetsu", "ryakusyou", "hyoukiYure"),
                                                          REPRESENTATIVE)))
            seen = set()
            words = []
            for item in ordered:
                text = record_text(item)
                head = encode(full_width(item["midashi"]))
                if text is None or head in seen:
                    continue
                seen.add(head)
                words.append(text)
            for k, text in enumerate(words):
                kind = KIND_WORD if k else (KIND_GROUP if first_class else KIND_CLASS)
                records.append((kind, text))
            if words:
                first_class = False
    return records


def scramble(records, mask, rotation):
    out = bytearray()
    for kind, text in records:
        out.append(((kind << 6) | (len(text) // 2)) ^ mask)
        for pos, b in enumerate(text):
            r = rotation[(bin(b).count("1") ^ pos) & 7]
            out.append(((b << r) | (b >> (8 - r))) & 0xFF)
    return bytes(out)


def load_package(path):
    if not path or not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        data = f.read()
    if not digests_match(data):
        print(f"synonyms: {path} does not match its pinned digests; the sample stands in", file=sys.stderr)
        return None
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as tar:
        groups = json.load(tar.extractfile(JSON_MEMBER))
        licence = tar.extractfile(LICENSE_MEMBER).read()
    return groups, licence


def convert(args):
    mask, rotation = read_scramble(args.header)
    package = load_package(args.package)
    if package is not None:
        groups, licence = package
        notice = NOTICE_PACKAGE
    else:
        with open(args.sample, encoding="utf-8") as f:
            groups = json.load(f)
        with open(args.licence, "rb") as f:
            licence = f.read()
        notice = NOTICE_SAMPLE
    os.makedirs(args.out, exist_ok=True)
    # Written every time, so that the build sees them newer than their inputs.
    write_file(os.path.join(args.out, "rix_lib.syn"), scramble(convert_groups(groups), mask, rotation))
    write_file(os.path.join(args.out, "rix_lib_LICENSE.txt"), licence)
    write_file(os.path.join(args.out, "rix_lib_NOTICE.txt"), notice.encode("utf-8"))
    return 0


def main():
    parser = argparse.ArgumentParser(description="The synonym dictionary: fetch and convert.")
    sub = parser.add_subparsers(dest="command", required=True)
    f = sub.add_parser("fetch")
    f.add_argument("--cache", required=True)
    c = sub.add_parser("convert")
    c.add_argument("--header", required=True)
    c.add_argument("--sample", required=True)
    c.add_argument("--licence", required=True)
    c.add_argument("--package", default="")
    c.add_argument("--out", required=True)
    args = parser.parse_args()
    return fetch(args.cache) if args.command == "fetch" else convert(args)


if __name__ == "__main__":
    sys.exit(main())
