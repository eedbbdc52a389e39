#!/usr/bin/env bash
# Starts NIMO under Xvfb in the build tree's prefix, waits for its window, saves a PNG
# of the screen and closes the program.
#   tools/screenshot.sh BUILD_DIR OUT.png [program arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd); out=$2; shift 2
mkdir -p "$(dirname "$out")"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
wine "$build/bin/NIMO.exe" "$@" &
program=$!
for _ in $(seq 1 60); do
  sleep 0.5
  if xwininfo -root -tree 2>/dev/null | grep -q '"Zandor Extension Pack'; then break; fi
done
sleep "${NIMO_SCREENSHOT_DELAY:-2}"
xwd -root -silent | convert xwd:- "$out"
echo "Screenshot: $out"
wineserver -k 2>/dev/null || true   # closes the program
wait $program 2>/dev/null || true
