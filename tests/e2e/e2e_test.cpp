// End-to-end: the real NIMO.exe, started from a fresh program folder of its own on a
// fresh copy of the bundled pack, and driven from another process. These tests keep to
// what only a separate process shows: the real first and second start, the platform's
// own dialogs and message boxes as windows, the registry editor really run, the
// keyboard through the program's message loop, -rlang and the way out. What the
// windows do with each command is tested in-process beside them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <set>

#include "app/resource.h"
#include "e2e/Driver.h"
#include "support/TestKit.h"

#ifndef NIMO_PACK_DIR
#error "NIMO_PACK_DIR names the bundled pack's folder"
#endif

namespace {

using e2e::Box;
using e2e::Driver;
using e2e::WaitUntil;
using testkit::Exists;
using testkit::Files;
using testkit::HoldsKey;
using testkit::ReadAll;

constexpr char kMenuExt[] = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr char kMenuExtFull[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt";
// The pack's uninstall record, where its installer leaves the pack's folder.
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zandor Extension Pack_is1";

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!testkit::RegistryTestsAllowed(&why)) GTEST_FAIL() << why;
    menuExt_ = std::make_unique<testkit::RegistryKeyGuard>(HKEY_CURRENT_USER, kMenuExt);
    uninstall_ = std::make_unique<testkit::RegistryKeyGuard>(HKEY_LOCAL_MACHINE, kUninstall);

    // MenuExt empty, the pack installed where its uninstall record says.
    testkit::RegDeleteTree(HKEY_CURRENT_USER, kMenuExt);
    testkit::RegCreate(HKEY_CURRENT_USER, kMenuExt);
    ASSERT_TRUE(e2e::CopyTree(e2e::WindowsPath(NIMO_PACK_DIR), pack_.path())) << NIMO_PACK_DIR;
    testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, kUninstall);
    testkit::RegSetString(HKEY_LOCAL_MACHINE, kUninstall, "InstallLocation", pack_.path() + "\\");
    testkit::RegSetString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", "Zandor Extension Pack");

    // The program as built, alone in its folder: it writes its English file itself.
    const std::string bin = e2e::ModuleFolder();
    ASSERT_TRUE(CopyFileA((bin + "\\NIMO.exe").c_str(), In("NIMO.exe").c_str(), FALSE)) << bin;
    nimo_ = std::make_unique<Driver>(In("NIMO.exe"));
  }

  void TearDown() override {
    if (HasFailure()) {
      std::string tail;
      const std::vector<std::string> log = Log();
      for (size_t i = log.size() > 40 ? log.size() - 40 : 0; i < log.size(); ++i) tail += "  " + log[i] + "\n";
      std::cerr << "Last lines of " << In("Logs\\applog.log") << ":\n" << tail << nimo_->Describe();
    }
    nimo_.reset();  // ends the program before its folders go
    uninstall_.reset();
    menuExt_.reset();
  }

  std::string In(const std::string& name) const { return program_ / name; }
  std::string InPack(const std::string& name) const { return pack_ / name; }

  std::string Ini(const std::string& section, const std::string& key) const {
    char value[1024] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", value, sizeof value, In("NIMO.ini").c_str());
    return value;
  }
  void SetIni(const std::string& section, const std::string& key, const std::string& value) const {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), In("NIMO.ini").c_str());
  }

  std::vector<std::string> Log() const { return testkit::LogMessages(In("Logs\\applog.log")); }
  bool Logged(const std::string& line) const { return testkit::Logged(line, In("Logs\\applog.log")); }

  // The extensions installed for the browser: the subkeys of MenuExt.
  static std::set<std::string> MenuExtKeys() {
    std::set<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMenuExt, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[512];
    for (DWORD i = 0, size = sizeof name; RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, size = sizeof name)
      names.insert(std::string(name, size));
    RegCloseKey(key);
    return names;
  }
  // The file an extension's key names: its default value.
  static std::string MenuExtFile(const std::string& extension) {
    char data[1024] = {};
    DWORD size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, (std::string(kMenuExt) + "\\" + extension).c_str(), "", RRF_RT_REG_SZ, nullptr,
                 data, &size);
    return data;
  }
  // An extension installed before the program starts, as its registry file makes it.
  void Installed(const std::string& name, const std::string& file, DWORD contexts) const {
    const std::string key = std::string(kMenuExt) + "\\" + name;
    testkit::RegSetString(HKEY_CURRENT_USER, key, "", InPack(file));
    testkit::RegSetDword(HKEY_CURRENT_USER, key, "Contexts", contexts);
  }

  static bool Shown(HWND parent, UINT id) { return IsWindowVisible(GetDlgItem(parent, id)) != FALSE; }
  static bool TextIs(HWND control, const std::string& text) {
    return WaitUntil([&] { return Driver::Text(control) == text; });
  }
  static bool StatusIs(HWND main, const std::string& text) {
    return TextIs(GetDlgItem(main, IDC_MAIN_STATUSBAR), text);  // the text of its first part
  }
  // Tab pressed `times` in the window: where the focus went each time.
  static std::vector<HWND> Tabs(HWND window, int times) {
    std::vector<HWND> visited;
    for (HWND from = Driver::Focus(window); times-- > 0; from = visited.back()) {
      Driver::Key(window, VK_TAB);
      WaitUntil([&] { return Driver::Focus(window) != from; });
      visited.push_back(Driver::Focus(window));
    }
    return visited;
  }
  static bool FocusIs(HWND window, HWND control) {
    return WaitUntil([&] { return Driver::Focus(window) == control; });
  }
  // The main window on a classic start: the installed list, no MenuExt backup at load,
  // so that Reg_Backup holds only what the commands write.
  HWND StartClassic() {
    SetIni("Settings", "UseClassic", "1");
    SetIni("Startup", "Mode", "0");
    SetIni("Settings", "RMEK_Backup", "0");
    return nimo_->Start() ? nimo_->MainWindow() : nullptr;
  }

  testkit::TempFolder program_, pack_;
  std::unique_ptr<testkit::RegistryKeyGuard> menuExt_, uninstall_;
  std::unique_ptr<Driver> nimo_;
};

