#!/usr/bin/env bash
# Builds NIMO and its tests and runs every test under Wine, headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build"
"$root/tools/wineprefix.sh" "$build/wineprefix" --headless
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One persistent wineserver for the whole run, so each test process starts fast.
wineserver -k 2>/dev/null || true
wineserver -p
# Start Wine's own services now, away from ctest's pipes, which they would hold open.
wine wineboot >/dev/null 2>&1 </dev/null
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$build"
ctest --output-on-failure -j2 "$@"
