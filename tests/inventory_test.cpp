// The pack's registry file preparation and the available list, on files of a test's own.
#include <gtest/gtest.h>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
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

TEST_F(RegFilePreparation, PlaceholderIsFilledHeaderRewrittenAndFileRenamed) {
  WriteAll(In("a.txt"),
           "\r\n\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"[PATH]Lookup\\\\a.htm\"\r\n"
           "\r\n\r\n\r\n\"Contexts\"=dword:00000010\r\n");
  modMain::fRenFile(In("a.txt"));
  EXPECT_FALSE(testkit::Exists(In("a.txt")));
  EXPECT_EQ(ReadAll(In("a.reg")),
            "REGEDIT4\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"C:\\\\Pack\\\\Lookup\\\\a.htm\"\r\n\r\n"
            "\"Contexts\"=dword:00000010\r\n");
  EXPECT_EQ(LogMessages().back(), "a.txt has been modified and renamed");
}

// Without the placeholder only the name changes; a lower-case one still has the
// header and the mark rewritten, but is not filled.
TEST_F(RegFilePreparation, TheRewriteDependsOnThePlaceholderInAnyCase) {
  const std::string plain = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n";
  const struct {
    std::string name, before, after;
  } files[] = {{"b", plain, plain},
               {"c", "\xFF\xFEWindows Registry Editor Version 5.00\r\n@=\"[path]x\"\r\n",
                "REGEDIT4\r\n@=\"[path]x\"\r\n"}};
  for (const auto& file : files) {
    WriteAll(In(file.name + ".txt"), file.before);
    modMain::fRenFile(In(file.name + ".txt"));
    EXPECT_FALSE(testkit::Exists(In(file.name + ".txt"))) << file.name;
    EXPECT_EQ(ReadAll(In(file.name + ".reg")), file.after) << file.name;
  }
}

TEST_F(RegFilePreparation, MissingFileLogsTwoLines) {
  modMain::fRenFile(In("none.txt"));
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"[fRenFile] Opening: " + In("none.txt"),
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

// The available list of a main window that runs no start-up.
class AvailableList : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
    CreateDirectoryA(pack_.path().c_str(), nullptr);
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
    modMain::CurrentView = 1;  // the list on show: the title and status bar describe it
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int row = 0; row < main_.lvwAvailable.Count(); ++row) names.push_back(main_.lvwAvailable.Cell(row, 0));
    return names;
  }
  testkit::ScriptedSeam seam_;
  testkit::TempFolder pack_;
  frmMain main_;
};

TEST_F(AvailableList, RowsTagsConversionsRemovalsAndMarks) {
  WriteAll(In("NIMO_Ext.ini"),
           "[Available_Extensions]\r\n;Lookup\r\n"
           "Lookup=Zeta lookup;Lookup\\z.htm;Finds z;Reg_Files\\z.reg\r\n"
           "Lookup=Installed one;Lookup\\luGoogle.htm;Installed;Reg_Files\\g.reg\r\n"
           "Lookup=Converted;Lookup\\c.htm;From txt;Reg_Files\\c.reg\r\n"
           "Misc=alpha missing;Misc\\m.htm;No reg file;Reg_Files\\m.reg\r\n"
           "Misc=Short entry;Misc\\s.htm\r\n"
           "Misc=Case differs;lookup\\LUGOOGLE.htm;Other case;Reg_Files\\z.reg\r\n");
  WriteAll(pack_ / "z.reg", "REGEDIT4\r\n");
  CreateDirectoryA((pack_ / "Reg_Files").c_str(), nullptr);
  WriteAll(pack_ / "Reg_Files\\z.reg", "REGEDIT4\r\n");
  WriteAll(pack_ / "Reg_Files\\c.txt", "Windows Registry Editor Version 5.00\r\n@=\"[PATH]Lookup\\\\c.htm\"\r\n");
  int installed = main_.lvwInstalled.AddRow("Google");
  main_.lvwInstalled.SetCell(installed, 1, "C:\\Pack\\Lookup\\luGoogle.htm");

  main_.LoadAvailableExtensions();

  EXPECT_EQ(Names(), (std::vector<std::string>{"alpha missing", "Case differs", "Converted", "Zeta lookup"}));
  EXPECT_EQ(main_.ctlSBar.Text(), "4 extensions available");
  auto log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(),
                       "Skipping [ Misc=Short entry;Misc\\s.htm ]: an entry needs a name, a file, a description "
                       "and a registry file"),
            1);
  EXPECT_EQ(ReadAll(pack_ / "Reg_Files\\c.reg"),
            "REGEDIT4\r\n@=\"" + modMain::RegFilePackPath(pack_.path()) + "Lookup\\\\c.htm\"\r\n");

  auto& list = main_.lvwAvailable;
  for (int row = 0; row < list.Count(); ++row) {
    const bool missing = list.Cell(row, 0) == "alpha missing";
    EXPECT_EQ(list.Tag(row), list.Tip(row));
    for (int column = 0; column < 4; ++column)
      EXPECT_EQ(list.Style(row, column).bold, missing) << list.Cell(row, 0) << " column " << column;
  }
  EXPECT_EQ(list.Tag(3), pack_.path() + "\\Reg_Files\\z.reg");
  EXPECT_EQ(list.Cell(3, 1), "Lookup");
  EXPECT_EQ(list.Cell(3, 2), "Finds z");
  EXPECT_EQ(list.Cell(3, 3), "Lookup\\z.htm");

  // The next load finds the converted file and renames nothing.
  main_.LoadAvailableExtensions();
  log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Renaming [ " + pack_.path() + "\\Reg_Files\\c.txt ]"), 1);
}

TEST_F(AvailableList, MissingCatalogIsRestoredFromTheBuiltInCopy) {
  main_.LoadAvailableExtensions();
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  auto log = LogMessages();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Available extensions list is missing, attempting restoration");
  EXPECT_EQ(log[1], "File restored, trying again");
  ASSERT_EQ(main_.lvwAvailable.Count(), 47);
  for (int row = 1; row < 47; ++row)  // sorted by name, without regard to letter case
    EXPECT_LE(lstrcmpiA(main_.lvwAvailable.Cell(row - 1, 0).c_str(), main_.lvwAvailable.Cell(row, 0).c_str()), 0) << row;
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 47 extensions available ]");
}

TEST_F(AvailableList, EmptyOrBrokenCatalogLeavesTheListEmpty) {
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nA=One;Lookup\\one.htm;d;r.reg\r\n");
  main_.LoadAvailableExtensions();
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\n;nothing\r\n");
  main_.LoadAvailableExtensions();
  EXPECT_EQ(main_.lvwAvailable.Count(), 0);
  EXPECT_EQ(main_.ctlSBar.Text(), "0 extensions available");  // the empty list on show, not the last count
  main_.LoadAvailableExtensions();
  ASSERT_EQ(seam_.messages.size(), 1u);  // an empty list is said once, naming the file
  EXPECT_NE(seam_.messages[0].text.find(In("NIMO_Ext.ini")), std::string::npos) << seam_.messages[0].text;

  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nbroken\r\n");
  main_.LoadAvailableExtensions();
  EXPECT_EQ(main_.lvwAvailable.Count(), 0);
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_EQ(seam_.messages[1].text, modSettings::BadIniDescription());
}

}  // namespace
