// Shared test helpers: a fresh program folder per test, files, the log, the registry.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "win/ListView.h"

namespace testkit {

// A new empty folder under the temporary folder, removed again with its contents.
class TempFolder {
 public:
  // A new folder in the temporary folder, or in `base` (made when missing, and removed
  // again with the last folder made in it).
  TempFolder();
  explicit TempFolder(const std::string& base);
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
  std::string base_;
};

void RemoveTree(const std::string& path);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::vector<std::string> ListFolder(const std::string& folder);  // names, without "." and ".."
std::set<std::string> Files(const std::string& folder);            // the same names as a set

// Latin-1 text (ASCII included) as the registry editor writes it, two bytes per
// character; and whether a file it wrote holds the key.
std::string Utf16(const std::string& latin1);
bool HoldsKey(const std::string& file, const std::string& key);

// The row of a list whose first cell is text; -1 when none is.
int Row(const win::CListView& list, const std::string& text);

// The lines of an application log (by default the program's own) without their time
// stamps; and whether one of them is line.
std::vector<std::string> LogMessages(const std::string& logFile = "");
bool Logged(const std::string& line, const std::string& logFile = "");

// Points the program at a fresh folder of its own for the length of a test.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string In(const std::string& name) const { return folder_ / name; }
  TempFolder folder_;
};

// True when the registry of this process may be changed by tests: inside the build
// tree's Wine prefix, or when NIMO_ALLOW_REGISTRY_TESTS=1 says so.
bool RegistryTestsAllowed(std::string* why = nullptr);

// Saves a registry key (with its subkeys and values) and puts it back afterwards.
class RegistryKeyGuard {
 public:
  RegistryKeyGuard(HKEY root, const std::string& path);
  ~RegistryKeyGuard();
  struct Snapshot;

 private:
  HKEY root_;
  std::string path_;
  Snapshot* saved_;
};

// Creates a key (and its parents) and sets values; helpers for registry fixtures.
void RegCreate(HKEY root, const std::string& path);
void RegSetString(HKEY root, const std::string& path, const std::string& name, const std::string& value,
                  DWORD type = REG_SZ);
void RegSetDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
void RegSetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
void RegDeleteTree(HKEY root, const std::string& path);
bool RegKeyExists(HKEY root, const std::string& path);

// For the tests of the registry: fails the test unless RegistryTestsAllowed().
class RegistryTest : public ProgramFolderTest {
 protected:
  void SetUp() override;
};

// A registry test that starts with MenuExt empty and puts the key back afterwards.
class EmptyMenuExtTest : public RegistryTest {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::unique_ptr<RegistryKeyGuard> menuExt_;
};

}  // namespace testkit
