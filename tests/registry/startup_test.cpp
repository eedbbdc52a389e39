// The main window's start-up, in-process and hidden; the language files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <tuple>

#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmNIMOWizard.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "restore/Backups.h"
#include "restore/frmRestore.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"

namespace {

using namespace testkit;

using Startup = testkit::ProgramStartTest;

// Every value of the settings file, as "section/key=value".
std::set<std::string> AllSettings() {
  std::string sections(4096, '\0');
  sections.resize(GetPrivateProfileSectionNamesA(sections.data(), 4096, modSettings::SettingsFile().c_str()));
  std::set<std::string> all;
  for (size_t at = 0; at < sections.size(); at += lstrlenA(sections.c_str() + at) + 1)
    for (const auto& [key, value] : modSettings::ReadSection(modMain::kTitle, sections.c_str() + at))
      all.insert(sections.c_str() + at + ("/" + key) + "=" + value);
  return all;
}

// The first start writes seven settings; the catalog is replaced only on another version, and
// one that cannot be keeps the old version.
TEST_F(Startup, SettingsMarksAndTheCatalogVersion) {
  auto marked = [&] {
    std::set<UINT> on;
    for (UINT id : {IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties, IDM_mnuPromptInstall, IDM_mnuStartupWizard,
                    IDM_mnuStartupAvailable, IDM_mnuStartupInstalled, IDM_mnuClearLog, IDM_mnuAppLogDisable})
      if (main_->menu.IsChecked(id)) on.insert(id);
    return on;
  };
  testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(testkit::Files(In("Reg_Backup")).empty());
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_TRUE(seam_.messages.empty());
  EXPECT_EQ(AllSettings(), (std::set<std::string>{
                               "Settings/Ver=1.2.3", "Settings/UseClassic=0", "Settings/Lang=" + In("en.lng"),
                               "Paths/NIMO_Location=" + pack_.path() + "\\", "Paths/NIMO_Reg_Files=" + pack_ / "Reg_Files",
                               "Paths/Registry_Backup=" + In("Reg_Backup\\"), "Paths/Extension_Backup=" + In("Ext_Backup\\")}));
  for (const char* made : {"Ext_Backup", "NIMO_Ext.ini"}) EXPECT_TRUE(testkit::Exists(In(made))) << made;
  EXPECT_EQ(marked(), (std::set<UINT>{IDM_mnuRegBackup, IDM_mnuPromptContext, IDM_mnuPromptProperties,
                                      IDM_mnuPromptInstall, IDM_mnuStartupWizard}));
  EXPECT_EQ(modMain::CurrentView, modMain::View::Available);
  program_.reset();

  testkit::WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  for (const auto& [section, key, value] :
       {std::tuple{"Settings", "RMEK_Backup", "0"}, {"Settings", "ContextPrompt", "0"}, {"Settings", "PropertiesPrompt", "0"},
        {"Settings", "InstallPrompt", "0"}, {"Settings", "UseClassic", "2"}, {"Settings", "DisableLog", "1"},
        {"Shutdown", "ClearLog", "1"}, {"Startup", "Mode", "0"}})
    modSettings::WriteINI("", section, key, value);
  testkit::RegSetString(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\Mine", "", "C:\\b");
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), "[Available_Extensions]\r\nMine=a;b;c;d\r\n");
  EXPECT_EQ(marked(), (std::set<UINT>{IDM_mnuStartupWizard, IDM_mnuClearLog, IDM_mnuAppLogDisable}));
  EXPECT_NE(main_->Wizard(), nullptr);  // UseClassic "2" is not "1"
  program_.reset();
  modSettings::WriteINI("", "Settings", "UseClassic", "1");
  ASSERT_TRUE(Start());
  EXPECT_EQ(main_->lvwAvailable.Count(), 0);  // the hidden list follows what is installed, read after it
  program_.reset();

