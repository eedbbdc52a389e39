// The registry access layer and the extension records read through it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace modReg {

// The root of a full key path below HKEY_CURRENT_USER.
inline constexpr char kCurrentUserRoot[] = "HKEY_CURRENT_USER\\";
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

// One value as the registry holds it through its wide functions: the name (empty for
// the default value), the type and the data bytes (text as UTF-16LE).
struct RegFileValue {
  std::wstring name;
  DWORD type = REG_NONE;
  std::string data;
  bool remove = false;  // "name"=- in a registry file
  bool quoted = false;  // written as "text": the registry's data may lack the final NUL
};

// A key with its values, as a registry file or the registry holds it.
struct RegFileKey {
  std::wstring path;    // the full path, as written between the brackets, without the "-" of a removal
  bool remove = false;  // [-path]
  std::vector<RegFileValue> values;
  bool unreadable = false;  // read from the registry: it could not be opened, or not every value or subkey listed
};

// keyPath (below HKEY_CURRENT_USER, given by its full path) and each of its subkeys,
// depth first, with their values, in the registry's own order, in one pass, appended to
// keys; a key that cannot be read is kept, marked unreadable. each, when given, is
// called after each direct subkey of keyPath has been read with its own subkeys, with
// its index in keys and the number of direct subkeys; it may drop the keys from that
// index on, and false from it ends the read: false then.
using SubkeyRead = std::function<bool(size_t index, long subkeys)>;
bool ReadKeyTree(const std::string& keyPath, std::vector<RegFileKey>& keys, const SubkeyRead& each = {});
// The same read whole; nullopt, with the reason, when a key cannot be read.
std::optional<std::vector<RegFileKey>> ReadKeyTree(const std::string& keyPath, std::string* why = nullptr);
// The first key of a tree read so that is unreadable, with the reason; nullptr when none.
const RegFileKey* FirstUnreadable(const std::vector<RegFileKey>& keys, std::string* why);
// The values of one key so; nullopt when the key cannot be read.
std::optional<std::vector<RegFileValue>> KeyValues(const std::string& keyPath);

// A value of a key read so, converted as ReadValue converts it through the ANSI functions.
RegValue ValueOf(const RegFileKey& key, const std::wstring& name);
// Its default value when it is text (the first string of a REG_MULTI_SZ) as an ANSI
// function of MAX_PATH characters reads it, else empty text: an extension's file.
std::string FileOf(const RegFileKey& key);

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
