// End-to-end: the real NIMO.exe, started from a fresh program folder of its own on a
// fresh copy of the bundled pack, driven through its windows as a user drives it, and
// judged by what a user or an administrator can see: captions, the status bar, the
// count labels, the message boxes, NIMO.ini, the application log, the MenuExt key and
// the backup folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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
using testkit::Utf16;

constexpr char kMenuExt[] = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr char kMenuExtFull[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt";
// The pack's uninstall record, where its installer leaves the pack's folder.
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zandor Extension Pack_is1";

bool IsClockName(const std::string& name) {  // dd-mm-yy_hhmmss.reg
  if (name.size() != 19 || name.substr(15) != ".reg") return false;
  for (size_t i = 0; i < 15; ++i) {
    const char expected = i == 2 || i == 5 ? '-' : i == 8 ? '_' : '9';
    if (expected == '9' ? !isdigit(static_cast<unsigned char>(name[i])) : name[i] != expected) return false;
  }
  return true;
}

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

    // The program with its language files, as built.
    const std::string bin = e2e::ModuleFolder();
    ASSERT_TRUE(CopyFileA((bin + "\\NIMO.exe").c_str(), In("NIMO.exe").c_str(), FALSE)) << bin;
    for (const std::string& name : testkit::ListFolder(bin)) {
      if (name.size() > 4 && lstrcmpiA(name.substr(name.size() - 4).c_str(), ".lng") == 0) {
        ASSERT_TRUE(CopyFileA((bin + "\\" + name).c_str(), In(name).c_str(), FALSE)) << name;
      }
    }
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
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof name;
      if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.insert(std::string(name, size));
    }
    RegCloseKey(key);
    return names;
  }
  static std::string MenuExtValue(const std::string& extension, const std::string& value, DWORD* type = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kMenuExt) + "\\" + extension).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
      return "<no key>";
    char data[1024] = {};
    DWORD size = sizeof data, kind = 0;
    const LONG result = RegQueryValueExA(key, value.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "<no value>";
    if (type) *type = kind;
    if (kind == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(data, strnlen(data, size));
  }
  // An extension installed before the program starts, as its registry file makes it.
  void Installed(const std::string& name, const std::string& file, DWORD contexts) const {
    const std::string key = std::string(kMenuExt) + "\\" + name;
    testkit::RegSetString(HKEY_CURRENT_USER, key, "", InPack(file));
    testkit::RegSetDword(HKEY_CURRENT_USER, key, "Contexts", contexts);
  }

  // The main window's lists, the wizard's lists and labels.
  static HWND Control(HWND parent, UINT id) { return GetDlgItem(parent, id); }
  static bool Shown(HWND parent, UINT id) { return IsWindowVisible(GetDlgItem(parent, id)) != FALSE; }
  static bool TextIs(HWND control, const std::string& text) {
    return WaitUntil([&] { return Driver::Text(control) == text; });
  }
  bool StatusIs(HWND main, const std::string& text) const {
    return WaitUntil([&] { return Driver::StatusText(main) == text; });
  }

  // A key typed in a control: it goes through the program's message loop, so the main
  // window's shortcut keys (F2, F3, Del) reach it from its lists.
  static void Press(HWND control, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scan | 1);
    PostMessageA(control, WM_KEYUP, key, scan | 1 | 0xC0000000);
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
  // F2 (available) or F3 (installed) typed in the list on show; done once the other shows.
  void View(HWND main, UINT key) const {
    const UINT shown = key == VK_F2 ? IDC_MAIN_LVWAVAILABLE : IDC_MAIN_LVWINSTALLED;
    const UINT hidden = key == VK_F2 ? IDC_MAIN_LVWINSTALLED : IDC_MAIN_LVWAVAILABLE;
    Press(Control(main, hidden), key);
    ASSERT_TRUE(WaitUntil([&] { return Shown(main, shown) && !Shown(main, hidden); })) << "key " << key;
  }

  testkit::TempFolder program_, pack_;
  std::unique_ptr<testkit::RegistryKeyGuard> menuExt_, uninstall_;
  std::unique_ptr<Driver> nimo_;
};

