// The start-up sequence of the main window, in-process and hidden, with the scripted
// seam answering the questions.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

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
};

TEST_F(Startup, CatalogIsReinstalledOnlyWhenTheVersionDiffers) {
  testkit::WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  modSettings::WriteINI("", "Settings", "Ver", "1.2.3");
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  main_.reset();

  // A catalog that cannot be replaced leaves the old version, to be tried again; its
  // missing section is said once, not at every reload of the list.
  modSettings::WriteINI("", "Settings", "Ver", "1.2.2");
  testkit::WriteAll(In("NIMO_Ext.ini"), "[Other]\r\n");
  HANDLE held = CreateFileA(In("NIMO_Ext.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Start());
  CloseHandle(held);
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.2");
  main_->Command(IDM_mnuRefresh);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(In("NIMO_Ext.ini")), std::string::npos) << seam_.messages[0].text;
  main_.reset();
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
}

// The marks follow the settings, each with its default; the wizard starts unless
// UseClassic is "1", and then no classic list is marked as the start list.
TEST_F(Startup, MenuMarksFollowTheSettingsAndTheirDefaults) {
  auto marked = [&] {
    std::set<UINT> on;
    for (UINT id : {IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties, IDM_mnuPromptInstall,
                    IDM_mnuStartupWizard, IDM_mnuStartupAvailable, IDM_mnuStartupInstalled, IDM_mnuClearLog,
                    IDM_mnuAppLogDisable})
      if (main_->menu.IsChecked(id)) on.insert(id);
    return on;
  };
  ASSERT_TRUE(Start());
  EXPECT_EQ(marked(), (std::set<UINT>{IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties,
                                      IDM_mnuPromptInstall, IDM_mnuStartupWizard}));
  EXPECT_TRUE(main_->menu.IsEnabled(IDM_mnuAppLog));
  EXPECT_EQ(modMain::CurrentView, 1);
  main_.reset();

  for (const char* key : {"RMEK_Backup", "ContextPrompt", "PropertiesPrompt", "InstallPrompt"})
    modSettings::WriteINI("", "Settings", key, "0");
  for (const auto& [section, key, value] : {std::tuple{"Settings", "UseClassic", "2"}, {"Settings", "DisableLog", "1"},
                                            {"Shutdown", "ClearLog", "1"}, {"Startup", "Mode", "0"}})
    modSettings::WriteINI("", section, key, value);
  modMain::CurrentView = 0;
  ASSERT_TRUE(Start());
  EXPECT_EQ(marked(), (std::set<UINT>{IDM_mnuStartupWizard, IDM_mnuClearLog, IDM_mnuAppLogDisable}));
  EXPECT_FALSE(main_->menu.IsEnabled(IDM_mnuAppLog));
  EXPECT_EQ(modMain::CurrentView, 0);  // the installed list as created
  EXPECT_TRUE(main_->lvwInstalled.IsVisible());
  EXPECT_EQ(Ini("Settings", "UseClassic"), "2");
  EXPECT_NE(main_->Wizard(), nullptr);
}

// Start-up ends on Cancel at the pack question, and on a mutex the platform refuses
// (another kind of object holds its name), with the reason, not as a second instance.
TEST_F(Startup, CancelAtThePackQuestionOrAMutexThatCannotBeMadeEndsIt) {
  testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  seam_.answers = {IDCANCEL};
  EXPECT_FALSE(Start());
  EXPECT_TRUE(main_->Unloaded());
  EXPECT_EQ(LogMessages().back(), "User wishes to cancel, closing Zandor Extension Pack");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), "<none>");
  main_.reset();

  seam_.messages.clear();
  HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, frmMain::InstanceMutexName().c_str());
  ASSERT_NE(squatter, nullptr);
  EXPECT_FALSE(Start());
  CloseHandle(squatter);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(modMain::SystemErrorText(ERROR_INVALID_HANDLE)), std::string::npos)
      << seam_.messages[0].text;
  EXPECT_FALSE(testkit::Logged("Woops, someone tried to load an additional instance of me"));
}

TEST_F(Startup, ABackupFolderThatCannotBeCreatedIsReportedAndStartupGoesOn) {
  // Without a MenuExt key the list's backup is not started, and leaves no empty file.
  testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(testkit::ListFolder(In("Reg_Backup")).empty());
  EXPECT_TRUE(seam_.commands.empty() && seam_.messages.empty());
  main_.reset();

  modSettings::WriteINI("", "Paths", "Registry_Backup", In("missing\\deeper"));
  testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);  // a key to back up
  ASSERT_TRUE(Start());
  // Once at start-up, and once more when the list's backup finds no folder to export into.
  ASSERT_EQ(seam_.messages.size(), 2u);
  for (const auto& message : seam_.messages)
    EXPECT_NE(message.text.find(In("missing\\deeper") + "\\"), std::string::npos) << message.text;
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("missing\\deeper"));  // stored value unchanged
  EXPECT_TRUE(main_->Wizard() && main_->Wizard()->IsVisible());
}

}  // namespace
