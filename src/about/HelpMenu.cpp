#include "about/HelpMenu.h"

#include "about/Links.h"
#include "lang/modLang.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modHelp {

void OpenContents(HWND owner) {
  if (modMain::OwnFileExists(modMain::InAppPath("help.chm")))
    win::Ui().ShellOpen(owner, "help.chm", "", modMain::AppPath(), SW_SHOWNORMAL);
  else
    modLang::Say(owner, modLang::Text("Messages", "HelpMissing"), MB_OK | MB_ICONINFORMATION);
}

void OpenPage(HWND owner, const char* address) { win::Ui().ShellOpen(owner, address, "", "", SW_SHOWNORMAL); }

// The updater finds the program's settings through the settings file, whose path is its
// whole command line.
void RunUpdater(HWND owner) {
  if (modMain::OwnFileExists(modMain::InAppPath("update.exe")))
    win::Ui().ShellOpen(owner, "update.exe", modSettings::SettingsFile(), modMain::AppPath(), SW_SHOWNORMAL);
  else
    OpenPage(owner, modLinks::kVersionHistory);
}

}  // namespace modHelp