// ---------------------------------------------------------------------------
// Start-up

TEST_F(EndToEnd, FirstStartShowsTheWizardOverTheWholePackAndStoresTheStartupSettings) {
  ASSERT_TRUE(nimo_->Start());
  HWND wizard = nimo_->Wizard();
  ASSERT_TRUE(wizard) << "no wizard";
  EXPECT_TRUE(TextIs(Control(wizard, IDC_WIZ_LBLAVAILABLECOUNT), "47 Extensions available"));
  EXPECT_TRUE(TextIs(Control(wizard, IDC_WIZ_LBLINSTALLEDCOUNT), "0 Extensions installed"));
  EXPECT_EQ(nimo_->Rows(Control(wizard, IDC_WIZ_LVWAVAILABLE)).size(), 47u);
  // Only the wizard: the main window is loaded but hidden, and nothing asked a question.
  EXPECT_TRUE(nimo_->TopWindow(std::string(e2e::kTitle) + " [ ", true, false));
  EXPECT_FALSE(nimo_->TopWindow(std::string(e2e::kTitle) + " [ ", true, true));
  EXPECT_FALSE(nimo_->TopWindow(e2e::kTitle, false, true, "#32770"));

  EXPECT_EQ(Ini("Settings", "Ver"), "1.2.3");
  EXPECT_EQ(Ini("Settings", "Lang"), In("en.lng"));
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), In("Reg_Backup") + "\\");
  EXPECT_EQ(Ini("Paths", "Extension_Backup"), In("Ext_Backup") + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Location"), pack_.path() + "\\");
  EXPECT_EQ(Ini("Paths", "NIMO_Reg_Files"), pack_.path() + "\\Reg_Files");
  EXPECT_TRUE(testkit::Exists(In("Reg_Backup")));
  EXPECT_TRUE(testkit::Exists(In("Ext_Backup")));
  EXPECT_TRUE(Exists(In("NIMO_Ext.ini")));
  EXPECT_TRUE(Exists(In("en.lng")));

  // The pack's registry files are ready to import: renamed and pointing into the pack.
  const std::string wikipedia = ReadAll(InPack("Reg_Files\\Lookup\\luWikipedia.reg"));
  EXPECT_EQ(wikipedia.compare(0, 10, "REGEDIT4\r\n"), 0) << wikipedia;
  EXPECT_NE(wikipedia.find("MenuExt\\&Wikipedia lookup]"), std::string::npos) << wikipedia;
  EXPECT_EQ(wikipedia.find("[PATH]"), std::string::npos) << wikipedia;
  std::string escaped = pack_.path();
  for (size_t at = 0; (at = escaped.find('\\', at)) != std::string::npos; at += 2) escaped.insert(at, "\\");
  EXPECT_NE(wikipedia.find(escaped + "\\\\Lookup\\\\luWikipedia.htm"), std::string::npos) << wikipedia;
  EXPECT_FALSE(Exists(InPack("Reg_Files\\Lookup\\luWikipedia.txt")));

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
  // The message is all the second start shows.
  EXPECT_EQ(second.VisibleWindows(), std::vector<HWND>{box.hwnd});
  ASSERT_TRUE(second.Press(box, IDOK));
  ASSERT_TRUE(second.WaitForExit()) << "the second start did not end";
  EXPECT_TRUE(WaitUntil([&] { return Logged("Woops, someone tried to load an additional instance of me"); }));
  const std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Initializing Zandor Extension Pack 1.2.3"), 2);

  EXPECT_TRUE(nimo_->Running());
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Driver::StatusText(main), "47 extensions available");

  // The main window's close button ends the first; with ClearLog off the log stays.
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(nimo_->WaitForExit()) << "the program did not end";
  EXPECT_TRUE(Exists(In("Logs\\applog.log")));
}

