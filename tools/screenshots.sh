#!/usr/bin/env bash
# Takes the README's screenshots from the real program: NIMO runs under Xvfb in a Wine
# prefix of its own, tools/shots/shotdriver puts it into each state through the same
# menu commands and label clicks a user would give, and each PNG is cropped to the
# window it shows.
#   tools/screenshots.sh [OUT_DIR]     (docs/ unless told)
#   NIMO_DPI=192 tools/screenshots.sh [OUT_DIR]  at another screen resolution, on a
#                                               screen as many inches across; each
#                                               picture named NAME-192.png
#
# The prefix holds the bundled pack with two faults for the lists to show in red (see
# session_pack_prefix in tools/shots/session.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
out=${1:-$root/docs}
suffix=${NIMO_DPI:+-$NIMO_DPI}
[ "${NIMO_DPI:-96}" = 96 ] && suffix=
"$root/tools/build.sh" "$build" NIMO helpfile
cmake --build "$build" --target shotdriver >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)

prefix=$build/shots-prefix
app=$build/shots-app
. "$root/tools/shots/session.sh"
session_pack_prefix "$prefix" "$app"

session_failshot=$build/shots-failed.png
session_display

# The first start opens the wizard: its welcome page, then its extensions page.
wine "$app/NIMO.exe" >/dev/null 2>&1 &
drive wait NIMOWizardWindow 90
sleep 2
shot "$out/wizard-welcome$suffix.png" NIMOWizardWindow
drive label 2104  # IDC_WIZ_LBLPROCEED: Next >>
sleep 1
shot "$out/wizard-extensions$suffix.png" NIMOWizardWindow

# Switch to classic view, Finish, and "No" to the wizard at the next start.
drive check 2100   # IDC_WIZ_CHKNOWIZ
drive label 2103   # IDC_WIZ_LBLFINISH
drive wait msgbox 20
drive answer 7     # IDNO
drive wait NIMOMainWindow 20
drive menu 1025    # IDM_mnuAvailable
sleep 1
shot "$out/main-available$suffix.png" NIMOMainWindow

drive menu 1026    # IDM_mnuInstalled
sleep 1
shot "$out/main-installed$suffix.png" NIMOMainWindow

# Edit > Modify properties on a selected installed extension.
drive select NIMOMainWindow 2000 "Wikipedia lookup"   # IDC_MAIN_LVWINSTALLED
drive menu 1017    # IDM_mnuModify
drive wait NIMOModifyWindow 20
shot "$out/properties$suffix.png" NIMOModifyWindow
drive close NIMOModifyWindow
drive gone NIMOModifyWindow 20

drive menu 1059    # IDM_mnuAbout
drive wait NIMOAboutWindow 20
shot "$out/about$suffix.png" NIMOAboutWindow
drive close NIMOAboutWindow
drive gone NIMOAboutWindow 20

# Settings > Language > German, on the available list, with that menu open again.
drive menu 1052    # IDM_mnuGerman
drive menu 1025    # IDM_mnuAvailable
sleep 1
drive front NIMOMainWindow
drive keys NIMOMainWindow alt right right right down up right   # Einstellungen > Sprache
sleep 1
shot "$out/main-german$suffix.png" NIMOMainWindow as-is
drive keys NIMOMainWindow escape escape escape

# The same in Russian, whose language file is UTF-16: Cyrillic on a Western system.
drive menu 1054    # IDM_mnuRussian
sleep 1
drive front NIMOMainWindow
drive keys NIMOMainWindow alt right right right down up right   # Настройки > Язык
sleep 1
shot "$out/main-russian$suffix.png" NIMOMainWindow as-is
drive keys NIMOMainWindow escape escape escape

# File > Restore ... in English, after a rename, a disable and a delete; then each is
# undone there: Enter restores the selected row.
drive menu 1050    # IDM_mnuEnglish
drive menu 1026    # IDM_mnuInstalled
drive select NIMOMainWindow 2000 "Translate with Google"
drive menu 1017    # IDM_mnuModify
drive wait NIMOModifyWindow 20
drive text NIMOModifyWindow 101 "Google Translate"   # txtName
drive click NIMOModifyWindow 107                     # lblOK: Apply
drive wait msgbox 20
drive answer 6     # IDYES: modify the registry
drive gone NIMOModifyWindow 20
sleep 1
drive select NIMOMainWindow 2000 "Word count"
drive menu 1012    # IDM_mnuDisable
sleep 1
drive select NIMOMainWindow 2000 "Wikipedia lookup"
drive menu 1021    # IDM_mnuDelete
drive wait msgbox 20
drive answer 6     # IDYES
sleep 1
drive menu 1070    # IDM_mnuRestore
drive wait NIMORestoreWindow 20
shot "$out/restore$suffix.png" NIMORestoreWindow
for name in "Wikipedia lookup" "Word count" "Translate with Google"; do
  drive select NIMORestoreWindow 2200 "$name" 2   # IDC_RESTORE_LIST, by its Contents
  drive keys NIMORestoreWindow return
  drive wait msgbox 20
  drive answer 6   # IDYES: restore it
  sleep 1
  drive wait msgbox 20
  drive answer 1   # IDOK: what was restored
  sleep 1
  drive find NIMOMainWindow 2000 "$name" >/dev/null || { echo "Restore did not bring back $name" >&2; exit 1; }
done
drive close NIMORestoreWindow
drive gone NIMORestoreWindow 20

drive menu 1010    # IDM_mnuExit
drive gone NIMOMainWindow 20 || true
