// Settings, the program's own files, the log; the language rules.
#include <gtest/gtest.h>

#include "base/Identity.h"
#include "base/resource.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using namespace modSettings;
using modMain::ReduceToExistingFile;
using modMain::FolderExists;
using Row = std::pair<std::string, std::string>;

namespace {

class Settings : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    for (const char* name : {"a.htm", "lib.dll", "void page.htm", "hidden.htm"}) testkit::WriteAll(In(name), "x");
    SetFileAttributesA(In("hidden.htm").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA(In("sub").c_str(), nullptr);
  }
  testkit::ScriptedSeam ui;
};

// "Controls" (that case only) selects the language file, "EXTENSIONS" or a path the catalog.
TEST_F(Settings, ValuesSectionsAndSelectors) {
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", "dflt"), "dflt");  // no file yet
  WriteINI("Controls", "Paths", "Registry_Backup", "D:\\Backups");                     // selector ignored
  EXPECT_EQ(ReadINI(modMain::kTitle, "PATHS", "registry_backup", ""), "D:\\Backups");
  testkit::WriteAll(In("NIMO.ini"), "[Paths]\r\n;comment=1\r\nRegistry_Backup =  D:\\Backups  \r\n");
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", ""), "D:\\Backups");
  testkit::WriteAll(In("fr.lng"), "[frmMain]\r\nmnuFile=&Fichier\r\n");
  WriteINI(modMain::kTitle, "Settings", "Lang", In("fr.lng"));
  EXPECT_EQ(ReadINI("Controls", "frmMain", "mnuFile", ""), "&Fichier");
  EXPECT_EQ(ReadINI("controls", "frmMain", "mnuFile", "settings"), "settings");

  testkit::WriteAll(In("NIMO_Ext.ini"),
                    "[Available_Extensions]\r\n;Translators\r\nTranslators=a;b;c;d\r\nb=x=y\r\n\r\n[Other]\r\n");
  EXPECT_EQ(ReadSection("EXTENSIONS", "Available_Extensions"), (Section{Row{"Translators", "a;b;c;d"}, Row{"b", "x=y"}}));
  EXPECT_FALSE(SectionMissing);
  EXPECT_TRUE(ReadSection("extensions", "Other").empty());
  EXPECT_TRUE(SectionMissing);
  EXPECT_EQ(ReadSection(In("NIMO_Ext.ini"), "Available_Extensions").size(), 2u);
  EXPECT_FALSE(SectionMissing);
  WriteINI("", "Paths", "NIMO_Location", std::string(MAX_PATH - 12, 'n'));  // the longest a folder may be
  WriteINI("", "Paths", "Extension_Backup", std::string(MAX_PATH - 11, 'e'));
  EXPECT_EQ(UnusablePathSettings(), std::vector<std::string>{"Paths/Extension_Backup: " + std::string(MAX_PATH - 11, 'e')});
  modMain::SetAppPathOverride("C:\\");  // a drive root gets no doubled backslash
  EXPECT_EQ(SettingsFile() + "|" + CatalogFile(), "C:\\NIMO.ini|C:\\NIMO_Ext.ini");
  modMain::SetAppPathOverride(folder_.path());
  EXPECT_FALSE(modMain::ExtractResource(999, "LANG", In("none.lng")));  // no such resource: no file
  EXPECT_FALSE(testkit::Exists(In("none.lng")));
}

