// The operations on the model's entries, with the real registry editor and a small pack.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "app/frmNIMOWizard.h"
#include "base/resource.h"
#include "inventory/Extensions.h"
#include "log/modLog.h"
#include "operations/modRegedit.h"
#include "registry/Pack.h"
#include "restore/frmRestore.h"

namespace {

using namespace testkit;

using Modify = Operations;

// Enabling asks whether the file was checked (No opens it) and fixes its header only then;
// unprompted, it still asks about a file that writes beyond MenuExt.
TEST_F(Operations, EnableAsksToCheckTheFileAndFixesItsHeaderOnlyThen) {
  WriteRegFile("translate", "&Translate", "Windows Registry Editor Version 5.00");
  const std::string v5 = ReadAll(Reg("translate"));
  EXPECT_FALSE(Enable("&Translate", {IDNO}));
  EXPECT_EQ(seam_.commands, Lines{"notepad " + Reg("translate")});
  EXPECT_EQ(ReadAll(Reg("translate")), v5);
  EXPECT_TRUE(Enable("&Translate", {IDYES, IDNO}));  // checked; no backup
  EXPECT_EQ(ReadAll(Reg("translate")).rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_EQ(Value("&Translate", ""), RegValue(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  EXPECT_EQ(seam_.messages.size(), 3u);
  EXPECT_EQ(seam_.commands.size(), 2u);  // notepad and the import
  modSettings::WriteINI("", "Settings", "InstallPrompt", "0");
  WriteAll(Reg("define"), ReadAll(Reg("define")) + "\r\n[-HKEY_CURRENT_USER\\Software\\NIMO Test Scratch]\r\n");
  EXPECT_FALSE(Enable("Define", {IDNO}));
  EXPECT_EQ(seam_.messages.back().type, kAskNo);
  EXPECT_FALSE(Installed("Define"));
}

// "&Foo" and "Foo" share a backup name; "Q\"x" sits beside "Qx".
TEST_F(Operations, EveryDisableKeepsABackupOfItsOwnKey) {
  Install({{"&Foo", Ext("translate")}, {"Foo", Ext("translate")}, {"Q\"x", Ext("translate")}, {"Qx", Ext("define")}});
  for (const char* name : {"&Foo", "Foo", "Q\"x"}) EXPECT_TRUE(Disable(name)) << name;
  EXPECT_EQ(Keys(), std::set<std::string>{"Qx"});
  const std::string backups = In("Reg_Backup\\");
  EXPECT_EQ(Files(backups), (std::set<std::string>{"Foo.reg", "Foo (2).reg", "Q_x.reg"}));
  EXPECT_TRUE(HoldsKey(backups + "Foo.reg", kFull + "&Foo"));
  EXPECT_TRUE(HoldsKey(backups + "Foo (2).reg", kFull + "Foo"));
  EXPECT_TRUE(HoldsKey(backups + "Q_x.reg", kFull + "Q\"x"));
  EXPECT_FALSE(HoldsKey(backups + "Q_x.reg", kFull + "Qx"));
  EXPECT_TRUE(seam_.messages.empty());
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
  seam_.afterLaunch = [](const std::string& command) {
    const size_t open = command.find('"') + 1;
    const std::string file = command.substr(open, command.find('"', open) - open);
    if (command.rfind("regedit /e", 0) == 0) WriteAll(file, ReadAll(file).substr(0, 65536));
  };
  EXPECT_FALSE(Delete("&Translate"));
  EXPECT_NE(seam_.Texts().back().find("could not be backed up: the file written"), std::string::npos);
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_TRUE(Exists(Ext("translate")));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
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
  EXPECT_EQ(Keys(), std::set<std::string>{"Victim"});
  EXPECT_FALSE(RegKeyExists(HKCU, scratch + "\\Run"));
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));
  EXPECT_EQ(Keys(), std::set<std::string>{"New"});
  EXPECT_TRUE(RegKeyExists(HKCU, scratch + "\\Run"));
  const std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kFull + "Victim"));  // the import can be undone
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_EQ(seam_.messages[0].type, kAskNo);
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
  EXPECT_FALSE(modMain::DisableExtension(nullptr, *marked));
  EXPECT_FALSE(modMain::DeleteExtension(nullptr, *marked));
  modMain::ExportSelected(nullptr, *marked);
  EXPECT_FALSE(modMain::CheckExtension(nullptr, *marked));
  EXPECT_EQ(seam_.Texts(), Lines(4, "The registry key of [ " + lookalike + mark + " ] has a name with characters that this "
                                    "system's code page cannot hold, so the program cannot name that key exactly.\r\n\r\n"
                                    "Nothing was exported, renamed or deleted."));
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_TRUE(seam_.fileDialogs.empty());
  seam_.messages.clear();
  EXPECT_TRUE(Disable(lookalike));
  EXPECT_TRUE(Disable(longName));
  EXPECT_TRUE(seam_.messages.empty());
  EXPECT_EQ(Keys(), std::set<std::string>{lookalike});  // the name outside the code page
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\______.reg"), kFull + lookalike));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + longName.substr(0, 200) + ".reg"), kFull + longName));
}

