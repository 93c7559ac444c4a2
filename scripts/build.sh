#!/usr/bin/env bash
# Configures (once) and builds one of the two build configurations:
#   scripts/build.sh [test]   build/: the sanitizers on, the tests (./test.sh, CI)
#   scripts/build.sh release  build-release/: -O2, no sanitizers, no tests (./run.sh, ./bench.sh)
# Further arguments go to `cmake --build` (e.g. --target rix).
# RIX_BUILD_DIR and RIX_RELEASE_BUILD_DIR name other folders for them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
config=${1:-test}
[ $# -gt 0 ] && shift
case "$config" in
  test)
    build=${RIX_BUILD_DIR:-$top/build}
    settings=(-DCMAKE_BUILD_TYPE=Debug -DRIX_SANITIZE=ON -DRIX_TESTS=ON) ;;
  release)
    build=${RIX_RELEASE_BUILD_DIR:-$top/build-release}
    settings=(-DCMAKE_BUILD_TYPE=Release -DRIX_SANITIZE=OFF -DRIX_TESTS=OFF) ;;
  *)
    echo "usage: scripts/build.sh [test|release] [cmake --build arguments]" >&2
    exit 2 ;;
esac
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths inside the tree hash as relative ones, so that another checkout of
  # the project finds the objects this one compiled.
  export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja "${settings[@]}" "${launcher[@]}"
elif ! grep -q '^RIX_TESTS:BOOL=' "$build/CMakeCache.txt"; then
  # A folder configured when one configuration served everything (its flags
  # without -O, an -O1 added by the project): take this configuration's flags.
  cmake -S "$top" -B "$build" -U 'CMAKE_C*_FLAGS_DEBUG' -U 'CMAKE_C*_FLAGS_RELEASE' "${settings[@]}"
fi
cmake --build "$build" -j "$(nproc)" "$@"
