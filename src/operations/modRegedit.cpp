#include "operations/modRegedit.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modReg {

namespace {

constexpr char kHeaderWords[] = "Windows Registry Editor Version";
constexpr char kVersion5Header[] = "Windows Registry Editor Version 5.00";
constexpr char kRegedit4[] = "REGEDIT4";

void Warn(const std::wstring& text) {
  modLang::Say(nullptr, text, MB_OK | MB_ICONEXCLAMATION);
}

// Set once the editor cannot be started as this user; every later import and export
// of the run goes in-process without trying it again. The start's backup sets it from
// the reading thread.
std::atomic<bool> g_editorUnavailable{false};

enum class Started { Ran, Failed, Unavailable };

// A start that fails so says the editor cannot run as this user at all: it asks for
// elevation (its manifest's highestAvailable under UAC), a policy blocks it, or it is
// not there. The program never elevates it: an elevated editor may see another user's
// HKEY_CURRENT_USER.
bool CannotRunAsUser(DWORD error) {
  return error == kElevationRequired || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_ACCESS_DENIED || error == ERROR_ACCESS_DISABLED_BY_POLICY;
}

// "Prevent access to registry editing tools" with silent runs blocked too (1); with 2,
// the editor still imports and exports silently. Under 1 it starts, shows its own
// message and does nothing.
bool BlockedByPolicy() {
  return modReg::GetValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                          "DisableRegistryTools") == modReg::RegValue(int32_t{1});
}

// Runs one registry editor command line. When wait is set it waits for the editor to
// end, so that a backup is on disk before the caller deletes the key it holds. Failed
// when the editor could not be started, or (waited for) did not end with exit code 0;
// Unavailable, without a message, when it cannot run as this user.
Started Start(const std::string& commandLine, int show, bool wait) {
  HCURSOR previous = wait ? SetCursor(LoadCursor(nullptr, IDC_WAIT)) : nullptr;
  const win::LaunchResult result = win::Ui().Launch(commandLine, show, wait ? kRegeditWaitMs : 0);
  if (wait) SetCursor(previous);
  if (!result.started) {
    modMain::WriteLog("Unable to start the registry editor [ " + commandLine + " ]: " +
                      modMain::SystemErrorText(result.error));
    if (CannotRunAsUser(result.error)) return Started::Unavailable;
    Warn(modLang::Text("Messages", "RegeditError",
                       {static_cast<long long>(result.error), modMain::SystemErrorText(result.error), modMain::kProject}));
    return Started::Failed;
  }
  modMain::WriteLog("Through the registry editor [ " + commandLine + " ]");
  if (wait && !result.finished) {
    modMain::WriteLog("The registry editor did not finish within 60 seconds [ " + commandLine + " ]");
    Warn(modLang::Text("Messages", "RegeditTimeout", {commandLine}));
    return Started::Failed;
  }
  if (wait && result.exitCode != 0) {
    modMain::WriteLog("The registry editor ended with exit code " + std::to_string(result.exitCode) + " [ " +
                      commandLine + " ]");
    return Started::Failed;
  }
  return Started::Ran;
}

// The editor where it starts as this user; otherwise, from then on, inProcess.
bool Run(const std::string& commandLine, int show, bool wait, const std::function<bool()>& inProcess) {
  if (!g_editorUnavailable && BlockedByPolicy()) {
    modMain::WriteLog("A policy (DisableRegistryTools) blocks the registry editor");
    g_editorUnavailable = true;
  }
  if (!g_editorUnavailable) {
    const Started started = Start(commandLine, show, wait);
    if (started != Started::Unavailable) return started == Started::Ran;
    g_editorUnavailable = true;
  }
  return inProcess();
}

// The key and its subkeys written to file as the editor exports them.
bool ExportInProcess(const std::string& keyPath, const std::string& file) {
  std::string why;
  DWORD error = 0;
  const auto keys = modReg::ReadKeyTree(keyPath, &why);
  if (keys && !modMain::WriteFileBytes(file, modReg::Version5Text(*keys), &error))
    why = modLang::English("Reasons", "FileNotWritten", {modMain::SystemErrorText(error)});
  modMain::WriteLog(keys && why.empty() ? "Exported [ " + keyPath + " ] to [ " + file + " ] in-process"
                                        : "Unable to export [ " + keyPath + " ] in-process: " + why);
  return keys && why.empty();
}

// The file read and written into the registry here. A file the editor would import but
// this program cannot (another root, a line that cannot be written) is reported.
bool ImportInProcess(const std::string& file) {
  std::string bytes, why;
  DWORD error = 0;
  std::optional<std::vector<modReg::RegFileKey>> keys;
  if (!modMain::ReadFileBytes(file, bytes, &error)) why = modMain::SystemErrorText(error);
  else keys = modReg::ReadRegFile(bytes, &why);
  if (keys && modReg::ApplyRegFile(*keys, &why)) {
    modMain::WriteLog("Imported [ " + file + " ] in-process");
    return true;
  }
  modMain::WriteLog("Unable to import [ " + file + " ] in-process: " + why);
  Warn(modLang::Text("Messages", "ImportInProcessFailed", {file, modLang::Reason(why)}));
  return false;
}

