#include "operations/modRegedit.h"

#include <cstdio>

#include "app/App.h"
#include "app/TextRules.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modReg {

namespace {

constexpr char kHeaderWords[] = "Windows Registry Editor Version";
constexpr char kVersion5Header[] = "Windows Registry Editor Version 5.00";
constexpr char kRegedit4[] = "REGEDIT4";

void Warn(const std::string& text) {
  win::Ui().MessageBox(nullptr, text, modMain::kTitle, MB_OK | MB_ICONEXCLAMATION);
}

// Runs one registry editor command line. When wait is set it waits for the editor to
// end, so that a backup is on disk before the caller deletes the key it holds. Returns
// false when the editor could not be started, or (waited for) did not end with exit
// code 0.
bool Start(const std::string& commandLine, int show, bool wait) {
  HCURSOR previous = wait ? SetCursor(LoadCursor(nullptr, IDC_WAIT)) : nullptr;
  const win::LaunchResult result = win::Ui().Launch(commandLine, show, wait ? kRegeditWaitMs : 0);
  if (wait) SetCursor(previous);
  if (!result.started) {
    modMain::WriteLog("Unable to start the registry editor [ " + commandLine + " ]: " +
                      modMain::SystemErrorText(result.error));
    Warn(std::to_string(result.error) + " - " + modMain::SystemErrorText(result.error) + "\r\n\r\nSource: " +
         modMain::kProject);
    return false;
  }
  if (wait && !result.finished) {
    modMain::WriteLog("The registry editor did not finish within 60 seconds [ " + commandLine + " ]");
    Warn("The registry editor did not finish within 60 seconds:\r\n\r\n" + commandLine);
    return false;
  }
  if (wait && result.exitCode != 0) {
    modMain::WriteLog("The registry editor ended with exit code " + std::to_string(result.exitCode) + " [ " +
                      commandLine + " ]");
    return false;
  }
  return true;
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

bool RunRegedit(int mode, const std::string& target, const std::string& fileName, bool wait, std::string* written) {
  using modMain::WriteLog;
  switch (mode) {
    case 1:
      WriteLog("Importing [ " + target + " ] into registry");
      return Start("regedit /s " + Quoted(target), SW_SHOWNORMAL, wait);
    case 2: {
      const std::string folder = RegistryBackupFolder();
      std::string reason;
      if (!modMain::FolderExists(folder) && !modMain::CreateFolder(folder, &reason)) {
        WriteLog("Unable to create the registry backup folder [ " + folder + " ]: " + reason);
        Warn("Unable to create the registry backup folder " + folder + "\r\n\r\n" + reason +
             "\r\n\r\nThe key was not backed up.");
        return false;
      }
      // A backup never replaces another: the name is taken by creating the file.
      const std::string stem = fileName.empty() ? ClockName(modMain::Now()) : fileName;
      DWORD error = 0;
      const std::string path = modMain::TakeFreeFile(folder, stem, ".reg", &error);
      if (path.empty()) {
        reason = modMain::SystemErrorText(error);
        WriteLog("Unable to create a backup file [ " + folder + stem + " ]: " + reason);
        Warn("Unable to create the backup file " + folder + stem + ".reg\r\n\r\n" + reason +
             "\r\n\r\nThe key was not backed up.");
        return false;
      }
      if (written) *written = path;
      WriteLog("Exporting [ " + target + " ] to [ " + path.substr(0, path.size() - 4) + " ]");
      const bool ok = Start("regedit /e /s " + Quoted(path) + " " + Quoted(target), SW_SHOWNORMAL, wait);
      // A name taken for nothing is given back: the editor did not start, or wrote nothing.
      if (!ok || wait) modMain::GiveBackFile(path);
      return ok;
    }
    case 3:
      WriteLog("Exporting [ " + target + " ] to [ " + fileName + " ]");
      return Start("regedit /e /s " + Quoted(fileName) + " " + Quoted(target), SW_HIDE, wait);
    default:
      return false;
  }
}

bool CheckRegFile(int mode, const std::string& path) {
  if (mode != 1 && mode != 2) return false;
  std::string bytes;
  DWORD error = 0;
  if (!modMain::ReadFileBytes(path, bytes, &error)) {
    const std::string reason = modMain::SystemErrorText(error);
    modMain::WriteLog("Unable to read the registry file [ " + path + " ]: " + reason);
    Warn("Unable to read the registry file " + path + "\r\n\r\n" + reason);
    // The user has been told. The test answers "no header found", so the callers do
    // not go on to offer a fix of a file that cannot be read; the fix writes nothing.
    return mode == 2;
  }
  const std::string text = text::JoinLines(bytes);
  if (mode == 2) return text::Lower(text).find(text::Lower(kHeaderWords)) == std::string::npos;

  // The version 5.00 header goes whole: the registry editor skips a "REGEDIT4 5.00" line.
  std::string fixed = text::Replace(text, kVersion5Header, kRegedit4);
  fixed = text::Replace(fixed, kHeaderWords, kRegedit4);
  if (!Rewrite(path, fixed + "\r\n", error)) {
    const std::string reason = modMain::SystemErrorText(error);
    modMain::WriteLog("Unable to rewrite the registry file [ " + path + " ]: " + reason);
    Warn("Unable to rewrite the registry file " + path + "\r\n\r\n" + reason);
  }
  return false;
}

}  // namespace modReg
