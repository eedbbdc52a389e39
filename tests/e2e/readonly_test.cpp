// The real NIMO.exe on the read-only folders readonly.sh mounts and names.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "base/resource.h"
#include "e2e/Driver.h"
#include "settings/DataFolder.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"

namespace {

using e2e::Driver;
using e2e::WaitUntil;

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n < sizeof value ? value : "";
}

using ReadOnlyFolders = testkit::ProgramStartTest;

TEST_F(ReadOnlyFolders, TheDataGoToLocalAppDataAndEveryOperationWorks) {
  const std::string program = Environment("NIMO_READONLY_PROGRAM"), pack = Environment("NIMO_READONLY_PACK");
  if (program.empty() || pack.empty()) GTEST_SKIP() << "run by readonly.sh, which mounts the folders";
  ASSERT_FALSE(modMain::CanCreateFileIn(program)) << "not mounted read-only";
  ASSERT_FALSE(modMain::CanCreateFileIn(pack)) << "not mounted read-only";
  const std::string data = Environment("LOCALAPPDATA") + "\\Zandor Extension Pack";
  const auto in = [&](const std::string& name) { return data + "\\" + name; };
  const auto ini = [](const char* section, const char* key) { return modSettings::ReadINI("", section, key, "-"); };
  testkit::RemoveTree(data);
  modMain::SetDataPathOverride(data);
  testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);  // nothing to back up at start
  testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack + "\\");
  auto nimo = std::make_unique<Driver>(program + "\\NIMO.exe");
  ASSERT_TRUE(nimo->Start());
  HWND wizard = nimo->WaitFor(Driver::Captioned(e2e::kWizardTitle));
  ASSERT_TRUE(wizard) << "no wizard";
  ASSERT_TRUE(WaitUntil([&] {
    return Driver::Text(GetDlgItem(wizard, IDC_WIZ_LBLAVAILABLECOUNT)) == "47 Extensions available";
  }));
  EXPECT_EQ(nimo->Windows(), std::vector<HWND>{wizard});  // no message
  EXPECT_EQ(testkit::LogMessages().at(2).rfind("Data folder: " + data + " (the program's folder " + program + " cannot", 0), 0u);
  for (const char* made : {"NIMO_Ext.ini", "en.lng", "fr.lng", "se.lng", "Ext_Backup", "Reg_Files\\Lookup\\luIMDb.reg"})
    EXPECT_TRUE(testkit::Exists(in(made))) << made;
  EXPECT_EQ(ini("Settings", "Lang") + "|" + ini("Paths", "Registry_Backup") + "|" + ini("Paths", "Extension_Backup"),
            in("en.lng") + "|" + in("Reg_Backup\\") + "|" + in("Ext_Backup\\"));

  nimo.reset();
  for (const char* key : {"UseClassic", "RMEK_Backup", "InstallPrompt"})
    modSettings::WriteINI("", "Settings", key, key[0] == 'U' ? "1" : "0");
  nimo = std::make_unique<Driver>(program + "\\NIMO.exe");
  ASSERT_TRUE(nimo->Start());
  HWND main = nimo->MainWindow(), available = GetDlgItem(main, IDC_MAIN_LVWAVAILABLE);
  // An operation ends with the catalog read again; a command given before it is dropped.
  const auto rows = [&](size_t n) { return WaitUntil([&] { return nimo->Rows(available).size() == n; }, e2e::kEditorWaitMs); };
  ASSERT_TRUE(main);
  ASSERT_TRUE(rows(47));
  for (size_t left = 47; left > 0; left = nimo->Rows(available).size()) {  // one file may hold several
    ASSERT_TRUE(nimo->Select(available, nimo->Rows(available)[0]));
    Driver::Menu(main, IDM_mnuEnable);
    ASSERT_TRUE(WaitUntil([&] { return nimo->Rows(available).size() < left; }, e2e::kEditorWaitMs)) << left << " left";
  }
  const std::string wikipedia = std::string(modReg::kMenuExtPath) + "\\&Wikipedia lookup";
  ASSERT_EQ(testkit::MenuExtKeys().size(), 47u);
  EXPECT_EQ(modReg::GetValue(HKEY_CURRENT_USER, wikipedia, ""), modReg::RegValue(pack + "\\Lookup\\luWikipedia.htm"));

  Driver::Menu(main, IDM_mnuInstalled);
  ASSERT_TRUE(WaitUntil([&] { return nimo->Select(GetDlgItem(main, IDC_MAIN_LVWINSTALLED), "Wikipedia lookup"); }));
  Driver::Menu(main, IDM_mnuDisable);
  ASSERT_TRUE(rows(1)) << "not disabled";
  ASSERT_EQ(testkit::MenuExtKeys().size(), 46u);
  EXPECT_EQ(testkit::Files(in("Reg_Backup")).size(), 1u);
  Driver::Menu(main, IDM_mnuRestore);
  HWND restore = nimo->WaitFor(Driver::Captioned("Restore")), list = GetDlgItem(restore, IDC_RESTORE_LIST);
  ASSERT_TRUE(restore) << "no Restore window";
  ASSERT_TRUE(WaitUntil([&] { return nimo->Rows(list).size() == 1; }));
  ASSERT_TRUE(nimo->Select(list, nimo->Rows(list)[0]));
  Driver::Menu(restore, IDOK);  // its Restore button
  ASSERT_NE(nimo->Answer(IDYES).text.find("Restore it?"), std::string::npos);
  EXPECT_EQ(nimo->Answer(IDOK).text.rfind("Restored from " + in("Reg_Backup\\"), 0), 0u);
  EXPECT_EQ(testkit::MenuExtKeys().size(), 47u) << "not restored";
  EXPECT_EQ(nimo->Windows().size(), 2u);  // the main window and Restore: no other message
  nimo.reset();
  testkit::RemoveTree(data);
}

}  // namespace
