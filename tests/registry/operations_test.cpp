// The operations on the model's entries, with the real registry editor and a small pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "program/Program.h"
#include "base/TextRules.h"
#include "base/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "log/modLog.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "restore/frmRestore.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"
#include "wizard/frmNIMOWizard.h"

namespace {

using namespace testkit;
using modReg::RegValue;

const UINT kAskNo = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
std::string Key(const std::string& name) { return kMenuExt + "\\" + name; }
bool Installed(const std::string& name) { return RegKeyExists(HKCU, Key(name)); }
RegValue Value(const std::string& name, const std::string& value) { return modReg::GetValue(HKCU, Key(name), value); }

// Hooks run as each program starts and after it ends; the first `drop` imports do nothing.
struct WatchedSeam : ScriptedSeam {
  std::function<void()> during;
  std::function<void(const std::string&)> after;
  int drop = 0;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (command.rfind("regedit /s", 0) == 0 && drop > 0 && drop--) return {true, 0, true, 0};
    if (during) during();
    const win::LaunchResult result = ScriptedSeam::Launch(command, show, waitMs);
    if (after) after(command);
    return result;
  }
};

// A pack of two extensions, &Translate and Define, none installed.
class Operations : public EmptyMenuExtTest {
 protected:
  void SetUp() override {
    EmptyMenuExtTest::SetUp();
    if (HasFatalFailure()) return;
    seam_.passThrough = {"regedit"};
    for (const char* folder : {"Reg_Files", "Lookup"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
    for (const std::string name : {"translate", "define"}) WriteAll(Ext(name), name + "()");
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
  static void Install(const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& [key, file] : keys) RegSetString(HKCU, Key(key), "", file);
  }
  static modMain::Extensions Model() {
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    modMain::LoadCatalog(model, modMain::Reader::Wizard);
    return model;
  }
  static modMain::InstalledExtension Entry(const std::string& key) {
    for (const modMain::InstalledExtension& e : Model().Installed)
      if (e.Key == kFull + key) return e;
    ADD_FAILURE() << key << " is not read";
    return {};
  }
  bool Disable(const std::string& key) { return modMain::DisableExtension(nullptr, Entry(key)); }
  bool Delete(const std::string& key, std::deque<int> answers = {IDYES}) {
    seam_.answers = std::move(answers);
    return modMain::DeleteExtension(nullptr, Entry(key));
  }
  // The properties dialog's: a key with Contexts 34; keys typed over a box's text ("\b" empties it).
  static void Add(const std::string& name, const std::string& path) {
    RegSetString(HKCU, Key(name), "", path);
    RegSetDword(HKCU, Key(name), "Contexts", 34);
  }
  void Open(const std::string& name) {
    ASSERT_TRUE(dialog_.Load(nullptr, Entry(name), [this](bool renamed) { applied_.push_back(renamed); }));
  }
  static void Type(const win::CWindow& box, const std::string& keys) {
    box.Send(EM_SETSEL, 0, -1);
    for (char c : keys) box.Send(WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Apply() {
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
    dialog_.lblOK_Click();
  }
  static std::set<std::string> Keys() {
    std::set<std::string> names;
    for (const modMain::InstalledExtension& e : Model().Installed) names.insert(e.Name);
    return names;
  }
  bool Enable(const std::string& name, std::deque<int> answers = {}) {
    seam_.answers = std::move(answers);
    for (const modMain::CatalogEntry& e : Model().Catalog)
      if (e.Name == name) return modMain::EnableExtension(nullptr, e);
    ADD_FAILURE() << name << " is not in the catalog";
    return false;
  }
  void TearDown() override {
    dialog_.Unload();
    EmptyMenuExtTest::TearDown();
  }

  WatchedSeam seam_;
  TempFolder pack_;
  frmModify dialog_;
  std::vector<bool> applied_;  // what the dialog told its owner, one entry per apply
};
using Modify = Operations;

// Enabling asks whether the file was checked (No opens it) and fixes its header only then.
TEST_F(Operations, EnableAsksToCheckTheFileAndFixesItsHeaderOnlyThen) {
  WriteRegFile("translate", "&Translate", "Windows Registry Editor Version 5.00");
  const std::string v5 = ReadAll(Reg("translate"));
  EXPECT_FALSE(Enable("&Translate", {IDNO}));
  EXPECT_TRUE(seam_.commands == Lines{"notepad " + Reg("translate")} && ReadAll(Reg("translate")) == v5);
  EXPECT_TRUE(Enable("&Translate", {IDYES, IDNO}));  // checked; no backup
  EXPECT_TRUE(ReadAll(Reg("translate")).rfind("REGEDIT4\r\n", 0) == 0);
  EXPECT_EQ(Value("&Translate", ""), RegValue(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty() && seam_.messages.size() == 3u);
  EXPECT_EQ(seam_.commands.size(), 2u);  // notepad and the import
}

// "&Foo" and "Foo" share a backup name; "Q\"x" sits beside "Qx".
TEST_F(Operations, EveryDisableKeepsABackupOfItsOwnKey) {
  Install({{"&Foo", Ext("translate")}, {"Foo", Ext("translate")}, {"Q\"x", Ext("translate")}, {"Qx", Ext("define")}});
  for (const char* name : {"&Foo", "Foo", "Q\"x"}) EXPECT_TRUE(Disable(name) && !Installed(name)) << name;
  const std::string backups = In("Reg_Backup\\");
  EXPECT_EQ(Files(backups), (std::set<std::string>{"Foo.reg", "Foo (2).reg", "Q_x.reg"}));
  EXPECT_TRUE(HoldsKey(backups + "Foo.reg", kFull + "&Foo") && HoldsKey(backups + "Foo (2).reg", kFull + "Foo"));
  EXPECT_TRUE(HoldsKey(backups + "Q_x.reg", kFull + "Q\"x") && !HoldsKey(backups + "Q_x.reg", kFull + "Qx"));
  EXPECT_TRUE(Installed("Qx") && seam_.messages.empty());
}

// A failing editor, then an export cut short: the key and its file stay, no backup left.
TEST_F(Operations, DisableAndDeleteKeepTheKeyWhenTheBackupIsNotWhole) {
  Install({{"&Translate", Ext("translate")}});
  RegSetRaw(HKCU, Key("&Translate"), "Big", REG_BINARY, std::string(200000, '\x5a'));
  seam_.exitCode = 1;
  EXPECT_FALSE(Disable("&Translate"));
  EXPECT_EQ(seam_.Texts().back(), "The key of [ &Translate ] could not be backed up: the registry editor failed or "
                                  "wrote nothing.\r\n\r\nThe key has not been deleted.");
  seam_.exitCode = 0;
  seam_.after = [](const std::string& command) {
    const size_t open = command.find('"') + 1;
    const std::string file = command.substr(open, command.find('"', open) - open);
    if (command.rfind("regedit /e", 0) == 0) WriteAll(file, ReadAll(file).substr(0, 65536));
  };
  EXPECT_FALSE(Delete("&Translate"));
  EXPECT_NE(seam_.Texts().back().find("could not be backed up: the file written"), std::string::npos);
  EXPECT_TRUE(Installed("&Translate") && Exists(Ext("translate")) && Files(In("Reg_Backup")).empty());
}

TEST_F(Operations, ImportAsksBeforeChangingMoreThanMenuExt) {
  const std::string scratch = "Software\\NIMO Test Scratch", file = In("hostile.reg");
  RegistryKeyGuard guard(HKCU, scratch);
  Install({{"Victim", Ext("define")}});
  WriteAll(file, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + scratch + "\\Run]\r\n\"x\"=\"evil.exe\"\r\n\r\n[-" + kFull +
                     "Victim]\r\n\r\n[" + kFull + "New]\r\n@=\"new.htm\"\r\n");
  seam_.files = {file, file};
  seam_.answers = {IDNO, IDYES};
  EXPECT_FALSE(modMain::ImportChosenFile(nullptr));
  EXPECT_TRUE(Installed("Victim") && !Installed("New") && !RegKeyExists(HKCU, scratch + "\\Run"));
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));
  EXPECT_TRUE(!Installed("Victim") && Installed("New") && RegKeyExists(HKCU, scratch + "\\Run"));
  const std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kFull + "Victim"));  // the import can be undone
  ASSERT_TRUE(seam_.messages.size() == 2u && seam_.messages[0].type == kAskNo);
  EXPECT_NE(seam_.Texts()[0].find("\r\nwrites HKEY_CURRENT_USER\\" + scratch + "\\Run\r\nremoves " + kFull + "Victim\r\n"),
            std::string::npos);
  // Without its MenuExt backup, nothing is imported.
  seam_.files = {file};
  seam_.answers = {IDYES};
  seam_.exitCode = 1;
  EXPECT_FALSE(modMain::ImportChosenFile(nullptr));
  EXPECT_EQ(seam_.commands.back().rfind("regedit /e", 0), 0u) << seam_.commands.back();
}

const std::wstring kCyrillic = L"\u041f\u0440\u0438\u0432\u0435\u0442";

// A name the code page cannot hold is refused by every operation; its lookalike is not.
TEST_F(Operations, EachEntryActsOnExactlyItsOwnKey) {
  if (GetACP() != 1252) GTEST_SKIP() << "the names are chosen for code page 1252";
  const std::string lookalike = "??????", longName(250, 'L'), mark = modReg::kOutsideCodePageMark;
  SetMenuExtKeyW(kCyrillic, Ext("translate"));
  SetMenuExtKeyW(std::wstring(250, L'L'), Ext("define"));  // too long a path for the A functions
  Install({{lookalike, Ext("define")}});
  const std::vector<modMain::InstalledExtension> read = Model().Installed;
  std::map<std::string, std::string> paths;  // list text -> file, each read from its own key
  for (const modMain::InstalledExtension& e : read) paths[modMain::ListText(e)] = e.Path;
  EXPECT_EQ(paths, (std::map<std::string, std::string>{{lookalike + mark, Ext("translate")}, {lookalike, Ext("define")},
                                                       {longName, Ext("define")}}));
  const auto marked = std::find_if(read.begin(), read.end(), [&](const auto& e) { return !e.Exact && e.Name == lookalike; });
  ASSERT_NE(marked, read.end());
  seam_.answers = {IDYES};
  EXPECT_FALSE(modMain::DisableExtension(nullptr, *marked) || modMain::DeleteExtension(nullptr, *marked));
  modMain::ExportSelected(nullptr, *marked);
  EXPECT_FALSE(modMain::CheckExtension(nullptr, *marked));
  EXPECT_EQ(seam_.Texts(), Lines(4, "The registry key of [ " + lookalike + mark + " ] has a name with characters that this "
                                    "system's code page cannot hold, so the program cannot name that key exactly.\r\n\r\n"
                                    "Nothing was exported, renamed or deleted."));
  EXPECT_TRUE(seam_.commands.empty() && seam_.fileDialogs.empty());
  seam_.messages.clear();
  EXPECT_TRUE(Disable(lookalike) && Disable(longName) && seam_.messages.empty());
  EXPECT_FALSE(Installed(lookalike) || Installed(longName));
  EXPECT_EQ(Model().Installed.size(), 1u);  // the name outside the code page
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\______.reg"), kFull + lookalike) &&
              HoldsKey(In("Reg_Backup\\" + longName.substr(0, 200) + ".reg"), kFull + longName));
}

