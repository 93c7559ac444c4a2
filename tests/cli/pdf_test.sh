#!/usr/bin/env bash
# `rix --pdf`: corpus novels written as PDF files in every print format,
# plain and compressed, read back byte by byte (cross-reference table, CR LF
# line ends, stream lengths and filters: pdf_check.py, qpdf --check) and as
# a reader would (pdffonts, pdftotext, pdftoppm against the preview); the
# page range, refusals and failures that must leave files whole, the C
# number format under any locale, and the outline from index lines.
# Still owed: the decimal-comma run where no such locale is installed (it is
# skipped, not generated); where each ruby stands beside its base (only the
# order of the readings is checked).
# Usage: pdf_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
for tool in qpdf pdfinfo pdffonts pdftoppm pdftotext python3; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (scripts/packages.txt: qpdf, poppler-utils)"; exit 1; }
done
home=$(mktemp -d /tmp/rix-pdf-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
value() { sed -n "s/^$1=//p" "$2"; }
pages_of() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }
corpus=$(dirname "$0")/../data/corpus
here=$(dirname "$0")
# The interpreter itself, not a version manager's launcher in front of it:
# the checks start it some hundred times.
python=$(python3 -c 'import sys; print(sys.executable)')
pdf_check() { "$python" "$here/pdf_check.py" "$@"; }

# The shipped settings compress (pdf_options bit 1) and --compress can only
# add it: the plain runs clear the byte (offset 0x287) in the settings file.
"$rix" --data-folder >/dev/null
printf '\000' | dd of="$RIX_HOME/rix.env" bs=1 seek=$((0x287)) conv=notrunc 2>/dev/null

for novel in rashomon yume_juya bocchan; do
  for format in 1 2 3; do
    letter=V; [ "$format" = 3 ] && letter=H
    for mode in plain compressed; do
      out=$home/$novel.$format.$mode.pdf report=$home/$novel.$format.$mode.report
      flag=(); [ "$mode" = compressed ] && flag=(--compress)
      "$rix" --pdf "$out" --print-format "$format" "${flag[@]}" "$corpus/$novel.txt" >"$report" 2>"$home/err"; rc=$?
      name="$novel format $format $mode"
      check "$name: --pdf exits 0" '[ $rc -eq 0 ] && [ -s "$out" ] && [ "$(value bytes "$report")" = "$(stat -c %s "$out")" ]'
      check "$name: qpdf --check passes" 'qpdf --check "$out" >"$home/qpdf" 2>&1 || { cat "$home/qpdf"; false; }'
      check "$name: the xref, CR LF line ends, exact stream lengths and filters" 'pdf_check structure "$out" $mode'
      check "$name: six fonts, F1 F3 in 90ms-RKSJ-$letter" 'pdf_check fonts "$out" $letter H'
      check "$name: the pages are the novel's text in reading order" 'pdf_check text "$out" "$corpus/$novel.txt"'
      pages=$(pages_of "$out") halves=$(value halves "$report")
      check "$name: the page count is pages= ($pages)" '[ -n "$pages" ] && [ "$pages" = "$(value pages "$report")" ]'
      if [ "$format" = 1 ]; then
        check "$name: 袋とじ holds two numbered pages a sheet ($halves halves)" \
          '[ "$halves" = $((2 * pages)) ] || [ "$halves" = $((2 * pages - 1)) ]'
      else
        check "$name: one numbered page a sheet" '[ "$halves" = "$pages" ]'
      fi
    done
    check "$novel format $format: the compressed streams inflate to the plain ones" \
      'pdf_check inflated "$home/$novel.$format.plain.pdf" "$home/$novel.$format.compressed.pdf"'
  done
done
check "format 1's first sheet carries the page numbers １ and ２" \
  'pdftotext -f 1 -l 1 "$home/rashomon.1.plain.pdf" - | tr -d " \n" | grep -q "１" &&
   pdftotext -f 1 -l 1 "$home/rashomon.1.plain.pdf" - | tr -d " \n" | grep -q "２"'

# Rubies are written after each page's text; one cut at a page's last column
# goes on at the top of the next page.
for format in 1 2 3; do
  "$rix" --pdf "$home/ruby.$format.pdf" --read-rubies --print-format "$format" "$corpus/yume_juya.txt" >/dev/null 2>&1
  check "yume_juya format $format with rubies: each page's text, then its readings" \
    'pdf_check rubies "$home/ruby.$format.pdf" "$corpus/yume_juya.txt"'
done

for format in 1 2 3; do
  "$rix" --preview-snapshot "$home/preview.$format.png" --print-format "$format" --sheet 2 --size 900x700 \
    "$corpus/rashomon.txt" 2>/dev/null; rc=$?
  check "format $format: the PDF's page 2 has the grid and the text where the preview of sheet 2 has them" \
    '[ $rc -eq 0 ] && pdf_check grid "$home/preview.$format.png" "$home/rashomon.$format.plain.pdf" 2'
done

