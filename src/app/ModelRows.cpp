#include "app/ModelRows.h"

#include "base/TextRules.h"
#include "lang/modLang.h"
#include "win/Profile.h"

namespace modMain {

namespace {
std::wstring NotFoundTip(const std::string& file) { return modLang::Text("Main", "FileNotFound", {file}); }

// The model's English word for what is not there, as the list shows it.
std::wstring Shown(const std::string& value, const char* englishWord, const char* key) {
  return value == englishWord ? modLang::Text("Main", key) : win::Widen(value);
}
}  // namespace

std::wstring InstalledCell(const InstalledExtension& extension, int column) {
  switch (column) {
    case 0:  // a key that could not be read says so
      return extension.Opened ? win::Widen(text::MenuText(ListText(extension))) : modLang::Text("Main", "NotFound");
    case 1: return Shown(ListPath(extension), "Not Found", "NotFound");
    case 2: return Shown(extension.Contexts, "None", "None");
    case 3: return Shown(extension.Flags, "None", "None");
    default: return {};
  }
}

std::wstring InstalledTip(const InstalledExtension& extension) {
  return win::Widen(extension.Key) + (extension.FileExists ? L"" : L"\r\n" + NotFoundTip(ListPath(extension)));
}

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image, int missingImage) {
  const InstalledExtension& extension = extensions.Installed[index];
  const int row = list.AddRow(text::MenuText(ListText(extension)), extension.FileExists ? image : missingImage,
                              static_cast<int>(index), InstalledTip(extension));
  for (int column : {0, 1, 2, 3})
    if (column || !extension.Opened) list.SetCell(row, column, InstalledCell(extension, column));
  return row;
}

int AddAvailableRow(win::CListView& list, const Extensions& extensions, size_t index, int missingImage) {
  const CatalogEntry& entry = extensions.Catalog[index];
  const bool missing = !entry.RegFileExists;
  const int row = list.AddRow(text::MenuText(entry.Name), missing ? missingImage : -1, static_cast<int>(index),
                              missing ? NotFoundTip(entry.RegFile) : win::Widen(entry.RegFile));
  list.SetCell(row, 1, entry.Category);
  list.SetCell(row, 2, entry.Description);
  list.SetCell(row, 3, entry.File);
  return row;
}

}  // namespace modMain
