// The Help menu of the main window: the help file, the About box, the web pages and the
// updater. Everything is handed to the shell, which is neither waited for nor checked.
#include "about/Links.h"
#include "about/frmAbout.h"
#include "app/App.h"
#include "app/frmMain.h"
#include "lang/modLang.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace {

void OpenAddress(HWND owner, const char* address) { win::Ui().ShellOpen(owner, address, "", "", SW_SHOWNORMAL); }

}  // namespace

void frmMain::mnuContents_Click() {
  if (modMain::OwnFileExists(modMain::InAppPath("help.chm")))
    win::Ui().ShellOpen(h_, "help.chm", "", modMain::AppPath(), SW_SHOWNORMAL);
  else
    modLang::Say(h_, modLang::Text("Messages", "HelpMissing"), MB_OK | MB_ICONINFORMATION);
}

void frmMain::mnuAbout_Click() {
  frmAbout about;
  if (about.Load(h_)) about.ShowModal();
}

void frmMain::mnuOTW_Feedback_Click() { OpenAddress(h_, modLinks::kOrlixFeedback); }
void frmMain::mnuHomepage_Click() { OpenAddress(h_, modLinks::kProductPage); }
void frmMain::mnuHomepage_ZandorF_Click() { OpenAddress(h_, modLinks::kBrowserForum); }
void frmMain::mnuHomepage_OrlixF_Click() { OpenAddress(h_, modLinks::kOrlixForum); }
void frmMain::mnuHomepage_OrlixO_Click() { OpenAddress(h_, modLinks::kOrlixHome); }

// The updater finds the program's settings through the settings file, whose path is its
// whole command line.
void frmMain::mnuUpdate_Click() {
  if (modMain::OwnFileExists(modMain::InAppPath("update.exe")))
    win::Ui().ShellOpen(h_, "update.exe", modSettings::SettingsFile(), modMain::AppPath(), SW_SHOWNORMAL);
  else
    OpenAddress(h_, modLinks::kVersionHistory);
}
