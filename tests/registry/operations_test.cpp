// Enabling, disabling, deleting, exporting, importing and restoring, run on the model's
// entries with the real registry editor and a small pack of registry files; the main
// window only where its commands' own wiring or the Restore window is under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "inventory/modReg.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
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
using modMain::MissingFileText;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;
const std::string kFull = std::string(modReg::kMenuExtFull) + "\\";
const UINT kAskNo = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

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

// A pack of two extensions, &Translate and Define, none installed.
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
  }
  std::string Ext(const std::string& name) const { return pack_ / ("Lookup\\" + name + ".htm"); }
  std::string Reg(const std::string& name) const { return pack_ / ("Reg_Files\\" + name + ".reg"); }
  void WriteRegFile(const std::string& file, const std::string& key, const std::string& header) {
    WriteAll(Reg(file), header + "\r\n\r\n[" + kFull + key + "]\r\n@=\"" + text::Replace(Ext(file), "\\", "\\\\") + "\"\r\n");
  }
  void Install(const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& [key, file] : keys) testkit::RegSetString(HKCU, kMenuExt + "\\" + key, "", file);
  }
  bool Installed(const std::string& key) { return testkit::RegKeyExists(HKCU, kMenuExt + "\\" + key); }
  static modMain::Extensions Model() {
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    modMain::LoadCatalog(model, modMain::Reader::Wizard);
    return model;
  }
  // The installed extension of the key name, as the model reads it now.
  static modMain::InstalledExtension Entry(const std::string& key) {
    for (const modMain::InstalledExtension& e : Model().Installed)
      if (e.Key == kFull + key) return e;
    ADD_FAILURE() << key << " is not read";
    return {};
  }
  static modMain::CatalogEntry Catalog(const std::string& name) {
    for (const modMain::CatalogEntry& e : Model().Catalog)
      if (e.Name == name) return e;
    ADD_FAILURE() << name << " is not in the catalog";
    return {};
  }
  bool Disable(const std::string& key) { return modMain::DisableExtension(nullptr, Entry(key)); }
  bool Delete(const std::string& key, std::deque<int> answers = {IDYES}) {
    seam_.answers = std::move(answers);
    return modMain::DeleteExtension(nullptr, Entry(key));
  }
  bool Enable(const std::string& name, std::deque<int> answers = {}) {
    seam_.answers = std::move(answers);
    return modMain::EnableExtension(nullptr, Catalog(name));
  }

  WatchedSeam seam_;
  testkit::TempFolder pack_;
};

