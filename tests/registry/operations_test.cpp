// Enabling, disabling, deleting, exporting and importing from the main window, driven
// in-process with the real registry editor and a small pack of registry files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "app/App.h"
#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
#include "inventory/modReg.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "restore/frmRestore.h"
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
// The scripted seam, with hooks that run as each program is started and after it ended.
struct WatchedSeam : testkit::ScriptedSeam {
  std::function<void()> during;
  std::function<void(const std::string&)> after;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (during) during();
    const win::LaunchResult result = ScriptedSeam::Launch(command, show, waitMs);
    if (after) after(command);
    return result;
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
  static modMain::InstalledExtension Entry(const std::string& name) {
    modMain::InstalledExtension entry;
    entry.Opened = true;
    entry.Name = name;
    entry.Key = kFull + name;
    return entry;
  }
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
  modMain::CatalogEntry vanished;
  vanished.RegFile = pack_ / "vanished.reg";
  EXPECT_FALSE(modMain::EnableExtension(main_.Handle(), vanished));
  EXPECT_EQ(seam_.Texts().back(), Missing("Unable to import extension.", pack_ / "vanished.reg"));
  Run(IDM_mnuEnable, main_.lvwAvailable, "no such row");
  EXPECT_EQ(seam_.messages.size(), 4u);
  EXPECT_EQ(seam_.commands.size(), 3u);  // notepad and two imports
}

// Names whose backups used to share one file, and a name with a quote beside the key
// its unquoted form would reach: each backup holds its own key, none replaces another.
TEST_F(Operations, EveryDisableKeepsABackupOfItsOwnKey) {
  const std::string longName(200, 'L');
  const Lines names{"&Foo", "Foo", "Twin", "Twin ", longName + "-first", longName + "-second", "Q\"x"};
  for (const std::string& name : names) testkit::RegSetString(HKCU, kMenuExt + "\\" + name, "", Ext("translate"));
  testkit::RegSetString(HKCU, kMenuExt + "\\Qx", "", Ext("define"));
  for (const std::string& name : names) {
    EXPECT_TRUE(modMain::DisableExtension(main_.Handle(), Entry(name))) << name;
    EXPECT_FALSE(Installed(name)) << name;
  }
  EXPECT_TRUE(Installed("Qx"));
  const std::set<std::string> files = Files(In("Reg_Backup"));
  EXPECT_EQ(files.size(), names.size());
  for (const std::string& name : names) {
    int holding = 0;
    for (const std::string& file : files) holding += HoldsKey(In("Reg_Backup\\" + file), kFull + name);
    EXPECT_EQ(holding, 1) << name;
  }
  EXPECT_TRUE(files.count("Foo (2).reg") && files.count("Q_x.reg"));
  EXPECT_TRUE(seam_.messages.empty());
}

// A backup folder that cannot be made, an editor that fails, and exports cut short (a
// full disk, a killed editor): the key stays, with the extension's file, and no file is
// left in Reg_Backup.
TEST_F(Operations, DisableAndDeleteKeepTheKeyWhenTheBackupIsNotWhole) {
  Install({{"&Translate", Ext("translate")}});
  testkit::RegSetRaw(HKCU, kMenuExt + "\\&Translate", "Big", REG_BINARY, std::string(200000, '\x5a'));
  const auto truncate = [](const std::string& command) {
    const size_t open = command.find('"') + 1;
    const std::string file = command.substr(open, command.find('"', open) - open);
    if (command.rfind("regedit /e", 0) == 0) WriteAll(file, ReadAll(file).substr(0, 65536));
  };
  const char* const reasons[] = {"no backup file could be created", "the registry editor failed or wrote nothing",
                                 "the file written", "the file written"};
  for (int failure = 0; failure < 4; ++failure) {
    if (failure == 0) modSettings::WriteINI("", "Paths", "Registry_Backup", In("no such folder\\Reg_Backup\\"));
    if (failure == 1) modSettings::WriteINI("", "Paths", "Registry_Backup", "");
    seam_.exitCode = failure == 1 ? 1 : 0;
    if (failure >= 2) seam_.after = truncate;
    if (failure < 3) EXPECT_FALSE(modMain::DisableExtension(main_.Handle(), Entry("&Translate")));
    else Run(IDM_mnuDelete, main_.lvwInstalled, "&Translate", {IDYES});
    EXPECT_TRUE(Installed("&Translate") && Exists(Ext("translate"))) << failure;
    EXPECT_NE(seam_.Texts().back().find("The key has not been deleted."), std::string::npos) << failure;
    EXPECT_NE(seam_.Texts().back().find(reasons[failure]), std::string::npos) << seam_.Texts().back();
    EXPECT_TRUE(Files(In("Reg_Backup")).empty()) << failure;
  }
}

