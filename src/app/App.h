// Program-wide names, flags and the program folder.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace modMain {

inline constexpr char kTitle[] = "Zandor Extension Pack";
inline constexpr char kProject[] = "prjNIMO";

// "1.2.3": major, minor and revision of the version information, in decimal.
std::string VersionText();

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

// The local time that time-stamped names and log lines use; tests may fix it.
SYSTEMTIME Now();
void SetClockOverride(std::optional<SYSTEMTIME> time);

// Lets pending window events run once, so that the windows repaint.
void DoEvents();

// The module that holds the resources (the executable).
HINSTANCE Instance();

// Set while the "-rlang" refresh writes the language file.
extern bool RefreshingLanguage;
// The list the main window shows; None before either view command has run.
enum class View { None, Available, Installed };
extern View CurrentView;

// The current run-time error: number, description and source, as some messages print it.
struct RuntimeError {
  long Number = 0;
  std::string Description;
  std::string Source;
};
extern RuntimeError Err;

// The text of a platform error code (FormatMessageA), without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace modMain
