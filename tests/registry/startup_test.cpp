// The start-up sequence and closing of the main window, in-process and hidden, with the
// scripted seam answering the questions.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/ProgramStart.h"
#include "support/TestKit.h"
#include "wizard/frmNIMOWizard.h"

namespace {

using testkit::LogMessages;
using testkit::ReadAll;

class Startup : public testkit::ProgramStartTest {
 protected:
  std::string Ini(const std::string& section, const std::string& key) {
    return modSettings::ReadINI(modMain::kTitle, section, key, "<none>");
  }
  std::vector<std::string> Keys(const std::string& section) {
    std::vector<std::string> keys;
    for (auto& row : modSettings::ReadSection(modMain::kTitle, section)) keys.push_back(row.first);
    return keys;
  }
  bool Logged(const std::string& line) {
    auto lines = LogMessages();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

TEST_F(Startup, FirstStartWritesExactlyTheStartupSettings) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Keys("Settings"), (std::vector<std::string>{"Ver", "Lang", "UseClassic"}));
  EXPECT_EQ(Keys("Paths"), (std::vector<std::string>{"Registry_Backup", "Extension_Backup", "NIMO_Location",
                                                     "NIMO_Reg_Files"}));
  EXPECT_TRUE(Keys("Startup").empty());
  EXPECT_TRUE(Keys("Shutdown").empty());
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
  EXPECT_EQ(Ini("Settings", "Lang"), In("en.lng"));
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("Reg_Backup") + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), pack_.path() + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Reg_Files"), pack_.path() + "\\Reg_Files");
  EXPECT_TRUE(modMain::FolderExists(In("Reg_Backup")));
  EXPECT_TRUE(modMain::FolderExists(In("Ext_Backup")));
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  EXPECT_EQ(ReadAll(In("en.lng")), modMain::ResourceBytes(IDR_ENGLISH, "LANG"));

  auto log = LogMessages();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "Initializing Zandor Extension Pack 1.2.3");
  EXPECT_TRUE(Logged(In("Reg_Backup") + "\\ does not exist, Zandor Extension Pack will now create it"));
  EXPECT_TRUE(Logged("NIMO location verified"));
  EXPECT_TRUE(Logged("Extension registry files location verified"));
  EXPECT_EQ(seam_.messages.size(), 0u) << seam_.messages[0].text;
  EXPECT_EQ(main_->Text(), "Zandor Extension Pack [ 47 extensions available ]");  // the start list's count
  // No UseClassic yet: the wizard is the start view, the main window stays hidden.
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_TRUE(main_->Wizard()->IsVisible());
  EXPECT_FALSE(main_->IsVisible());
}

TEST_F(Startup, UseClassicOneStartsInTheMainWindow) {
  modSettings::WriteINI("", "Settings", "UseClassic", "1");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(main_->IsVisible());
  EXPECT_EQ(main_->Wizard(), nullptr);
}

TEST_F(Startup, CatalogIsReinstalledOnlyWhenTheVersionDiffers) {
  testkit::WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  modSettings::WriteINI("", "Settings", "Ver", "1.2.3");
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  main_.reset();

  modSettings::WriteINI("", "Settings", "Ver", "1.2.2");
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
}