// Delete keeps a file it could not copy, and removes only a plain file of the extension's own.
TEST_F(Operations, DeleteRemovesOnlyTheExtensionsOwnFile) {
  for (const char* folder : {"A", "B"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "B\\tool.htm", "shared.htm"}) WriteAll(pack_ / file, file);
  Install({{"One", pack_.path() + "/A/tool.htm"},
           {"Two", pack_ / "A\\z/../../B/tool.htm"},  // the old copy left Ext_Backup
           {"Shared", pack_ / "shared.htm"},
           {"Sharer", pack_ / "SHARED.HTM"},
           {"Own", In("Reg_Backup") + "/../NIMO.ini"},
           {"Lang", In("fr.lng")},
           {"Moved", Ext("translate")},
           {"Locked", Ext("define")}});
  HANDLE lock = CreateFileA(Ext("define").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(Delete("Locked"));
  CloseHandle(lock);
  EXPECT_TRUE(ReadAll(Ext("define")) == "define()" && !Installed("Locked"));
  EXPECT_NE(seam_.Texts().back().find("could not be copied"), std::string::npos);
  const modMain::InstalledExtension moved = Entry("Moved");
  Install({{"Moved", Ext("define")}});  // repointed after the model was read
  seam_.messages.clear();
  WriteAll(In("fr.lng"), "[frmMain]");
  for (const char* key : {"One", "Two", "Shared", "Own", "Lang"}) EXPECT_TRUE(Delete(key)) << key;
  seam_.answers = {IDYES};
  EXPECT_TRUE(modMain::DeleteExtension(nullptr, moved));
  Lines told = seam_.Texts();
  std::erase_if(told, [](const std::string& text) { return text.rfind("Are you sure", 0) == 0; });
  const std::string kept = "\r\n\r\nThe file was kept because it is ";
  EXPECT_EQ(told, (Lines{"The extension [ Shared ] has been deleted, but not its file\r\n" + (pack_ / "shared.htm") + kept +
                             "also the file of [ Sharer ].",
                         "The extension [ Own ] has been deleted, but not its file\r\n" + In("NIMO.ini") + kept +
                             "one of this program's own files or backups.",
                         "The extension [ Lang ] has been deleted, but not its file\r\n" + In("fr.lng") + kept +
                             "one of this program's own files or backups."}));
  EXPECT_EQ(Files(In("Ext_Backup")), (std::set<std::string>{"tool.htm", "tool (2).htm", "define.htm"}));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\tool.htm")) + ReadAll(In("Ext_Backup\\tool (2).htm")), "A\\tool.htmB\\tool.htm");
  for (const char* gone : {"A\\tool.htm", "B\\tool.htm", "Lookup\\define.htm"}) EXPECT_FALSE(Exists(pack_ / gone)) << gone;
  EXPECT_TRUE(Exists(pack_ / "shared.htm") && Exists(Ext("translate")));
  EXPECT_EQ(Model().Installed.size(), 1u);  // Sharer
}

// Contexts in decimal, written only when changed; a case-only rename is done in place.
TEST_F(Modify, ApplyRefusesWhatItCannotWriteAndWritesOnlyWhatWasEdited) {
  Add("Google", In("luGoogle.htm"));
  Add("Bing", In("luBing.htm"));
  WriteAll(In("de.lng"), "[frmModify]\r\nlblOK=Anwenden\r\nlblPath=Speicherort:\r\n");
  modSettings::WriteINI("", "Settings", "Lang", In("de.lng"));
  Open("Google");
  const RECT path = dialog_.lblPath.RectInParent();
  EXPECT_TRUE(dialog_.lblOK.Text() == "Anwenden" && path.right - path.left >= dialog_.lblPath.TextSize().cx);
  EXPECT_LT(path.right, dialog_.txtPath.RectInParent().left);
  const std::vector<std::pair<const win::CWindow*, const char*>> refused{
      {&dialog_.txtName, ""}, {&dialog_.txtName, " & "}, {&dialog_.txtName, "Web\\Search"}, {&dialog_.txtName, "BING"},
      {&dialog_.txtContexts, "2A"}, {&dialog_.txtContexts, "4294967296"}, {&dialog_.txtContexts, "1 2"}};
  for (const auto& [box, text] : refused) {
    Open("Google");
    box->SetText(text);
    Apply();
    EXPECT_TRUE(dialog_.Loaded()) << text;
  }
  EXPECT_EQ(seam_.messages.size(), refused.size());
  RegSetString(HKCU, Key("Plain"), "", In("a.htm"));
  const std::string longPath = In(std::string(300, 'x') + ".htm");
  RegSetString(HKCU, Key("Long"), "", longPath);
  RegSetString(HKCU, Key("Expand"), "", "%TEMP%\\e.htm", REG_EXPAND_SZ);
  const struct { const char *name, *shown, *typed, *pasted; RegValue after; } cases[] = {
      {"Google", "34", nullptr, nullptr, int32_t{34}},  // listed as 22
      {"Google", "34", "1x6", nullptr, int32_t{16}},
      {"Google", "16", "16", nullptr, int32_t{16}},  // typed back as shown
      {"Google", "16", "\b", nullptr, int32_t{16}},  // an empty box writes nothing
      {"Google", "16", nullptr, "-1", int32_t{-1}},
      {"Google", "4294967295", "4294967294", nullptr, int32_t{-2}},
      {"Plain", "None", nullptr, "NONE", std::string("NULL")},  // still no value
      {"Long", "None", nullptr, nullptr, std::string("NULL")},
      {"Expand", "None", nullptr, nullptr, std::string("NULL")},
  };
  for (const auto& c : cases) {
    Open(c.name);
    EXPECT_EQ(dialog_.txtContexts.Text(), c.shown);
    if (c.typed) Type(dialog_.txtContexts, c.typed);
    if (c.pasted) dialog_.txtContexts.SetText(c.pasted);
    Apply();
    EXPECT_EQ(Value(c.name, "Contexts"), c.after) << c.name << " " << (c.typed ? c.typed : c.pasted ? c.pasted : "");
  }
  EXPECT_EQ(Value("Long", ""), RegValue(longPath));  // listed as "Not Found"
  DWORD type = 0;
  RegGetValueA(HKCU, Key("Expand").c_str(), "", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  Open("Long");
  Type(dialog_.txtPath, "C:\\new.htm");
  Apply();
  EXPECT_EQ(Value("Long", ""), RegValue("C:\\new.htm"));
  RegSetDword(HKCU, Key("Plain"), "Contexts", 0x61);
  Open("Plain");
  std::string ticked;
  for (const win::CWindow& box : dialog_.chkContext) ticked += box.Send(BM_GETCHECK) == BST_CHECKED ? '1' : '0';
  EXPECT_EQ(ticked, "100001");  // 0x40 has no box
  Open("Google");
  Type(dialog_.txtName, "GOOGLE");
  Type(dialog_.txtContexts, "16");
  Apply();
  EXPECT_EQ(Keys(), (std::set<std::string>{"Google", "Bing", "Plain", "Long", "Expand"}));
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{16}));
  Open("Google");
  modSettings::WriteINI("", "Settings", "PropertiesPrompt", "1");
  dialog_.lblOK_Click();
  EXPECT_TRUE(seam_.commands.empty() && seam_.messages.size() == refused.size() && !dialog_.Loaded());
  EXPECT_EQ(applied_, std::vector<bool>(7, false));
}