TEST_F(EndToEnd, RlangRewritesTheLanguageFileFromTheWindows) {
  testkit::WriteAll(In("en.lng"), "[frmMain]\r\nmnuFile=Stale caption\r\n");
  ASSERT_TRUE(nimo_->Start("-rlang"));
  ASSERT_TRUE(nimo_->Wizard());
  ASSERT_TRUE(WaitUntil([&] { return Logged("Language file refreshed"); }));
  const std::string lang = ReadAll(In("en.lng"));
  EXPECT_EQ(lang.compare(0, 11, "[frmMain]\r\n"), 0) << lang.substr(0, 200);
  EXPECT_NE(lang.find("\r\nmnuOTW_Feedback=Feedback/Suggestions\r\n"), std::string::npos);
  EXPECT_NE(lang.find("\r\nmnuFile=&File\r\n"), std::string::npos);
  EXPECT_EQ(lang.find("Stale caption"), std::string::npos);
  EXPECT_NE(lang.find("[frmModify]"), std::string::npos);
  EXPECT_NE(lang.find("[frmNIMOWizard]"), std::string::npos);
}

TEST_F(EndToEnd, ExitWithClearLogOnEndsTheProgramAndDeletesTheLog) {
  SetIni("Settings", "UseClassic", "1");
  SetIni("Shutdown", "ClearLog", "1");
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow();
  ASSERT_TRUE(main);
  ASSERT_TRUE(Exists(In("Logs\\applog.log")));
  Driver::Menu(main, IDM_mnuExit);
  ASSERT_TRUE(nimo_->WaitForExit()) << "the program did not end";
  EXPECT_EQ(nimo_->ExitCode(), 0u);
  EXPECT_FALSE(Exists(In("Logs\\applog.log")));
}

// ---------------------------------------------------------------------------
// The wizard

