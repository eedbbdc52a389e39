// The real NIMO.exe on a fresh copy of the bundled pack, driven from another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "base/Identity.h"
#include "base/resource.h"
#include "e2e/Driver.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"
#include "win/Window.h"

#ifndef NIMO_PACK_DIR
#error "NIMO_PACK_DIR names the bundled pack's folder"
#endif

namespace {

using e2e::Driver;
using e2e::WaitUntil;
using namespace testkit;
using Keys = std::map<std::string, std::string>;

constexpr char kEditor[] = "C:\\windows\\regedit.exe", kEditorAway[] = "C:\\windows\\regedit.exe.nimo-test";

class EndToEnd : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    testkit::ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    // The pack's record where its 32-bit installer leaves it on 64-bit Windows, alone.
    testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
    testkit::RegSetString(HKEY_LOCAL_MACHINE, kUninstall32, "InstallLocation", pack_.path() + "\\");
    testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    std::error_code error;
    std::filesystem::copy("Z:" NIMO_PACK_DIR, pack_.path(), std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << NIMO_PACK_DIR << ": " << error.message();
    char self[MAX_PATH * 2] = {};  // the program is built beside the tests
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::filesystem::copy_file(std::filesystem::path(self).replace_filename("NIMO.exe"), In("NIMO.exe"), error);
    ASSERT_FALSE(error) << self << ": " << error.message();
    nimo_ = std::make_unique<Driver>(In("NIMO.exe"));
  }
  void TearDown() override {
    if (HasFailure() && nimo_) {
      // The windows first, a message box with its text, then the log's end: what a cut
      // report of a failure still shows.
      std::cerr << "Windows of the program:\n";
      for (HWND window : nimo_->Windows())
        std::cerr << "  \"" << Driver::Text(window) << "\" \"" << Driver::Text(GetDlgItem(window, 0xFFFF)) << "\"\n";
      const std::string log = testkit::ReadAll(In("Logs\\applog.log"));
      size_t from = log.size();
      for (int lines = 0; lines <= 40 && from != std::string::npos && from > 0; ++lines) from = log.rfind('\n', from - 1);
      std::cerr << "The log's end:\n" << log.substr(from == std::string::npos ? 0 : from + 1);
    }
    nimo_.reset();  // ends the program before its folders go
    if (!Exists(kEditor)) MoveFileA(kEditorAway, kEditor);
    testkit::ProgramStartTest::TearDown();
  }

  std::string InPack(const std::string& name) const { return pack_ / name; }
  static bool TextIs(HWND control, const std::string& text) { return WaitUntil([&] { return Driver::Text(control) == text; }); }
  static bool FocusIs(HWND window, HWND control) { return WaitUntil([&] { return Driver::Focus(window) == control; }); }
  static std::vector<HWND> Tabs(HWND window, int times) {
    std::vector<HWND> visited;
    for (HWND from = Driver::Focus(window); times-- > 0; from = visited.back()) {
      Driver::Key(window, VK_TAB);
      WaitUntil([&] { return Driver::Focus(window) != from; });
      visited.push_back(Driver::Focus(window));
    }
    return visited;
  }

  std::unique_ptr<Driver> nimo_;
};

