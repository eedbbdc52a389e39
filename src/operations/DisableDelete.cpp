// Disabling an extension (its key backed up, then deleted) and deleting one (the key
// as in disabling, then its file copied to Ext_Backup and deleted).
#include <algorithm>
#include <cctype>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/Extensions.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modMain {

namespace {

enum class KeyBackup { Saved, KeyGone, Failed };

// Backs up one extension's key into the registry backup folder, under a free name made
// from the extension's name without "&", proven to hold the key whole. file receives
// the backup's path, why the reason of a failure.
KeyBackup BackUpExtensionKey(HWND owner, const std::string& keyPath, const std::string& name, std::string& file,
                             std::string& why) {
  if (!ExtensionKeyExists(keyPath)) return KeyBackup::KeyGone;
  return BackUpKey(owner, keyPath, SafeFileName(WithoutAmpersands(name)), file, why) ? KeyBackup::Saved
                                                                                      : KeyBackup::Failed;
}

// Reports a backup that did not happen; true when the caller's lists need reloading.
bool ReportUnsaved(HWND owner, KeyBackup backup, const std::string& keyPath, const std::string& name,
                   const std::string& why) {
  if (backup == KeyBackup::KeyGone) {
    WriteLog("[ " + keyPath + " ] is no longer in the registry");
    modLang::Say(owner, modLang::Text("Messages", "KeyGone", {name}), MB_OK | MB_ICONINFORMATION);
    return true;
  }
  WriteLog("Unable to back up [ " + keyPath + " ]: " + why + "; the key was not deleted");
  modLang::Say(owner, modLang::Text("Messages", "KeyNotBackedUp", {name, modLang::Reason(why)}), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

// Deletes the key through the registry layer, which reports its own failure; true
// when the key is gone.
bool DeleteExtensionKey(const std::string& keyPath) {
  modReg::DeleteKey(modReg::RootText(HKEY_CURRENT_USER), ExtensionSubkey(keyPath));
  return !ExtensionKeyExists(keyPath);
}

void Warn(HWND owner, const std::wstring& text) { modLang::Say(owner, text, MB_OK | MB_ICONEXCLAMATION); }

// Copies the extension's file into Ext_Backup under the program folder, then deletes
// it. The copy takes a name of its own there, made from the file's name (" (2)" when
// that is taken), so it never replaces the copy of another file. The file is deleted
// only after its copy is there; every failure is reported and leaves the file where
// it was.
void BackUpAndDeleteFile(HWND owner, const std::string& file) {
  WriteLog("Backing up [ " + file + " ]");
  std::string copy, reason;
  if (!CopyToExtBackup(file, copy, reason)) {
    WriteLog("Unable to back up [ " + file + " ]: " + reason);
    Warn(owner, modLang::Text("Messages", "FileNotDeleted", {file, modLang::Reason(reason)}));
    return;
  }
  WriteLog("Copied [ " + file + " ] to [ " + copy + " ]");
  WriteLog("[ " + file + " ] backed up");
  WriteLog("Deleting [ " + file + " ]");
  if (!DeleteFileA(file.c_str())) {
    reason = SystemErrorText(GetLastError());
    WriteLog("Unable to delete [ " + file + " ]: " + reason);
    Warn(owner, modLang::Text("Messages", "FileDeleteFailed", {file, reason, copy}));
    return;
  }
  WriteLog("[ " + file + " ] deleted");
}

// The default value of the extension key as it is now; empty text when it holds none.
std::string CurrentExtensionFile(const std::string& keyPath) {
  HKEY key = modReg::OpenKey(HKEY_CURRENT_USER, ExtensionSubkey(keyPath));
  if (!key) return {};
  const std::string file = modReg::ExtensionFile(key);
  RegCloseKey(key);
  return file;
}

// The name and default value of every installed extension, whatever the code page can
// show of its name.
std::vector<std::pair<std::string, std::string>> InstalledFiles() {
  std::vector<std::pair<std::string, std::string>> files;
  modReg::ForEachExtensionKey([&](const std::string& name, bool, HKEY key, long) {
    if (key) files.emplace_back(name, modReg::ExtensionFile(key));
    return true;
  });
  return files;
}

}  // namespace

bool CopyToExtBackup(const std::string& file, std::string& copy, std::string& why) {
  const std::string folder = InDataPath("Ext_Backup");
  if (!FolderExists(folder) && !CreateFolder(folder, &why)) {
    why = modLang::English("Reasons", "BackupFolderNotCreated", {folder, why});
    return false;
  }
  const std::string name = FileNamePart(file);
  const size_t dot = name.find_last_of('.');
  const bool split = dot != std::string::npos && dot > 0;
  DWORD error = 0;
  copy = TakeFreeFile(folder + "\\", split ? name.substr(0, dot) : name, split ? name.substr(dot) : "", &error);
  if (!copy.empty() && CopyFileA(file.c_str(), copy.c_str(), FALSE)) return true;
  if (!copy.empty()) error = GetLastError();
  GiveBackFile(copy);
  why = modLang::English("Reasons", "NotCopied", {copy.empty() ? folder + "\\" + name : copy, SystemErrorText(error)});
  copy.clear();
  return false;
}

std::string NormalisedPath(const std::string& path) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = path.size() > 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && slash(path[2]);
  if (!drive && !(path.size() > 2 && slash(path[0]) && slash(path[1]))) return {};
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return {};
  char longer[MAX_PATH];
  const DWORD longLength = GetLongPathNameA(full, longer, MAX_PATH);
  return longLength > 0 && longLength < MAX_PATH ? std::string(longer, longLength) : std::string(full, length);
}

bool IsProgramFile(const std::string& path) {
  static const char* const kPrograms[] = {".exe", ".dll", ".ocx", ".cpl", ".sys", ".scr", ".com", ".drv", ".ax",
                                          ".acm", ".efi", ".mui", ".tsp", ".msi", ".msp", ".msu", ".bat", ".cmd",
                                          ".pif", ".lnk"};
  std::string name = text::Lower(FileNamePart(path));
  // The platform drops trailing dots and blanks: "notepad.exe. " opens notepad.exe.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return std::any_of(std::begin(kPrograms), std::end(kPrograms), [&](const char* ext) { return text::EndsWith(name, ext); });
}

namespace {
// The file a default value names, for comparing: a "res://" module counts as named.
std::string NamedFile(std::string value) {
  const size_t res = text::Lower(value).find("res://");
  if (res != std::string::npos) value = "res://" + value.substr(res + 6);
  if (!ReducePath(value) || value.find_first_of("*?") != std::string::npos) return {};
  return NormalisedPath(value);
}

// The program's own files: its settings, catalog, language and help files (in its
// folder or its data folder), and whatever is in its log and backup folders.
bool IsProgramsOwnFile(const std::string& file) {
  const auto same = [&](std::string folder) {
    folder = NormalisedPath(folder);
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return !folder.empty() && text::SameName(folder, FolderPart(file));
  };
  const std::string name = text::Lower(FileNamePart(file));
  if ((same(AppPath()) || same(DataPath())) &&
      (name == "nimo.ini" || name == "nimo_ext.ini" || name == "help.chm" || text::EndsWith(name, ".lng")))
    return true;
  for (const std::string& folder : {InDataPath("Logs"), InDataPath("Ext_Backup"), InDataPath("Reg_Backup"),
                                    modSettings::PathSetting("Paths", "Registry_Backup", "")})
    if (same(folder)) return true;
  return false;
}
}  // namespace

ExtensionFileCheck CheckExtensionFile(const std::string& value,
                                      const std::vector<std::pair<std::string, std::string>>& others) {
  ExtensionFileCheck check;
  check.file = value;
  if (text::Lower(value).find("res://") != std::string::npos) {
    const std::string module = NamedFile(value);
    check.keptBecause = "ResourceModule";
    check.keptFor = module.empty() ? value : module;
    return check;
  }
  std::string reduced = value;
  if (!ReducePath(reduced)) {
    check.missing = true;
    return check;
  }
  if (reduced.find_first_of("*?") != std::string::npos) {
    check.keptBecause = "Wildcards";
    return check;
  }
  const std::string file = NormalisedPath(reduced);
  constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotPlain)) {
    check.missing = true;
    return check;
  }
  check.file = file;
  // "C:\x.htm:stream", "\\?\..." and "\\.\..." name something other than a plain file.
  if (file.find(':', 2) != std::string::npos || file.rfind("\\\\?\\", 0) == 0 || file.rfind("\\\\.\\", 0) == 0) {
    check.keptBecause = "NotPlainFile";
  } else if (IsProgramFile(file)) {
    check.keptBecause = "ProgramFile";
  } else if (IsProgramsOwnFile(file)) {
    check.keptBecause = "OwnFile";
  } else {
    std::string users;
    for (const auto& [name, other] : others)
      if (text::SameName(NamedFile(other), file)) users += (users.empty() ? "[ " : ", [ ") + name + " ]";
    if (!users.empty()) {
      check.keptBecause = "SharedFile";
      check.keptFor = users;
    }
  }
  return check;
}

