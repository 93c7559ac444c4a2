#!/usr/bin/env bash
# Installs what is missing, builds, and opens the editor on the sample manuscript.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
home=$("$top/build/rix" --data-folder)
exec "$top/build/rix" "$home/サンプル.txt" "$@"