"$rix" --pdf "$home/pages.pdf" --print-format 1 --pages 2-3 "$corpus/rashomon.txt" >"$home/report" 2>/dev/null; rc=$?
check "--pages 2-3 writes two pages" '[ $rc -eq 0 ] && [ "$(pages_of "$home/pages.pdf")" = 2 ] && [ "$(value pages "$home/report")" = 2 ]'
"$rix" --pdf "$home/far.pdf" --pages 900-901 "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "a first page past the end fails with the message and writes nothing" \
  '[ $rc -eq 1 ] && grep -q "印刷開始頁が大き過ぎます" "$home/err" && [ ! -e "$home/far.pdf" ]'
"$rix" --pdf "$home/missing/x.pdf" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an output in a missing folder fails with a message" '[ $rc -eq 1 ] && [ -s "$home/err" ]'
: >"$home/afile"
"$rix" --pdf "$home/afile/x.pdf" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an output under a file fails with a message" '[ $rc -eq 1 ] && [ -s "$home/err" ]'

cp "$corpus/rashomon.txt" "$home/own.txt"
ln -s own.txt "$home/own.link"
sum=$(cksum <"$home/own.txt")
for target in own.txt own.link; do
  "$rix" --pdf "$home/$target" "$home/own.txt" >/dev/null 2>"$home/err"; rc=$?
  check "the open document as the output ($target) is refused, the document untouched" \
    '[ $rc -eq 1 ] && grep -q "上書き" "$home/err" && [ "$(cksum <"$home/own.txt")" = "$sum" ]'
done

# A write that fails half way (the file size limit; as root no mode bit
# refuses a write) leaves the PDF already there whole and no temporary.
mkdir "$home/keep"
"$rix" --pdf "$home/keep/x.pdf" "$corpus/rashomon.txt" >/dev/null 2>&1
sum=$(cksum <"$home/keep/x.pdf")
(trap '' XFSZ; ulimit -f 16; "$rix" --pdf "$home/keep/x.pdf" "$corpus/bocchan.txt" >/dev/null 2>"$home/err"); rc=$?
check "a write that fails keeps the PDF already there whole" \
  '[ $rc -eq 1 ] && [ -s "$home/err" ] && [ "$(cksum <"$home/keep/x.pdf")" = "$sum" ] && [ "$(ls "$home/keep")" = x.pdf ]'

# Numbers in the file never take the user's decimal comma.
comma=""
for l in $(locale -a 2>/dev/null); do
  [ "$(LC_ALL=$l locale decimal_point 2>/dev/null)" = "," ] && { comma=$l; break; }
done
if [ -n "$comma" ]; then
  LC_ALL=$comma "$rix" --pdf "$home/comma.pdf" --print-format 3 "$corpus/rashomon.txt" >/dev/null 2>&1
  check "under $comma the file is the same but for its dates" \
    'pdf_check dates "$home/rashomon.3.plain.pdf" "$home/comma.pdf"'
else
  echo "skipped: no installed locale has a decimal comma (locale -a)"
fi

# The outline: index lines ("§D title", D = level 0..2) read with --read-index.
"$python" - "$corpus/rashomon.txt" "$home/indexed.txt" <<'EOF'
import sys
lines = open(sys.argv[1], "rb").read().decode("cp932").split("\r\n")[:60]
marks = {0: "§0 第一部", 5: "§1 第一章", 10: "§2 門の下", 20: "§2 楼の上", 30: "§1 第二章", 40: "§0 第二部",
         45: "§2 下人の行方"}
out = []
for i, line in enumerate(lines):
    if i in marks:
        out.append(marks[i])
    out.append(line)
open(sys.argv[2], "wb").write("\r\n".join(out).encode("cp932"))
EOF
titles=(第一部 第一章 門の下 楼の上 第二章 第二部 下人の行方)
"$rix" --pdf "$home/outline.pdf" --outline --read-index "$home/indexed.txt" >"$home/report" 2>/dev/null; rc=$?
check "--outline: three levels of items, linked both ways, pages in order" \
  '[ $rc -eq 0 ] && [ "$(value outline_items "$home/report")" = 7 ] && pdf_check outline "$home/outline.pdf" 3 "${titles[@]}"'
"$rix" --pdf "$home/titled.pdf" --outline-title --read-index "$home/indexed.txt" >"$home/report" 2>/dev/null; rc=$?
check "--outline-title: one item named after the document above them all" \
  '[ $rc -eq 0 ] && [ "$(value outline_items "$home/report")" = 8 ] && pdf_check outline "$home/titled.pdf" 4 indexed "${titles[@]}"'
check "the outline files pass qpdf --check" 'qpdf --check "$home/outline.pdf" >/dev/null && qpdf --check "$home/titled.pdf" >/dev/null'
"$rix" --pdf "$home/bare.pdf" --outline "$home/indexed.txt" >"$home/report" 2>/dev/null; rc=$?
check "--outline without index entries: no /Outlines, no /PageMode" \
  '[ $rc -eq 0 ] && [ "$(value outline_items "$home/report")" = 0 ] && pdf_check outline "$home/bare.pdf" 0'

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
