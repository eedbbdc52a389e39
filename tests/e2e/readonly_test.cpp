// The real NIMO.exe where the user cannot write: run by readonly.sh, which lays out the
// program's folder and the pack's folder and mounts each read-only (Wine ignores file
// permissions for root), naming them in NIMO_READONLY_PROGRAM and NIMO_READONLY_PACK.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <tuple>

#include "app/App.h"
#include "app/resource.h"
#include "e2e/Driver.h"
#include "log/modLog.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"
#include "support/TestKit.h"

namespace {

using e2e::Driver;
using e2e::WaitUntil;
using testkit::Exists;

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? value : "";
}

// The extensions installed for the browser: each MenuExt key with the file it names.
std::map<std::string, std::string> MenuExt() {
  std::map<std::string, std::string> keys;
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, modReg::kMenuExtPath, 0, KEY_READ, &key);
  char name[512], file[1024];
  for (DWORD i = 0, size = sizeof name, bytes = sizeof file;
       key && RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, size = sizeof name, bytes = sizeof file)
    keys[name] = RegGetValueA(key, name, "", RRF_RT_REG_SZ, nullptr, file, &bytes) == ERROR_SUCCESS ? file : "?";
  RegCloseKey(key);
  return keys;
}

class ReadOnly : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    program_ = Environment("NIMO_READONLY_PROGRAM");
    pack_ro_ = Environment("NIMO_READONLY_PACK");
    if (program_.empty() || pack_ro_.empty()) GTEST_SKIP() << "run by readonly.sh, which mounts the folders";
    testkit::ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack_ro_ + "\\");
    ASSERT_FALSE(modMain::CanCreateFileIn(program_) || modMain::CanCreateFileIn(pack_ro_)) << "not mounted read-only";
  }
  void TearDown() override {
    if (HasFailure() && nimo_) std::cerr << "The log:\n" << testkit::ReadAll(modMain::LogFile());
    nimo_.reset();
    testkit::ProgramStartTest::TearDown();
  }
  std::string program_, pack_ro_;
  std::unique_ptr<Driver> nimo_;
};

