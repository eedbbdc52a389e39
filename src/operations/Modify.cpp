// Changing an installed extension's properties: a new name moves its key, the same name
// gets the edited values in place.
#include <cctype>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"

namespace modMain {

namespace {

// The Contexts text an edit writes: none for an empty box or "None".
std::optional<std::string> ContextsToWrite(const PropertyChanges& changes) {
  if (!changes.contexts || changes.contexts->empty() || text::Lower(*changes.contexts) == "none") return std::nullopt;
  return changes.contexts;
}

bool HasSubkeys(const std::string& key) {
  DWORD subkeys = 0;
  HKEY open = modReg::OpenKey(HKEY_CURRENT_USER, key);
  if (!open) return false;
  const bool has = RegQueryInfoKeyA(open, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr) == ERROR_SUCCESS && subkeys;
  RegCloseKey(open);
  return has;
}

// The file that writes the old key's values under the new key, in the registry backup
// folder; empty text with why set when it could not be written.
std::string WriteNewKeyFile(const std::string& newFull, const std::string& newName,
                            const std::vector<modReg::RegFileValue>& values, std::string& why) {
  const std::string folder = InDataPath("Reg_Backup");
  if (!FolderExists(folder) && !CreateFolder(folder, &why)) {
    why = modLang::English("Reasons", "FolderNotCreated", {folder, why});
    return {};
  }
  DWORD error = 0;
  const std::string file = TakeFreeFile(folder + "\\", SafeFileName(newName), ".reg", &error);
  if (!file.empty() && WriteFileBytes(file, modReg::Version5Text({{win::Widen(newFull), false, values}}), &error))
    return file;
  if (!file.empty()) GiveBackFile(file);
  why = modLang::English("Reasons", "NewKeyFileNotWritten", {folder, SystemErrorText(error)});
  return {};
}

}  // namespace

std::optional<uint32_t> ContextsNumber(const std::string& typed) {
  const std::string t = text::Trim(typed);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i == t.size()) return std::nullopt;
  long long value = 0;
  for (; i < t.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    value = value * 10 + (t[i] - '0');
    if (value > UINT32_MAX) return std::nullopt;
  }
  if (negative && value > 2147483648LL) return std::nullopt;
  return static_cast<uint32_t>(negative ? -value : value);
}

bool Renames(const InstalledExtension& extension, const PropertyChanges& changes) {
  return !text::SameName(extension.Name, changes.name);
}

std::wstring RefusedChange(const InstalledExtension& extension, const PropertyChanges& changes) {
  if (!IsOperable(extension))
    return modLang::Text("Messages", "NotAnExtensionKey", {text::Replace(extension.Key, kRootKey, "")});
  const std::string& name = changes.name;
  if (text::Trim(text::Replace(name, "&", "")).empty()) return modLang::Text("Messages", "NameEmpty");
  if (name.find('\\') != std::string::npos) return modLang::Text("Messages", "NameBackslash");
  if (Renames(extension, changes)) {
    // A rename moves the key's values, not its subkeys.
    if (HasSubkeys(ExtensionSubkey(extension.Key))) {
      WriteLog("Refused to rename [ " + extension.Key + " ]: it has subkeys");
      return modLang::Text("Messages", "HasSubkeys", {extension.Name});
    }
    if (modReg::KeyExists(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\" + name))
      return modLang::Text("Messages", "NameTaken", {name});
    return {};
  }
  if (const auto contexts = ContextsToWrite(changes); contexts && !ContextsNumber(*contexts))
    return modLang::Text("Messages", "ContextsInvalid");
  return {};
}

std::wstring UpdateExtension(const InstalledExtension& extension, const PropertyChanges& changes) {
  const std::string key = ExtensionSubkey(extension.Key);
  bool written = true;
  if (changes.path) written = modReg::SetValue(HKEY_CURRENT_USER, key, "", *changes.path);
  if (const auto contexts = ContextsToWrite(changes)) {
    const std::optional<uint32_t> number = ContextsNumber(*contexts);  // refused before when not one
    written = number && modReg::SetValue(HKEY_CURRENT_USER, key, "Contexts", static_cast<int32_t>(*number)) && written;
  }
  if (written) return {};
  WriteLog("Unable to write the properties of [ " + extension.Key + " ]");
  return modLang::Text("Messages", "PropertiesNotWritten", {extension.Name, extension.Key});
}

std::wstring RenameExtension(HWND owner, const InstalledExtension& extension, const std::string& newName) {
  const std::string& oldName = extension.Name;
  const std::string& oldFull = extension.Key;
  const std::string key = ExtensionSubkey(oldFull);
  const std::string newKey = key.substr(0, key.find_last_of('\\') + 1) + newName;
  const std::string newFull = kRootKey + newKey;
  WriteLog("User changed key name from [ " + oldName + " ] to [ " + newName + " ].");

  // The old key backed up first, proven whole.
  WriteLog("Backing up [ " + oldFull + " ]");
  std::string backupFile, why;
  if (!BackUpKey(owner, oldFull, SafeFileName(WithoutAmpersands(newName)), backupFile, why)) {
    WriteLog("Unable to back up [ " + oldFull + " ]: " + why + "; the extension is not renamed");
    return modLang::Text("Messages", "RenameNoBackup", {oldName, newName, modLang::Reason(why)});
  }
  WriteLog("[ " + oldFull + " ] backed up");

  // Its values written under the new name and imported.
  const auto oldValues = modReg::KeyValues(oldFull);
  const std::string newKeyFile = oldValues ? WriteNewKeyFile(newFull, newName, *oldValues, why) : std::string();
  if (!oldValues) why = modLang::English("Reasons", "KeyUnreadable", {oldFull});
  if (newKeyFile.empty()) {
    WriteLog("Unable to rename [ " + oldName + " ] to [ " + newName + " ]: " + why);
    return modLang::Text("Messages", "RenameFailed", {oldName, newName, modLang::Reason(why)});
  }
  WriteLog("New key file: " + newKeyFile);
  WriteLog("New registry key: " + newFull);
  WriteLog("IMPORTING [ " + newKeyFile + " ]");
  modReg::RunRegedit(modReg::Regedit::Import, newKeyFile, "");

  // The old key goes only once the new one holds every value it has: at every moment one
  // of the two is whole in the registry.
  const auto newValues = modReg::KeyValues(newFull);
  if (!newValues || !modReg::HoldsValues(*newValues, *oldValues)) {
    // RefusedChange found no key of the new name, so what is there came from this import.
    if (newValues) modReg::DeleteKey(modReg::RootText(HKEY_CURRENT_USER), newKey);
    WriteLog("[ " + newFull + " ] was not created with every value of [ " + oldFull + " ], which is kept");
    return modLang::Text("Messages", "RenameIncomplete", {oldName, newName, backupFile});
  }
  WriteLog("Deleting [ " + oldFull + " ]");
  modReg::DeleteKey(modReg::RootText(HKEY_CURRENT_USER), key);
  if (modReg::KeyExists(HKEY_CURRENT_USER, key)) {  // the registry layer has told the user why
    WriteLog("[ " + oldFull + " ] was not deleted; [ " + newFull + " ] holds the same values");
    return {};
  }
  WriteLog("[ " + oldFull + " ] deleted");
  return {};
}

}  // namespace modMain
