// Shared test helpers: a fresh program folder per test, files, the log, the registry.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "inventory/modReg.h"
#include "win/ListView.h"

using Lines = std::vector<std::string>;
inline const HKEY HKCU = HKEY_CURRENT_USER;
inline const std::string kMenuExt = modReg::kMenuExtPath, kFull = std::string(modReg::kMenuExtFull) + "\\";

namespace testkit {

// A new folder in the temporary folder or in `base`, removed again with its contents.
class TempFolder {
 public:
  TempFolder();
  explicit TempFolder(const std::string& base);
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_, base_;
};

void RemoveTree(const std::string& path);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::set<std::string> Files(const std::string& folder);  // names, without "." and ".."

// Latin-1 text as the registry editor writes it; whether a file it wrote holds the key.
std::string Utf16(const std::string& latin1);
bool HoldsKey(const std::string& file, const std::string& key);

int Row(const win::CListView& list, const std::string& text);

// The lines of a log (by default the program's own) without their time stamps.
std::vector<std::string> LogMessages(const std::string& logFile = "");
bool Logged(const std::string& line, const std::string& logFile = "");

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string In(const std::string& name) const { return folder_ / name; }
  static std::string Ini(const std::string& section, const std::string& key);  // "<none>" when unset
  TempFolder folder_;
};

// Inside the build tree's Wine prefix, or with NIMO_ALLOW_REGISTRY_TESTS=1.
bool RegistryTestsAllowed(std::string* why = nullptr);

class RegistryKeyGuard {
 public:
  RegistryKeyGuard(HKEY root, const std::string& path);
  ~RegistryKeyGuard();

 private:
  HKEY root_;
  std::string path_, saved_;  // where the copy is kept, empty when there was no key
};

void RegCreate(HKEY root, const std::string& path);
void RegSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value, DWORD type = REG_SZ);
void RegSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void RegSetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
void RegDeleteTree(HKEY root, const std::string& path);
bool RegKeyExists(HKEY root, const std::string& path);
// The keys under MenuExt, each with the file it names; one made by its stored (wide) name.
std::map<std::string, std::string> MenuExtKeys();
void SetMenuExtKeyW(const std::wstring& name, const std::string& file);

class RegistryTest : public ProgramFolderTest {
 protected:
  void SetUp() override;
};

}  // namespace testkit
