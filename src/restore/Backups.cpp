#include "restore/Backups.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "win/Profile.h"
#include "win/Seam.h"

namespace modRestore {

namespace {

using modMain::OwnFileExists;
using modMain::WriteLog;


bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && text::SameName(s.substr(s.size() - suffix.size()), suffix);
}

// The text between " ] to [ " and the closing " ]" (or " ]."), of a line "... [ a ] to [ b ]".
std::string Second(const std::string& line) {
  const size_t to = line.rfind(" ] to [ ");
  if (to == std::string::npos) return {};
  std::string second = line.substr(to + 8);
  for (const char* end : {" ].", " ]"})
    if (text::EndsWith(second, end)) return second.substr(0, second.size() - std::string(end).size());
  return {};
}

// The file's name less ".reg" and less the " (2)" a taken name gets.
std::string Stem(const std::string& file) {
  std::string stem = modMain::FileNamePart(file);
  if (EndsWithNoCase(stem, ".reg")) stem.resize(stem.size() - 4);
  const size_t open = stem.rfind(" (");
  if (open != std::string::npos && stem.back() == ')' && open + 3 < stem.size() &&
      stem.find_first_not_of("0123456789", open + 2) == stem.size() - 1)
    stem.resize(open);
  return stem;
}

bool IsMenuExtKey(const std::string& keyPath) { return text::SameName(keyPath, modReg::kMenuExtFull); }

std::wstring Extensions(size_t count) {
  return modLang::Count("Restore", "Extensions", static_cast<long long>(count), {static_cast<long long>(count)});
}

std::string ExtBackupFolder() { return modMain::InDataPath("Ext_Backup") + "\\"; }

// The file names of a folder (ending in "\") that match the pattern, with their times.
std::vector<std::pair<std::string, FILETIME>> FilesIn(const std::string& folder, const char* pattern) {
  std::vector<std::pair<std::string, FILETIME>> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.emplace_back(folder + found.cFileName, found.ftLastWriteTime);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return files;
}

// The log's lines without their time stamps; none while there is no log.
std::vector<std::string> LogMessages() {
  std::string bytes;
  std::vector<std::string> messages;
  if (!modMain::ReadFileBytes(modMain::LogFile(), bytes)) return messages;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    const size_t tab = line.find('\t');
    messages.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    start = end + 2;
  }
  return messages;
}

// The keys the file writes, or nullopt with the reason when it is not a registry file;
// writing tells whether it is one still being written.
std::optional<std::vector<modReg::RegFileKey>> ReadKeys(const std::string& file, std::string& why,
                                                       bool* writing = nullptr) {
  std::string bytes;
  DWORD error = 0;
  const bool read = modMain::ReadFileBytes(file, bytes, &error);
  if (writing) {
    *writing = false;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) {
      const auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
      const ULONGLONG made = ticks(data.ftLastWriteTime), at = ticks(now);
      *writing = BeingWritten(read ? bytes : std::string(), read ? 0 : error, at > made ? (at - made) / 10000 : 0);
    }
  }
  if (!read) {
    why = modMain::SystemErrorText(error);
    return std::nullopt;
  }
  if (bytes.empty()) {
    why = modLang::English("Reasons", "Empty");  // or the registry editor has not written it yet
    return std::nullopt;
  }
  auto keys = modReg::ReadRegFile(bytes, &why);
  if (writing && keys) *writing = false;
  if (keys) keys->erase(std::remove_if(keys->begin(), keys->end(), [](const auto& key) { return key.remove; }), keys->end());
  if (keys && keys->empty()) {
    why = modLang::English("Reasons", "NoKey");
    return std::nullopt;
  }
  return keys;
}

// The file an extension key's default value names, as a full path; empty text for one
// that names no file on a drive or share.
std::string PageTarget(const modReg::RegFileKey& key) {
  for (const modReg::RegFileValue& value : key.values) {
    if (!value.name.empty() || value.type != REG_SZ) continue;
    std::wstring wide(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / 2);
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    std::string path = win::Narrow(wide);
    if (!modMain::ReducePath(path)) return {};
    return modMain::NormalisedPath(path);
  }
  return {};
}

