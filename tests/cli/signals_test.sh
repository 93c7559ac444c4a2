#!/usr/bin/env bash
# The window program's life when the world misbehaves, run as a user's
# session would run it: SIGTERM, SIGHUP, SIGINT (Ctrl+C) and SIGQUIT (Ctrl+\)
# end it in order (the typed text kept in the recovery file, the mark given
# back, also to a document renamed while open, the registry left clean);
# the mark of a killed editor is given back at the next start; a save
# removes the temporaries of saves that never finished.
# Usage: signals_test.sh PATH_TO_RIX
# The leak check is off: the executable runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
home=$(mktemp -d /tmp/rix-signals-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; chmod -R u+w "$home"; rm -rf "$home"' EXIT
export RIX_HOME=$home/data RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
utf8() { iconv -f CP932 -t UTF-8 < "$1" 2>/dev/null; }
mode() { stat -c %a "$1"; }
# Waits (at most 30 s) until the document carries the in-use mark.
wait_for_mark() {
  for _ in $(seq 150); do
    [ "$(mode "$1")" = 444 ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
registry_clean() { [ -z "$(ls "$RIX_RUNTIME_DIR" | grep -v -x lock)" ]; }

"$rix" --data-folder >/dev/null
mkdir -p "$home/docs"

for signal in TERM HUP INT QUIT; do
  doc=$home/docs/原稿$signal.txt
  sjis $'保存した文\r\n' > "$doc"; chmod 644 "$doc"
  RIX_TEST_TYPE="書きかけの文" "$rix" "$doc" 2>"$home/err-$signal.txt" &
  pid=$!
  check "SIG$signal: the editor holds the document" 'wait_for_mark "$doc"'
  kill -s "$signal" "$pid"
  wait "$pid"; rc=$?
  pid=
  number=$(kill -l "$signal")
  check "SIG$signal: the editor ends (status 128 + $number)" '[ $rc -eq $((128 + number)) ]'
  recovered=$home/docs/原稿$signal.recovered.txt
  check "SIG$signal: the typed text is in the recovery file" 'utf8 "$recovered" | grep -q "書きかけの文"'
  check "SIG$signal: the document is as it was saved" '[ "$(utf8 "$doc")" = "$(printf "保存した文\r\n")" ]'
  check "SIG$signal: the mark is given back" '[ "$(mode "$doc")" = 644 ]'
  check "SIG$signal: the registry is clean" 'registry_clean'
  check "SIG$signal: standard error names the recovery file" 'grep -q "recovered" "$home/err-$signal.txt"'
done

# A document renamed while it is open gets its mark back under its new name,
# at an ordered end and at the start after a killed editor.
doc=$home/docs/改名前.txt
sjis $'本文\r\n' > "$doc"; chmod 644 "$doc"
RIX_TEST_TYPE="追記" "$rix" "$doc" 2>/dev/null &
pid=$!
check "renamed while open: the editor holds the document" 'wait_for_mark "$doc"'
mv "$doc" "$home/docs/改名後.txt"
kill -TERM "$pid"; wait "$pid"
pid=
check "renamed while open: SIGTERM gives the mark back under the new name" '[ "$(mode "$home/docs/改名後.txt")" = 644 ]'
check "renamed while open: the registry is clean" 'registry_clean'
doc=$home/docs/改名後.txt
"$rix" "$doc" 2>/dev/null &
pid=$!
check "renamed and killed: the editor holds the document" 'wait_for_mark "$doc"'
kill -9 "$pid"; wait "$pid" 2>/dev/null
pid=
mv "$doc" "$home/docs/改名3.txt"
"$rix" --snapshot "$home/shot-renamed.png" "$home/docs/改名前.recovered.txt" 2>"$home/err-renamed.txt"
check "renamed and killed: the next start gives the mark back under the new name" '[ "$(mode "$home/docs/改名3.txt")" = 644 ]'
check "renamed and killed: and names it" 'grep -q "改名3" "$home/err-renamed.txt"'

# Opened again, the document with a recovery file asks about it; a signal
# while the question waits ends the editor in order all the same.
doc=$home/docs/原稿TERM.txt
recovered=$home/docs/原稿TERM.recovered.txt
"$rix" "$doc" 2>/dev/null &
pid=$!
check "a question waiting: the editor holds the document" 'wait_for_mark "$doc"'
sleep 1
kill -TERM "$pid"
wait "$pid"; rc=$?
pid=
check "a question waiting: SIGTERM ends the editor" '[ $rc -eq 143 ]'
check "a question waiting: the mark is given back" '[ "$(mode "$doc")" = 644 ]'
check "a question waiting: the registry is clean" 'registry_clean'
check "a question unanswered leaves the recovery file" 'utf8 "$recovered" | grep -q "書きかけの文"'

# An editor killed while it wrote a recovery file: an empty one is never
# offered at the next start.
doc=$home/docs/空.txt
sjis $'本文\r\n' > "$doc"; chmod 644 "$doc"
: > "$home/docs/空.recovered.txt"
"$rix" --snapshot "$home/shot-empty.png" "$doc" 2>"$home/err-empty.txt"
check "an empty recovery file is not offered" '! grep -q "復元した文章" "$home/err-empty.txt"'
check "and the document opens writable" '[ "$(mode "$doc")" = 644 ] && ! grep -q "読取専用" "$home/err-empty.txt"'

doc=$home/docs/killed.txt
sjis $'本文\r\n' > "$doc"
chmod 644 "$doc"
"$rix" "$doc" 2>/dev/null &
pid=$!
check "SIGKILL: the editor holds the document" 'wait_for_mark "$doc"'
kill -9 "$pid"; wait "$pid" 2>/dev/null
pid=
check "SIGKILL: the mark stays behind" '[ "$(mode "$doc")" = 444 ]'
"$rix" --snapshot "$home/shot.png" "$doc" 2>"$home/err-kill.txt"
check "the next start gives the mark back" '[ "$(mode "$doc")" = 644 ]'
check "the next start says so" 'grep -q "使用中の印が残っています" "$home/err-kill.txt"'
check "the next start opened the document writable (no read-only notice)" '! grep -q "読取専用" "$home/err-kill.txt"'
"$rix" --snapshot "$home/shot2.png" "$doc" 2>"$home/err-kill2.txt"
check "and says it once" '! grep -q "使用中の印" "$home/err-kill2.txt"'

sleep 30 & live=$!
( exit 0 ) & dead=$!; wait "$dead"
touch -d '2 hours ago' "$home/docs/.rix-save-$dead-t-Ab12Cd" "$home/docs/.rix-save-$dead-e-Ab12Cd" "$home/docs/.rix-save-$live-t-Ab12Cd"
"$rix" --save-as "$home/docs/copy.txt" "$doc" 2>/dev/null
check "a save removes the temporaries of ended saves" '[ ! -e "$home/docs/.rix-save-$dead-t-Ab12Cd" ] && [ ! -e "$home/docs/.rix-save-$dead-e-Ab12Cd" ]'
check "and keeps those of a live process" '[ -e "$home/docs/.rix-save-$live-t-Ab12Cd" ]'
check "and leaves none of its own" '[ -z "$(ls -A "$home/docs" | grep "^\.rix-save-" | grep -v "$live")" ]'
kill "$live"

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
