#include "inventory/modReg.h"

#include <algorithm>
#include <cstring>

#include "base/Identity.h"
#include "lang/modLang.h"
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
