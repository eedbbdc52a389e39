// The About box and the Help menu: what they show and what they hand to the shell.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "about/Links.h"
#include "about/VersionInfo.h"
#include "about/frmAbout.h"
#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

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

// Windows open centred on their owner, but wholly on the work area, at any resolution.
TEST(WorkArea, AWindowIsCentredOnItsOwnerAndMovedOntoTheWorkArea) {
  const RECT screen{0, 0, 1024, 738}, belowTopBar{0, 40, 1024, 768};
  const struct {
    RECT on, work;
    int width, height;
    RECT at;
  } cases[] = {
      {{100, 100, 500, 400}, screen, 200, 100, {200, 200, 400, 300}},    // inside: centred
      {{0, 0, 840, 500}, screen, 606, 550, {117, 0, 723, 550}},          // taller than its owner at the top
      {{900, 600, 1100, 800}, screen, 300, 200, {724, 538, 1024, 738}},  // owner partly off the screen
      {{0, 0, 1024, 300}, belowTopBar, 400, 400, {312, 40, 712, 440}},   // a bar at the top of the screen
      {{0, 0, 1024, 738}, screen, 1200, 900, {0, 0, 1200, 900}},         // larger than the screen: its top left
  };
  for (const auto& c : cases) {
    const RECT at = win::PlaceOnWorkArea(c.width, c.height, c.on, c.work);
    EXPECT_TRUE(EqualRect(&at, &c.at)) << at.left << "," << at.top << "," << at.right << "," << at.bottom;
  }
}

// Loaded hidden; both link labels open the maker's home page; the Close button, Escape
// and the close box each unload it. The version it shows is the program file's.
TEST_F(HelpTest, AboutBoxLinksAndEveryWayToCloseIt) {
  frmAbout about;
  ASSERT_TRUE(about.Load(main_.Handle()));
  EXPECT_FALSE(about.IsVisible());
  for (const win::CWindow* label : {&about.Label16, &about.Label6})
    about.Send(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(*label), STN_CLICKED), reinterpret_cast<LPARAM>(label->Handle()));
  modMain::DoEvents();
  ASSERT_EQ(seam_.shellCalls.size(), 2u);
  for (const testkit::ShellCall& call : seam_.shellCalls)
    EXPECT_EQ(call.file + "|" + call.parameters + call.directory, std::string(modLinks::kMakerHome) + "|");
  const std::function<void()> ways[] = {[&] { about.Command1.Send(BM_CLICK); },
                                        [&] {
                                          MSG key{about.Command1, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
                                          IsDialogMessageA(about, &key);
                                        },
                                        [&] { about.Send(WM_CLOSE); }};
  for (const auto& close : ways) {
    SCOPED_TRACE(&close - ways);
    if (!about.Loaded()) ASSERT_TRUE(about.Load(main_.Handle()));
    EXPECT_EQ(frmAbout::Current(), &about);
    HWND window = about;
    close();
    modMain::DoEvents();
    EXPECT_FALSE(about.Loaded());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frmAbout::Current(), nullptr);
  }
  EXPECT_EQ(seam_.shellCalls.size(), 2u);
  EXPECT_TRUE(seam_.messages.empty());
  const modVersion::FileVersionInfo program = modVersion::ReadVersionInfo(modVersion::ProgramFile());
  EXPECT_TRUE(program.Found);
  EXPECT_EQ(program.Version, modMain::VersionText());
  testkit::WriteAll(In("plain.txt"), "no version here");
  EXPECT_FALSE(modVersion::ReadVersionInfo(In("plain.txt")).Found);
}

// What the About box looked like while the menu command waited for it.
std::string g_probe;
HWND g_owner;

void CALLBACK ProbeAndClose(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  frmAbout* about = frmAbout::Current();
  g_probe = "no About box";
  if (!about) return;
  g_owner = GetWindow(*about, GW_OWNER);
  g_probe = std::string(about->IsVisible() ? "shown" : "hidden") +
            (IsWindowEnabled(g_owner) ? ", owner enabled, " : ", owner disabled, ") + about->Label13.Text();
  about->Send(WM_CLOSE);
  if (about->Loaded()) about->Unload();  // never leave the test waiting
}

TEST_F(HelpTest, AboutIsModalOverTheMainWindowUntilClosed) {
  g_probe.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, ProbeAndClose);
  ASSERT_NE(timer, 0u);
  EXPECT_TRUE(main_.Command(IDM_mnuAbout));
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_probe, "shown, owner disabled, 1.2.3");
  EXPECT_EQ(g_owner, main_.Handle());
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_EQ(frmAbout::Current(), nullptr);
}

TEST_F(HelpTest, ContentsOpensTheHelpFileInTheProgramFolderOrSaysItIsMissing) {
  ASSERT_TRUE(CreateDirectoryA(In("help.chm").c_str(), nullptr));  // a folder is not the help file
  EXPECT_TRUE(main_.Command(IDM_mnuContents));
  EXPECT_TRUE(seam_.shellCalls.empty());
  EXPECT_EQ(seam_.Texts(), std::vector<std::string>{"Help files not present"});

  ASSERT_TRUE(RemoveDirectoryA(In("help.chm").c_str()));
  testkit::WriteAll(In("help.chm"), "ITSF");
  const testkit::ShellCall call = Open(IDM_mnuContents);
  EXPECT_EQ(call.file + "|" + call.parameters + "|" + call.directory, "help.chm||" + folder_.path());
  EXPECT_EQ(seam_.messages.size(), 1u);
}

// Every web link opens its own address; Check for updates opens the version history
// until an updater lies in the program folder, which then gets the settings file as
// its whole parameter text, unquoted even with a blank in the path.
TEST_F(HelpTest, WebLinksAndTheUpdater) {
  const std::pair<UINT, const char*> items[] = {{IDM_mnuOTW_Feedback, modLinks::kOrlixFeedback},
                                                {IDM_mnuHomepage, modLinks::kProductPage},
                                                {IDM_mnuHomepage_ZandorF, modLinks::kBrowserForum},
                                                {IDM_mnuHomepage_OrlixF, modLinks::kOrlixForum},
                                                {IDM_mnuHomepage_OrlixO, modLinks::kOrlixHome},
                                                {IDM_mnuUpdate, modLinks::kVersionHistory}};
  std::set<std::string> opened{modLinks::kMakerHome};
  for (const auto& [id, address] : items) {
    const testkit::ShellCall call = Open(id);
    EXPECT_EQ(call.file + "|" + call.parameters + call.directory, std::string(address) + "|") << id;
    opened.insert(call.file);
  }
  EXPECT_EQ(opened.size(), 7u);  // no two items share an address

  const std::string folder = In("Zandor Pack");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  modMain::SetAppPathOverride(folder);
  testkit::WriteAll(folder + "\\update.exe", "MZ");
  const testkit::ShellCall call = Open(IDM_mnuUpdate);
  EXPECT_EQ(call.file + "|" + call.parameters + "|" + call.directory, "update.exe|" + folder + "\\NIMO.ini|" + folder);
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
