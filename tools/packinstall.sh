#!/usr/bin/env bash
# Installs the bundled extension pack into the build tree's Wine prefix, as its
# installer would: the pack's folder and its uninstall record. Leaves an existing
# installation alone.
#   tools/packinstall.sh PREFIX
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$(cd "$1" && pwd) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
target="$WINEPREFIX/drive_c/Program Files/Zandor Extension Pack"
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Zandor Extension Pack_is1'
if [ ! -d "$target" ]; then
  mkdir -p "$target"
  cp -r "$root/pack/." "$target/"
fi
if ! wine reg query "$key" /v InstallLocation >/dev/null 2>&1; then
  wine reg add "$key" /v InstallLocation /d 'C:\Program Files\Zandor Extension Pack\' /f >/dev/null
  wine reg add "$key" /v DisplayName /d 'Zandor Extension Pack' /f >/dev/null
fi