  modSettings::WriteINI("", "Settings", "Ver", "1.2.2");
  testkit::WriteAll(In("NIMO_Ext.ini"), "[Other]\r\n" + std::string(20000, 'x'));  // longer than the built-in one
  HANDLE held = CreateFileA(In("NIMO_Ext.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Start());
  CloseHandle(held);
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.2");
  main_->Command(IDM_mnuRefresh);
  testkit::UntilRead(*main_);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(In("NIMO_Ext.ini")), std::string::npos) << seam_.messages[0].text;
  program_.reset();
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), modMain::ResourceBytes(IDR_CATALOG, "Custom"));
  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
}

// The window shows before MenuExt is read and, the read held between its batches, answers:
// it lays itself out, switches views, and refuses the commands on extensions, saying why.
// The background read logs what a read at once does; a close during it ends it cleanly.
TEST_F(Startup, TheWindowShowsFirstAndAnswersWhileTheReadIsHeld) {
  const long keys = 2 * static_cast<long>(modMain::kReadBatch) + 5;
  for (long i = 0; i < keys; ++i)
    RegSetString(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\E" + std::to_string(i), "", "C:\\x");
  for (const auto& [section, key, value] :
       {std::tuple{"Settings", "UseClassic", "1"}, {"Startup", "Mode", "0"}, {"Settings", "RMEK_Backup", "0"}})
    modSettings::WriteINI("", section, key, value);
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  seam_.betweenBatches = [go] { WaitForSingleObject(go, INFINITE); };
  ASSERT_TRUE(Start("", true));
  EXPECT_TRUE(main_->IsVisible());
  Until([&] { return main_->lvwInstalled.Count() == static_cast<int>(modMain::kReadBatch); });
  const RECT before = main_->lvwInstalled.RectInParent(), window = main_->WindowRect();
  SetWindowPos(main_->Handle(), nullptr, 0, 0, window.right - window.left + 40, window.bottom - window.top,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(main_->lvwInstalled.RectInParent().right, before.right + 40);
  for (UINT id : {IDM_mnuDelete, IDM_mnuRefresh, IDM_mnuExAll}) EXPECT_FALSE(main_->Command(id)) << id;
  EXPECT_TRUE(main_->Command(IDM_mnuAvailable));
  EXPECT_TRUE(main_->lvwAvailable.IsVisible());
  EXPECT_EQ(main_->Text() + "|" + main_->ctlSBar.Text(),
            std::string(modMain::kTitle) + "|Reading " + std::to_string(modMain::kReadBatch) + " of " +
                std::to_string(keys) + " extensions ... (the commands on extensions wait for the whole list)");
  SetEvent(go);
  UntilRead(*main_);
  EXPECT_EQ(main_->lvwInstalled.Count(), keys);
  EXPECT_EQ(main_->ctlSBar.Text(), "47 extensions available");
  const std::vector<std::string> started = LogMessages();
  const auto from = std::find(started.begin(), started.end(), "Loading installed extensions");
  const auto to = std::find(from, started.end(), "Extension information loaded");
  modMain::DeleteLog();
  EXPECT_TRUE(main_->Command(IDM_mnuInstalled));  // the same read at once
  EXPECT_EQ(std::vector<std::string>(from + 1, to), LogMessages());
  program_.reset();

  ResetEvent(go);
  modMain::DeleteLog();
  WritePrivateProfileStringA("Startup", "Mode", nullptr, modSettings::SettingsFile().c_str());
  ASSERT_TRUE(Start("", true));
  Until([&] { return main_->lvwInstalled.Count() > 0; });
  EXPECT_TRUE(main_->lvwAvailable.IsVisible());  // no start mode: the available list, from the first paint
  PostMessageA(main_->Handle(), WM_CLOSE, 0, 0);
  SetEvent(go);  // the read goes on only once the close is in the queue
  Until([&] { return main_->Unloaded(); });
  program_.reset();
  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), std::to_string(keys) + " extensions found"), 0);
  EXPECT_EQ(log.back().rfind("Extracting [ ", 0), 0u) << log.back();  // the first batch's, and nothing after

  // The copy of MenuExt, held after the read like it, the commands waiting: written by the program from what was
  // read, byte for byte what the editor writes. The wizard's language lines follow the reads' lines, as ever.
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "1"), modSettings::WriteINI("", "Settings", "UseClassic", "0");
  const std::string e0 = std::string(modReg::kMenuExtPath) + "\\E0", full = modReg::kMenuExtFull, z(1, '\0');
  for (const auto& [name, type, data] : {std::tuple{"multi", REG_MULTI_SZ, "a" + z + "b" + z + z}, {"bytes", REG_BINARY, std::string(90, '\x7f')},
                                         {"expand", REG_EXPAND_SZ, "%TEMP%" + z}, {"qword", REG_QWORD, std::string(8, '\x01')}})
    testkit::RegSetRaw(HKEY_CURRENT_USER, e0, name, type, data);
  seam_.passThrough = {"regedit"};
  modMain::SetClockOverride(SYSTEMTIME{2026, 12, 6, 5, 13, 5, 9, 0});
  ResetEvent(go);
  HANDLE wizardHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> calls{0};
  seam_.betweenBatches = [&] {  // the start's read, its copy; then the wizard's own read, after its first batch
    if (++calls == 3) WaitForSingleObject(go, INFINITE);
    if (calls == 4) WaitForSingleObject(wizardHeld, INFINITE);
  };
  modMain::DeleteLog();
  ASSERT_TRUE(Start("", true));
  Until([&] { return calls == 3 && main_->lvwInstalled.Count() == keys; });
  EXPECT_FALSE(main_->Command(IDM_mnuDelete));
  EXPECT_TRUE(main_->Reading());
  SetEvent(go);
  Until([&] { return calls == 4; });
  win::DoEvents();
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lvwInstalled.Count(), static_cast<int>(modMain::kReadBatch));  // its first list fills as read
  SetEvent(wizardHeld);
  UntilRead(*main_);
  const std::vector<std::string> lines = LogMessages();
  const auto at = std::find(lines.begin(), lines.end(), "Exporting MenuExt registry key");
  ASSERT_GT(at - lines.begin(), 1);
  ASSERT_GT(lines.end() - at, 4);
  const std::string stem = In("Reg_Backup\\05-12-26_130509");
  EXPECT_EQ(std::vector<std::string>(at - 1, at + 5),
            (std::vector<std::string>{"[ C:\\x ] does not exist", *at, "Exporting [ " + full + " ] to [ " + stem + " ]",
                                      "Exported [ " + full + " ] to [ " + stem + ".reg ] in-process",
                                      "MenuExt registry key exported", "Extension information loaded"}));
  EXPECT_NE(std::find(at, lines.end(), "Loading language file"), lines.end());
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_TRUE(seam_.messages.empty());
  ASSERT_TRUE(modReg::RunRegedit(modReg::Regedit::ExportTo, full, In("theirs.reg")));
  EXPECT_EQ(ReadAll(stem + ".reg"), ReadAll(In("theirs.reg")));
  program_.reset();
  modMain::SetClockOverride(std::nullopt);
  CloseHandle(go);
  CloseHandle(wizardHeld);
}

