#!/usr/bin/env bash
# Builds NIMO and runs it under Wine on the bundled pack. With no display it runs
# under Xvfb, saves a screenshot of its window and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build" NIMO helpfile  # the help file for F1 too
# The program runs in a prefix of its own, apart from the one the tests change.
prefix="$build/run-prefix"
"$root/tools/wineprefix.sh" "$prefix"
"$root/tools/packinstall.sh" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/bin/NIMO.exe" "$@"
fi
exec "$root/tools/screenshot.sh" "$prefix" "$build/bin/NIMO.exe" "$build/screenshots/NIMO.png" "$@"
