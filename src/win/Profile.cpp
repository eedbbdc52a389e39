#include "win/Profile.h"

#include <windows.h>

namespace win {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

bool ToAnsi(const std::wstring& wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty()) return true;
  const bool utf8 = GetACP() == CP_UTF8;  // knows no default character and no best fit
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL defaulted = FALSE;
  BOOL* used = utf8 ? nullptr : &defaulted;
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, used);
  if (size <= 0) return false;
  ansi.assign(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), length, ansi.data(), size, nullptr, used);
  if (defaulted) return false;
  // The way back must give the same text.
  std::wstring back(wide.size(), L'\0');
  const int chars = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, back.data(), length);
  return chars == length && back == wide;
}

std::vector<std::wstring> ProfileSectionW(const std::string& path, const std::string& section) {
  const std::wstring file = Widen(path), name = Widen(section);
  // The reader answers size - 2 when the section did not fit: grow until it does.
  std::vector<wchar_t> buffer(32768);
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (n + 2 < buffer.size()) break;
    buffer.assign(buffer.size() * 2, L'\0');
  }
  std::vector<std::wstring> lines;
  for (size_t start = 0; start < n;) {
    std::wstring line(buffer.data() + start);
    start += line.size() + 1;
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace win
