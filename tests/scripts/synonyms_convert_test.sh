#!/usr/bin/env bash
# scripts/synonyms.py: the same input converts to the same bytes twice (the
# small test JSON and the sample), and a package tarball that does not match
# its pinned digests is refused in favour of the sample; the package too,
# where setup fetched it.
# Usage: synonyms_convert_test.sh SOURCE_DIR
set -u
src=$1
out=$(mktemp -d /tmp/rix-synconv-XXXXXX)
trap 'rm -rf "$out"' EXIT
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
convert() {
  python3 "$src/scripts/synonyms.py" convert --header "$src/aids/synonym_scramble.h" \
    --licence "$src/scripts/synonyms/LICENSE-Apache-2.0.txt" "$@" 2>"$out/stderr"
}
for input in tests/data/synonyms/small.json scripts/synonyms/sample.json; do
  convert --sample "$src/$input" --out "$out/a"
  convert --sample "$src/$input" --out "$out/b"
  check "$input converts to the same bytes twice" 'cmp -s "$out/a/rix_lib.syn" "$out/b/rix_lib.syn"'
  check "$input gives a dictionary" '[ -s "$out/a/rix_lib.syn" ]'
done
# The package, where setup fetched it.
package=$src/.cache/sudachi-synonyms-dictionary-18.0.0.tgz
if [ -f "$package" ]; then
  convert --sample "$src/scripts/synonyms/sample.json" --package "$package" --out "$out/p1"
  convert --sample "$src/scripts/synonyms/sample.json" --package "$package" --out "$out/p2"
  check "the package converts to the same bytes twice" 'cmp -s "$out/p1/rix_lib.syn" "$out/p2/rix_lib.syn"'
  check "the package gives the full dictionary" '[ "$(stat -c %s "$out/p1/rix_lib.syn")" -gt 1000000 ]'
  check "with the package's notice" 'grep -q "Works Applications" "$out/p1/rix_lib_NOTICE.txt"'
fi
# A tarball that is not the pinned one stands aside.
printf 'not the package' > "$out/fake.tgz"
convert --sample "$src/scripts/synonyms/sample.json" --package "$out/fake.tgz" --out "$out/c"
check "a tarball with other digests is not used" 'cmp -s "$out/a/rix_lib.syn" "$out/c/rix_lib.syn"'
check "and the refusal is told" 'grep -q "pinned digests" "$out/stderr"'
check "the stand-in's notice says so" 'grep -q "stand-in" "$out/c/rix_lib_NOTICE.txt"'
echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
