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
  std::string RegFile;      // the prepared registry file: in the pack, or in the data folder
  bool RegFileExists = false;
  std::string ShippedRegFile;  // the pack location followed by the entry's registry file
};

// Restores a missing catalog from the built-in copy (one attempt); false when it is still missing.
bool RestoreCatalog();
// The entries in file order; entries with fewer than four fields are skipped and logged.
// A badly laid-out file is shown to the user and gives no entries.
std::vector<CatalogEntry> ReadCatalog();
// Prepares the entry's registry file when it is missing: from the shipped ".txt" form
// in place when the pack's folder can be written, else from the pack's ".reg" or ".txt"
// file into Reg_Files under the data folder.
void PrepareRegFile(const CatalogEntry& entry);

}  // namespace modMain
