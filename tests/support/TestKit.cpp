#include "support/TestKit.h"

#include <algorithm>

#include "app/frmMain.h"
#include "base/Identity.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modSettings.h"

namespace testkit {

namespace {
HKEY Created(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0) << path;
  return key;
}

void CopyKey(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to) {
  HKEY source = nullptr, target = Created(toRoot, to);
  RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source);
  EXPECT_EQ(RegCopyTreeA(source, nullptr, target), ERROR_SUCCESS) << from;
  RegCloseKey(target), RegCloseKey(source);
}
}  // namespace

TempFolder::TempFolder() : TempFolder([] { char temp[MAX_PATH] = {}; return std::string(temp, GetTempPathA(MAX_PATH, temp)); }()) {
  base_.clear();
}

TempFolder::TempFolder(const std::string& base) : base_(base) {
  if (base_.back() != '\\') base_ += '\\';
  CreateDirectoryA(base_.c_str(), nullptr);
  static unsigned counter = 0;
  for (;;) {
    path_ = base_ + "nimo-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
  if (!base_.empty()) RemoveDirectoryA(base_.c_str());  // only when nothing else is left in it
}

void RemoveTree(const std::string& path) {
  for (const std::string& name : Files(path)) {
    const std::string full = path + "\\" + name;
    const DWORD attributes = GetFileAttributesA(full.c_str());
    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
    else DeleteFileA(full.c_str());
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
}

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD n;
  while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n) bytes.append(chunk, n);
  CloseHandle(file);
  return bytes;
}

void WriteAll(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD n = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(file);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::string> Files(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::string Utf16(const std::string& latin1) {
  std::string wide;
  for (char c : latin1) wide += {c, '\0'};
  return wide;
}

bool HoldsKey(const std::string& file, const std::string& key) {
  return ReadAll(file).find(Utf16("[" + key + "]")) != std::string::npos;
}

int Row(const win::CListView& list, const std::string& text) {
  for (int row = 0; row < list.Count(); ++row)
    if (list.Cell(row, 0) == text) return row;
  return -1;
}

std::vector<std::string> LogMessages(const std::string& logFile) {
  std::vector<std::string> lines;
  const std::string log = ReadAll(logFile.empty() ? modMain::LogFile() : logFile);
  for (size_t start = 0, end; start < log.size(); start = end + 2) {
    end = std::min(log.find("\r\n", start), log.size());
    const size_t tab = log.find('\t', start);
    lines.push_back(log.substr(tab < end ? tab + 1 : start, end - (tab < end ? tab + 1 : start)));
  }
  return lines;
}

bool Logged(const std::string& line, const std::string& logFile) {
  const std::vector<std::string> log = LogMessages(logFile);
  return std::find(log.begin(), log.end(), line) != log.end();
}

void ProgramFolderTest::SetUp() { modMain::SetAppPathOverride(folder_.path()); }

std::string ProgramFolderTest::Ini(const std::string& section, const std::string& key) {
  return modSettings::ReadINI(modMain::kTitle, section, key, "<none>");
}

void ProgramFolderTest::TearDown() {
  modMain::SetAppPathOverride("");
  modMain::SetDataPathOverride("");
  modMain::SetClockOverride(std::nullopt);
  modLang::RefreshingLanguage = false;
  modMain::CurrentView = modMain::View::None;
  modReg::TryRegistryEditorAgain();
}

bool RegistryTestsAllowed(std::string* why) {
  char allow[8] = {};
  if (GetEnvironmentVariableA("NIMO_ALLOW_REGISTRY_TESTS", allow, sizeof allow) && std::string(allow) == "1") return true;
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");  // Wine's, and a prefix marked as the build tree's
  if (ntdll && GetProcAddress(ntdll, "wine_get_version") && RegKeyExists(HKEY_CURRENT_USER, "Software\\NIMO Test Prefix"))
    return true;
  if (why)
    *why = "refusing to change the registry: not in the build tree's Wine prefix "
           "(set NIMO_ALLOW_REGISTRY_TESTS=1 to allow it here)";
  return false;
}

// The copy is kept under HKEY_CURRENT_USER, whichever root the key has.
RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& path) : root_(root), path_(path) {
  static unsigned counter = 0;
  if (!RegKeyExists(root, path)) return;
  saved_ = "Software\\NIMO Test Saved\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  RegDeleteTree(HKEY_CURRENT_USER, saved_);
  CopyKey(root, path, HKEY_CURRENT_USER, saved_);
}

RegistryKeyGuard::~RegistryKeyGuard() {
  RegDeleteTree(root_, path_);
  if (saved_.empty()) return;
  CopyKey(HKEY_CURRENT_USER, saved_, root_, path_);
  RegDeleteTree(HKEY_CURRENT_USER, saved_);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\NIMO Test Saved");  // once no copy is left in it
}

void RegCreate(HKEY root, const std::string& path) { RegCloseKey(Created(root, path)); }

void RegSetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
  HKEY key = Created(root, path);
  RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void RegSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value, DWORD type) {
  RegSetRaw(root, path, name, type, value + std::string(1, '\0'));
}

void RegSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  RegSetRaw(root, path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

void RegDeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()); RegDeleteKeyA(root, path.c_str()); }

bool RegKeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::map<std::string, std::string> MenuExtKeys() {
  std::map<std::string, std::string> keys;
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, modReg::kMenuExtPath, 0, KEY_READ, &key);
  char name[512], file[1024];
  for (DWORD i = 0, size = sizeof name, bytes = sizeof file;
       key && RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, size = sizeof name, bytes = sizeof file)
    keys[name] = RegGetValueA(key, name, "", RRF_RT_REG_SZ, nullptr, file, &bytes) == ERROR_SUCCESS ? file : "?";
  RegCloseKey(key);
  return keys;
}

void SetMenuExtKeyW(const std::wstring& name, const std::string& file) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + name).c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), static_cast<DWORD>(file.size() + 1));
  RegCloseKey(key);
}

void RegistryTest::SetUp() {
  std::string why;
  if (!RegistryTestsAllowed(&why)) GTEST_FAIL() << why;
  ProgramFolderTest::SetUp();
}

}  // namespace testkit