// Neither a refused mutex nor a second instance clears the running one's log; a copy of the
// program in another folder is another instance.
TEST_F(Startup, CancelAtThePackQuestionOrAMutexThatCannotBeMadeEndsIt) {
  testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  seam_.answers = {IDCANCEL};
  EXPECT_FALSE(Start());
  EXPECT_TRUE(main_->Unloaded());
  EXPECT_EQ(LogMessages().back(), "User wishes to cancel, closing Zandor Extension Pack");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), "<none>");
  program_.reset();

  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  seam_.messages.clear();
  HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, frmMain::InstanceMutexName().c_str());
  ASSERT_NE(squatter, nullptr);
  EXPECT_FALSE(Start());
  CloseHandle(squatter);
  EXPECT_EQ(seam_.messages.size(), 1u);
  EXPECT_FALSE(testkit::Logged("Woops, someone tried to load an additional instance of me"));
  EXPECT_TRUE(testkit::Logged("Unable to create the single-instance mutex: " + modMain::SystemErrorText(ERROR_INVALID_HANDLE)));
  program_.reset();
  HANDLE first = CreateMutexA(nullptr, FALSE, frmMain::InstanceMutexName().c_str());
  EXPECT_FALSE(Start());
  CloseHandle(first);
  EXPECT_TRUE(testkit::Logged("Woops, someone tried to load an additional instance of me"));
  const std::string here = frmMain::InstanceMutexName();
  modMain::SetAppPathOverride(In("copy"));
  EXPECT_NE(frmMain::InstanceMutexName(), here);
}