// Start-up and the way out

TEST_F(EndToEnd, FirstStartShowsTheWizardOverTheWholePackAndStoresTheStartupSettings) {
  ASSERT_TRUE(nimo_->Start());
  HWND wizard = nimo_->WaitFor(Driver::Captioned(e2e::kWizardTitle));
  ASSERT_TRUE(wizard) << "no wizard";
  EXPECT_TRUE(TextIs(GetDlgItem(wizard, IDC_WIZ_LBLAVAILABLECOUNT), "47 Extensions available"));
  EXPECT_TRUE(TextIs(GetDlgItem(wizard, IDC_WIZ_LBLINSTALLEDCOUNT), "0 Extensions installed"));
  // Only the wizard: the main window is loaded but hidden, and nothing asked a question.
  EXPECT_EQ(nimo_->Windows(Driver::Captioned(std::string(e2e::kTitle) + " [ "), true).size(), 1u);
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{wizard});

  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
  EXPECT_EQ(Ini("Settings", "Lang"), In("en.lng"));
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("Reg_Backup") + "\\");
  EXPECT_EQ(Ini("Paths", "Extension_Backup"), In("Ext_Backup") + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), pack_.path() + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Reg_Files"), pack_.path() + "\\Reg_Files");
  for (const char* made : {"Reg_Backup", "Ext_Backup", "NIMO_Ext.ini", "en.lng"}) EXPECT_TRUE(Exists(In(made))) << made;
  EXPECT_TRUE(Exists(InPack("Reg_Files\\Lookup\\luWikipedia.reg")));  // the pack's files prepared
  EXPECT_TRUE(Logged("Initializing Zandor Extension Pack 1.2.3"));
  EXPECT_TRUE(Logged("Extension information loaded"));
  EXPECT_TRUE(MenuExtKeys().empty());

  // Esc closes the wizard as its close box does, which ends the program.
  Driver::Key(wizard, VK_ESCAPE);
  ASSERT_TRUE(nimo_->WaitForExit()) << "Esc did not close the wizard";
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
}

TEST_F(EndToEnd, ASecondStartSaysSoAndLeavesTheFirstRunning) {
  SetIni("Settings", "UseClassic", "1");
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow();
  ASSERT_TRUE(main);

  Driver second(In("NIMO.exe"));
  ASSERT_TRUE(second.Start());
  const Box box = second.WaitForBox();
  ASSERT_TRUE(box) << "no message from the second start";
  EXPECT_EQ(box.text, "Zandor Extension Pack is already running.");
  EXPECT_EQ(second.Windows(), std::vector<HWND>{box.hwnd});  // all the second start shows
  ASSERT_TRUE(second.Press(box, IDOK));
  ASSERT_TRUE(second.WaitForExit()) << "the second start did not end";
  EXPECT_TRUE(WaitUntil([&] { return Logged("Woops, someone tried to load an additional instance of me"); }));
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Initializing Zandor Extension Pack 1.2.3"), 2);

  EXPECT_TRUE(nimo_->Running());
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(StatusIs(main, "47 extensions available"));

  // The main window's close button ends the first; with ClearLog off the log stays.
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(nimo_->WaitForExit()) << "the program did not end";
  EXPECT_TRUE(Exists(In("Logs\\applog.log")));
}

