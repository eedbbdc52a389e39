// Importing and exporting through the platform's registry editor, the registry backup
// folder and its clock-named files, and the header test and fix of registry files.
#pragma once
#include <windows.h>

#include <string>

namespace modReg {

// What RunRegedit does with its target.
enum class Regedit {
  Import,    // imports the registry file target
  Backup,    // exports the key target into the registry backup folder as fileName + ".reg"
             // (a clock name when fileName is empty), taking " (2)", " (3)" ... when that
             // name is taken, so that a backup never replaces another; written receives
             // the path of the file
  ExportTo,  // exports the key target to the file fileName
};
// Waits for the editor to end unless wait is false. Returns true when the editor started
// and, waited for, ended with exit code 0. When the editor cannot be started as this
// user (it asks for elevation, a policy blocks it, it is missing), this and every later
// call of the run import or export in-process instead, writing the file the editor would
// write; true then when that went through. The log says which way each went.
bool RunRegedit(Regedit mode, const std::string& target, const std::string& fileName, bool wait = true,
                std::string* written = nullptr);

// Mode 2's file: a free name in the registry backup folder made from fileName (a clock
// name when empty), taken by creating the file, and the log line of the export of key
// into it; empty text, the failure logged and reported, when the folder or the file
// cannot be made.
std::string TakeBackupFile(const std::string& key, const std::string& fileName);

// Forgets that the editor could not be started: the next call tries it again.
void TryRegistryEditorAgain();

// text as one argument of a command line, quoted so that the platform's rules read it
// back exactly: a quote inside becomes \" and the backslashes before a quote double.
std::string Quoted(const std::string& text);

// True when the file carries the header "Windows Registry Editor Version" (any letter
// case); false for a file without it, and for one that cannot be read (reported).
bool HasEditorHeader(const std::string& path);
// Rewrites that header to "REGEDIT4"; a file that cannot be read or written is reported.
void FixRegFileHeader(const std::string& path);

// "dd-mm-yy_hhmmss" of the given time.
std::string ClockName(const SYSTEMTIME& time);

// Paths/Registry_Backup, or the program folder's Reg_Backup written back when empty;
// always ending in "\".
std::string RegistryBackupFolder();

// ERROR_ELEVATION_REQUIRED: CreateProcess of a program whose manifest asks for more
// rights than the caller's (not in every SDK's headers).
inline constexpr DWORD kElevationRequired = 740;

// How long an import or export may take before the program stops waiting.
inline constexpr DWORD kRegeditWaitMs = 60000;

}  // namespace modReg
