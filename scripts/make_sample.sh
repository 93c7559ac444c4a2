#!/usr/bin/env bash
# Makes the shipped sample manuscript, resources/サンプル.txt and its
# extension file resources/サンプル.rix, from scripts/sample/サンプル.txt: the
# same text in plain notation (漢字《かんじ》 rubies, "§" index and
# line-information lines), loaded with the three reading options on and
# saved as the editor saves. The text then carries no notation; rubies, the
# index entry and the line mark live in the extension file.
# Usage: scripts/make_sample.sh [PATH_TO_RIX]   (default: build/rix)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rix=${1:-$top/build/rix}
work=$(mktemp -d /tmp/rix-sample-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A fresh data folder: the shipped settings decide the notation ("《》", "§").
export RIX_HOME=$work/data RIX_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
mkdir -p "$work/out"
"$rix" --save-as "$work/out/サンプル.txt" --read-rubies --read-index --read-line-info "$top/scripts/sample/サンプル.txt"
"$rix" --info "$work/out/サンプル.txt"
cp "$work/out/サンプル.txt" "$work/out/サンプル.rix" "$top/resources/"
