# Sourced by tools/screenshots.sh and tools/shots/release-check.sh: a Wine prefix and an
# Xvfb display on which NIMO runs and shotdriver drives it, and a cropped capture of one
# of its windows. Expects $root and $build; exports WINEPREFIX and DISPLAY.

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/tools/prefix.sh"
# The screen: 1024 x 768 at 96 DPI, as many inches at another NIMO_DPI.
session_screen=$((1024 * ${NIMO_DPI:-96} / 96))x$((768 * ${NIMO_DPI:-96} / 96))

# session_prefix PREFIX: a new prefix, ready for capturing.
session_prefix() {
  if [ -d "$1" ]; then WINEPREFIX=$(cd "$1" && pwd) wineserver -k 2>/dev/null || true; fi
  rm -rf "$1"
  "$root/tools/wineprefix.sh" "$1"
  export WINEPREFIX=$(cd "$1" && pwd)
  # Wine's own TrueType fonts (Tahoma; Marlett draws the caption buttons), which this
  # Wine does not pick up from its data folder by itself. Without them every picture
  # would show substitutes, so that is an error, not a warning.
  local font
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    if [ ! -f "/usr/share/wine/fonts/$font" ]; then
      echo "Wine's fonts are missing (/usr/share/wine/fonts/$font): install the package fonts-wine" >&2
      return 1
    fi
  done
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # Every process of the prefix on one virtual desktop: it draws the window frames, and
  # the driver finds NIMO's windows on it.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$session_screen" /f >/dev/null
  # NIMO_DPI=144: the screen's resolution in dots per inch (96 unless told).
  if [ -n "${NIMO_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$NIMO_DPI" /f >/dev/null
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
      /t REG_DWORD /d "$NIMO_DPI" /f >/dev/null
  fi
}

# session_pack_prefix PREFIX APP: a new prefix holding the bundled pack, installed as its
# installer would, with two faults for the lists to show in red: one catalog entry whose
# registry file is gone ("DuckDuckGo search"), and one installed extension whose file is
# missing ("Dictionary lookup (old)", the last of four installed); and a fresh program
# folder APP with NIMO.exe, the six language files and the help file.
session_pack_prefix() {
  session_prefix "$1"
  "$root/tools/packinstall.sh" "$1"
  rm "$WINEPREFIX/drive_c/Program Files/Zandor Extension Pack/Reg_Files/Lookup/luDuckDuckGo.txt"
  local menuext='HKCU\Software\Microsoft\Internet Explorer\MenuExt'
  local packdir='C:\Program Files\Zandor Extension Pack'
  local name file contexts
  while IFS='|' read -r name file contexts; do
    wine reg add "$menuext\\$name" /ve /d "$packdir\\$file" /f >/dev/null
    wine reg add "$menuext\\$name" /v Contexts /t REG_DWORD /d "$contexts" /f >/dev/null
  done <<'EXTENSIONS'
Wikipedia lookup|Lookup\luWikipedia.htm|16
Translate with Google|Translators\tGoogle.htm|1
Word count|Misc\mWordCount.htm|16
Dictionary lookup (old)|Lookup\luDictionary.htm|16
EXTENSIONS
  wineserver -w
  rm -rf "$2"
  mkdir -p "$2"
  cp "$build/bin/NIMO.exe" "$root/lang/"*.lng "$root/resources/en.lng" "$2/"
  if [ -f "$build/bin/help.chm" ]; then cp "$build/bin/help.chm" "$2/"; fi
}

# session_display: an Xvfb display for the rest of the script; both go at its end. When
# the script fails, the whole screen is saved as $session_failshot, if set.
session_display() {
  export DISPLAY=:$((90 + RANDOM % 100))
  Xvfb "$DISPLAY" -screen 0 "${session_screen}x24" -nolisten tcp >/dev/null 2>&1 &
  session_xvfb=$!
  trap session_end EXIT
  local up=
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && up=1 && break; sleep 0.1; done
  [ -n "$up" ] || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
  # One wineserver and one desktop for the whole session, up before NIMO starts: the
  # driver and NIMO starting together would race to create the desktop.
  prefix_server "$WINEPREFIX"
  drive desktop >/dev/null
}

session_end() {
  local status=$?
  if [ "$status" -ne 0 ] && [ -n "${session_failshot:-}" ] && import -window root "$session_failshot" 2>/dev/null; then
    echo "The screen when it failed: $session_failshot" >&2
  fi
  prefix_stop
  kill "$session_xvfb" 2>/dev/null || true
}

drive() { wine "$build/bin/shotdriver.exe" "$@" | tr -d '\r'; }

# shot FILE CLASS [as-is]: raises the window, repaints it and saves it as FILE, cropped
# to its frame; with "as-is" (a menu is open) the window is taken as it stands. A capture
# that comes out (nearly) black is taken again after another repaint.
shot() {
  local file=$1 cls=$2 geometry x y w h mean
  for attempt in 1 2 3; do
    if [ "${3:-}" != as-is ] || [ "$attempt" -gt 1 ]; then drive front "$cls"; fi
    sleep 1.5
    read -r x y w h <<<"$(drive rect "$cls")"
    if [ "$x" -lt 0 ]; then w=$((w + x)); x=0; fi
    if [ "$y" -lt 0 ]; then h=$((h + y)); y=0; fi
    geometry=${w}x${h}+${x}+${y}
    import -window root -crop "$geometry" +repage "$file"
    mean=$(convert "$file" -colorspace Gray -format '%[fx:int(mean*1000)]' info:)
    if [ "$mean" -gt 50 ]; then
      echo "$file ($geometry)"
      return 0
    fi
    echo "  $(basename "$file") came out dark (mean $mean/1000), repainting (attempt $attempt)" >&2
  done
  echo "Could not capture $file" >&2
  return 1
}
