#!/usr/bin/env bash
# `rix --db-pdf`: a record's content printed as the content box prints it,
# read back by real tools: qpdf checks the file, pdfinfo counts the pages
# (a long text makes many, more than a hundred), pdftotext finds the page
# numbers "-- N --" and the text; an empty content writes no file; a file
# that is no database, a missing table, field or record exit 1. The PDF is
# never one of the database's files and replaces a PDF already there only
# when whole; the database is read without a file written beside it, and a
# damaged one or one with a change cut short is told as such.
# Usage: db_pdf_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
for tool in qpdf pdfinfo pdftotext python3; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (scripts/packages.txt)"; exit 1; }
done
home=$(mktemp -d /tmp/rix-dbpdf-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

# A database made with Python's SQLite module: the values as text of
# their exact code page 932 bytes.
db=$home/notes.ksl
python3 - "$db" <<'PY'
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
sj = lambda s: s.encode("cp932")
long = "\r\n".join(("%04d 行目　吾輩は猫である。名前はまだ無い。" % i) for i in range(4000))
rows = [("短い", "表ポソ十能の字と 'apostrophe' を含む本文。\r\n二行目。"), ("長い", long), ("空", ""),
        ("改行だけ", "\r\n\r\n\r\n")]
con.execute('CREATE TABLE "memo" ("title", "body")')
for t, b in rows:
    con.execute('INSERT INTO "memo" VALUES (CAST(? AS TEXT), CAST(? AS TEXT))', (sj(t), sj(b)))
con.commit()
PY
check "the database was made" '[ -s "$db" ]'

run() { "$rix" --db-pdf "$1" --db-table memo --db-row "$2" --db-field body "$db" >"$home/out" 2>"$home/err"; }

run "$home/short.pdf" 1; rc=$?
check "a short record prints (exit 0)" '[ $rc -eq 0 ] && [ -s "$home/short.pdf" ]'
check "qpdf finds the short PDF sound" 'qpdf --check "$home/short.pdf" >/dev/null 2>&1'
check "the short content is one page" '[ "$(pdfinfo "$home/short.pdf" | sed -n "s/^Pages: *//p")" = 1 ] && grep -q "^pages=1$" "$home/out"'
check "page 1 carries -- 1 --" 'pdftotext "$home/short.pdf" - | tr -d " " | grep -q -- "--1--"'
check "the text stands on the page" 'pdftotext "$home/short.pdf" - | tr -d " \n" | grep -q "能の字と.apostrophe.を含む"'

run "$home/long.pdf" 2; rc=$?
pages=$(pdfinfo "$home/long.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
check "a long record prints (exit 0)" '[ $rc -eq 0 ]'
check "qpdf finds the long PDF sound" 'qpdf --check "$home/long.pdf" >/dev/null 2>&1'
check "the long text makes more than 100 pages ($pages) and says so" \
  '[ -n "$pages" ] && [ "$pages" -gt 100 ] && grep -q "^pages=$pages$" "$home/out"'
check "page 101 carries -- 101 --" 'pdftotext -f 101 -l 101 "$home/long.pdf" - | tr -d " " | grep -q -- "--101--"'
check "the last line is printed" 'pdftotext -f "$pages" -l "$pages" "$home/long.pdf" - | tr -d " \n" | grep -q "3999"'

run "$home/empty.pdf" 3; rc=$?
check "an empty content prints nothing (exit 1, no file)" '[ $rc -eq 1 ] && [ ! -e "$home/empty.pdf" ]'
run "$home/none.pdf" 99; rc=$?
check "a missing record exits 1" '[ $rc -eq 1 ] && [ ! -e "$home/none.pdf" ]'
"$rix" --db-pdf "$home/x.pdf" --db-table nothere --db-row 1 "$db" >/dev/null 2>&1; rc=$?
check "a missing table exits 1" '[ $rc -eq 1 ]'
printf 'plain text, no database\n%.0s' {1..50} >"$home/junk.ksl"
"$rix" --db-pdf "$home/x.pdf" --db-table memo --db-row 1 "$home/junk.ksl" >/dev/null 2>&1; rc=$?
check "a file that is no database exits 1 and stays as it was" \
  '[ $rc -eq 1 ] && [ "$(head -c 23 "$home/junk.ksl")" = "plain text, no database" ]'
# The output is none of the database's files (also through a link).
ln -s notes.ksl "$home/link.ksl"
sum=$(cksum <"$db")
for target in notes.ksl link.ksl notes.ksl-journal; do
  run "$home/$target" 1; rc=$?
  check "the database's own file as the output ($target) is refused" \
    '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err" && [ "$(cksum <"$db")" = "$sum" ] && [ ! -e "$home/notes.ksl-journal" ]'
done
"$rix" --db-pdf "$home/notes.ksl" --db-table memo --db-row 1 --db-field body "$home/link.ksl" >/dev/null 2>"$home/err"; rc=$?
check "the file behind a linked database is refused as the output" \
  '[ $rc -eq 1 ] && grep -q "上書き" "$home/err" && [ "$(cksum <"$db")" = "$sum" ]'

# Nothing to print leaves a PDF already there as it was.
cp "$home/short.pdf" "$home/kept.pdf"
run "$home/kept.pdf" 4; rc=$?
check "line breaks alone print nothing and keep the PDF there" \
  '[ $rc -eq 1 ] && grep -q "nothing printed" "$home/err" && cmp -s "$home/short.pdf" "$home/kept.pdf"'

# A write cut short (the file size limit) leaves the PDF there whole: killed
# by the signal, or told of the failed write.
(ulimit -f 64; "$rix" --db-pdf "$home/kept.pdf" --db-table memo --db-row 2 --db-field body "$db" >/dev/null 2>&1)
check "a run killed half way keeps the PDF there" 'cmp -s "$home/short.pdf" "$home/kept.pdf"'
(trap '' XFSZ; ulimit -f 64; "$rix" --db-pdf "$home/kept.pdf" --db-table memo --db-row 2 --db-field body "$db" >/dev/null 2>"$home/err"); rc=$?
check "a write that fails is a failure and keeps the PDF there" \
  '[ $rc -eq 1 ] && grep -q "could not be written" "$home/err" && cmp -s "$home/short.pdf" "$home/kept.pdf"'
rm -f "$home"/.kept.pdf.tmp-*

# Read without a file written beside it: a database in WAL mode.
mkdir "$home/wal"
python3 - "$home/wal/w.ksl" <<'PY'
import sqlite3, sys
con = sqlite3.connect(sys.argv[1])
con.execute("PRAGMA journal_mode=WAL")
con.execute('CREATE TABLE "memo" ("body")')
con.execute('INSERT INTO "memo" VALUES (CAST(? AS TEXT))', ("短い本文".encode("cp932"),))
con.commit()
con.close()
PY
"$rix" --db-pdf "$home/w.pdf" --db-table memo --db-row 1 "$home/wal/w.ksl" >/dev/null 2>"$home/err"; rc=$?
check "a database in WAL mode prints and leaves no -wal or -shm beside it" \
  '[ $rc -eq 0 ] && [ -s "$home/w.pdf" ] && [ "$(ls "$home/wal")" = w.ksl ]'

# A change cut short: its journal beside the file. Told as such, both files untouched.
mkdir "$home/hot"
python3 - "$home/hot/j.ksl" <<'PY'
import os, sqlite3, sys
path = sys.argv[1]
con = sqlite3.connect(path)
con.execute('CREATE TABLE "memo" ("body")')
for i in range(100):
    con.execute('INSERT INTO "memo" VALUES (?)', ("x" * 1000,))
con.commit()
con.close()
if os.fork() == 0:
    con = sqlite3.connect(path, isolation_level=None)
    con.execute("PRAGMA cache_size=2")
    con.execute("BEGIN")
    con.execute("UPDATE memo SET body = 'z' WHERE rowid < 60")
    for i in range(100):
        con.execute('INSERT INTO "memo" VALUES (?)', ("y" * 1000,))
    os._exit(0)
os.wait()
PY
hot=$(cat "$home/hot/j.ksl" "$home/hot/j.ksl-journal" | cksum)
"$rix" --db-pdf "$home/j.pdf" --db-table memo --db-row 1 "$home/hot/j.ksl" >/dev/null 2>"$home/err"; rc=$?
check "a change cut short is told as such, nothing written" \
  '[ $rc -eq 1 ] && grep -q "cut short" "$home/err" && [ ! -e "$home/j.pdf" ] && [ "$(cat "$home/hot/j.ksl" "$home/hot/j.ksl-journal" | cksum)" = "$hot" ]'

# A damaged page is told as damage, not as a missing record.
python3 - "$home/bad.ksl" <<'PY'
import sqlite3, sys
path = sys.argv[1]
con = sqlite3.connect(path)
con.execute("PRAGMA page_size=4096")
con.execute('CREATE TABLE "memo" ("body")')
con.execute('INSERT INTO "memo" VALUES (?)', ("x" * 20000,))
con.commit()
con.close()
with open(path, "r+b") as f:
    f.seek(3 * 4096)
    f.write(b"\xff" * 4096)
PY
"$rix" --db-pdf "$home/bad.pdf" --db-table memo --db-row 1 "$home/bad.ksl" >/dev/null 2>"$home/err"; rc=$?
check "a damaged database is told as damaged" \
  '[ $rc -eq 1 ] && grep -q "damaged" "$home/err" && ! grep -q "no record" "$home/err" && [ ! -e "$home/bad.pdf" ]'

check "--help names --db-pdf" '"$rix" --help | grep -q -- "--db-pdf"'

echo "passes=$passes fails=$fails"
[ $fails -eq 0 ]