// By keyboard alone, but for choosing the rows.
TEST_F(EndToEnd, WizardByKeyboardEnablesAndDisablesThenSwitchesToTheClassicView) {
  SetIni("Settings", "RMEK_Backup", "0");  // the only MenuExt backup is the one asked for
  ASSERT_TRUE(nimo_->Start());
  HWND wizard = nimo_->Wizard();
  ASSERT_TRUE(wizard);
  HWND available = Control(wizard, IDC_WIZ_LVWAVAILABLE), installed = Control(wizard, IDC_WIZ_LVWINSTALLED);
  HWND availableCount = Control(wizard, IDC_WIZ_LBLAVAILABLECOUNT), installedCount = Control(wizard, IDC_WIZ_LBLINSTALLEDCOUNT);
  HWND next = Control(wizard, IDC_WIZ_LBLPROCEED), finish = Control(wizard, IDC_WIZ_LBLFINISH);
  HWND enable = Control(wizard, IDC_WIZ_LBLINSTALL), disable = Control(wizard, IDC_WIZ_LBLDISABLE);
  HWND classic = Control(wizard, IDC_WIZ_CHKNOWIZ);
  ASSERT_TRUE(TextIs(availableCount, "47 Extensions available"));

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

  // Space on ">>", both questions answered Yes: MenuExt is backed up under the clock
  // before the import.
  ASSERT_TRUE(nimo_->Select(available, "Wikipedia lookup"));
  ASSERT_EQ(Tabs(wizard, 2).back(), enable);
  Driver::Key(wizard, VK_SPACE);
  Box box = nimo_->Answer(IDYES);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, "Have you checked the registry file associated with this extension contains the correct path?");
  box = nimo_->Answer(IDYES);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, "This feature requires a modification to your registry, would you like to back it up first?");
  ASSERT_TRUE(TextIs(installedCount, "1 Extensions installed"));
  ASSERT_TRUE(TextIs(availableCount, "46 Extensions available"));
  EXPECT_EQ(nimo_->Rows(installed), std::vector<std::string>{"&Wikipedia lookup"});
  EXPECT_EQ(nimo_->FindRow(available, "Wikipedia lookup"), -1);
  std::set<std::string> backups = Files(In("Reg_Backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(IsClockName(*backups.begin())) << *backups.begin();
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\" + *backups.begin()), kMenuExtFull));

  // The focus is back on ">>", where Enter presses it: a second one, without the backup.
  ASSERT_TRUE(FocusIs(wizard, enable));
  ASSERT_TRUE(nimo_->Select(available, "Google search"));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_TRUE(nimo_->Answer(IDYES));
  box = nimo_->Answer(IDNO);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, "This feature requires a modification to your registry, would you like to back it up first?");
  ASSERT_TRUE(TextIs(installedCount, "2 Extensions installed"));
  ASSERT_TRUE(TextIs(availableCount, "45 Extensions available"));
  EXPECT_EQ(Files(In("Reg_Backup")).size(), 1u);
  EXPECT_EQ(MenuExtKeys(), (std::set<std::string>{"&Wikipedia lookup", "&Google search"}));

  // Tab to "<<", now enabled, and Space disables the first: no question, its key backed
  // up under its name.
  ASSERT_TRUE(nimo_->Select(installed, "&Wikipedia lookup"));
  ASSERT_TRUE(FocusIs(wizard, enable));
  ASSERT_EQ(Tabs(wizard, 1).back(), disable);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_TRUE(TextIs(installedCount, "1 Extensions installed"));
  ASSERT_TRUE(TextIs(availableCount, "46 Extensions available"));
  EXPECT_EQ(nimo_->Rows(installed), std::vector<std::string>{"&Google search"});
  EXPECT_GE(nimo_->FindRow(available, "Wikipedia lookup"), 0);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Wikipedia lookup.reg"), std::string(kMenuExtFull) + "\\&Wikipedia lookup"));
  EXPECT_TRUE(Logged("[ &Wikipedia lookup ] disabled"));

  // Classic view from now on? Space ticks the box, Enter is Finish; Yes keeps the wizard
  // as the start view.
  ASSERT_TRUE(FocusIs(wizard, disable));
  ASSERT_EQ(Tabs(wizard, 2).back(), classic);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(classic, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  ASSERT_TRUE(Shown(wizard, IDC_WIZ_LBLFINISH));
  Driver::Key(wizard, VK_RETURN);
  box = nimo_->Answer(IDYES);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, "Would you like to use this wizard the next time you load Zandor Extension Pack?");
  ASSERT_TRUE(nimo_->MainWindow()) << "no main window after Finish";
  EXPECT_TRUE(WaitUntil([&] { return !nimo_->TopWindow(e2e::kWizardTitle, false, false); }));
  EXPECT_TRUE(nimo_->Running());
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&Google search"});
}

// ---------------------------------------------------------------------------
// The main window

class EndToEndMainWindow : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (HasFatalFailure()) return;
    SetIni("Settings", "UseClassic", "1");
    SetIni("Startup", "Mode", "0");         // starts on the installed list
    SetIni("Settings", "RMEK_Backup", "0");  // Reg_Backup holds only what the commands write
  }
  HWND Start() {
    if (!nimo_->Start()) return nullptr;
    return nimo_->MainWindow();
  }
};