// A failed backup or import keeps the old key; a rename carries every value, whatever the path box says.
TEST_F(Modify, ARenameMovesTheKeyWithAllItsValuesOrKeepsTheOldKey) {
  Add("Google", In("luGoogle.htm"));
  RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\Google.ico", REG_EXPAND_SZ);
  RegSetRaw(HKCU, Key("Google"), "Lines", REG_MULTI_SZ, std::string("Google\0two\0\0", 12));
  RegSetString(HKCU, Key("Google"), "Say \"hi\\", "line\r\nbreak \"q\" C:\\");
  RegSetRaw(HKCU, Key("Google"), "Unended", REG_SZ, "no NUL\n");
  const struct { const char* said; int drop; DWORD exitCode; size_t files; } cases[] = {
      {"has subkeys", 0, 0, 0}, {"could not be backed up", 0, 1, 0}, {"did not create the new key", 1, 0, 2}};
  for (const auto& c : cases) {
    const bool subkey = &c == cases;
    seam_.messages.clear();
    seam_.drop = c.drop;
    seam_.exitCode = c.exitCode;
    if (subkey) RegCreate(HKCU, Key("Google\\Sub"));
    Open("Google");
    Type(dialog_.txtName, "Bing");
    Apply();
    EXPECT_EQ(dialog_.Loaded(), subkey) << c.said;
    EXPECT_TRUE(Keys() == std::set<std::string>{"Google"} && Value("Google", "Contexts") == RegValue(int32_t{34}));
    ASSERT_EQ(seam_.messages.size(), 1u) << c.said;
    EXPECT_NE(seam_.Texts()[0].find(c.said), std::string::npos) << seam_.Texts()[0];
    EXPECT_EQ(Files(In("Reg_Backup")).size(), c.files) << c.said;
    EXPECT_EQ(seam_.commands.empty(), subkey) << c.said;  // nothing run for the subkey
    if (subkey) RegDeleteTree(HKCU, Key("Google\\Sub"));
  }
  const std::string earlier = ReadAll(In("Reg_Backup\\Bing (2).reg"));
  seam_.messages.clear();
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Type(dialog_.txtPath, "C:\\ignored.htm");
  bool oneOperation = true;  // no other command may run between the change and its reload
  seam_.during = [&] { oneOperation = oneOperation && modMain::OperationRunning(); };
  Apply();
  seam_.during = nullptr;
  EXPECT_TRUE(oneOperation);
  EXPECT_EQ(Keys(), std::set<std::string>{"Bing"});
  for (const auto& [name, value] : std::vector<std::pair<std::string, RegValue>>{
           {"", In("luGoogle.htm")}, {"Contexts", int32_t{34}}, {"Icon", std::string("%TEMP%\\Google.ico")},
           {"Lines", std::string("Google\0two", 10)}, {"Say \"hi\\", std::string("line\r\nbreak \"q\" C:\\")},
           {"Unended", std::string("no NUL\n")}})
    EXPECT_EQ(Value("Bing", name), value) << name;
  EXPECT_EQ(ReadAll(In("Reg_Backup\\Bing (2).reg")), earlier);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Bing (3).reg"), kFull + "Google"));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Bing (4).reg"), kFull + "Bing"));
  EXPECT_TRUE(applied_.back() && seam_.messages.empty());
  // A name that only a language's rules take for the old one is another name.
  for (const char* name : {"Strasse", "Stra\xDF" "e"}) {  // in code page 1252
    Open(*Keys().begin());
    Type(dialog_.txtName, name);
    Apply();
  }
  EXPECT_EQ(Keys(), std::set<std::string>{"Stra\xDF" "e"});
}

