#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; ends with ctest's summary.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
# Each test program sets its own ASAN_OPTIONS (leak check on or off) in tests/CMakeLists.txt.
cd "${RIX_BUILD_DIR:-$top/build}"
ctest -j "$(nproc)" --output-on-failure --timeout 600