// Said at start-up and again by the list's backup; nothing exported.
TEST_F(Startup, ABackupFolderThatCannotBeCreatedIsReportedAndStartupGoesOn) {
  modSettings::WriteINI("", "Paths", "Registry_Backup", In("missing\\deeper"));
  testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);  // a key to back up
  ASSERT_TRUE(Start());
  ASSERT_EQ(seam_.messages.size(), 2u);
  for (const auto& message : seam_.messages)
    EXPECT_NE(message.text.find(In("missing\\deeper") + "\\"), std::string::npos) << message.text;
  EXPECT_TRUE(seam_.commands.empty());
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("missing\\deeper"));  // stored value unchanged
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_TRUE(main_->Wizard()->IsVisible());
}

// Either view is found, the 32-bit one first, and the log names the view.
TEST_F(Startup, TheUninstallRecordIsReadFromThe32BitViewThenThe64BitView) {
  testkit::TempFolder pack32, pack64;
  const struct { bool in32, in64; std::string found, logged; } cases[] = {
      {true, false, pack32.path(), "32-bit"}, {false, true, pack64.path(), "64-bit"},
      {true, true, pack32.path(), "32-bit"}};
  for (const auto& c : cases) {
    testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
    testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, kUninstall32);
    if (c.in32) testkit::RegSetString(HKEY_LOCAL_MACHINE, kUninstall32, "InstallLocation", pack32.path());
    if (c.in64) testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack64.path());
    EXPECT_EQ(modReg::GetPackLocation(nullptr).PackFolder, c.found) << c.logged;
    EXPECT_TRUE(testkit::Logged("The pack's uninstall record is in the " + c.logged + " registry view")) << c.logged;
    modMain::DeleteLog();
  }
  EXPECT_TRUE(seam_.messages.empty());
}

// The picker opens at the pack's folder; one holding neither Reg_Files nor a catalog file is refused.
TEST_F(Startup, APickedFolderThatIsNotThePacksIsRefused) {
  ASSERT_TRUE(Start());
  testkit::TempFolder empty, unpacked;
  CreateDirectoryA((unpacked / "Translators").c_str(), nullptr);
  testkit::WriteAll(unpacked / "Translators\\tGoogle.htm", "google()");
  seam_.folders = {empty.path(), unpacked.path()};
  seam_.answers = {IDOK};
  EXPECT_TRUE(main_->Command(IDM_mnuPackFolder));
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(empty.path() + "\\ is not the extension pack's folder: it holds no Reg_Files"),
            std::string::npos);
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), unpacked.path() + "\\");
  EXPECT_EQ(seam_.folderStarts, std::vector<std::string>(2, pack_.path() + "\\"));
}

class Languages : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    testkit::ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    modSettings::WriteINI("", "Settings", "UseClassic", "1");
    modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
    char exe[MAX_PATH] = {};  // the translations are built beside the test program
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    for (const char* name : {"fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng"})
      CopyFileA((modMain::FolderPart(exe) + "\\" + name).c_str(), In(name).c_str(), FALSE);
  }
};

// English is the built-in file plus two Help menu separators; UTF-16 stays UTF-16, one mark.
TEST_F(Languages, RefreshRewritesTheLanguageFileInItsOwnForm) {
  ASSERT_TRUE(Start("  -rlang  "));
  std::string written = ReadAll(In("en.lng"));
  for (const std::string extra : {"mnuOTW_Sep=-\r\n", "mnuOTWSep1=-\r\n"}) {
    const size_t at = written.find("\r\n" + extra);
    ASSERT_NE(at, std::string::npos) << extra;
    written.erase(at + 2, extra.size());
  }
  EXPECT_EQ(written, modMain::ResourceBytes(IDR_ENGLISH, "LANG"));
  program_.reset();
  modSettings::WriteINI("", "Settings", "Lang", In("ru.lng"));
  ASSERT_TRUE(Start("x -rlang"));
  written = ReadAll(In("ru.lng"));
  ASSERT_EQ(written.substr(0, 2), "\xff\xfe");
  EXPECT_EQ(written.find("\xff\xfe", 2), std::string::npos);
  EXPECT_NE(written.find(testkit::Utf16("[frmNIMOWizard]\r\nChkNoWiz=Switch to &classic view\r\n")), std::string::npos);
}

