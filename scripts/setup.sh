#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are missing.
# Runs apt-get only when something is missing, so a ready machine starts at once.
# Then fetches the synonym dictionary's content (scripts/synonyms.py; quietly
# left to the sample when there is no network).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=()
while read -r pkg; do
  case "$pkg" in ''|'#'*) continue ;; esac
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done < "$here/packages.txt"
# The synonym dictionary's content (the sample stands in when it cannot be had).
fetch_synonyms() { python3 "$here/synonyms.py" fetch --cache "$here/../.cache" || true; }
if [ ${#missing[@]} -eq 0 ]; then fetch_synonyms; exit 0; fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fetch_synonyms
