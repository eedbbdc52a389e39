#include <gtest/gtest.h>

#include "app/App.h"
#include "settings/modFiles.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using modMain::FileExists;
using modMain::FolderExists;
using modMain::GetPathPart;

namespace {

class Files : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    testkit::WriteAll(In("a.htm"), "<html></html>");
    testkit::WriteAll(In("lib.dll"), "MZ");
    testkit::WriteAll(In("void page.htm"), "x");
    testkit::WriteAll(In("hidden.htm"), "x");
    SetFileAttributesA(In("hidden.htm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    testkit::WriteAll(In("system.js"), "x");
    SetFileAttributesA(In("system.js").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA(In("sub").c_str(), nullptr);
  }
  // FileExists on a copy, reporting what it left in the variable.
  bool Exists(std::string path, std::string* after = nullptr) {
    bool found = FileExists(path);
    if (after) *after = path;
    return found;
  }
  testkit::ScriptedSeam ui;
};

TEST_F(Files, WebAddressesAndScriptsAreAbsentWithoutTouchingTheDisk) {
  // Refused before the disk is asked: web addresses, scripts, and "void " anywhere,
  // even in an existing file's path.
  for (std::string text : {"http://" + In("a.htm"), "ftp://" + In("a.htm"), std::string("javascript:void(0)"),
                           "JavaScript:" + In("a.htm"), std::string("http://www.example.com/"), In("void page.htm"),
                           In("VOID PAGE.htm")}) {
    EXPECT_FALSE(Exists(text)) << text;
    EXPECT_FALSE(modMain::ReducePath(text)) << text;
  }
  // The prefix test is case-sensitive: capitals go on to the disk test, which finds nothing.
  std::string upper = "HTTP://www.example.com/";
  EXPECT_TRUE(modMain::ReducePath(upper));
  for (const std::string& text : {std::string("HTTP://www.example.com/"), "FTP://" + In("a.htm")})
    EXPECT_FALSE(Exists(text)) << text;
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

TEST_F(Files, ResourceAndFileAddressesAreReducedAndWrittenBack) {
  std::string after;
  EXPECT_TRUE(Exists("res://" + In("lib.dll") + "/page.htm", &after));
  EXPECT_EQ(after, In("lib.dll"));
  EXPECT_TRUE(Exists("res://" + In("lib.dll") + "res://other/x", &after));
  EXPECT_EQ(after, In("lib.dll"));
  EXPECT_FALSE(Exists("res://" + In("missing.dll") + "/page.htm", &after));
  EXPECT_EQ(after, In("missing.dll"));

  EXPECT_TRUE(Exists("file://" + In("a.htm"), &after));
  EXPECT_EQ(after, In("a.htm"));
  // The URL form with forward slashes reduces to nothing at the first "/".
  EXPECT_FALSE(Exists("file:///C:/Pack/a.htm", &after));
  EXPECT_EQ(after, "");

  // Other letter cases: every "file:" goes and the caller keeps the lower-cased path.
  std::string mixed = "FILE:" + In("A.HTM");
  EXPECT_TRUE(FileExists(mixed));
  std::string expected = In("a.htm");
  for (char& c : expected) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(mixed, expected);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Files, OnlyNormalFilesCount) {
  for (const std::string& found : {In("a.htm"), In("*.htm"), In("?.htm")}) EXPECT_TRUE(Exists(found)) << found;
  // "h*.htm": the hidden file alone matches.
  for (const std::string& absent : {In("*.xyz"), In("missing.htm"), In("no folder\\a.htm"), In("sub"), In("hidden.htm"),
                                    In("system.js"), In("h*.htm"), std::string(), std::string("   ")})
    EXPECT_FALSE(Exists(absent)) << absent;
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
}

TEST_F(Files, FolderExistsWithOrWithoutTrailingBackslash) {
  EXPECT_TRUE(FolderExists(In("sub")));
  EXPECT_TRUE(FolderExists(In("sub\\")));
  EXPECT_TRUE(FolderExists(folder_.path()));
  EXPECT_TRUE(FolderExists("C:\\"));
  EXPECT_FALSE(FolderExists(In("a.htm")));
  EXPECT_FALSE(FolderExists(In("a.htm\\")));
  EXPECT_FALSE(FolderExists(In("missing")));
}

TEST_F(Files, CreateFolderMakesOneLevelAndTellsWhyNot) {
  std::string why;
  EXPECT_TRUE(modMain::CreateFolder(In("new"), &why));
  EXPECT_TRUE(FolderExists(In("new")));
  EXPECT_TRUE(modMain::CreateFolder(In("new"), &why));  // already there
  EXPECT_FALSE(modMain::CreateFolder(In("no parent\\new"), &why));
  EXPECT_FALSE(why.empty());
  why.clear();
  EXPECT_FALSE(modMain::CreateFolder(In("a.htm"), &why));  // a file of that name is no folder
  EXPECT_FALSE(why.empty());
}

TEST(PathParts, LastComponentAndFolder) {
  EXPECT_EQ(GetPathPart(1, "C:\\a\\b.reg"), "b.reg");
  EXPECT_EQ(GetPathPart(2, "C:\\a\\b.reg"), "C:\\a");
  EXPECT_EQ(GetPathPart(1, "C:\\a\\"), "");
  EXPECT_EQ(GetPathPart(2, "C:\\a\\"), "C:\\a");
  EXPECT_EQ(GetPathPart(1, "b.reg"), "b.reg");
  EXPECT_EQ(GetPathPart(2, "C:\\b.reg"), "C:");
  EXPECT_EQ(GetPathPart(3, "C:\\a\\b.reg"), "");
  EXPECT_EQ(GetPathPart(0, "C:\\a\\b.reg"), "");
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
