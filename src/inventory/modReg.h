// The registry access layer and the extension records read through it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace modReg {

inline constexpr char kMenuExtPath[] = "Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr char kMenuExtFull[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr char kUninstallPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zandor Extension Pack_is1";

// A value as GetValue returns it: nothing (key not opened, no default), text, a signed
// 32-bit number, or bytes.
using Bytes = std::vector<unsigned char>;
using RegValue = std::variant<std::monostate, std::string, int32_t, Bytes>;

HKEY OpenKey(HKEY root, const std::string& path);
// True when the key can be opened for reading.
bool KeyExists(HKEY root, const std::string& path);
std::string QueryValue(HKEY key, const std::string& name, DWORD& type);
RegValue GetValue(HKEY root, const std::string& path, const std::string& name, const RegValue& defaultValue = {});
// The same conversions on a key the caller has open.
RegValue ReadValue(HKEY key, const std::string& name);
// Text is written as REG_SZ, a number as REG_DWORD.
bool SetValue(HKEY root, const std::string& path, const std::string& name, const std::variant<std::string, int32_t>& value);
// root: the root handle's value as signed decimal text ("-2147483647" for HKEY_CURRENT_USER).
void DeleteKey(const std::string& root, const std::string& path);

// The machine hive has two views on 64-bit Windows; HKEY_CURRENT_USER has one.
enum class View { None, Bits32, Bits64 };
// A text value below HKEY_LOCAL_MACHINE, read from the 32-bit view first (where a
// 32-bit installer writes its record), then from the 64-bit view; view names the one
// that held it, or None with empty text. Every read of the machine hive goes here.
std::string ReadMachineText(const std::string& path, const std::string& name, View& view);
// "32-bit" or "64-bit", for the log.
const char* ViewName(View view);

// The text form of HKEY_CURRENT_USER that DeleteKey takes.
std::string RootText(HKEY root);

// The pack's folder and its registry-files folder.
struct PackLocation {
  std::string PackFolder;
  std::string RegFilesFolder;
  bool Cancelled = false;  // the user gave up; the program is ending
};
// Reads the uninstall record; asks the user (owner: the main window) when that fails.
PackLocation GetPackLocation(HWND owner);
// Why a folder is not the pack's (it holds neither the pack's Reg_Files folder nor any
// file the catalog names), as a key of the language files' [Reasons]; null when it is.
const char* WhyNotPackFolder(const std::string& folder);
// The folder picker, opened at start, until the user picks the pack's folder (ending in
// "\") or cancels (empty text); a folder refused is said with the reason.
std::string ChoosePackFolder(HWND owner, const std::string& start);

}  // namespace modReg