TEST_F(EndToEnd, RlangRewritesTheLanguageFileFromTheWindows) {
  testkit::WriteAll(In("en.lng"), "[frmMain]\r\nmnuFile=Stale caption\r\n");
  ASSERT_TRUE(nimo_->Start("-rlang"));
  ASSERT_TRUE(nimo_->WaitFor(Driver::Captioned(e2e::kWizardTitle)));
  ASSERT_TRUE(WaitUntil([&] { return Logged("Language file refreshed"); }));
  const std::string lang = ReadAll(In("en.lng"));
  EXPECT_EQ(lang.compare(0, 11, "[frmMain]\r\n"), 0) << lang.substr(0, 200);
  EXPECT_NE(lang.find("\r\nmnuFile=&File\r\n"), std::string::npos);
  EXPECT_EQ(lang.find("Stale caption"), std::string::npos);
  EXPECT_NE(lang.find("[frmNIMOWizard]"), std::string::npos);
}

// The wizard, by keyboard alone but for choosing the rows

TEST_F(EndToEnd, WizardByKeyboardEnablesAndDisablesThenSwitchesToTheClassicView) {
  SetIni("Settings", "RMEK_Backup", "0");  // the only MenuExt backup is the one asked for
  ASSERT_TRUE(nimo_->Start());
  HWND wizard = nimo_->WaitFor(Driver::Captioned(e2e::kWizardTitle));
  ASSERT_TRUE(wizard);
  HWND available = GetDlgItem(wizard, IDC_WIZ_LVWAVAILABLE), installed = GetDlgItem(wizard, IDC_WIZ_LVWINSTALLED);
  HWND availableCount = GetDlgItem(wizard, IDC_WIZ_LBLAVAILABLECOUNT), installedCount = GetDlgItem(wizard, IDC_WIZ_LBLINSTALLEDCOUNT);
  HWND next = GetDlgItem(wizard, IDC_WIZ_LBLPROCEED), finish = GetDlgItem(wizard, IDC_WIZ_LBLFINISH);
  HWND enable = GetDlgItem(wizard, IDC_WIZ_LBLINSTALL), disable = GetDlgItem(wizard, IDC_WIZ_LBLDISABLE);
  HWND classic = GetDlgItem(wizard, IDC_WIZ_CHKNOWIZ);
  const auto counts = [&](const char* installedText, const char* availableText) {
    return TextIs(installedCount, installedText) && TextIs(availableCount, availableText);
  };
  ASSERT_TRUE(counts("0 Extensions installed", "47 Extensions available"));

  // Welcome page with the focus on "Next >>"; Enter goes on to the extensions page, and
  // the focus to Finish in its place.
  ASSERT_TRUE(FocusIs(wizard, next));
  EXPECT_FALSE(IsWindowVisible(available));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(available) && Shown(wizard, IDC_WIZ_LBLFINISH); }));
  EXPECT_FALSE(Shown(wizard, IDC_WIZ_LBLPROCEED));
  ASSERT_TRUE(FocusIs(wizard, finish));
  // Tab goes round as the controls show, left to right; "<<" is disabled.
  EXPECT_EQ(Tabs(wizard, 5), (std::vector<HWND>{installed, enable, available, classic, finish}));

  // Space on ">>", both questions answered Yes in the real boxes: the pack's registry
  // file, prepared at start, is imported, MenuExt backed up before.
  ASSERT_TRUE(nimo_->Select(available, "Wikipedia lookup"));
  ASSERT_EQ(Tabs(wizard, 2).back(), enable);
  Driver::Key(wizard, VK_SPACE);
  Box box = nimo_->Answer(IDYES);
  EXPECT_EQ(box.text, "Have you checked the registry file associated with this extension contains the correct path?");
  box = nimo_->Answer(IDYES);
  EXPECT_EQ(box.text, "This feature requires a modification to your registry, would you like to back it up first?");
  ASSERT_TRUE(counts("1 Extensions installed", "46 Extensions available"));
  EXPECT_TRUE(Logged("Importing: " + InPack("Reg_Files\\Lookup\\luWikipedia.reg")));
  std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kMenuExtFull));

  // The focus is back on ">>", where Enter presses it: a second one, No to the backup.
  ASSERT_TRUE(FocusIs(wizard, enable));
  ASSERT_TRUE(nimo_->Select(available, "Google search"));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_TRUE(nimo_->Answer(IDYES));
  ASSERT_TRUE(nimo_->Answer(IDNO));
  ASSERT_TRUE(counts("2 Extensions installed", "45 Extensions available"));
  EXPECT_EQ(Files(In("Reg_Backup")).size(), 1u);
  EXPECT_EQ(MenuExtKeys(), (std::set<std::string>{"&Wikipedia lookup", "&Google search"}));
  EXPECT_EQ(MenuExtFile("&Google search"), InPack("Lookup\\luGoogle.htm"));

  // Tab to "<<", now enabled, and Space disables the first without a question.
  ASSERT_TRUE(nimo_->Select(installed, "&Wikipedia lookup"));
  ASSERT_TRUE(FocusIs(wizard, enable));
  ASSERT_EQ(Tabs(wizard, 1).back(), disable);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_TRUE(counts("1 Extensions installed", "46 Extensions available"));
  EXPECT_TRUE(Logged("[ &Wikipedia lookup ] disabled"));
  EXPECT_TRUE(Exists(InPack("Lookup\\luWikipedia.htm")));

  // Classic view from now on? Space ticks the box, Enter is Finish; Yes keeps the wizard
  // as the start view.
  ASSERT_TRUE(FocusIs(wizard, disable));
  ASSERT_EQ(Tabs(wizard, 2).back(), classic);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(classic, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  Driver::Key(wizard, VK_RETURN);
  box = nimo_->Answer(IDYES);
  EXPECT_EQ(box.text, "Would you like to use this wizard the next time you load Zandor Extension Pack?");
  ASSERT_TRUE(nimo_->MainWindow()) << "no main window after Finish";
  EXPECT_TRUE(WaitUntil([&] { return nimo_->Windows(Driver::Captioned(e2e::kWizardTitle), true).empty(); }));
  EXPECT_TRUE(nimo_->Running());
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&Google search"});
}