// An import or enable that writes outside MenuExt or removes an extension asks first
// (default No); an import backs MenuExt up before it runs.
TEST_F(Operations, ImportAndEnableAskBeforeChangingMoreThanMenuExt) {
  const std::string scratch = "Software\\NIMO Test Scratch";
  testkit::RegistryKeyGuard guard(HKCU, scratch);
  Install({{"Victim", Ext("define")}});
  const std::string file = In("hostile.reg");
  WriteAll(file, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + scratch + "\\Run]\r\n\"x\"=\"evil.exe\"\r\n\r\n[-" + kFull +
                     "Victim]\r\n\r\n[" + kFull + "New]\r\n@=\"new.htm\"\r\n");
  seam_.files = {file, file};
  seam_.answers = {IDNO, IDYES};
  main_.Command(IDM_mnuImport);
  EXPECT_TRUE(Installed("Victim") && !Installed("New") && !testkit::RegKeyExists(HKCU, scratch + "\\Run"));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  main_.Command(IDM_mnuImport);
  EXPECT_TRUE(!Installed("Victim") && Installed("New") && testkit::RegKeyExists(HKCU, scratch + "\\Run"));
  const std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kFull + "Victim"));  // the import can be undone
  ASSERT_EQ(seam_.messages.size(), 2u);
  for (const testkit::ShownMessage& asked : seam_.messages) {
    EXPECT_EQ(asked.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_NE(asked.text.find("\r\nwrites HKEY_CURRENT_USER\\" + scratch + "\\Run\r\nremoves " + kFull + "Victim\r\n"),
              std::string::npos)
        << asked.text;
  }

  // An enable whose file writes outside MenuExt asks too, with the prompts off.
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  WriteAll(Reg("define"), ReadAll(Reg("define")) + "[HKEY_CURRENT_USER\\" + scratch + "\\Other]\r\n");
  main_.Command(IDM_mnuAvailable);
  Run(IDM_mnuEnable, main_.lvwAvailable, "Define", {IDNO});
  EXPECT_FALSE(Installed("Define") || testkit::RegKeyExists(HKCU, scratch + "\\Other"));
  EXPECT_NE(seam_.Texts().back().find("writes HKEY_CURRENT_USER\\" + scratch + "\\Other"), std::string::npos);
}

TEST_F(Operations, RowsThatAreNotAnExtensionKeyAreRefused) {
  Install({{"&Translate", Ext("translate")}});
  testkit::RegCreate(HKCU, kMenuExt + "\\&Translate\\Sub");
  for (const std::string& key : Lines{"", kFull, modReg::kMenuExtFull, kFull + "&Translate\\Sub", "HKEY_CURRENT_USER\\Software"}) {
    modMain::InstalledExtension entry = Entry("&Translate");
    entry.Key = key;
    EXPECT_FALSE(modMain::DisableExtension(main_.Handle(), entry));
    EXPECT_FALSE(modMain::DeleteExtension(main_.Handle(), entry));
    modMain::ExportSelected(main_.Handle(), entry);
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
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}});
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

  EXPECT_FALSE(Installed("&Translate") || Installed("Define"));
}

