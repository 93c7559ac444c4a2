#!/usr/bin/env bash
# Encrypted documents in the batch forms: --info, --pdf and --save-as all find
# the key file in the same place (the key folder of the settings, else the data
# folder), refuse a document no key file opens, and --save-as writes it
# enciphered again with nothing plain beside it.
# Usage: crypt_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
home=$(mktemp -d /tmp/rix-crypt-XXXXXX)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
corpus=$(dirname "$0")/../data/corpus
# The document cipher (RC4 keyed with the MD5 of the key text), to make and
# read test files without the program.
cipher() {
  python3 - "$@" <<'PY'
import hashlib, sys
key, src, dst = sys.argv[1].encode("cp932"), sys.argv[2], sys.argv[3]
k = hashlib.md5(key).digest()
S = list(range(256)); j = 0
for i in range(256):
    j = (j + S[i] + k[i % 16]) % 256; S[i], S[j] = S[j], S[i]
data = bytearray(open(src, "rb").read()); i = j = 0
for n in range(len(data)):
    i = (i + 1) % 256; j = (j + S[i]) % 256; S[i], S[j] = S[j], S[i]
    data[n] ^= S[(S[i] + S[j]) % 256]
open(dst, "wb").write(bytes(data))
PY
}

"$rix" --data-folder >/dev/null
mkdir -p "$home/docs"
plain=$home/plain.txt
{ cat "$corpus/rashomon.txt"; printf '\x1a'; } > "$plain"
cipher 鍵 "$plain" "$home/docs/羅生門.txt"
# The extension file: the 128-byte header alone, byte 39 marking the text encrypted.
python3 -c 'import sys; h = bytearray(128); h[0:5] = b"RIX45"; h[5:8] = b"txt"; h[39] = 1; open(sys.argv[1], "wb").write(bytes(h))' "$home/docs/羅生門.rix"

"$rix" --info "$home/docs/羅生門.txt" >"$home/out.txt" 2>"$home/err.txt"; rc=$?
check "--info refuses an encrypted document without its key file" '[ $rc -ne 0 ] && grep -q "暗号キーのファイルで復号化出来ない" "$home/err.txt"'

printf '%s' 違う鍵 | iconv -f UTF-8 -t CP932 > "$RIX_HOME/羅生門.key"
"$rix" --info "$home/docs/羅生門.txt" >"$home/out.txt" 2>"$home/err.txt"; rc=$?
check "--info refuses a wrong key" '[ $rc -ne 0 ] && ! grep -q "^lines=" "$home/out.txt"'

printf '%s' 鍵 | iconv -f UTF-8 -t CP932 > "$RIX_HOME/羅生門.key"
"$rix" --info "$home/docs/羅生門.txt" >"$home/out.txt" 2>"$home/err.txt"; rc=$?
check "--info reads it with the key file of the data folder" '[ $rc -eq 0 ] && grep -qx "lines=70" "$home/out.txt"'
"$rix" --pdf "$home/r.pdf" "$home/docs/羅生門.txt" >/dev/null 2>"$home/err.txt"; rc=$?
check "--pdf reads it with the same key file" '[ $rc -eq 0 ] && [ -s "$home/r.pdf" ]'
"$rix" --save-as "$home/docs/写し.txt" "$home/docs/羅生門.txt" 2>"$home/err.txt"; rc=$?
check "--save-as reads it with the same key file" '[ $rc -eq 0 ] && [ -s "$home/docs/写し.txt" ]'
cipher 鍵 "$home/docs/写し.txt" "$home/back.txt"
check "--save-as writes it enciphered with the same key" 'cmp -s "$plain" "$home/back.txt" && ! cmp -s "$plain" "$home/docs/写し.txt"'
needle=$(sed -n 20p "$corpus/rashomon.txt" | head -c 20)
check "nothing plain is left beside it" '[ -n "$needle" ] && ! LC_ALL=C grep -rlqF "$needle" "$home/docs"'

echo "passed: $passes, failed: $fails"
[ "$fails" -eq 0 ]
