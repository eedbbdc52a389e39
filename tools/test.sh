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
# Each prefix's wineserver ended, and waited for, so that the next start meets none dying.
stop() {
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
  done
}
# One persistent wineserver per prefix for the whole run, so each test process starts fast.
stop
for prefix in "${prefixes[@]}"; do
  WINEPREFIX=$prefix wineserver -p
  # Start Wine's own services now, away from ctest's pipes, which they would hold open.
  WINEPREFIX=$prefix wine wineboot >/dev/null 2>&1 </dev/null
done
trap stop EXIT
export WINEPREFIX="$build/wineprefix"
cd "$build"
ctest --output-on-failure -j2 "$@"
