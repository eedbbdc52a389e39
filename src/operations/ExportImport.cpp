// Exporting keys to registry files, importing registry files, opening an extension's
// file or registry file in the text editor.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/Extensions.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "win/Seam.h"

namespace {

using modMain::WriteLog;

// How the log names the key of a name outside the code page.
constexpr char kOutsideCodePage[] = "(name not in this system's code page) ";

void Warn(HWND owner, const std::wstring& text) { modLang::Say(owner, text, MB_OK | MB_ICONEXCLAMATION); }

}  // namespace

void modMain::ExportAll(HWND h_, const std::vector<InstalledExtension>& installed,
                        const std::function<void(const std::wstring&)>& status) {
  std::string folder = modGetFolder::BrowseForFolder(h_, modLang::Text("Main", "ExportFolderTitle"));
  if (folder.empty()) return;
  if (!modMain::FolderExists(folder)) {
    WriteLog("Export folder [ " + folder + " ] does not exist");
    Warn(h_, modLang::Text("Messages", "ExportFolderMissing", {folder}));
    return;
  }
  if (folder.back() != '\\') folder += '\\';

  const int rows = static_cast<int>(installed.size());
  std::wstring failed;
  int exported = 0;
  for (int row = 0; row < rows; ++row) {
    status(modLang::Text("Main", "Exporting", {row + 1, rows}));
    const InstalledExtension& extension = installed[row];
    const std::string key = extension.Key, name = ListText(extension);
    if (!IsOperable(extension)) {
      WriteLog("Skipping [ " + name + " ]: [ " + (extension.Opened && !extension.Exact ? kOutsideCodePage : "") + key +
               " ] is not an extension key");
      if (extension.Opened && !extension.Exact) failed += L"\r\n" + win::Widen(name);  // its text names the reason
      continue;
    }
    // A free name, taken by creating the file: no export replaces another file, and a
    // file that does not hold its key whole is not left behind.
    DWORD error = 0;
    const std::string file = modMain::TakeFreeFile(folder, modMain::SafeFileName(name), ".reg", &error);
    std::string why = file.empty() ? modMain::SystemErrorText(error) : modLang::English("Reasons", "RegeditFailed");
    if (!file.empty() && modMain::RunRegeditBlocking(h_, modReg::Regedit::ExportTo, key, file) && modReg::ProveBackup(file, key, &why)) {
      ++exported;
      continue;
    }
    if (!file.empty()) DeleteFileA(file.c_str());
    WriteLog("Unable to export [ " + key + " ] to [ " + (file.empty() ? folder + name : file) + " ]: " + why);
    failed += L"\r\n" + win::Widen(name) + L" (" + modLang::Reason(why) + L")";
  }
  // The count that went, and where: the progress line's last word.
  status(modLang::Count("Main", "Exported", rows, {exported, rows, folder}));
  if (!failed.empty()) Warn(h_, modLang::Text("Messages", "ExportFailedList", {folder, failed}));
}

void modMain::ExportSelected(HWND h_, const InstalledExtension& extension) {
  if (!CheckExtension(h_, extension)) return;
  const std::string& key = extension.Key;
  const std::string& name = extension.Name;

  win::FileDialogRequest request;
  request.owner = h_;
  request.save = true;
  request.title = modLang::Text("Main", "ExportKeyTitle");
  request.filter = modLang::Text("Main", "RegFilter");
  request.defaultExt = "reg";
  request.initialDir = modMain::InDataPath("Reg_Backup");
  request.fileName = modMain::SafeFileName(name) + ".reg";
  request.flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  const std::string chosen = win::Ui().FileDialog(request);
  if (chosen.empty()) return;

  std::string why = modLang::English("Reasons", "RegeditFailed");
  if (!modMain::RunRegeditBlocking(h_, modReg::Regedit::ExportTo, key, chosen) || !modReg::ProveBackup(chosen, key, &why)) {
    WriteLog("Unable to export [ " + key + " ] to [ " + chosen + " ]: " + why);
    Warn(h_, modLang::Text("Messages", "ExportFailed", {name, chosen, modLang::Reason(why)}));
    return;
  }
  // The extension's file goes beside the key file. A missing file or a failed copy
  // does not undo the export; it is only logged.
  std::string file = ListPath(extension);
  const std::string folder = modMain::FolderPart(chosen);
  if (folder.empty() || !modMain::ReduceToExistingFile(file)) return;
  const std::string copy = folder + "\\" + modMain::FileNamePart(file);
  if (text::SameName(copy, file) || text::SameName(copy, chosen)) {
    WriteLog("[ " + file + " ] not copied to [ " + copy + " ]");
    return;
  }
  if (!CopyFileA(file.c_str(), copy.c_str(), FALSE))
    WriteLog("Unable to copy [ " + file + " ] to [ " + copy + " ]: " + modMain::SystemErrorText(GetLastError()));
}

bool modMain::ImportChosenFile(HWND owner) {
  win::FileDialogRequest request;
  request.owner = owner;
  request.title = modLang::Text("Main", "ImportTitle");
  request.filter = modLang::Text("Main", "RegFilter");
  request.initialDir = modMain::InDataPath("Reg_Backup");
  request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  const std::string file = win::Ui().FileDialog(request);
  if (file.empty()) return false;
  if (!modMain::OwnFileExists(file)) {
    Warn(owner, modMain::MissingFileText(modLang::Text("Messages", "ImportFailed"), file));
    return false;
  }
  return modMain::ImportRegFile(owner, file);
}

bool modMain::ImportRegFile(HWND owner, const std::string& file) {
  // Two-byte files (the registry editor's own exports) import as they are.
  if (!IsWideTextFile(file) && modReg::HasEditorHeader(file)) {
    if (modLang::Say(owner, modLang::Text("Messages", "BinaryData"), MB_YESNO | MB_ICONQUESTION,
                     modLang::Text("Messages", "TitleImportFailed")) != IDYES)
      return false;
    modReg::FixRegFileHeader(file);
    // A header the fix cannot change (capital letters, a file that cannot be written)
    // would bring the same question back for ever.
    if (modReg::HasEditorHeader(file)) {
      WriteLog("Unable to fix [ " + file + " ]");
      Warn(owner, modLang::Text("Messages", "NotFixed", {file}));
      return false;
    }
  }
  // What the file does beyond MenuExt is asked for; MenuExt itself can be put back from
  // its backup, as after an enable.
  if (!ConfirmRegFileChanges(owner, file) || !BackUpMenuExt(owner)) return false;
  RunRegeditBlocking(owner, modReg::Regedit::Import, file, "");
  return true;
}

void modMain::OpenExtensionFile(HWND owner, const InstalledExtension& extension) {
  std::string path = ListPath(extension);
  if (modMain::ReduceToExistingFile(path)) modMain::OpenInNotepad(owner, path);
  else Warn(owner, modLang::Text("Messages", "ExtensionFileMissing"));
}

void modMain::OpenRegFile(HWND owner, const CatalogEntry& entry) {
  const std::string& path = entry.RegFile;
  if (modMain::OwnFileExists(path)) modMain::OpenInNotepad(owner, path);
  else Warn(owner, modMain::MissingFileText(modLang::Text("Messages", "RegFileMissing"), path));
}
