// The About box and the Help menu: what they show and what they hand to the shell.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "about/Links.h"
#include "about/VersionInfo.h"
#include "about/frmAbout.h"
#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A main window without start-up, in a program folder of the test's own.
class HelpTest : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
  }
  // The one shell call that the menu item made.
  testkit::ShellCall Open(UINT id) {
    seam_.shellCalls.clear();
    EXPECT_TRUE(main_.Command(id)) << id;
    EXPECT_EQ(seam_.shellCalls.size(), 1u) << id;
    return seam_.shellCalls.empty() ? testkit::ShellCall{} : seam_.shellCalls.back();
  }
  testkit::ScriptedSeam seam_;
  frmMain main_;
};

class AboutBox : public HelpTest {
 protected:
  void SetUp() override {
    HelpTest::SetUp();
    ASSERT_TRUE(about_.Load(main_.Handle()));
  }
  frmAbout about_;
};

// ---------------------------------------------------------------------------
// The About box

// Windows open centred on their owner, but wholly on the work area, at any resolution.
TEST(WorkArea, AWindowIsCentredOnItsOwnerAndMovedOntoTheWorkArea) {
  const RECT screen{0, 0, 1024, 738}, belowTopBar{0, 40, 1024, 768};
  const struct {
    RECT on, work;
    int width, height;
    RECT at;
  } cases[] = {
      {{100, 100, 500, 400}, screen, 200, 100, {200, 200, 400, 300}},      // inside: centred
      {{0, 0, 840, 500}, screen, 606, 550, {117, 0, 723, 550}},            // taller than its owner at the top
      {{900, 600, 1100, 800}, screen, 300, 200, {724, 538, 1024, 738}},    // owner partly off the screen
      {{0, 0, 1024, 300}, belowTopBar, 400, 400, {312, 40, 712, 440}},     // a bar at the top of the screen
      {{0, 0, 1024, 738}, screen, 1200, 900, {0, 0, 1200, 900}},           // larger than the screen: its top left
  };
  for (const auto& c : cases) {
    const RECT at = win::PlaceOnWorkArea(c.width, c.height, c.on, c.work);
    EXPECT_TRUE(at.left == c.at.left && at.top == c.at.top && at.right == c.at.right && at.bottom == c.at.bottom)
        << at.left << "," << at.top << "," << at.right << "," << at.bottom;
  }
}

TEST_F(AboutBox, LoadsHiddenWithTheProgramsVersionInformation) {
  EXPECT_FALSE(about_.IsVisible());
  EXPECT_EQ(frmAbout::Current(), &about_);
  EXPECT_EQ(GetWindow(about_, GW_OWNER), main_.Handle());

  // The version information itself: read from the program file, absent from other files.
  const modVersion::FileVersionInfo program = modVersion::ReadVersionInfo(modVersion::ProgramFile());
  EXPECT_TRUE(program.Found);
  EXPECT_EQ(program.Version, modMain::VersionText());
  testkit::WriteAll(In("plain.txt"), "no version here");
  EXPECT_FALSE(modVersion::ReadVersionInfo(In("plain.txt")).Found);
}

TEST_F(AboutBox, BothLinkLabelsOpenTheMakersHomePage) {
  for (const win::CWindow* label : {&about_.Label16, &about_.Label6}) {
    seam_.shellCalls.clear();
    about_.Send(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(*label), STN_CLICKED), reinterpret_cast<LPARAM>(label->Handle()));
    Pump();
    ASSERT_EQ(seam_.shellCalls.size(), 1u);
    EXPECT_EQ(seam_.shellCalls[0].file, modLinks::kMakerHome);
    EXPECT_EQ(seam_.shellCalls[0].parameters + seam_.shellCalls[0].directory, "");
  }
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(AboutBox, CloseButtonEscapeAndCloseBoxEachUnloadIt) {
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"Close button", [&] { about_.Command1.Send(BM_CLICK); }},
      {"Escape",
       [&] {
         MSG key{about_.Command1, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
         IsDialogMessageA(about_, &key);
       }},
      {"close box", [&] { about_.Send(WM_CLOSE); }}};
  for (const auto& [name, close] : ways) {
    if (!about_.Loaded()) {
      ASSERT_TRUE(about_.Load(main_.Handle()));
    }
    HWND window = about_;
    close();
    Pump();
    EXPECT_FALSE(about_.Loaded()) << name;
    EXPECT_FALSE(IsWindow(window)) << name;
    EXPECT_EQ(frmAbout::Current(), nullptr) << name;
  }
  EXPECT_TRUE(seam_.shellCalls.empty());
}