TEST_F(Startup, MenuMarksFollowTheSettingsAndTheirDefaults) {
  ASSERT_TRUE(Start());
  auto& menu = main_->menu;
  for (UINT id : {IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties, IDM_mnuPromptInstall,
                  IDM_mnuStartupWizard, IDM_mnuStartupAvailable})
    EXPECT_TRUE(menu.IsChecked(id)) << menu.Find(id)->name;
  for (UINT id : {IDM_mnuClearLog, IDM_mnuStartupInstalled, IDM_mnuAppLogDisable})
    EXPECT_FALSE(menu.IsChecked(id)) << menu.Find(id)->name;
  EXPECT_EQ(modMain::CurrentView, 1);
  main_.reset();

  for (const char* key : {"RMEK_Backup", "ContextPrompt", "PropertiesPrompt", "InstallPrompt"})
    modSettings::WriteINI("", "Settings", key, "0");
  modSettings::WriteINI("", "Settings", "UseClassic", "2");
  modSettings::WriteINI("", "Settings", "DisableLog", "1");
  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  modSettings::WriteINI("", "Startup", "Mode", "0");
  modMain::CurrentView = 0;
  ASSERT_TRUE(Start());
  auto& restarted = main_->menu;
  for (UINT id : {IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties, IDM_mnuPromptInstall,
                  IDM_mnuStartupWizard, IDM_mnuStartupAvailable})
    EXPECT_FALSE(restarted.IsChecked(id)) << restarted.Find(id)->name;
  EXPECT_TRUE(main_->menu.IsChecked(IDM_mnuStartupInstalled));
  EXPECT_TRUE(main_->menu.IsChecked(IDM_mnuClearLog));
  EXPECT_TRUE(main_->menu.IsChecked(IDM_mnuAppLogDisable));
  EXPECT_FALSE(main_->menu.IsEnabled(IDM_mnuAppLog));
  EXPECT_EQ(modMain::CurrentView, 0);  // the installed list as created
  EXPECT_TRUE(main_->lvwInstalled.IsVisible());
  EXPECT_EQ(Ini("Settings", "UseClassic"), "2");
  EXPECT_NE(main_->Wizard(), nullptr);  // anything but "1" starts the wizard
}

TEST_F(Startup, ASecondInstanceIsRefusedAndCloses) {
  ASSERT_TRUE(Start());
  frmMain second;
  EXPECT_FALSE(second.Start(""));
  EXPECT_TRUE(second.Unloaded());
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Zandor Extension Pack is already running.");
  EXPECT_EQ(seam_.messages[0].icon(), static_cast<UINT>(MB_ICONINFORMATION));
  auto log = LogMessages();
  EXPECT_EQ(log.back(), "Woops, someone tried to load an additional instance of me");
  EXPECT_EQ(std::count(log.begin(), log.end(), "Initializing Zandor Extension Pack 1.2.3"), 2);
}

TEST_F(Startup, ClosingDeletesTheLogOnlyWhenClearLogIsOn) {
  ASSERT_TRUE(Start());
  main_->Unload();
  EXPECT_TRUE(testkit::Exists(In("Logs\\applog.log")));
  main_.reset();

  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  ASSERT_TRUE(Start());
  main_->Command(IDM_mnuExit);
  EXPECT_TRUE(main_->Unloaded());
  EXPECT_FALSE(testkit::Exists(In("Logs\\applog.log")));
}

TEST_F(Startup, CancellingThePackQuestionEndsTheProgram) {
  testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  seam_.answers = {IDCANCEL};
  EXPECT_FALSE(Start());
  EXPECT_TRUE(main_->Unloaded());
  EXPECT_EQ(LogMessages().back(), "User wishes to cancel, closing Zandor Extension Pack");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), "<none>");
}

TEST_F(Startup, ABackupFolderThatCannotBeCreatedIsReportedAndStartupGoesOn) {
  modSettings::WriteINI("", "Paths", "Registry_Backup", In("missing\\deeper"));
  ASSERT_TRUE(Start());
  // Once at start-up, and once more when the list's backup finds no folder to export into.
  ASSERT_EQ(seam_.messages.size(), 2u);
  for (const auto& message : seam_.messages)
    EXPECT_NE(message.text.find(In("missing\\deeper") + "\\"), std::string::npos) << message.text;
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("missing\\deeper"));  // stored value unchanged
  EXPECT_TRUE(Logged("Checking for existence of " + In("missing\\deeper") + "\\"));
  EXPECT_TRUE(main_->Wizard() && main_->Wizard()->IsVisible());
}

TEST_F(Startup, MissingRegistryFilesFolderIsReportedAndNotStored) {
  testkit::RemoveTree(pack_ / "Reg_Files");
  ASSERT_TRUE(Start());
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text,
            "Zandor Extension Pack could not verify the location of the extensions registry files");
  EXPECT_EQ(Ini("Paths", "NIMO_Reg_Files"), "<none>");
  EXPECT_TRUE(Logged("Unable to verify registry files location"));
}

}  // namespace
