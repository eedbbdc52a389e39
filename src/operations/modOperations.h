// The extension operations: enabling, disabling, deleting, exporting and importing.
// Each takes the model's entry it works on; a window that gets true back reads the
// model again.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "inventory/Model.h"
#include "operations/modRegedit.h"

namespace modReg {
class RegFileCopy;
}

namespace modMain {

// ---------------------------------------------------------------------------
// Names and keys

// A file name made from an extension name, for a backup or export file in a folder of
// the program's choosing: every character a file name may not hold (\ / : * ? " < > |
// and control characters) becomes "_", a device name (CON, NUL, COM1 ...) gets a "_"
// after it, a long name is cut to 200 bytes, and a name that is empty, blank or only
// dots becomes the clock name of the given time. "&" is kept; callers that want it
// gone remove it first.
std::string SafeFileName(const std::string& name, const SYSTEMTIME& clock);
// The same with the program's clock (modMain::Now()).
std::string SafeFileName(const std::string& name);

// The name with every "&" removed, as the key backups are named.
std::string WithoutAmpersands(std::string name);

// The root every extension's key path begins with.
inline constexpr const char* kRootKey = modReg::kCurrentUserRoot;

// True when keyPath is one extension's own key: the full MenuExt path, "\" and a
// non-empty name without "\". Nothing else is ever backed up as an extension or deleted.
bool IsExtensionKey(const std::string& keyPath);
// The key's path below HKEY_CURRENT_USER (keyPath must pass IsExtensionKey).
std::string ExtensionSubkey(const std::string& keyPath);
// True when the extension key (keyPath must pass IsExtensionKey) is in the registry.
bool ExtensionKeyExists(const std::string& keyPath);
// True when the entry's key was opened, is named exactly (its name is in the code page)
// and passes IsExtensionKey: the only keys an operation touches.
bool IsOperable(const InstalledExtension& extension);
// IsOperable, told: an extension that fails it is refused with a message naming it as
// the lists do and the reason (a key name outside the code page is its own reason) and
// a log line; returns false then.
bool CheckExtension(HWND owner, const InstalledExtension& extension);

// The lead line, a blank line, then "Error code: 53", "Description: File does not
// exist" and "Path: " + path, as a missing file is reported.
std::wstring MissingFileText(const std::wstring& lead, const std::string& path);

// ---------------------------------------------------------------------------
// The extension's file, as delete sees it

// The full path of a path rooted at a drive ("C:\\" or "C:/") or a share, with "/" and
// ".." resolved by the platform, in its long form when the file is there; empty text
// for any other path (a relative one would name a file in whatever folder is current).
std::string NormalisedPath(const std::string& path);
// True for a program module, installer or command file by its extension (.exe .dll .ocx
// .cpl .sys .scr .com .drv and the like): never an extension's page.
bool IsProgramFile(const std::string& path);

// What delete may do with the file named by an extension's default value (text).
struct ExtensionFileCheck {
  std::string file;         // the normalised path, or the text itself when it names no file
  bool missing = false;     // no plain file there: web addresses and scripts among them
  const char* keptBecause = nullptr;  // why the file stays ([Reasons] key); null when it may be deleted
  std::string keptFor;                // what fills that reason's %1
};
// others: the default values of every other installed extension, with their names.
ExtensionFileCheck CheckExtensionFile(const std::string& value,
                                      const std::vector<std::pair<std::string, std::string>>& others);

// ---------------------------------------------------------------------------
// Running operations

// One extension operation at a time: a command that finds one under way does nothing.
// The scope that acquired the right releases it when it ends.
class OperationScope {
 public:
  OperationScope();
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
  explicit operator bool() const { return acquired_; }

