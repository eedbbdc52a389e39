// frmMain's installed list: every subkey of MenuExt, with its file checked.
#include <cstring>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Catalog.h"
#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"

namespace {
constexpr COLORREF kMissingColor = 255;  // red
}

namespace modMain {

long FillInstalledList(win::CListView& list, int image) {
  list.Clear();
  long count = 0;
  HKEY key = modReg::OpenKey(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  if (!key) return count;
  DWORD subkeys = 0, longest = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr) == ERROR_SUCCESS) {
    std::string buffer(longest + 1, '\0');
    for (DWORD index = 0; index < subkeys; ++index, ++count) {
      DWORD size = longest + 1;
      LONG result = RegEnumKeyExA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) continue;
      std::string name(buffer.c_str(), result == ERROR_SUCCESS ? size : strnlen(buffer.c_str(), buffer.size()));
      modReg::ExtensionInfo info = modReg::GetExtensionInfo(modReg::kMenuExtPath, name);
      int row;
      if (info.Name.empty()) {
        row = list.AddRow("Not Found");
      } else {
        row = list.AddRow(info.Name, image);
        const std::string full = std::string(modReg::kMenuExtFull) + "\\" + name;
        list.SetTag(row, full);
        list.SetTip(row, full);
      }
      list.SetCell(row, 1, info.Path.empty() ? "Not Found" : info.Path);
      list.SetCell(row, 2, info.Contexts);
      list.SetCell(row, 3, info.Flags);
    }
  }
  RegCloseKey(key);
  return count;
}

}  // namespace modMain

void frmMain::LoadExtensionInfo() {
  using modMain::WriteLog;
  win::CListView::Freeze freeze(lvwInstalled);
  const bool sorted = lvwInstalled.Sorted();  // an order the user chose holds across loads
  lvwInstalled.SetSorted(false);
  const long count = modMain::FillInstalledList(lvwInstalled, TickedImage);
  lvwInstalled.SetSorted(sorted);
  lvAutosizeControl(lvwInstalled);
  installedCount_ = count;
  ShowViewText();
  WriteLog(std::to_string(count) + " extensions found");
  // The installed mark, unless the available list is the one on show.
  if (modMain::CurrentView != 1) menu.SetChecked(IDM_mnuInstalled, true);
  for (int row = 0; row < lvwInstalled.Count(); ++row) {
    const std::string path = lvwInstalled.Cell(row, 1);
    WriteLog("Verifying [ " + path + " ] exists");
    if (!modMain::FileExistsCopy(path)) {
      WriteLog("[ " + path + " ] does not exist");
      for (int column : {0, 1, 2}) lvwInstalled.SetStyle(row, column, kMissingColor, true);
    }
  }
  FitLastColumn(lvwInstalled);  // bold cells widened the others: no room to scroll to
  lvwInstalled.Redraw();
  if (modSettings::Setting("Settings", "RMEK_Backup", "1") == "1") {
    WriteLog("Exporting MenuExt registry key");
    // Started, not awaited: nothing that follows reads this backup, and the window
    // need not wait for the editor.
    modReg::RunRegedit(2, modReg::kMenuExtFull, "", false);
    WriteLog("MenuExt registry key exported");
  } else {
    WriteLog("MenuExt backup disabled");
  }
}