// The first start refreshing a stale English file; the wizard by keyboard.
TEST_F(EndToEnd, FirstStartWithRlangThenTheWizardByKeyboard) {
  testkit::WriteAll(In("en.lng"), "[frmMain]\r\nmnuFile=Stale caption\r\n");
  ASSERT_TRUE(nimo_->Start("-rlang"));
  HWND wizard = nimo_->WaitFor(Driver::Captioned(e2e::kWizardTitle));
  ASSERT_TRUE(wizard) << "no wizard";
  if (const char* windows = std::getenv("NIMO_WINDOWS_VERSION")) {  // as the prefix is set
    EXPECT_EQ(testkit::LogMessages(In("Logs\\applog.log")).at(1).rfind(std::string("Windows ") + windows, 0), 0u);
  }
  EXPECT_NE(testkit::ReadAll(In("en.lng")).find("\r\nmnuFile=&File\r\n"), std::string::npos);
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{wizard});  // no question, the main window hidden
  // Start-up's own MenuExt backup, before any command.
  ASSERT_TRUE(WaitUntil([&] { return Files(In("Reg_Backup")).size() == 1; }));

  const auto item = [&](int id) { return GetDlgItem(wizard, id); };
  HWND available = item(IDC_WIZ_LVWAVAILABLE), installed = item(IDC_WIZ_LVWINSTALLED), classic = item(IDC_WIZ_CHKNOWIZ);
  HWND next = item(IDC_WIZ_LBLPROCEED), finish = item(IDC_WIZ_LBLFINISH), count = item(IDC_WIZ_LBLAVAILABLECOUNT);
  HWND enable = item(IDC_WIZ_LBLINSTALL), disable = item(IDC_WIZ_LBLDISABLE);
  ASSERT_TRUE(TextIs(count, "47 Extensions available"));

  // Alt+N ("&Next >>"): the focus to Finish in its place; Tab skips "<<", disabled.
  ASSERT_TRUE(FocusIs(wizard, next));
  Driver::Key(wizard, 'n', true);
  ASSERT_TRUE(FocusIs(wizard, finish));
  ASSERT_TRUE(IsWindowVisible(available));
  ASSERT_FALSE(IsWindowVisible(next));
  EXPECT_EQ(Tabs(wizard, 5), (std::vector<HWND>{installed, enable, available, classic, finish}));

  ASSERT_TRUE(nimo_->Select(available, "Wikipedia lookup"));
  ASSERT_EQ(Tabs(wizard, 2).back(), enable);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_EQ(nimo_->Answer(IDYES).text,
            "Have you checked the registry file associated with this extension contains the correct path?");
  ASSERT_EQ(nimo_->Answer(IDYES).text,
            "This feature requires a modification to your registry, would you like to back it up first?");
  ASSERT_TRUE(TextIs(count, "46 Extensions available"));

  // The focus stays on ">>", where Enter presses it: No to the backup.
  ASSERT_TRUE(FocusIs(wizard, enable));
  ASSERT_TRUE(nimo_->Select(available, "Google search"));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_TRUE(nimo_->Answer(IDYES)) << "no question whether the file was checked";
  ASSERT_TRUE(nimo_->Answer(IDNO)) << "no question about the backup";
  ASSERT_TRUE(TextIs(count, "45 Extensions available"));
  EXPECT_EQ(testkit::MenuExtKeys(), (Keys{{"&Wikipedia lookup", InPack("Lookup\\luWikipedia.htm")},
                             {"&Google search", InPack("Lookup\\luGoogle.htm")}}));

  // Enter on the installed list disables its row unasked; the focus stays, on the last row.
  ASSERT_TRUE(nimo_->Select(installed, "Wikipedia lookup"));
  EXPECT_EQ(Tabs(wizard, 5), (std::vector<HWND>{disable, available, classic, finish, installed}));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_TRUE(TextIs(count, "46 Extensions available"));
  EXPECT_TRUE(FocusIs(wizard, installed));
  EXPECT_EQ(SendMessageA(installed, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 0);

  // Space ticks "classic view", Enter is Finish; Yes keeps the wizard as the start view.
  ASSERT_EQ(Tabs(wizard, 4).back(), classic);
  Driver::Key(wizard, VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(classic, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  Driver::Key(wizard, VK_RETURN);
  ASSERT_EQ(nimo_->Answer(IDYES).text, "Would you like to use this wizard the next time you load Zandor Extension Pack?");
  ASSERT_TRUE(nimo_->MainWindow()) << "no main window after Finish";
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wizard); })) << "the wizard stayed loaded";
  EXPECT_EQ(Ini("Settings", "UseClassic"), "0");
  EXPECT_EQ(testkit::MenuExtKeys(), (Keys{{"&Google search", InPack("Lookup\\luGoogle.htm")}}));
}