TEST_F(Operations, ExportAllWritesOneFilePerExtensionKey) {
  Install({{"&Translate", Ext("translate")}});
  testkit::TempFolder out;
  seam_.folders = {"", out / "gone", out.path()};  // cancelled, gone, there
  // The menu's command, then the operation itself with a key that could not be opened.
  main_.Command(IDM_mnuExAll);
  Lines status;
  const std::vector<modMain::InstalledExtension> installed{Entry("&Translate"), {}};
  for (int i = 0; i < 2; ++i)
    modMain::ExportAll(main_.Handle(), installed, [&](const std::string& line) { status.push_back(line); });
  EXPECT_EQ(seam_.folderTitles, Lines(3, "Export to where ..?"));
  EXPECT_EQ(seam_.Texts(), Lines{"The folder " + (out / "gone\\") + " does not exist.\r\n\r\nNothing was exported."});
  EXPECT_EQ(Files(out.path()), std::set<std::string>{"&Translate.reg"});
  // The entry without a key is counted, not exported.
  EXPECT_EQ(status, (Lines{"Exporting 1 of 2", "Exporting 2 of 2", "1 of 2 extensions exported to " + out.path() + "\\"}));

  // Again: beside the first file, never over it; then an editor that fails: reported as
  // not exported, and no file is left.
  seam_.folders = {out.path(), out.path()};
  main_.Command(IDM_mnuExAll);
  EXPECT_EQ(main_.ctlSBar.Text(), "1 of 1 extensions exported to " + out.path() + "\\");
  seam_.exitCode = 1;
  main_.Command(IDM_mnuExAll);
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"&Translate.reg", "&Translate (2).reg"}));
  EXPECT_TRUE(HoldsKey(out / "&Translate (2).reg", kFull + "&Translate"));
  EXPECT_EQ(seam_.Texts().back(), "These extensions could not be exported to " + out.path() +
                                      "\\:\r\n\r\n&Translate (the registry editor failed or wrote nothing)");
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
    main_.mnuDisable_Click();  // the handler itself, past the menu's own check
  };
  Run(IDM_mnuDisable, main_.lvwInstalled, "&Translate");
  EXPECT_EQ(launches, 1);
  EXPECT_FALSE(enabled || started);
  EXPECT_TRUE(IsWindowEnabled(main_.Handle()));
  EXPECT_TRUE(!Installed("&Translate") && Installed("Define"));
  EXPECT_TRUE(seam_.messages.empty());
}

// Delete removes the file the key names now, only when it is a plain file of the
// extension's own, and never replaces another file's copy.
TEST_F(Operations, DeleteRemovesOnlyTheExtensionsOwnFile) {
  for (const char* folder : {"A", "B"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "B\\tool.htm", "shared.htm", "host.exe"})
    WriteAll(pack_ / file, file);
  std::string slashed = pack_ / "A\\tool.htm";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  Install({{"One", slashed},
           {"Two", pack_ / "A\\z/../../B/tool.htm"},  // the old copy left Ext_Backup
           {"Shared", pack_ / "shared.htm"},
           {"Sharer", pack_ / "SHARED.HTM"},
           {"Program", pack_ / "host.exe"},
           {"Own", In("Reg_Backup") + "/../NIMO.ini"},
           {"Moved", Ext("translate")}});
  testkit::RegSetString(HKCU, kMenuExt + "\\Moved", "", Ext("define"));  // repointed after the list was read
  for (const char* row : {"One", "Two", "Shared", "Program", "Own", "Moved"})
    Run(IDM_mnuDelete, main_.lvwInstalled, row, {IDYES});
  Lines told = seam_.Texts();
  std::erase_if(told, [](const std::string& text) { return text.rfind("Are you sure", 0) == 0; });
  EXPECT_EQ(told,
            (Lines{"The extension [ Shared ] has been deleted, but not its file\r\n" + (pack_ / "shared.htm") +
                       "\r\n\r\nThe file was kept because it is also the file of [ Sharer ].",
                   "The extension [ Program ] has been deleted, but not its file\r\n" + (pack_ / "host.exe") +
                       "\r\n\r\nThe file was kept because it is a program file, not a page of the extension.",
                   "The extension [ Own ] has been deleted, but not its file\r\n" + In("NIMO.ini") +
                       "\r\n\r\nThe file was kept because it is one of this program's own files or backups."}));
  EXPECT_EQ(Files(In("Ext_Backup")), (std::set<std::string>{"tool.htm", "tool (2).htm", "define.htm"}));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\tool.htm")) + ReadAll(In("Ext_Backup\\tool (2).htm")), "A\\tool.htmB\\tool.htm");
  EXPECT_TRUE(testkit::Logged("Copied [ " + (pack_ / "B\\tool.htm") + " ] to [ " + In("Ext_Backup\\tool (2).htm") + " ]"));
  for (const char* gone : {"A\\tool.htm", "B\\tool.htm", "Lookup\\define.htm"})
    EXPECT_FALSE(Exists(pack_ / gone)) << gone;
  EXPECT_TRUE(Exists(pack_ / "shared.htm") && Exists(pack_ / "host.exe") && Exists(Ext("translate")));
  EXPECT_EQ(main_.lvwInstalled.Count(), 1);  // Sharer
}