// Russian (UTF-16) in its script on a Western system; a missing file at start restores English.
TEST_F(Languages, SwitchingToEachLanguageAndAMissingOne) {
  ASSERT_EQ(GetACP(), 1252u);  // a Western system: cp1251 text would show as "\xCF\xF0..."
  ASSERT_TRUE(Start());
  const UINT items[] = {IDM_mnuEnglish, IDM_mnuFrench, IDM_mnuGerman, IDM_mnuItalian, IDM_mnuRussian, IDM_mnuSpanish};
  const wchar_t* const edit[] = {L"&Edit", L"&\u00C9dition", L"&Bearbeiten", L"&Modifica",
                                 L"&\u041F\u0440\u0430\u0432\u043A\u0430", L"&Edici\u00F3n"};
  for (UINT item : items) EXPECT_FALSE(main_->menu.IsChecked(item));  // no mark after start-up
  for (int index : {2, 3, 4, 6, 5}) {
    main_->Command(items[index - 1]);
    EXPECT_EQ(Ini("Settings", "Lang"), In(modLang::LanguageFileName(static_cast<modLang::Language>(index - 1))));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(main_->menu.IsChecked(items[i]), i == index - 1);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), edit[index - 1]) << index;
    EXPECT_NE(main_->menu.ShownText(IDM_mnuExAll).find(L'\t'), std::wstring::npos);  // shortcut kept
  }
  main_->ShowWizard();  // the wizard takes the language at its load
  ASSERT_NE(main_->Wizard(), nullptr);
  UntilRead(*main_);
  EXPECT_EQ(main_->Wizard()->lblFinish.TextW(), L"&\u0413\u043E\u0442\u043E\u0432\u043E");
  main_->Command(IDM_mnuEnglish);
  EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), edit[0]);
  EXPECT_TRUE(seam_.messages.empty());
  DeleteFileA(In("se.lng").c_str());  // chosen but missing: nothing changes, and it says so
  main_->Command(IDM_mnuSpanish);
  EXPECT_FALSE(main_->menu.IsChecked(IDM_mnuSpanish));
  EXPECT_EQ(seam_.Texts(), std::vector<std::string>{"I'm sorry, the language file you have selected does not exist"});
  program_.reset();
  seam_.messages.clear();

  modSettings::WriteINI("", "Settings", "Lang", In("fr.lng"));
  DeleteFileA(In("fr.lng").c_str());
  DeleteFileA(In("en.lng").c_str());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  ASSERT_FALSE(seam_.messages.empty());
  EXPECT_EQ(seam_.messages[0].text + "|" + seam_.messages[0].title,
            "Unable to load language file|Zandor Extension Pack Error");
  EXPECT_EQ(main_->menu.Caption(IDM_mnuFile), L"&File");  // layout captions stay
  DeleteFileA(In("en.lng").c_str());
  main_->Command(IDM_mnuEditLangFile);
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  EXPECT_EQ(seam_.commands, std::vector<std::string>{"notepad " + In("fr.lng")});
}

