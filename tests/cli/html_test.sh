#!/usr/bin/env bash
# `rix --html`: the static page of corpus novels (rubies read from their
# notation) in a vertical and a horizontal screen format, parsed by
# libxml2's HTML parser without an error, the text against the novel's, and,
# where chromium is installed, a screenshot of the vertical page whose ink
# stands in columns read from right to left; refusals and failures that
# must leave files whole; numbers free of the locale.
# Usage: html_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
for tool in xmllint python3; do
  command -v "$tool" >/dev/null ||
    { echo "FAILED: $tool is missing (scripts/packages.txt: libxml2-utils, python3)"; exit 1; }
done
home=$(mktemp -d /tmp/rix-html-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
corpus=$(dirname "$0")/../data/corpus
here=$(dirname "$0")
python=$(python3 -c 'import sys; print(sys.executable)')
html_check() { "$python" "$here/html_check.py" "$@"; }
# libxml2's HTML parser: no error and no warning, but for the ruby
# elements, which its HTML 4 element table (libxml2 2.9) does not know.
parses() {
  xmllint --html --noout "$1" >"$home/xmllint" 2>&1 || { head -5 "$home/xmllint"; return 1; }
  ! grep ': HTML parser \|: parser ' "$home/xmllint" | grep -v ': HTML parser error : Tag \(ruby\|rb\|rp\|rt\) invalid$' |
    head -5 | grep .
}
value() { tr ' ' '\n' <"$2" | sed -n "s/^$1=//p"; }

# Screen formats 1 and 2 write vertically, 3 and 4 horizontally.
for novel in rashomon yume_juya bocchan; do
  for format in 1 3; do
    name=$novel.$format
    "$rix" --html "$home/$name.htm" --format "$format" --read-rubies "$corpus/$novel.txt" >"$home/$name.report" 2>"$home/err"; rc=$?
    check "$name: --html exits 0, bytes= is the page's size, rubies written" \
      '[ $rc -eq 0 ] && [ "$(value bytes "$home/$name.report")" = "$(stat -c %s "$home/$name.htm")" ] && [ "$(value rubies "$home/$name.report")" -gt 0 ]'
    check "$name: libxml2's HTML parser finds no error" 'parses "$home/$name.htm"'
    check "$name: LF line ends, Shift_JIS declared, the novel's text line by line" \
      'html_check page "$home/$name.htm" "$corpus/$novel.txt"'
  done
  check "$novel: the vertical page has the vertical style, the horizontal one not" \
    'grep -q "writing-mode: tb-rl" "$home/$novel.1.htm" && ! grep -q "writing-mode\|direction: rtl" "$home/$novel.3.htm"'
done

# A document of markup characters and a tag-like text: escaped, still parsed.
printf 'a < b && c > d <script>x</script>\r\n\x81\x40<b>"q"</b>\r\n' >"$home/markup.txt"
"$rix" --html "$home/markup.htm" "$home/markup.txt" >/dev/null 2>"$home/err"; rc=$?
check "markup: escaped, parsed without error" \
  '[ $rc -eq 0 ] && parses "$home/markup.htm" && grep -q "a &lt; b &amp;&amp; c &gt; d &lt;script&gt;" "$home/markup.htm" && ! grep -q "<script>" "$home/markup.htm"'

# The screenshot: right-to-left columns, the first line (羅生門) at the right.
if command -v chromium >/dev/null; then
  shot=$home/rashomon.png
  timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$home/chromium" \
    --screenshot="$shot" --window-size=1000,700 "file://$home/rashomon.1.htm" >"$home/chromium.log" 2>&1
  check "rashomon: chromium's screenshot shows right-to-left columns" \
    '[ -s "$shot" ] && html_check columns "$shot"'
  [ -n "${RIX_KEEP_SHOT:-}" ] && cp "$shot" "$RIX_KEEP_SHOT"
else
  echo "skipped: chromium is not installed (scripts/packages.txt: chromium)"
fi

# Refusals and failures.
cp "$corpus/rashomon.txt" "$home/own.txt"
ln -s own.txt "$home/own.link"
sum=$(cksum <"$home/own.txt")
for target in own.txt own.link; do
  "$rix" --html "$home/$target" "$home/own.txt" >/dev/null 2>"$home/err"; rc=$?
  check "the open document as the output ($target) is refused, the document untouched" \
    '[ $rc -eq 1 ] && grep -q "上書き" "$home/err" && [ "$(cksum <"$home/own.txt")" = "$sum" ]'
done
"$rix" --html "$home/missing/x.htm" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "an output in a missing folder fails with a message" '[ $rc -eq 1 ] && grep -q "書き出せません" "$home/err"'
"$rix" --html "$home/x.htm" --format 6 "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "--format outside 1..5 is a usage error" '[ $rc -eq 2 ] && [ ! -e "$home/x.htm" ]'
"$rix" --html "$home/x.htm" >/dev/null 2>"$home/err"; rc=$?
check "--html without a document is a usage error" '[ $rc -eq 2 ]'
"$rix" --html "$home/x.htm" --epub "$home/x.epub" "$corpus/rashomon.txt" >/dev/null 2>"$home/err"; rc=$?
check "--html with another writer is a usage error" '[ $rc -eq 2 ] && [ ! -e "$home/x.htm" ]'

# A write that fails half way (the file size limit; as root no mode bit
# refuses a write) leaves the page already there whole and no temporary.
mkdir "$home/keep"
cp "$home/rashomon.1.htm" "$home/keep/x.htm"
sum=$(cksum <"$home/keep/x.htm")
(trap '' XFSZ; ulimit -f 16; "$rix" --html "$home/keep/x.htm" "$corpus/bocchan.txt" >/dev/null 2>"$home/err"); rc=$?
check "a write that fails keeps the page already there whole" \
  '[ $rc -eq 1 ] && [ -s "$home/err" ] && [ "$(cksum <"$home/keep/x.htm")" = "$sum" ] && [ "$(ls "$home/keep")" = x.htm ]'

# Numbers in the style sheet never take the user's decimal comma.
comma=""
for l in $(locale -a 2>/dev/null); do
  [ "$(LC_ALL=$l locale decimal_point 2>/dev/null)" = "," ] && { comma=$l; break; }
done
if [ -n "$comma" ]; then
  LC_ALL=$comma "$rix" --html "$home/comma.htm" --format 1 --read-rubies "$corpus/rashomon.txt" >/dev/null 2>&1
  check "under $comma the page is the same" 'cmp -s "$home/comma.htm" "$home/rashomon.1.htm"'
else
  echo "skipped: no installed locale has a decimal comma (locale -a)"
fi

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
