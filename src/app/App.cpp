#include "app/App.h"

#include <objbase.h>

#include "app/resource.h"
#include "lang/modLang.h"
#include "win/Profile.h"

namespace modMain {

bool RefreshingLanguage = false;
View CurrentView = View::None;
RuntimeError Err;

namespace {
std::string g_appPathOverride, g_dataPathOverride;
std::optional<DataFolder> g_data;
std::optional<SYSTEMTIME> g_clock;
}  // namespace

std::string VersionText() {
  return std::to_string(NIMO_VER_MAJOR) + "." + std::to_string(NIMO_VER_MINOR) + "." +
         std::to_string(NIMO_VER_REVISION);
}

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
    return {program, modLang::English("Reasons", "NoLocalFolder", {program, why}), false};
  const std::string folder = Joined(local, kTitle);
  if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(folder.c_str(), nullptr);
  std::string folderWhy;
  if (!CanCreateFileIn(folder, &folderWhy))
    return {program, modLang::English("Reasons", "NoFolderWritable", {program, why, folder, folderWhy}), false};
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

SYSTEMTIME Now() {
  if (g_clock) return *g_clock;
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t;
}

void SetClockOverride(std::optional<SYSTEMTIME> time) { g_clock = time; }

void DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // the program is ending: leave that to the message loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n ? std::string(buffer, n) : "Error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace modMain
