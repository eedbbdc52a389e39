// The program's folder and the data folder: where the program reads what it ships and
// where it keeps what it writes.
#pragma once
#include <string>

namespace modMain {

// The folder of the executable, without a trailing "\" except at a drive root. Only
// the files that ship with the program are read there (help.chm, update.exe, the
// translations); what the program writes goes to the data folder.
std::string AppPath();
// Tests point the program at a folder of their own; an empty text restores the real one.
void SetAppPathOverride(const std::string& folder);
// AppPath() + "\" + name, without doubling the "\" at a drive root.
std::string InAppPath(const std::string& name);

// Where the program keeps its settings, log, backups, catalog, language files and the
// registry files it prepares: the program's folder when a file can be created there,
// otherwise %LOCALAPPDATA%\Zandor Extension Pack, with the shipped translations copied
// in. Decided on the first use, again after an override changes.
struct DataFolder {
  std::string path;
  std::string why;        // for the log
  bool writable = false;  // false: neither folder took a file, the program folder is used
};
const DataFolder& Data();
std::string DataPath();
// DataPath() + "\" + name.
std::string InDataPath(const std::string& name);
// Tests may name the data folder; an empty text lets the rule decide again.
void SetDataPathOverride(const std::string& folder);
// True when a new file can be created (and is deleted again) in the folder; why gets
// the platform's reason when not.
bool CanCreateFileIn(const std::string& folder, std::string* why = nullptr);

}  // namespace modMain
