// Settings, the program's own files and the application log.
#include <gtest/gtest.h>

#include "app/App.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using namespace modSettings;
using modMain::FileExists;
using modMain::FolderExists;
using Row = std::pair<std::string, std::string>;

namespace {

class Settings : public testkit::ProgramFolderTest {};

// Names in any case, values trimmed; the "Controls" selector reads the language file
// that Lang names, and only in that exact case; any other selector the settings file.
TEST_F(Settings, ValuesAndTheControlsSelector) {
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", "dflt"), "dflt");  // no file yet
  WriteINI("Controls", "Paths", "Registry_Backup", "D:\\Backups");                     // selector ignored
  EXPECT_TRUE(testkit::Exists(In("NIMO.ini")));
  EXPECT_EQ(ReadINI(modMain::kTitle, "PATHS", "registry_backup", ""), "D:\\Backups");
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Missing", "x"), "x");
  testkit::WriteAll(In("NIMO.ini"), "[Paths]\r\n;comment=1\r\nRegistry_Backup =  D:\\Backups  \r\n");
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", ""), "D:\\Backups");

  testkit::WriteAll(In("fr.lng"), "[frmMain]\r\nmnuFile=&Fichier\r\n");
  WriteINI(modMain::kTitle, "Settings", "Lang", In("fr.lng"));
  EXPECT_EQ(LanguageFile(), In("fr.lng"));
  EXPECT_EQ(ReadINI("Controls", "frmMain", "mnuFile", ""), "&Fichier");
  EXPECT_EQ(ReadINI("controls", "frmMain", "mnuFile", "settings"), "settings");
}

// Whole sections: "EXTENSIONS" in any case or a path selects the catalog, the title the
// settings file; SectionMissing says whether the last section read was there.
TEST_F(Settings, SectionsReadWholeWithSelectors) {
  testkit::WriteAll(In("NIMO_Ext.ini"),
                    "[Available_Extensions]\r\n;Translators\r\nTranslators=a;b;c;d\r\nb=x=y\r\n\r\n[Other]\r\n");
  EXPECT_EQ(ReadSection("EXTENSIONS", "Available_Extensions"), (Section{Row{"Translators", "a;b;c;d"}, Row{"b", "x=y"}}));
  EXPECT_FALSE(SectionMissing);
  EXPECT_TRUE(ReadSection("extensions", "Other").empty());
  EXPECT_TRUE(SectionMissing);
  EXPECT_EQ(ReadSection(In("NIMO_Ext.ini"), "Available_Extensions").size(), 2u);
  EXPECT_FALSE(SectionMissing);
  WriteINI("", "Startup", "Mode", "1");
  EXPECT_EQ(ReadSection(modMain::kTitle, "Startup"), (Section{Row{"Mode", "1"}}));
  EXPECT_TRUE(ReadSection(modMain::kTitle, "Nothing").empty());
  EXPECT_TRUE(SectionMissing);
}

TEST(SettingsFiles, DriveRootGetsNoDoubledBackslash) {
  modMain::SetAppPathOverride("C:\\");
  EXPECT_EQ(SettingsFile() + "|" + CatalogFile(), "C:\\NIMO.ini|C:\\NIMO_Ext.ini");
  modMain::SetAppPathOverride("C:\\Tools\\NIMO");
  EXPECT_EQ(SettingsFile(), "C:\\Tools\\NIMO\\NIMO.ini");
  modMain::SetAppPathOverride("");
}

// Each line: short date, blank, time, tab, the text as given, CR LF. A deleted log (and
// its folder) comes back with the next line; deleting a missing log is no error.
TEST_F(Settings, LogLinesAndALogDeletedUnderneath) {
  SYSTEMTIME t{2026, 12, 6, 5, 14, 3, 22, 0};
  modMain::SetClockOverride(t);
  char date[64], clock[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof clock);
  const std::string stamp = std::string(date) + " " + clock + "\t";
  for (const char* line : {"A", "B", "two\r\nlines"}) modMain::WriteLog(line);
  EXPECT_EQ(testkit::ReadAll(In("Logs\\applog.log")), stamp + "A\r\n" + stamp + "B\r\n" + stamp + "two\r\nlines\r\n");

  testkit::RemoveTree(In("Logs"));
  modMain::WriteLog("second");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"second"});
  modMain::DeleteLog();
  modMain::DeleteLog();
  modMain::WriteLog("third");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"third"});
}

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