class OperationsWindow : public Operations {
 protected:
  void SetUp() override {
    Operations::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(main_.Create());
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }
  Program program_;
  frmMain& main_ = program_.Main();
};

// Names sort as the browser's menu shows them; nothing else starts while the editor runs.
TEST_F(OperationsWindow, CommandsActOnTheSelectedRowOneAtATimeAndReloadBothLists) {
  Install({{"&Translate", Ext("translate")}, {"Search", In("search.htm")}});
  main_.Command(IDM_mnuInstalled);
  main_.lvwInstalled.SortBy(0, false);
  EXPECT_TRUE(Row(main_.lvwInstalled, "Search") == 0 && Row(main_.lvwInstalled, "Translate") == 1);
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
  main_.lvwInstalled.Select(Row(main_.lvwInstalled, "Translate"));
  main_.Command(IDM_mnuDisable);
  UntilRead(main_);  // the lists are read again in the background
  EXPECT_TRUE(launches == 1 && !enabled && !started && IsWindowEnabled(main_.Handle()));
  EXPECT_TRUE(!Installed("&Translate") && !Installed("Define"));
  EXPECT_TRUE(Row(main_.lvwInstalled, "Translate") < 0 && Row(main_.lvwAvailable, "Translate") >= 0);
  if (GetACP() != 1252) return;
  // Refused before the dialog, whose modal loop would end on the quit posted first.
  SetMenuExtKeyW(kCyrillic, Ext("translate"));
  main_.LoadExtensionInfo();
  main_.lvwInstalled.Select(Row(main_.lvwInstalled, "??????" + std::string(modReg::kOutsideCodePageMark)));
  PostQuitMessage(0);
  main_.Command(IDM_mnuModify);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.Texts()[0].find("code page cannot hold"), std::string::npos);
}

