#include <gtest/gtest.h>

#include "app/App.h"
#include "settings/modFiles.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using modMain::FileExists;
using modMain::FolderExists;

namespace {

class Files : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    for (const char* name : {"a.htm", "lib.dll", "void page.htm", "hidden.htm", "system.js"}) testkit::WriteAll(In(name), "x");
    SetFileAttributesA(In("hidden.htm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(In("system.js").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(In("sub").c_str(), nullptr);
  }
  testkit::ScriptedSeam ui;
};

// Only normal files count as files (wildcards allowed); folders with or without their
// trailing backslash. Web addresses, scripts and "void " anywhere are refused before the
// disk is asked; the prefix test is case-sensitive, so capitals go on to the disk test.
TEST_F(Files, WhatCountsAsAFileOrAFolder) {
  const struct {
    std::string path;
    bool file, folder;
    bool reducible = true;
  } cases[] = {
      {In("a.htm"), true, false}, {In("*.htm"), true, false}, {In("?.htm"), true, false},
      {In("a.htm\\"), false, false}, {In("*.xyz"), false, false}, {In("missing.htm"), false, false},
      {In("no folder\\a.htm"), false, false}, {In("hidden.htm"), false, false}, {In("system.js"), false, false},
      {In("h*.htm"), false, false},  // the hidden file alone matches
      {"", false, false, false}, {"   ", false, false, false}, {In("sub"), false, true}, {In("sub\\"), false, true},
      {folder_.path(), false, true}, {"C:\\", false, true}, {In("missing"), false, false},
      {"http://" + In("a.htm"), false, false, false}, {"ftp://" + In("a.htm"), false, false, false},
      {"javascript:void(0)", false, false, false}, {"JavaScript:" + In("a.htm"), false, false, false},
      {"http://www.example.com/", false, false, false}, {In("void page.htm"), false, false, false},
      {In("VOID PAGE.htm"), false, false, false}, {"HTTP://www.example.com/", false, false},
      {"FTP://" + In("a.htm"), false, false},
  };
  for (const auto& c : cases) {
    std::string copy = c.path;
    EXPECT_EQ(FileExists(copy), c.file) << c.path;
    if (!c.path.empty()) EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;  // "" is the current folder
    copy = c.path;
    EXPECT_EQ(modMain::ReducePath(copy), c.reducible) << c.path;
  }
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

// Resource and file addresses are reduced to the file's path, which is written back.
TEST_F(Files, ResourceAndFileAddressesAreReducedAndWrittenBack) {
  std::string lower = In("a.htm");
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  const struct {
    std::string path;
    bool found;
    std::string after;
  } cases[] = {
      {"res://" + In("lib.dll") + "/page.htm", true, In("lib.dll")},
      {"res://" + In("lib.dll") + "res://other/x", true, In("lib.dll")},
      {"res://" + In("missing.dll") + "/page.htm", false, In("missing.dll")},
      {"file://" + In("a.htm"), true, In("a.htm")},
      {"file:///C:/Pack/a.htm", false, ""},  // the URL form reduces to nothing at the first "/"
      {"FILE:" + In("A.HTM"), true, lower},  // other cases: every "file:" goes, the path lower-cased
  };
  for (const auto& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(FileExists(path), c.found) << c.path;
    EXPECT_EQ(path, c.after) << c.path;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Files, CreateFolderMakesOneLevelAndTellsWhyNot) {
  std::string why;
  EXPECT_TRUE(modMain::CreateFolder(In("new"), &why));
  EXPECT_TRUE(FolderExists(In("new")));
  EXPECT_TRUE(modMain::CreateFolder(In("new"), &why));  // already there
  for (const std::string& path : {In("no parent\\new"), In("a.htm")}) {  // a file of that name is no folder
    why.clear();
    EXPECT_FALSE(modMain::CreateFolder(path, &why));
    EXPECT_FALSE(why.empty());
  }
}

TEST(PathParts, LastComponentAndFolder) {
  const struct {
    int part;
    const char *path, *result;
  } cases[] = {{1, "C:\\a\\b.reg", "b.reg"}, {2, "C:\\a\\b.reg", "C:\\a"}, {1, "C:\\a\\", ""}, {2, "C:\\a\\", "C:\\a"},
               {1, "b.reg", "b.reg"},        {2, "C:\\b.reg", "C:"},       {3, "C:\\a\\b.reg", ""}, {0, "C:\\a\\b.reg", ""}};
  for (const auto& c : cases) EXPECT_EQ(modMain::GetPathPart(c.part, c.path), c.result) << c.part << " " << c.path;
}

// The built-in files are written whole over what was there; only the English file is
// held back while the language is refreshed.
TEST_F(Files, ExtractResourceLeavesExactlyTheBuiltInBytes) {
  const std::string catalog = modMain::ResourceBytes(101, "Custom"), english = modMain::ResourceBytes(102, "LANG");
  ASSERT_EQ(catalog.rfind("[Available_Extensions]\r\n", 0), 0u);
  ASSERT_EQ(english.rfind("[frmMain]\r\n", 0), 0u);
  testkit::WriteAll(In("NIMO_Ext.ini"), catalog + std::string(20000, 'x'));
  testkit::WriteAll(In("en.lng"), "mine");
  modMain::RefreshingLanguage = true;
  EXPECT_TRUE(modMain::ExtractResource(101, "CUSTOM", In("NIMO_Ext.ini")));  // types match in any case
  EXPECT_EQ(testkit::ReadAll(In("NIMO_Ext.ini")), catalog);
  EXPECT_FALSE(modMain::ExtractResource(102, "LANG", In("en.lng")));
  EXPECT_EQ(testkit::ReadAll(In("en.lng")), "mine");

  modMain::RefreshingLanguage = false;
  EXPECT_TRUE(modMain::ExtractResource(102, "lang", In("en.lng")));
  EXPECT_EQ(testkit::ReadAll(In("en.lng")), english);
  EXPECT_FALSE(modMain::ExtractResource(999, "LANG", In("none.lng")));
  EXPECT_FALSE(testkit::Exists(In("none.lng")));
}

}  // namespace
