#include "inventory/Model.h"

#include <iterator>

#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Profile.h"

namespace modMain {

std::string ListText(const InstalledExtension& extension) {
  if (!extension.Opened) return "Not Found";
  return extension.Exact ? extension.Name : extension.Name + modReg::kOutsideCodePageMark;
}

std::string ListPath(const InstalledExtension& extension) {
  return extension.Path.empty() ? "Not Found" : extension.Path;
}

void LoadInstalled(Extensions& extensions, Reader reader, const KeyDelivery& eachKey) {
  LogHold hold;  // one open log for the whole load
  extensions.Installed.clear();
  ReadInstalled(
      [&](std::vector<InstalledExtension>&& batch, long total, bool last) {
        LogExtracted(batch);
        TakeBatch(extensions, std::move(batch), total, last);
        return true;
      },
      eachKey);
  FinishInstalled(extensions, reader);
}

// Each entry is made from exactly its key, whatever the code page can show of its name.
InstalledExtension EntryOf(const modReg::RegFileKey& key, const std::wstring& name) {
  InstalledExtension extension;
  if (key.unreadable && key.values.empty()) return extension;  // not opened: nothing is known
  extension.Opened = true;
  extension.Exact = win::ToAnsi(name, extension.Name);
  extension.Key = std::string(modReg::kMenuExtFull) + "\\" + extension.Name;
  const size_t first = extension.Name.find_first_not_of(' ');  // without leading and trailing spaces
  extension.Name = first == std::string::npos ? std::string()
                                               : extension.Name.substr(first, extension.Name.find_last_not_of(' ') - first + 1);
  extension.Path = modReg::FileOf(key);
  extension.Contexts = modReg::ValueAsHex(modReg::ValueOf(key, L"Contexts"), extension.ContextsFailed);
  extension.Flags = modReg::ValueAsHex(modReg::ValueOf(key, L"Flags"), extension.FlagsFailed);
  extension.FileExists = !extension.Path.empty() && FileExistsCopy(extension.Path);
  return extension;
}

bool ReadInstalled(const BatchDelivery& deliver, const KeyDelivery& eachKey) {
  std::vector<modReg::RegFileKey> keys;
  std::vector<InstalledExtension> batch;
  bool more = true;
  long total = 0;
  size_t given = 0;  // keys handed to eachKey: MenuExt itself stays first in keys
  const auto give = [&] {
    for (; eachKey && given < keys.size(); ++given) eachKey(keys[given]);
  };
  const size_t prefix = std::wstring(win::Widen(modReg::kMenuExtFull)).size() + 1;
  modReg::ReadKeyTree(modReg::kMenuExtFull, keys, [&](size_t index, long subkeys) {
    total = subkeys;
    give();
    batch.push_back(EntryOf(keys[index], keys[index].path.substr(prefix)));
    keys.resize(index);  // only the entries are kept
    given = index;
    if (batch.size() == kReadBatch) {
      more = deliver(std::move(batch), subkeys, false);
      batch = {};
    }
    return more;
  });
  if (more) give();  // MenuExt without subkeys
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
