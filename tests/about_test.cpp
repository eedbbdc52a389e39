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

bool Underlined(const win::CWindow& control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(control.Send(WM_GETFONT)), sizeof font, &font);
  return font.lfUnderline != 0;
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

TEST_F(AboutBox, LoadsHiddenWithTheProgramsVersionInformation) {
  EXPECT_FALSE(about_.IsVisible());
  EXPECT_EQ(frmAbout::Current(), &about_);
  EXPECT_EQ(GetWindow(about_, GW_OWNER), main_.Handle());
  EXPECT_EQ(about_.Text(), "About");
  EXPECT_EQ(about_.lblTitle.Text(), "Zandor Extension Pack");
  EXPECT_EQ(about_.Label2.Text() + about_.Label8.Text() + about_.Label13.Text(), "Version:1.2.3");
  EXPECT_EQ(about_.Label3.Text() + about_.Label10.Text() + about_.Label15.Text(), "Author:Zandor Software");
  EXPECT_EQ(about_.Label4.Text() + about_.Label11.Text() + about_.Label16.Text(), "Homepage:https://www.zandor.example/");
  EXPECT_NE(about_.Label6.Text().find("Zandor Software"), std::string::npos);
  EXPECT_EQ(about_.Command1.Text(), "&Close");
  // The disclaimer: several lines that the user cannot change.
  const LONG style = GetWindowLongA(about_.txtMain, GWL_STYLE);
  EXPECT_TRUE((style & ES_MULTILINE) && (style & ES_READONLY));
  EXPECT_GT(about_.txtMain.Send(EM_GETLINECOUNT), 1);
  // The main window's icon and the logo.
  EXPECT_NE(GetClassLongPtrA(main_, GCLP_HICON), 0u);
  EXPECT_EQ(about_.Send(WM_GETICON, ICON_BIG), static_cast<LRESULT>(GetClassLongPtrA(main_, GCLP_HICON)));
  EXPECT_NE(about_.Image1.Send(STM_GETIMAGE, IMAGE_BITMAP), 0);

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
    EXPECT_EQ(seam_.shellCalls[0].parameters, "");
    EXPECT_EQ(seam_.shellCalls[0].directory, "");
  }
  EXPECT_TRUE(about_.Loaded());
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(AboutBox, LinksAreBlueAndTakeTheHandAndUnderlineUnderThePointer) {
  HDC dc = CreateCompatibleDC(nullptr);
  auto colours = [&](const win::CWindow& label) {
    about_.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label.Handle()));
    return std::pair{GetTextColor(dc), GetBkColor(dc)};
  };
  EXPECT_EQ(colours(about_.Label16), std::pair(frmAbout::kLinkColor, frmAbout::kBackColor));
  EXPECT_EQ(colours(about_.Label6), std::pair(frmAbout::kLinkColor, frmAbout::kBackColor));
  EXPECT_NE(colours(about_.Label15).first, frmAbout::kLinkColor);
  DeleteDC(dc);

  auto pointAt = [&](HWND over) {
    return about_.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(over), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  HCURSOR hand = LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND));
  ASSERT_NE(hand, nullptr);
  EXPECT_TRUE(pointAt(about_.Label16));
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_EQ(about_.HotLink(), &about_.Label16);
  EXPECT_TRUE(Underlined(about_.Label16));
  // From one link straight to the other.
  EXPECT_TRUE(pointAt(about_.Label6));
  EXPECT_EQ(about_.HotLink(), &about_.Label6);
  EXPECT_FALSE(Underlined(about_.Label16));
  EXPECT_TRUE(Underlined(about_.Label6));
  // Any other place puts the links back.
  EXPECT_FALSE(pointAt(about_.Label15));
  EXPECT_EQ(about_.HotLink(), nullptr);
  EXPECT_FALSE(Underlined(about_.Label6));
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

TEST_F(HelpTest, ContentsOpensTheHelpFileInTheProgramFolder) {
  testkit::WriteAll(In("help.chm"), "ITSF");
  const testkit::ShellCall call = Open(IDM_mnuContents);
  EXPECT_EQ(call.file, "help.chm");
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, folder_.path());
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(HelpTest, ContentsWithoutHelpFileSaysSo) {
  ASSERT_TRUE(CreateDirectoryA(In("help.chm").c_str(), nullptr));  // a folder is not the help file
  EXPECT_TRUE(main_.Command(IDM_mnuContents));
  EXPECT_TRUE(seam_.shellCalls.empty());
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Help files not present");
  EXPECT_EQ(seam_.messages[0].title, "Zandor Extension Pack");
  EXPECT_EQ(seam_.messages[0].icon(), static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(seam_.messages[0].buttons(), static_cast<UINT>(MB_OK));
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

TEST_F(HelpTest, UpdateWithoutUpdaterOpensTheVersionHistory) {
  const testkit::ShellCall call = Open(IDM_mnuUpdate);
  EXPECT_EQ(call.file, modLinks::kVersionHistory);
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
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
  for (const std::string& address : opened) {
    ASSERT_EQ(address.compare(0, 8, "https://"), 0) << address;
    const std::string host = address.substr(8, address.find('/', 8) - 8);
    EXPECT_TRUE(host == "zandor.example" || (host.size() > 15 && host.ends_with(".zandor.example"))) << address;
  }
  // The feedback section lies in the Orlix forum, the history on the product's page.
  EXPECT_EQ(std::string(modLinks::kOrlixFeedback).rfind(modLinks::kOrlixForum, 0), 0u);
  EXPECT_EQ(std::string(modLinks::kVersionHistory).rfind(modLinks::kProductPage, 0), 0u);
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
