#include "settings/DataFolder.h"

#include <windows.h>
#include <objbase.h>

#include <optional>

#include "base/Identity.h"
#include "base/Words.h"
#include "win/Profile.h"

namespace modMain {

namespace {
std::string g_appPathOverride, g_dataPathOverride;
std::optional<DataFolder> g_data;
}  // namespace

std::string AppPath() {
  if (!g_appPathOverride.empty()) return g_appPathOverride;
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  size_t slash = folder.find_last_of('\\');
  folder.erase(slash == std::string::npos ? 0 : slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // drive root keeps its "\"
  return folder;
}

void SetAppPathOverride(const std::string& folder) {
  g_appPathOverride = folder;
  g_data.reset();
}

namespace {
std::string Joined(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

// %LOCALAPPDATA% as the shell knows it (the variable may be missing or stale), in the
// code page; empty text when the shell has no such folder. Asked only when the
// program's folder cannot be written, so shell32 is loaded only then.
std::string LocalAppData() {
  HMODULE shell = LoadLibraryA("shell32.dll");
  HMODULE ole = LoadLibraryA("ole32.dll");
  using KnownFolder = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
  const auto known = shell ? reinterpret_cast<KnownFolder>(
                                 reinterpret_cast<void (*)()>(GetProcAddress(shell, "SHGetKnownFolderPath")))
                           : nullptr;
  const auto freeMemory = ole ? reinterpret_cast<decltype(&CoTaskMemFree)>(
                                    reinterpret_cast<void (*)()>(GetProcAddress(ole, "CoTaskMemFree")))
                              : nullptr;
  // FOLDERID_LocalAppData
  static const GUID kLocalAppData = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
  std::wstring wide;
  PWSTR path = nullptr;
  constexpr DWORD kCreate = 0x00008000;  // KF_FLAG_CREATE: made again when it was removed
  if (known && freeMemory && SUCCEEDED(known(kLocalAppData, kCreate, nullptr, &path)) && path) wide = path;
  if (path && freeMemory) freeMemory(path);
  std::string folder;
  if (!wide.empty() && !win::ToAnsi(wide, folder)) {
    // A user name outside the code page: the short form of the path is plain ASCII.
    std::wstring shorter(MAX_PATH, L'\0');
    const DWORD n = GetShortPathNameW(wide.c_str(), shorter.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !win::ToAnsi(shorter.substr(0, n), folder)) folder.clear();
  }
  return folder;
}

// The shipped translations, copied into the data folder where it has none of its own:
// the refresh and the user's edits write them.
void CopyLanguageFiles(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(Joined(from, "*.lng").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      CopyFileA(Joined(from, found.cFileName).c_str(), Joined(to, found.cFileName).c_str(), TRUE);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

DataFolder DecideDataFolder() {
  if (!g_dataPathOverride.empty()) return {g_dataPathOverride, "chosen for this run", true};
  const std::string program = AppPath();
  std::string why;
  if (CanCreateFileIn(program, &why)) return {program, "a file can be created in the program's folder", true};
  const std::string programWhy = "the program's folder " + program + " cannot be written (" + why + ")";
  const std::string local = LocalAppData();
  if (local.empty())
    return {program, words::English("Reasons", "NoLocalFolder", {program, why}), false};
  const std::string folder = Joined(local, kTitle);
  if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(folder.c_str(), nullptr);
  std::string folderWhy;
  if (!CanCreateFileIn(folder, &folderWhy))
    return {program, words::English("Reasons", "NoFolderWritable", {program, why, folder, folderWhy}), false};
  CopyLanguageFiles(program, folder);
  return {folder, programWhy, true};
}
}  // namespace

std::string InAppPath(const std::string& name) { return Joined(AppPath(), name); }

bool CanCreateFileIn(const std::string& folder, std::string* why) {
  const std::string probe = Joined(folder, "nimo-write-test-" + std::to_string(GetCurrentProcessId()) + ".tmp");
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (why) *why = SystemErrorText(GetLastError());
    return false;
  }
  CloseHandle(file);
  return true;
}

const DataFolder& Data() {
  if (!g_data) g_data = DecideDataFolder();
  return *g_data;
}

std::string DataPath() { return Data().path; }

std::string InDataPath(const std::string& name) { return Joined(DataPath(), name); }

void SetDataPathOverride(const std::string& folder) {
  g_dataPathOverride = folder;
  g_data.reset();
}

}  // namespace modMain