TEST_F(Operations, EnableAsksToCheckTheFileAndFixesItsHeaderOnlyThen) {
  WriteRegFile("translate", "&Translate", "Windows Registry Editor Version 5.00");
  const std::string file = ReadAll(Reg("translate"));
  EXPECT_FALSE(Enable("&Translate", {IDNO}));  // check the file first
  EXPECT_EQ(seam_.commands, Lines{"notepad " + Reg("translate")});
  EXPECT_EQ(ReadAll(Reg("translate")), file);
  EXPECT_TRUE(Enable("&Translate", {IDYES, IDNO}));  // checked: the header is fixed; no backup
  EXPECT_EQ(ReadAll(Reg("translate")).substr(0, 10), "REGEDIT4\r\n");
  EXPECT_EQ(modReg::GetValue(HKCU, kMenuExt + "\\&Translate", ""), modReg::RegValue(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  EXPECT_EQ(seam_.messages.size(), 3u);

  // Prompts off: no question, the header stays.
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  WriteRegFile("define", "Define", "Windows Registry Editor Version 5.00");
  const std::string define = ReadAll(Reg("define"));
  EXPECT_TRUE(Enable("Define"));
  EXPECT_TRUE(Installed("Define"));
  EXPECT_EQ(ReadAll(Reg("define")), define);
  EXPECT_EQ(seam_.messages.size(), 3u);
  EXPECT_EQ(seam_.commands.size(), 3u);  // notepad and two imports
}

// Names whose backups used to share one file, and a name with a quote beside the key
// its unquoted form would reach: each backup holds its own key, none replaces another.
TEST_F(Operations, EveryDisableKeepsABackupOfItsOwnKey) {
  const std::string longName(200, 'L');
  const Lines names{"&Foo", "Foo", "Twin", "Twin ", longName + "-first", longName + "-second", "Q\"x"};
  for (const std::string& name : names) Install({{name, Ext("translate")}});
  Install({{"Qx", Ext("define")}});
  for (const std::string& name : names) {
    EXPECT_TRUE(Disable(name)) << name;
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
    EXPECT_FALSE(failure < 3 ? Disable("&Translate") : Delete("&Translate"));
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
  EXPECT_FALSE(modMain::ImportChosenFile(nullptr));
  EXPECT_TRUE(Installed("Victim") && !Installed("New") && !testkit::RegKeyExists(HKCU, scratch + "\\Run"));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));
  EXPECT_TRUE(!Installed("Victim") && Installed("New") && testkit::RegKeyExists(HKCU, scratch + "\\Run"));
  const std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kFull + "Victim"));  // the import can be undone
  ASSERT_EQ(seam_.messages.size(), 2u);
  for (const testkit::ShownMessage& asked : seam_.messages) {
    EXPECT_EQ(asked.type, kAskNo);
    EXPECT_NE(asked.text.find("\r\nwrites HKEY_CURRENT_USER\\" + scratch + "\\Run\r\nremoves " + kFull + "Victim\r\n"),
              std::string::npos)
        << asked.text;
  }
  // An enable whose file writes outside MenuExt asks too, with the prompts off.
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  WriteAll(Reg("define"), ReadAll(Reg("define")) + "[HKEY_CURRENT_USER\\" + scratch + "\\Other]\r\n");
  EXPECT_FALSE(Enable("Define", {IDNO}));
  EXPECT_FALSE(Installed("Define") || testkit::RegKeyExists(HKCU, scratch + "\\Other"));
  EXPECT_NE(seam_.Texts().back().find("writes HKEY_CURRENT_USER\\" + scratch + "\\Other"), std::string::npos);
}

TEST_F(Operations, ImportFixesHeadersOnlyWhenAsked) {
  WriteRegFile("define", "Define", "Windows Registry Editor Version 5.00");
  const std::string v5 = ReadAll(Reg("define"));
  seam_.files = {Reg("define"), Reg("define")};
  seam_.answers = {IDNO, IDYES};
  modMain::ImportChosenFile(nullptr);  // No to the fix
  EXPECT_EQ(ReadAll(Reg("define")), v5);
  EXPECT_FALSE(Installed("Define"));
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));  // Yes
  EXPECT_EQ(ReadAll(Reg("define")).substr(0, 10), "REGEDIT4\r\n");
  EXPECT_TRUE(Installed("Define"));
  EXPECT_EQ(seam_.Texts(), Lines(2, "Registry file contains binary data. Would you like me to try and fix it?"));
  // A header in capitals, which the fix does not change: one question, then a message.
  WriteRegFile("define", "Caps", "WINDOWS REGISTRY EDITOR VERSION 5.00");
  seam_.files = {Reg("define"), In("vanished.reg")};
  seam_.answers = {IDYES, IDYES};
  EXPECT_FALSE(modMain::ImportChosenFile(nullptr));
  EXPECT_FALSE(Installed("Caps"));
  ASSERT_EQ(seam_.messages.size(), 4u);
  EXPECT_NE(seam_.messages[3].text.find("could not be fixed"), std::string::npos);
  EXPECT_FALSE(modMain::ImportChosenFile(nullptr));
  EXPECT_EQ(seam_.Texts().back(), MissingFileText("Unable to import extension.", In("vanished.reg")));
}

