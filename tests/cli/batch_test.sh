#!/usr/bin/env bash
# The batch options of the rix executable, run as a user would run them.
# Usage: batch_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
home=$(mktemp -d /tmp/rix-cli-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

check "--version names the program" '"$rix" --version | grep -q "7.11"'
folder=$("$rix" --data-folder)
check "--data-folder prints RIX_HOME" '[ "$folder" = "$RIX_HOME" ]'
check "first start installs the settings" '[ "$(stat -c %s "$RIX_HOME/rix.env")" = 4096 ]'
check "first start installs the sample" '[ -s "$RIX_HOME/サンプル.txt" ]'
check "first start installs the help" '[ -s "$RIX_HOME/help/HLP_BEGIN.htm" ]'
check "the sample comes with its extension file of the same time" '[ -s "$RIX_HOME/サンプル.rix" ] && [ "$(stat -c %Y "$RIX_HOME/サンプル.rix")" = "$(stat -c %Y "$RIX_HOME/サンプル.txt")" ]'
check "the sample's text carries no ruby notation" '! iconv -f CP932 -t UTF-8 "$RIX_HOME/サンプル.txt" | grep -q "《"'
sample=$("$rix" --info "$RIX_HOME/サンプル.txt")
check "the sample shows rubies without the reading options" 'echo "$sample" | grep -qx "rubies=8"'
check "the sample has one index entry" 'echo "$sample" | grep -qx "index_entries=1"'

sum_before=$(md5sum < "$RIX_HOME/rix.env")
ext_before=$(md5sum < "$RIX_HOME/サンプル.rix")
mode_before=$(stat -c %a "$RIX_HOME/サンプル.txt")
"$rix" --snapshot "$home/shot.png" --size 900x600 "$RIX_HOME/サンプル.txt" 2>"$home/err.txt"; rc=$?
check "--snapshot exits 0" '[ $rc -eq 0 ]'
check "--snapshot writes a PNG" '[ "$(head -c 8 "$home/shot.png" | od -An -tx1 | tr -d " ")" = 89504e470d0a1a0a ]'
check "the snapshot has the asked size" 'python3 -c "import struct,sys; d=open(sys.argv[1],\"rb\").read(24); w,h=struct.unpack(\">II\", d[16:24]); sys.exit(0 if (w,h)==(900,600) else 1)" "$home/shot.png"'
check "the document's mode is given back" '[ "$(stat -c %a "$RIX_HOME/サンプル.txt")" = "$mode_before" ]'
check "a snapshot never writes the settings" '[ "$(md5sum < "$RIX_HOME/rix.env")" = "$sum_before" ]'
check "a snapshot leaves the sample's extension file alone" '[ "$(md5sum < "$RIX_HOME/サンプル.rix")" = "$ext_before" ]'

mkdir -p "$home/docs"
(cd "$home/docs" && "$rix" --snapshot "$home/new.png" 2>/dev/null)
check "a new document is made and removed again" '[ -s "$home/new.png" ] && [ -z "$(ls "$home/docs")" ]'

"$rix" --snapshot "$home/x.png" "$home/none/missing.txt" 2>"$home/err2.txt"; rc=$?
check "a document in a missing folder ends with a message" '[ $rc -ne 0 ] && grep -q "フォルダが存在しません" "$home/err2.txt"'

corpus=$(dirname "$0")/../data/corpus
info=$("$rix" --info --read-rubies "$corpus/rashomon.txt")
check "--info counts the lines of a novel" 'echo "$info" | grep -qx "lines=70"'
check "--info counts its rubies when reading them" 'echo "$info" | grep -qx "rubies=132"'
check "--info without reading keeps the notation as text" '"$rix" --info "$corpus/rashomon.txt" | grep -qx "rubies=0"'
check "--info leaves the file's mode alone" '[ "$(stat -c %a "$corpus/rashomon.txt")" = 444 ] || [ -w "$corpus/rashomon.txt" ]'
printf 'a\0b' > "$home/binary.txt"
"$rix" --info "$home/binary.txt" >/dev/null 2>"$home/err3.txt"; rc=$?
check "--info refuses a file with NUL bytes" '[ $rc -ne 0 ] && grep -q "非文書ファイルです" "$home/err3.txt"'

# --save-as and --write-out on copies of the corpus.
mkdir -p "$home/copies"
for novel in bocchan yume_juya rashomon; do
  cp "$corpus/$novel.txt" "$home/copies/$novel.txt"; chmod u+w "$home/copies/$novel.txt"
  "$rix" --save-as "$home/copies/$novel.saved.txt" "$home/copies/$novel.txt" 2>/dev/null; rc=$?
  check "--save-as $novel gives the same bytes and the end mark" '[ $rc -eq 0 ] && cmp -s <(cat "$corpus/$novel.txt"; printf "\x1a") "$home/copies/$novel.saved.txt"'
  check "--save-as $novel leaves no extension file and no mark" '[ ! -e "$home/copies/$novel.saved.rix" ] && [ -w "$home/copies/$novel.saved.txt" ] && [ -w "$home/copies/$novel.txt" ]'
  "$rix" --save-as "$home/copies/$novel.rubies.txt" --read-rubies "$home/copies/$novel.txt" 2>/dev/null
  "$rix" --write-out "$home/copies/$novel.out.txt" --rubies --read-rubies "$home/copies/$novel.rubies.txt" 2>/dev/null; rc=$?
  a=$("$rix" --info --read-rubies "$home/copies/$novel.txt")
  b=$("$rix" --info --read-rubies "$home/copies/$novel.out.txt")
  c=$("$rix" --info "$home/copies/$novel.rubies.txt")
  check "--write-out --rubies $novel reads back to the same counts" '[ $rc -eq 0 ] && [ "$a" = "$b" ] && [ "$a" = "$c" ]'
done
check "the rubies went into the extension file" '[ -s "$home/copies/rashomon.rubies.rix" ]'
"$rix" --write-out "$home/copies/plain.txt" "$home/copies/rashomon.rubies.txt" 2>/dev/null
check "--write-out without --rubies leaves the rubies out" '"$rix" --info --read-rubies "$home/copies/plain.txt" | grep -qx "rubies=0"'

# UTF-8 manuscripts: the novels in UTF-8 (CR LF and LF) count as their
# originals and save back byte for byte; --encoding converts both ways.
for novel in bocchan yume_juya rashomon; do
  "$rix" --save-as "$home/copies/$novel.crlf.txt" --encoding utf8 "$home/copies/$novel.txt" 2>/dev/null
  check "--encoding utf8 $novel writes what iconv writes" 'iconv -f CP932 -t UTF-8 "$corpus/$novel.txt" | cmp -s - "$home/copies/$novel.crlf.txt"'
  tr -d '\r' < "$home/copies/$novel.crlf.txt" > "$home/copies/$novel.lf.txt"
  a=$("$rix" --info --read-rubies "$corpus/$novel.txt" | grep -v '^encoding=')
  for form in crlf lf; do
    b=$("$rix" --info --read-rubies "$home/copies/$novel.$form.txt" | grep -v '^encoding=')
    check "$novel in UTF-8 ($form) counts as its original" '[ "$a" = "$b" ] && "$rix" --info "$home/copies/$novel.$form.txt" | grep -qx encoding=utf8'
    "$rix" --save-as "$home/copies/$novel.$form.back.txt" "$home/copies/$novel.$form.txt" 2>/dev/null
    check "$novel in UTF-8 ($form) saves back byte for byte" 'cmp -s "$home/copies/$novel.$form.txt" "$home/copies/$novel.$form.back.txt"'
  done
  "$rix" --save-as "$home/copies/$novel.sjis.txt" --encoding sjis "$home/copies/$novel.crlf.txt" 2>/dev/null
  check "--encoding sjis gives $novel back with the end mark" 'cmp -s <(cat "$corpus/$novel.txt"; printf "\x1a") "$home/copies/$novel.sjis.txt"'
done
printf 'ab𠮷c①\n🍣\n' > "$home/lost.txt"
lost=$("$rix" --info "$home/lost.txt" 2>"$home/err5.txt")
check "--info counts the characters Shift_JIS cannot hold" 'echo "$lost" | grep -qx "unmappable=2" && echo "$lost" | grep -qx "first_unmappable=1:3 U+20BB7 𠮷"'
check "the writer is told of them" 'grep -q "表せない文字が2字" "$home/err5.txt"'
"$rix" --save-as "$home/lost.txt" "$home/lost.txt" 2>"$home/err6.txt"; rc=$?
check "a document that lost characters is not saved over its file" '[ $rc -ne 0 ] && [ "$(cat "$home/lost.txt")" = "$(printf "ab𠮷c①\n🍣")" ] && grep -q "上書き保存はしません" "$home/err6.txt"'
"$rix" --save-as "$home/lost.copy.txt" "$home/lost.txt" 2>/dev/null
check "under a new name it is saved with 〓" '[ "$(cat "$home/lost.copy.txt")" = "$(printf "ab〓c①\n〓")" ]'
printf '\xEF\xBB\xBF漢字\r\nかな' > "$home/bom.txt"
"$rix" --save-as "$home/bom.back.txt" "$home/bom.txt" 2>/dev/null
check "a byte-order mark is kept" 'cmp -s "$home/bom.txt" "$home/bom.back.txt"'
printf 'abc\ndef\n' > "$home/ascii.txt"
check "a pure ASCII file is Shift_JIS and unchanged" '"$rix" --info "$home/ascii.txt" | grep -qx encoding=sjis && "$rix" --info "$home/ascii.txt" | grep -qx converted=0'
printf '吾輩は猫' | head -c 11 > "$home/cut.txt"
"$rix" --info "$home/cut.txt" > "$home/cut.info" 2>"$home/err7.txt"
check "a file cut inside a UTF-8 sequence is reported as not UTF-8" 'grep -qx encoding=sjis "$home/cut.info" && grep -q "UTF-8として正しくないバイト列" "$home/err7.txt"'
printf 'a\r\nb\nc\xfd\x1a' > "$home/odd.txt"
odd=$("$rix" --info "$home/odd.txt" 2>"$home/err8.txt")
check "--info reports what loading converted" 'echo "$odd" | grep -qx "converted=2" && echo "$odd" | grep -q "^first_converted=2:2 " && grep -q "2バイトを変換しました" "$home/err8.txt"'
"$rix" --save-as "$home/x.txt" 2>/dev/null; rc=$?
check "--save-as needs a document" '[ $rc -eq 2 ]'

check "--help prints the usage and exits 0" '"$rix" --help | grep -q -- "--write-out"'
"$rix" --bogus 2>/dev/null; rc=$?
check "an unknown option is refused" '[ $rc -eq 2 ]'

# No batch output replaces its own document or the document's extension file.
cp "$home/copies/rashomon.rubies.txt" "$home/copies/own.txt"
cp "$home/copies/rashomon.rubies.rix" "$home/copies/own.rix"
touch -r "$home/copies/own.txt" "$home/copies/own.rix"
ln -s own.txt "$home/copies/own.link"
own_sum=$(cat "$home/copies/own.txt" "$home/copies/own.rix" | md5sum)
for target in own.txt own.link own.rix; do
  "$rix" --write-out "$home/copies/$target" "$home/copies/own.txt" >/dev/null 2>"$home/err9.txt"; rc=$?
  check "--write-out over its own document ($target) is refused" \
    '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err9.txt" && [ "$(cat "$home/copies/own.txt" "$home/copies/own.rix" | md5sum)" = "$own_sum" ]'
  "$rix" --snapshot "$home/copies/$target" "$home/copies/own.txt" >/dev/null 2>"$home/err9.txt"; rc=$?
  check "--snapshot over its own document ($target) is refused" \
    '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err9.txt" && [ "$(cat "$home/copies/own.txt" "$home/copies/own.rix" | md5sum)" = "$own_sum" ]'
done
"$rix" --save-as "$home/copies/own.rix" "$home/copies/own.txt" >/dev/null 2>"$home/err9.txt"; rc=$?
check "--save-as over its own extension file is refused" \
  '[ $rc -eq 1 ] && grep -q "上書きすることはできません" "$home/err9.txt" && [ "$(cat "$home/copies/own.txt" "$home/copies/own.rix" | md5sum)" = "$own_sum" ]'
"$rix" --save-as "$home/copies/own.txt" --read-rubies "$home/copies/own.txt" >/dev/null 2>&1; rc=$?
check "--save-as under its own name is still a save" \
  '[ $rc -eq 0 ] && "$rix" --info "$home/copies/own.txt" | grep -qx "rubies=132"'
check "the document is given back writable" '[ -w "$home/copies/own.txt" ]'

# Paths that are not documents get an answer instead of a wait (timeout
# only bounds a fault), and nothing is made in their place.
mkdir -p "$home/odd"
mkfifo "$home/odd/pipe.txt"
ln -s loop.txt "$home/odd/loop.txt"
for odd in pipe loop; do
  for form in "--info" "--snapshot $home/odd/s.png" "--save-as $home/odd/c.txt" "--write-out $home/odd/w.txt"; do
    timeout 10 "$rix" $form "$home/odd/$odd.txt" >/dev/null 2>"$home/odd/err.txt"; rc=$?
    check "$form on a $odd ends with a message" '[ $rc -ne 0 ] && [ $rc -ne 124 ] && grep -q "文書ファイルを開けません" "$home/odd/err.txt"'
  done
done
check "nothing was made beside them" '[ "$(ls "$home/odd" | sort | tr "\n" " ")" = "err.txt loop.txt pipe.txt " ]'

# An extension file one byte short: the rubies before the damage are read,
# the writer is told on one line, and the file is left as it is.
cp "$home/copies/rashomon.rubies.txt" "$home/copies/damaged.txt"
head -c -1 "$home/copies/rashomon.rubies.rix" > "$home/copies/damaged.rix"
touch -r "$home/copies/damaged.txt" "$home/copies/damaged.rix"
damaged_sum=$(md5sum < "$home/copies/damaged.rix")
info=$("$rix" --info "$home/copies/damaged.txt" 2>"$home/copies/err.txt")
check "--info reads the rubies before the damage" 'echo "$info" | grep -qx "rubies=131"'
check "--info tells of the damage on one line" '[ "$(grep -c "拡張ファイルが壊れています" "$home/copies/err.txt")" = 1 ] && [ "$(wc -l < "$home/copies/err.txt")" = 1 ]'
check "--info leaves the damaged file alone" '[ "$(md5sum < "$home/copies/damaged.rix")" = "$damaged_sum" ]'

# rix answers --version, --data-folder and --info itself, without the window
# program's libraries; everything else is the window program's.
check "rix loads neither Qt nor the network library" '! ldd "$rix" | grep -q -e libQt -e libcurl'
mkdir -p "$home/alone"
cp "$rix" "$home/alone/rix"
check "--info needs no window program" '"$home/alone/rix" --info "$corpus/rashomon.txt" | grep -qx "lines=70"'
"$home/alone/rix" --snapshot "$home/y.png" "$RIX_HOME/サンプル.txt" 2>"$home/err4.txt"; rc=$?
check "a missing window program is reported" '[ $rc -eq 1 ] && grep -q "cannot start" "$home/err4.txt"'

# Guide boxes (編集情報 小, position and capacity) in every screen format: the
# snapshot shows their grey at the left edge, where the title-bar mode shows paper.
cp -r "$RIX_HOME" "$home/guides"
python3 - "$home/guides/rix.env" <<'PY'
import sys
b = bytearray(open(sys.argv[1], "rb").read())
for f in range(5):
    b[0x3f8 + f] = 1   # edit_info_place: small boxes
    b[0x6fd + f] = 2   # edit_info_content: both
open(sys.argv[1], "wb").write(b)
PY
pixel="$(dirname "$0")/png_pixel.py"
RIX_HOME=$home/guides "$rix" --snapshot "$home/guides.png" --size 900x600 "$home/guides/サンプル.txt" 2>/dev/null
check "the snapshot shows the guide boxes" '[ "$(python3 "$pixel" "$home/guides.png" 5 150)" = F0F0F0 ]'
check "without them the left edge is the page" '[ "$(python3 "$pixel" "$home/shot.png" 5 150)" != F0F0F0 ]'

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