TEST_F(EndToEndMainWindow, EnableDisableAndDeleteFromTheMenuAndTheKeys) {
  SetIni("Settings", "InstallPrompt", "0");
  HWND main = Start();
  ASSERT_TRUE(main);
  HWND available = Control(main, IDC_MAIN_LVWAVAILABLE), installed = Control(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(StatusIs(main, "0 extensions installed"));

  // Enable three from the available list; without prompts there is no question.
  View(main, VK_F2);
  ASSERT_TRUE(StatusIs(main, "47 extensions available"));
  struct {
    const char* name;
    const char* regFile;
  } const enable[] = {{"Wikipedia lookup", "Reg_Files\\Lookup\\luWikipedia.reg"},
                      {"Google search", "Reg_Files\\Lookup\\luGoogle.reg"},
                      {"IMDb search", "Reg_Files\\Lookup\\luIMDb.reg"}};
  int left = 47;
  for (const auto& [name, regFile] : enable) {
    ASSERT_TRUE(nimo_->Select(available, name)) << name;
    Driver::Menu(main, IDM_mnuEnable);
    --left;
    ASSERT_TRUE(StatusIs(main, std::to_string(left) + " extensions available")) << name;
    EXPECT_EQ(Driver::Text(main), "Zandor Extension Pack [ " + std::to_string(left) + " extensions available ]");
    EXPECT_EQ(nimo_->FindRow(available, name), -1) << name;
    EXPECT_TRUE(Logged("Importing: " + InPack(regFile))) << name;
  }
  EXPECT_FALSE(nimo_->TopWindow(e2e::kTitle, false, true, "#32770"));
  EXPECT_EQ(MenuExtKeys(), (std::set<std::string>{"&Wikipedia lookup", "&Google search", "&IMDb search"}));
  EXPECT_EQ(MenuExtValue("&Google search", ""), InPack("Lookup\\luGoogle.htm"));

  View(main, VK_F3);
  ASSERT_TRUE(StatusIs(main, "3 extensions installed"));
  std::vector<std::string> rows = nimo_->Rows(installed);
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()),
            (std::set<std::string>{"&Wikipedia lookup", "&Google search", "&IMDb search"}));

  // Disable: the key goes to Reg_Backup under the name without "&", then leaves MenuExt.
  ASSERT_TRUE(nimo_->Select(installed, "&Wikipedia lookup"));
  Driver::Menu(main, IDM_mnuDisable);
  ASSERT_TRUE(WaitUntil([&] { return nimo_->FindRow(installed, "&Wikipedia lookup") == -1 && MenuExtKeys().size() == 2; }));
  ASSERT_TRUE(StatusIs(main, "2 extensions installed"));  // the list on show, not the last one loaded
  EXPECT_EQ(Driver::Text(main), "Zandor Extension Pack [ 2 extensions installed ]");
  EXPECT_EQ(Files(In("Reg_Backup")), std::set<std::string>{"Wikipedia lookup.reg"});
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\Wikipedia lookup.reg"), std::string(kMenuExtFull) + "\\&Wikipedia lookup"));
  EXPECT_TRUE(Logged("[ &Wikipedia lookup ] disabled"));
  EXPECT_TRUE(Exists(InPack("Lookup\\luWikipedia.htm")));

  // Del, after the question: the key is backed up, the file copied to Ext_Backup and
  // removed from the pack.
  const std::string file = InPack("Lookup\\luGoogle.htm"), content = ReadAll(file);
  ASSERT_FALSE(content.empty());
  ASSERT_TRUE(nimo_->Select(installed, "&Google search"));
  EXPECT_EQ(nimo_->Rows(installed, 1)[Driver::SelectedRow(installed)], file);
  Press(installed, VK_DELETE);
  const Box box = nimo_->Answer(IDYES);
  ASSERT_TRUE(box) << "no question after Del";
  EXPECT_EQ(box.text, "Are you sure you want to delete this extension and the file associated with it?");
  ASSERT_TRUE(StatusIs(main, "1 extensions installed"));
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&IMDb search"});
  EXPECT_EQ(nimo_->Rows(installed), std::vector<std::string>{"&IMDb search"});
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\luGoogle.htm")), content);
  EXPECT_EQ(Files(In("Reg_Backup")), (std::set<std::string>{"Wikipedia lookup.reg", "Google search.reg"}));
  EXPECT_TRUE(Logged("[ " + file + " ] deleted"));
  EXPECT_FALSE(nimo_->TopWindow(e2e::kTitle, false, true, "#32770"));
  EXPECT_FALSE(nimo_->TopWindow("File missing", false, true, "#32770"));
}