// Every operation asks CheckExtension first: a subkey of an extension, a key outside
// MenuExt and a key that could not be read are refused before anything runs.
TEST_F(Operations, EntriesThatAreNotOneExtensionKeyAreRefusedByEveryOperation) {
  Install({{"&Translate", Ext("translate")}});
  testkit::RegCreate(HKCU, kMenuExt + "\\&Translate\\Sub");
  modMain::InstalledExtension sub = Entry("&Translate"), outside = sub, unread;
  sub.Key += "\\Sub";
  outside.Key = "HKEY_CURRENT_USER\\Software";
  const Lines says{"[ &Translate ] is not an extension key under MenuExt:\r\n" + sub.Key,
                   "[ &Translate ] is not an extension key under MenuExt:\r\nHKEY_CURRENT_USER\\Software",
                   "[ Not Found ] is not an extension key under MenuExt"};
  Lines expected;
  for (const auto* entry : {&sub, &outside, &unread}) {
    seam_.answers = {IDYES};
    EXPECT_FALSE(modMain::DisableExtension(nullptr, *entry));
    EXPECT_FALSE(modMain::DeleteExtension(nullptr, *entry));
    modMain::ExportSelected(nullptr, *entry);
    EXPECT_FALSE(modMain::CheckExtension(nullptr, *entry));
    expected.insert(expected.end(), 4, says[expected.size() / 4] + "\r\n\r\nNothing was exported or deleted.");
  }
  EXPECT_EQ(seam_.Texts(), expected);
  for (const testkit::ShownMessage& shown : seam_.messages) EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(seam_.commands.empty() && seam_.fileDialogs.empty());
  EXPECT_TRUE(Installed("&Translate\\Sub") && Exists(Ext("translate")));
}

// A key under MenuExt by its stored name, with its default value.
void SetWideKey(const std::wstring& name, const std::string& file) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKCU, (L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + name).c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), static_cast<DWORD>(file.size() + 1));
  RegCloseKey(key);
}
// Each entry acts on the key it was read from: a name the code page cannot hold is
// marked and refused, its lookalike "??????" and a name of 250 characters are managed.
TEST_F(Operations, EachEntryActsOnExactlyItsOwnKey) {
  if (GetACP() != 1252) GTEST_SKIP() << "the names are chosen for code page 1252";
  const std::wstring cyrillic = L"\u041f\u0440\u0438\u0432\u0435\u0442", cjk = L"\u65e5\u672c\u8a9e";
  const std::string lookalike = "??????", longName(250, 'L'), mark = modReg::kOutsideCodePageMark;
  SetWideKey(cyrillic, Ext("translate"));
  SetWideKey(cjk, Ext("define"));
  SetWideKey(L"\u03a9mega", Ext("define"));  // no best fit: "?mega", not "Omega"
  SetWideKey(std::wstring(250, L'L'), Ext("define"));  // too long a path for the A functions
  Install({{lookalike, Ext("define")}});
  const std::vector<modMain::InstalledExtension> read = Model().Installed;
  ASSERT_EQ(read.size(), 5u);
  std::map<std::string, std::string> paths;  // list text -> file, each read from its own key
  for (const modMain::InstalledExtension& e : read) paths[modMain::ListText(e)] = e.Path;
  EXPECT_EQ(paths, (std::map<std::string, std::string>{{lookalike + mark, Ext("translate")}, {"???" + mark, Ext("define")},
                                                       {"?mega" + mark, Ext("define")}, {lookalike, Ext("define")},
                                                       {longName, Ext("define")}}));
  const auto marked = std::find_if(read.begin(), read.end(), [&](const auto& e) { return !e.Exact && e.Name == lookalike; });
  ASSERT_NE(marked, read.end());
  seam_.answers = {IDYES};
  EXPECT_FALSE(modMain::DisableExtension(nullptr, *marked));
  EXPECT_FALSE(modMain::DeleteExtension(nullptr, *marked));
  modMain::ExportSelected(nullptr, *marked);
  EXPECT_FALSE(modMain::CheckExtension(nullptr, *marked));
  EXPECT_TRUE(seam_.commands.empty() && seam_.fileDialogs.empty());
  EXPECT_EQ(seam_.Texts(), Lines(4, "The registry key of [ " + lookalike + mark +
                                        " ] has a name with characters that this system's code page cannot hold, so "
                                        "the program cannot name that key exactly.\r\n\r\nNothing was exported, "
                                        "renamed or deleted."));
  testkit::TempFolder out;
  seam_.folders = {out.path()};
  modMain::ExportAll(nullptr, read, [](const std::string&) {});
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"______.reg", longName.substr(0, 200) + ".reg"}));
  EXPECT_NE(seam_.Texts().back().find("\r\n" + lookalike + mark), std::string::npos);

  seam_.messages.clear();
  EXPECT_TRUE(Disable(lookalike) && Disable(longName));
  EXPECT_TRUE(seam_.messages.empty()) << seam_.Texts().front();
  EXPECT_FALSE(Installed(lookalike) || Installed(longName));
  EXPECT_EQ(Model().Installed.size(), 3u);  // the three names outside the code page
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\______.reg"), kFull + lookalike));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + longName.substr(0, 200) + ".reg"), kFull + longName));
}

