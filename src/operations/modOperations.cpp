// What the extension operations share: file names made from extension names, the test
// that an entry names one extension's own key, one operation at a time, waiting for the
// registry editor without taking input, and the text editor.
#include "operations/modOperations.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "inventory/Extensions.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modMain {

namespace {

// Long names are cut well below the platform's 255 characters per component, leaving
// room for ".reg" and a " (2)".
constexpr size_t kMaxFileName = 200;

bool g_operationRunning = false;

bool IsDeviceName(const std::string& stem) {
  static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                         "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                         "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};
  const std::string upper = text::Upper(stem);
  return std::any_of(std::begin(kDevices), std::end(kDevices), [&](const char* device) { return upper == device; });
}

struct FileStamp {
  bool exists = false;
  FILETIME written{};
  ULONGLONG size = 0;
};

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return stamp;
  stamp.exists = true;
  stamp.written = data.ftLastWriteTime;
  stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return stamp;
}

// The file is there, not empty, and new or written since before was taken (a file that
// was empty before, as a taken clock name is, counts as new).
bool Rewritten(const FileStamp& before, const std::string& path) {
  const FileStamp after = StampOf(path);
  if (!after.exists || after.size == 0) return false;
  return !before.exists || before.size == 0 || CompareFileTime(&before.written, &after.written) != 0;
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM windows) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(windows);
  if (IsWindowVisible(window) && IsWindowEnabled(window) &&
      std::find(list->begin(), list->end(), window) == list->end())
    list->push_back(window);
  return TRUE;
}

// Keys and clicks queued while the editor ran are not acted on afterwards. Key and
// button releases stay, so that no control is left waiting for one.
void DropQueuedInput() {
  static const UINT kPresses[] = {WM_KEYDOWN,       WM_CHAR,         WM_SYSKEYDOWN,    WM_SYSCHAR,
                                  WM_LBUTTONDOWN,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,  WM_RBUTTONDBLCLK,
                                  WM_MBUTTONDOWN,   WM_MBUTTONDBLCLK, WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK,
                                  WM_NCRBUTTONDOWN, WM_NCRBUTTONDBLCLK};
  MSG msg;
  for (UINT press : kPresses)
    while (PeekMessageA(&msg, nullptr, press, press, PM_REMOVE)) {
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and keys

std::string SafeFileName(const std::string& name, const SYSTEMTIME& clock) {
  std::string safe;
  for (size_t i = 0; i < name.size() && safe.size() < kMaxFileName; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    // A double-byte character stays whole: its second byte may look like "\".
    if (IsDBCSLeadByte(c) && i + 1 < name.size()) {
      safe += name[i];
      safe += name[++i];
      continue;
    }
    safe += (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) ? '_' : static_cast<char>(c);
  }
  const std::string trimmed = text::Trim(safe);
  if (trimmed.find_first_not_of('.') == std::string::npos) return modReg::ClockName(clock);
  const std::string stem = safe.substr(0, safe.find('.'));
  const std::string device = text::Trim(stem);
  if (!device.empty() && IsDeviceName(device)) safe.insert(stem.find(device) + device.size(), "_");
  return safe;
}

std::string SafeFileName(const std::string& name) { return SafeFileName(name, Now()); }

std::string WithoutAmpersands(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
  return name;
}

bool IsExtensionKey(const std::string& keyPath) {
  const std::string prefix = std::string(modReg::kMenuExtFull) + "\\";
  return keyPath.size() > prefix.size() && keyPath.compare(0, prefix.size(), prefix) == 0 &&
         keyPath.find('\\', prefix.size()) == std::string::npos;
}

std::string ExtensionSubkey(const std::string& keyPath) { return keyPath.substr(std::strlen(kRootKey)); }

std::wstring MissingFileText(const std::wstring& lead, const std::string& path) {
  return modLang::Text("Messages", "MissingFile", {lead, path});
}

bool CheckExtension(HWND owner, const InstalledExtension& extension) {
  const std::string keyPath = extension.Opened ? extension.Key : "", rowText = ListText(extension);
  if (IsOperable(extension)) return true;
  if (extension.Opened && !extension.Exact) {
    WriteLog("Refused [ " + rowText + " ]: its key name is not in this system's code page");
    modLang::Say(owner, modLang::Text("Messages", "KeyNameCodePage", {rowText}), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  WriteLog("Refused [ " + rowText + " ]: [ " + keyPath + " ] is not an extension key");
  modLang::Say(owner,
               keyPath.empty() ? modLang::Text("Messages", "NotExtensionKey", {rowText})
                               : modLang::Text("Messages", "NotExtensionKeyAt", {rowText, keyPath}),
               MB_OK | MB_ICONEXCLAMATION);
  return false;
}

bool IsOperable(const InstalledExtension& extension) {
  return extension.Opened && extension.Exact && IsExtensionKey(extension.Key);
}

bool ExtensionKeyExists(const std::string& keyPath) {
  return modReg::KeyExists(HKEY_CURRENT_USER, ExtensionSubkey(keyPath));
}

// ---------------------------------------------------------------------------
// Running operations

OperationScope::OperationScope() : acquired_(!g_operationRunning) { g_operationRunning = true; }

OperationScope::~OperationScope() {
  if (acquired_) g_operationRunning = false;
}

bool OperationRunning() { return g_operationRunning; }

bool RunRegeditBlocking(HWND owner, modReg::Regedit mode, const std::string& target, const std::string& fileName,
                        std::string* written) {
  const FileStamp before = StampOf(mode == modReg::Regedit::ExportTo ? fileName : "");

  std::vector<HWND> windows;
  if (HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr; root && IsWindowEnabled(root)) windows.push_back(root);
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&windows));
  const HWND focus = GetFocus();
  for (HWND window : windows) EnableWindow(window, FALSE);
  const HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));

  std::string path;
  const bool ran = modReg::RunRegedit(mode, target, fileName, true, &path);

  for (HWND window : windows)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  DropQueuedInput();
  if (focus && IsWindow(focus)) SetFocus(focus);
  SetCursor(cursor);
  if (written) *written = path;
  if (mode == modReg::Regedit::ExportTo) path = fileName;
  return ran && (path.empty() || Rewritten(before, path));
}