// A file (UTF-16, Russian plurals) whose every value is marked: each window and a sample of
// messages and dialogs show nothing unmarked, so no shown text is left in the code.
TEST_F(Languages, EveryShownTextComesFromTheLanguageFile) {
  const std::wstring mark = L"\u0416", english = win::Widen(modMain::ResourceBytes(IDR_ENGLISH, "LANG"));
  std::wstring marked, section;
  for (size_t at = 0, end; (end = english.find(L"\r\n", at)) != std::wstring::npos; at = end + 2) {
    std::wstring line = english.substr(at, end - at), few;
    const size_t eq = line.find(L'='), other = line.find(L".other=");
    section = line[0] == L'[' ? line : section;
    if (section == L"[Language]" && eq != std::wstring::npos) line = L"Plurals=ru";
    else if (eq != std::wstring::npos && eq + 1 < line.size() && line.substr(eq + 1) != L"-") line.insert(eq + 1, mark);
    if (other != std::wstring::npos) few = line.substr(0, other) + L".few" + line.substr(other + 6) + L"\r\n";
    marked += few + (few.empty() ? line : line.replace(other, 6, L".many")) + L"\r\n";
  }
  WriteAll(In("xx.lng"), "\xff\xfe" + std::string(reinterpret_cast<const char*>(marked.data()), marked.size() * 2));
  modSettings::WriteINI("", "Settings", "Lang", In("xx.lng"));
  ASSERT_TRUE(Start());
  std::vector<std::wstring> shown;
  const auto walk = [&](win::CWindow& window, modLang::LangWindow* captions, std::vector<win::CListView*> lists) {
    shown.push_back(window.TextW());
    for (const modLang::Control& control : captions ? captions->Controls() : std::vector<modLang::Control>())
      if (control.takesPart && control.caption() != L"-" && !control.caption().empty()) shown.push_back(control.caption());
    for (const win::CListView* list : lists)
      for (int column = 0; column < list->ColumnCount(); ++column) shown.push_back(list->ColumnTitle(column));
  };
  walk(*main_, main_, {&main_->lvwInstalled, &main_->lvwAvailable});
  for (UINT command : {IDM_mnuAvailable, IDM_mnuInstalled, IDM_mnuExAll, IDM_mnuImport}) {
    main_->Command(command);
    shown.insert(shown.end(), {main_->TextW(), main_->ctlSBar.TextW()});
  }
  frmModify dialog;
  frmRestore restore;
  frmAbout about;
  ASSERT_TRUE(dialog.Load(main_->Handle(), {}, nullptr));
  ASSERT_TRUE(restore.Load(main_->Handle(), nullptr));
  ASSERT_TRUE(about.Load(main_->Handle()));
  walk(dialog, &dialog, {});
  for (const win::CWindow* box : {&dialog.txtName, &dialog.txtPath, &dialog.txtContexts, &dialog.txtRegKey})
    shown.push_back(dialog.ToolTip(*box));
  dialog.lblBrowse_Click();
  walk(restore, &restore, {&restore.lvwBackups});
  walk(about, nullptr, {});
  for (const win::CWindow* label : {&about.Label2, &about.Label3, &about.Label4, &about.txtMain, &about.Label6, &about.Command1})
    shown.push_back(label->TextW());
  dialog.Unload(), restore.Unload(), about.Unload();
  main_->ShowWizard();
  frmNIMOWizard* wizard = main_->Wizard();
  ASSERT_NE(wizard, nullptr);
  UntilRead(*main_);
  walk(*wizard, wizard, {&wizard->lvwInstalled, &wizard->lvwAvailable});
  shown.insert(shown.end(), {wizard->lblInstalledCount.TextW(), wizard->lblAvailableCount.TextW()});
  // A missing log, a missing registry file, a page, two backups to delete (Russian "few"), a broken
  // registry file, a missing language.
  DeleteFileA(modMain::LogFile().c_str());
  main_->Command(IDM_mnuAppLog);
  modMain::CatalogEntry entry;
  entry.RegFile = In("none.reg");
  modMain::EnableExtension(main_->Handle(), entry);
  modRestore::Backup page;
  page.kind = modRestore::Kind::Page;
  modRestore::Restore(main_->Handle(), page);
  seam_.answers = {IDNO};
  modRestore::DeleteBackups(main_->Handle(), {page, page});
  WriteAll(In("junk.reg"), "junk");  // its reason too, and a reason within a reason
  modMain::ConfirmRegFileChanges(main_->Handle(), In("junk.reg"));
  const std::string nested = modLang::English("Reasons", "WrittenBroken", {modLang::English("Reasons", "LineCutOff", {7})});
  EXPECT_EQ(modLang::Reason(nested), mark + L"the file written is not a whole registry file: " + mark + L"line 7 is cut off");
  DeleteFileA(In("se.lng").c_str());
  main_->Command(IDM_mnuSpanish);
  ASSERT_EQ(seam_.messages.size(), 6u);
  ASSERT_EQ(seam_.fileDialogs.size(), 2u);
  ASSERT_EQ(seam_.folderTitles.size(), 1u);
  EXPECT_NE(seam_.messages[4].shownText.find(mark + L"it does not begin"), std::wstring::npos);
  for (const ShownMessage& message : seam_.messages) shown.push_back(message.shownText);
  for (const win::FileDialogRequest& request : seam_.fileDialogs) shown.insert(shown.end(), {request.title, request.filter});
  shown.push_back(seam_.folderTitles[0]);
  for (const std::wstring& text : shown) EXPECT_EQ(text.rfind(mark, 0), 0u) << win::Narrow(text);
}

