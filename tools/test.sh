#!/usr/bin/env bash
# Builds NIMO and its tests and runs every test under Wine, headless: in the test prefix
# (Windows 10), and the end-to-end tests again in a prefix for each version of
# tools/windows.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build"
"$root/tools/wineprefix.sh" "$build/wineprefix" --headless win10 10.0.
prefixes=("$build/wineprefix")
while read -r name number; do
  "$root/tools/wineprefix.sh" "$build/wineprefix-$name" --headless "$name" "$number"
  prefixes+=("$build/wineprefix-$name")
done < <(grep '^win' "$root/tools/windows.txt")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/tools/prefix.sh"
prefix_server "${prefixes[@]}"
export WINEPREFIX="$build/wineprefix"
cd "$build"
ctest --output-on-failure -j2 "$@"