void Warn(HWND owner, const std::wstring& message) { modLang::Say(owner, message, MB_OK | MB_ICONEXCLAMATION); }

bool KeyExists(const std::string& keyPath) { return modReg::KeyValues(keyPath).has_value(); }

bool SameBytes(const std::string& a, const std::string& b) {
  std::string one, two;
  return modMain::ReadFileBytes(a, one) && modMain::ReadFileBytes(b, two) && one == two;
}

// Copies the page's copy back to target; never over another file without asking, and the
// file replaced is kept in Ext_Backup. The line for the closing message.
std::wstring RestorePage(HWND owner, const std::string& page, const std::string& target) {
  if (OwnFileExists(target)) {
    if (SameBytes(page, target)) return modLang::Text("Messages", "PageAt", {target});
    WriteLog("[ " + target + " ] is taken by another file");
    if (modLang::Say(owner, modLang::Text("Messages", "PageTaken", {target, page}),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
      WriteLog("[ " + target + " ] kept; the page was not put back");
      return modLang::Text("Messages", "PageNotBackTaken", {target, page});
    }
    std::string kept, why;
    if (!modMain::CopyToExtBackup(target, kept, why)) {
      WriteLog("Unable to back up [ " + target + " ]: " + why);
      Warn(owner, modLang::Text("Messages", "FileNotReplaced", {target, modLang::Reason(why)}));
      return modLang::Text("Messages", "PageNotBack", {page});
    }
    WriteLog("Copied [ " + target + " ] to [ " + kept + " ]");
  }
  WriteLog("Copying [ " + page + " ] to [ " + target + " ]");
  if (!CopyFileA(page.c_str(), target.c_str(), FALSE)) {
    const std::string why = modMain::SystemErrorText(GetLastError());
    WriteLog("Unable to copy [ " + page + " ] to [ " + target + " ]: " + why);
    Warn(owner, modLang::Text("Messages", "PageNotCopied", {page, target, why}));
    return modLang::Text("Messages", "PageNotBack", {page});
  }
  WriteLog("[ " + target + " ] restored");
  return modLang::Text("Messages", "PageBack", {target});
}

// The keys a backup writes, read again as it is put back; nullopt, told, for a file
// still being written or not a registry file.
std::optional<std::vector<std::string>> RestorableKeys(HWND owner, const std::string& file) {
  std::string why;
  bool writing = false;
  const auto keys = ReadKeys(file, why, &writing);
  if (!keys && writing) {
    WriteLog("Unable to restore [ " + file + " ]: it is still being written");
    Warn(owner, modLang::Text("Messages", "BackupBeingWritten", {file}));
    return std::nullopt;
  }
  if (!keys) {
    WriteLog("Unable to restore [ " + file + " ]: it is not a registry file: " + why);
    Warn(owner, modLang::Text("Messages", "NotRestorable", {file, modLang::Reason(why)}));
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (const modReg::RegFileKey& key : *keys) paths.push_back(win::Narrow(key.path));
  return paths;
}

bool Confirmed(HWND owner, const std::string& file, const RestorePlan& plan) {
  if (modLang::Say(owner, plan.question, MB_YESNO | MB_ICONQUESTION | (plan.replaces ? MB_DEFBUTTON2 : 0)) == IDYES)
    return true;
  WriteLog("Restore of [ " + file + " ] cancelled");
  return false;
}

// The import every command shares: the header fix, the question about changes beyond
// MenuExt, the proven backup of MenuExt, the registry editor.
bool Imported(HWND owner, const std::string& file) {
  if (modMain::ImportRegFile(owner, file)) return true;
  WriteLog("[ " + file + " ] not restored");
  return false;
}

// Whether every key planned is there now; done receives the closing message's start, or
// the keys missing are told.
bool AllWritten(HWND owner, const std::string& file, const RestorePlan& plan, std::wstring& done) {
  std::string restored, missing;
  for (const std::string& key : plan.writes) {
    const std::string name = ExtensionName(key);
    (KeyExists(key) ? restored : missing) += "\r\n" + (name.empty() ? key : name);
  }
  if (!missing.empty()) {
    WriteLog("[ " + file + " ] was not restored whole");
    Warn(owner, modLang::Text("Messages", "RestoreIncomplete", {file, missing}));
    return false;
  }
  done = modLang::Text("Messages", "Restored", {file, restored});
  return true;
}

// The key of the name a rename gave goes as a disable takes it, backed up first; the
// closing message's line when it went.
std::wstring RemoveRenamed(HWND owner, const std::string& renamed, const std::string& name) {
  const std::string key = std::string(modReg::kMenuExtFull) + "\\" + renamed;
  WriteLog("Removing [ " + renamed + " ], the name [ " + name + " ] was renamed to");
  modMain::InstalledExtension extension;
  extension.Opened = true;
  extension.Name = renamed;
  extension.Key = key;
  if (modMain::DisableExtension(owner, extension) && !KeyExists(key))
    return L"\r\n\r\n" + modLang::Text("Messages", "RenamedGone", {renamed});
  return {};
}

}  // namespace

std::wstring KindText(Kind kind) {
  switch (kind) {
    case Kind::Disable: return modLang::Text("Restore", "kindDisable");
    case Kind::Delete: return modLang::Text("Restore", "kindDelete");
    case Kind::Rename: return modLang::Text("Restore", "kindRename");
    case Kind::MenuExt: return modLang::Text("Restore", "kindMenuExt");
    case Kind::Export: return modLang::Text("Restore", "kindExport");
    case Kind::Page: return modLang::Text("Restore", "kindPage");
    case Kind::Automatic: return modLang::Text("Restore", "kindAutomatic");
    case Kind::Restore: return modLang::Text("Restore", "kindRestore");
    default: return modLang::Text("Restore", "kindBackup");
  }
}

LogFacts ReadLog(const std::vector<std::string>& messages, const std::string& file) {
  LogFacts facts;
  std::string stem = file;
  if (EndsWithNoCase(stem, ".reg")) stem.resize(stem.size() - 4);
  for (size_t i = messages.size(); i-- > 0;) {
    const std::string& line = messages[i];
    if (!text::StartsWith(line, "Exporting [ ")) continue;
    if (EndsWithNoCase(line, " ] to [ " + file + " ]")) {
      facts.kind = Kind::Export;
      return facts;
    }
    if (!EndsWithNoCase(line, " ] to [ " + stem + " ]")) continue;
    // A backup: the lines just before it say which command took it.
    for (size_t j = i; j-- > 0 && j + 3 >= i;) {
      const std::string& before = messages[j];
      if (text::StartsWith(before, "User wishes to disable [ ")) facts.kind = Kind::Disable;
      else if (text::StartsWith(before, "User wishes to delete [ ")) facts.kind = Kind::Delete;
      else if (text::StartsWith(before, "Exporting MenuExt registry key")) {
        // Reading the lists ends with checking each installed extension's file.
        const std::string* read = j > 0 ? &messages[j - 1] : nullptr;
        facts.kind = read && (text::StartsWith(*read, "Verifying [ ") || text::EndsWith(*read, " extensions found") ||
                              text::EndsWith(*read, " ] does not exist"))
                         ? Kind::Automatic
                         : Kind::MenuExt;
      } else if (text::StartsWith(before, "User changed key name from [ ")) {
        facts.kind = Kind::Rename;
        facts.renamedTo = Second(before);
      } else continue;
      break;
    }
    // Taken while a backup was put back: the editor's own copy of MenuExt, or the key of
    // the name a rename gave, which goes.
    for (size_t j = i; facts.kind != Kind::Automatic && j-- > 0;) {
      const std::string& before = messages[j];
      if (text::StartsWith(before, "User wishes to restore [ ") ||
          (text::StartsWith(before, "User wishes to disable [ ") && j > 0 &&
           text::StartsWith(messages[j - 1], "Removing [ "))) {
        facts.kind = Kind::Restore;
        return facts;
      }
      // Another command, or the end of an earlier restore.
      if (text::StartsWith(before, "User ") || text::StartsWith(before, "Unable to restore [ ") ||
          text::EndsWith(before, " ] restored") || text::EndsWith(before, " ] not restored") ||
          text::EndsWith(before, " ] was not restored whole") || text::EndsWith(before, " ] cancelled"))
        break;
    }
    // A delete copies the page right after the key's backup, before the next command.
    for (size_t k = i + 1; facts.kind == Kind::Delete && k < messages.size(); ++k) {
      const std::string& after = messages[k];
      if (text::StartsWith(after, "Copied [ ")) {
        facts.page = Second(after);
        break;
      }
      if (text::StartsWith(after, "User ") || text::StartsWith(after, "Exporting") ||
          text::StartsWith(after, "Re-loading"))
        break;
    }
    return facts;
  }
  return facts;
}

std::string ExtensionName(const std::string& keyPath) {
  const std::string prefix = std::string(modReg::kMenuExtFull) + "\\";
  if (keyPath.size() <= prefix.size() || !text::SameName(keyPath.substr(0, prefix.size()), prefix) ||
      keyPath.find('\\', prefix.size()) != std::string::npos)
    return {};
  return keyPath.substr(prefix.size());
}

Kind KindOfFile(const std::string& file, const std::vector<std::string>& keys) {
  if (std::any_of(keys.begin(), keys.end(), IsMenuExtKey)) return Kind::Automatic;
  if (keys.size() != 1) return Kind::Unknown;
  const std::string name = ExtensionName(keys.front()), stem = Stem(file);
  if (name.empty()) return Kind::Unknown;
  // Disable and delete name the file after the key; an export may keep its "&".
  const SYSTEMTIME any{};
  for (const std::string& own : {modMain::WithoutAmpersands(name), name})
    if (text::SameName(stem, modMain::SafeFileName(own, any))) return Kind::Unknown;
  return Kind::Rename;
}

std::wstring ContentsText(const std::vector<std::string>& keys) {
  size_t extensions = 0;
  for (const std::string& key : keys) extensions += !ExtensionName(key).empty();
  if (std::any_of(keys.begin(), keys.end(), IsMenuExtKey))
    return modLang::Text("Restore", "MenuExtContents", {Extensions(extensions)});
  std::string contents;
  for (const std::string& key : keys) {
    const std::string name = ExtensionName(key);
    contents += (contents.empty() ? "" : ", ") + (name.empty() ? key : text::MenuText(name));
  }
  return win::Widen(contents);
}

void NewestFirst(std::vector<Backup>& backups) {
  std::stable_sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
    const LONG order = CompareFileTime(&a.made, &b.made);
    return order != 0 ? order > 0 : text::Lower(a.file) < text::Lower(b.file);
  });
}

