#!/bin/sh
# Benchmarks of the release build (build-release/: -O2, no sanitizers), the
# same libraries the editor runs. Each benchmark times its reference in the
# same run and prints ratios; the closing table shows each figure, its aim
# (the largest ratio that holds) and whether it holds.
#   ./bench.sh            (RIX_CORPUS_DIR: the novels; default tests/data/corpus)
# The exit status is 1 when an aim does not hold or a benchmark fails.
set -eu
cd "$(dirname "$0")"
top=$(pwd)
CORPUS=${RIX_CORPUS_DIR:-tests/data/corpus}
OUT=${RIX_BENCH_DIR:-/tmp/rix-bench}
BUILD=${RIX_RELEASE_BUILD_DIR:-$top/build-release}
mkdir -p "$OUT"
RESULTS="$OUT/results.txt"
: > "$RESULTS"
failed=0

./scripts/setup.sh
./scripts/build.sh release --target rix rix_window rix_load_bench rix_start_bench rix_render_bench \
    rix_relayout_bench rix_search_bench rix_pdf_bench rix_epub_bench rix_guides_bench \
    rix_content_print_bench

# A ~2 MB document: the corpus novels, repeated.
DOC="$OUT/novels.txt"
: > "$DOC"
while [ "$(stat -c %s "$DOC")" -lt 2000000 ]; do
    cat "$CORPUS"/*.txt >> "$DOC"
done

# run NAME FIGURES ARGS...: runs a benchmark, its figures to the table, the
# rest to the screen; a benchmark that gives fewer or more figures than it
# promises (one that died early) fails the run.
run() {
    name=$1
    promised=$2
    shift 2
    echo
    echo "== $name"
    if ! "$@" > "$OUT/$name.log" 2>&1; then
        echo "$name failed" >&2
        failed=1
    fi
    grep -v '^result	' "$OUT/$name.log" || true
    given=$(grep -c '^result	' "$OUT/$name.log" || true)
    if [ "$given" -ne "$promised" ]; then
        echo "$name gave $given of its $promised figures" >&2
        failed=1
    fi
    grep '^result	' "$OUT/$name.log" >> "$RESULTS" || true
}

# Loading the ~2 MB document with rubies on and recounting its display lines,
# against iconv of the same file; the memory the loaded document takes; the
# same document in UTF-8 loaded against the Shift_JIS one.
run load 4 "$BUILD/bench/rix_load_bench" "$DOC" "$OUT/novels.utf8.txt"
# The whole process of rix --info against the whole process of iconv.
run start 1 env RIX_HOME="$OUT/home" "$BUILD/bench/rix_start_bench" "$BUILD/rix" "$DOC"
# A full vertical 40 × 20 screen laid out and drawn on the image surface,
# against QPainter drawing the same characters as one horizontal string.
run render 1 env QT_QPA_PLATFORM=offscreen "$BUILD/bench/rix_render_bench" "$CORPUS/rashomon.txt"
# A keystroke's redraw and a typed character in the ~2 MB document against its
# first 20 KB: the cost must not grow with the document.
run relayout 2 env QT_QPA_PLATFORM=offscreen "$BUILD/bench/rix_relayout_bench" "$DOC"
# The capacity count of the ~2 MB document against loading it; a typed
# character with the guide boxes and the position bar against the title bar alone.
run guides 2 env QT_QPA_PLATFORM=offscreen RIX_HOME="$OUT/home" "$BUILD/bench/rix_guides_bench" "$DOC"
# A search for an absent string through the ~2 MB document against memmem.
run search 1 "$BUILD/bench/rix_search_bench" "$DOC"
# The PDF of the ~2 MB document (print format 1, compressed) against loading
# it: rix --pdf as a whole process against rix --info.
run pdf 1 env RIX_HOME="$OUT/home" QT_QPA_PLATFORM=offscreen "$BUILD/bench/rix_pdf_bench" "$BUILD/rix" "$DOC" \
    "$OUT/novels.pdf"
# The EPUB of the ~2 MB document (print format 1) against loading it:
# rix --epub as a whole process against rix --info.
run epub 1 env RIX_HOME="$OUT/home" QT_QPA_PLATFORM=offscreen "$BUILD/bench/rix_epub_bench" "$BUILD/rix" "$DOC" \
    "$OUT/novels.epub"

# The ~2 MB document as one database record's content: every page laid out
# and drawn against laying the text out in the box once; the page before the
# last drawn against the first.
run content_print 2 "$BUILD/bench/rix_content_print_bench" "$DOC"

echo
awk -F '\t' '
    BEGIN { printf "%-42s %8s %8s  %s\n", "figure", "value", "aim", "holds"; bad = 0 }
    {
        holds = ($3 + 0 <= $4 + 0) ? "yes" : "no"
        if (holds == "no") bad = 1
        printf "%-42s %8.2f %8s  %s\n", $2, $3, "<= " $4, holds
    }
    END { exit bad }' "$RESULTS" || failed=1
exit "$failed"