// By keyboard, with an English file whose buttons have access keys.
TEST_F(EndToEnd, ModifyPropertiesByKeyboardRenamesTheKey) {
  Installed("&IMDb search", "Lookup\\luIMDb.htm", 0x22);
  testkit::WriteAll(In("en.lng"), "[frmMain]\r\nmnuFile=&File\r\n[frmModify]\r\nlblCancel=&Cancel\r\nlblOK=&Apply\r\n");
  HWND main = StartClassic();
  ASSERT_TRUE(main);
  HWND installed = GetDlgItem(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(StatusIs(main, "1 extensions installed"));
  ASSERT_TRUE(nimo_->Select(installed, "&IMDb search"));

  // The focus starts in the name; Tab goes through the boxes and buttons as they show;
  // Alt+C is Cancel.
  Driver::Menu(main, IDM_mnuModify);
  HWND dialog = nimo_->WaitFor(Driver::Captioned("Modify Extension"));
  ASSERT_TRUE(dialog) << "no properties dialog";
  EXPECT_FALSE(IsWindowEnabled(main));
  const auto focusText = [&] { return Driver::Text(Driver::Focus(dialog)); };
  ASSERT_TRUE(WaitUntil([&] { return focusText() == "&IMDb search"; }));
  std::vector<std::string> order;
  for (HWND control : Tabs(dialog, 7)) order.push_back(Driver::Text(control));
  EXPECT_EQ(order, (std::vector<std::string>{InPack("Lookup\\luIMDb.htm"), "...", "22",
                                             std::string(kMenuExt) + "\\&IMDb search", "&Cancel", "&Apply",
                                             "&IMDb search"}));
  Driver::Key(dialog, 'c', true);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "Alt+C left the dialog open";
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&IMDb search"});

  // Again, and Enter applies a new name after the real question.
  ASSERT_TRUE(IsWindowEnabled(main));
  Driver::Menu(main, IDM_mnuModify);
  ASSERT_TRUE(dialog = nimo_->WaitFor(Driver::Captioned("Modify Extension")));
  ASSERT_TRUE(WaitUntil([&] { return focusText() == "&IMDb search"; }));
  ASSERT_TRUE(Driver::SetText(Driver::Focus(dialog), "IMDb &lookup"));
  Driver::Key(dialog, VK_RETURN);
  const Box box = nimo_->Answer(IDYES);
  EXPECT_EQ(box.text, "Warning: You have asked to modify your registry, are you sure you want to proceed?");
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(installed) == std::vector<std::string>{"IMDb &lookup"}; }));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"IMDb &lookup"});
  EXPECT_TRUE(Logged("User changed key name from [ &IMDb search ] to [ IMDb &lookup ]."));
  EXPECT_TRUE(Logged("IMPORTING [ " + In("Reg_Backup\\IMDb &lookup.reg") + " ]"));
}

