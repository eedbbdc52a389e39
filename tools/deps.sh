#!/usr/bin/env bash
# Installs what building and running NIMO here needs, when it is missing.
set -euo pipefail
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
command -v cmake >/dev/null || need+=(cmake)
command -v ctest >/dev/null || need+=(cmake)
command -v wine >/dev/null || need+=(wine wine64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# Wine's own fonts (Tahoma; Marlett draws the caption buttons): only recommended by wine,
# which the --no-install-recommends below would leave out.
[ -f /usr/share/wine/fonts/tahoma.ttf ] && [ -f /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xwd >/dev/null || need+=(x11-apps)
command -v xwininfo >/dev/null || need+=(x11-utils)
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
command -v chmcmd >/dev/null || need+=(fp-utils)
[ -x /usr/bin/python3 ] || need+=(python3)     # the checks in ctest
# tools/make_icons.py: Pillow for the system's Python, and the fonts of the side panel.
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ] || need+=(fonts-dejavu-core)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v zip >/dev/null || need+=(zip)        # tools/release.sh
command -v unzip >/dev/null || need+=(unzip)    # tools/shots/release-check.sh
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