bool BackUpKey(HWND owner, const std::string& keyPath, const std::string& stem, std::string& file, std::string& why,
               bool blockWindows) {
  file.clear();
  if (!Data().writable) {  // the caller's one message says why, not the editor's attempt as well
    why = modLang::English("Reasons", "NoWritableFolder", {Data().why});
    return false;
  }
  const bool ran = blockWindows ? RunRegeditBlocking(owner, modReg::Regedit::Backup, keyPath, stem, &file)
                                : modReg::RunRegedit(modReg::Regedit::Backup, keyPath, stem, true, &file) && Rewritten({}, file);
  if (!ran) {
    why = file.empty() ? modLang::English("Reasons", "NoBackupFile", {modReg::RegistryBackupFolder()})
                       : modLang::English("Reasons", "RegeditFailed");
  } else if (modReg::ProveBackup(file, keyPath, &why)) {
    return true;
  }
  // Not a backup: the name taken for it is given back.
  if (!file.empty()) DeleteFileA(file.c_str());
  return false;
}

void BackUpMenuExtAsRead(const modReg::RegFileCopy* copy) {
  if (!modReg::KeyExists(HKEY_CURRENT_USER, modReg::kMenuExtPath)) {
    WriteLog("No MenuExt registry key to back up");
    return;
  }
  if (!Data().writable) {
    WriteLog("No folder for the MenuExt backup");  // said once at start
    return;
  }
  if (!copy) {
    WriteLog("MenuExt backup disabled");
    return;
  }
  WriteLog("Exporting MenuExt registry key");
  const std::string file = modReg::TakeBackupFile(modReg::kMenuExtFull, "");
  std::string why;
  if (file.empty()) {
    why = modLang::English("Reasons", "NoBackupFile", {modReg::RegistryBackupFolder()});
  } else if (copy->Write(file, &why) && copy->Prove(file, &why)) {
    WriteLog("Exported [ " + std::string(modReg::kMenuExtFull) + " ] to [ " + file + " ] in-process");
    WriteLog("MenuExt registry key exported");
    return;
  }
  if (!file.empty()) DeleteFileA(file.c_str());
  WriteLog("Unable to export the MenuExt registry key: " + why);
}

bool BackUpMenuExt(HWND owner) {
  WriteLog("Exporting MenuExt registry key");
  if (!modReg::KeyExists(HKEY_CURRENT_USER, modReg::kMenuExtPath)) {
    WriteLog("There is no MenuExt registry key to export");
    return true;
  }
  std::string file, why;
  if (!BackUpKey(owner, modReg::kMenuExtFull, "", file, why)) {
    WriteLog("Unable to export the MenuExt registry key: " + why);
    modLang::Say(owner, modLang::Text("Messages", "MenuExtNotBackedUp", {modLang::Reason(why)}), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  WriteLog("MenuExt registry key exported");
  return true;
}

bool ConfirmRegFileChanges(HWND owner, const std::string& regFile) {
  std::string bytes, why;
  DWORD error = 0;
  std::optional<std::vector<modReg::RegFileKey>> keys;
  if (!ReadFileBytes(regFile, bytes, &error)) why = SystemErrorText(error);
  else keys = modReg::ReadRegFile(bytes, &why);
  if (!keys) {
    WriteLog("Unable to read the registry file [ " + regFile + " ]: " + why);
    modLang::Say(owner, modLang::Text("Messages", "RegFileUnreadable", {regFile, modLang::Reason(why)}), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::vector<modReg::RegFileChange> changes = modReg::ChangesBeyondMenuExt(*keys);
  if (changes.empty()) return true;
  std::wstring list;
  for (const modReg::RegFileChange& change : changes) {
    WriteLog("[ " + regFile + " ] " + modLang::English("Messages", change.what, {change.path}));
    list += L"\r\n" + modLang::Text("Messages", change.what, {change.path});
  }
  const bool yes = modLang::Say(owner, modLang::Text("Messages", "RegFileDoesMore", {regFile, list}),
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  WriteLog(yes ? "User accepted the changes of [ " + regFile + " ]" : "Import of [ " + regFile + " ] cancelled");
  return yes;
}

bool OpenInNotepad(HWND owner, const std::string& path) {
  const std::string command = "notepad " + path;
  const win::LaunchResult started = win::Ui().Launch(command, SW_SHOWNORMAL, 0);
  if (started.started) return true;
  const std::string reason = SystemErrorText(started.error);
  WriteLog("Unable to start [ " + command + " ]: " + reason);
  modLang::Say(owner, modLang::Text("Messages", "StartFailed", {command, reason}), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

}  // namespace modMain
