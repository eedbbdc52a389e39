#!/usr/bin/env bash
# Prepares the build tree's own Wine prefix: quiet, headless when asked, and marked
# as the prefix in which tests may change the registry.
#   tools/wineprefix.sh BUILD_DIR [--headless]
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
graphics=$([ "${2:-}" = "--headless" ] && echo null || echo x11)
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\NIMO Test Prefix' /v Dedicated /d 1 /f >/dev/null 2>&1
