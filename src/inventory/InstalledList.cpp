// frmMain's installed list: every subkey of MenuExt, with its file checked.
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
  // Each row is made from exactly its key, whatever the code page can show of its name.
  return modReg::ForEachExtensionKey([&](const std::string& name, bool exact, HKEY key) {
    modReg::ExtensionInfo info;
    if (key) info = modReg::GetExtensionInfo(key, name);
    int row;
    if (!key) {
      row = list.AddRow("Not Found");
    } else {
      const std::string full = std::string(modReg::kMenuExtFull) + "\\" + name;
      row = list.AddRow(exact ? info.Name : info.Name + modReg::kOutsideCodePageMark, image);
      list.SetTag(row, exact ? full : modReg::kOutsideCodePageTag + full);
      list.SetTip(row, full);
    }
    list.SetCell(row, 1, info.Path.empty() ? "Not Found" : info.Path);
    list.SetCell(row, 2, info.Contexts);
    list.SetCell(row, 3, info.Flags);
  });
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
  lvwInstalled.FitLastColumn();  // bold cells widened the others: no room to scroll to
  lvwInstalled.Redraw();
  if (!modReg::KeyExists(HKEY_CURRENT_USER, modReg::kMenuExtPath)) {
    WriteLog("No MenuExt registry key to back up");  // the registry editor would only fail
  } else if (modSettings::Setting("Settings", "RMEK_Backup", "1") == "1") {
    WriteLog("Exporting MenuExt registry key");
    // Started, not awaited: nothing that follows reads this backup, and the window
    // need not wait for the editor.
    modReg::RunRegedit(2, modReg::kMenuExtFull, "", false);
    WriteLog("MenuExt registry key exported");
  } else {
    WriteLog("MenuExt backup disabled");
  }
}
