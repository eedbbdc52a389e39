#include "app/ModelRows.h"

#include "app/TextRules.h"
#include "lang/modLang.h"

namespace modMain {

namespace {
std::wstring NotFoundTip(const std::string& file) { return modLang::Text("Main", "FileNotFound", {file}); }

// The model's English words for what is not there, as the list shows them.
void SetShownCell(win::CListView& list, int row, int column, const std::string& value, const char* englishWord,
                  const char* key) {
  if (value == englishWord) list.SetCell(row, column, modLang::Text("Main", key));
  else list.SetCell(row, column, value);
}
}  // namespace

int AddInstalledRow(win::CListView& list, const Extensions& extensions, size_t index, int image, int missingImage) {
  const InstalledExtension& extension = extensions.Installed[index];
  const bool missing = !extension.FileExists;
  const int row = list.AddRow(text::MenuText(ListText(extension)), missing ? missingImage : image, static_cast<int>(index),
                              win::Widen(extension.Key) + (missing ? L"\r\n" + NotFoundTip(ListPath(extension)) : L""));
  if (!extension.Opened) list.SetCell(row, 0, modLang::Text("Main", "NotFound"));  // a key that could not be read
  SetShownCell(list, row, 1, ListPath(extension), "Not Found", "NotFound");
  SetShownCell(list, row, 2, extension.Contexts, "None", "None");
  SetShownCell(list, row, 3, extension.Flags, "None", "None");
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