TEST_F(Operations, DeleteAsksAndKeepsAFileItCannotCopyOrDelete) {
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}});
  EXPECT_FALSE(Delete("&Translate", {IDNO}));  // not sure: nothing happens
  EXPECT_EQ(seam_.messages.back().type, kAskNo);
  EXPECT_TRUE(Installed("&Translate") && Exists(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty() && Files(In("Ext_Backup")).empty());

  SetFileAttributesA(Ext("translate").c_str(), FILE_ATTRIBUTE_READONLY);  // copied, not deleted
  EXPECT_TRUE(Delete("&Translate"));
  EXPECT_TRUE(Exists(Ext("translate")) && Exists(In("Ext_Backup\\translate.htm")));
  EXPECT_NE(seam_.Texts().back().find("could not be deleted"), std::string::npos);

  HANDLE lock = CreateFileA(Ext("define").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(Delete("Define"));  // no copy, so no deletion
  CloseHandle(lock);
  EXPECT_EQ(ReadAll(Ext("define")), "define()");
  EXPECT_FALSE(Exists(In("Ext_Backup\\define.htm")));
  EXPECT_NE(seam_.Texts().back().find("could not be copied"), std::string::npos);
  EXPECT_FALSE(Installed("&Translate") || Installed("Define"));
}

// Delete removes the file the key names now, only when it is a plain file of the
// extension's own, and never replaces another file's copy.
TEST_F(Operations, DeleteRemovesOnlyTheExtensionsOwnFile) {
  for (const char* folder : {"A", "B"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "B\\tool.htm", "shared.htm"}) WriteAll(pack_ / file, file);
  std::string slashed = pack_ / "A\\tool.htm";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  Install({{"One", slashed},
           {"Two", pack_ / "A\\z/../../B/tool.htm"},  // the old copy left Ext_Backup
           {"Shared", pack_ / "shared.htm"},
           {"Sharer", pack_ / "SHARED.HTM"},
           {"Own", In("Reg_Backup") + "/../NIMO.ini"},
           {"Moved", Ext("translate")}});
  const modMain::InstalledExtension moved = Entry("Moved");
  Install({{"Moved", Ext("define")}});  // repointed after the model was read
  for (const char* key : {"One", "Two", "Shared", "Own"}) EXPECT_TRUE(Delete(key)) << key;
  seam_.answers = {IDYES};
  EXPECT_TRUE(modMain::DeleteExtension(nullptr, moved));
  Lines told = seam_.Texts();
  std::erase_if(told, [](const std::string& text) { return text.rfind("Are you sure", 0) == 0; });
  const std::string kept = "\r\n\r\nThe file was kept because it is ";
  EXPECT_EQ(told, (Lines{"The extension [ Shared ] has been deleted, but not its file\r\n" + (pack_ / "shared.htm") + kept +
                             "also the file of [ Sharer ].",
                         "The extension [ Own ] has been deleted, but not its file\r\n" + In("NIMO.ini") + kept +
                             "one of this program's own files or backups."}));
  EXPECT_EQ(Files(In("Ext_Backup")), (std::set<std::string>{"tool.htm", "tool (2).htm", "define.htm"}));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\tool.htm")) + ReadAll(In("Ext_Backup\\tool (2).htm")), "A\\tool.htmB\\tool.htm");
  EXPECT_TRUE(testkit::Logged("Copied [ " + (pack_ / "B\\tool.htm") + " ] to [ " + In("Ext_Backup\\tool (2).htm") + " ]"));
  for (const char* gone : {"A\\tool.htm", "B\\tool.htm", "Lookup\\define.htm"}) EXPECT_FALSE(Exists(pack_ / gone)) << gone;
  EXPECT_TRUE(Exists(pack_ / "shared.htm") && Exists(Ext("translate")));
  EXPECT_EQ(Model().Installed.size(), 1u);  // Sharer
}

// Export all writes one file per extension key, Export selected the key and the file
// beside it; neither ever writes over a file that is there.
TEST_F(Operations, ExportsWriteBesideEarlierFilesNeverOverThem) {
  Install({{"&Translate", Ext("translate")}});
  const modMain::InstalledExtension translate = Entry("&Translate");
  testkit::TempFolder out;
  seam_.folders = {"", out / "gone", out.path(), out.path(), out.path()};  // cancelled, gone, there ...
  Lines status;
  const auto all = [&](const std::vector<modMain::InstalledExtension>& installed) {
    modMain::ExportAll(nullptr, installed, [&](const std::string& line) { status.push_back(line); });
  };
  for (int i = 0; i < 3; ++i) all({translate, {}});  // and a key that could not be read
  EXPECT_EQ(seam_.folderTitles, Lines(3, "Export to where ..?"));
  EXPECT_EQ(seam_.Texts(), Lines{"The folder " + (out / "gone\\") + " does not exist.\r\n\r\nNothing was exported."});
  EXPECT_EQ(Files(out.path()), std::set<std::string>{"&Translate.reg"});
  EXPECT_EQ(status, (Lines{"Exporting 1 of 2", "Exporting 2 of 2", "1 of 2 extensions exported to " + out.path() + "\\"}));
  all({translate});
  EXPECT_EQ(status.back(), "1 of 1 extensions exported to " + out.path() + "\\");
  seam_.exitCode = 1;  // an editor that fails: reported, and no file is left
  all({translate});
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"&Translate.reg", "&Translate (2).reg"}));
  EXPECT_TRUE(HoldsKey(out / "&Translate (2).reg", kFull + "&Translate"));
  EXPECT_EQ(seam_.Texts().back(), "These extensions could not be exported to " + out.path() +
                                      "\\:\r\n\r\n&Translate (the registry editor failed or wrote nothing)");
  seam_.exitCode = 0;
  seam_.messages.clear();
  seam_.files = {"", out / "saved.reg", out / "translate.htm"};
  for (int i = 0; i < 2; ++i) modMain::ExportSelected(nullptr, translate);  // cancelled, saved
  EXPECT_EQ(seam_.fileDialogs[1].initialDir, In("Reg_backup"));
  EXPECT_TRUE(seam_.fileDialogs[1].save);
  EXPECT_EQ(seam_.fileDialogs[1].title, "Export registry key as ...");
  EXPECT_TRUE(HoldsKey(out / "saved.reg", kFull + "&Translate"));
  EXPECT_EQ(ReadAll(out / "translate.htm"), "translate()");
  modMain::ExportSelected(nullptr, translate);
  EXPECT_TRUE(HoldsKey(out / "translate.htm", kFull + "&Translate"));  // the copy does not overwrite the key file
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(Operations, FilesOpenInTheTextEditorAndMissingOnesAreSaid) {
  Install({{"&Translate", Ext("translate")}, {"Gone", In("gone.htm")}});
  modMain::OpenExtensionFile(nullptr, Entry("&Translate"));
  modMain::OpenRegFile(nullptr, Catalog("Define"));
  EXPECT_EQ(seam_.commands, (Lines{"notepad " + Ext("translate"), "notepad " + Reg("define")}));
  seam_.failLaunch = true;
  modMain::OpenExtensionFile(nullptr, Entry("&Translate"));
  EXPECT_EQ(seam_.Texts().back().rfind("Unable to start notepad " + Ext("translate"), 0), 0u);
  modMain::OpenExtensionFile(nullptr, Entry("Gone"));
  EXPECT_EQ(seam_.Texts().back(), "I'm sorry, the file associated with this extension appears to be missing.");
  DeleteFileA(Reg("define").c_str());
  modMain::OpenRegFile(nullptr, Catalog("Define"));
  EXPECT_EQ(seam_.Texts().back(), MissingFileText("Error: Registry file for this extension does not exist", Reg("define")));
}