 private:
  bool acquired_;
};
bool OperationRunning();

// A window's command on one entry: nothing without an entry or while another operation
// runs; the operation (a function or callable taking the owner and the entry) gets a
// copy (the model is read again meanwhile), and reload runs, still inside the operation,
// when it says the model needs reading again.
template <typename Entry, typename Operation>
void RunOperation(HWND owner, const Entry* entry, Operation operation, const std::function<void()>& reload) {
  if (!entry) return;
  const Entry copy = *entry;
  OperationScope scope;
  if (scope && operation(owner, copy)) reload();
}

// RunRegedit while the program's windows keep painting and take no input: the owner's
// window and the program's other visible windows are disabled, the wait cursor shows,
// and input given meanwhile is dropped. True when the editor ended with exit code 0 and,
// for the exports, wrote the file; written receives the backup's path.
bool RunRegeditBlocking(HWND owner, modReg::Regedit mode, const std::string& target, const std::string& fileName,
                        std::string* written = nullptr);

// Backs up the key keyPath into the registry backup folder under a free name made from
// stem, and counts the backup only when the editor ended with exit code 0 and the file
// holds that key whole (modReg::ProveBackup). True with file = the backup; otherwise
// false with the reason in why, and the file taken for it is gone again. Without
// blockWindows (from a thread with no window) the editor is waited for and no window is
// touched.
bool BackUpKey(HWND owner, const std::string& keyPath, const std::string& stem, std::string& file, std::string& why,
               bool blockWindows = true);

// The copy of MenuExt its setting ("Always backup MenuExt key") asks for as the lists are
// read, from copy, MenuExt as it was read for them (ReadInstalled; nullptr when the
// setting was off as the read began): written by the program as the editor writes it,
// under a clock name in the registry backup folder, and proven against that same read;
// a failure is logged and its file removed. Touches no window: the reading thread runs
// it, its log lines and messages held for the windows' thread (Deferral.h).
void BackUpMenuExtAsRead(const modReg::RegFileCopy* copy);

// The clock-named backup of the whole MenuExt key, awaited; true when it was made or
// there is no MenuExt key to lose. A failure is reported; false then.
bool BackUpMenuExt(HWND owner);

// Reads the registry file and, when it writes keys outside MenuExt or removes keys or
// values anywhere, lists them and asks whether to import it all the same (default No).
// A file that cannot be read as a registry file is reported. True when the import may go on.
bool ConfirmRegFileChanges(HWND owner, const std::string& regFile);

// The import every command shares, of a registry file that exists: the header test and
// fix of single-byte files, the question about changes beyond MenuExt, the proven backup
// of MenuExt, then the registry editor. True when the editor was run (the caller's lists
// need reloading).
bool ImportRegFile(HWND owner, const std::string& file);

// Copies a file into Ext_Backup under the program folder, under a free name made from its
// own (" (2)" when taken), never replacing another copy. True with copy = its path;
// otherwise false with the reason, reported to nobody.
bool CopyToExtBackup(const std::string& file, std::string& copy, std::string& why);

// Starts "notepad " + path; a text editor that cannot be started is reported with the
// command. Returns whether it started.
bool OpenInNotepad(HWND owner, const std::string& path);

// ---------------------------------------------------------------------------
// The operations on one extension, as the windows' commands run them inside their
// OperationScope. Enable, disable and delete return true when the registry may have
// changed and the model needs reading again; the properties dialog's return the message
// it shows, and the model is read again after each.

// Imports the entry's registry file, with the questions, the header fix and the MenuExt
// backup that the setting InstallPrompt asks for.
bool EnableExtension(HWND owner, const CatalogEntry& entry);
// Backs up the extension's key as its name without "&", then deletes it. An entry whose
// key is not an extension's own is refused with a message naming it.
bool DisableExtension(HWND owner, const InstalledExtension& extension);
// After a question (default No): the key backed up and deleted as in disabling, then the
// file the key names now copied to Ext_Backup and deleted, unless it must be kept.
bool DeleteExtension(HWND owner, const InstalledExtension& extension);
// The properties dialog's changes to an installed extension.
struct PropertyChanges {
  std::string name;                     // as typed: another name than the key's renames it
  std::optional<std::string> path;      // the default value, when edited
  std::optional<std::string> contexts;  // the Contexts box, trimmed, when edited: a decimal
                                        // number, or empty text or "None" for nothing to write
};
// A typed Contexts value: a whole decimal number of 32 bits, 0 to 4294967295 (or, pasted,
// down to -2147483648 for the same bits).
std::optional<uint32_t> ContextsNumber(const std::string& typed);
// True when the name typed is another name than the key's, not only in letter case.
bool Renames(const InstalledExtension& extension, const PropertyChanges& changes);
// Why the changes cannot be written, as the message to show; empty text when they can.
// The key must be the extension's own and the name hold more than "&" and spaces and no
// "\"; a rename needs a free name and a key without subkeys (which it would lose);
// otherwise an edited Contexts value must be a number.
std::wstring RefusedChange(const InstalledExtension& extension, const PropertyChanges& changes);
// The same name but for letter case: the key keeps its name and gets the edited values
// (path and Contexts), and only those, so that a value the list could not show ("Not
// Found") or of another type (an expandable path) is left as it is. The message to show
// when they were not written; empty text when they were.
std::wstring UpdateExtension(const InstalledExtension& extension, const PropertyChanges& changes);
// A new name: the old key is backed up (proven whole), its values written under the new
// name to a file and imported, and the old key deleted only once the new key holds every
// value the old one has. The message to show when the rename did not go through; empty
// text when it did (or when only the old key's removal failed, which the registry layer
// reports).
std::wstring RenameExtension(HWND owner, const InstalledExtension& extension, const std::string& newName);
// Each extension's key to a registry file of its own in a folder the user picks; status
// receives the progress line and the closing line.
void ExportAll(HWND owner, const std::vector<InstalledExtension>& installed,
               const std::function<void(const std::wstring&)>& status);
// The extension's key to a registry file the user names, its file copied beside it.
void ExportSelected(HWND owner, const InstalledExtension& extension);
// A registry file the user picks, imported as ImportRegFile does.
bool ImportChosenFile(HWND owner);
// The extension's file, or the entry's registry file, in the text editor; a missing
// file is reported.
void OpenExtensionFile(HWND owner, const InstalledExtension& extension);
void OpenRegFile(HWND owner, const CatalogEntry& entry);

}  // namespace modMain
