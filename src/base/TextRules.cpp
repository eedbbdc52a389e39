#include "base/TextRules.h"

#include <windows.h>

#include <cctype>

namespace text {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(std::string_view s) {
  size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

std::string Replace(std::string s, std::string_view what, std::string_view with) {
  if (what.empty()) return s;
  std::string out;
  size_t from = 0;
  for (size_t at; (at = s.find(what, from)) != std::string::npos; from = at + what.size()) {
    out.append(s, from, at - from);
    out.append(with);
  }
  out.append(s, from, std::string::npos);
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool ContainsNoCase(std::string_view s, std::string_view what) {
  return Lower(std::string(s)).find(Lower(std::string(what))) != std::string::npos;
}

int CompareNames(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) -
         CSTR_EQUAL;
}

int CompareNames(std::string_view a, std::string_view b) {
  const auto wide = [](std::string_view s) {
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()))));
    return w;
  };
  return CompareNames(std::wstring_view(wide(a)), std::wstring_view(wide(b)));
}

bool SameName(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

std::string MenuText(std::string_view caption) {
  std::string shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && ++i == caption.size()) break;
    shown += caption[i];
  }
  return shown;
}

}  // namespace text

namespace text {
std::string JoinLines(std::string_view bytes) {
  std::string joined;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\r', start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (joined.empty()) joined = line;
    else (joined += "\r\n") += line;
    if (end == std::string_view::npos) break;
    start = end + 1;
    if (start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return joined;
}
}  // namespace text