// The Restore window's row whose column holds text (the first from the top), or -1.
int RowWith(const frmRestore& window, int column, const std::string& text) {
  for (int row = 0; row < window.lvwBackups.Count(); ++row)
    if (window.lvwBackups.Cell(row, column) == text) return row;
  return -1;
}

// Disable, delete and rename, each undone from the Restore window alone: the key back,
// the deleted page back, the name a rename gave gone (backed up first).
TEST_F(Operations, RestoreUndoesDisableDeleteAndRename) {
  WriteAll(pack_ / "Lookup\\google.htm", "google()");
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}, {"Google", pack_ / "Lookup\\google.htm"}});
  Run(IDM_mnuDisable, main_.lvwInstalled, "&Translate");
  Run(IDM_mnuDelete, main_.lvwInstalled, "Define", {IDYES});
  {
    frmModify dialog;
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    const auto google = std::find_if(model.Installed.begin(), model.Installed.end(),
                                     [](const modMain::InstalledExtension& e) { return e.Name == "Google"; });
    ASSERT_NE(google, model.Installed.end());
    ASSERT_TRUE(dialog.Load(main_.Handle(), *google, nullptr));
    dialog.txtName.SetText("Bing");
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
    dialog.lblOK_Click();
  }
  ASSERT_TRUE(!Installed("&Translate") && !Installed("Define") && !Installed("Google") && Installed("Bing"));
  ASSERT_FALSE(Exists(Ext("define")));
  seam_.messages.clear();

  frmRestore window;
  ASSERT_TRUE(window.Load(main_));
  const win::CListView& list = window.lvwBackups;
  EXPECT_EQ(list.SortColumn(), 0);
  EXPECT_TRUE(list.SortDescending());  // newest first
  const int disable = RowWith(window, 1, "disable"), remove = RowWith(window, 1, "delete"),
            rename = RowWith(window, 1, "rename");
  ASSERT_TRUE(disable >= 0 && remove >= 0 && rename >= 0);
  EXPECT_EQ(list.Cell(disable, 2), "&Translate");
  EXPECT_EQ(list.Cell(remove, 2) + " | " + list.Cell(remove, 3), "Define | In Ext_Backup: define.htm");
  EXPECT_EQ(list.Cell(rename, 2), "Google");
  EXPECT_EQ(list.Cell(disable, 3) + list.Cell(rename, 3), "");

  window.lvwBackups.Select(disable);
  seam_.answers = {IDYES, IDOK};
  window.cmdRestore_Click();
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_GE(Row(main_.lvwInstalled, "&Translate"), 0);  // both lists reloaded
  EXPECT_LT(Row(main_.lvwAvailable, "&Translate"), 0);
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_NE(seam_.messages[0].text.find("\r\n" + kFull + "&Translate\r\n"), std::string::npos) << seam_.messages[0].text;
  EXPECT_EQ(seam_.messages[1].text, "Restored from " + list.Tag(list.Selected()) + ":\r\n\r\n&Translate");

  window.lvwBackups.Select(RowWith(window, 1, "delete"));
  seam_.answers = {IDYES, IDOK};
  window.cmdRestore_Click();
  EXPECT_TRUE(Installed("Define"));
  EXPECT_EQ(ReadAll(Ext("define")), "define()");
  EXPECT_NE(seam_.Texts().back().find("Its page is back at " + Ext("define") + "."), std::string::npos);

  window.lvwBackups.Select(RowWith(window, 1, "rename"));
  seam_.answers = {IDYES, IDOK};
  window.cmdRestore_Click();
  EXPECT_TRUE(Installed("Google") && !Installed("Bing"));
  EXPECT_EQ(modReg::GetValue(HKCU, kMenuExt + "\\Google", ""), modReg::RegValue(pack_ / "Lookup\\google.htm"));
  EXPECT_NE(seam_.Texts()[seam_.Texts().size() - 2].find("present name [ Bing ] then goes"), std::string::npos);
  EXPECT_GE(RowWith(window, 2, "Bing"), 0);  // the name it took away is a backup in its turn
  EXPECT_EQ(seam_.unanswered, 0);
  EXPECT_TRUE(testkit::Logged("User wishes to restore [ " + In("Reg_Backup\\Translate.reg") + " ]"));
}