// What the About box looked like while the menu command waited for it.
struct ModalProbe {
  bool ran = false, visible = false, mainEnabled = true;
  HWND owner = nullptr;
  std::string version;
} g_probe;

void CALLBACK ProbeAndClose(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_probe.ran = true;
  frmAbout* about = frmAbout::Current();
  if (!about) return;
  g_probe.visible = about->IsVisible();
  g_probe.owner = GetWindow(*about, GW_OWNER);
  g_probe.mainEnabled = IsWindowEnabled(g_probe.owner);
  g_probe.version = about->Label13.Text();
  about->Send(WM_CLOSE);
  if (about->Loaded()) about->Unload();  // never leave the test waiting
}

TEST_F(HelpTest, AboutIsModalOverTheMainWindowUntilClosed) {
  g_probe = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, ProbeAndClose);
  ASSERT_NE(timer, 0u);
  EXPECT_TRUE(main_.Command(IDM_mnuAbout));
  KillTimer(nullptr, timer);
  ASSERT_TRUE(g_probe.ran);
  EXPECT_TRUE(g_probe.visible);
  EXPECT_EQ(g_probe.owner, main_.Handle());
  EXPECT_FALSE(g_probe.mainEnabled);
  EXPECT_EQ(g_probe.version, "1.2.3");
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_EQ(frmAbout::Current(), nullptr);
}

// ---------------------------------------------------------------------------
// Contents and Check for updates

TEST_F(HelpTest, ContentsOpensTheHelpFileInTheProgramFolderOrSaysItIsMissing) {
  ASSERT_TRUE(CreateDirectoryA(In("help.chm").c_str(), nullptr));  // a folder is not the help file
  EXPECT_TRUE(main_.Command(IDM_mnuContents));
  EXPECT_TRUE(seam_.shellCalls.empty());
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Help files not present");

  ASSERT_TRUE(RemoveDirectoryA(In("help.chm").c_str()));
  testkit::WriteAll(In("help.chm"), "ITSF");
  const testkit::ShellCall call = Open(IDM_mnuContents);
  EXPECT_EQ(call.file, "help.chm");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, folder_.path());
  EXPECT_EQ(seam_.messages.size(), 1u);
}

TEST_F(HelpTest, UpdateStartsTheUpdaterWithTheSettingsFileAsItsWholeParameterText) {
  // A program folder with a blank in its path: the path still goes unquoted.
  const std::string folder = In("Zandor Pack");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  modMain::SetAppPathOverride(folder);
  testkit::WriteAll(folder + "\\update.exe", "MZ");
  const testkit::ShellCall call = Open(IDM_mnuUpdate);
  EXPECT_EQ(call.file, "update.exe");
  EXPECT_EQ(call.parameters, folder + "\\NIMO.ini");
  EXPECT_EQ(call.directory, folder);
  EXPECT_TRUE(seam_.messages.empty());
}

// ---------------------------------------------------------------------------
// Web links

TEST_F(HelpTest, EveryWebLinkOpensItsOwnAddressOnTheMakersSites) {
  const std::pair<UINT, const char*> items[] = {{IDM_mnuOTW_Feedback, modLinks::kOrlixFeedback},
                                                {IDM_mnuHomepage, modLinks::kProductPage},
                                                {IDM_mnuHomepage_ZandorF, modLinks::kBrowserForum},
                                                {IDM_mnuHomepage_OrlixF, modLinks::kOrlixForum},
                                                {IDM_mnuHomepage_OrlixO, modLinks::kOrlixHome},
                                                {IDM_mnuUpdate, modLinks::kVersionHistory}};
  std::set<std::string> opened{modLinks::kMakerHome};
  for (const auto& [id, address] : items) {
    const testkit::ShellCall call = Open(id);
    EXPECT_EQ(call.file, address) << main_.menu.Find(id)->name;
    EXPECT_EQ(call.parameters + call.directory, "") << main_.menu.Find(id)->name;
    opened.insert(call.file);
  }
  EXPECT_EQ(opened.size(), 7u);  // no two items share an address
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
