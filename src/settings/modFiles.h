// File, folder, path and resource helpers used all over the program.
#pragma once
#include <windows.h>

#include <string>

namespace modMain {

// Reduces an extension's path to the file it names (ReducePath, written back into the
// caller's variable) and tells whether that names at least one normal file (not a
// folder, not hidden or system); wildcards allowed. Web addresses and script snippets
// are false at once.
bool ReduceToExistingFile(std::string& path);
// The same test on a copy, for callers that keep their text.
bool FileExistsCopy(std::string path);
// Reduces "res://", "file://" and "file:" forms to a file path, in place. False, with
// no disk test, for web addresses, script snippets and blank text.
bool ReducePath(std::string& path);

// The test for a file the program addresses by a path of its own making or of the
// user's choosing: its settings, log, catalog, language and help files, the pack's
// registry files, a file picked in a dialog. A file, not a folder, is there. The rules
// of ReduceToExistingFile are for the paths extensions name; a folder such as
// C:\Avoid me\ must not fail them.
bool OwnFileExists(const std::string& path);

bool FolderExists(std::string path);
// Creates one folder level; returns false and fills error with the reason on failure.
bool CreateFolder(const std::string& path, std::string* error = nullptr);


// The last component of a path, and the folder before it without its trailing "\"
// (empty for a bare name).
std::string FileNamePart(const std::string& path);
std::string FolderPart(const std::string& path);

// Writes a built-in resource to a file, replacing it. Returns false when nothing was written.
bool ExtractResource(WORD id, const std::string& type, const std::string& destination);
// The bytes of a built-in resource (empty when missing).
std::string ResourceBytes(WORD id, const std::string& type);

// Switches the digits-only style of an edit control on or off.
void SetNumbersOnly(HWND textBox, bool on);

// Whole-file helpers: the bytes of a file, and writing bytes to a file (replacing it).
bool ReadFileBytes(const std::string& path, std::string& bytes, DWORD* error = nullptr);
bool WriteFileBytes(const std::string& path, const std::string& bytes, DWORD* error = nullptr);
// True when the file begins with the byte order mark of two-byte text, as the registry
// editor writes its exports and a language file may be stored.
bool IsWideTextFile(const std::string& path);

// Creates folder + stem + extension as a new empty file, or stem + " (2)", " (3)" ...
// when that name is taken, so that a file written there never replaces another, not
// even one another process is still writing. folder ends in "\"; extension has its
// dot. Returns the path created, or empty text (error set) when none could be.
std::string TakeFreeFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         DWORD* error = nullptr);
// Deletes a file taken by TakeFreeFile when nothing was written to it.
void GiveBackFile(const std::string& path);

}  // namespace modMain

namespace modGetFolder {
// The folder picker: the chosen folder ending in "\", or empty text on Cancel.
std::string BrowseForFolder(HWND owner, const std::wstring& title, const std::string& start = "");
}  // namespace modGetFolder