// Also when the registry editor asks for elevation: tried once, then all in-process, unasked.
class RestoreWithOrWithoutTheEditor : public OperationsWindow, public ::testing::WithParamInterface<DWORD> {};
INSTANTIATE_TEST_SUITE_P(Editor, RestoreWithOrWithoutTheEditor, ::testing::Values(DWORD{0}, modReg::kElevationRequired));
TEST_P(RestoreWithOrWithoutTheEditor, RestoreUndoesEachOperationAndRefusesAFileThatIsNoBackup) {
  seam_.launchError = GetParam();
  WriteAll(pack_ / "Lookup\\google.htm", "google()");
  Install({{"Google", pack_ / "Lookup\\google.htm"}});
  seam_.files = {Reg("define")};
  EXPECT_TRUE(Enable("&Translate", {IDYES, IDYES}) && modMain::ImportChosenFile(nullptr));
  EXPECT_TRUE(Value("&Translate", "") == RegValue(Ext("translate")) && Value("Define", "") == RegValue(Ext("define")) &&
              Files(In("Reg_Backup")).size() == 2u);  // the two MenuExt backups
  const std::string junk = In("Reg_Backup\\junk.reg");
  EXPECT_TRUE(Disable("&Translate") && Delete("Define"));
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Apply();
  ASSERT_TRUE(!Installed("Google") && Installed("Bing") && !Exists(Ext("define")));
  WriteAll(Ext("define"), "another file");
  WriteAll(junk, "not a registry file");
  seam_.messages.clear();

  frmRestore window;
  int restored = 0;  // the window's call to have the lists read again
  ASSERT_TRUE(window.Load(main_.Handle(), [&] {
    ++restored;
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }));
  win::CListView& list = window.lvwBackups;
  const auto select = [&](int column, const std::string& text) {
    list.Select(-1);
    for (int row = list.Count() - 1; row >= 0; --row)
      if (list.Cell(row, column) == text) list.Select(row);
    const int at = list.Selected();
    return at >= 0 ? list.Cell(at, 1) + " | " + list.Cell(at, 2) + " | " + list.Cell(at, 3) : "none";
  };
  const auto restore = [&](std::deque<int> answers) {
    const size_t shown = seam_.messages.size();
    seam_.answers = std::move(answers);
    window.cmdRestore_Click();
    return seam_.messages.size() > shown ? seam_.messages[shown].text : "";  // the question
  };
  EXPECT_FALSE(Installed("&Translate") || Installed("Define"));
  EXPECT_EQ(select(1, "disable"), "disable | Translate | ");
  EXPECT_NE(restore({IDYES, IDOK}).find("\r\n" + kFull + "&Translate\r\n"), std::string::npos);
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_TRUE(Row(main_.lvwInstalled, "Translate") >= 0 && Row(main_.lvwAvailable, "Translate") < 0);  // both reloaded

  // Another file in the page's place: No keeps it, Yes moves it to Ext_Backup.
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
  EXPECT_EQ(Value("Google", ""), RegValue(pack_ / "Lookup\\google.htm"));
  EXPECT_NE(select(2, "Bing"), "none");  // the name it took away is a backup in its turn

  EXPECT_NE(select(4, "junk.reg").find(" | Not a registry file: "), std::string::npos);
  const size_t commands = seam_.commands.size();
  EXPECT_NE(restore({IDOK}).find("is not a registry file that can be restored"), std::string::npos);
  EXPECT_TRUE(seam_.commands.size() == commands && seam_.unanswered == 0);
  EXPECT_EQ(restored, 4);
  if (GetParam()) EXPECT_EQ(commands, 1u);  // the editor tried once
  EXPECT_EQ(Logged("Imported [ " + Reg("define") + " ] in-process"), GetParam() != 0);
}