std::string MadeText(const FILETIME& made) {
  FILETIME local{};
  SYSTEMTIME time{};
  FileTimeToLocalFileTime(&made, &local);
  FileTimeToSystemTime(&local, &time);
  char textMade[32];
  std::snprintf(textMade, sizeof textMade, "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond);
  return textMade;
}

std::wstring ContentsOf(const Backup& backup) {
  if (backup.kind == Kind::Page) return win::Widen(modMain::FileNamePart(backup.file));
  if (backup.writing) return modLang::Text("Restore", "StillWritten");
  if (!backup.unreadable.empty()) return modLang::Text("Restore", "NotRegFile", {modLang::Reason(backup.unreadable)});
  return ContentsText(backup.keys);
}

std::wstring PageText(const Backup& backup) {
  if (!backup.page.empty()) return modLang::Text("Restore", "InExtBackup", {modMain::FileNamePart(backup.page)});
  return backup.pageLost ? modLang::Text("Restore", "NotInExtBackup") : std::wstring();
}

std::vector<Backup> Shown(const std::vector<Backup>& backups, bool automatic) {
  std::vector<Backup> shown;
  bool newest = true;
  for (const Backup& backup : backups) {
    if (backup.kind == Kind::Automatic && !std::exchange(newest, false) && !automatic) continue;
    shown.push_back(backup);
  }
  return shown;
}

bool BeingWritten(const std::string& bytes, DWORD readError, ULONGLONG ageMs) {
  if (readError == ERROR_SHARING_VIOLATION || readError == ERROR_LOCK_VIOLATION) return true;
  if (readError != 0 || ageMs > 60000) return false;  // the editor is given a minute
  // The registry editor writes two-byte text; an export in-process writes the same.
  const std::wstring header = L"\xFEFFWindows Registry Editor Version 5.00";
  const std::string wide(reinterpret_cast<const char*>(header.c_str()), header.size() * 2);
  for (const std::string& start : {wide, wide.substr(2), std::string("Windows Registry Editor Version 5.00"),
                                   std::string("REGEDIT4")}) {
    const size_t common = std::min(start.size(), bytes.size());
    if (bytes.compare(0, common, start, 0, common) == 0 && (!bytes.empty() || start == wide)) return true;
  }
  return false;
}

std::vector<Backup> ListBackups() {
  const std::vector<std::string> messages = LogMessages();
  std::vector<Backup> backups;
  std::set<std::string, text::NameLess> pagesTaken;
  for (const auto& [file, made] : FilesIn(modReg::RegistryBackupFolder(), "*.reg")) {
    if (!EndsWithNoCase(file, ".reg")) continue;  // "*.reg" also finds "x.regx"
    Backup backup;
    backup.file = file;
    backup.made = made;
    std::string why;
    const auto keys = ReadKeys(file, why, &backup.writing);
    const LogFacts facts = ReadLog(messages, file);
    if (!keys) {
      backup.unreadable = why;
      backup.kind = facts.kind;
      backups.push_back(backup);
      continue;
    }
    for (const modReg::RegFileKey& key : *keys) backup.keys.push_back(win::Narrow(key.path));
    backup.kind = facts.kind != Kind::Unknown ? facts.kind : KindOfFile(file, backup.keys);
    backup.renamedTo = facts.renamedTo;
    if (keys->size() == 1 && !ExtensionName(backup.keys.front()).empty()) {
      backup.pageTarget = PageTarget(keys->front());
      const std::string byName = ExtBackupFolder() + modMain::FileNamePart(backup.pageTarget);
      // The copy the log names, or else a copy of the page's name: another file of that
      // name may have been copied there, so only while the log does not name one.
      if (!facts.page.empty()) {
        if (OwnFileExists(facts.page)) backup.page = facts.page;
      } else if (!backup.pageTarget.empty() && OwnFileExists(byName) &&
               (backup.kind == Kind::Delete || (backup.kind == Kind::Unknown && !OwnFileExists(backup.pageTarget))))
        backup.page = byName;
      backup.pageLost = backup.kind == Kind::Delete && backup.page.empty();
      if (!backup.page.empty()) pagesTaken.insert(backup.page);
    }
    backups.push_back(backup);
  }
  for (const auto& [file, made] : FilesIn(ExtBackupFolder(), "*")) {
    if (pagesTaken.count(file)) continue;
    Backup page;
    page.file = file;
    page.made = made;
    page.kind = Kind::Page;
    backups.push_back(page);
  }
  NewestFirst(backups);
  return backups;
}

RestorePlan PlanRestore(const Backup& backup, const std::vector<std::string>& keys,
                        const std::function<bool(const std::string&)>& exists) {
  RestorePlan plan;
  plan.writes = keys;
  const std::string& file = backup.file;
  if (std::any_of(keys.begin(), keys.end(), IsMenuExtKey)) {
    size_t extensions = 0, added = 0;
    for (const std::string& key : keys)
      if (!ExtensionName(key).empty()) {
        ++extensions;
        added += !exists(key);
      }
    plan.replaces = added < extensions;
    plan.question = plan.replaces ? modLang::Text("Messages", "RestoreWholeReplaces",
                                                  {file, Extensions(extensions), Extensions(added),
                                                   static_cast<long long>(extensions - added)})
                                  : modLang::Text("Messages", "RestoreWhole", {file, Extensions(extensions), Extensions(added)});
  } else {
    std::wstring lines;
    for (const std::string& key : keys) {
      const bool there = exists(key);
      plan.replaces |= there;
      lines += L"\r\n" + (there ? modLang::Text("Messages", "KeyExistsNow", {key}) : win::Widen(key));
    }
    plan.question = modLang::Text("Messages", "RestoreKeys", {file, lines});
    const std::string renamed = backup.renamedTo.empty() ? "" : std::string(modReg::kMenuExtFull) + "\\" + backup.renamedTo;
    if (!renamed.empty() && !keys.empty() && !text::SameName(backup.renamedTo, ExtensionName(keys.front())) &&
        exists(renamed)) {
      plan.removes = backup.renamedTo;
      plan.question += L"\r\n\r\n" + modLang::Text("Messages", "RenamedGoes", {plan.removes});
    }
    if (!backup.page.empty() && !backup.pageTarget.empty()) {
      plan.pageTo = backup.pageTarget;
      plan.question += L"\r\n\r\n" + modLang::Text("Messages", "PageGoesBack", {plan.pageTo});
    }
  }
  if (plan.replaces) plan.question += L"\r\n\r\n" + modLang::Text("Messages", "ReplacedBackedUp");
  plan.question += L"\r\n\r\n" + modLang::Text("Messages", "RestoreIt");
  return plan;
}

bool Restore(HWND owner, const Backup& backup) {
  if (backup.kind == Kind::Page) {
    modLang::Say(owner, modLang::Text("Messages", "PageNoBackup", {backup.file}), MB_OK | MB_ICONINFORMATION);
    return false;
  }
  WriteLog("User wishes to restore [ " + backup.file + " ]");
  const std::optional<std::vector<std::string>> keys = RestorableKeys(owner, backup.file);
  if (!keys) return false;
  const RestorePlan plan = PlanRestore(backup, *keys, KeyExists);
  if (!Confirmed(owner, backup.file, plan) || !Imported(owner, backup.file)) return false;
  std::wstring done;
  if (!AllWritten(owner, backup.file, plan, done)) return true;
  if (!plan.removes.empty()) done += RemoveRenamed(owner, plan.removes, ExtensionName(plan.writes.front()));
  if (!plan.pageTo.empty()) done += L"\r\n\r\n" + RestorePage(owner, backup.page, plan.pageTo);
  WriteLog("[ " + backup.file + " ] restored");
  modLang::Say(owner, done, MB_OK | MB_ICONINFORMATION);
  return true;
}

std::vector<std::string> DeleteBackups(HWND owner, const std::vector<Backup>& backups) {
  std::vector<std::string> gone;
  if (backups.empty()) return gone;
  std::wstring lines;
  for (size_t i = 0; backups.size() > 1 && i < backups.size(); ++i) {
    if (i == 10) {  // a question that still fits on the screen
      lines += L"\r\n" + modLang::Text("Messages", "AndMore", {static_cast<long long>(backups.size() - i)});
      break;
    }
    lines += L"\r\n" + win::Widen(modMain::FileNamePart(backups[i].file)) + L" (" + KindText(backups[i].kind) + L")";
  }
  const long long count = static_cast<long long>(backups.size());
  const std::wstring question = count == 1 ? modLang::Text("Messages", "DeleteBackup", {backups.front().file, ContentsOf(backups.front())})
                                           : modLang::Count("Messages", "DeleteBackups", count, {count, lines});
  if (modLang::Say(owner, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return gone;
  std::string failed;
  for (const Backup& backup : backups) {
    WriteLog("Deleting backup [ " + backup.file + " ]");
    if (!DeleteFileA(backup.file.c_str())) {
      const std::string why = modMain::SystemErrorText(GetLastError());
      WriteLog("Unable to delete [ " + backup.file + " ]: " + why);
      failed += "\r\n" + backup.file + ": " + why;
      continue;
    }
    WriteLog("[ " + backup.file + " ] deleted");
    gone.push_back(backup.file);
  }
  if (!failed.empty()) Warn(owner, modLang::Text("Messages", "BackupsNotDeleted", {failed}));
  return gone;
}

}  // namespace modRestore
