#include "inventory/modReg.h"

#include <algorithm>
#include <cstring>

#include "base/Identity.h"
#include "lang/modLang.h"
#include "win/Profile.h"
#include "win/Seam.h"

namespace modReg {

namespace {

// The parent of path below root, open for reading, with leaf set to the last name of
// path; nullptr when path has no parent or it cannot be opened. An A function takes
// at most 260 characters of path, and one key name alone may have 255: a key with a
// long name is reached from its parent, one name at a time.
HKEY OpenParent(HKEY root, const std::string& path, std::string& leaf) {
  const size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return nullptr;
  HKEY parent = nullptr;
  if (RegOpenKeyExA(root, path.substr(0, cut).c_str(), 0, KEY_READ, &parent) != ERROR_SUCCESS) return nullptr;
  leaf = path.substr(cut + 1);
  return parent;
}

LONG OpenPath(HKEY root, const std::string& path, REGSAM access, HKEY* key) {
  std::string leaf;
  HKEY parent = OpenParent(root, path, leaf);
  if (!parent) return RegOpenKeyExA(root, path.c_str(), 0, access, key);
  const LONG result = RegOpenKeyExA(parent, leaf.c_str(), 0, access, key);
  RegCloseKey(parent);
  return result;
}

}  // namespace

HKEY OpenKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  return OpenPath(root, path, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = OpenKey(root, path);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

std::string QueryValue(HKEY key, const std::string& name, DWORD& type) {
  if (!key) return {};
  char buffer[260] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return {};
  return std::string(buffer, strnlen(buffer, size));
}

RegValue GetValue(HKEY root, const std::string& path, const std::string& name, const RegValue& defaultValue) {
  HKEY key = nullptr;
  if (OpenPath(root, path, KEY_READ, &key) != ERROR_SUCCESS) return defaultValue;
  RegValue value = ReadValue(key, name);
  RegCloseKey(key);
  return value;
}

RegValue ReadValue(HKEY key, const std::string& name) {
  DWORD size = 1024, type = 0;
  std::vector<unsigned char> data(size);
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  if (result == ERROR_MORE_DATA) {
    data.resize(size);
    result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (result != ERROR_SUCCESS) type = 0;  // a missing value reads as "NULL"
  size = std::min<DWORD>(size, static_cast<DWORD>(data.size()));
  const char* chars = reinterpret_cast<const char*>(data.data());
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return std::string(chars, size ? size - 1 : 0);
    case REG_BINARY:
      return Bytes(data.begin(), data.begin() + size);
    case REG_DWORD: {
      if (size < 4) return std::string("NULL");
      uint32_t v = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
      return static_cast<int32_t>(v);
    }
    case REG_MULTI_SZ:
      return std::string(chars, size >= 2 ? size - 2 : 0);
    default:
      return std::string("NULL");
  }
}

bool SetValue(HKEY root, const std::string& path, const std::string& name, const std::variant<std::string, int32_t>& value) {
  HKEY key = nullptr;
  if (OpenPath(root, path, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  LONG result;
  if (const auto* text = std::get_if<std::string>(&value)) {
    std::string data = text->c_str();  // written only up to a zero character
    result = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
  } else {
    uint32_t v = static_cast<uint32_t>(std::get<int32_t>(value));
    BYTE bytes[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
    result = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, bytes, 4);
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

namespace {

// The key at a full path below HKEY_CURRENT_USER, open for reading; nullptr when it cannot be.
HKEY OpenCurrentUserKey(const std::string& keyPath) {
  const size_t root = std::strlen(kCurrentUserRoot);
  HKEY key = nullptr;
  if (keyPath.compare(0, root, kCurrentUserRoot) != 0 ||
      RegOpenKeyExW(HKEY_CURRENT_USER, win::Widen(keyPath.substr(root)).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

// The values of an open key, and whether its subkeys could be counted: the sizes its
// info gives serve every value.
bool ReadValues(HKEY key, std::vector<RegFileValue>& values, DWORD& subkeys, DWORD& longestSubkey) {
  DWORD count = 0, longestName = 0, longestData = 0;
  subkeys = longestSubkey = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &count, &longestName,
                       &longestData, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  values.reserve(count);
  std::wstring name(longestName + 1, L'\0');
  std::string data(longestData + 2, '\0');
  for (DWORD index = 0; index < count; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    const LONG result = RegEnumValueW(key, index, name.data(), &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) return false;
    values.push_back({name.substr(0, nameSize), type, data.substr(0, dataSize)});
  }
  return true;
}

// The key open as key (nullptr: it could not be opened) at path, then its subkeys, each
// opened from it by name.
bool ReadTree(HKEY key, const std::wstring& path, std::vector<RegFileKey>& keys, const SubkeyRead* each) {
  const size_t at = keys.size();
  keys.push_back(RegFileKey{path, false, {}, false});
  DWORD subkeys = 0, longest = 0;
  if (!key || !ReadValues(key, keys[at].values, subkeys, longest)) {
    keys[at].unreadable = true;
    return true;
  }
  std::wstring name(longest + 1, L'\0');
  for (DWORD index = 0; index < subkeys; ++index) {
    DWORD size = static_cast<DWORD>(name.size());
    const LONG result = RegEnumKeyExW(key, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) {
      keys[at].unreadable = true;  // a subkey that cannot be named cannot be backed up
      continue;
    }
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) child = nullptr;
    const size_t first = keys.size();
    ReadTree(child, path + L"\\" + name.substr(0, size), keys, nullptr);
    if (child) RegCloseKey(child);
    if (each && !(*each)(first, static_cast<long>(subkeys))) return false;
  }
  return true;
}

// The text of a value's UTF-16 bytes in the ANSI code page, NULs and all.
std::string AnsiOf(const std::string& data) {
  return win::Narrow(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)));
}

const RegFileValue* Find(const RegFileKey& key, const std::wstring& name) {
  for (const RegFileValue& value : key.values)
    if (CompareStringOrdinal(value.name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return &value;
  return nullptr;
}

}  // namespace

bool ReadKeyTree(const std::string& keyPath, std::vector<RegFileKey>& keys, const SubkeyRead& each) {
  HKEY key = OpenCurrentUserKey(keyPath);
  const bool whole = ReadTree(key, win::Widen(keyPath), keys, each ? &each : nullptr);
  if (key) RegCloseKey(key);
  return whole;
}

std::optional<std::vector<RegFileKey>> ReadKeyTree(const std::string& keyPath, std::string* why) {
  std::vector<RegFileKey> keys;
  ReadKeyTree(keyPath, keys);
  if (FirstUnreadable(keys, why)) return std::nullopt;
  return keys;
}

const RegFileKey* FirstUnreadable(const std::vector<RegFileKey>& keys, std::string* why) {
  for (const RegFileKey& key : keys)
    if (key.unreadable) {
      if (why) *why = modLang::English("Reasons", "KeyUnreadable", {win::Narrow(key.path)});
      return &key;
    }
  return nullptr;
}

std::optional<std::vector<RegFileValue>> KeyValues(const std::string& keyPath) {
  HKEY key = OpenCurrentUserKey(keyPath);
  if (!key) return std::nullopt;
  std::vector<RegFileValue> values;
  DWORD subkeys = 0, longest = 0;
  const bool read = ReadValues(key, values, subkeys, longest);
  RegCloseKey(key);
  if (!read) return std::nullopt;
  return values;
}

RegValue ValueOf(const RegFileKey& key, const std::wstring& name) {
  const RegFileValue* value = Find(key, name);
  if (!value) return std::string("NULL");  // as a missing value reads
  const std::string& data = value->data;
  switch (value->type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      const std::string text = AnsiOf(data);
      return text.substr(0, text.empty() ? 0 : text.size() - 1);
    }
    case REG_MULTI_SZ: {
      const std::string text = AnsiOf(data);
      return text.substr(0, text.size() >= 2 ? text.size() - 2 : 0);
    }
    case REG_BINARY:
      return Bytes(data.begin(), data.end());
    case REG_DWORD: {
      if (data.size() < 4) return std::string("NULL");
      const auto* b = reinterpret_cast<const unsigned char*>(data.data());
      return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
    }
    default:
      return std::string("NULL");
  }
}

std::string FileOf(const RegFileKey& key) {
  const RegFileValue* value = Find(key, L"");
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ && value->type != REG_MULTI_SZ)) return {};
  const std::string text = AnsiOf(value->data);
  if (text.size() > MAX_PATH) return {};  // more than the buffer of MAX_PATH characters holds
  return text.substr(0, text.find('\0'));
}

std::string ReadMachineText(const std::string& path, const std::string& name, View& view) {
  for (View each : {View::Bits32, View::Bits64}) {
    HKEY key = nullptr;
    const REGSAM wow = each == View::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | wow, &key) != ERROR_SUCCESS) continue;
    DWORD type = REG_NONE;
    const std::string text = QueryValue(key, name, type);
    RegCloseKey(key);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      view = each;
      return text;
    }
  }
  view = View::None;
  return {};
}

const char* ViewName(View view) {
  return view == View::Bits32 ? "32-bit" : "64-bit";
}

std::string RootText(HKEY root) {
  return std::to_string(static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root))));
}

void DeleteKey(const std::string& root, const std::string& path) {
  long long value = 0;
  try {
    value = std::stoll(root);
  } catch (...) {
    value = 0;
  }
  HKEY rootKey = reinterpret_cast<HKEY>(static_cast<uintptr_t>(static_cast<ULONG_PTR>(static_cast<LONG>(value))));
  std::string leaf;
  HKEY parent = OpenParent(rootKey, path, leaf);
  const LONG result = parent ? RegDeleteKeyA(parent, leaf.c_str()) : RegDeleteKeyA(rootKey, path.c_str());
  if (parent) RegCloseKey(parent);
  if (result != ERROR_SUCCESS) {
    modLang::Say(nullptr,
                 modLang::Text("Messages", "KeyNotDeleted",
                               {static_cast<long long>(result), modMain::SystemErrorText(static_cast<DWORD>(result)), path}),
                 MB_OK | MB_ICONEXCLAMATION);
  }
}

}  // namespace modReg
