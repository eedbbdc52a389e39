// Enabling, disabling, deleting, exporting and importing from the main window, driven
// in-process with the real registry editor and a small pack of registry files.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/App.h"
#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using testkit::Exists;
using testkit::Files;
using testkit::HoldsKey;
using testkit::ReadAll;
using testkit::Row;
using testkit::WriteAll;
using Lines = std::vector<std::string>;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;
const std::string kFull = std::string(modReg::kMenuExtFull) + "\\";

std::string Missing(const std::string& lead, const std::string& path) {
  return lead + "\r\n\r\nError code: 53\r\nDescription: File does not exist\r\nPath: " + path;
}
// The scripted seam, with a hook that runs as each program is started.
struct WatchedSeam : testkit::ScriptedSeam {
  std::function<void()> during;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (during) during();
    return ScriptedSeam::Launch(command, show, waitMs);
  }
};

// A pack of two extensions, &Translate and Define, none installed; the window's lists loaded.
class Operations : public testkit::EmptyMenuExtTest {
 protected:
  void SetUp() override {
    testkit::EmptyMenuExtTest::SetUp();
    if (HasFatalFailure()) return;
    seam_.passThrough = {"regedit"};
    for (const char* folder : {"Reg_Files", "Lookup"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
    WriteAll(Ext("translate"), "translate()");
    WriteAll(Ext("define"), "define()");
    WriteRegFile("translate", "&Translate", "REGEDIT4");
    WriteRegFile("define", "Define", "REGEDIT4");
    WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nL=&Translate;Lookup\\translate.htm;T;Reg_Files\\translate.reg\r\n"
                                 "L=Define;Lookup\\define.htm;D;Reg_Files\\define.reg\r\n");
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
    modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
    ASSERT_TRUE(main_.Create());
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }
  std::string Ext(const std::string& name) const { return pack_ / ("Lookup\\" + name + ".htm"); }
  std::string Reg(const std::string& name) const { return pack_ / ("Reg_Files\\" + name + ".reg"); }
  void WriteRegFile(const std::string& file, const std::string& key, const std::string& header) {
    WriteAll(Reg(file), header + "\r\n\r\n[" + kFull + key + "]\r\n@=\"" + text::Replace(Ext(file), "\\", "\\\\") + "\"\r\n");
  }
  // Installs keys pointing at files, then shows the installed view.
  void Install(const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& [key, file] : keys) testkit::RegSetString(HKCU, kMenuExt + "\\" + key, "", file);
    main_.Command(IDM_mnuInstalled);
    main_.LoadAvailableExtensions();
  }
  bool Installed(const std::string& key) { return testkit::RegKeyExists(HKCU, kMenuExt + "\\" + key); }
  bool Run(UINT id, win::CListView& list, const std::string& row, std::deque<int> answers = {}) {
    list.Select(Row(list, row));
    seam_.answers = std::move(answers);
    const bool selected = list.Selected() >= 0;
    return main_.Command(id) && selected;
  }

  WatchedSeam seam_;
  testkit::TempFolder pack_;
  frmMain main_;
};

