// The start-up sequence of the main window, in-process and hidden, with the scripted
// seam answering the questions; and the language files: refresh, switching, reading.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
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

  // Neither a start that cannot tell nor a second one clears the running instance's log.
  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  seam_.messages.clear();
  HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, frmMain::InstanceMutexName().c_str());
  ASSERT_NE(squatter, nullptr);
  EXPECT_FALSE(Start());
  CloseHandle(squatter);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(modMain::SystemErrorText(ERROR_INVALID_HANDLE)), std::string::npos)
      << seam_.messages[0].text;
  EXPECT_FALSE(testkit::Logged("Woops, someone tried to load an additional instance of me"));
  EXPECT_TRUE(testkit::Logged("Unable to create the single-instance mutex: " + modMain::SystemErrorText(ERROR_INVALID_HANDLE)));
  main_.reset();
  HANDLE first = CreateMutexA(nullptr, FALSE, frmMain::InstanceMutexName().c_str());
  EXPECT_FALSE(Start());
  CloseHandle(first);
  EXPECT_TRUE(testkit::Logged("Woops, someone tried to load an additional instance of me"));
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

// ---------------------------------------------------------------------------
// Language files

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
      CopyFileA((modMain::GetPathPart(2, exe) + "\\" + name).c_str(), In(name).c_str(), FALSE);
  }
};

// "-rlang" writes the captions of every window into the file Lang names, in that file's
// own form: the English one is the built-in file plus two separators of the Help menu.
TEST_F(Languages, RefreshRewritesTheLanguageFileInItsOwnForm) {
  ASSERT_TRUE(Start("  -rlang  "));
  std::string written = ReadAll(In("en.lng"));
  for (const std::string extra : {"mnuOTW_Sep=-\r\n", "mnuOTWSep1=-\r\n"}) {
    const size_t at = written.find("\r\n" + extra);
    ASSERT_NE(at, std::string::npos) << extra;
    written.erase(at + 2, extra.size());
  }
  EXPECT_EQ(written, modMain::ResourceBytes(IDR_ENGLISH, "LANG"));
  EXPECT_FALSE(modMain::RefreshingLanguage);
  // The wizard loaded by the refresh stays loaded with its layout captions.
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lblWelcome3.Text().size(), 158u);
  main_.reset();

  modSettings::WriteINI("", "Settings", "Lang", In("ru.lng"));
  ASSERT_TRUE(Start("x -rlang"));
  written = ReadAll(In("ru.lng"));  // UTF-16 stays UTF-16, one mark at its start
  ASSERT_EQ(written.substr(0, 2), "\xff\xfe");
  EXPECT_EQ(written.find("\xff\xfe", 2), std::string::npos);
  EXPECT_NE(written.find(testkit::Utf16("mnuFile=&File\r\n")), std::string::npos);
  EXPECT_NE(written.find(testkit::Utf16("[frmNIMOWizard]\r\nChkNoWiz=Switch to classic view\r\n")), std::string::npos);
  EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), L"&Edit");
}

// Each language as the windows show it, read back through the platform's Unicode
// functions: Russian (a UTF-16 file) in its script on a Western system.
TEST_F(Languages, SwitchingToEachLanguageAndBack) {
  ASSERT_EQ(GetACP(), 1252u);  // a Western system: cp1251 text would show as "\xCF\xF0..."
  ASSERT_TRUE(Start());
  EXPECT_EQ(main_->menu.ShownText(IDM_mnuOTW_Feedback), L"Feedback/Suggestions");
  const UINT items[] = {IDM_mnuEnglish, IDM_mnuFrench, IDM_mnuGerman, IDM_mnuItalian, IDM_mnuRussian, IDM_mnuSpanish};
  const wchar_t* const edit[] = {L"&Edit", L"&\u00C9dition", L"&Bearbeiten", L"&Modifica",
                                 L"&\u041F\u0440\u0430\u0432\u043A\u0430", L"&Edici\u00F3n"};
  for (UINT item : items) EXPECT_FALSE(main_->menu.IsChecked(item));  // no mark after start-up
  for (int index : {2, 3, 4, 6, 5}) {
    main_->Command(items[index - 1]);
    EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Settings", "Lang", ""), In(modLang::LanguageFileName(index)));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(main_->menu.IsChecked(items[i]), i == index - 1);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), edit[index - 1]) << index;
    EXPECT_EQ(main_->menu.Caption(IDM_mnuFSep1), L"-");
    EXPECT_NE(main_->menu.ShownText(IDM_mnuExAll).find(L'\t'), std::wstring::npos);  // shortcut kept
  }
  main_->ShowWizard();  // the wizard takes the language at its load
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lblFinish.TextW(), L"\u0413\u043E\u0442\u043E\u0432\u043E");
  main_->Command(IDM_mnuEnglish);
  EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), edit[0]);
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(Languages, AMissingLanguageAtStartRestoresEnglishAndSaysSo) {
  modSettings::WriteINI("", "Settings", "Lang", In("fr.lng"));
  DeleteFileA(In("fr.lng").c_str());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  ASSERT_FALSE(seam_.messages.empty());
  EXPECT_EQ(seam_.messages[0].text, "Unable to load language file");
  EXPECT_EQ(seam_.messages[0].title, "Zandor Extension Pack Error");
  EXPECT_EQ(main_->menu.Caption(IDM_mnuFile), L"&File");  // layout captions stay

  // Edit Language File restores English and still opens the missing file's path.
  DeleteFileA(In("en.lng").c_str());
  main_->Command(IDM_mnuEditLangFile);
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "notepad " + In("fr.lng"));
}

