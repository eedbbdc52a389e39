#include <gtest/gtest.h>

#include "app/App.h"
#include "settings/modSettings.h"
#include "support/TestKit.h"

using namespace modSettings;

namespace {

class Settings : public testkit::ProgramFolderTest {};

TEST_F(Settings, ReadsWhatWasWrittenWithCaseInsensitiveNamesAndTrimmedValues) {
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", "dflt"), "dflt");  // no file yet
  WriteINI("Controls", "Paths", "Registry_Backup", "D:\\Backups");                     // selector ignored
  EXPECT_TRUE(testkit::Exists(In("NIMO.ini")));
  EXPECT_EQ(ReadINI(modMain::kTitle, "PATHS", "registry_backup", ""), "D:\\Backups");
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Missing", "x"), "x");
  testkit::WriteAll(In("NIMO.ini"), "[Paths]\r\n;comment=1\r\nRegistry_Backup =  D:\\Backups  \r\n");
  EXPECT_EQ(ReadINI(modMain::kTitle, "Paths", "Registry_Backup", ""), "D:\\Backups");
}

TEST_F(Settings, ControlsSelectorReadsTheLanguageFileNamedByLang) {
  testkit::WriteAll(In("fr.lng"), "[frmMain]\r\nmnuFile=&Fichier\r\n");
  WriteINI(modMain::kTitle, "Settings", "Lang", In("fr.lng"));
  EXPECT_EQ(LanguageFile(), In("fr.lng"));
  EXPECT_EQ(ReadINI("Controls", "frmMain", "mnuFile", ""), "&Fichier");
  EXPECT_EQ(ReadINI("controls", "frmMain", "mnuFile", "settings"), "settings");  // exact selector only
}

TEST_F(Settings, SectionsReadWholeWithSelectors) {
  testkit::WriteAll(In("NIMO_Ext.ini"),
                    "[Available_Extensions]\r\n;Translators\r\nTranslators=a;b;c;d\r\nb=x=y\r\n\r\n[Other]\r\n");
  Section rows = ReadSection("EXTENSIONS", "Available_Extensions");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Translators", "a;b;c;d"}));
  EXPECT_EQ(rows[1], (std::pair<std::string, std::string>{"b", "x=y"}));
  EXPECT_FALSE(SectionMissing);

  EXPECT_TRUE(ReadSection("extensions", "Other").empty());
  EXPECT_TRUE(SectionMissing);
  EXPECT_EQ(ReadSection(In("NIMO_Ext.ini"), "Available_Extensions").size(), 2u);  // a path selector
  EXPECT_FALSE(SectionMissing);

  WriteINI("", "Startup", "Mode", "1");
  EXPECT_EQ(ReadSection(modMain::kTitle, "Startup").size(), 1u);
  EXPECT_TRUE(ReadSection(modMain::kTitle, "Nothing").empty());
  EXPECT_TRUE(SectionMissing);
}

TEST(SettingsFiles, DriveRootGetsNoDoubledBackslash) {
  modMain::SetAppPathOverride("C:\\");
  EXPECT_EQ(SettingsFile(), "C:\\NIMO.ini");
  EXPECT_EQ(CatalogFile(), "C:\\NIMO_Ext.ini");
  modMain::SetAppPathOverride("C:\\Tools\\NIMO");
  EXPECT_EQ(SettingsFile(), "C:\\Tools\\NIMO\\NIMO.ini");
  modMain::SetAppPathOverride("");
}

}  // namespace
