#!/usr/bin/env bash
# `rix --epub`: corpus novels written as EPUB books in a vertical and a
# horizontal print format, with the ruby notation read, and with index lines
# that start pages (several content files and chapters), read back by the
# reference checker (no error, no warning) and by epub_check.py: the zip
# layout, UTF-8 with CR LF, the text of the content files against the
# novel's, the rubies over their bases, the chapters and their contents
# entries; an embedded font; refusals and failures that must leave files
# whole; the C number format under any locale.
# Still owed: a look at a rendered page (no browser or renderer is
# installed); the decimal-comma run where no such locale is installed (it is
# skipped, not generated).
# Usage: epub_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
epubcheck_jar=/usr/share/java/epubcheck.jar
for tool in java python3; do
  command -v "$tool" >/dev/null ||
    { echo "FAILED: $tool is missing (scripts/packages.txt: default-jre-headless, python3)"; exit 1; }
done
[ -r "$epubcheck_jar" ] || { echo "FAILED: $epubcheck_jar is missing (scripts/packages.txt: epubcheck)"; exit 1; }
home=$(mktemp -d /tmp/rix-epub-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
value() { sed -n "s/^$1=//p" "$2"; }
corpus=$(dirname "$0")/../data/corpus
here=$(dirname "$0")
python=$(python3 -c 'import sys; print(sys.executable)')
epub_check() { "$python" "$here/epub_check.py" "$@"; }
# The checker's verdict: exit 0 and its count line with no error and no
# warning. The client compiler alone halves its start on a loaded machine.
epubcheck() {
  java -XX:TieredStopAtLevel=1 -jar "$epubcheck_jar" "$1" >"$home/epubcheck" 2>&1 &&
    grep -q "0 fatals / 0 errors / 0 warnings" "$home/epubcheck" || { cat "$home/epubcheck"; false; }
}
# write NAME ARGS...: rix --epub $home/NAME.epub ARGS..., its report in $home/NAME.report.
write() {
  local name=$1
  shift
  "$rix" --epub "$home/$name.epub" "$@" >"$home/$name.report" 2>"$home/err"
}
# Print formats 1 and 2 write vertically, 3 horizontally.
for novel in rashomon yume_juya bocchan; do
  for format in 1 3; do
    letter=V; [ "$format" = 3 ] && letter=H
    name=$novel.$format
    write "$name" --print-format "$format" "$corpus/$novel.txt"; rc=$?
    check "$name: --epub exits 0, bytes= is the book's size" \
      '[ $rc -eq 0 ] && [ "$(value bytes "$home/$name.report")" = "$(stat -c %s "$home/$name.epub")" ]'
    check "$name: the reference checker finds no error and no warning" 'epubcheck "$home/$name.epub"'
    check "$name: the zip layout, UTF-8 with CR LF, written $letter" 'epub_check layout "$home/$name.epub" $letter'
    check "$name: the content files hold the novel's text" 'epub_check text "$home/$name.epub" "$corpus/$novel.txt"'
  done
  name=$novel.rubies
  write "$name" --read-rubies --print-format 2 "$corpus/$novel.txt"; rc=$?
  check "$name: --epub --read-rubies exits 0" '[ $rc -eq 0 ]'
  check "$name: the reference checker finds no error and no warning" 'epubcheck "$home/$name.epub"'
  check "$name: the zip layout" 'epub_check layout "$home/$name.epub" V'
  check "$name: every reading a ruby over its base, the text around them whole" \
    'epub_check rubies "$home/$name.epub" "$corpus/$novel.txt"'
done
check "bocchan (100 KB a file by default) is split by size into several files" \
  '[ "$(value files "$home/bocchan.1.report")" -gt 1 ]'

# Index lines ("§D title") read with --read-index: D with bit 3 (8, 9)
# starts a new page and so a content file and a chapter; the others do not.
# The first title carries markup characters into both contents.
# Files split by size at 20 KB (epub_split_kb, offset 0x2b9 of the settings
# file) so that a chapter spans several files.
printf '\024' | dd of="$RIX_HOME/rix.env" bs=1 seek=$((0x2b9)) conv=notrunc 2>/dev/null
"$python" - "$corpus/bocchan.txt" "$home/indexed.txt" <<'EOF'
import sys
lines = open(sys.argv[1], "rb").read().decode("cp932").split("\r\n")
out = ["§0 坊っちゃん <夏目漱石> & 序"]
for i, line in enumerate(lines):
    if "は中見出し］" in line:
        out.append("§%d %s" % (9 if i == 172 else 8, line.split("］")[1].split("［")[0]))
    if i in (30, 100):
        out.append("§1 小見出し")
    out.append(line)
open(sys.argv[2], "wb").write("\r\n".join(out).encode("cp932"))
EOF
write indexed --read-index "$home/indexed.txt"; rc=$?
check "indexed: twelve chapters (the opening, 一..十一) in more files" \
  '[ $rc -eq 0 ] && [ "$(value contents "$home/indexed.report")" = 12 ] && [ "$(value files "$home/indexed.report")" -gt 12 ]'
check "indexed: the reference checker finds no error and no warning" 'epubcheck "$home/indexed.epub"'
check "indexed: the zip layout" 'epub_check layout "$home/indexed.epub" V'
check "indexed: each chapter's files hold its text; nav and NCX name the chapters in order" \
  'epub_check chapters "$home/indexed.epub" "$home/indexed.txt"'

# Odd documents: empty, and one of markup characters, half-width kana, a
# tab, a lone ｜ and an empty 《》, with no final line end.
: >"$home/empty.txt"
printf '&amp; <b>"x"</b> \xb1\xb2\xb3\t\x81\x62\x81\x73\x81\x74 a < b && c > d' >"$home/markup.txt"
for doc in empty markup; do
  write "$doc" --read-rubies "$home/$doc.txt"; rc=$?
  check "$doc: --epub exits 0 and the reference checker finds no error and no warning" \
    '[ $rc -eq 0 ] && epubcheck "$home/$doc.epub"'
  check "$doc: the content file holds the document's text" 'epub_check text "$home/$doc.epub" "$home/$doc.txt"'
done

# The embedded font (epub_flags bit 1 at 0x2b6, the file name at 0x680): a
# file of the data folder, copied into the book under its own name.
font=/usr/share/fonts/opentype/ipaexfont-mincho/ipaexm.ttf
flags=$(od -An -tu1 -j $((0x2b6)) -N1 "$RIX_HOME/rix.env" | tr -d ' ')
printf '\007' | dd of="$RIX_HOME/rix.env" bs=1 seek=$((0x2b6)) conv=notrunc 2>/dev/null
printf 'ipaexm.ttf\000' | dd of="$RIX_HOME/rix.env" bs=1 seek=$((0x680)) conv=notrunc 2>/dev/null
if [ -r "$font" ]; then
  cp "$font" "$RIX_HOME/"
  write font "$corpus/rashomon.txt"; rc=$?
  check "font: the reference checker finds no error and no warning" '[ $rc -eq 0 ] && epubcheck "$home/font.epub"'
  check "font: the zip layout, the font listed and whole" \
    'epub_check layout "$home/font.epub" V && epub_check member "$home/font.epub" OEBPS/Text/ipaexm.ttf | cmp -s - "$font"'
  rm "$RIX_HOME/ipaexm.ttf"
else
  echo "skipped: $font is missing (scripts/packages.txt: fonts-ipaexfont)"
fi
"$rix" --epub "$home/nofont.epub" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "a font that is not in the data folder is refused with the message, nothing written" \
  '[ $rc -eq 1 ] && grep -q "フォントファイルが見付かりませんでした" "$home/err" && [ ! -e "$home/nofont.epub" ]'
printf "\\$(printf %03o "$flags")" | dd of="$RIX_HOME/rix.env" bs=1 seek=$((0x2b6)) conv=notrunc 2>/dev/null

# Refusals and failures.
cp "$corpus/rashomon.txt" "$home/own.txt"
ln -s own.txt "$home/own.link"
sum=$(cksum <"$home/own.txt")
for target in own.txt own.link; do
  "$rix" --epub "$home/$target" "$home/own.txt" >/dev/null 2>"$home/err"; rc=$?
  check "the open document as the output ($target) is refused, the document untouched" \
    '[ $rc -eq 1 ] && grep -q "上書き" "$home/err" && [ "$(cksum <"$home/own.txt")" = "$sum" ]'
done
"$rix" --epub "$home/missing/x.epub" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an output in a missing folder fails with a message" '[ $rc -eq 1 ] && [ -s "$home/err" ]'
: >"$home/afile"
"$rix" --epub "$home/afile/x.epub" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an output under a file fails with a message" '[ $rc -eq 1 ] && [ -s "$home/err" ]'

# A write that fails half way (the file size limit; as root no mode bit
# refuses a write) leaves the book already there whole and no temporary.
mkdir "$home/keep"
cp "$home/rashomon.1.epub" "$home/keep/x.epub"
sum=$(cksum <"$home/keep/x.epub")
(trap '' XFSZ; ulimit -f 32; "$rix" --epub "$home/keep/x.epub" "$corpus/bocchan.txt" >/dev/null 2>"$home/err"); rc=$?
check "a write that fails keeps the book already there whole" \
  '[ $rc -eq 1 ] && [ -s "$home/err" ] && [ "$(cksum <"$home/keep/x.epub")" = "$sum" ] && [ "$(ls "$home/keep")" = x.epub ]'

# Numbers in the style sheet never take the user's decimal comma.
comma=""
for l in $(locale -a 2>/dev/null); do
  [ "$(LC_ALL=$l locale decimal_point 2>/dev/null)" = "," ] && { comma=$l; break; }
done
if [ -n "$comma" ]; then
  LC_ALL=$comma "$rix" --epub "$home/comma.epub" --print-format 1 "$corpus/rashomon.txt" >/dev/null 2>&1
  check "under $comma the style sheet is the same" \
    '[ "$(epub_check member "$home/comma.epub" OEBPS/Text/style.css)" = "$(epub_check member "$home/rashomon.1.epub" OEBPS/Text/style.css)" ]'
else
  echo "skipped: no installed locale has a decimal comma (locale -a)"
fi

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