TEST_F(EndToEnd, SecondStartPropertiesAndThePlatformDialogs) {
  const std::string imdb = InPack("Lookup\\luIMDb.htm"), file = InPack("Lookup\\luWikipedia.htm");
  for (const auto& [name, path] : {std::pair{"&IMDb search", imdb}, {"&Wikipedia lookup", file}})
    testkit::RegSetString(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\" + name, "", path);
  testkit::RegSetDword(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\&IMDb search", "Contexts", 0x41);
  testkit::WriteAll(In("en.lng"), "[frmMain]\r\nmnuFile=&File\r\n[frmModify]\r\nlblCancel=&Cancel\r\nlblOK=&Apply\r\n");
  for (const auto& [section, key, value] : {std::tuple{"Settings", "UseClassic", "1"}, {"Settings", "RMEK_Backup", "0"},
                                            {"Startup", "Mode", "0"}, {"Shutdown", "ClearLog", "1"}})
    modSettings::WriteINI("", section, key, value);
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow(), installed = GetDlgItem(main, IDC_MAIN_LVWINSTALLED);
  ASSERT_TRUE(main);
  ASSERT_TRUE(TextIs(GetDlgItem(main, IDC_MAIN_STATUSBAR), "2 extensions installed"));
  // An operation ends with the catalog read again; a command given before is dropped.
  HWND available = GetDlgItem(main, IDC_MAIN_LVWAVAILABLE);
  const auto catalogRead = [&](size_t rows) {
    return WaitUntil([&] { return nimo_->Rows(available).size() == rows; }, e2e::kEditorWaitMs);
  };

  Driver second(In("NIMO.exe"));
  ASSERT_TRUE(second.Start());
  const e2e::Box box = second.WaitForBox();
  EXPECT_EQ(box.text, "Zandor Extension Pack is already running.");
  EXPECT_EQ(second.Windows(), std::vector<HWND>{box.hwnd});  // all the second start shows
  ASSERT_TRUE(second.Press(box, IDOK));
  ASSERT_TRUE(second.WaitForExit()) << "the second start did not end";
  EXPECT_TRUE(IsWindowVisible(main));  // the first runs on

  // Enter opens the modal properties; Contexts (0x41) in decimal; Alt+R ticks 0x4; Alt+C is Cancel.
  ASSERT_TRUE(nimo_->Select(installed, "IMDb search"));
  const auto properties = [&]() -> HWND {
    Driver::Key(main, VK_RETURN);
    HWND dialog = nimo_->WaitFor(Driver::Captioned("Modify Extension"));
    return dialog && WaitUntil([&] {
             HWND name = Driver::Focus(dialog);
             return Driver::Text(name) == "&IMDb search" && SendMessageA(name, EM_GETSEL, 0, 0) == MAKELRESULT(0, 12);
           }) ? dialog : nullptr;
  };
  HWND dialog = properties(), contexts = nullptr;
  ASSERT_TRUE(dialog) << "no properties dialog";
  ASSERT_FALSE(IsWindowEnabled(main)) << "the properties dialog is not modal";
  for (int i = 0; i < 3; ++i) Driver::Key(dialog, VK_TAB);
  ASSERT_EQ(nimo_->Answer(IDOK).text.rfind("Note: If changing the context value", 0), 0u) << "no note on Tab";
  ASSERT_TRUE(WaitUntil([&] { return Driver::Text(contexts = Driver::Focus(dialog)) == "65"; }));
  Driver::Key(dialog, 'r', true);
  ASSERT_TRUE(WaitUntil([&] { return Driver::Text(contexts) == "69"; })) << "Alt+R ticked nothing";
  Driver::Key(dialog, 'c', true);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "Alt+C left the dialog open";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main); })) << "the main window stayed disabled";
  ASSERT_TRUE(dialog = properties());
  HWND name = Driver::Focus(dialog);  // Alt and a label's letter: the box after the label
  Driver::Key(dialog, 'p', true);
  ASSERT_TRUE(WaitUntil([&] { return Driver::Text(Driver::Focus(dialog)) == imdb; })) << "Alt+P";
  Driver::Key(dialog, 'n', true);
  ASSERT_TRUE(FocusIs(dialog, name)) << "Alt+N";
  ASSERT_TRUE(Driver::SetText(name, "IMDb &lookup"));
  Driver::Key(dialog, VK_RETURN);
  ASSERT_EQ(nimo_->Answer(IDYES).text, "Warning: You have asked to modify your registry, are you sure you want to proceed?");
  // After an operation the focus is in the list, on the row now where the acted-on one stood.
  const auto place = [&](const std::string& row) {
    return WaitUntil([&] {
      const auto rows = nimo_->Rows(installed);
      const size_t at = SendMessageA(installed, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED | LVNI_FOCUSED);
      return Driver::Focus(main) == installed && at < rows.size() && rows[at] == row;
    });
  };
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, e2e::kEditorWaitMs)) << "the properties dialog stayed open";
  ASSERT_TRUE(WaitUntil([&] { return nimo_->Rows(installed).size() == 2; }));
  ASSERT_TRUE(place("Wikipedia lookup")) << "focus or selection lost after the rename";
  EXPECT_EQ(testkit::MenuExtKeys(), (Keys{{"IMDb &lookup", imdb}, {"&Wikipedia lookup", file}}));

  // Not below the busy temporary folder, whose times the picker may never match.
  testkit::TempFolder out("C:\\nimo-e2e");
  Driver::Menu(main, IDM_mnuExAll);
  const e2e::Box picker = nimo_->WaitForBox(e2e::kTitle, true);
  ASSERT_TRUE(picker) << "no folder picker";
  ASSERT_TRUE(nimo_->ChooseFolder(picker.hwnd, out.path())) << "no folder taken";
  ASSERT_TRUE(TextIs(GetDlgItem(main, IDC_MAIN_STATUSBAR), "2 of 2 extensions exported to " + out.path() + "\\"));
  EXPECT_EQ(Files(out.path()), (std::set<std::string>{"IMDb &lookup.reg", "&Wikipedia lookup.reg"}));

  Driver::Key(main, VK_DELETE);
  ASSERT_TRUE(nimo_->Answer(IDYES)) << "no question before the delete";
  ASSERT_TRUE(catalogRead(46));
  EXPECT_TRUE(place("IMDb lookup"));
  EXPECT_EQ(testkit::MenuExtKeys(), (Keys{{"IMDb &lookup", imdb}}));
  EXPECT_FALSE(Exists(file));

  Driver::Menu(main, IDM_mnuImport);
  const e2e::Box open = nimo_->WaitForBox("Import extension");
  ASSERT_TRUE(open) << "no file dialog";
  ASSERT_TRUE(Driver::ChooseFile(open.hwnd, out / "&Wikipedia lookup.reg")) << "no file taken";
  ASSERT_TRUE(catalogRead(45));
  EXPECT_TRUE(place("Wikipedia lookup"));
  EXPECT_EQ(testkit::MenuExtKeys(), (Keys{{"IMDb &lookup", imdb}, {"&Wikipedia lookup", file}}));
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{main});  // no message

  Driver::Menu(main, IDM_mnuExit);
  ASSERT_TRUE(nimo_->WaitForExit()) << "the program did not end";
  EXPECT_EQ(nimo_->ExitCode(), 0u);
  EXPECT_FALSE(Exists(In("Logs\\applog.log")));
}