// Only the newest automatic copy shows unless asked; several rows go after one question.
TEST_F(OperationsWindow, RestoreHidesOlderAutomaticCopiesAndDeletesSeveralRowsAtOnce) {
  CreateDirectoryA(In("Reg_Backup").c_str(), nullptr);
  ULARGE_INTEGER now{};
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
  for (ULONGLONG i = 0; i < 4; ++i) {  // minutes apart, oldest first: three whole copies, then one key's
    const std::string file = In("Reg_Backup\\" + (i < 3 ? "05-12-26_13051" + std::to_string(i) : std::string("A")) + ".reg");
    WriteAll(file, "REGEDIT4\r\n\r\n" + (i < 3 ? "[" + std::string(modReg::kMenuExtFull) + "]\r\n" : "") + "[" + kFull + "A]\r\n");
    const ULONGLONG made = now.QuadPart - (10 - i) * 600000000ULL;
    HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, nullptr, nullptr, reinterpret_cast<const FILETIME*>(&made));
    CloseHandle(handle);
  }
  WriteAll(In("Reg_Backup\\writing.reg"), "");  // the registry editor has only just begun it
  frmRestore window;
  ASSERT_TRUE(window.Load(main_.Handle(), nullptr));
  ShowWindow(window.Handle(), SW_SHOW);
  win::CListView& list = window.lvwBackups;
  const auto rows = [&](int automatic) {
    window.chkAutomatic.Send(BM_SETCHECK, automatic);
    window.chkAutomatic_Click();
    std::string shown;
    for (int row = 0; row < list.Count(); ++row) shown += list.Cell(row, 4) + " " + list.Cell(row, 1) + "|";
    return shown;
  };
  EXPECT_EQ(rows(BST_UNCHECKED), "writing.reg backup|A.reg backup|05-12-26_130512.reg automatic|");
  EXPECT_EQ(list.Cell(0, 2), "Still being written");
  rows(BST_CHECKED);
  ASSERT_EQ(list.Count(), 5);
  list.Select(2);
  ListView_SetItemState(list.Handle(), 3, LVIS_SELECTED, LVIS_SELECTED);
  seam_.answers = {IDYES};
  window.cmdDelete_Click();
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_TRUE(seam_.messages[0].type == kAskNo && seam_.messages[0].text.rfind("Delete these 2 backups?", 0) == 0);
  EXPECT_TRUE(list.Count() == 3 && list.Selected() == 2 && GetFocus() == list.Handle());
  EXPECT_EQ(rows(BST_UNCHECKED), "writing.reg backup|A.reg backup|05-12-26_130510.reg automatic|");
}

