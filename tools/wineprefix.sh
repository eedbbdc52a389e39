#!/usr/bin/env bash
# Prepares the build tree's own Wine prefix: quiet, headless when asked, and marked
# as the prefix in which tests may change the registry.
#   tools/wineprefix.sh PREFIX [--headless]
set -euo pipefail
mkdir -p "$1"
export WINEPREFIX=$(cd "$1" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
# Wine's own TrueType fonts (Tahoma; Marlett draws the caption buttons), which the
# prefix does not carry by itself here.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
if [ "${2:-}" = "--headless" ]; then
  # The tests' prefix: no display, and the mark that lets tests change its registry.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\NIMO Test Prefix' /v Dedicated /d 1 /f >/dev/null 2>&1
else
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
fi
