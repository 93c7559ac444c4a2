#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with CMake (RIX_FUZZ=ON: clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, from the same layer
# libraries as the program) in their own build folder, and runs each for a
# bounded time on a copy of its seeds.
#   ./fuzz.sh [SECONDS] [TARGET...]   (default 60 seconds, every target)
# RIX_FUZZ_BUILD_DIR  the build folder (default build-fuzz)
# RIX_FUZZ_JOBS       parallel compile jobs (default 1)
# RIX_FUZZ_PARALLEL   targets run at once (default: the number of cores)
# RIX_FUZZ_DIR        crashes, grown corpora and logs (default /tmp/rix-fuzz)
# Ends with one line per target: runs, coverage, executions per second.
set -eu
cd "$(dirname "$0")"
top=$(pwd)
SECONDS_EACH=${1:-60}
[ $# -gt 0 ] && shift
OUT=${RIX_FUZZ_DIR:-/tmp/rix-fuzz}
BUILD=${RIX_FUZZ_BUILD_DIR:-$top/build-fuzz}
JOBS=${RIX_FUZZ_JOBS:-1}
mkdir -p "$OUT"

# clang and its libFuzzer runtime, installed when missing (not needed by ./test.sh).
if ! command -v clang++ >/dev/null 2>&1 || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed'; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -q && $SUDO apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
fi

if [ ! -f "$BUILD/build.ninja" ]; then
    launcher=""
    if command -v ccache >/dev/null 2>&1; then
        launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    fi
    # shellcheck disable=SC2086
    CC=clang CXX=clang++ cmake -S "$top" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DRIX_FUZZ=ON -DRIX_SANITIZE=OFF -DRIX_TESTS=OFF $launcher
fi
targets="$*"
[ -n "$targets" ] || targets=$(cat "$BUILD/fuzz/targets.txt")
build_targets=""
for t in $targets; do build_targets="$build_targets fuzz_$t"; done
# shellcheck disable=SC2086
cmake --build "$BUILD" -j "$JOBS" --target $build_targets

# One target's run; its status in $OUT/$t.status.
run_target() {
    t=$1
    mkdir -p "$OUT/$t-corpus" "$OUT/$t-crashes"
    cp -n fuzz/seeds/"$t"/* "$OUT/$t-corpus/" 2>/dev/null || true
    echo "running $t for ${SECONDS_EACH}s"
    if ASAN_OPTIONS=detect_leaks=0 "$BUILD/fuzz/fuzz_$t" -max_total_time="$SECONDS_EACH" -max_len=65536 \
        -timeout=20 -rss_limit_mb=4096 -malloc_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$OUT/$t-crashes/" "$OUT/$t-corpus" >"$OUT/$t.log" 2>&1; then
        echo 0 >"$OUT/$t.status"
    else
        echo 1 >"$OUT/$t.status"
    fi
}

# The targets run side by side, RIX_FUZZ_PARALLEL at a time (default: one a
# core), so that every target's SECONDS fit in SECONDS × targets / cores.
PARALLEL=${RIX_FUZZ_PARALLEL:-$(nproc)}
running=0
for t in $targets; do
    run_target "$t" &
    running=$((running + 1))
    if [ "$running" -ge "$PARALLEL" ]; then
        wait -n 2>/dev/null || wait
        running=$((running - 1))
    fi
done
wait

status=0
summary=""
for t in $targets; do
    if [ "$(cat "$OUT/$t.status" 2>/dev/null)" != 0 ]; then
        status=1
        tail -n 40 "$OUT/$t.log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$OUT/$t.log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$OUT/$t.log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$OUT/$t.log" | tail -n 1)
    summary="$summary$(printf '%-20s runs %-10s %-12s exec/s %s' "$t" "${runs:-?}" "${cov:-cov: ?}" "${speed:-?}")
"
done
printf '%s' "$summary"
[ "$status" -eq 0 ] && echo "fuzz: no failure found" || echo "fuzz: failures in $OUT/*-crashes (logs $OUT/*.log)"
exit "$status"
