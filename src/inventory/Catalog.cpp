// The pack's catalog: restoring it, reading its entries, preparing their registry files.
#include "inventory/Catalog.h"

#include "base/TextRules.h"
#include "base/resource.h"
#include "inventory/Extensions.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Profile.h"
#include "win/Seam.h"

namespace modMain {

bool RestoreCatalog() {
  if (OwnFileExists(modSettings::CatalogFile())) return true;
  WriteLog("Available extensions list is missing, attempting restoration");
  ExtractResource(IDR_CATALOG, "Custom", modSettings::CatalogFile());
  WriteLog("File restored, trying again");
  if (OwnFileExists(modSettings::CatalogFile())) return true;
  // One attempt only: a folder that cannot take the file will not take it on a retry.
  WriteLog("Unable to restore the available extensions list [ " + modSettings::CatalogFile() + " ]");
  if (Data().writable)  // an unwritable data folder was said at start, not at every reload
    modLang::Say(nullptr, modLang::Text("Messages", "CatalogNotRestored", {modSettings::CatalogFile()}),
                 MB_OK | MB_ICONEXCLAMATION);
  return false;
}

std::vector<CatalogEntry> ReadCatalog() {
  std::vector<CatalogEntry> entries;
  modSettings::Section rows;
  try {
    rows = modSettings::ReadSection("Extensions", "Available_Extensions");
  } catch (const modSettings::NimoError& e) {
    WriteLog("Unable to read the available extensions list: error " + std::to_string(e.Number));
    modLang::Say(nullptr, e.Number == modSettings::kBadIniError ? modLang::Text("Messages", "BadIni") : win::Widen(e.Description),
                 MB_OK | MB_ICONEXCLAMATION);
    return entries;
  }
  // Said once, not at every reload of the list, until the section is back.
  static bool saidEmpty = false;
  const bool say = rows.empty() && !saidEmpty;
  saidEmpty = rows.empty();
  if (say) {
    WriteLog("The available extensions list [ " + modSettings::CatalogFile() + " ] lists no extensions");
    modLang::Say(nullptr, modLang::Text("Messages", "CatalogEmpty", {modSettings::CatalogFile()}),
                 MB_OK | MB_ICONEXCLAMATION);
  }
  const std::string location = modSettings::PathSetting("Paths", "NIMO_Location", "");
  // The pack's folder is only read where it cannot be written (a pack under Program
  // Files): its registry files are prepared under the data folder instead. Probed once
  // per pack folder in a run, not at every reload of the list.
  static std::string probed, prepared;
  if (location.empty() || !text::SameName(location, probed)) {
    probed = location;
    prepared = location;
    const std::string regFiles = location + "Reg_Files";
    if (!location.empty() && FolderExists(location) && !CanCreateFileIn(FolderExists(regFiles) ? regFiles : location)) {
      prepared = InDataPath("");
      WriteLog("The pack's folder cannot be written: its registry files are prepared in " + prepared + "Reg_Files");
    }
  }
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
    entries.push_back({category, fields[0], fields[1], fields[2], prepared + fields[3], false, location + fields[3]});
  }
  return entries;
}

void PrepareRegFile(const CatalogEntry& entry) {
  if (OwnFileExists(entry.RegFile)) return;
  const std::string& shipped = entry.ShippedRegFile;
  if (shipped.empty() || text::SameName(shipped, entry.RegFile)) {
    const std::string text = text::Replace(entry.RegFile, ".reg", ".txt");
    WriteLog("Renaming [ " + text + " ]");
    fRenFile(text);
    return;
  }
  const std::string source = OwnFileExists(shipped) ? shipped : text::Replace(shipped, ".reg", ".txt");
  WriteLog("Preparing [ " + source + " ] as [ " + entry.RegFile + " ]");
  fRenFile(source, entry.RegFile);
}

}  // namespace modMain
