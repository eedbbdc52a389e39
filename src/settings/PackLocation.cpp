// Finding the folder into which the extension pack was installed.
#include "app/App.h"
#include "inventory/modReg.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "win/Seam.h"

namespace modReg {

namespace {
PackLocation Located(const std::string& folder) {
  PackLocation location;
  location.PackFolder = folder;
  location.RegFilesFolder = (folder.empty() || folder.back() != '\\' ? folder + "\\" : folder) + "Reg_Files";
  return location;
}
}  // namespace

PackLocation GetPackLocation(HWND owner) {
  using modMain::WriteLog;
  View view = View::None;
  const std::string location = ReadMachineText(kUninstallPath, "InstallLocation", view);
  WriteLog(view == View::None ? std::string("The pack's uninstall record is in neither registry view")
                              : std::string("The pack's uninstall record is in the ") + ViewName(view) + " registry view");
  if (!location.empty()) {
    WriteLog("Checking existence of " + location);
    if (modMain::FolderExists(location)) {
      WriteLog("Folder exists");
      return Located(location);
    }
  }
  WriteLog("Folder does not exist");
  const std::string question = std::string(modMain::kTitle) +
                               " was unable to location the installation location of the extensions.\r\n\r\n"
                               "If you used the No-install package or used an earlier version that did not come with "
                               "this utility, please point me to it, or click Cancel to quit.";
  for (;;) {
    if (win::Ui().MessageBox(owner, question, modMain::kTitle, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
      WriteLog(std::string("User wishes to cancel, closing ") + modMain::kTitle);
      PackLocation cancelled;
      cancelled.Cancelled = true;
      return cancelled;
    }
    WriteLog("User wishes to verify location");
    std::string folder = modGetFolder::BrowseForFolder(owner, "Select the folder containing the NIMO extensions");
    // A cancelled picker is a folder that does not exist, never the drive's root.
    if (!folder.empty() && modMain::FolderExists(folder)) {
      PackLocation chosen = Located(folder);
      WriteLog("Location verified as " + chosen.PackFolder);
      WriteLog("Registry files location: " + chosen.RegFilesFolder);
      return chosen;
    }
    WriteLog("Unable to verify selected location");
    win::Ui().MessageBox(owner, "I'm sorry, I could not find that path, please try again", modMain::kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
  }
}

}  // namespace modReg
