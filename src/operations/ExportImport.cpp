// Exporting keys to registry files, importing registry files, opening an extension's
// file or registry file in the text editor, and the Edit menu's states.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/App.h"
#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "win/Seam.h"

namespace {

using modMain::WriteLog;

constexpr char kRegFilter[] = "Registry files (.reg)|*.reg";

void Warn(HWND owner, const std::string& text) {
  win::Ui().MessageBox(owner, text, modMain::kTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void frmMain::mnuExAll_Click() {
  modMain::OperationScope scope;
  if (!scope) return;
  std::string folder = modGetFolder::BrowseForFolder(h_, "Export to where ..?");
  if (folder.empty()) return;
  if (!modMain::FolderExists(folder)) {
    WriteLog("Export folder [ " + folder + " ] does not exist");
    Warn(h_, "The folder " + folder + " does not exist.\r\n\r\nNothing was exported.");
    return;
  }
  if (folder.back() != '\\') folder += '\\';

  const int rows = lvwInstalled.Count();
  std::vector<std::string> failed;
  int exported = 0;
  for (int row = 0; row < rows; ++row) {
    ctlSBar.SetText("Exporting " + std::to_string(row + 1) + " of " + std::to_string(rows));
    UpdateWindow(ctlSBar.Handle());
    const std::string key = lvwInstalled.Tag(row), name = lvwInstalled.Cell(row, 0);
    if (!modMain::IsExtensionKey(key)) {
      WriteLog("Skipping [ " + name + " ]: [ " + key + " ] is not an extension key");
      if (modReg::IsOutsideCodePageTag(key)) failed.push_back(name);  // its text names the reason
      continue;
    }
    // A free name, taken by creating the file: no export replaces another file, and a
    // file that does not hold its key whole is not left behind.
    DWORD error = 0;
    const std::string file = modMain::TakeFreeFile(folder, modMain::SafeFileName(name), ".reg", &error);
    std::string why = file.empty() ? modMain::SystemErrorText(error) : "the registry editor failed or wrote nothing";
    if (!file.empty() && modMain::RunRegeditBlocking(h_, 3, key, file) && modReg::ProveBackup(file, key, &why)) {
      ++exported;
      continue;
    }
    if (!file.empty()) DeleteFileA(file.c_str());
    WriteLog("Unable to export [ " + key + " ] to [ " + (file.empty() ? folder + name : file) + " ]: " + why);
    failed.push_back(name + " (" + why + ")");
  }
  // The count that went, and where: the progress line's last word.
  ctlSBar.SetText(std::to_string(exported) + " of " + std::to_string(rows) + " extensions exported to " + folder);
  if (!failed.empty()) {
    std::string names;
    for (const std::string& name : failed) names += "\r\n" + name;
    Warn(h_, "These extensions could not be exported to " + folder + ":\r\n" + names);
  }
}

void frmMain::mnuExSelected_Click() {
  const int row = lvwInstalled.Selected();
  if (row < 0) return;
  modMain::OperationScope scope;
  if (!scope) return;
  const std::string key = lvwInstalled.Tag(row), name = lvwInstalled.Cell(row, 0);
  if (!modMain::CheckExtensionRow(h_, key, name)) return;

  win::FileDialogRequest request;
  request.owner = h_;
  request.save = true;
  request.title = "Export registry key as ...";
  request.filter = kRegFilter;
  request.defaultExt = "reg";
  request.initialDir = modMain::InAppPath("Reg_backup");
  request.fileName = modMain::SafeFileName(name) + ".reg";
  request.flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  const std::string chosen = win::Ui().FileDialog(request);
  if (chosen.empty()) return;

  std::string why = "the registry editor failed or wrote nothing";
  if (!modMain::RunRegeditBlocking(h_, 3, key, chosen) || !modReg::ProveBackup(chosen, key, &why)) {
    WriteLog("Unable to export [ " + key + " ] to [ " + chosen + " ]: " + why);
    Warn(h_, "The key of [ " + name + " ] could not be exported to " + chosen + ":\r\n" + why);
    return;
  }
  // The extension's file goes beside the key file. A missing file or a failed copy
  // does not undo the export; it is only logged.
  std::string file = lvwInstalled.Cell(row, 1);
  const std::string folder = modMain::GetPathPart(2, chosen);
  if (folder.empty() || !modMain::FileExists(file)) return;
  const std::string copy = folder + "\\" + modMain::GetPathPart(1, file);
  if (modMain::SamePath(copy, file) || modMain::SamePath(copy, chosen)) {
    WriteLog("[ " + file + " ] not copied to [ " + copy + " ]");
    return;
  }
  if (!CopyFileA(file.c_str(), copy.c_str(), FALSE))
    WriteLog("Unable to copy [ " + file + " ] to [ " + copy + " ]: " + modMain::SystemErrorText(GetLastError()));
}

void frmMain::mnuExportExt_Click() { mnuExSelected_Click(); }

void frmMain::mnuImport_Click() {
  modMain::OperationScope scope;
  if (!scope) return;
  win::FileDialogRequest request;
  request.owner = h_;
  request.title = "Import extension";
  request.filter = kRegFilter;
  request.initialDir = modMain::InAppPath("Reg_Backup");
  request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  const std::string file = win::Ui().FileDialog(request);
  if (file.empty()) return;
  if (!modMain::OwnFileExists(file)) {
    Warn(h_, modMain::MissingFileText("Unable to import extension.", file));
    return;
  }
  if (modMain::ImportRegFile(h_, file)) {
    LoadExtensionInfo();
    LoadAvailableExtensions();
  }
}

bool modMain::ImportRegFile(HWND owner, const std::string& file) {
  // Two-byte files (the registry editor's own exports) import as they are.
  if (!IsWideTextFile(file) && !modReg::CheckRegFile(2, file)) {
    if (win::Ui().MessageBox(owner, "Registry file contains binary data. Would you like me to try and fix it?",
                             "Unable to import file", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return false;
    modReg::CheckRegFile(1, file);
    // A header the fix cannot change (capital letters, a file that cannot be written)
    // would bring the same question back for ever.
    if (!modReg::CheckRegFile(2, file)) {
      WriteLog("Unable to fix [ " + file + " ]");
      Warn(owner, "The registry file " + file + " could not be fixed and was not imported.");
      return false;
    }
  }
  // What the file does beyond MenuExt is asked for; MenuExt itself can be put back from
  // its backup, as after an enable.
  if (!ConfirmRegFileChanges(owner, file) || !BackUpMenuExt(owner)) return false;
  RunRegeditBlocking(owner, 1, file, "");
  return true;
}

void frmMain::mnuModifyContent_Click() {
  const int row = lvwInstalled.Selected();
  if (row < 0) return;
  std::string path = lvwInstalled.Cell(row, 1);
  if (modMain::FileExists(path)) modMain::OpenInNotepad(h_, path);
  else Warn(h_, "I'm sorry, the file associated with this extension appears to be missing.");
}

void frmMain::mnuViewRegFile_Click() {
  const int row = lvwAvailable.Selected();
  if (row < 0) return;
  const std::string path = lvwAvailable.Tag(row);
  if (modMain::OwnFileExists(path)) modMain::OpenInNotepad(h_, path);
  else Warn(h_, modMain::MissingFileText("Error: Registry file for this extension does not exist", path));
}

void frmMain::mnuEdit_Click() {
  const bool available = modMain::CurrentView == 1 && lvwAvailable.Count() > 0;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile, IDM_mnuESep2}) menu.SetEnabled(id, available);
}
