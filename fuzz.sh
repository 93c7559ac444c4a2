#!/bin/sh
# Builds the two fuzz targets (document loader, extension file reader) with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, and runs each
# for a bounded time on a copy of its seeds.
#   ./fuzz.sh [SECONDS]     (default 60 per target)
# Crashes and new inputs stay in $RIX_FUZZ_DIR (default /tmp/rix-fuzz).
set -eu
cd "$(dirname "$0")"
SECONDS_EACH=${1:-60}
OUT=${RIX_FUZZ_DIR:-/tmp/rix-fuzz}
CXX=${CXX_FUZZ:-clang++}
mkdir -p "$OUT"

# clang and its libFuzzer runtime, installed when missing (not needed by ./test.sh).
if ! command -v clang++ >/dev/null 2>&1 || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed'; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -q && $SUDO apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
fi

# The sources the targets need: the document layer and the platform pieces
# it calls (codec, messages, files); nothing that needs Qt or libcurl.
SOURCES="document/*.cpp platform/codec.cpp platform/messages.cpp platform/files.cpp"
FLAGS="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -I."

build() {   # build NAME SOURCE
    echo "building $1"
    # shellcheck disable=SC2086
    $CXX $FLAGS -o "$OUT/$1" "$2" $SOURCES
}

run() {     # run NAME SEED_FOLDER
    mkdir -p "$OUT/$1-corpus" "$OUT/$1-crashes"
    cp -n "$2"/* "$OUT/$1-corpus/" 2>/dev/null || true
    echo "running $1 for ${SECONDS_EACH}s"
    ASAN_OPTIONS=detect_leaks=0 "$OUT/$1" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=20 \
        -rss_limit_mb=4096 -malloc_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$OUT/$1-crashes/" "$OUT/$1-corpus" fuzz/seeds/"$(basename "$2")"
}

build loader_fuzz fuzz/loader_fuzz.cpp
build extension_file_fuzz fuzz/extension_file_fuzz.cpp
status=0
run loader_fuzz fuzz/seeds/loader || status=1
run extension_file_fuzz fuzz/seeds/extension_file || status=1
[ "$status" -eq 0 ] && echo "fuzz: no failure found" || echo "fuzz: failures in $OUT/*-crashes"
exit "$status"
