// Disabling an extension (its key backed up, then deleted) and deleting one (the key
// as in disabling, then its file copied to Ext_Backup and deleted).
#include <cctype>

#include "app/App.h"
#include "app/frmMain.h"
#include "inventory/modReg.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "win/ListView.h"
#include "win/Seam.h"

namespace modMain {

namespace {

enum class KeyBackup { Saved, KeyGone, Failed };

// Backs up one extension's key into the registry backup folder, named after the
// extension without "&". file receives the backup's path.
KeyBackup BackUpExtensionKey(HWND owner, const std::string& keyPath, const std::string& name, std::string& file) {
  const std::string base = SafeFileName(WithoutAmpersands(name));
  file = modReg::RegistryBackupFolder() + base + ".reg";
  if (!ExtensionKeyExists(keyPath)) return KeyBackup::KeyGone;
  return RunRegeditBlocking(owner, 2, keyPath, base) ? KeyBackup::Saved : KeyBackup::Failed;
}

// Reports a backup that did not happen; true when the caller's lists need reloading.
bool ReportUnsaved(HWND owner, KeyBackup backup, const std::string& keyPath, const std::string& name,
                   const std::string& file) {
  if (backup == KeyBackup::KeyGone) {
    WriteLog("[ " + keyPath + " ] is no longer in the registry");
    win::Ui().MessageBox(owner, "[ " + name + " ] is no longer in the registry.", kTitle, MB_OK | MB_ICONINFORMATION);
    return true;
  }
  WriteLog("Unable to back up [ " + keyPath + " ] to [ " + file + " ], the key was not deleted");
  win::Ui().MessageBox(owner,
                       "The key of [ " + name + " ] could not be backed up to\r\n" + file +
                           "\r\n\r\nThe key has not been deleted.",
                       kTitle, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

// Deletes the key through the registry layer, which reports its own failure; true
// when the key is gone.
bool DeleteExtensionKey(const std::string& keyPath) {
  modReg::DeleteKey(modReg::RootText(HKEY_CURRENT_USER), ExtensionSubkey(keyPath));
  return !ExtensionKeyExists(keyPath);
}

// Only a file named by its full path is deleted: a relative path ("Not Found" among
// them) would name a file in whatever folder the program runs in.
bool IsFullPath(const std::string& path) {
  const bool drive = path.size() > 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
  return drive || path.compare(0, 2, "\\\\") == 0;
}

void Warn(HWND owner, const std::string& text) {
  win::Ui().MessageBox(owner, text, kTitle, MB_OK | MB_ICONEXCLAMATION);
}

// Copies the extension's file into Ext_Backup under the program folder, then deletes
// it. The file is deleted only after its copy is there; every failure is reported
// and leaves the file where it was.
void BackUpAndDeleteFile(HWND owner, const std::string& file) {
  WriteLog("Backing up [ " + file + " ]");
  const std::string folder = InAppPath("Ext_Backup");
  std::string reason;
  if (!FolderExists(folder) && !CreateFolder(folder, &reason)) {
    WriteLog("Unable to create [ " + folder + " ]: " + reason);
    Warn(owner, "The file " + file + " was not deleted: the backup folder " + folder + " could not be created.\r\n\r\n" +
                    reason);
    return;
  }
  const std::string copy = folder + "\\" + GetPathPart(1, file);
  if (!CopyFileA(file.c_str(), copy.c_str(), FALSE)) {
    reason = SystemErrorText(GetLastError());
    WriteLog("Unable to copy [ " + file + " ] to [ " + copy + " ]: " + reason);
    Warn(owner, "The file " + file + " was not deleted: it could not be copied to " + copy + "\r\n\r\n" + reason);
    return;
  }
  WriteLog("[ " + file + " ] backed up");
  WriteLog("Deleting [ " + file + " ]");
  if (!DeleteFileA(file.c_str())) {
    reason = SystemErrorText(GetLastError());
    WriteLog("Unable to delete [ " + file + " ]: " + reason);
    Warn(owner, "The file " + file + " could not be deleted.\r\n\r\n" + reason + "\r\n\r\nIts copy is in " + copy);
    return;
  }
  WriteLog("[ " + file + " ] deleted");
}

}  // namespace

bool DisableExtension(HWND owner, const std::string& keyPath, const std::string& name) {
  if (!CheckExtensionRow(owner, keyPath, name)) return false;
  WriteLog("User wishes to disable [ " + name + " ] ");
  WriteLog("Backing up [ " + keyPath + " ]");
  std::string file;
  const KeyBackup backup = BackUpExtensionKey(owner, keyPath, name, file);
  if (backup != KeyBackup::Saved) return ReportUnsaved(owner, backup, keyPath, name, file);
  WriteLog("[ " + name + " ] backed up");
  WriteLog("Deleting [ " + name + " ] from registry");
  if (!DeleteExtensionKey(keyPath)) {
    WriteLog("Unable to delete [ " + name + " ] from registry");
    return true;
  }
  WriteLog("[ " + name + " ] disabled");
  return true;
}

void DisableSelected(HWND owner, const win::CListView& installed, const std::function<void()>& reload) {
  const int row = installed.Selected();
  if (row < 0) return;
  OperationScope scope;
  if (!scope) return;
  if (DisableExtension(owner, installed.Tag(row), installed.Cell(row, 0)) && reload) reload();
}

}  // namespace modMain

void frmMain::mnuDisable_Click() {
  modMain::DisableSelected(h_, lvwInstalled, [this] {
    LoadExtensionInfo();
    LoadAvailableExtensions();
  });
}

void frmMain::mnuDelete_Click() {
  using modMain::WriteLog;
  const int row = lvwInstalled.Selected();
  if (row < 0) return;
  modMain::OperationScope scope;
  if (!scope) return;
  const std::string key = lvwInstalled.Tag(row), name = lvwInstalled.Cell(row, 0);
  std::string file = lvwInstalled.Cell(row, 1);
  if (!modMain::CheckExtensionRow(h_, key, name)) return;
  if (win::Ui().MessageBox(h_, "Are you sure you want to delete this extension and the file associated with it?",
                           modMain::kTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  WriteLog("User wishes to delete [ " + key + " ]");
  WriteLog("Preparing to backup [ " + key + " ]");
  std::string backupFile;
  const modMain::KeyBackup backup = modMain::BackUpExtensionKey(h_, key, name, backupFile);
  if (backup != modMain::KeyBackup::Saved) {
    if (modMain::ReportUnsaved(h_, backup, key, name, backupFile)) {
      LoadExtensionInfo();
      LoadAvailableExtensions();
    }
    return;
  }
  WriteLog("[ " + key + " ] backed up");
  WriteLog("Deleting [ " + key + " ]");
  if (modMain::DeleteExtensionKey(key)) {
    WriteLog("[ " + key + " ] deleted");
    WriteLog("Verifying [ " + file + " ]");
    if (modMain::FileExists(file) && modMain::IsFullPath(file)) {
      modMain::BackUpAndDeleteFile(h_, file);
    } else {
      WriteLog("Could not locate [ " + file + " ]");
      win::Ui().MessageBox(h_, "Could not delete the file associated with this extension.", "File missing",
                           MB_OK | MB_ICONINFORMATION);
    }
  } else {
    // The extension stays installed, so its file stays too.
    WriteLog("Unable to delete [ " + key + " ], its file is kept");
  }
  WriteLog("Re-loading extension information");
  LoadExtensionInfo();
  LoadAvailableExtensions();
}