// A whole-MenuExt restore names what it adds back; a page whose place another file took
// is put back only when asked; a file that is not a registry file restores nothing;
// Open and Delete.
TEST_F(Operations, RestoreOfMenuExtOfATakenPageAndOfAFileThatIsNoBackup) {
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}});
  const std::set<std::string> before = Files(In("Reg_Backup"));
  ASSERT_TRUE(modMain::BackUpMenuExt(main_.Handle()));
  std::string whole;
  for (const std::string& name : Files(In("Reg_Backup")))
    if (!before.count(name)) whole = In("Reg_Backup\\" + name);
  Run(IDM_mnuDisable, main_.lvwInstalled, "&Translate");
  Run(IDM_mnuDelete, main_.lvwInstalled, "Define", {IDYES});
  WriteAll(Ext("define"), "another file");
  WriteAll(In("Reg_Backup\\junk.reg"), "not a registry file");
  seam_.messages.clear();

  frmRestore window;
  ASSERT_TRUE(window.Load(main_));
  auto select = [&](const std::string& file) {
    for (int row = 0; row < window.lvwBackups.Count(); ++row)
      if (window.lvwBackups.Tag(row) == file) window.lvwBackups.Select(row);
    return window.lvwBackups.Tag(window.lvwBackups.Selected()) == file;
  };
  ASSERT_TRUE(select(whole));
  EXPECT_EQ(window.lvwBackups.Cell(window.lvwBackups.Selected(), 1) + " | " +
                window.lvwBackups.Cell(window.lvwBackups.Selected(), 2),
            "MenuExt | MenuExt, 2 extensions");
  seam_.answers = {IDNO};
  window.cmdRestore_Click();
  EXPECT_NE(seam_.Texts().back().find("adds back 2 extensions"), std::string::npos) << seam_.Texts().back();
  EXPECT_FALSE(Installed("&Translate") || Installed("Define"));

  // The delete's page: No keeps the other file, Yes keeps it in Ext_Backup and replaces it.
  const std::string deleted = In("Reg_Backup\\Define.reg");
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(select(deleted));
    seam_.answers = {IDYES, answer, IDOK};
    window.cmdRestore_Click();
    EXPECT_TRUE(Installed("Define"));
    EXPECT_EQ(ReadAll(Ext("define")), answer == IDNO ? "another file" : "define()");
    EXPECT_EQ(seam_.messages[seam_.messages.size() - 2].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  }
  EXPECT_EQ(ReadAll(In("Ext_Backup\\define (2).htm")), "another file");

  ASSERT_TRUE(select(whole));
  seam_.answers = {IDYES, IDOK};
  window.cmdRestore_Click();
  EXPECT_TRUE(Installed("&Translate") && Installed("Define"));
  EXPECT_NE(seam_.Texts()[seam_.Texts().size() - 2].find("adds back 1 extension that"), std::string::npos);

  // Not a registry file: said, nothing imported; Open starts the text editor; Delete asks.
  // Enter, Del and Esc as the window's keyboard navigation gives them.
  const auto press = [&](UINT key) {
    MSG msg{};
    msg.hwnd = window.lvwBackups.Handle();
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    EXPECT_TRUE(win::DialogMessage(msg)) << key;
  };
  const std::string junk = In("Reg_Backup\\junk.reg");
  ASSERT_TRUE(select(junk));
  EXPECT_EQ(window.lvwBackups.Cell(window.lvwBackups.Selected(), 2).rfind("Not a registry file: ", 0), 0u);
  const size_t commands = seam_.commands.size();
  seam_.answers = {IDOK};
  press(VK_RETURN);
  EXPECT_EQ(seam_.commands.size(), commands);
  EXPECT_NE(seam_.Texts().back().find("is not a registry file that can be restored"), std::string::npos);
  window.cmdOpen_Click();
  EXPECT_EQ(seam_.commands.back(), "notepad " + junk);
  for (int answer : {IDNO, IDYES}) {
    seam_.answers = {answer};
    press(VK_DELETE);
    EXPECT_EQ(Exists(junk), answer == IDNO);
    EXPECT_EQ(seam_.messages.back().type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  }
  EXPECT_FALSE(select(junk));
  EXPECT_EQ(seam_.unanswered, 0);
  press(VK_ESCAPE);
  EXPECT_FALSE(window.Loaded());
}

