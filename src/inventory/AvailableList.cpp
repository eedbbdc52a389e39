// frmMain's available list: the pack's catalog less what is installed.
#include "app/App.h"
#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Catalog.h"
#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace {
constexpr COLORREF kMissingColor = 255;  // red
}

namespace modMain {

bool RestoreCatalog() {
  if (OwnFileExists(modSettings::CatalogFile())) return true;
  WriteLog("Available extensions list is missing, attempting restoration");
  ExtractResource(IDR_CATALOG, "Custom", InAppPath("NIMO_Ext.ini"));
  WriteLog("File restored, trying again");
  if (OwnFileExists(modSettings::CatalogFile())) return true;
  // One attempt only: a folder that cannot take the file will not take it on a retry.
  WriteLog("Unable to restore the available extensions list [ " + modSettings::CatalogFile() + " ]");
  win::Ui().MessageBox(nullptr, "Unable to restore the list of available extensions:\r\n" + modSettings::CatalogFile(),
                       kTitle, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

std::vector<CatalogEntry> ReadCatalog() {
  std::vector<CatalogEntry> entries;
  modSettings::Section rows;
  try {
    rows = modSettings::ReadSection("Extensions", "Available_Extensions");
  } catch (const modSettings::NimoError& e) {
    WriteLog("Unable to read the available extensions list: error " + std::to_string(e.Number));
    win::Ui().MessageBox(nullptr, e.Description, kTitle, MB_OK | MB_ICONEXCLAMATION);
    return entries;
  }
  // Said once, not at every reload of the list, until the section is back.
  static bool saidEmpty = false;
  const bool say = rows.empty() && !saidEmpty;
  saidEmpty = rows.empty();
  if (say) {
    WriteLog("The available extensions list [ " + modSettings::CatalogFile() + " ] lists no extensions");
    win::Ui().MessageBox(nullptr, "The section [Available_Extensions] of " + modSettings::CatalogFile() +
                                      " lists no extensions.", kTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  const std::string location = modSettings::PathSetting("Paths", "NIMO_Location", "");
  for (const auto& [category, value] : rows) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at; (at = value.find(';', start)) != std::string::npos; start = at + 1)
      fields.push_back(value.substr(start, at - start));
    fields.push_back(value.substr(start));
    if (fields.size() < 4) {
      WriteLog("Skipping [ " + category + "=" + value + " ]: an entry needs a name, a file, a description and a registry file");
      continue;
    }
    entries.push_back({category, fields[0], fields[1], fields[2], location + fields[3]});
  }
  return entries;
}

void PrepareRegFile(const std::string& regFile) {
  if (OwnFileExists(regFile)) return;
  const std::string shipped = text::Replace(regFile, ".reg", ".txt");
  WriteLog("Renaming [ " + shipped + " ]");
  fRenFile(shipped);
}

}  // namespace modMain

namespace modMain {

long FillAvailableList(win::CListView& available,
                       const std::function<void()>& beforeRead) {
  available.SetSorted(false);
  if (beforeRead) beforeRead();
  if (!RestoreCatalog()) {
    available.Clear();
    return -1;
  }
  available.Clear();
  std::vector<CatalogEntry> entries = ReadCatalog();
  if (modSettings::SectionMissing) return -1;
  long count = static_cast<long>(entries.size());
  for (const CatalogEntry& entry : entries) {
    int row = available.AddRow(entry.Name);
    available.SetCell(row, 1, entry.Category);
    available.SetCell(row, 2, entry.Description);
    available.SetCell(row, 3, entry.File);
    PrepareRegFile(entry.RegFile);
    available.SetTag(row, entry.RegFile);
    available.SetTip(row, entry.RegFile);
  }
  return count;
}

long RemoveInstalled(win::CListView& available, const win::CListView& installed, long count, bool markMissing) {
  WriteLog("Verifying installed extensions");
  // One pass in list order removes the same rows, with the same lines, as restarting
  // from the top after each removal would.
  for (int row = 0; row < available.Count();) {
    const std::string location = available.Cell(row, 3);
    bool found = false;
    for (int i = 0; i < installed.Count() && !found; ++i) found = installed.Cell(i, 1).find(location) != std::string::npos;
    if (found) {
      WriteLog("[ " + available.Cell(row, 0) + " ] is installed");
      available.DeleteRow(row);
      --count;
      continue;
    }
    if (markMissing && !OwnFileExists(available.Tag(row)))
      for (int column : {0, 1, 2, 3}) available.SetStyle(row, column, kMissingColor, true);
    ++row;
  }
  available.SetSorted(true);
  return count;
}

}  // namespace modMain

void frmMain::LoadAvailableExtensions() {
  using modMain::WriteLog;
  win::CListView::Freeze freeze(lvwAvailable);
  long count = modMain::FillAvailableList(lvwAvailable, nullptr);
  if (count < 0) {  // no catalog to read: the list is empty, and the screen says so
    availableCount_ = 0;
    ShowViewText();
    return;
  }
  lvAutosizeControl(lvwAvailable);
  count = modMain::RemoveInstalled(lvwAvailable, lvwInstalled, count, true);
  availableCount_ = count;
  ShowViewText();
  WriteLog(std::to_string(count) + " extensions available");
  lvwAvailable.Redraw();
}