// By keyboard, with an English file whose buttons have access keys.
TEST_F(EndToEndMainWindow, ModifyPropertiesByKeyboardRenamesTheKeyWithItsValues) {
  Installed("&IMDb search", "Lookup\\luIMDb.htm", 0x22);
  std::string english = ReadAll(e2e::WindowsPath(std::string(NIMO_PACK_DIR) + "/../resources/en.lng"));
  for (const char* caption : {"lblCancel=", "lblOK="}) {
    const size_t at = english.find(caption);
    ASSERT_NE(at, std::string::npos) << caption;
    english.insert(at + strlen(caption), "&");
  }
  testkit::WriteAll(In("en.lng"), english);
  HWND main = Start();
  ASSERT_TRUE(main);
  HWND installed = Control(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(StatusIs(main, "1 extensions installed"));
  ASSERT_TRUE(nimo_->Select(installed, "&IMDb search"));

  // The focus starts in the name; Tab goes through the boxes and buttons as they show;
  // Alt+C is Cancel.
  Driver::Menu(main, IDM_mnuModify);
  HWND dialog = nimo_->ModifyDialog();
  ASSERT_TRUE(dialog) << "no properties dialog";
  EXPECT_FALSE(IsWindowEnabled(main));
  HWND name = Driver::Child(dialog, "Edit", "&IMDb search");
  ASSERT_TRUE(FocusIs(dialog, name));
  const std::vector<HWND> order{Driver::Child(dialog, "Edit", InPack("Lookup\\luIMDb.htm")),
                                Driver::Child(dialog, "NIMOLabelButton", "..."),
                                Driver::Child(dialog, "Edit", "22"),
                                Driver::Child(dialog, "Edit", std::string(kMenuExt) + "\\&IMDb search"),
                                Driver::Child(dialog, "NIMOLabelButton", "&Cancel"),
                                Driver::Child(dialog, "NIMOLabelButton", "&Apply"),
                                name};
  EXPECT_EQ(std::count(order.begin(), order.end(), nullptr), 0);
  EXPECT_EQ(Tabs(dialog, 7), order);
  Driver::AccessKey(dialog, 'c');
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "Alt+C left the dialog open";
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"&IMDb search"});

  // Again, and Enter applies a new name.
  ASSERT_TRUE(IsWindowEnabled(main));
  Driver::Menu(main, IDM_mnuModify);
  ASSERT_TRUE(dialog = nimo_->ModifyDialog());
  ASSERT_TRUE(FocusIs(dialog, name = Driver::Child(dialog, "Edit", "&IMDb search")));
  ASSERT_TRUE(Driver::SetText(name, "IMDb &lookup"));
  Driver::Key(dialog, VK_RETURN);
  const Box box = nimo_->Answer(IDYES);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, "Warning: You have asked to modify your registry, are you sure you want to proceed?");

  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(installed) == std::vector<std::string>{"IMDb &lookup"}; }));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_EQ(MenuExtKeys(), std::set<std::string>{"IMDb &lookup"});
  DWORD type = 0;
  EXPECT_EQ(MenuExtValue("IMDb &lookup", ""), InPack("Lookup\\luIMDb.htm"));
  EXPECT_EQ(MenuExtValue("IMDb &lookup", "Contexts", &type), "34");
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_TRUE(Logged("User changed key name from [ &IMDb search ] to [ IMDb &lookup ]."));
  EXPECT_TRUE(Logged("IMPORTING [ " + In("Reg_Backup\\IMDb &lookup.reg") + " ]"));
  // The old key's backup under the new name without "&", and the new key's file.
  const std::set<std::string> files = Files(In("Reg_Backup"));
  EXPECT_TRUE(files.count("IMDb lookup.reg")) << ::testing::PrintToString(files);
  EXPECT_TRUE(files.count("IMDb &lookup.reg")) << ::testing::PrintToString(files);
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\IMDb lookup.reg"), std::string(kMenuExtFull) + "\\&IMDb search"));
  EXPECT_EQ(Driver::StatusText(main), "1 extensions installed");
}

