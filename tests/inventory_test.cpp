// The pack's registry file preparation and the catalog read into the model, on files of a test's own.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/App.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using testkit::LogMessages;
using testkit::ReadAll;
using testkit::WriteAll;

class RegFilePreparation : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    modSettings::WriteINI("", "Paths", "NIMO_Location", "C:\\Pack\\Extensions\\");
  }
};

// The placeholder is filled, the header rewritten and blank lines dropped; without the
// placeholder only the name changes; a lower-case one has the header and the mark
// rewritten, but is not filled; a missing file is logged.
TEST_F(RegFilePreparation, ThePlaceholderIsFilledTheHeaderRewrittenAndTheFileRenamed) {
  const std::string plain = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n";
  const struct {
    std::string name, before, after, log;
  } files[] = {{"a",
                "\r\n\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"[PATH]Lookup\\\\a.htm\"\r\n"
                "\r\n\r\n\r\n\"Contexts\"=dword:00000010\r\n",
                "REGEDIT4\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"C:\\\\Pack\\\\Lookup\\\\a.htm\"\r\n\r\n"
                "\"Contexts\"=dword:00000010\r\n", "a.txt has been modified and renamed"},
               {"b", plain, plain, "b.txt does not need modified but has been renamed"},
               {"c", "\xFF\xFEWindows Registry Editor Version 5.00\r\n@=\"[path]x\"\r\n", "REGEDIT4\r\n@=\"[path]x\"\r\n",
                "c.txt has been modified and renamed"}};
  for (const auto& file : files) {
    WriteAll(In(file.name + ".txt"), file.before);
    modMain::fRenFile(In(file.name + ".txt"));
    EXPECT_FALSE(testkit::Exists(In(file.name + ".txt"))) << file.name;
    EXPECT_EQ(ReadAll(In(file.name + ".reg")), file.after) << file.name;
    EXPECT_EQ(LogMessages().back(), file.log);
  }
  modMain::fRenFile(In("none.txt"));
  const auto log = LogMessages();
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"[fRenFile] Opening: " + In("none.txt"),
                                      "[fRenFile] Error: file does not exist, skipping [ none.txt ]"}));
}

TEST(RegFilePackPath, TrailingBackslashExtensionsFolderAndDoubling) {
  EXPECT_EQ(modMain::RegFilePackPath("C:\\Pack"), "C:\\\\Pack\\\\");
  EXPECT_EQ(modMain::RegFilePackPath("C:\\Pack\\Extensions\\"), "C:\\\\Pack\\\\");
  EXPECT_EQ(modMain::RegFilePackPath("D:\\Extensions\\Tools\\Extensions"), "D:\\\\Tools\\\\");
}

TEST(ContextValues, ConversionsToHexOrNone) {
  const struct {
    modReg::RegValue value;
    std::string hex;
    bool failed;
  } cases[] = {{int32_t{63}, "3F", false},          {int32_t{0}, "0", false},
               {int32_t{-1}, "FFFFFFFF", false},    {std::string("34"), "22", false},
               {std::string("NULL"), "None", false}, {std::string(""), "None", false},
               {std::string("abc"), "None", true},  {std::string("4294967296"), "None", true},
               {modReg::Bytes{1, 2}, "None", true}};
  for (const auto& c : cases) {
    bool failed = !c.failed;  // set either way, as one flag serves Contexts and Flags
    EXPECT_EQ(modReg::ValueAsHex(c.value, failed), c.hex) << c.hex;
    EXPECT_EQ(failed, c.failed) << c.hex;
  }
}

// The catalog read into the model, against installed extensions made by hand.
class CatalogModel : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
  }
  static modMain::InstalledExtension Installed(const std::string& path) {
    modMain::InstalledExtension extension;
    extension.Opened = !path.empty();
    extension.Path = path;
    return extension;
  }
  size_t Times(const std::string& line) {
    const auto log = LogMessages();
    return std::count(log.begin(), log.end(), line);
  }
  testkit::ScriptedSeam seam_;
  testkit::TempFolder pack_;
  modMain::Extensions model_;
};

