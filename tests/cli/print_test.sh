#!/usr/bin/env bash
# `rix --print`: corpus novels printed through the printing path into PDF
# files, read back as a reader would: the page count (pdfinfo) equals the
# sheets counted, the grid's rules stand where the geometry says (pdftoppm),
# and page 1 begins with the novel's opening (pdftotext). No output replaces
# the document, and a run cut short leaves the file already there whole.
# Usage: print_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
for tool in pdfinfo pdftoppm pdftotext python3; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (scripts/packages.txt: poppler-utils)"; exit 1; }
done
home=$(mktemp -d /tmp/rix-print-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
value() { sed -n "s/^$1=//p" "$2"; }
corpus=$(dirname "$0")/../data/corpus
here=$(dirname "$0")

for novel in rashomon yume_juya; do
  for format in 1 2 3; do
    out=$home/$novel.$format.pdf
    "$rix" --print "$out" --print-format "$format" "$corpus/$novel.txt" >"$home/report" 2>"$home/err"; rc=$?
    check "--print $novel in format $format exits 0" '[ $rc -eq 0 ] && [ -s "$out" ]'
    pages=$(pdfinfo "$out" 2>/dev/null | sed -n 's/^Pages: *//p')
    check "$novel format $format: the PDF has the sheets counted ($(value counted_sheets "$home/report"))" \
      '[ -n "$pages" ] && [ "$pages" = "$(value counted_sheets "$home/report")" ] && [ "$pages" = "$(value sheets "$home/report")" ]'
    check "$novel format $format: page 1 begins with the opening" \
      'python3 "$here/print_check.py" opening "$out" "$corpus/$novel.txt"'
    cp "$home/report" "$home/$novel.$format.report"
  done
done

check "format 1 (A4 landscape, 袋とじ) is A4 landscape" \
  'pdfinfo "$home/rashomon.1.pdf" | grep -Eq "Page size: *84[12](\.[0-9]+)? x 595"'
check "format 2's vertical rules stand where the geometry says" \
  'python3 "$here/print_check.py" rules "$home/rashomon.2.pdf" "$home/rashomon.2.report" vertical 20'
check "format 1's cell rules stand where the geometry says on both halves" \
  'python3 "$here/print_check.py" rules "$home/rashomon.1.pdf" "$home/rashomon.1.report" cells 20'

for format in 1 2; do
  "$rix" --preview-snapshot "$home/preview.$format.png" --print-format "$format" --sheet 2 --size 900x700 \
    "$corpus/rashomon.txt" 2>/dev/null; rc=$?
  check "the preview of sheet 2 in format $format equals the printed sheet scaled" \
    '[ $rc -eq 0 ] && python3 "$here/print_check.py" same "$home/preview.$format.png" "$home/rashomon.$format.pdf" 2'
done
"$rix" --preview-snapshot "$home/far.png" --sheet 999 "$corpus/rashomon.txt" 2>"$home/err"; rc=$?
check "a preview of a sheet past the end fails with the message" '[ $rc -ne 0 ] && grep -q "印刷開始頁が大き過ぎます" "$home/err"'

"$rix" --print "$home/pages.pdf" --print-format 1 --pages 2-3 "$corpus/rashomon.txt" >"$home/report" 2>/dev/null; rc=$?
check "--pages 2-3 prints two sheets" '[ $rc -eq 0 ] && pdfinfo "$home/pages.pdf" | grep -q "^Pages: *2$"'
check "--pages numbers the halves of sheet 2 as pages 3 and 4" \
  'pdftotext -f 1 -l 1 "$home/pages.pdf" - | tr -d " \n" | grep -q "３" && pdftotext -f 1 -l 1 "$home/pages.pdf" - | tr -d " \n" | grep -q "４"'
"$rix" --print "$home/far.pdf" --pages 900-901 "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "a first sheet past the end fails with the message and writes nothing" \
  '[ $rc -ne 0 ] && grep -q "印刷開始頁が大き過ぎます" "$home/err" && [ ! -e "$home/far.pdf" ]'
"$rix" --print "$home/none.pdf" --print-format 4 "$corpus/rashomon.txt" 2>/dev/null; rc=$?
check "--print-format takes 1..3 only" '[ $rc -eq 2 ]'
"$rix" --print "$home/nodoc.pdf" 2>/dev/null; rc=$?
check "--print needs a document" '[ $rc -eq 2 ]'
"$rix" --print "$home/missing/x.pdf" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an unwritable PDF is a failure with a message" '[ $rc -ne 0 ] && grep -q "印刷できませんでした" "$home/err"'

# No output replaces the document printed, under any of its names, nor its
# extension file.
cp "$corpus/rashomon.txt" "$home/own.txt"
chmod u+w "$home/own.txt"
printf 'extension' > "$home/own.rix"
ln -s own.txt "$home/own.link"
own_sum=$(cat "$home/own.txt" "$home/own.rix" | cksum)
for target in own.txt own.link own.rix; do
  "$rix" --print "$home/$target" "$home/own.txt" >/dev/null 2>"$home/err"; rc=$?
  check "--print over its own document ($target) is refused" \
    '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err" && [ "$(cat "$home/own.txt" "$home/own.rix" | cksum)" = "$own_sum" ]'
  "$rix" --preview-snapshot "$home/$target" "$home/own.txt" >/dev/null 2>"$home/err"; rc=$?
  check "--preview-snapshot over its own document ($target) is refused" \
    '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err" && [ "$(cat "$home/own.txt" "$home/own.rix" | cksum)" = "$own_sum" ]'
done

# A run cut short (the file size limit) leaves the PDF already there whole:
# killed by the signal, or told of the failed write and no temporary left.
mkdir "$home/keep"
cp "$home/rashomon.1.pdf" "$home/keep/x.pdf"
(ulimit -f 64; "$rix" --print "$home/keep/x.pdf" "$corpus/bocchan.txt" >/dev/null 2>&1)
check "a print killed half way keeps the PDF there" 'cmp -s "$home/rashomon.1.pdf" "$home/keep/x.pdf"'
rm -f "$home"/keep/.x.pdf.tmp-*
(trap '' XFSZ; ulimit -f 64; "$rix" --print "$home/keep/x.pdf" "$corpus/bocchan.txt" >/dev/null 2>"$home/err"); rc=$?
check "a print whose write fails is a failure and keeps the PDF there" \
  '[ $rc -eq 1 ] && grep -q "印刷できませんでした" "$home/err" && cmp -s "$home/rashomon.1.pdf" "$home/keep/x.pdf" && [ "$(ls -A "$home/keep")" = x.pdf ]'
cp "$home/preview.1.png" "$home/keep/p.png"
(trap '' XFSZ; ulimit -f 4; "$rix" --preview-snapshot "$home/keep/p.png" --print-format 1 --sheet 3 --size 900x700 \
  "$corpus/rashomon.txt" >/dev/null 2>"$home/err"); rc=$?
check "a preview whose write fails keeps the picture there" \
  '[ $rc -ne 0 ] && cmp -s "$home/preview.1.png" "$home/keep/p.png" && [ "$(ls -A "$home/keep")" = "p.png
x.pdf" ]'

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
