// The wizard window: its lists, counts and arrows, the Finish question and closing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "log/modLog.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"
#include "wizard/frmNIMOWizard.h"

namespace {

using testkit::Row;

// A pack of two extensions, One and Two, none installed; the wizard shown.
class Wizard : public testkit::EmptyMenuExtTest {
 protected:
  void SetUp() override {
    testkit::EmptyMenuExtTest::SetUp();
    if (HasFatalFailure()) return;
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
    for (const char* setting : {"InstallPrompt", "RMEK_Backup", "UseClassic"}) modSettings::WriteINI("", "Settings", setting, "0");
    for (const char* folder : {"Reg_Files", "Lookup"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
    std::string catalog = "[Available_Extensions]\r\n";
    for (const std::string name : {"One", "Two"}) {
      testkit::WriteAll(pack_ / ("Lookup\\" + name + ".htm"), "<html></html>");
      testkit::WriteAll(pack_ / ("Reg_Files\\" + name + ".txt"),
                        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + kMenuExt + "\\" + name +
                            "]\r\n@=\"[PATH]Lookup\\\\" + name + ".htm\"\r\n\"Contexts\"=dword:00000010\r\n");
      catalog += "Lookup=" + name + ";Lookup\\" + name + ".htm;Looks " + name + " up;Reg_Files\\" + name + ".reg\r\n";
    }
    testkit::WriteAll(In("NIMO_Ext.ini"), catalog);
    seam_.passThrough = {"regedit"};
    ASSERT_TRUE(main_.Create());
    main_.ShowWizard();
    ASSERT_NE(main_.Wizard(), nullptr);
  }
  frmNIMOWizard& W() { return *main_.Wizard(); }
  std::string Ini(const std::string& key) { return modSettings::ReadINI(modMain::kTitle, "Settings", key, "<none>"); }
  const std::string kMenuExt = modReg::kMenuExtPath;
  testkit::ScriptedSeam seam_;
  testkit::TempFolder pack_;
  frmMain main_;
};

// The counts set the arrows; the lists show only the names; the main window's caption
// stays. Finish unticked ends the program without a question.
TEST_F(Wizard, ListsShowOnlyNamesAndTheCountsSetTheArrows) {
  frmNIMOWizard& w = W();
  EXPECT_EQ(w.lblInstalledCount.Text(), "0 Extensions installed");
  EXPECT_EQ(w.lblAvailableCount.Text(), "2 Extensions available");
  EXPECT_TRUE(!IsWindowEnabled(w.lblDisable.Handle()) && IsWindowEnabled(w.lblInstall.Handle()));
  for (int column : {1, 2, 3}) EXPECT_EQ(ListView_GetColumnWidth(w.lvwAvailable.Handle(), column), 0);
  EXPECT_EQ(ListView_GetColumnWidth(w.lvwAvailable.Handle(), 0), w.lvwAvailable.ClientRect().right);
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack");
  w.lblProceed_Click();
  w.lblFinish_Click();
  EXPECT_TRUE(seam_.messages.empty() && main_.Unloaded() && !main_.Wizard());
  EXPECT_EQ(Ini("UseClassic"), "0");
}

// Ticked, Finish asks about the next start: Cancel stays on the page, unticked (ClearLog
// has deleted the log); No stores it and shows the main window as the wizard left the
// lists. The wizard comes back on lists read anew, on its welcome page, where the box
// puts Finish in the place of Next; its close box ends the program without a question.
TEST_F(Wizard, FinishAsksAboutTheNextStartAndTheWizardComesBackOnItsWelcomePage) {
  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  for (auto [answer, stored] : {std::pair{IDCANCEL, "0"}, std::pair{IDNO, "1"}}) {
    SCOPED_TRACE(answer);
    frmNIMOWizard& w = W();
    if (answer == IDNO) {
      w.lvwAvailable.Select(Row(w.lvwAvailable, "One"));
      w.lblInstall_Click();
    }
    modMain::WriteLog("something");
    w.lblProceed.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));  // a click on "Next >>"
    w.lblProceed.Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(w.lvwAvailable.IsVisible());
    seam_.answers = {answer};
    w.SetChecked(true);
    w.lblFinish_Click();
    ASSERT_EQ(seam_.messages.size(), answer == IDCANCEL ? 1u : 2u);
    EXPECT_EQ(seam_.messages.back().text, "Would you like to use this wizard the next time you load Zandor Extension Pack?");
    EXPECT_EQ(seam_.messages.back().buttons(), static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(Ini("UseClassic"), stored);
    EXPECT_TRUE(!main_.Unloaded() && main_.IsVisible() == (answer != IDCANCEL));
    if (answer == IDCANCEL) {
      ASSERT_EQ(main_.Wizard(), &w);
      EXPECT_FALSE(testkit::Exists(In("Logs\\applog.log")));
      EXPECT_TRUE(!w.Checked() && w.lblProceed.IsVisible() && !w.lblFinish.IsVisible() && w.lvwAvailable.IsVisible());
      continue;
    }
    EXPECT_EQ(main_.Wizard(), nullptr);
    EXPECT_TRUE(Row(main_.lvwInstalled, "One") >= 0 && Row(main_.lvwAvailable, "One") == -1);
    EXPECT_EQ(main_.ctlSBar.Text(), "1 extensions installed");
    EXPECT_TRUE(!main_.menu.IsChecked(IDM_mnuStartupWizard) && main_.menu.IsChecked(IDM_mnuStartupAvailable));
  }
  testkit::RegSetString(HKEY_CURRENT_USER, kMenuExt + "\\Two", "", pack_ / "Lookup\\Two.htm");
  main_.Command(IDM_mnuSwitchToWizard);
  ASSERT_NE(main_.Wizard(), nullptr);
  frmNIMOWizard& w = W();
  EXPECT_TRUE(w.IsVisible() && !main_.IsVisible());
  EXPECT_EQ(w.lblInstalledCount.Text(), "2 Extensions installed");
  EXPECT_EQ(w.lblAvailableCount.Text(), "0 Extensions available");
  EXPECT_TRUE(IsWindowEnabled(w.lblDisable.Handle()) && !IsWindowEnabled(w.lblInstall.Handle()));
  EXPECT_TRUE(!w.Checked() && w.lblProceed.IsVisible() && !w.lblFinish.IsVisible());
  w.SetChecked(true);
  EXPECT_TRUE(w.lblFinish.IsVisible() && !w.lblProceed.IsVisible());
  seam_.messages.clear();
  w.Send(WM_CLOSE);
  EXPECT_TRUE(seam_.messages.empty() && main_.Unloaded() && !main_.Wizard());
}

}  // namespace