// An entry is installed when its file, as the pack names it (letter case included), is
// part of an installed extension's file; an entry naming no file never is. Entries of
// fewer than four fields are skipped; a shipped ".txt" registry file is prepared once.
TEST_F(CatalogModel, EntriesTheirRegistryFilesAndWhatIsInstalled) {
  WriteAll(In("NIMO_Ext.ini"),
           "[Available_Extensions]\r\n;Lookup\r\n"
           "Lookup=Zeta lookup;Lookup\\z.htm;Finds z;Reg_Files\\z.reg\r\n"
           "Lookup=Installed one;Lookup\\luGoogle.htm;Installed;Reg_Files\\g.reg\r\n"
           "Lookup=Installed two;Lookup\\two.htm;Installed;Reg_Files\\two.reg\r\n"
           "Lookup=Converted;Lookup\\c.htm;From txt;Reg_Files\\c.reg\r\n"
           "Misc=Short entry;Misc\\s.htm\r\n"
           "Misc=Case differs;lookup\\LUGOOGLE.htm;Other case;Reg_Files\\z.reg\r\n"
           "Misc=No file;;Nothing;Reg_Files\\z.reg\r\n");
  CreateDirectoryA((pack_ / "Reg_Files").c_str(), nullptr);
  WriteAll(pack_ / "Reg_Files\\z.reg", "REGEDIT4\r\n");
  WriteAll(pack_ / "Reg_Files\\c.txt", "Windows Registry Editor Version 5.00\r\n@=\"[PATH]Lookup\\\\c.htm\"\r\n");
  model_.Installed = {Installed(""), Installed("C:\\Pack\\Lookup\\luGoogle.htm"), Installed("C:\\P\\Lookup\\two.htm")};

  modMain::LoadCatalog(model_, modMain::Reader::Main);

  const std::vector<std::pair<std::string, bool>> entries = {  // the fields, and whether the registry file exists
      {"Lookup|Zeta lookup|Lookup\\z.htm|Finds z|z.reg", true}, {"Lookup|Installed one|Lookup\\luGoogle.htm|Installed|g.reg", false},
      {"Lookup|Installed two|Lookup\\two.htm|Installed|two.reg", false}, {"Lookup|Converted|Lookup\\c.htm|From txt|c.reg", true},
      {"Misc|Case differs|lookup\\LUGOOGLE.htm|Other case|z.reg", true}, {"Misc|No file||Nothing|z.reg", true}};
  ASSERT_EQ(model_.CatalogCount, 6);
  const std::string regFiles = pack_ / "Reg_Files\\";
  for (size_t i = 0; i < entries.size(); ++i) {
    const modMain::CatalogEntry& e = model_.Catalog[i];
    ASSERT_EQ(e.RegFile.rfind(regFiles, 0), 0u) << e.RegFile;
    EXPECT_EQ(e.Category + "|" + e.Name + "|" + e.File + "|" + e.Description + "|" + e.RegFile.substr(regFiles.size()),
              entries[i].first);
    EXPECT_EQ(e.RegFileExists, entries[i].second) << e.Name;
  }
  EXPECT_EQ(modMain::AvailableEntries(model_), (std::vector<size_t>{0, 3, 4, 5}));
  for (const char* line : {"[ Installed one ] is installed", "[ Installed two ] is installed", "4 extensions available",
                           "Skipping [ Misc=Short entry;Misc\\s.htm ]: an entry needs a name, a file, a description "
                           "and a registry file"})
    EXPECT_EQ(Times(line), 1u) << line;

  // The next load finds the converted file and renames nothing; the wizard's load does
  // not count what is available.
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  EXPECT_EQ(Times("Renaming [ " + pack_.path() + "\\Reg_Files\\c.txt ]"), 1u);
  EXPECT_EQ(Times("4 extensions available"), 1u);
  EXPECT_EQ(Times("[ Installed one ] is installed"), 2u);
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(CatalogModel, AMissingCatalogIsRestoredFromTheBuiltInCopy) {
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  auto log = LogMessages();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Available extensions list is missing, attempting restoration");
  EXPECT_EQ(log[1], "File restored, trying again");
  EXPECT_EQ(model_.CatalogCount, 47);
  EXPECT_EQ(modMain::AvailableEntries(model_).size(), 47u);
  EXPECT_EQ(log.back(), "47 extensions available");
}

// An empty section is said once, naming the file; a badly laid-out file each time.
TEST_F(CatalogModel, AnEmptyOrBrokenCatalogGivesNoEntriesAndIsReported) {
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nA=One;Lookup\\one.htm;d;r.reg\r\n");
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  ASSERT_EQ(model_.Catalog.size(), 1u);
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\n;nothing\r\n");
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_TRUE(model_.Catalog.empty());
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(In("NIMO_Ext.ini")), std::string::npos) << seam_.messages[0].text;

  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nbroken\r\n");
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_TRUE(model_.Catalog.empty());
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_EQ(seam_.messages[1].text, modSettings::BadIniDescription());
  EXPECT_EQ(Times("Unable to read the available extensions list: error 1002"), 1u);
}

}  // namespace