TEST_F(Operations, EnableAnswersPromptsOffAndMissingFiles) {
  WriteRegFile("translate", "&Translate", "Windows Registry Editor Version 5.00");
  main_.Command(IDM_mnuAvailable);
  const std::string file = ReadAll(Reg("translate"));
  Run(IDM_mnuEnable, main_.lvwAvailable, "&Translate", {IDNO});  // check the file first
  EXPECT_EQ(seam_.commands, Lines{"notepad " + Reg("translate")});
  EXPECT_EQ(ReadAll(Reg("translate")), file);
  Run(IDM_mnuEnable, main_.lvwAvailable, "&Translate", {IDYES, IDNO});  // checked: the header is fixed; no backup
  EXPECT_EQ(ReadAll(Reg("translate")).substr(0, 10), "REGEDIT4\r\n");
  EXPECT_EQ(modReg::GetValue(HKCU, kMenuExt + "\\&Translate", ""), modReg::RegValue(Ext("translate")));
  EXPECT_GE(Row(main_.lvwInstalled, "&Translate"), 0);
  EXPECT_LT(Row(main_.lvwAvailable, "&Translate"), 0);
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  EXPECT_EQ(seam_.messages.size(), 3u);

  // Prompts off, from a double-click: no question, the header stays.
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  WriteRegFile("define", "Define", "Windows Registry Editor Version 5.00");
  const std::string define = ReadAll(Reg("define"));
  main_.lvwAvailable.Select(Row(main_.lvwAvailable, "Define"));
  main_.lvwAvailable_DblClick();
  EXPECT_TRUE(Installed("Define"));
  EXPECT_EQ(ReadAll(Reg("define")), define);
  EXPECT_EQ(seam_.messages.size(), 3u);

  // A registry file gone since the list was read; then no row selected.
  main_.lvwAvailable.AddRow("Vanished");
  main_.lvwAvailable.SetTag(Row(main_.lvwAvailable, "Vanished"), pack_ / "vanished.reg");
  Run(IDM_mnuEnable, main_.lvwAvailable, "Vanished");
  EXPECT_EQ(seam_.Texts().back(), Missing("Unable to import extension.", pack_ / "vanished.reg"));
  Run(IDM_mnuEnable, main_.lvwAvailable, "no such row");
  EXPECT_EQ(seam_.messages.size(), 4u);
  EXPECT_EQ(seam_.commands.size(), 3u);  // notepad and two imports
}

// The MenuExt backup before an enable never shares its file with a backup of the same
// second whose editor is still writing (the list's own, which is not awaited).
TEST_F(Operations, EnableBacksUpBesideABackupOfTheSameSecond) {
  modMain::SetClockOverride(SYSTEMTIME{2026, 12, 0, 5, 13, 5, 9, 0});
  const std::string folder = modReg::RegistryBackupFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_EQ(modReg::TakeClockName(folder), "05-12-26_130509");  // taken, still empty
  main_.Command(IDM_mnuAvailable);
  Run(IDM_mnuEnable, main_.lvwAvailable, "&Translate", {IDYES, IDYES});
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_EQ(ReadAll(folder + "05-12-26_130509.reg"), "");
  EXPECT_TRUE(HoldsKey(folder + "05-12-26_130509 (2).reg", modReg::kMenuExtFull));
}

TEST_F(Operations, DisableKeepsTheKeyWhenTheBackupFails) {
  Install({{"&Translate", Ext("translate")}});
  modSettings::WriteINI("", "Paths", "Registry_Backup", In("no such folder\\Reg_Backup\\"));
  EXPECT_FALSE(modMain::DisableExtension(main_.Handle(), kFull + "&Translate", "&Translate"));
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_NE(seam_.Texts().back().find("The key has not been deleted."), std::string::npos);
}

TEST_F(Operations, RowsThatAreNotAnExtensionKeyAreRefused) {
  Install({{"&Translate", Ext("translate")}});
  testkit::RegCreate(HKCU, kMenuExt + "\\&Translate\\Sub");
  for (const std::string& tag : Lines{"", kFull, modReg::kMenuExtFull, kFull + "&Translate\\Sub", "HKEY_CURRENT_USER\\Software"}) {
    main_.lvwInstalled.SetTag(Row(main_.lvwInstalled, "&Translate"), tag);
    for (UINT id : {IDM_mnuDisable, IDM_mnuDelete, IDM_mnuExSelected}) Run(id, main_.lvwInstalled, "&Translate", {IDYES});
  }
  EXPECT_TRUE(seam_.commands.empty() && seam_.fileDialogs.empty());
  EXPECT_TRUE(Installed("&Translate\\Sub") && Exists(Ext("translate")));
  ASSERT_EQ(seam_.messages.size(), 15u);
  for (const std::string& text : seam_.Texts()) {
    EXPECT_EQ(text.rfind("[ &Translate ] is not an extension key under MenuExt", 0), 0u) << text;
    EXPECT_NE(text.find("Nothing was exported or deleted."), std::string::npos);
  }
}

