// Enabling an extension: importing its registry file, with the questions, the header
// fix and the MenuExt backup that InstallPrompt asks for.
#include "app/App.h"
#include "app/frmMain.h"
#include "inventory/modReg.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/ListView.h"
#include "win/Seam.h"

namespace modMain {

namespace {

int Ask(HWND owner, const std::string& question) {
  return win::Ui().MessageBox(owner, question, kTitle, MB_YESNO | MB_ICONQUESTION);
}

// The clock-named backup of the whole MenuExt key. A MenuExt key that does not exist
// yet has nothing to lose; otherwise the import waits for a backup that is on disk.
bool BackUpMenuExt(HWND owner) {
  WriteLog("Exporting MenuExt registry key");
  HKEY menuExt = modReg::OpenKey(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  if (!menuExt) {
    WriteLog("There is no MenuExt registry key to export");
    return true;
  }
  RegCloseKey(menuExt);
  const std::string folder = modReg::RegistryBackupFolder();
  const std::string name = modReg::TakeClockName(folder);
  if (!RunRegeditBlocking(owner, 2, modReg::kMenuExtFull, name)) {
    const std::string file = folder + name + ".reg";
    modReg::GiveBackClockName(file);
    WriteLog("Unable to export the MenuExt registry key to [ " + file + " ]");
    win::Ui().MessageBox(owner,
                         "The MenuExt registry key could not be backed up to\r\n" + file +
                             "\r\n\r\nThe extension was not enabled.",
                         kTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  WriteLog("MenuExt registry key exported");
  return true;
}

}  // namespace

bool EnableExtension(HWND owner, const std::string& regFile) {
  if (!FileExistsCopy(regFile)) {
    win::Ui().MessageBox(owner, MissingFileText("Unable to import extension.", regFile), kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (modSettings::Setting("Settings", "InstallPrompt", "1") == "1") {
    const int checked =
        Ask(owner, "Have you checked the registry file associated with this extension contains the correct path?");
    if (checked == IDNO) {
      OpenInNotepad(owner, regFile);
      return false;
    }
    if (checked != IDYES) return false;
    // The registry editor's own two-byte files import as they are; the header test
    // and fix read single-byte text and would spoil them.
    if (!IsWideTextFile(regFile) && !modReg::CheckRegFile(2, regFile)) modReg::CheckRegFile(1, regFile);
    if (Ask(owner, "This feature requires a modification to your registry, would you like to back it up first?") ==
            IDYES &&
        !BackUpMenuExt(owner))
      return false;
  }
  WriteLog("Importing: " + regFile);
  RunRegeditBlocking(owner, 1, regFile, "");
  return true;
}

void EnableSelected(HWND owner, const win::CListView& available, const std::function<void()>& reload) {
  const int row = available.Selected();
  if (row < 0) return;
  OperationScope scope;
  if (!scope) return;
  if (EnableExtension(owner, available.Tag(row)) && reload) reload();
}

}  // namespace modMain

void frmMain::mnuEnable_Click() {
  modMain::EnableSelected(h_, lvwAvailable, [this] {
    LoadExtensionInfo();
    LoadAvailableExtensions();
  });
}
