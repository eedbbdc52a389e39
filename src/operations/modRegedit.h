// Importing and exporting through the platform's registry editor, the registry backup
// folder and its clock-named files, and the header test and fix of registry files.
#pragma once
#include <windows.h>

#include <string>

namespace modReg {

// Mode 1 imports the registry file target; mode 2 exports the key target into the
// registry backup folder as fileName + ".reg" (a clock name when fileName is empty,
// with " (2)", " (3)" ... when a file of that name is there already);
// mode 3 exports the key target to the file fileName. Waits for the editor to end
// unless wait is false.
void RunRegedit(int mode, const std::string& target, const std::string& fileName, bool wait = true);

// Mode 2: true when the file does not carry the header "Windows Registry Editor Version"
// (any letter case). Mode 1: rewrites the header to "REGEDIT4"; returns false.
bool CheckRegFile(int mode, const std::string& path);

// "dd-mm-yy_hhmmss" of the given time.
std::string ClockName(const SYSTEMTIME& time);

// Takes this moment's clock name for a new backup in folder by creating the file empty,
// with " (2)", " (3)" ... when the name is taken: another backup of the same second, even
// one whose editor is still writing, never shares its file. The bare clock name when no
// file can be created there.
std::string TakeClockName(const std::string& folder);
// Deletes a file taken by TakeClockName that nothing was written to.
void GiveBackClockName(const std::string& path);

// Paths/Registry_Backup, or the program folder's Reg_Backup written back when empty;
// always ending in "\".
std::string RegistryBackupFolder();

// How long an import or export may take before the program stops waiting.
inline constexpr DWORD kRegeditWaitMs = 60000;

}  // namespace modReg
