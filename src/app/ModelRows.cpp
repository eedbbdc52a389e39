#include "app/ModelRows.h"

#include "app/TextRules.h"

namespace modMain {

namespace {
constexpr char kNotFound[] = "File not found: ";
}  // namespace

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image, int missingImage) {
  const InstalledExtension& extension = extensions.Installed[index];
  const bool missing = !extension.FileExists;
  const int row = list.AddRow(text::MenuText(ListText(extension)), missing ? missingImage : image, static_cast<int>(index),
                              missing ? extension.Key + "\r\n" + kNotFound + ListPath(extension) : extension.Key);
  list.SetCell(row, 1, ListPath(extension));
  list.SetCell(row, 2, extension.Contexts);
  list.SetCell(row, 3, extension.Flags);
  return row;
}

int AddAvailableRow(win::CListView& list, const Extensions& extensions, size_t index, int missingImage) {
  const CatalogEntry& entry = extensions.Catalog[index];
  const bool missing = !entry.RegFileExists;
  const int row = list.AddRow(text::MenuText(entry.Name), missing ? missingImage : -1, static_cast<int>(index),
                              missing ? kNotFound + entry.RegFile : entry.RegFile);
  list.SetCell(row, 1, entry.Category);
  list.SetCell(row, 2, entry.Description);
  list.SetCell(row, 3, entry.File);
  return row;
}

}  // namespace modMain