TEST_F(EndToEndMainWindow, ExportAndImportThroughThePlatformDialogs) {
  Installed("&IMDb search", "Lookup\\luIMDb.htm", 0x22);
  Installed("&Wikipedia lookup", "Lookup\\luWikipedia.htm", 0x10);
  // A registry file as the registry editor writes it, of a key that is then removed.
  Installed("&YouTube search", "Lookup\\luYouTube.htm", 0x10);
  // The folder picker walks its tree comparing each folder with the folder as first
  // read, modification time included. Tests running beside this one keep changing the
  // temporary folder, so a folder below it may never be found: this one lives elsewhere.
  testkit::TempFolder out("C:\\nimo-e2e");
  const std::string saved = out / "youtube.reg";
  ASSERT_EQ(e2e::RunAndWait("regedit /e \"" + saved + "\" \"" + kMenuExtFull + "\\&YouTube search\""), 0);
  ASSERT_TRUE(Exists(saved));
  testkit::RegDeleteTree(HKEY_CURRENT_USER, std::string(kMenuExt) + "\\&YouTube search");
  const std::string exportFolder = out / "export";
  ASSERT_TRUE(CreateDirectoryA(exportFolder.c_str(), nullptr));

  HWND main = Start();
  ASSERT_TRUE(main);
  HWND installed = Control(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(StatusIs(main, "2 extensions installed"));

  // Export all: the folder picker, then one file per installed extension.
  Driver::Menu(main, IDM_mnuExAll);
  Box picker = nimo_->WaitForOtherDialog();
  ASSERT_TRUE(picker) << "no folder picker";
  ASSERT_TRUE(nimo_->ChooseFolder(picker.hwnd, exportFolder));
  ASSERT_TRUE(WaitUntil([&] { return Files(exportFolder).size() == 2 && !IsWindow(picker.hwnd); }))
      << ::testing::PrintToString(Files(exportFolder));
  EXPECT_EQ(Files(exportFolder), (std::set<std::string>{"&IMDb search.reg", "&Wikipedia lookup.reg"}));
  // Each file holds its extension's key with the key's values.
  auto exported = [&](const std::string& file, const std::string& text) {
    return WaitUntil([&] { return ReadAll(exportFolder + "\\" + file).find(Utf16(text)) != std::string::npos; });
  };
  EXPECT_TRUE(exported("&Wikipedia lookup.reg", "[" + std::string(kMenuExtFull) + "\\&Wikipedia lookup]"));
  EXPECT_TRUE(exported("&Wikipedia lookup.reg", "\"Contexts\"=dword:00000010"));
  EXPECT_TRUE(exported("&IMDb search.reg", "[" + std::string(kMenuExtFull) + "\\&IMDb search]"));
  EXPECT_TRUE(exported("&IMDb search.reg", "\"Contexts\"=dword:00000022"));
  ASSERT_TRUE(StatusIs(main, "2 of 2 extensions exported to " + exportFolder + "\\"));

  // Import: the open dialog, then the key is back with its values.
  Driver::Menu(main, IDM_mnuImport);
  Box open = nimo_->WaitForOtherDialog();
  ASSERT_TRUE(open) << "no file dialog";
  EXPECT_EQ(open.title, "Import extension");
  ASSERT_TRUE(Driver::ChooseFile(open.hwnd, saved));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open.hwnd); })) << "the file dialog stayed open";
  ASSERT_TRUE(WaitUntil([&] { return nimo_->FindRow(installed, "&YouTube search") >= 0; }));
  EXPECT_EQ(MenuExtKeys(), (std::set<std::string>{"&IMDb search", "&Wikipedia lookup", "&YouTube search"}));
  EXPECT_EQ(MenuExtValue("&YouTube search", ""), InPack("Lookup\\luYouTube.htm"));
  EXPECT_EQ(MenuExtValue("&YouTube search", "Contexts"), "16");
  EXPECT_TRUE(Logged("Importing [ " + saved + " ] into registry"));
  EXPECT_FALSE(nimo_->TopWindow("Unable to import file", false, true, "#32770"));
}

}  // namespace