TEST_F(Operations, DeleteKeepsAFileItCannotCopyOrDelete) {
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}, {"Gone", "define.htm"}});
  Run(IDM_mnuDelete, main_.lvwInstalled, "&Translate", {IDNO});  // not sure: nothing happens
  EXPECT_TRUE(Installed("&Translate") && Exists(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty() && Files(In("Ext_Backup")).empty());

  SetFileAttributesA(Ext("translate").c_str(), FILE_ATTRIBUTE_READONLY);  // copied, not deleted
  Run(IDM_mnuDelete, main_.lvwInstalled, "&Translate", {IDYES});
  EXPECT_TRUE(Exists(Ext("translate")) && Exists(In("Ext_Backup\\translate.htm")));
  EXPECT_NE(seam_.Texts().back().find("could not be deleted"), std::string::npos);

  HANDLE lock = CreateFileA(Ext("define").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Run(IDM_mnuDelete, main_.lvwInstalled, "Define", {IDYES});  // no copy, so no deletion
  CloseHandle(lock);
  EXPECT_EQ(ReadAll(Ext("define")), "define()");
  EXPECT_FALSE(Exists(In("Ext_Backup\\define.htm")));
  EXPECT_NE(seam_.Texts().back().find("could not be copied"), std::string::npos);

  char folder[MAX_PATH];  // a relative path names no file of the extension's, whatever folder it finds
  GetCurrentDirectoryA(MAX_PATH, folder);
  SetCurrentDirectoryA((pack_ / "Lookup").c_str());
  Run(IDM_mnuDelete, main_.lvwInstalled, "Gone", {IDYES});
  SetCurrentDirectoryA(folder);
  EXPECT_TRUE(Exists(Ext("define")));
  EXPECT_FALSE(Installed("&Translate") || Installed("Define") || Installed("Gone"));
  EXPECT_EQ(seam_.Texts().back(), "Could not delete the file associated with this extension.");
}

TEST_F(Operations, ExportAllWritesOneFilePerExtensionKey) {
  Install({{"&Translate", Ext("translate")}});
  main_.lvwInstalled.AddRow("Not Found");  // a row without a key
  testkit::TempFolder out;
  seam_.folders = {"", out / "gone", out.path()};  // cancelled, gone, there
  Lines progress;
  seam_.during = [&] { progress.push_back(main_.ctlSBar.Text()); };
  for (int i = 0; i < 3; ++i) main_.Command(IDM_mnuExAll);
  EXPECT_EQ(seam_.folderTitles, Lines(3, "Export to where ..?"));
  EXPECT_EQ(seam_.Texts(), Lines{"The folder " + (out / "gone\\") + " does not exist.\r\n\r\nNothing was exported."});
  EXPECT_EQ(Files(out.path()), std::set<std::string>{"&Translate.reg"});
  EXPECT_EQ(progress, Lines{"Exporting 1 of 2"});
  EXPECT_EQ(main_.ctlSBar.Text(), "1 of 2 extensions exported to " + out.path() + "\\");  // the row without a key is not
}

TEST_F(Operations, ExportSelectedWritesTheKeyAndCopiesTheFileBesideIt) {
  Install({{"&Translate", Ext("translate")}});
  testkit::TempFolder out;
  seam_.files = {"", out / "saved.reg", out / "translate.htm"};
  Run(IDM_mnuExSelected, main_.lvwInstalled, "&Translate");  // cancelled
  EXPECT_TRUE(seam_.commands.empty());
  Run(IDM_mnuExportExt, main_.lvwInstalled, "&Translate");
  EXPECT_EQ(seam_.fileDialogs[1].initialDir, In("Reg_backup"));
  EXPECT_TRUE(seam_.fileDialogs[1].save);
  EXPECT_EQ(seam_.fileDialogs[1].title, "Export registry key as ...");
  EXPECT_TRUE(HoldsKey(out / "saved.reg", kFull + "&Translate"));
  EXPECT_EQ(ReadAll(out / "translate.htm"), "translate()");
  Run(IDM_mnuExSelected, main_.lvwInstalled, "&Translate");  // the copy does not overwrite the key file
  EXPECT_TRUE(HoldsKey(out / "translate.htm", kFull + "&Translate"));
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(Operations, ImportFixesHeadersOnlyWhenAsked) {
  WriteRegFile("define", "Define", "Windows Registry Editor Version 5.00");
  const std::string v5 = ReadAll(Reg("define"));
  seam_.files = {Reg("define"), Reg("define")};
  seam_.answers = {IDNO, IDYES};
  main_.Command(IDM_mnuImport);  // No to the fix
  EXPECT_EQ(ReadAll(Reg("define")), v5);
  EXPECT_FALSE(Installed("Define"));
  main_.Command(IDM_mnuImport);  // Yes
  EXPECT_EQ(ReadAll(Reg("define")).substr(0, 10), "REGEDIT4\r\n");
  EXPECT_TRUE(Installed("Define") && Row(main_.lvwInstalled, "Define") >= 0);
  EXPECT_EQ(seam_.Texts(), Lines(2, "Registry file contains binary data. Would you like me to try and fix it?"));

  // A header in capitals, which the fix does not change: one question, then a message.
  WriteRegFile("define", "Caps", "WINDOWS REGISTRY EDITOR VERSION 5.00");
  seam_.files = {Reg("define"), In("vanished.reg")};
  seam_.answers = {IDYES, IDYES};
  main_.Command(IDM_mnuImport);
  EXPECT_FALSE(Installed("Caps"));
  ASSERT_EQ(seam_.messages.size(), 4u);
  EXPECT_NE(seam_.messages[3].text.find("could not be fixed"), std::string::npos);
  main_.Command(IDM_mnuImport);
  EXPECT_EQ(seam_.Texts().back(), Missing("Unable to import extension.", In("vanished.reg")));
}

TEST_F(Operations, FileViewsAndTheEditMenu) {
  Install({{"&Translate", Ext("translate")}, {"Gone", In("gone.htm")}});
  Run(IDM_mnuModifyContent, main_.lvwInstalled, "&Translate");
  EXPECT_EQ(seam_.commands, Lines{"notepad " + Ext("translate")});
  seam_.failLaunch = true;
  Run(IDM_mnuModifyContent, main_.lvwInstalled, "&Translate");
  seam_.failLaunch = false;
  EXPECT_EQ(seam_.Texts().back().rfind("Unable to start notepad " + Ext("translate"), 0), 0u);
  Run(IDM_mnuModifyContent, main_.lvwInstalled, "Gone");
  EXPECT_EQ(seam_.Texts().back(), "I'm sorry, the file associated with this extension appears to be missing.");

  const auto enableShown = [&] {
    main_.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(main_.menu.Popup(IDM_mnuEdit)));
    return main_.menu.IsEnabled(IDM_mnuEnable) + main_.menu.IsEnabled(IDM_mnuViewRegFile);
  };
  EXPECT_EQ(enableShown(), 0);
  main_.Command(IDM_mnuAvailable);
  EXPECT_EQ(enableShown(), 2);
  Run(IDM_mnuViewRegFile, main_.lvwAvailable, "Define");
  EXPECT_EQ(seam_.commands.back(), "notepad " + Reg("define"));
  DeleteFileA(Reg("define").c_str());
  Run(IDM_mnuViewRegFile, main_.lvwAvailable, "Define");
  EXPECT_EQ(seam_.Texts().back(), Missing("Error: Registry file for this extension does not exist", Reg("define")));
  main_.lvwAvailable.Clear();
  EXPECT_EQ(enableShown(), 0);
}

TEST_F(Operations, NothingElseStartsWhileTheRegistryEditorRuns) {
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}});
  int launches = 0;
  bool enabled = true, started = false;
  seam_.during = [&] {
    if (++launches > 1) return;
    enabled = IsWindowEnabled(main_.Handle());
    started = main_.Command(IDM_mnuDisable) || main_.Command(IDM_mnuRefresh);
    main_.lvwAvailable.Select(0);
    main_.lvwAvailable_DblClick();
    modMain::DisableSelected(main_.Handle(), main_.lvwInstalled, [&] { started = true; });
  };
  Run(IDM_mnuDisable, main_.lvwInstalled, "&Translate");
  EXPECT_EQ(launches, 1);
  EXPECT_FALSE(enabled || started);
  EXPECT_TRUE(IsWindowEnabled(main_.Handle()));
  EXPECT_TRUE(!Installed("&Translate") && Installed("Define"));
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
