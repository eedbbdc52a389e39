// The pack's catalog NIMO_Ext.ini: one entry per extension the pack offers.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace win {
class CListView;
}

namespace modMain {

struct CatalogEntry {
  std::string Category;
  std::string Name;
  std::string File;         // relative to the pack's folder
  std::string Description;
  std::string RegFile;      // the pack location followed by the entry's registry file
};

// Restores a missing catalog from the built-in copy (one attempt); false when it is still missing.
bool RestoreCatalog();
// The entries in file order; entries with fewer than four fields are skipped and logged.
// A badly laid-out file is shown to the user and gives no entries.
std::vector<CatalogEntry> ReadCatalog();
// Converts the shipped ".txt" form of a registry file when its ".reg" file is missing.
void PrepareRegFile(const std::string& regFile);

// The list loads both windows share. The installed list: every MenuExt subkey as a row
// (text, path, contexts, flags; tag and tool tip the full key path, the given image);
// returns the count, one per enumerated subkey.
long FillInstalledList(win::CListView& list, int image);
// The available list's rows from the catalog, before the installed ones are removed.
// beforeRead runs right after sorting is switched off. Returns the number of entries,
// or -1 when the catalog could not be read (the list is then left as it is, empty).
long FillAvailableList(win::CListView& available,
                       const std::function<void()>& beforeRead);
// Removes the rows found in the installed list's paths, marks the remaining rows whose
// registry file is missing (when asked), switches sorting on; returns the count left.
long RemoveInstalled(win::CListView& available, const win::CListView& installed, long count, bool markMissing);

}  // namespace modMain
