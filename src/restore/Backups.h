// The backups the program makes, read back: what each holds, what made it and where
// its page went; and putting one back.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace modRestore {

// Automatic: a copy of the whole MenuExt key taken whenever the lists are read (when that
// setting is on); MenuExt: one taken before an enable or an import; Restore: one taken
// while a backup was put back.
enum class Kind { Unknown, Disable, Delete, Rename, MenuExt, Automatic, Restore, Export, Page };
// "backup", "disable", "delete", "rename", "MenuExt", "automatic", "restore", "export", "page".
std::wstring KindText(Kind kind);

// What the application log says about one backup file.
struct LogFacts {
  Kind kind = Kind::Unknown;
  std::string renamedTo;  // rename: the name the extension was given
  std::string page;       // delete: the copy of its page taken right after the key's backup
};
// messages: the log's lines without their time stamps, oldest first; file: the backup's
// full path. The latest export to that file decides.
LogFacts ReadLog(const std::vector<std::string>& messages, const std::string& file);

// The name of an extension key (the MenuExt path, "\" and a name without "\", any letter
// case), else empty text.
std::string ExtensionName(const std::string& keyPath);

// The kind the file alone tells: a file holding the MenuExt key itself is "automatic"; one
// extension key in a file named after another name is "rename" (a rename backs the old
// key up under the new name); anything else is unknown. A file holding the whole key
// counts as an automatic copy, of which there are many more than of any other.
Kind KindOfFile(const std::string& file, const std::vector<std::string>& keys);

// What a backup holds, for its row: "MenuExt, N extensions" for the whole key, else the
// extension names (other keys by their full path), separated by ", ".
std::wstring ContentsText(const std::vector<std::string>& keys);

struct Backup {
  std::string file;
  FILETIME made{};
  Kind kind = Kind::Unknown;
  std::vector<std::string> keys;  // the keys the file writes, full paths
  std::string unreadable;         // why it is not a registry file; empty when it is one
  bool writing = false;           // unreadable as yet: the registry editor is still writing it
  std::string renamedTo;          // rename: the extension's name now, when the log tells
  std::string pageTarget;         // one extension's backup: the file its key names
  std::string page;               // that page's copy in Ext_Backup
  bool pageLost = false;          // a delete whose page is not in Ext_Backup
};
// Newest first; equal times by file name.
void NewestFirst(std::vector<Backup>& backups);
// The backup's file time in local time, "yyyy-mm-dd hh:mm:ss", which sorts as text.
std::string MadeText(const FILETIME& made);
// The row's texts: contents and the page column.
std::wstring ContentsOf(const Backup& backup);
std::wstring PageText(const Backup& backup);

// The rows shown: every backup but the automatic copies, of which only the newest shows
// unless all are asked for. backups: newest first.
std::vector<Backup> Shown(const std::vector<Backup>& backups, bool automatic);

// Whether an unreadable file is a backup still being written: locked by its writer, or
// written in the last minute and, so far, empty or the start of a registry file.
bool BeingWritten(const std::string& bytes, DWORD readError, ULONGLONG ageMs);

// Every backup in the registry backup folder and Ext_Backup (pages that belong to no
// key's backup stand alone), newest first.
std::vector<Backup> ListBackups();

// What putting a backup back writes, replaces and asks, decided before anything is.
struct RestorePlan {
  std::vector<std::string> writes;  // the keys the file writes, full paths (MenuExt itself
                                    // among them: counted by extensions, nothing removed)
  bool replaces = false;            // a key written is there now: backed up first, and No the default
  std::string removes;              // the name a rename gave, whose key goes after the import
  std::string pageTo;               // where a deleted extension's page is copied back
  std::wstring question;            // the one question, ending in "Restore it?"
};
// keys: what the file writes now; exists: whether a key (full path) is in the registry.
// The name a rename gave goes only when its key is there and is another key than the one
// put back; the page goes back only to a file the key names.
RestorePlan PlanRestore(const Backup& backup, const std::vector<std::string>& keys,
                        const std::function<bool(const std::string&)>& exists);

// Puts the backup back after a question: imports it as every import does, removes the
// name a renamed extension was given (backed up first), copies a deleted extension's page
// back (never over another file unasked). True when the registry or a file changed.
bool Restore(HWND owner, const Backup& backup);
// Deletes the backups after one question (default No); the files that went.
std::vector<std::string> DeleteBackups(HWND owner, const std::vector<Backup>& backups);

}  // namespace modRestore