// The reading rules, one prepared file each, named by Settings/Lang at start.
TEST_F(Languages, ReadingRulesOverPreparedFiles) {
  const std::string bom = "\xff\xfe", longLine = "mnuJunk=" + std::string(70000, 'x') + "\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring file, edit, help;  // captions shown afterwards
    bool usable;                    // false: said once, and Lang goes back to English
  } cases[] = {
      {"UTF-16 with its mark", bom + testkit::Utf16("[frmMain]\r\nmnuFile=&F\r\nmnuEdit=&E\r\nmnuHelp=H\r\n"), L"&F",
       L"&E", L"H", true},
      {"ANSI", "[frmMain]\r\nmnuFile=&Fichier\r\nmnuEdit=&\xC9" "dition\r\nmnuHelp=A&ide\r\n", L"&Fichier",
       L"&\u00C9dition", L"A&ide", true},
      {"quotes, blanks and case",
       "[FRMMAIN]\r\nmnufile = '&Fichier' \r\nmnuEdit=\"&E\"\r\nmnuHelp='H\"\r\nmnuHelp=X\r\n", L"&Fichier", L"&E",
       L"'H\"", true},
      {"a section over 64 KB, a caption over 154",
       "[frmMain]\r\n" + longLine + "mnuFile=&F\r\nmnuHelp=" + std::string(200, 'h') + "\r\n", L"&F", L"&Edit",
       std::wstring(200, L'h'), true},
      {"missing keys", "[frmMain]\r\nmnuFile=&F\r\n", L"&F", L"&Edit", L"&Help", true},
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
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuFile), c.file);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuEdit), c.edit);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuHelp), c.help);
    EXPECT_EQ(main_->menu.ShownText(IDM_mnuEnglish), L"&English");  // the way back is always there
    EXPECT_TRUE(testkit::Logged("Could not load caption for frmMain.mnuLanguage"));
    EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Settings", "Lang", ""), c.usable ? file : In("en.lng"));
    if (c.usable) {
      EXPECT_TRUE(seam_.messages.empty()) << seam_.messages[0].text;
    } else {
      ASSERT_EQ(seam_.messages.size(), 1u);
      EXPECT_NE(seam_.messages[0].text.find(file), std::string::npos);
      // Choosing such a file, or a missing one, from the menu changes nothing and says so.
      CopyFileA(file.c_str(), In("de.lng").c_str(), FALSE);
      DeleteFileA(In("se.lng").c_str());
      for (UINT item : {IDM_mnuGerman, IDM_mnuSpanish}) {
        main_->Command(item);
        EXPECT_FALSE(main_->menu.IsChecked(item));
      }
      ASSERT_EQ(seam_.messages.size(), 3u);
      EXPECT_NE(seam_.messages[1].text.find(In("de.lng")), std::string::npos);
      EXPECT_EQ(seam_.messages[2].text, "I'm sorry, the language file you have selected does not exist");
      EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Settings", "Lang", ""), In("en.lng"));
    }
    main_.reset();
    DeleteFileA(modMain::LogFile().c_str());
  }
  // The English wizard text is whole, not cut at 154 characters.
  ASSERT_TRUE(Start());
  main_->ShowWizard();
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lblWelcome3.Text().size(), 158u);
}

TEST(RefreshSwitch, OnlyTheTrimmedEndCountsAndCaseMatters) {
  for (const char* on : {"-rlang", "   -rlang   ", "something -rlang"}) EXPECT_TRUE(modLang::WantsRefresh(on)) << on;
  for (const char* off : {"-RLANG", "-rlang more", ""}) EXPECT_FALSE(modLang::WantsRefresh(off)) << off;
}

}  // namespace
