#!/usr/bin/env bash
# Starts NIMO under Xvfb in a Wine prefix, waits for its window, saves a PNG of the
# screen and closes the program.
#   tools/screenshot.sh PREFIX NIMO.exe OUT.png [program arguments...]
set -euo pipefail
export WINEPREFIX=$(cd "$1" && pwd); exe=$2; out=$3; shift 3
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$out")"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
. "$(dirname "$0")/prefix.sh"
trap 'prefix_stop; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
prefix_server "$WINEPREFIX"
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
# Wine's own desktop window draws the frames and captions that a window manager would.
wine explorer "/desktop=NIMO,1024x768" "$exe" "$@" >/dev/null 2>&1 &
for _ in $(seq 1 60); do
  sleep 0.5
  if xwininfo -root -tree 2>/dev/null | grep -q 'NIMO'; then break; fi
done
sleep "${NIMO_SCREENSHOT_DELAY:-4}"
xwd -root -silent | convert xwd:- "$out"
echo "Screenshot: $out"
