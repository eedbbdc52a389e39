// The installed list read from a real MenuExt key.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using testkit::LogMessages;

const std::string kMenuExt = modReg::kMenuExtPath;

class InstalledList : public testkit::EmptyMenuExtTest {
 protected:
  void SetUp() override {
    testkit::EmptyMenuExtTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(main_.Create());
    testkit::WriteAll(In("ext.htm"), "<html></html>");
  }
  int Row(const std::string& text) { return testkit::Row(main_.lvwInstalled, text); }
  testkit::ScriptedSeam seam_;
  frmMain main_;
};

TEST_F(InstalledList, RowsCellsTagsAndMarks) {
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\&Alpha", "", In("ext.htm"));
  testkit::RegSetDword(HKEY_CURRENT_USER, kMenuExt + "\\&Alpha", "Contexts", 63);
  testkit::RegSetDword(HKEY_CURRENT_USER, kMenuExt + "\\&Alpha", "Flags", 0);
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Page", "", "res://" + In("ext.htm") + "/page.htm");
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Broken", "", In("gone.htm"));
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Broken", "Flags", "abc");
  testkit::RegCreate(HKEY_CURRENT_USER, kMenuExt + "\\Bare");
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Long", "", In(std::string(300, 'x') + ".htm"));
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");

  main_.LoadExtensionInfo();

  auto& list = main_.lvwInstalled;
  ASSERT_EQ(list.Count(), 5);
  int alpha = Row("&Alpha"), page = Row("Page"), broken = Row("Broken"), bare = Row("Bare"), longer = Row("Long");
  ASSERT_TRUE(alpha >= 0 && page >= 0 && broken >= 0 && bare >= 0 && longer >= 0);
  EXPECT_EQ(list.Cell(alpha, 1), In("ext.htm"));
  EXPECT_EQ(list.Cell(alpha, 2), "3F");
  EXPECT_EQ(list.Cell(alpha, 3), "0");
  EXPECT_EQ(list.Image(alpha), main_.TickedImage);
  EXPECT_EQ(list.Tag(alpha), std::string(modReg::kMenuExtFull) + "\\&Alpha");
  EXPECT_EQ(list.Tip(alpha), list.Tag(alpha));
  EXPECT_EQ(list.Cell(page, 1), "res://" + In("ext.htm") + "/page.htm");  // the cell keeps its text
  EXPECT_EQ(list.Cell(broken, 3), "None");
  EXPECT_EQ(list.Cell(bare, 1), "Not Found");
  EXPECT_EQ(list.Cell(bare, 2), "None");
  EXPECT_EQ(list.Cell(longer, 1), "Not Found");  // longer than the single-value buffer

  for (int row : {alpha, page}) EXPECT_FALSE(list.Style(row, 0).bold);
  for (int row : {broken, bare, longer}) {
    for (int column : {0, 1, 2}) {
      EXPECT_TRUE(list.Style(row, column).bold);
      EXPECT_EQ(list.Style(row, column).color, COLORREF{255});
    }
    EXPECT_FALSE(list.Style(row, 3).bold);
  }

  EXPECT_EQ(main_.ctlSBar.Text(), "5 extensions installed");
  const auto log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Unable to retrieve registry value for: Broken"), 1);
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_TRUE(main_.menu.IsChecked(IDM_mnuInstalled));

  // An order chosen by header clicks (contexts, descending) holds across loads.
  main_.lvwInstalled_ColumnClick(2);
  main_.lvwInstalled_ColumnClick(2);
  main_.LoadExtensionInfo();
  for (int row = 1; row < list.Count(); ++row)
    EXPECT_GE(win::CListView::CompareCells(win::CListView::Order::Hex, list.Cell(row - 1, 2), list.Cell(row, 2)), 0);
  EXPECT_EQ(list.Cell(list.Count() - 1, 2), "3F");
}

TEST_F(InstalledList, EmptyKeyAndTheBackupOnEachLoad) {
  modMain::SetClockOverride(SYSTEMTIME{2027, 2, 1, 1, 9, 7, 3, 0});
  main_.LoadExtensionInfo();
  EXPECT_EQ(main_.lvwInstalled.Count(), 0);
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 0 extensions installed ]");
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "regedit /e /s \"" + In("Reg_Backup") + "\\01-02-27_090703.reg\" \"" +
                                   modReg::kMenuExtFull + "\"");
  auto log = LogMessages();
  EXPECT_NE(std::find(log.begin(), log.end(), "Exporting MenuExt registry key"), log.end());
  EXPECT_EQ(log.back(), "MenuExt registry key exported");
}

TEST_F(InstalledList, AvailableEntriesFoundInstalledAreRemovedOneAfterAnother) {
  testkit::TempFolder pack;
  modSettings::WriteINI("", "Paths", "NIMO_Location", pack.path() + "\\");
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  testkit::WriteAll(In("NIMO_Ext.ini"),
                    "[Available_Extensions]\r\nA=One;Lookup\\one.htm;d;r.reg\r\nA=Two;Lookup\\two.htm;d;r.reg\r\n"
                    "A=Three;Lookup\\three.htm;d;r.reg\r\n");
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\One", "", "C:\\P\\Lookup\\one.htm");
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Two", "", "C:\\P\\Lookup\\two.htm");
  main_.LoadExtensionInfo();
  main_.Command(IDM_mnuAvailable);
  ASSERT_EQ(main_.lvwAvailable.Count(), 1);
  EXPECT_EQ(main_.lvwAvailable.Cell(0, 0), "Three");
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 1 extensions available ]");
}

}  // namespace