class Wizard : public OperationsWindow {
 protected:
  void SetUp() override {
    OperationsWindow::SetUp();
    if (HasFatalFailure()) return;
    for (const char* key : {"InstallPrompt", "UseClassic"}) modSettings::WriteINI("", "Settings", key, "0");
    main_.ShowWizard();
    ASSERT_NE(main_.Wizard(), nullptr);
    UntilRead(main_);
  }
  std::string Counts() {
    frmNIMOWizard& w = *main_.Wizard();
    return w.lblInstalledCount.Text() + (IsWindowEnabled(w.lblDisable.Handle()) ? " <<, " : ", ") +
           w.lblAvailableCount.Text() + (IsWindowEnabled(w.lblInstall.Handle()) ? " >>" : "");
  }
};

// Cancel at Finish stays (ClearLog has deleted the log); the close box ends the program unasked.
TEST_F(Wizard, FinishAsksAboutTheNextStartAndTheWizardComesBackOnItsWelcomePage) {
  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  EXPECT_EQ(Counts(), "0 Extensions installed, 2 Extensions available >>");
  for (auto [answer, stored] : {std::pair{IDCANCEL, "0"}, std::pair{IDNO, "1"}}) {
    SCOPED_TRACE(answer);
    frmNIMOWizard& w = *main_.Wizard();
    if (answer == IDNO) {
      w.lvwAvailable.Select(Row(w.lvwAvailable, "Define"));
      w.lblInstall_Click();
      UntilRead(main_);
    }
    modMain::WriteLog("something");
    w.lblProceed.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));  // a click on "Next >>"
    w.lblProceed.Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(w.lvwAvailable.IsVisible());
    seam_.answers = {answer};
    w.SetChecked(true);
    w.lblFinish_Click();
    ASSERT_EQ(seam_.messages.size(), answer == IDCANCEL ? 1u : 2u);
    EXPECT_EQ(seam_.messages.back().text, "Would you like to use this wizard the next time you load Zandor Extension Pack?");
    EXPECT_EQ(seam_.messages.back().buttons(), static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(Ini("Settings", "UseClassic"), stored);
    EXPECT_TRUE(!main_.Unloaded() && main_.IsVisible() == (answer != IDCANCEL));
    if (answer == IDCANCEL) {
      ASSERT_TRUE(main_.Wizard() == &w && !Exists(In("Logs\\applog.log")));
      EXPECT_TRUE(!w.Checked() && w.lblProceed.IsVisible() && !w.lblFinish.IsVisible() && w.lvwAvailable.IsVisible());
      continue;
    }
    EXPECT_TRUE(!main_.Wizard() && Row(main_.lvwInstalled, "Define") >= 0 && Row(main_.lvwAvailable, "Define") == -1);
  }
  Install({{"&Translate", Ext("translate")}});
  main_.Command(IDM_mnuSwitchToWizard);
  ASSERT_NE(main_.Wizard(), nullptr);
  UntilRead(main_);
  frmNIMOWizard& w = *main_.Wizard();
  EXPECT_TRUE(w.IsVisible() && !main_.IsVisible());
  EXPECT_EQ(Counts(), "2 Extensions installed <<, 0 Extensions available");
  EXPECT_TRUE(!w.Checked() && w.lblProceed.IsVisible() && !w.lblFinish.IsVisible());
  w.SetChecked(true);
  EXPECT_TRUE(w.lblFinish.IsVisible() && !w.lblProceed.IsVisible());
  seam_.messages.clear();
  w.Send(WM_CLOSE);
  EXPECT_TRUE(seam_.messages.empty() && main_.Unloaded() && !main_.Wizard());
}

}  // namespace