TEST_F(Settings, LogLinesAndALogDeletedUnderneath) {
  SYSTEMTIME t{2026, 12, 6, 5, 14, 3, 22, 0};
  modMain::SetClockOverride(t);
  char date[64], clock[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof clock);
  const std::string stamp = std::string(date) + " " + clock + "\t";
  for (const char* line : {"A", "two\r\nlines"}) modMain::WriteLog(line);
  EXPECT_EQ(testkit::ReadAll(In("Logs\\applog.log")), stamp + "A\r\n" + stamp + "two\r\nlines\r\n");
  testkit::RemoveTree(In("Logs"));
  modMain::WriteLog("second");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"second"});
  modMain::DeleteLog();
  modMain::DeleteLog();
  modMain::WriteLog("third");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"third"});
  modMain::DeleteLog();
  CreateDirectoryA(In("Logs\\applog.log").c_str(), nullptr);  // a folder where the log would be: said once
  for (const char* line : {"lost", "lost too"}) modMain::WriteLog(line);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].shownText, modLang::Text("Messages", "LogWriteFailed",
                                                    {modMain::LogFile(), modMain::SystemErrorText(ERROR_ACCESS_DENIED)}));
}

// Web addresses (lower case), scripts and "void " are refused before the disk is asked.
TEST_F(Settings, WhatCountsAsAFileOrAFolder) {
  const struct { std::string path; bool file, folder, reducible = true; } cases[] = {
      {In("a.htm"), true, false}, {In("*.htm"), true, false}, {In("a.htm\\"), false, false},
      {In("missing.htm"), false, false}, {In("hidden.htm"), false, false},
      {In("h*.htm"), false, false},  // the hidden file alone matches
      {"", false, false, false}, {"   ", false, false, false}, {In("sub"), false, true}, {In("sub\\"), false, true},
      {"C:\\", false, true}, {In("missing"), false, false}, {"http://" + In("a.htm"), false, false, false},
      {"JavaScript:" + In("a.htm"), false, false, false}, {In("VOID PAGE.htm"), false, false, false},
      {"HTTP://www.example.com/", false, false},
  };
  for (const auto& c : cases) {
    std::string copy = c.path;
    EXPECT_EQ(ReduceToExistingFile(copy), c.file) << c.path;
    if (!c.path.empty()) {
      EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;  // "" is the current folder
    }
    copy = c.path;
    EXPECT_EQ(modMain::ReducePath(copy), c.reducible) << c.path;
  }
  std::string lower = In("a.htm");
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  const struct { std::string path; bool found; std::string after; } addresses[] = {
      {"res://" + In("lib.dll") + "/page.htm", true, In("lib.dll")},
      {"file://" + In("a.htm"), true, In("a.htm")},
      {"file:///C:/Pack/a.htm", false, ""},  // the URL form reduces to nothing at the first "/"
      {"FILE:" + In("A.HTM"), true, lower},  // other cases: every "file:" goes, the path lower-cased
  };
  for (const auto& c : addresses) {
    std::string path = c.path;
    EXPECT_EQ(ReduceToExistingFile(path), c.found) << c.path;
    EXPECT_EQ(path, c.after) << c.path;
  }
  std::string why;
  EXPECT_FALSE(modMain::CreateFolder(In("a.htm"), &why));  // a file of that name is no folder
}

// "-rlang" only in its own case and at the end of the command line.
TEST(LanguageTexts, PluralFormsPlaceholdersAndTheRefreshSwitch) {
  const struct { long long n; const char* forms; } counts[] = {
      {0, "other one many"},  {1, "one one one"},      {2, "other other few"},    {5, "other other many"},
      {11, "other other many"}, {14, "other other many"}, {21, "other other one"}, {24, "other other few"},
      {111, "other other many"}, {122, "other other few"}};
  for (const auto& c : counts)
    EXPECT_EQ(std::string(modLang::PluralForm("en", c.n)) + " " + modLang::PluralForm("fr", c.n) + " " +
                  modLang::PluralForm("ru", c.n), c.forms) << c.n;
  for (const auto& [line, refresh] : {std::pair{"  -rlang  ", true}, {"x -rlang", true}, {"-RLANG", false}, {"-rlang x", false}})
    EXPECT_EQ(modLang::WantsRefresh(line), refresh) << line;
  EXPECT_EQ(modLang::Fill(L"%2 of %1\\n%3\\t100%", {L"\u0416", "C:\\new"}), L"C:\\new of \u0416\r\n%3\t100%");
}

}  // namespace
