#include "app/ModelRows.h"

#include "app/TextRules.h"

namespace modMain {

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image) {
  const InstalledExtension& extension = extensions.Installed[index];
  const int row = list.AddRow(text::MenuText(ListText(extension)), image, static_cast<int>(index), extension.Key);
  list.SetCell(row, 1, ListPath(extension));
  list.SetCell(row, 2, extension.Contexts);
  list.SetCell(row, 3, extension.Flags);
  return row;
}

int AddAvailableRow(win::CListView& list, const Extensions& extensions, size_t index) {
  const CatalogEntry& entry = extensions.Catalog[index];
  const int row = list.AddRow(text::MenuText(entry.Name), -1, static_cast<int>(index), entry.RegFile);
  list.SetCell(row, 1, entry.Category);
  list.SetCell(row, 2, entry.Description);
  list.SetCell(row, 3, entry.File);
  return row;
}

}  // namespace modMain
