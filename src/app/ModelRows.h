// The rows both windows make of the model: an installed extension's name, file, contexts
// and flags; an available entry's name, category, description and file. Names show as the
// browser's menu shows them, and the lists sort and find them by typing as shown. Each row
// carries its entry's index and, as its tip, the key or the registry file; a row whose file
// is missing shows the missing image (-1: none), and its tip says which file.
#pragma once
#include "inventory/Model.h"
#include "win/ListView.h"

namespace modMain {

// An installed row's cell (name, file, contexts, flags) and tip.
std::wstring InstalledCell(const InstalledExtension& extension, int column);
std::wstring InstalledTip(const InstalledExtension& extension);

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image, int missingImage);
int AddAvailableRow(win::CListView& list, const Extensions& extensions, size_t index, int missingImage);

}  // namespace modMain