// Export all through the folder picker, Del from the list, the deleted key imported back
// through the open dialog from its exported file; File > Exit.
TEST_F(EndToEnd, ExportDeleteAndImportThroughThePlatformDialogs) {
  Installed("&IMDb search", "Lookup\\luIMDb.htm", 0x22);
  Installed("&Wikipedia lookup", "Lookup\\luWikipedia.htm", 0x10);
  // The folder picker walks its tree comparing each folder with the folder as first
  // read, modification time included. Tests running beside this one keep changing the
  // temporary folder, so a folder below it may never be found: this one lives elsewhere.
  testkit::TempFolder out("C:\\nimo-e2e");
  SetIni("Shutdown", "ClearLog", "1");
  HWND main = StartClassic();
  ASSERT_TRUE(main);
  HWND installed = GetDlgItem(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(StatusIs(main, "2 extensions installed"));

  // F2 and F3, typed in the list on show, reach the main window's shortcut keys.
  Driver::Key(main, VK_F2);
  ASSERT_TRUE(StatusIs(main, "45 extensions available"));
  EXPECT_TRUE(Shown(main, IDC_MAIN_LVWAVAILABLE) && !Shown(main, IDC_MAIN_LVWINSTALLED));
  Driver::Key(main, VK_F3);
  ASSERT_TRUE(StatusIs(main, "2 extensions installed"));
  EXPECT_TRUE(Shown(main, IDC_MAIN_LVWINSTALLED) && !Shown(main, IDC_MAIN_LVWAVAILABLE));

  Driver::Menu(main, IDM_mnuExAll);
  const Box picker = nimo_->WaitForBox(e2e::kTitle, true);
  ASSERT_TRUE(picker) << "no folder picker";
  ASSERT_TRUE(nimo_->ChooseFolder(picker.hwnd, out.path()));
  ASSERT_TRUE(StatusIs(main, "2 of 2 extensions exported to " + out.path() + "\\"));
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"&IMDb search.reg", "&Wikipedia lookup.reg"}));
  const std::string saved = out / "&Wikipedia lookup.reg";
  EXPECT_TRUE(HoldsKey(saved, std::string(kMenuExtFull) + "\\&Wikipedia lookup"));

  const std::string file = InPack("Lookup\\luWikipedia.htm"), content = ReadAll(file);
  ASSERT_TRUE(nimo_->Select(installed, "&Wikipedia lookup"));
  Driver::Key(main, VK_DELETE);
  Box box = nimo_->Answer(IDYES);
  EXPECT_EQ(box.text, "Are you sure you want to delete this extension and the file associated with it?");
  ASSERT_TRUE(StatusIs(main, "1 extensions installed"));
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&IMDb search"});
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\luWikipedia.htm")), content);
  EXPECT_TRUE(Logged("[ " + file + " ] deleted"));

  Driver::Menu(main, IDM_mnuImport);
  const Box open = nimo_->WaitForBox(e2e::kTitle, true);
  ASSERT_TRUE(open) << "no file dialog";
  EXPECT_EQ(open.title, "Import extension");
  ASSERT_TRUE(Driver::ChooseFile(open.hwnd, saved));
  ASSERT_TRUE(WaitUntil([&] { return nimo_->FindRow(installed, "&Wikipedia lookup") >= 0; }));
  EXPECT_FALSE(IsWindow(open.hwnd));
  EXPECT_EQ(MenuExtFile("&Wikipedia lookup"), file);
  EXPECT_TRUE(Logged("Importing [ " + saved + " ] into registry"));
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{main});  // no message

  // File > Exit ends the program, and with ClearLog on the log goes.
  Driver::Menu(main, IDM_mnuExit);
  ASSERT_TRUE(nimo_->WaitForExit()) << "the program did not end";
  EXPECT_EQ(nimo_->ExitCode(), 0u);
  EXPECT_FALSE(Exists(In("Logs\\applog.log")));
}

}  // namespace