// The main window, its lists loaded, for what its commands and the Restore window add.
class OperationsWindow : public Operations {
 protected:
  void SetUp() override {
    Operations::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(main_.Create());
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }
  bool Run(UINT id, win::CListView& list, const std::string& row, std::deque<int> answers = {}) {
    list.Select(Row(list, row));
    seam_.answers = std::move(answers);
    return main_.Command(id);
  }
  frmMain main_;
};

// A command takes the selected row's entry and has both lists read again; nothing else
// starts while the registry editor runs, and the window takes no input meanwhile.
TEST_F(OperationsWindow, CommandsActOnTheSelectedRowOneAtATimeAndReloadBothLists) {
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  main_.Command(IDM_mnuAvailable);
  main_.lvwAvailable.Select(-1);
  main_.Command(IDM_mnuEnable);  // no row: nothing
  EXPECT_TRUE(seam_.commands.empty() && seam_.messages.empty());
  main_.lvwAvailable.Select(Row(main_.lvwAvailable, "Define"));
  main_.lvwAvailable_DblClick();
  EXPECT_TRUE(Installed("Define") && !Installed("&Translate"));
  EXPECT_GE(Row(main_.lvwInstalled, "Define"), 0);
  EXPECT_LT(Row(main_.lvwAvailable, "Define"), 0);

  Install({{"&Translate", Ext("translate")}});
  main_.Command(IDM_mnuInstalled);
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
  EXPECT_LT(Row(main_.lvwInstalled, "&Translate"), 0);
  EXPECT_GE(Row(main_.lvwAvailable, "&Translate"), 0);
  seam_.during = nullptr;

  testkit::TempFolder out;  // Export all reports in the status bar
  seam_.folders = {out.path()};
  main_.Command(IDM_mnuExAll);
  EXPECT_EQ(main_.ctlSBar.Text(), "1 of 1 extensions exported to " + out.path() + "\\");
  EXPECT_TRUE(seam_.messages.empty());
  if (GetACP() != 1252) return;
  // Properties of a row whose key the program cannot name exactly: refused before the
  // dialog (which, opened here, would wait for input until the test times out).
  SetWideKey(L"\u041f\u0440\u0438\u0432\u0435\u0442", Ext("translate"));
  main_.LoadExtensionInfo();
  Run(IDM_mnuModify, main_.lvwInstalled, "??????" + std::string(modReg::kOutsideCodePageMark));
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.Texts()[0].find("code page cannot hold"), std::string::npos);
}

