// Finding the folder into which the extension pack was installed.
#include "base/Identity.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modReg {

namespace {
std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}
PackLocation Located(const std::string& folder) {
  PackLocation location;
  location.PackFolder = folder;
  location.RegFilesFolder = WithSlash(folder) + "Reg_Files";
  return location;
}

}  // namespace

const char* WhyNotPackFolder(const std::string& folder) {
  if (folder.empty() || !modMain::FolderExists(folder)) return "FolderMissing";
  const std::string in = WithSlash(folder);
  if (modMain::FolderExists(in + "Reg_Files")) return nullptr;
  modSettings::Section rows;
  try {
    rows = modSettings::ReadSection("Extensions", "Available_Extensions");
  } catch (const modSettings::NimoError&) {
  }
  // An entry is "name;file;description;registry file".
  for (const auto& row : rows) {
    const size_t first = row.second.find(';'), second = row.second.find(';', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string file = row.second.substr(first + 1, second - first - 1);
    if (!file.empty() && modMain::OwnFileExists(in + file)) return nullptr;
  }
  return "NoPackFiles";
}

std::string ChoosePackFolder(HWND owner, const std::string& start) {
  using modMain::WriteLog;
  for (;;) {
    const std::string folder =
        modGetFolder::BrowseForFolder(owner, modLang::Text("Main", "PackFolderTitle"), start);
    if (folder.empty()) return {};
    const char* why = WhyNotPackFolder(folder);
    if (!why) return folder;
    WriteLog("Refused [ " + folder + " ] as the pack's folder: " + modLang::English("Reasons", why));
    modLang::Say(owner, modLang::Text("Messages", "NotPackFolder", {folder, modLang::Text("Reasons", why)}),
                 MB_OK | MB_ICONEXCLAMATION);
  }
}

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
  const std::wstring question = modLang::Text("Messages", "PackNotFound", {modMain::kTitle});
  for (;;) {
    if (modLang::Say(owner, question, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
      WriteLog(std::string("User wishes to cancel, closing ") + modMain::kTitle);
      PackLocation cancelled;
      cancelled.Cancelled = true;
      return cancelled;
    }
    WriteLog("User wishes to verify location");
    // At the folder last known, else at the one the uninstall record names.
    const std::string known = modSettings::PathSetting("Paths", "NIMO_Location", "");
    std::string folder = ChoosePackFolder(owner, !known.empty() && modMain::FolderExists(known) ? known : location);
    // A cancelled picker is a folder that does not exist, never the drive's root.
    if (!folder.empty()) {
      PackLocation chosen = Located(folder);
      WriteLog("Location verified as " + chosen.PackFolder);
      WriteLog("Registry files location: " + chosen.RegFilesFolder);
      return chosen;
    }
    WriteLog("Unable to verify selected location");
    modLang::Say(owner, modLang::Text("Messages", "PathNotFound"), MB_OK | MB_ICONEXCLAMATION);
  }
}

}  // namespace modReg