// Delete answered No does nothing; it keeps a file it could not copy, and removes only a
// plain file of the extension's own.
TEST_F(Operations, DeleteRemovesOnlyTheExtensionsOwnFile) {
  for (const char* folder : {"A", "B"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "B\\tool.htm", "shared.htm"}) WriteAll(pack_ / file, file);
  Install({{"One", pack_.path() + "/A/tool.htm"},
           {"Two", pack_ / "A\\z/../../B/tool.htm"},  // the old copy left Ext_Backup
           {"Shared", pack_ / "shared.htm"}, {"Sharer", pack_ / "SHARED.HTM"},
           {"Own", In("Reg_Backup") + "/../NIMO.ini"}, {"Lang", In("fr.lng")},
           {"Moved", Ext("translate")}, {"Locked", Ext("define")}});
  EXPECT_FALSE(Delete("One", {IDNO}));
  EXPECT_TRUE(Installed("One"));
  EXPECT_TRUE(Files(In("Reg_Backup")).empty());
  HANDLE lock = CreateFileA(Ext("define").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(Delete("Locked"));
  CloseHandle(lock);
  EXPECT_EQ(ReadAll(Ext("define")), "define()");
  EXPECT_FALSE(Installed("Locked"));
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
  EXPECT_TRUE(Exists(pack_ / "shared.htm"));
  EXPECT_TRUE(Exists(Ext("translate")));
  EXPECT_EQ(Keys(), std::set<std::string>{"Sharer"});
}

// Contexts in decimal, written only when changed; a case-only rename is done in place.
TEST_F(Modify, ApplyRefusesWhatItCannotWriteAndWritesOnlyWhatWasEdited) {
  Add("Google", In("luGoogle.htm"));
  Add("Bing", In("luBing.htm"));
  WriteAll(In("de.lng"), "[frmModify]\r\nlblOK=Anwenden\r\nlblPath=Speicherort:\r\n");
  modSettings::WriteINI("", "Settings", "Lang", In("de.lng"));
  Open("Google");
  const RECT path = dialog_.lblPath.RectInParent();
  EXPECT_GE(path.right - path.left, dialog_.lblPath.TextSize().cx);
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
      {"Google", "16", nullptr, "-1", int32_t{-1}}, {"Google", "4294967295", "4294967294", nullptr, int32_t{-2}},
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
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_EQ(seam_.messages.size(), refused.size());
  EXPECT_FALSE(dialog_.Loaded());
  EXPECT_EQ(applied_, std::vector<bool>(7, false));
}

// A failed backup, or an import that leaves out a value, keeps the old key; a rename carries
// every value, whatever the path box says.
TEST_F(Modify, ARenameMovesTheKeyWithAllItsValuesOrKeepsTheOldKey) {
  Add("Google", In("luGoogle.htm"));
  RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\Google.ico", REG_EXPAND_SZ);
  RegSetRaw(HKCU, Key("Google"), "Lines", REG_MULTI_SZ, std::string("Google\0two\0\0", 12));
  RegSetString(HKCU, Key("Google"), "Say \"hi\\", "line\r\nbreak \"q\" C:\\");
  RegSetRaw(HKCU, Key("Google"), "Unended", REG_SZ, "no NUL\n");
  const struct { const char* said; int drop; DWORD exitCode; size_t files; const char* leftOut; } cases[] = {
      {"has subkeys", 0, 0, 0, ""}, {"could not be backed up", 0, 1, 0, ""}, {"did not create the new key", 1, 0, 2, ""},
      {"did not create the new key with all its values", 0, 0, 4, "Lines"}};
  for (const auto& c : cases) {
    const bool subkey = &c == cases;
    seam_.messages.clear();
    seam_.drop = c.drop;
    seam_.exitCode = c.exitCode;
    seam_.afterLaunch = [&](const std::string& command) {
      if (*c.leftOut && command.rfind("regedit /s", 0) == 0) RegDeleteKeyValueA(HKCU, Key("Bing").c_str(), c.leftOut);
    };
    if (subkey) RegCreate(HKCU, Key("Google\\Sub"));
    Open("Google");
    Type(dialog_.txtName, "Bing");
    Apply();
    EXPECT_EQ(dialog_.Loaded(), subkey) << c.said;
    EXPECT_EQ(Keys(), std::set<std::string>{"Google"}) << c.said;
    EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34})) << c.said;
    ASSERT_EQ(seam_.messages.size(), 1u) << c.said;
    EXPECT_NE(seam_.Texts()[0].find(c.said), std::string::npos) << seam_.Texts()[0];
    EXPECT_EQ(Files(In("Reg_Backup")).size(), c.files) << c.said;
    EXPECT_EQ(seam_.commands.empty(), subkey) << c.said;  // nothing run for the subkey
    if (subkey) RegDeleteTree(HKCU, Key("Google\\Sub"));
  }
  seam_.afterLaunch = nullptr;
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
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Bing (5).reg"), kFull + "Google"));
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Bing (6).reg"), kFull + "Bing"));
  EXPECT_TRUE(applied_.back());
  EXPECT_TRUE(seam_.messages.empty());
  // A name that only a language's rules take for the old one is another name.
  for (const char* name : {"Strasse", "Stra\xDF" "e"}) {  // in code page 1252
    Open(*Keys().begin());
    Type(dialog_.txtName, name);
    Apply();
  }
  EXPECT_EQ(Keys(), std::set<std::string>{"Stra\xDF" "e"});
}

// Names sort as the browser's menu shows them; nothing else starts while the editor runs.
TEST_F(OperationsWindow, CommandsActOnTheSelectedRowOneAtATimeAndReloadBothLists) {
  Install({{"&Translate", Ext("translate")}, {"Search", In("search.htm")}});
  main_.Command(IDM_mnuInstalled);
  main_.lvwInstalled.SortBy(0, false);
  EXPECT_EQ(Row(main_.lvwInstalled, "Search"), 0);
  EXPECT_EQ(Row(main_.lvwInstalled, "Translate"), 1);
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
  EXPECT_EQ(launches, 1);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(started);
  EXPECT_TRUE(IsWindowEnabled(main_.Handle()));
  EXPECT_EQ(Keys(), std::set<std::string>{"Search"});
  EXPECT_LT(Row(main_.lvwInstalled, "Translate"), 0);
  EXPECT_GE(Row(main_.lvwAvailable, "Translate"), 0);
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
}  // namespace
