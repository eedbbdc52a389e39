#include "support/TestKit.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "app/App.h"
#include "log/modLog.h"
#include "operations/modRegedit.h"

namespace testkit {

namespace {
std::string TempPath() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}
}  // namespace

TempFolder::TempFolder() : TempFolder(TempPath()) { base_.clear(); }

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
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
      else DeleteFileA(full.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
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

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::set<std::string> Files(const std::string& folder) {
  const std::vector<std::string> names = ListFolder(folder);
  return {names.begin(), names.end()};
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
  std::string log = ReadAll(logFile.empty() ? modMain::LogFile() : logFile);
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    size_t tab = line.find('\t');
    lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    start = end + 2;
  }
  return lines;
}

bool Logged(const std::string& line, const std::string& logFile) {
  const std::vector<std::string> log = LogMessages(logFile);
  return std::find(log.begin(), log.end(), line) != log.end();
}

// A registry file of at least the given size: long strings, numbers, and binary values
// over continuation lines, all lines ending in CR LF. values, when given, receives
// their count.
void ProgramFolderTest::SetUp() { modMain::SetAppPathOverride(folder_.path()); }

void ProgramFolderTest::TearDown() {
  modMain::SetAppPathOverride("");
  modMain::SetDataPathOverride("");
  modMain::SetClockOverride(std::nullopt);
  modMain::RefreshingLanguage = false;
  modMain::CurrentView = 0;
  modReg::TryRegistryEditorAgain();
}

// ---------------------------------------------------------------------------
// Registry

bool RegistryTestsAllowed(std::string* why) {
  char allow[8] = {};
  if (GetEnvironmentVariableA("NIMO_ALLOW_REGISTRY_TESTS", allow, sizeof allow) && std::string(allow) == "1")
    return true;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
  HKEY key = nullptr;
  bool marked = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\NIMO Test Prefix", 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (key) RegCloseKey(key);
  if (wine && marked) return true;
  if (why)
    *why = "refusing to change the registry: not in the build tree's Wine prefix "
           "(set NIMO_ALLOW_REGISTRY_TESTS=1 to allow it here)";
  return false;
}

struct RegistryKeyGuard::Snapshot {
  bool existed = false;
  std::map<std::string, std::pair<DWORD, std::string>> values;
  std::map<std::string, std::unique_ptr<Snapshot>> keys;
};

namespace {
void Take(HKEY key, RegistryKeyGuard::Snapshot& snap);

std::unique_ptr<RegistryKeyGuard::Snapshot> TakeSnapshot(HKEY root, const std::string& path) {
  auto snap = std::make_unique<RegistryKeyGuard::Snapshot>();
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return snap;
  snap->existed = true;
  Take(key, *snap);
  RegCloseKey(key);
  return snap;
}

void Take(HKEY key, RegistryKeyGuard::Snapshot& snap) {
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLength = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::string data(size, '\0');
    nameLength = sizeof name;
    RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);
    snap.values[std::string(name, nameLength)] = {type, data};
  }
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::string sub(name, nameLength);
    HKEY child = nullptr;
    auto childSnap = std::make_unique<RegistryKeyGuard::Snapshot>();
    childSnap->existed = true;
    if (RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Take(child, *childSnap);
      RegCloseKey(child);
    }
    snap.keys[sub] = std::move(childSnap);
  }
}

void Restore(HKEY root, const std::string& path, const RegistryKeyGuard::Snapshot& snap) {
  HKEY key = nullptr;
  RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (!key) return;
  for (const auto& [name, value] : snap.values)
    RegSetValueExA(key, name.c_str(), 0, value.first, reinterpret_cast<const BYTE*>(value.second.data()),
                   static_cast<DWORD>(value.second.size()));
  for (const auto& [name, child] : snap.keys) Restore(key, name, *child);
  RegCloseKey(key);
}
}  // namespace

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& path)
    : root_(root), path_(path), saved_(TakeSnapshot(root, path).release()) {}

RegistryKeyGuard::~RegistryKeyGuard() {
  RegDeleteTree(root_, path_);
  if (saved_->existed) Restore(root_, path_, *saved_);
  delete saved_;
}

void RegCreate(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS)
      << path;
  RegCloseKey(key);
}

void RegSetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS)
      << path;
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

void RegistryTest::SetUp() {
  std::string why;
  if (!RegistryTestsAllowed(&why)) GTEST_FAIL() << why;
  ProgramFolderTest::SetUp();
}

void EmptyMenuExtTest::SetUp() {
  RegistryTest::SetUp();
  if (HasFatalFailure()) return;
  const char* menuExt = "Software\\Microsoft\\Internet Explorer\\MenuExt";
  menuExt_ = std::make_unique<RegistryKeyGuard>(HKEY_CURRENT_USER, menuExt);
  RegDeleteTree(HKEY_CURRENT_USER, menuExt);
  RegCreate(HKEY_CURRENT_USER, menuExt);
}

void EmptyMenuExtTest::TearDown() {
  menuExt_.reset();
  RegistryTest::TearDown();
}

}  // namespace testkit
