#!/usr/bin/env bash
# Installs what is missing, builds the release build, and opens the editor on
# the sample manuscript.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
build=${RIX_RELEASE_BUILD_DIR:-$top/build-release}
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release --target rix
home=$("$build/rix" --data-folder)
exec "$build/rix" "$home/サンプル.txt" "$@"
