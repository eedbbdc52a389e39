#!/usr/bin/env bash
# Prepares the build tree's own Wine prefix: quiet, headless when asked, and marked
# as the prefix in which tests may change the registry; set to a Windows version when asked
# (winecfg's name for it, or win11) that must then say the version number given.
#   tools/wineprefix.sh PREFIX [--headless [win7|win8|win81|win10|win11 NUMBER]]
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
if [ -n "${3:-}" ]; then
  # Wine's winecfg has no Windows 11: it is Windows 10 with a build number from 22000 on.
  # Now and then Wine fails a start while the prefix's services come or go: once more.
  wine winecfg /v "${3/win11/win10}" || wine winecfg /v "${3/win11/win10}" ||
    { echo "winecfg has no Windows version $3" >&2; exit 1; }
  if [ "$3" = win11 ]; then
    for name in CurrentBuild CurrentBuildNumber; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v $name /d 22000 /f >/dev/null 2>&1
    done
  fi
  said=$(wine cmd /c ver 2>/dev/null | tr -d '\r\n')
  case "$said" in
    *"Windows $4"*) ;;
    *) echo "$WINEPREFIX: set to $3, but Windows says \"$said\", not $4" >&2; exit 1 ;;
  esac
fi
