// The main window's menus, toggles and layout, driven in-process without start-up.
#include <gtest/gtest.h>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "log/modLog.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

// A main window whose start-up is not run: only its controls and menus.
class MainWindow : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
  }
  std::string Ini(const std::string& section, const std::string& key) {
    return modSettings::ReadINI(modMain::kTitle, section, key, "<none>");
  }
  testkit::ScriptedSeam seam_;
  frmMain main_;
};

TEST_F(MainWindow, ViewCommandsSetTheMenuStatesOfTheirView) {
  const auto& menu = main_.menu;
  // The backups' Delete item and its separator are hidden from the start.
  EXPECT_FALSE(menu.IsVisible(IDM_mnuDelBackups) || menu.IsVisible(IDM_mnuFSep3));
  main_.Command(IDM_mnuAvailable);
  EXPECT_EQ(modMain::CurrentView, 1);
  EXPECT_TRUE(main_.lvwAvailable.IsVisible());
  EXPECT_FALSE(main_.lvwInstalled.IsVisible());
  for (UINT id : {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete})
    EXPECT_FALSE(menu.IsEnabled(id)) << menu.Find(id)->name;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile}) {
    EXPECT_TRUE(menu.IsEnabled(id));
    EXPECT_TRUE(menu.IsVisible(id));
  }
  EXPECT_FALSE(menu.IsVisible(IDM_mnuESep2));
  EXPECT_TRUE(menu.IsChecked(IDM_mnuAvailable));
  EXPECT_FALSE(menu.IsChecked(IDM_mnuInstalled));
  // Enable sits between Disable and Export extension; View associated registry file before its separator.
  HMENU edit = menu.Popup(IDM_mnuEdit);
  EXPECT_EQ(GetMenuItemID(edit, 1), static_cast<UINT>(IDM_mnuEnable));
  EXPECT_EQ(GetMenuItemID(edit, 6), static_cast<UINT>(IDM_mnuViewRegFile));

  main_.Command(IDM_mnuInstalled);
  EXPECT_EQ(modMain::CurrentView, 2);
  for (UINT id : {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete})
    EXPECT_TRUE(menu.IsEnabled(id)) << menu.Find(id)->name;
  EXPECT_FALSE(menu.IsVisible(IDM_mnuEnable));
  EXPECT_FALSE(menu.IsVisible(IDM_mnuViewRegFile));
  EXPECT_EQ(GetMenuItemCount(edit), 9);
  // A hidden, disabled item does not run from its shortcut key.
  EXPECT_FALSE(main_.Command(IDM_mnuEnable));
}

TEST_F(MainWindow, SettingToggles) {
  auto& menu = main_.menu;
  // An absent key counts as on: the first click turns it off, the second on again. The
  // wizard's item is on while UseClassic is "0".
  const struct {
    UINT id;
    const char *key, *off, *on;
  } toggles[] = {{IDM_mnuRegBackup, "RMEK_Backup", "0", "1"},       {IDM_mnuPromptInstall, "InstallPrompt", "0", "1"},
                 {IDM_mnuPromptContext, "ContextPrompt", "0", "1"}, {IDM_mnuPromptProperties, "PropertiesPrompt", "0", "1"},
                 {IDM_mnuStartupWizard, "UseClassic", "1", "0"}};
  for (const auto& toggle : toggles) {
    main_.Command(toggle.id);
    EXPECT_EQ(Ini("Settings", toggle.key), toggle.off);
    EXPECT_FALSE(menu.IsChecked(toggle.id)) << toggle.key;
    main_.Command(toggle.id);
    EXPECT_EQ(Ini("Settings", toggle.key), toggle.on);
    EXPECT_TRUE(menu.IsChecked(toggle.id)) << toggle.key;
  }
  // Start modes, without changing the view.
  main_.Command(IDM_mnuStartupInstalled);
  EXPECT_EQ(Ini("Startup", "Mode"), "0");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuStartupInstalled));
  main_.Command(IDM_mnuStartupAvailable);
  EXPECT_EQ(Ini("Startup", "Mode"), "1");
  EXPECT_FALSE(menu.IsChecked(IDM_mnuStartupInstalled));
  EXPECT_EQ(modMain::CurrentView, 0);
}

TEST_F(MainWindow, LogMenus) {
  auto& menu = main_.menu;
  // View with no log.
  main_.Command(IDM_mnuAppLog);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Unable to locate application log");
  EXPECT_EQ(seam_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  modMain::WriteLog("A");
  main_.Command(IDM_mnuAppLog);
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "notepad " + In("Logs\\applog.log"));
  main_.Command(IDM_mnuAppLogClear);
  EXPECT_FALSE(testkit::Exists(In("Logs\\applog.log")));
  // Always clear: an absent key is written "0" first, then toggled on.
  main_.Command(IDM_mnuClearLog);
  EXPECT_EQ(Ini("Shutdown", "ClearLog"), "1");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuClearLog));
  // Disable logging switches the three items off and back; the log is still written.
  main_.Command(IDM_mnuAppLogDisable);
  EXPECT_EQ(Ini("Settings", "DisableLog"), "1");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuAppLogDisable));
  for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) EXPECT_FALSE(menu.IsEnabled(id));
  EXPECT_FALSE(main_.Command(IDM_mnuAppLogClear));
  modMain::WriteLog("B");
  EXPECT_EQ(testkit::LogMessages().back(), "B");
  main_.Command(IDM_mnuAppLogDisable);
  EXPECT_EQ(Ini("Settings", "DisableLog"), "0");
  for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) EXPECT_TRUE(menu.IsEnabled(id));
}

TEST_F(MainWindow, ResizingBelowTheMinimumIsCorrected) {
  const int minimum = main_.TwipsToPixelsY(4000);
  SetWindowPos(main_.Handle(), nullptr, 0, 0, 2 * minimum, minimum / 2, SWP_NOZORDER | SWP_NOMOVE);
  RECT r = main_.WindowRect();
  EXPECT_EQ(r.bottom - r.top, minimum);
  EXPECT_EQ(r.right - r.left, 2 * minimum);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Minimum height detected");
  EXPECT_EQ(seam_.messages[0].icon(), static_cast<UINT>(MB_ICONINFORMATION));

  SetWindowPos(main_.Handle(), nullptr, 0, 0, minimum / 3, 2 * minimum, SWP_NOZORDER | SWP_NOMOVE);
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_EQ(seam_.messages[1].text, "Minimum width detected");
  r = main_.WindowRect();
  EXPECT_EQ(r.right - r.left, main_.TwipsToPixelsX(4000));
  // The lists fill the client area down to the status bar.
  RECT client = main_.ClientRect(), list = main_.lvwAvailable.RectInParent();
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(list.bottom, client.bottom - main_.ctlSBar.Height());
}

TEST_F(MainWindow, AutosizeKeepsTheVisibilityOfTheList) {
  main_.lvwInstalled.AddRow("A rather long extension name that needs room");
  ListView_SetColumnWidth(main_.lvwInstalled.Handle(), 0, 10);
  main_.lvwAvailable.Hide();
  main_.lvAutosizeControl(main_.lvwInstalled);
  main_.lvAutosizeControl(main_.lvwAvailable);
  EXPECT_GT(main_.lvwInstalled.ColumnWidth(0), 100);
  EXPECT_FALSE(main_.lvwAvailable.IsVisible());
}

}  // namespace