// The registry editor moved away (TearDown puts it back): all in-process, no message.
TEST_F(EndToEnd, DisableAndEnableWithoutTheRegistryEditor) {
  const std::string imdb = InPack("Lookup\\luIMDb.htm");
  testkit::RegSetString(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\&IMDb search", "", imdb);
  for (const auto& [key, value] : {std::pair{"UseClassic", "1"}, {"InstallPrompt", "0"}})
    modSettings::WriteINI("", "Settings", key, value);
  ASSERT_TRUE(MoveFileA(kEditor, kEditorAway)) << "the registry editor could not be moved away";
  ASSERT_TRUE(nimo_->Start());
  HWND main = nimo_->MainWindow(), available = GetDlgItem(main, IDC_MAIN_LVWAVAILABLE);
  // Each command once the catalog, read again at the end of the start or an operation, is shown.
  const auto command = [&](size_t rows, UINT view, HWND list, const std::string& row, UINT id) {
    if (!WaitUntil([&] { return nimo_->Rows(available).size() == rows; })) return false;
    Driver::Menu(main, view);
    if (!WaitUntil([&] { return IsWindowVisible(list) && nimo_->Select(list, row); })) return false;
    if (id) Driver::Menu(main, id);
    else Driver::Key(main, VK_RETURN);  // the available list's Enter: Enable
    return true;
  };
  ASSERT_TRUE(command(46, IDM_mnuInstalled, GetDlgItem(main, IDC_MAIN_LVWINSTALLED), "IMDb search", IDM_mnuDisable));
  ASSERT_TRUE(command(47, IDM_mnuAvailable, available, "IMDb search", 0)) << "not disabled";
  ASSERT_TRUE(WaitUntil([&] { return testkit::MenuExtKeys() == Keys{{"&IMDb search", imdb}}; })) << "not enabled";
  EXPECT_EQ(nimo_->Windows(), std::vector<HWND>{main});  // no message
}

// At 100, 175 and 300 % (read at start) each window lies wholly on the work area.
TEST_F(EndToEnd, EveryScalingStartsWithoutAMessageAndEachWindowOnTheWorkArea) {
  testkit::RegistryKeyGuard desktop(HKEY_CURRENT_USER, "Control Panel\\Desktop");
  testkit::RegSetString(HKEY_CURRENT_USER, std::string(modReg::kMenuExtPath) + "\\&IMDb search", "", InPack("Lookup\\luIMDb.htm"));
  modSettings::WriteINI("", "Settings", "UseClassic", "1");
  modSettings::WriteINI("", "Startup", "Mode", "0");
  const auto onWorkArea = [](HWND window) {
    RECT r{}, inside{}, work = win::WorkAreaOf(window);
    return GetWindowRect(window, &r) && IntersectRect(&inside, &r, &work) && EqualRect(&inside, &r);
  };
  const auto messages = [&] {  // message boxes
    char name[16] = {};
    return nimo_->Windows([&](HWND window) { return GetClassNameA(window, name, 16) && !lstrcmpA(name, "#32770"); }).size();
  };
  for (DWORD dpi : {96, 168, 288}) {
    testkit::RegSetDword(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", dpi);
    nimo_ = std::make_unique<Driver>(In("NIMO.exe"));
    ASSERT_TRUE(nimo_->Start());
    HWND main = nimo_->MainWindow();
    ASSERT_TRUE(main) << dpi;
    EXPECT_TRUE(onWorkArea(main)) << dpi;
    EXPECT_EQ(messages(), 0u) << dpi;
    ASSERT_TRUE(nimo_->Select(GetDlgItem(main, IDC_MAIN_LVWINSTALLED), "IMDb search"));
    for (auto [command, caption] : {std::pair{IDM_mnuModify, "Modify Extension"}, {IDM_mnuRestore, "Restore"},
                                    {IDM_mnuAbout, "About"}, {IDM_mnuSwitchToWizard, e2e::kWizardTitle}}) {
      Driver::Menu(main, command);
      HWND window = nimo_->WaitFor(Driver::Captioned(caption));
      ASSERT_TRUE(window) << dpi << " " << caption;
      EXPECT_TRUE(onWorkArea(window)) << dpi << " " << caption;
      EXPECT_EQ(messages(), 0u) << dpi << " " << caption;
      RECT client{};  // the properties' height is its layout's at the screen's DPI
      GetClientRect(window, &client);
      if (command == IDM_mnuModify) {
        EXPECT_EQ(client.bottom, MulDiv(2505, static_cast<int>(dpi), 1440));
      }
      if (command == IDM_mnuSwitchToWizard) break;
      PostMessageA(window, WM_CLOSE, 0, 0);
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window); })) << caption << " stayed open";
      ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main); })) << caption << " left the main window disabled";
    }
  }
}

}  // namespace
