#include "about/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace modVersion {

namespace {

// A string value of the block "\StringFileInfo\<language><code page>\", or empty text.
std::string StringValue(std::vector<char>& data, unsigned language, unsigned codePage, const char* name) {
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&value), &length) || !value || !length) return {};
  std::string text(value, length);
  while (!text.empty() && text.back() == '\0') text.pop_back();  // the length may count the terminator
  return text;
}

}  // namespace

std::string ProgramFile() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) return std::string(path.data(), n);
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
}

std::string WindowsVersion() {
  OSVERSIONINFOA os{};
  os.dwOSVersionInfoSize = sizeof os;
  if (!GetVersionExA(&os)) return "unknown";
  std::string text = std::to_string(os.dwMajorVersion) + "." + std::to_string(os.dwMinorVersion) + "." +
                     std::to_string(os.dwBuildNumber);
  return *os.szCSDVersion ? text + " " + os.szCSDVersion : text;
}

FileVersionInfo ReadVersionInfo(const std::string& file) {
  FileVersionInfo info;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (!size) return info;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return info;
  info.Found = true;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
      length >= sizeof *fixed) {
    info.Version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
                   "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
  }

  // The language blocks that the resource lists, then the usual English ones.
  std::vector<std::pair<unsigned, unsigned>> blocks;
  struct Translation {
    WORD language, codePage;
  };
  Translation* list = nullptr;
  if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&list), &length) && list)
    for (UINT i = 0; i < length / sizeof *list; ++i) blocks.emplace_back(list[i].language, list[i].codePage);
  blocks.emplace_back(0x0409, 1200);
  blocks.emplace_back(0x0409, 1252);
  for (const auto& [language, codePage] : blocks) {
    info.CompanyName = StringValue(data, language, codePage, "CompanyName");
    if (!info.CompanyName.empty()) break;
  }
  return info;
}

}  // namespace modVersion
