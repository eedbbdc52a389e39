// The pack's catalog NIMO_Ext.ini: one entry per extension the pack offers.
#pragma once
#include <string>
#include <vector>

namespace modMain {

struct CatalogEntry {
  std::string Category;
  std::string Name;
  std::string File;         // relative to the pack's folder
  std::string Description;
  std::string RegFile;      // the pack location followed by the entry's registry file
  bool RegFileExists = false;
};

// Restores a missing catalog from the built-in copy (one attempt); false when it is still missing.
bool RestoreCatalog();
// The entries in file order; entries with fewer than four fields are skipped and logged.
// A badly laid-out file is shown to the user and gives no entries.
std::vector<CatalogEntry> ReadCatalog();
// Converts the shipped ".txt" form of a registry file when its ".reg" file is missing.
void PrepareRegFile(const std::string& regFile);

}  // namespace modMain
