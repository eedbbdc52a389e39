#!/usr/bin/env bash
# Takes every window of the real program, and a sample of its messages, in one language,
# to look for text that is cut or runs into its neighbour: the wizard's two pages and its
# question, both lists, the properties dialog, About, the delete question, a missing
# file, an import that reaches outside MenuExt, and Restore with its question and its
# answer.
#   tools/shots/languages.sh LANG [OUT_DIR]    LANG: de, fr, it, ru, se or en; OUT_DIR is
#                                              BUILD/shots-LANG unless told
#   NIMO_DPI=144 tools/shots/languages.sh ...  at another screen resolution (see
#                                              tools/screenshots.sh), BUILD/shots-LANG-144
# Each picture is named after what it shows (main-installed.png, msg-delete.png, ...).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
lang=${1:?usage: tools/shots/languages.sh LANG [OUT_DIR]}
[ -f "$root/lang/$lang.lng" ] || [ "$lang" = en ] || { echo "no language file lang/$lang.lng" >&2; exit 2; }
suffix=${NIMO_DPI:+-$NIMO_DPI}
[ "${NIMO_DPI:-96}" = 96 ] && suffix=
out=${2:-$build/shots-$lang$suffix}
"$root/tools/build.sh" "$build" NIMO
cmake --build "$build" --target shotdriver >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png

prefix=$build/shots-$lang-prefix
app=$build/shots-$lang-app
. "$root/tools/shots/session.sh"
session_pack_prefix "$prefix" "$app"
# The language chosen before the first start, as Settings > Language would have left it.
printf '[Settings]\r\nLang=%s\r\n' "$(winepath -w "$app/$lang.lng")" >"$app/NIMO.ini"
# A registry file that also writes outside MenuExt, for the import's question.
outside="$WINEPREFIX/drive_c/outside.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Outside]\r\n@="C:\\\\outside.htm"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Outside]\r\n"Value"="1"\r\n' >"$outside"

session_failshot=$out/failed.png
session_display

msg() {  # NAME: waits for a message box and takes it
  drive wait msgbox 20
  sleep 1
  shot "$out/msg-$1.png" msgbox
}

wine "$app/NIMO.exe" >/dev/null 2>&1 &
drive wait NIMOWizardWindow 90
sleep 2
shot "$out/wizard-welcome.png" NIMOWizardWindow
drive label 2104   # IDC_WIZ_LBLPROCEED
sleep 1
shot "$out/wizard-extensions.png" NIMOWizardWindow
drive check 2100   # IDC_WIZ_CHKNOWIZ
drive label 2103   # IDC_WIZ_LBLFINISH
msg wizard-next-time
drive answer 7     # IDNO
drive wait NIMOMainWindow 20
drive menu 1025    # IDM_mnuAvailable
sleep 1
shot "$out/main-available.png" NIMOMainWindow
drive menu 1026    # IDM_mnuInstalled
sleep 1
shot "$out/main-installed.png" NIMOMainWindow

drive select NIMOMainWindow 2000 "Wikipedia lookup"   # IDC_MAIN_LVWINSTALLED
drive menu 1017    # IDM_mnuModify
drive wait NIMOModifyWindow 20
shot "$out/properties.png" NIMOModifyWindow
drive close NIMOModifyWindow
drive gone NIMOModifyWindow 20

drive menu 1059    # IDM_mnuAbout
drive wait NIMOAboutWindow 20
shot "$out/about.png" NIMOAboutWindow
drive close NIMOAboutWindow
drive gone NIMOAboutWindow 20

# Edit > Modify contents on the extension whose file is missing.
drive select NIMOMainWindow 2000 "Dictionary lookup (old)"
drive menu 1016    # IDM_mnuModifyContent
msg missing-file
drive answer 1     # IDOK

drive select NIMOMainWindow 2000 "Word count"
drive menu 1021    # IDM_mnuDelete
msg delete
drive answer 6     # IDYES
sleep 1

# File > Import ... of a file that writes beyond MenuExt; the answer No.
drive menu 1004    # IDM_mnuImport
drive wait msgbox 20
sleep 1
shot "$out/import-dialog.png" msgbox
drive text msgbox 1148 'C:\outside.reg'   # cmb13, the file name
drive click msgbox 1                      # IDOK
sleep 2
msg import-outside
drive answer 7     # IDNO
sleep 1

drive menu 1070    # IDM_mnuRestore
drive wait NIMORestoreWindow 20
shot "$out/restore.png" NIMORestoreWindow
drive select NIMORestoreWindow 2200 "Word count" 2   # IDC_RESTORE_LIST, by its Contents
drive keys NIMORestoreWindow return
msg restore
drive answer 6     # IDYES
sleep 1
msg restored
drive answer 1     # IDOK
sleep 1
drive close NIMORestoreWindow
drive gone NIMORestoreWindow 20

drive menu 1010    # IDM_mnuExit
drive gone NIMOMainWindow 20 || true
rm -f "$out/failed.png"
echo "Pictures in $out"
