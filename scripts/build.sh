#!/usr/bin/env bash
# Configures (once) and builds the one build tree, build/, with the sanitizers on.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${RIX_BUILD_DIR:-$top/build}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths inside the tree hash as relative ones, so that another checkout of
  # the project finds the objects this one compiled.
  export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRIX_SANITIZE=ON "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