TEST_F(Languages, ReadingRulesOverPreparedFiles) {
  const std::string bom = "\xff\xfe", longLine = "mnuJunk=" + std::string(70000, 'x') + "\r\n";
  // The captions shown afterwards; a file not usable is said once, and Lang goes back to English.
  // A text missing or empty is English, key by key.
  struct Case { const char* what; std::string bytes; std::wstring file, edit, help; bool usable; std::wstring columns = L"Extension Name|Extension Path"; } cases[] = {
      {"UTF-16 with its mark",
       bom + testkit::Utf16("[frmMain]\r\nmnuFile=&F\r\nmnuEdit=&E\r\nmnuHelp=H\r\n[Main]\r\ncolName=N\r\ncolPath=\r\n"),
       L"&F", L"&E", L"H", true, L"N|Extension Path"},
      {"ANSI", "[frmMain]\r\nmnuFile=&Fichier\r\nmnuEdit=&\xC9" "dition\r\nmnuHelp=A&ide\r\n[Main]\r\ncolPath=Chemin\r\n",
       L"&Fichier", L"&\u00C9dition", L"A&ide", true, L"Extension Name|Chemin"},
      {"quotes, blanks and case", "[FRMMAIN]\r\nmnufile = '&Fichier' \r\nmnuEdit=\"&E\"\r\nmnuHelp='H\"\r\nmnuHelp=X\r\n",
       L"&Fichier", L"&E", L"'H\"", true},
      {"a section over 64 KB, a caption over 154",
       "[frmMain]\r\n" + longLine + "mnuFile=&F\r\nmnuHelp=" + std::string(200, 'h') + "\r\n", L"&F", L"&Edit",
       std::wstring(200, L'h'), true},  // missing keys keep their captions
      {"no section", "[frmModify]\r\nlblName=N\r\n", L"&File", L"&Edit", L"&Help", false},
      {"garbage", std::string("\x00\x01\xfe\x9c\x00[\x00=\r\x00\xff", 11), L"&File", L"&Edit", L"&Help", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    seam_.messages.clear();
    const std::string file = In(std::string(c.what, 4) + ".lng");
    testkit::WriteAll(file, c.bytes);
    modSettings::WriteINI("", "Settings", "Lang", file);
    ASSERT_TRUE(Start());
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuFile) + L"|" + main_->menu.ShownText(IDM_mnuEdit) + L"|" +
                  main_->menu.ShownText(IDM_mnuHelp),
              c.file + L"|" + c.edit + L"|" + c.help);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuEnglish), L"&English");  // the way back is always there
    EXPECT_EQ(main_->lvwInstalled.ColumnTitle(0) + L"|" + main_->lvwInstalled.ColumnTitle(1), c.columns);
    EXPECT_TRUE(testkit::Logged("Could not load caption for frmMain.mnuLanguage"));
    EXPECT_EQ(Ini("Settings", "Lang"), c.usable ? file : In("en.lng"));
    ASSERT_EQ(seam_.messages.size(), c.usable ? 0u : 1u);
    if (!c.usable) {
      EXPECT_NE(seam_.messages[0].text.find(file), std::string::npos);
    }
    program_.reset();
    DeleteFileA(modMain::LogFile().c_str());
  }
}

}  // namespace
