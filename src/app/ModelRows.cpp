#include "app/ModelRows.h"

#include "app/TextRules.h"

namespace modMain {

namespace {
constexpr char kNotFound[] = "File not found: ";
}  // namespace

std::string InstalledCell(const InstalledExtension& extension, int column) {
  switch (column) {
    case 0: return text::MenuText(ListText(extension));
    case 1: return ListPath(extension);
    case 2: return extension.Contexts;
    case 3: return extension.Flags;
    default: return {};
  }
}

std::string InstalledTip(const InstalledExtension& extension) {
  return extension.FileExists ? extension.Key : extension.Key + "\r\n" + kNotFound + ListPath(extension);
}

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image, int missingImage) {
  const InstalledExtension& extension = extensions.Installed[index];
  const int row = list.AddRow(InstalledCell(extension, 0), extension.FileExists ? image : missingImage,
                              static_cast<int>(index), InstalledTip(extension));
  for (int column : {1, 2, 3}) list.SetCell(row, column, InstalledCell(extension, column));
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
