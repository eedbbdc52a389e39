#include "operations/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <functional>
#include <map>
#include <string_view>

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

// Views into the file's text: a line is never copied.
std::wstring_view Trimmed(std::wstring_view s) {
  const size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

bool Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

// A quoted text from s[i] (just after its opening quote) to its closing quote, with
// "\\" and "\"" read as one character; i ends after the closing quote.
bool Quoted(std::wstring_view s, size_t& i, std::wstring& out) {
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
bool HexNumber(std::wstring_view digits, DWORD& number) {
  if (digits.empty() || digits.size() > 8 || digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring_view::npos)
    return false;
  number = std::wcstoul(std::wstring(digits).c_str(), nullptr, 16);
  return true;
}

// Data after the "=" of a value line. A hex list may go on over the following lines,
// each continued line ending in "\"; line is advanced past them.
bool ValueData(const std::vector<std::wstring_view>& lines, size_t& line, std::wstring_view data, bool version5,
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
    if (close == std::wstring_view::npos || !HexNumber(data.substr(4, close - 4), value.type)) return false;
    listStart = close + 2;
  } else {
    return false;
  }
  std::wstring list(Trimmed(data.substr(listStart)));
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

std::vector<std::wstring_view> Lines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find_first_of(L"\r\n", start);
    lines.push_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
    if (end == std::wstring_view::npos) break;
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

namespace {

// The keys of a registry file one by one, each whole as its next line begins; false, with
// the reason, when the file is not one or is cut off, whatever was given before.
bool ParseRegFile(const std::string& bytes, std::string* why, const std::function<void(RegFileKey&&)>& each) {
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
    if (bytes.size() % 2) return Fail(why, modLang::English("Reasons", "OddEnd"));
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else {
    text = Widen(bytes);
  }
  const std::vector<std::wstring_view> lines = Lines(text);
  size_t line = 0;
  while (line < lines.size() && Trimmed(lines[line]).empty()) ++line;
  const std::wstring_view header = line < lines.size() ? Trimmed(lines[line]) : std::wstring_view();
  if (header != kRegedit4 && header != kVersion5) return Fail(why, modLang::English("Reasons", "NoHeader"));
  const bool version5 = header == kVersion5;

  std::optional<RegFileKey> key;
  for (++line; line < lines.size(); ++line) {
    const std::wstring_view current = Trimmed(lines[line]);
    if (current.empty() || current[0] == L';') continue;
    const long long where = static_cast<long long>(line + 1);
    if (current[0] == L'[') {
      const size_t close = current.rfind(L']');
      if (close == std::wstring_view::npos) return Fail(why, modLang::English("Reasons", "LineCutOff", {where}));
      if (key) each(*std::move(key));
      key.emplace();
      key->path = std::wstring(current.substr(1, close - 1));
      key->remove = !key->path.empty() && key->path[0] == L'-';
      if (key->remove) key->path.erase(0, 1);
      continue;
    }
    if (!key || (current[0] != L'@' && current[0] != L'"'))
      return Fail(why, modLang::English("Reasons", "LineNotKeyOrValue", {where}));
    RegFileValue value;
    size_t i = 1;
    if (current[0] == L'"' && !Quoted(current, i, value.name))
      return Fail(why, modLang::English("Reasons", "LineCutOff", {where}));
    while (i < current.size() && (current[i] == L' ' || current[i] == L'\t')) ++i;
    if (i >= current.size() || current[i] != L'=' ||
        !ValueData(lines, line, Trimmed(current.substr(i + 1)), version5, value))
      return Fail(why, modLang::English("Reasons", "LineNoValue", {where}));
    key->values.push_back(std::move(value));
  }
  if (key) each(*std::move(key));
  return true;
}

}  // namespace

std::optional<std::vector<RegFileKey>> ReadRegFile(const std::string& bytes, std::string* why) {
  std::vector<RegFileKey> keys;
  if (!ParseRegFile(bytes, why, [&](RegFileKey&& key) { keys.push_back(std::move(key)); })) return std::nullopt;
  return keys;
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

namespace {

// The file is read key by key against the tree, never held whole as keys.
bool ProveAgainst(const std::string& file, const std::vector<RegFileKey>& tree, std::string* why) {
  std::string bytes;
  DWORD error = 0;
  if (!modMain::ReadFileBytes(file, bytes, &error)) return Fail(why, modLang::English("Reasons", "WrittenUnreadable"));
  std::map<std::wstring_view, size_t, text::NameLess> index;
  for (size_t i = 0; i < tree.size(); ++i) index.emplace(tree[i].path, i);
  std::vector<char> found(tree.size()), holds(tree.size());
  std::optional<RegFileKey> first;
  std::string broken;
  const bool read = ParseRegFile(bytes, &broken, [&](RegFileKey&& key) {
    if (!first) first = RegFileKey{key.path, key.remove, {}};
    const auto at = key.remove ? index.end() : index.find(key.path);
    if (at == index.end() || found[at->second]) return;  // of two keys of one name, the first counts
    found[at->second] = true;
    holds[at->second] = HoldsValues(key.values, tree[at->second].values);
  });
  if (!read) return Fail(why, modLang::English("Reasons", "WrittenBroken", {broken}));
  const std::wstring top = tree.empty() ? std::wstring() : tree.front().path, root = Widen(kCurrentUserRoot);
  const std::string keyPath = Narrow(top);
  if (!first || first->remove || first->path != top || top.compare(0, root.size(), root) != 0)
    return Fail(why, !first ? modLang::English("Reasons", "WrittenNoKey", {keyPath})
                            : modLang::English("Reasons", "WrittenOtherKey", {keyPath, Narrow(first->path)}));
  // The key and each of its subkeys, with every value each has.
  for (size_t i = 0; i < tree.size(); ++i) {
    const char* wrong = tree[i].unreadable ? "KeyUnreadable" : !found[i] ? "WrittenNoKey" : !holds[i] ? "WrittenNoValues" : nullptr;
    if (wrong) return Fail(why, modLang::English("Reasons", wrong, {Narrow(tree[i].path)}));
  }
  return true;
}

}  // namespace

bool ProveBackup(const std::string& file, const std::string& keyPath, std::string* why) {
  std::vector<RegFileKey> tree;
  ReadKeyTree(keyPath, tree);
  return ProveAgainst(file, tree, why);
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

}  // namespace

namespace {

void AppendKey(std::wstring& text, const RegFileKey& key) {
  text += L"\r\n[" + std::wstring(key.remove ? L"-" : L"") + key.path + L"]\r\n";
  for (const RegFileValue& value : key.values) text += ValueLine(value) + L"\r\n";
}

std::string FileBytes(std::wstring text) {
  text += L"\r\n";
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// FNV-1a over the key's path and each value's name, type and data, in their order.
uint64_t Digest(const RegFileKey& key) {
  uint64_t digest = 14695981039346656037ull;
  const auto add = [&](const void* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) digest = (digest ^ static_cast<const unsigned char*>(bytes)[i]) * 1099511628211ull;
  };
  const auto addSized = [&](const void* bytes, size_t size) {
    const uint64_t length = size;
    add(&length, sizeof length);
    add(bytes, size);
  };
  addSized(key.path.data(), key.path.size() * sizeof(wchar_t));
  for (const RegFileValue& value : key.values) {
    addSized(value.name.data(), value.name.size() * sizeof(wchar_t));
    add(&value.type, sizeof value.type);
    addSized(value.data.data(), value.data.size());
  }
  return digest;
}

}  // namespace

std::string Version5Text(const std::vector<RegFileKey>& keys) {
  std::wstring text = std::wstring(L"\xfeff") + kVersion5 + L"\r\n";
  for (const RegFileKey& key : keys) AppendKey(text, key);
  return FileBytes(std::move(text));
}

RegFileCopy::RegFileCopy() : text_(std::wstring(L"\xfeff") + kVersion5 + L"\r\n") {}

void RegFileCopy::Add(const RegFileKey& key) {
  if (digests_.empty()) top_ = Narrow(key.path);
  if (key.unreadable && unreadable_.empty()) unreadable_ = Narrow(key.path);
  AppendKey(text_, key);
  digests_.push_back(Digest(key));
}

bool RegFileCopy::Write(const std::string& file, std::string* why) const {
  if (!unreadable_.empty()) return Fail(why, modLang::English("Reasons", "KeyUnreadable", {unreadable_}));
  DWORD error = 0;
  if (modMain::WriteFileBytes(file, FileBytes(text_), &error)) return true;
  return Fail(why, modLang::English("Reasons", "FileNotWritten", {modMain::SystemErrorText(error)}));
}

bool RegFileCopy::Prove(const std::string& file, std::string* why) const {
  std::string bytes, broken;
  DWORD error = 0;
  if (!modMain::ReadFileBytes(file, bytes, &error)) return Fail(why, modLang::English("Reasons", "WrittenUnreadable"));
  size_t count = 0;
  std::wstring differs;  // the first key written otherwise than it was read
  bool found = false;
  const bool read = ParseRegFile(bytes, &broken, [&](RegFileKey&& key) {
    if (!found && (count >= digests_.size() || key.remove || Digest(key) != digests_[count])) {
      differs = key.path;
      found = true;
    }
    ++count;
  });
  if (!read) return Fail(why, modLang::English("Reasons", "WrittenBroken", {broken}));
  if (found) return Fail(why, modLang::English("Reasons", "WrittenNoValues", {Narrow(differs)}));
  if (count < digests_.size()) return Fail(why, modLang::English("Reasons", "WrittenNoKey", {top_}));
  return true;
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
