#include "inventory/Extensions.h"

#include <cstdio>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Profile.h"

namespace modReg {

std::string ValueAsHex(const RegValue& value, bool& failed) {
  failed = false;
  const std::string* text = std::get_if<std::string>(&value);
  if (std::holds_alternative<std::monostate>(value) || (text && (text->empty() || *text == "NULL"))) return "None";
  const Bytes* bytes = std::get_if<Bytes>(&value);
  if (bytes && bytes->empty()) return "None";
  long long number = 0;
  if (const int32_t* n = std::get_if<int32_t>(&value)) {
    number = *n;
  } else if (text) {
    std::string digits = text::Trim(*text);
    size_t used = 0;
    try {
      number = std::stoll(digits, &used, 10);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != digits.size() || number < INT32_MIN || number > INT32_MAX) {
      failed = true;
      return "None";
    }
  } else {
    failed = true;
    return "None";
  }
  char hex[16];
  snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(static_cast<uint32_t>(static_cast<int32_t>(number))));
  return hex;
}

std::string ExtensionFile(HKEY key) {
  DWORD type = 0;
  const std::string path = QueryValue(key, "", type);
  // Only text names a file: the bytes of a number or of binary data would make a path
  // of stray characters, and "*" or "?" among them would match whatever file is there.
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ ? path : std::string();
}


long ForEachExtensionKey(const std::function<bool(const std::string& name, bool exact, HKEY key, long total)>& visit) {
  HKEY menuExt = OpenKey(HKEY_CURRENT_USER, kMenuExtPath);
  if (!menuExt) return 0;
  // Names as they are stored: the code page's form of a name may be another key's.
  DWORD subkeys = 0, longest = 0;
  if (RegQueryInfoKeyW(menuExt, nullptr, nullptr, nullptr, &subkeys, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    subkeys = 0;
  std::wstring buffer(longest + 1, L'\0');
  for (DWORD index = 0; index < subkeys; ++index) {
    DWORD size = longest + 1;
    const LONG result = RegEnumKeyExW(menuExt, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) continue;
    const std::wstring wide(buffer.c_str(), result == ERROR_SUCCESS ? size : wcsnlen(buffer.c_str(), buffer.size()));
    std::string name;
    const bool exact = win::ToAnsi(wide, name);
    HKEY key = nullptr;
    if (RegOpenKeyExW(menuExt, wide.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
    const bool more = visit(name, exact, key, static_cast<long>(subkeys));
    if (key) RegCloseKey(key);
    if (!more) break;
  }
  RegCloseKey(menuExt);
  return static_cast<long>(subkeys);
}

}  // namespace modReg

namespace modMain {

std::string RegFilePackPath(const std::string& location) {
  std::string path = location;
  if (path.empty() || path.back() != '\\') path += '\\';
  path = text::Replace(path, "\\Extensions\\", "\\");
  return text::Replace(path, "\\", "\\\\");
}

namespace {
// The folders of path below the data folder, made one level at a time.
void MakeFoldersFor(const std::string& path) {
  const std::string data = InDataPath("");
  if (path.size() <= data.size() || !text::SameName(path.substr(0, data.size()), data)) return;
  for (size_t at = path.find('\\', data.size()); at != std::string::npos; at = path.find('\\', at + 1))
    if (!FolderExists(path.substr(0, at))) CreateFolder(path.substr(0, at));
}
}  // namespace

void fRenFile(const std::string& file, const std::string& destination) {
  const std::string name = FileNamePart(file);
  const bool inPlace = destination.empty();
  const std::string newPath = inPlace ? text::Replace(file, ".txt", ".reg") : destination;
  const std::string newName = FileNamePart(newPath);
  WriteLog("[fRenFile] Opening: " + file);
  if (!OwnFileExists(file)) {
    WriteLog("[fRenFile] Error: file does not exist, skipping [ " + name + " ]");
    return;
  }
  WriteLog("[fRenFile] Importing file data from : " + file);
  std::string bytes;
  DWORD error = 0;
  if (!ReadFileBytes(file, bytes, &error)) {
    WriteLog("[fRenFile] Error: unable to read [ " + name + " ]: " + SystemErrorText(error));
    return;
  }
  std::string data = text::JoinLines(bytes);
  WriteLog("[fRenFile] File data loaded");
  WriteLog("[fRenFile] Closing: " + file);
  const bool placeholder = text::ContainsNoCase(data, "[PATH]");
  const std::string& target = inPlace ? file : newPath;  // where the prepared text goes
  if (!inPlace) MakeFoldersFor(newPath);
  if (placeholder) {
    const std::string location = modSettings::PathSetting("Paths", "NIMO_Location", "");
    data = text::Replace(data, "[PATH]", RegFilePackPath(location));
    WriteLog("[fRenFile] Opening: " + target);
    WriteLog("[fRenFile] Printing new data to: " + target);
    data = text::Replace(data, "\xFF\xFE", "");
    data = text::Replace(data, "\r\n\r\n", "\r\n");
    data = text::Replace(data, "Windows Registry Editor Version 5.00", "REGEDIT4");
    if (!WriteFileBytes(target, data + "\r\n", &error)) {
      WriteLog("[fRenFile] Error: unable to write [ " + (inPlace ? name : newPath) + " ]: " + SystemErrorText(error));
      return;
    }
    WriteLog("[fRenFile] New data printed");
    WriteLog("[fRenFile] Closing; " + target);
    if (!inPlace) {
      WriteLog(name + " has been modified into [ " + newPath + " ]");
      return;
    }
  } else if (!inPlace) {
    if (!CopyFileA(file.c_str(), newPath.c_str(), FALSE)) {
      WriteLog("[fRenFile] Error: unable to copy [ " + name + " ] to [ " + newPath + " ]: " +
               SystemErrorText(GetLastError()));
      return;
    }
    WriteLog(name + " does not need modified but has been copied to [ " + newPath + " ]");
    return;
  }
  WriteLog("[fRenFile] Renaming [ " + file + " ] to [ " + newName + " ]");
  if (!MoveFileA(file.c_str(), newPath.c_str())) {
    WriteLog("[fRenFile] Error: unable to rename [ " + name + " ]: " + SystemErrorText(GetLastError()));
    return;
  }
  WriteLog(name + (placeholder ? " has been modified and renamed" : " does not need modified but has been renamed"));
}

}  // namespace modMain
