#include <gtest/gtest.h>

#include "app/App.h"
#include "settings/modSettings.h"
#include "support/TestKit.h"

using namespace modSettings;
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

}  // namespace