// Disable, delete and rename, each undone from the Restore window alone: the key back,
// the deleted page back (asked when another file took its place), the name a rename
// gave gone; a whole-MenuExt backup names what it adds back; a file that is no backup
// restores nothing; Open, Delete and Esc from the keyboard.
TEST_F(OperationsWindow, RestoreUndoesEachOperationAndRefusesAFileThatIsNoBackup) {
  WriteAll(pack_ / "Lookup\\google.htm", "google()");
  Install({{"&Translate", Ext("translate")}, {"Define", Ext("define")}, {"Google", pack_ / "Lookup\\google.htm"}});
  ASSERT_TRUE(modMain::BackUpMenuExt(nullptr));
  const std::set<std::string> wholeFiles = Files(In("Reg_Backup"));
  ASSERT_EQ(wholeFiles.size(), 1u);
  const std::string whole = In("Reg_Backup\\" + *wholeFiles.begin()), junk = In("Reg_Backup\\junk.reg");
  EXPECT_TRUE(Disable("&Translate") && Delete("Define"));
  {
    frmModify dialog;
    ASSERT_TRUE(dialog.Load(main_.Handle(), Entry("Google"), nullptr));
    dialog.txtName.SetText("Bing");
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
    dialog.lblOK_Click();
  }
  ASSERT_TRUE(!Installed("Google") && Installed("Bing") && !Exists(Ext("define")));
  WriteAll(Ext("define"), "another file");
  WriteAll(junk, "not a registry file");
  seam_.messages.clear();

  frmRestore window;
  ASSERT_TRUE(window.Load(main_));
  win::CListView& list = window.lvwBackups;
  EXPECT_EQ(list.SortColumn(), 0);
  EXPECT_TRUE(list.SortDescending());  // newest first
  const auto select = [&](int column, const std::string& text) {
    list.Select(-1);
    for (int row = list.Count() - 1; row >= 0; --row)
      if ((column < 0 ? list.Tag(row) : list.Cell(row, column)) == text) list.Select(row);
    const int at = list.Selected();
    return at >= 0 ? list.Cell(at, 1) + " | " + list.Cell(at, 2) + " | " + list.Cell(at, 3) : "none";
  };
  const auto restore = [&](std::deque<int> answers) {
    const size_t shown = seam_.messages.size();
    seam_.answers = std::move(answers);
    window.cmdRestore_Click();
    return seam_.messages.size() > shown ? seam_.messages[shown].text : "";  // the question
  };
  EXPECT_EQ(select(-1, whole), "MenuExt | MenuExt, 3 extensions | ");
  EXPECT_NE(restore({IDNO}).find("adds back 3 extensions that are not installed now."), std::string::npos);
  EXPECT_FALSE(Installed("&Translate") || Installed("Define"));

  EXPECT_EQ(select(1, "disable"), "disable | &Translate | ");
  EXPECT_NE(restore({IDYES, IDOK}).find("\r\n" + kFull + "&Translate\r\n"), std::string::npos);
  EXPECT_EQ(seam_.Texts().back(), "Restored from " + In("Reg_Backup\\Translate.reg") + ":\r\n\r\n&Translate");
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_GE(Row(main_.lvwInstalled, "&Translate"), 0);  // both lists reloaded
  EXPECT_LT(Row(main_.lvwAvailable, "&Translate"), 0);

  // The deleted page's place is taken: No keeps the other file, Yes keeps it in
  // Ext_Backup and puts the page back.
  for (int answer : {IDNO, IDYES}) {
    EXPECT_EQ(select(1, "delete"), "delete | Define | In Ext_Backup: define.htm");
    restore({IDYES, answer, IDOK});
    EXPECT_EQ(seam_.messages[seam_.messages.size() - 2].type, kAskNo);
    EXPECT_TRUE(Installed("Define"));
    EXPECT_EQ(ReadAll(Ext("define")), answer == IDNO ? "another file" : "define()");
  }
  EXPECT_NE(seam_.Texts().back().find("Its page is back at " + Ext("define") + "."), std::string::npos);
  EXPECT_EQ(ReadAll(In("Ext_Backup\\define (2).htm")), "another file");

  EXPECT_EQ(select(1, "rename"), "rename | Google | ");
  EXPECT_NE(restore({IDYES, IDOK}).find("present name [ Bing ] then goes"), std::string::npos);
  EXPECT_TRUE(Installed("Google") && !Installed("Bing"));
  EXPECT_EQ(modReg::GetValue(HKCU, kMenuExt + "\\Google", ""), modReg::RegValue(pack_ / "Lookup\\google.htm"));
  EXPECT_NE(select(2, "Bing"), "none");  // the name it took away is a backup in its turn

  EXPECT_TRUE(Disable("&Translate"));
  window.LoadBackups();
  select(-1, whole);
  EXPECT_NE(restore({IDYES, IDOK}).find("adds back 1 extension that"), std::string::npos);
  EXPECT_TRUE(Installed("&Translate"));

  // Not a registry file: said, nothing imported; Open starts the text editor; Delete asks.
  const auto press = [&](UINT key) {
    MSG msg{};
    msg.hwnd = list.Handle(), msg.message = WM_KEYDOWN, msg.wParam = key;
    EXPECT_TRUE(win::DialogMessage(msg)) << key;
  };
  EXPECT_NE(select(-1, junk).find(" | Not a registry file: "), std::string::npos);
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
    EXPECT_EQ(seam_.messages.back().type, kAskNo);
  }
  EXPECT_EQ(select(-1, junk), "none");
  EXPECT_EQ(seam_.unanswered, 0);
  press(VK_ESCAPE);
  EXPECT_FALSE(window.Loaded());
}

}  // namespace
