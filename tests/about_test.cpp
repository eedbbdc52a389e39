// The About box and the Help menu.
#include <gtest/gtest.h>

#include <functional>

#include "about/Links.h"
#include "about/VersionInfo.h"
#include "about/frmAbout.h"
#include "app/Program.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "settings/DataFolder.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

class AboutAndHelp : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
  }
  std::string Open(UINT id) {  // the one shell call the menu item made: "file|parameters|directory"
    ui.shellCalls.clear();
    EXPECT_TRUE(main_.Command(id)) << id;
    EXPECT_EQ(ui.shellCalls.size(), 1u) << id;
    const testkit::ShellCall call = ui.shellCalls.empty() ? testkit::ShellCall{} : ui.shellCalls.back();
    return call.file + "|" + call.parameters + "|" + call.directory;
  }
  testkit::ScriptedSeam ui;
  Program program_;
  frmMain& main_ = program_.Main();  // without start-up
};

TEST_F(AboutAndHelp, AboutBoxLinksAndEveryWayToCloseIt) {
  frmAbout about;
  ASSERT_TRUE(about.Load(main_.Handle()));
  EXPECT_FALSE(about.IsVisible());
  const UINT dpi = win::DpiOf(about);
  const RECT close = about.Command1.RectInParent(), wanted = win::ScaleRect(close, dpi, 2 * dpi);
  RECT suggested = about.WindowRect();
  about.Label16.Send(WM_MOUSEMOVE);  // the link is underlined under the pointer as the scaling changes
  about.Send(WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
  about.Label16.Send(WM_MOUSELEAVE);
  EXPECT_EQ(about.Label16.Send(WM_GETFONT), about.Label13.Send(WM_GETFONT));  // the new font, not underlined
  HDC dc = GetDC(about);
  about.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(about.Label16.Handle()));
  EXPECT_EQ(GetTextColor(dc), frmAbout::kLinkColor);
  ReleaseDC(about, dc);
  EXPECT_TRUE(about.Label6.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(about.Label6.Handle()), HTCLIENT));
  EXPECT_EQ(GetCursor(), LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND)));
  const RECT doubled = about.Command1.RectInParent();
  BITMAP logo{};
  GetObjectA(reinterpret_cast<HBITMAP>(about.Image1.Send(STM_GETIMAGE, IMAGE_BITMAP)), sizeof logo, &logo);
  EXPECT_TRUE(EqualRect(&doubled, &wanted)) << doubled.right;
  EXPECT_EQ(logo.bmWidth, MulDiv(960, 2 * dpi, 1440));
  for (const win::CWindow* label : {&about.Label16, &about.Label6})
    about.Send(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(*label), STN_CLICKED), reinterpret_cast<LPARAM>(label->Handle()));
  win::DoEvents();
  ASSERT_EQ(ui.shellCalls.size(), 2u);
  for (const testkit::ShellCall& call : ui.shellCalls)
    EXPECT_EQ(call.file + "|" + call.parameters + call.directory, std::string(modLinks::kMakerHome) + "|");
  MSG escape{about.Command1, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  const std::function<void()> ways[] = {[&] { about.Command1.Send(BM_CLICK); },
                                        [&] { IsDialogMessageA(about, &escape); }, [&] { about.Send(WM_CLOSE); }};
  for (const auto& close : ways) {
    if (!about.Loaded()) {
      ASSERT_TRUE(about.Load(main_.Handle()));
    }
    escape.hwnd = about.Command1;
    const HWND window = about;
    close();
    win::DoEvents();
    EXPECT_FALSE(about.Loaded()) << &close - ways;
    EXPECT_FALSE(IsWindow(window)) << &close - ways;
    EXPECT_EQ(frmAbout::Current(), nullptr);
  }
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(modVersion::ReadVersionInfo(modVersion::ProgramFile()).Version, modMain::VersionText());
  testkit::WriteAll(In("plain.txt"), "no version here");
  EXPECT_FALSE(modVersion::ReadVersionInfo(In("plain.txt")).Found);
}

// An updater in the program folder gets the settings file as its parameters, unquoted.
TEST_F(AboutAndHelp, HelpFileWebLinksAndTheUpdater) {
  EXPECT_TRUE(main_.Command(IDM_mnuContents));
  EXPECT_TRUE(ui.shellCalls.empty());
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Help files not present"});
  testkit::WriteAll(In("help.chm"), "ITSF");
  EXPECT_EQ(Open(IDM_mnuContents), "help.chm||" + folder_.path());
  const std::pair<UINT, const char*> items[] = {
      {IDM_mnuOTW_Feedback, modLinks::kOrlixFeedback}, {IDM_mnuHomepage, modLinks::kProductPage},
      {IDM_mnuHomepage_ZandorF, modLinks::kBrowserForum}, {IDM_mnuHomepage_OrlixF, modLinks::kOrlixForum},
      {IDM_mnuHomepage_OrlixO, modLinks::kOrlixHome}, {IDM_mnuUpdate, modLinks::kVersionHistory}};
  for (const auto& [id, address] : items) EXPECT_EQ(Open(id), std::string(address) + "||") << id;
  const std::string folder = In("Zandor Pack");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  modMain::SetAppPathOverride(folder);
  testkit::WriteAll(folder + "\\update.exe", "MZ");
  EXPECT_EQ(Open(IDM_mnuUpdate), "update.exe|" + folder + "\\NIMO.ini|" + folder);
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