bool DisableExtension(HWND owner, const InstalledExtension& extension) {
  if (!CheckExtension(owner, extension)) return false;
  const std::string& keyPath = extension.Key;
  const std::string& name = extension.Name;
  WriteLog("User wishes to disable [ " + name + " ] ");
  WriteLog("Backing up [ " + keyPath + " ]");
  std::string file, why;
  const KeyBackup backup = BackUpExtensionKey(owner, keyPath, name, file, why);
  if (backup != KeyBackup::Saved) return ReportUnsaved(owner, backup, keyPath, name, why);
  WriteLog("[ " + name + " ] backed up");
  WriteLog("Deleting [ " + name + " ] from registry");
  if (!DeleteExtensionKey(keyPath)) {
    WriteLog("Unable to delete [ " + name + " ] from registry");
    return true;
  }
  WriteLog("[ " + name + " ] disabled");
  return true;
}

bool DeleteExtension(HWND owner, const InstalledExtension& extension) {
  if (!CheckExtension(owner, extension)) return false;
  const std::string& key = extension.Key;
  const std::string& name = extension.Name;
  if (modLang::Say(owner, modLang::Text("Messages", "DeleteConfirm"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return false;
  WriteLog("User wishes to delete [ " + key + " ]");
  WriteLog("Preparing to backup [ " + key + " ]");
  std::string backupFile, why;
  const KeyBackup backup = BackUpExtensionKey(owner, key, name, backupFile, why);
  if (backup != KeyBackup::Saved) return ReportUnsaved(owner, backup, key, name, why);
  WriteLog("[ " + key + " ] backed up");
  // The file is the one the key names now, not the model's: another program may have
  // pointed the key elsewhere since the model was read.
  const std::string file = CurrentExtensionFile(key);
  WriteLog("Deleting [ " + key + " ]");
  if (DeleteExtensionKey(key)) {
    WriteLog("[ " + key + " ] deleted");
    WriteLog("Verifying [ " + file + " ]");
    const ExtensionFileCheck check = CheckExtensionFile(file, InstalledFiles());
    if (check.missing) {
      WriteLog("Could not locate [ " + file + " ]");
      modLang::Say(owner, modLang::Text("Messages", "DeleteFileMissing"), MB_OK | MB_ICONINFORMATION,
                   modLang::Text("Messages", "TitleFileMissing"));
    } else if (check.keptBecause) {
      WriteLog("[ " + check.file + " ] kept: " + modLang::English("Reasons", check.keptBecause, {check.keptFor}));
      modLang::Say(owner,
                   modLang::Text("Messages", "FileKept",
                                 {name, check.file, modLang::Text("Reasons", check.keptBecause, {check.keptFor})}),
                   MB_OK | MB_ICONINFORMATION);
    } else {
      BackUpAndDeleteFile(owner, check.file);
    }
  } else {
    // The extension stays installed, so its file stays too.
    WriteLog("Unable to delete [ " + key + " ], its file is kept");
  }
  WriteLog("Re-loading extension information");
  return true;
}

}  // namespace modMain
