#include "operations/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <map>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "settings/modFiles.h"
#include "win/Profile.h"

namespace modReg {

namespace {

constexpr wchar_t kRegedit4[] = L"REGEDIT4";
constexpr wchar_t kVersion5[] = L"Windows Registry Editor Version 5.00";

using win::Narrow;
using win::Widen;

std::string Bytes(const std::wstring& wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::wstring Trimmed(const std::wstring& s) {
  const size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

bool Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

// A quoted text from s[i] (just after its opening quote) to its closing quote, with
// "\\" and "\"" read as one character; i ends after the closing quote.
bool Quoted(const std::wstring& s, size_t& i, std::wstring& out) {
  out.clear();
  for (; i < s.size(); ++i) {
    if (s[i] == L'"') {
      ++i;
      return true;
    }
    if (s[i] == L'\\' && i + 1 < s.size()) {
      const wchar_t next = s[++i];
      out += next == L'n' ? L'\n' : next == L'r' ? L'\r' : next == L'0' ? L'\0' : next;
    } else {
      out += s[i];
    }
  }
  return false;
}

// A comma-separated list of two-digit hexadecimal bytes.
bool HexList(const std::wstring& list, std::string& bytes) {
  bytes.clear();
  size_t i = 0;
  auto blanks = [&] {
    while (i < list.size() && (list[i] == L' ' || list[i] == L'\t')) ++i;
  };
  for (blanks(); i < list.size(); blanks()) {
    unsigned value = 0, digits = 0;
    for (; i < list.size() && digits < 2 && std::iswxdigit(list[i]); ++i, ++digits)
      value = value * 16 +
              static_cast<unsigned>(std::iswdigit(list[i]) ? list[i] - L'0' : std::towlower(list[i]) - L'a' + 10);
    if (!digits) return false;
    bytes += static_cast<char>(value);
    blanks();
    if (i == list.size()) return true;
    if (list[i++] != L',') return false;
  }
  return bytes.empty();  // empty, or a byte missing after the last comma
}

// One to eight hexadecimal digits.
bool HexNumber(const std::wstring& digits, DWORD& number) {
  if (digits.empty() || digits.size() > 8 || digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
    return false;
  number = std::wcstoul(digits.c_str(), nullptr, 16);
  return true;
}

// Data after the "=" of a value line. A hex list may go on over the following lines,
// each continued line ending in "\"; line is advanced past them.
bool ValueData(const std::vector<std::wstring>& lines, size_t& line, std::wstring data, bool version5,
               RegFileValue& value) {
  if (data == L"-") {
    value.remove = true;
    return true;
  }
  if (!data.empty() && data[0] == L'"') {
    size_t i = 1;
    std::wstring text;
    if (!Quoted(data, i, text) || !Trimmed(data.substr(i)).empty()) return false;
    value.type = REG_SZ;
    value.quoted = true;
    value.data = Bytes(text + L'\0');
    return true;
  }
  if (data.compare(0, 6, L"dword:") == 0) {
    DWORD number = 0;
    if (!HexNumber(Trimmed(data.substr(6)), number)) return false;
    value.type = REG_DWORD;
    value.data.assign(reinterpret_cast<const char*>(&number), sizeof number);
    return true;
  }
  size_t listStart = 0;
  if (data.compare(0, 4, L"hex:") == 0) {
    value.type = REG_BINARY;
    listStart = 4;
  } else if (data.compare(0, 4, L"hex(") == 0) {
    const size_t close = data.find(L"):", 4);
    if (close == std::wstring::npos || !HexNumber(data.substr(4, close - 4), value.type)) return false;
    listStart = close + 2;
  } else {
    return false;
  }
  std::wstring list = Trimmed(data.substr(listStart));
  while (!list.empty() && list.back() == L'\\') {
    if (++line >= lines.size()) return false;  // cut off inside the list
    list.pop_back();
    list += Trimmed(lines[line]);
  }
  if (!HexList(list, value.data)) return false;
  // A REGEDIT4 file holds text values in the ANSI code page.
  if (!version5 && (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ))
    value.data = Bytes(Widen(value.data));
  return true;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find_first_of(L"\r\n", start);
    lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) break;
    start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

bool StartsWithNoCase(const std::wstring& s, const std::wstring& prefix) {
  return s.size() >= prefix.size() && text::CompareNames(std::wstring_view(s).substr(0, prefix.size()), prefix) == 0;
}

bool InsideMenuExt(const std::wstring& path) {
  const std::wstring below = L"\\" + Widen(kMenuExtPath);
  for (const wchar_t* root : {L"HKEY_CURRENT_USER", L"HKCU"}) {
    const std::wstring menuExt = root + below;
    if (StartsWithNoCase(path, menuExt) && (path.size() == menuExt.size() || path[menuExt.size()] == L'\\'))
      return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<RegFileKey>> ReadRegFile(const std::string& bytes, std::string* why) {
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
    if (bytes.size() % 2) return Fail(why, modLang::English("Reasons", "OddEnd")), std::nullopt;
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else {
    text = Widen(bytes);
  }
  const std::vector<std::wstring> lines = Lines(text);
  size_t line = 0;
  while (line < lines.size() && Trimmed(lines[line]).empty()) ++line;
  const std::wstring header = line < lines.size() ? Trimmed(lines[line]) : L"";
  if (header != kRegedit4 && header != kVersion5)
    return Fail(why, modLang::English("Reasons", "NoHeader")), std::nullopt;
  const bool version5 = header == kVersion5;

  std::vector<RegFileKey> keys;
  for (++line; line < lines.size(); ++line) {
    const std::wstring current = Trimmed(lines[line]);
    if (current.empty() || current[0] == L';') continue;
    const long long where = static_cast<long long>(line + 1);
    if (current[0] == L'[') {
      const size_t close = current.rfind(L']');
      if (close == std::wstring::npos) return Fail(why, modLang::English("Reasons", "LineCutOff", {where})), std::nullopt;
      RegFileKey key;
      key.path = current.substr(1, close - 1);
      key.remove = !key.path.empty() && key.path[0] == L'-';
      if (key.remove) key.path.erase(0, 1);
      keys.push_back(key);
      continue;
    }
    if (keys.empty() || (current[0] != L'@' && current[0] != L'"'))
      return Fail(why, modLang::English("Reasons", "LineNotKeyOrValue", {where})), std::nullopt;
    RegFileValue value;
    size_t i = 1;
    if (current[0] == L'"' && !Quoted(current, i, value.name))
      return Fail(why, modLang::English("Reasons", "LineCutOff", {where})), std::nullopt;
    while (i < current.size() && (current[i] == L' ' || current[i] == L'\t')) ++i;
    if (i >= current.size() || current[i] != L'=' ||
        !ValueData(lines, line, Trimmed(current.substr(i + 1)), version5, value))
      return Fail(why, modLang::English("Reasons", "LineNoValue", {where})), std::nullopt;
    keys.back().values.push_back(value);
  }
  return keys;
}

namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER\\";

// The values, and the names of the subkeys when asked, of a key below HKEY_CURRENT_USER.
bool ReadKey(const std::wstring& below, std::vector<RegFileValue>& values, std::vector<std::wstring>* subkeys) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, below.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD keyCount = 0, longestKey = 0, count = 0, longestName = 0, longestData = 0;
  LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keyCount, &longestKey, nullptr, &count, &longestName,
                                 &longestData, nullptr, nullptr);
  std::wstring name(std::max(longestName, longestKey) + 1, L'\0');
  std::string data(longestData + 2, '\0');
  for (DWORD index = 0; result == ERROR_SUCCESS && index < count; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    result = RegEnumValueW(key, index, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &dataSize);
    if (result == ERROR_SUCCESS) values.push_back({name.substr(0, nameSize), type, data.substr(0, dataSize)});
  }
  for (DWORD index = 0; subkeys && result == ERROR_SUCCESS && index < keyCount; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    result = RegEnumKeyExW(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_SUCCESS) subkeys->push_back(name.substr(0, nameSize));
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS || result == ERROR_NO_MORE_ITEMS;
}

}  // namespace

std::optional<std::vector<RegFileValue>> KeyValues(const std::string& keyPath) {
  std::vector<RegFileValue> values;
  if (keyPath.compare(0, std::strlen(kRoot), kRoot) != 0 ||
      !ReadKey(Widen(keyPath.substr(std::strlen(kRoot))), values, nullptr))
    return std::nullopt;
  return values;
}

bool HoldsValues(const std::vector<RegFileValue>& values, const std::vector<RegFileValue>& key) {
  for (const RegFileValue& wanted : key) {
    bool found = false;
    for (const RegFileValue& have : values) {
      if (have.remove || have.type != wanted.type || text::CompareNames(have.name, wanted.name) != 0) continue;
      // Text written in quotes ends in one NUL; the registry may hold it without.
      found = have.data == wanted.data || (have.quoted && have.data == wanted.data + std::string(2, '\0'));
      break;
    }
    if (!found) return false;
  }
  return true;
}

bool ProveBackup(const std::string& file, const std::string& keyPath, std::string* why) {
  std::string bytes;
  DWORD error = 0;
  if (!modMain::ReadFileBytes(file, bytes, &error)) return Fail(why, modLang::English("Reasons", "WrittenUnreadable"));
  std::string broken;
  const std::optional<std::vector<RegFileKey>> keys = ReadRegFile(bytes, &broken);
  if (!keys) return Fail(why, modLang::English("Reasons", "WrittenBroken", {broken}));
  const std::wstring top = Widen(keyPath), root = Widen(kRoot);
  if (keys->empty() || keys->front().remove || keys->front().path != top || top.compare(0, root.size(), root) != 0)
    return Fail(why, keys->empty() ? modLang::English("Reasons", "WrittenNoKey", {keyPath})
                                   : modLang::English("Reasons", "WrittenOtherKey", {keyPath, Narrow(keys->front().path)}));
  std::map<std::wstring, const RegFileKey*, text::NameLess> written;
  for (const RegFileKey& key : *keys)
    if (!key.remove) written.emplace(key.path, &key);
  // The key and each of its subkeys, with every value each has now.
  std::vector<std::wstring> pending{top};
  while (!pending.empty()) {
    const std::wstring path = pending.back();
    pending.pop_back();
    std::vector<RegFileValue> values;
    std::vector<std::wstring> subkeys;
    if (!ReadKey(path.substr(root.size()), values, &subkeys))
      return Fail(why, modLang::English("Reasons", "KeyUnreadable", {Narrow(path)}));
    const auto found = written.find(path);
    if (found == written.end()) return Fail(why, modLang::English("Reasons", "WrittenNoKey", {Narrow(path)}));
    if (!HoldsValues(found->second->values, values))
      return Fail(why, modLang::English("Reasons", "WrittenNoValues", {Narrow(path)}));
    for (const std::wstring& subkey : subkeys) pending.push_back(path + L"\\" + subkey);
  }
  return true;
}

namespace {

// A name or text between quotes as the editor writes it.
std::wstring EscapedW(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') escaped += L'\\';
    escaped += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
  }
  return escaped;
}

void Append(std::wstring& line, const char* ascii) {
  while (*ascii) line += static_cast<wchar_t>(*ascii++);
}

// One line of text and its NUL: what a quoted string gives back exactly.
bool QuotableText(const std::string& data) {
  if (data.size() < 2 || data.size() % 2) return false;
  const std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
  return text.find_first_of(std::wstring(L"\r\n\0", 3)) == text.size() - 1;
}

std::wstring ValueLine(const RegFileValue& value) {
  std::wstring line = value.name.empty() ? L"@=" : L"\"" + EscapedW(value.name) + L"\"=";
  if (value.remove) return line + L"-";
  const std::string& data = value.data;
  char number[24];
  if (value.type == REG_SZ && QuotableText(data)) {
    const std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2 - 1);
    return line + L"\"" + EscapedW(text) + L"\"";
  }
  if (value.type == REG_DWORD && data.size() == 4) {
    DWORD dword = 0;
    std::memcpy(&dword, data.data(), sizeof dword);
    std::snprintf(number, sizeof number, "dword:%08lx", static_cast<unsigned long>(dword));
    Append(line, number);
    return line;
  }
  std::snprintf(number, sizeof number, "hex(%lx):", static_cast<unsigned long>(value.type));
  Append(line, value.type == REG_BINARY ? "hex:" : number);
  // The editor breaks a list after the comma that reaches column 77, going on two
  // spaces in on the next line.
  size_t column = line.size();
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(number, sizeof number, "%02x", static_cast<unsigned char>(data[i]));
    Append(line, number);
    if (i + 1 == data.size()) break;
    line += L',';
    if ((column += 3) >= 77) {
      line += L"\\\r\n  ";
      column = 2;
    }
  }
  return line;
}

// The path below HKEY_CURRENT_USER of a key written in a file, or nullopt for any other root.
std::optional<std::wstring> BelowCurrentUser(const std::wstring& path) {
  for (const std::wstring root : {L"HKEY_CURRENT_USER", L"HKCU"})
    if (StartsWithNoCase(path, root) && (path.size() == root.size() || path[root.size()] == L'\\'))
      return path.substr(std::min(path.size(), root.size() + 1));
  return std::nullopt;
}

bool ReadTree(const std::wstring& path, size_t rootLength, std::vector<RegFileKey>& keys, std::string* why) {
  RegFileKey key{path};
  std::vector<std::wstring> subkeys;
  if (!ReadKey(path.substr(rootLength), key.values, &subkeys))
    return Fail(why, modLang::English("Reasons", "KeyUnreadable", {Narrow(path)}));
  keys.push_back(std::move(key));
  for (const std::wstring& subkey : subkeys)
    if (!ReadTree(path + L"\\" + subkey, rootLength, keys, why)) return false;
  return true;
}

}  // namespace

std::optional<std::vector<RegFileKey>> ReadKeyTree(const std::string& keyPath, std::string* why) {
  std::vector<RegFileKey> keys;
  if (keyPath.compare(0, std::strlen(kRoot), kRoot) != 0)
    return Fail(why, "the key " + keyPath + " is not below " + kRoot), std::nullopt;
  if (!ReadTree(Widen(keyPath), std::strlen(kRoot), keys, why)) return std::nullopt;
  return keys;
}

std::string Version5Text(const std::vector<RegFileKey>& keys) {
  std::wstring text = L"\xfeff";
  text += kVersion5;
  text += L"\r\n";
  for (const RegFileKey& key : keys) {
    text += L"\r\n[" + std::wstring(key.remove ? L"-" : L"") + key.path + L"]\r\n";
    for (const RegFileValue& value : key.values) text += ValueLine(value) + L"\r\n";
  }
  text += L"\r\n";
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

bool ApplyRegFile(const std::vector<RegFileKey>& keys, std::string* why) {
  for (const RegFileKey& key : keys) {
    const std::optional<std::wstring> below = BelowCurrentUser(key.path);
    if (!below || (key.remove && below->empty()))
      return Fail(why, "it " + std::string(key.remove ? "removes " : "writes ") + Narrow(key.path) +
                           ", which only the registry editor may change");
  }
  std::string failed;
  auto check = [&](LONG result, const std::string& what) {
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
      failed += (failed.empty() ? "" : "; ") + what + ": " + modMain::SystemErrorText(static_cast<DWORD>(result));
  };
  for (const RegFileKey& key : keys) {
    const std::wstring below = *BelowCurrentUser(key.path);
    if (key.remove) {
      check(RegDeleteTreeW(HKEY_CURRENT_USER, below.c_str()), "removing " + Narrow(key.path));
      continue;
    }
    HKEY handle = nullptr;
    const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, below.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         &handle, nullptr);
    check(created, "creating " + Narrow(key.path));
    if (created != ERROR_SUCCESS) continue;
    for (const RegFileValue& value : key.values)
      check(value.remove ? RegDeleteValueW(handle, value.name.c_str())
                         : RegSetValueExW(handle, value.name.c_str(), 0, value.type,
                                          reinterpret_cast<const BYTE*>(value.data.data()),
                                          static_cast<DWORD>(value.data.size())),
            "the value [ " + Narrow(value.name) + " ] of " + Narrow(key.path));
    RegCloseKey(handle);
  }
  return failed.empty() || Fail(why, failed);
}

std::vector<RegFileChange> ChangesBeyondMenuExt(const std::vector<RegFileKey>& keys) {
  std::vector<RegFileChange> changes;
  for (const RegFileKey& key : keys) {
    const std::string path = Narrow(key.path);
    if (key.remove) {
      changes.push_back({"ChangeRemoves", path});
      continue;
    }
    if (!InsideMenuExt(key.path)) changes.push_back({"ChangeWrites", path});
    for (const RegFileValue& value : key.values)
      if (value.remove) {
        changes.push_back({"ChangeRemovesValues", path});
        break;
      }
  }
  return changes;
}

}  // namespace modReg