// The program and the pack under folders the user cannot write: the first start puts
// the data into the user's local application data with no message; a classic start then
// enables, disables with its backup and restores that backup, all with the data there.
TEST_F(ReadOnly, ProgramFolderTheDataGoToLocalAppData) {
  ASSERT_FALSE(Environment("LOCALAPPDATA").empty());
  const std::string data = Environment("LOCALAPPDATA") + "\\Zandor Extension Pack";
  testkit::RemoveTree(data);
  modMain::SetDataPathOverride(data);
  const auto in = [&](const std::string& name) { return data + "\\" + name; };
  const auto ini = [](const char* section, const char* key) {
    return modSettings::ReadINI(modMain::kTitle, section, key, "<none>");
  };
  nimo_ = std::make_unique<Driver>(program_ + "\\NIMO.exe");
  ASSERT_TRUE(nimo_->Start());
  HWND wizard = nimo_->WaitFor(Driver::Captioned(e2e::kWizardTitle));
  ASSERT_TRUE(wizard) << "no wizard";
  ASSERT_TRUE(WaitUntil([&] { return Driver::Text(GetDlgItem(wizard, IDC_WIZ_LBLAVAILABLECOUNT)) == "47 Extensions available"; }));
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{wizard});  // no message
  const std::vector<std::string> log = testkit::LogMessages();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[1].rfind("Data folder: " + data + " (the program's folder " + program_ + " cannot be written (", 0), 0u)
      << log[1];
  for (const char* made : {"NIMO.ini", "NIMO_Ext.ini", "en.lng", "fr.lng", "se.lng", "Ext_Backup", "Reg_Backup",
                           "Reg_Files\\Lookup\\luWikipedia.reg"})
    EXPECT_TRUE(Exists(in(made))) << made;
  EXPECT_EQ(ini("Settings", "Lang"), in("en.lng"));
  EXPECT_EQ(ini("Paths", "Registry_Backup") + "|" + ini("Paths", "Extension_Backup"),
            in("Reg_Backup") + "\\|" + in("Ext_Backup") + "\\");
  // Start-up's own MenuExt backup, written there; then out of the way of Restore's list.
  ASSERT_TRUE(WaitUntil([&] { return testkit::ListFolder(in("Reg_Backup")).size() == 1; }));
  const std::string startup = in("Reg_Backup\\" + testkit::ListFolder(in("Reg_Backup"))[0]);
  ASSERT_TRUE(WaitUntil([&] { return testkit::HoldsKey(startup, modReg::kMenuExtFull); }));
  nimo_.reset();
  ASSERT_TRUE(DeleteFileA(startup.c_str()));

  for (const char* key : {"UseClassic", "RMEK_Backup"}) modSettings::WriteINI("", "Settings", key, key[0] == 'U' ? "1" : "0");
  nimo_ = std::make_unique<Driver>(program_ + "\\NIMO.exe");
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow();
  ASSERT_TRUE(main);
  HWND available = GetDlgItem(main, IDC_MAIN_LVWAVAILABLE), installed = GetDlgItem(main, IDC_MAIN_LVWINSTALLED);
  const std::string page = pack_ro_ + "\\Lookup\\luWikipedia.htm";
  const std::map<std::string, std::string> enabled{{"&Wikipedia lookup", page}};
  ASSERT_TRUE(nimo_->Select(available, "Wikipedia lookup"));
  Driver::Menu(main, IDM_mnuEnable);
  ASSERT_TRUE(nimo_->Answer(IDYES) && nimo_->Answer(IDNO)) << "no questions before the enable";
  // An operation ends with the catalog read again; a command given before is dropped.
  const auto catalogRead = [&](size_t rows) { return WaitUntil([&] { return nimo_->Rows(available).size() == rows; }); };
  ASSERT_TRUE(catalogRead(46) && MenuExt() == enabled);
  Driver::Menu(main, IDM_mnuInstalled);
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Select(installed, "&Wikipedia lookup"); }));
  Driver::Menu(main, IDM_mnuDisable);
  ASSERT_TRUE(catalogRead(47) && MenuExt().empty()) << "not disabled";
  ASSERT_EQ(testkit::ListFolder(in("Reg_Backup")).size(), 1u);

  Driver::Menu(main, IDM_mnuRestore);
  HWND restore = nimo_->WaitFor(Driver::Captioned("Restore"));
  ASSERT_TRUE(restore) << "no Restore window";
  HWND list = GetDlgItem(restore, IDC_RESTORE_LIST);
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(list).size() == 1; }));
  ASSERT_TRUE(nimo_->Select(list, nimo_->Rows(list)[0]));
  Driver::Menu(restore, IDOK);  // its Restore button
  ASSERT_NE(nimo_->Answer(IDYES).text.find("Restore it?"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return MenuExt() == enabled; })) << "not restored";
  EXPECT_EQ(nimo_->Windows().size(), 2u);  // the main window and Restore: no message
  nimo_.reset();
  testkit::RemoveTree(data);
}

// A pack folder that cannot be written: its registry files are prepared into the data
// folder, and every extension is enabled from there without a message.
TEST_F(ReadOnly, PackFolderEveryExtensionCanBeEnabled) {
  for (const auto& [section, key, value] : {std::tuple{"Settings", "UseClassic", "1"}, {"Settings", "RMEK_Backup", "0"},
                                            {"Settings", "InstallPrompt", "0"}})
    modSettings::WriteINI("", section, key, value);
  std::error_code error;
  char self[MAX_PATH * 2] = {};  // the program is built beside the tests
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::filesystem::copy_file(std::filesystem::path(self).replace_filename("NIMO.exe"), In("NIMO.exe"), error);
  ASSERT_FALSE(error) << error.message();
  nimo_ = std::make_unique<Driver>(In("NIMO.exe"));
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow();
  ASSERT_TRUE(main);
  HWND available = GetDlgItem(main, IDC_MAIN_LVWAVAILABLE);
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(available).size() == 47; }));
  for (size_t left = 47; left > 0;) {  // one registry file may hold several of them
    ASSERT_TRUE(nimo_->Select(available, nimo_->Rows(available)[0]));
    Driver::Menu(main, IDM_mnuEnable);
    ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(available).size() < left; })) << left << " left";
    left = nimo_->Rows(available).size();
  }
  const std::map<std::string, std::string> keys = MenuExt();
  EXPECT_EQ(keys.size(), 47u);
  for (const auto& [name, file] : keys) EXPECT_TRUE(Exists(file) && file.rfind(pack_ro_ + "\\", 0) == 0) << name << ": " << file;
  EXPECT_EQ(testkit::ListFolder(In("Reg_Files")).size(), 3u);  // the pack's three categories
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{main});  // no message
}

}  // namespace