// A key under MenuExt by its stored name, with its default value.
void SetWideKey(const std::wstring& name, const std::string& file) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + name).c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), static_cast<DWORD>(file.size() + 1));
  RegCloseKey(key);
}
bool WideKeyExists(const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + name).c_str(), 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// Each row acts on the key it was made from: a name the code page cannot hold is
// marked and refused, its lookalike "??????" and a name of 250 characters are managed.
TEST_F(Operations, EachRowActsOnExactlyItsOwnKey) {
  if (GetACP() != 1252) GTEST_SKIP() << "the names are chosen for code page 1252";
  const std::wstring cyrillic = L"\u041f\u0440\u0438\u0432\u0435\u0442", cjk = L"\u65e5\u672c\u8a9e";
  const std::string lookalike = "??????", longName(250, 'L');
  SetWideKey(cyrillic, Ext("translate"));
  SetWideKey(cjk, Ext("define"));
  SetWideKey(L"\u03a9mega", Ext("define"));  // no best fit: "?mega", not "Omega"
  SetWideKey(std::wstring(250, L'L'), Ext("define"));  // too long a path for the A functions
  Install({{lookalike, Ext("define")}});
  const std::string marked = lookalike + modReg::kOutsideCodePageMark;
  ASSERT_EQ(main_.lvwInstalled.Count(), 5);
  EXPECT_GE(Row(main_.lvwInstalled, "?mega" + std::string(modReg::kOutsideCodePageMark)), 0);
  const int row = Row(main_.lvwInstalled, marked);
  ASSERT_GE(row, 0);
  EXPECT_EQ(main_.lvwInstalled.Cell(row, 1), Ext("translate"));  // read from the key itself
  EXPECT_EQ(main_.lvwInstalled.Cell(Row(main_.lvwInstalled, "???" + std::string(modReg::kOutsideCodePageMark)), 1),
            Ext("define"));
  modMain::Extensions model;
  modMain::LoadInstalled(model, modMain::Reader::Wizard);
  for (const std::string& name : {lookalike, longName})
    EXPECT_EQ(std::count_if(model.Installed.begin(), model.Installed.end(),
                            [&](const modMain::InstalledExtension& e) { return e.Exact && e.Key == kFull + name; }),
              1)
        << name;

  for (UINT id : {IDM_mnuDisable, IDM_mnuDelete, IDM_mnuExSelected, IDM_mnuModify})
    Run(id, main_.lvwInstalled, marked, {IDYES});
  EXPECT_TRUE(seam_.commands.empty() && seam_.fileDialogs.empty());
  ASSERT_EQ(seam_.messages.size(), 4u);
  for (const std::string& text : seam_.Texts())
    EXPECT_EQ(text, "The registry key of [ " + marked +
                        " ] has a name with characters that this system's code page cannot hold, so the program "
                        "cannot name that key exactly.\r\n\r\nNothing was exported, renamed or deleted.");
  testkit::TempFolder out;
  seam_.folders = {out.path()};
  main_.Command(IDM_mnuExAll);
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"______.reg", longName.substr(0, 200) + ".reg"}));
  EXPECT_NE(seam_.Texts().back().find("\r\n" + marked), std::string::npos);

  seam_.messages.clear();
  Run(IDM_mnuDisable, main_.lvwInstalled, lookalike);
  Run(IDM_mnuDisable, main_.lvwInstalled, longName);
  EXPECT_TRUE(seam_.messages.empty()) << seam_.Texts().front();
  EXPECT_FALSE(Installed(lookalike) || Installed(longName));
  EXPECT_TRUE(WideKeyExists(cyrillic) && WideKeyExists(cjk));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\______.reg"), kFull + lookalike));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + longName.substr(0, 200) + ".reg"), kFull + longName));
  EXPECT_EQ(main_.lvwInstalled.Count(), 3);
}

}  // namespace
