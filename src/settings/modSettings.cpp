#include "settings/modSettings.h"

#include <windows.h>

#include <algorithm>

#include "base/Identity.h"
#include "base/Words.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"

namespace modSettings {

bool SectionMissing = false;

std::string BadIniDescription() {
  return words::English("Messages", "BadIni");
}

std::string SettingsFile() { return modMain::InDataPath("NIMO.ini"); }
std::string CatalogFile() { return modMain::InDataPath("NIMO_Ext.ini"); }
std::string LanguageFile() { return PathSetting("Settings", "Lang", ""); }

std::string ReadINI(const std::string& selector, const std::string& section, const std::string& key,
                    const std::string& defaultValue) {
  const std::string file = selector == "Controls" ? LanguageFile() : SettingsFile();
  char buffer[kMaxValue + 1] = {};
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                     static_cast<DWORD>(sizeof buffer), file.c_str());
  return std::string(buffer, n);
}

void WriteINI(const std::string& /*selector*/, const std::string& section, const std::string& key,
              const std::string& value) {
  const std::string file = SettingsFile();
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str())) {
    // The write is lost; say so where the user and the support desk look. The log
    // takes every lost write, the user hears of it once per run.
    const std::string reason = modMain::SystemErrorText(GetLastError());
    modMain::WriteLog("Unable to write " + section + "/" + key + " to [ " + file + " ]: " + reason);
    static bool told = false;
    if (!told && modMain::Data().writable) {  // an unwritable data folder was said at start
      told = true;
      words::Say("SettingsWriteFailed", {file, reason}, MB_OK | MB_ICONEXCLAMATION);
    }
  }
}

std::string Setting(const std::string& section, const std::string& key, const std::string& defaultValue) {
  return ReadINI(modMain::kTitle, section, key, defaultValue);
}

void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
  WriteINI(modMain::kTitle, section, key, value);
}

std::string PathSetting(const std::string& section, const std::string& key, const std::string& defaultValue) {
  const std::string file = SettingsFile();
  // A value that does not fit comes back cut, its length the buffer's less one.
  for (DWORD size = 1024;; size *= 4) {
    std::vector<char> buffer(size, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), size,
                                             file.c_str());
    if (n + 1 < size || size >= 1024 * 1024) return std::string(buffer.data(), n);
  }
}

std::vector<std::string> UnusablePathSettings() {
  struct PathKey {
    const char* section;
    const char* key;
    size_t longest;
  };
  static const PathKey kPaths[] = {{"Paths", "Registry_Backup", MAX_PATH - 12},
                                   {"Paths", "Extension_Backup", MAX_PATH - 12},
                                   {"Paths", "NIMO_Location", MAX_PATH - 12},
                                   {"Settings", "Lang", MAX_PATH - 1}};
  std::vector<std::string> unusable;
  for (const PathKey& path : kPaths) {
    const std::string value = PathSetting(path.section, path.key, "");
    if (value.size() > path.longest)
      unusable.push_back(std::string(path.section) + "/" + path.key + ": " + value);
  }
  return unusable;
}

Section ReadSection(const std::string& selector, const std::string& section) {
  std::string file;
  if (selector == modMain::kTitle) {
    file = SettingsFile();
  } else {
    std::string lower = selector;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    file = lower == "extensions" ? CatalogFile() : selector;
  }
  // A section that does not fit comes back cut, its size the buffer's less two, and
  // would read as missing: it is read again into a larger buffer.
  constexpr size_t kLargestSection = 16 * 1024 * 1024;
  std::vector<char> buffer(10240, '\0');
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (n + 2 < buffer.size() || buffer.size() >= kLargestSection) break;
    buffer.assign(buffer.size() * 4, '\0');
  }
  std::string text(buffer.data(), std::min<size_t>(n + 1, buffer.size()));
  Section rows;
  if (text.find(std::string(2, '\0')) == std::string::npos) {
    SectionMissing = true;
    return rows;
  }
  SectionMissing = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (end == start) break;  // the empty line that ends the list
    std::string line = text.substr(start, end - start);
    size_t eq = line.find('=');
    if (eq == std::string::npos) throw NimoError(kBadIniError, BadIniDescription());
    rows.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    start = end + 1;
  }
  return rows;
}

void ApplyClearLogRule() {
  if (Setting("Shutdown", "ClearLog", "") == "1") modMain::DeleteLog();
}

}  // namespace modSettings