// Replaces the content of an existing file without recreating it; a file that cannot
// be opened for writing (read-only, locked, gone) is left untouched.
bool Rewrite(const std::string& path, const std::string& bytes, DWORD& error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  DWORD written = 0;
  bool ok = (bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
            written == bytes.size() && SetEndOfFile(file);
  if (!ok) error = GetLastError();
  CloseHandle(file);
  return ok;
}

// The file's text with its lines joined by CR LF; nullopt, reported, when it cannot be read.
std::optional<std::string> RegFileText(const std::string& path) {
  std::string bytes;
  DWORD error = 0;
  if (modMain::ReadFileBytes(path, bytes, &error)) return text::JoinLines(bytes);
  const std::string reason = modMain::SystemErrorText(error);
  modMain::WriteLog("Unable to read the registry file [ " + path + " ]: " + reason);
  Warn(modLang::Text("Messages", "RegFileReadFailed", {path, reason}));
  return std::nullopt;
}

}  // namespace

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
    } else {
      // Backslashes before a quote double, and the quote gets one of its own.
      if (c == '"') quoted.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    quoted += c;
  }
  quoted.append(backslashes, '\\');  // the closing quote follows
  return quoted + "\"";
}

std::string ClockName(const SYSTEMTIME& time) {
  char name[32];
  std::snprintf(name, sizeof name, "%02u-%02u-%02u_%02u%02u%02u", time.wDay % 100u, time.wMonth % 100u,
                time.wYear % 100u, time.wHour % 100u, time.wMinute % 100u, time.wSecond % 100u);
  return name;
}

std::string RegistryBackupFolder() {
  std::string folder = modSettings::PathSetting("Paths", "Registry_Backup", "");
  if (folder.empty()) {
    folder = modMain::InDataPath("Reg_Backup\\");
    modSettings::WriteINI(modMain::kTitle, "Paths", "Registry_Backup", folder);
  }
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string TakeBackupFile(const std::string& key, const std::string& fileName) {
  using modMain::WriteLog;
  const std::string folder = RegistryBackupFolder();
  std::string reason;
  if (!modMain::FolderExists(folder) && !modMain::CreateFolder(folder, &reason)) {
    WriteLog("Unable to create the registry backup folder [ " + folder + " ]: " + reason);
    Warn(modLang::Text("Messages", "BackupFolderNotCreated", {folder, reason}));
    return {};
  }
  // A backup never replaces another: the name is taken by creating the file.
  const std::string stem = fileName.empty() ? ClockName(modMain::Now()) : fileName;
  DWORD error = 0;
  const std::string path = modMain::TakeFreeFile(folder, stem, ".reg", &error);
  if (path.empty()) {
    reason = modMain::SystemErrorText(error);
    WriteLog("Unable to create a backup file [ " + folder + stem + " ]: " + reason);
    Warn(modLang::Text("Messages", "BackupFileNotCreated", {folder + stem + ".reg", reason}));
    return {};
  }
  WriteLog("Exporting [ " + key + " ] to [ " + path.substr(0, path.size() - 4) + " ]");
  return path;
}

bool RunRegedit(Regedit mode, const std::string& target, const std::string& fileName, bool wait, std::string* written) {
  using modMain::WriteLog;
  switch (mode) {
    case Regedit::Import:
      WriteLog("Importing [ " + target + " ] into registry");
      return Run("regedit /s " + Quoted(target), SW_SHOWNORMAL, wait, [&] { return ImportInProcess(target); });
    case Regedit::Backup: {
      const std::string path = TakeBackupFile(target, fileName);
      if (path.empty()) return false;
      if (written) *written = path;
      const bool ok = Run("regedit /e /s " + Quoted(path) + " " + Quoted(target), SW_SHOWNORMAL, wait,
                          [&] { return ExportInProcess(target, path); });
      // A name taken for nothing is given back: the editor did not start, or wrote nothing.
      if (!ok || wait) modMain::GiveBackFile(path);
      return ok;
    }
    case Regedit::ExportTo:
      WriteLog("Exporting [ " + target + " ] to [ " + fileName + " ]");
      return Run("regedit /e /s " + Quoted(fileName) + " " + Quoted(target), SW_HIDE, wait,
                 [&] { return ExportInProcess(target, fileName); });
  }
  return false;
}

void TryRegistryEditorAgain() { g_editorUnavailable = false; }

bool HasEditorHeader(const std::string& path) {
  const std::optional<std::string> text = RegFileText(path);
  // Unreadable, the user has been told: no header, so that the callers do not go on to
  // offer a fix of a file that cannot be read.
  return text && text::Lower(*text).find(text::Lower(kHeaderWords)) != std::string::npos;
}

void FixRegFileHeader(const std::string& path) {
  const std::optional<std::string> text = RegFileText(path);
  if (!text) return;
  // The version 5.00 header goes whole: the registry editor skips a "REGEDIT4 5.00" line.
  std::string fixed = text::Replace(*text, kVersion5Header, kRegedit4);
  fixed = text::Replace(fixed, kHeaderWords, kRegedit4);
  DWORD error = 0;
  if (!Rewrite(path, fixed + "\r\n", error)) {
    const std::string reason = modMain::SystemErrorText(error);
    modMain::WriteLog("Unable to rewrite the registry file [ " + path + " ]: " + reason);
    Warn(modLang::Text("Messages", "RegFileRewriteFailed", {path, reason}));
  }
}

}  // namespace modReg
