#!/usr/bin/env bash
# Tries the release zip as a Windows user without the pack's installer would: unzips it
# into a new folder and starts NIMO.exe in a new Wine prefix with no uninstall record.
# NIMO must ask for the pack's folder; the answer OK opens the folder picker, in which
# the bundled "Zandor Extension Pack" folder is chosen; the wizard must then list all
# 47 extensions as available. Saves a screenshot of each step in BUILD/release-check/.
#   tools/shots/release-check.sh [ZIP]     (BUILD/release/NIMO-<version>.zip unless told)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
version=$(sed -n 's/^project(NIMO VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
zip=$(realpath "${1:-$build/release/NIMO-$version.zip}")
"$root/tools/deps.sh"
cmake --build "$build" --target shotdriver >/dev/null

check=$build/release-check
. "$root/tools/shots/session.sh"
session_prefix "$check/prefix"
rm -f "$check"/*.png
# Unzipped on the prefix's drive C:, where a user would put it.
unzip -q "$zip" -d "$WINEPREFIX/drive_c"
app=$(find "$WINEPREFIX/drive_c" -maxdepth 2 -name NIMO.exe -printf '%h\n' | head -1)
[ -n "$app" ] || { echo "FAIL: no NIMO.exe in $zip" >&2; exit 1; }
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Zandor Extension Pack_is1'
if wine reg query "$key" >/dev/null 2>&1; then echo "FAIL: the new prefix has an uninstall record" >&2; exit 1; fi
session_failshot=$check/failed.png
session_display

fail() { echo "FAIL: $*" >&2; exit 1; }
wine "$app/NIMO.exe" >/dev/null 2>&1 &
drive wait msgbox 90 || fail "NIMO did not ask for the pack's folder"
sleep 1
shot "$check/1-question.png" msgbox
[ "$(drive title msgbox)" = "Zandor Extension Pack" ] || fail "the question is not NIMO's"
drive answer 1     # IDOK
# The question goes and the picker, another dialog box, may take its place at once.
for _ in $(seq 200); do
  title=$(drive title msgbox 2>/dev/null || true)
  [ -n "$title" ] && [ "$title" != "Zandor Extension Pack" ] && break
  sleep 0.1
done
drive wait msgbox 20 || fail "no folder picker after OK"
[ "$(drive title msgbox)" != "Zandor Extension Pack" ] || fail "the question stayed after OK"
sleep 2
shot "$check/2-picker.png" msgbox
drive browse "$(winepath -w "$app/Zandor Extension Pack")"
sleep 2
shot "$check/3-picker-chosen.png" msgbox
drive answer 1     # IDOK
drive wait NIMOWizardWindow 60 || fail "NIMO did not start after the folder was chosen"
drive label 2104   # IDC_WIZ_LBLPROCEED: Next >>
sleep 1
shot "$check/4-wizard.png" NIMOWizardWindow
available=$(drive count NIMOWizardWindow 2106)   # IDC_WIZ_LVWAVAILABLE
installed=$(drive count NIMOWizardWindow 2105)   # IDC_WIZ_LVWINSTALLED
location=$(sed -n 's/^NIMO_Location=//p' "$app/NIMO.ini" | tr -d '\r')
drive close NIMOWizardWindow
drive gone NIMOWizardWindow 20 || true
echo "Pack folder stored: $location"
echo "Extensions available: $available, installed: $installed"
[ "$available" = 47 ] || fail "expected 47 available extensions"
[ "$installed" = 0 ] || fail "expected no installed extension"
case "$location" in *'Zandor Extension Pack'*) ;; *) fail "the stored pack folder is not the bundled one" ;; esac
echo "OK: $zip runs from its folder and finds its bundled pack through the picker"
