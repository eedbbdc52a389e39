#!/usr/bin/env bash
# Builds NIMO and runs it under Wine on the bundled pack. With no display it runs
# under Xvfb, saves a screenshot of its window and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build" NIMO
"$root/tools/wineprefix.sh" "$build"
"$root/tools/packinstall.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/bin/NIMO.exe" "$@"
fi
exec "$root/tools/screenshot.sh" "$build" "$build/screenshots/NIMO.png" "$@"
