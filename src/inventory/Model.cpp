#include "inventory/Model.h"

#include <iterator>

#include "app/App.h"

#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"

namespace modMain {

std::string ListText(const InstalledExtension& extension) {
  if (!extension.Opened) return "Not Found";
  return extension.Exact ? extension.Name : extension.Name + modReg::kOutsideCodePageMark;
}

std::string ListPath(const InstalledExtension& extension) {
  return extension.Path.empty() ? "Not Found" : extension.Path;
}

void LoadInstalled(Extensions& extensions, Reader reader) {
  LogHold hold;  // one open log for the whole load
  extensions.Installed.clear();
  ReadInstalled([&](std::vector<InstalledExtension>&& batch, long total, bool last) {
    LogExtracted(batch);
    TakeBatch(extensions, std::move(batch), total, last);
    return true;
  });
  FinishInstalled(extensions, reader);
  // Started, not awaited: nothing that follows reads this copy, and the window need not
  // wait for the editor.
  if (reader == Reader::Main) BackUpAtRead(false);
}

bool ReadInstalled(const BatchDelivery& deliver) {
  std::vector<InstalledExtension> batch;
  bool more = true;
  // Each entry is made from exactly its key, whatever the code page can show of its name.
  const long total = modReg::ForEachExtensionKey([&](const std::string& name, bool exact, HKEY key, long subkeys) {
    InstalledExtension& extension = batch.emplace_back();
    if (key) {
      const modReg::ExtensionInfo info = modReg::GetExtensionInfo(key, name);
      extension.Opened = true;
      extension.Name = info.Name;
      extension.Key = std::string(modReg::kMenuExtFull) + "\\" + name;
      extension.Exact = exact;
      extension.Path = info.Path;
      extension.Contexts = info.Contexts;
      extension.Flags = info.Flags;
      extension.FileExists = !info.Path.empty() && FileExistsCopy(info.Path);
      extension.ContextsFailed = info.ContextsFailed;
      extension.FlagsFailed = info.FlagsFailed;
    }
    if (batch.size() == kReadBatch) {
      more = deliver(std::move(batch), subkeys, false);
      batch = {};
    }
    return more;
  });
  return more && deliver(std::move(batch), total, true);
}

void LogExtracted(const std::vector<InstalledExtension>& batch) {
  LogHold hold;
  const size_t prefix = std::string(modReg::kMenuExtFull).size() + 1;
  for (const InstalledExtension& extension : batch) {
    if (!extension.Opened) continue;
    const std::string name = extension.Key.substr(prefix);  // as the key is named, spaces and all
    WriteLog("Extracting [ " + name + " ] information from registry");
    if (extension.ContextsFailed) WriteLog("Unable to retrieve registry value for: " + name);
    if (extension.FlagsFailed) WriteLog("Unable to retrieve registry value for: " + name);
  }
}

void TakeBatch(Extensions& extensions, std::vector<InstalledExtension>&& batch, long total, bool last) {
  std::vector<InstalledExtension>& installed = extensions.Installed;
  if (installed.empty() && total > 0) installed.reserve(static_cast<size_t>(total));  // one block, not a doubling series
  installed.insert(installed.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
  if (last) extensions.InstalledCount = total;
}

void FinishInstalled(const Extensions& extensions, Reader reader) {
  LogHold hold;
  const std::vector<InstalledExtension>& installed = extensions.Installed;
  if (reader != Reader::Main) return;
  WriteLog(std::to_string(extensions.InstalledCount) + " extensions found");
  for (const InstalledExtension& extension : installed) {
    const std::string path = ListPath(extension);
    WriteLog("Verifying [ " + path + " ] exists");
    if (!extension.FileExists) WriteLog("[ " + path + " ] does not exist");
  }
}

void BackUpAtRead(bool awaited) {
  if (!modReg::KeyExists(HKEY_CURRENT_USER, modReg::kMenuExtPath)) {
    WriteLog("No MenuExt registry key to back up");  // the registry editor would only fail
  } else if (!Data().writable) {
    WriteLog("No folder for the MenuExt backup");  // said once at start
  } else if (modSettings::Setting("Settings", "RMEK_Backup", "1") == "1") {
    WriteLog("Exporting MenuExt registry key");
    std::string file, why;
    if (!awaited) {
      modReg::RunRegedit(modReg::Regedit::Backup, modReg::kMenuExtFull, "", false);
    } else if (!BackUpKey(nullptr, modReg::kMenuExtFull, "", file, why, false)) {
      WriteLog("Unable to export the MenuExt registry key: " + why);
      return;
    }
    WriteLog("MenuExt registry key exported");
  } else {
    WriteLog("MenuExt backup disabled");
  }
}

void LoadCatalog(Extensions& extensions, Reader reader) {
  LogHold hold;
  extensions.Catalog.clear();
  extensions.CatalogCount = -1;
  if (!RestoreCatalog()) return;
  std::vector<CatalogEntry> entries = ReadCatalog();
  if (modSettings::SectionMissing) return;
  for (CatalogEntry& entry : entries) {
    PrepareRegFile(entry);
    entry.RegFileExists = OwnFileExists(entry.RegFile);
  }
  extensions.Catalog = std::move(entries);
  extensions.CatalogCount = static_cast<long>(extensions.Catalog.size());
  WriteLog("Verifying installed extensions");
  size_t available = 0;
  for (const CatalogEntry& entry : extensions.Catalog) {
    if (IsInstalled(entry, extensions.Installed)) WriteLog("[ " + entry.Name + " ] is installed");
    else ++available;
  }
  if (reader == Reader::Main) WriteLog(std::to_string(available) + " extensions available");
}

bool IsInstalled(const CatalogEntry& entry, const std::vector<InstalledExtension>& installed) {
  // An entry that names no file is part of no extension's file.
  if (entry.File.empty()) return false;
  for (const InstalledExtension& extension : installed)
    if (extension.Path.find(entry.File) != std::string::npos) return true;
  return false;
}

std::vector<size_t> AvailableEntries(const Extensions& extensions) {
  std::vector<size_t> available;
  for (size_t i = 0; i < extensions.Catalog.size(); ++i)
    if (!IsInstalled(extensions.Catalog[i], extensions.Installed)) available.push_back(i);
  return available;
}

}  // namespace modMain
