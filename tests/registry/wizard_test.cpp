// The wizard over the main window: its counts, Finish and its return.
#include <gtest/gtest.h>

#include "app/frmNIMOWizard.h"
#include "base/resource.h"
#include "log/modLog.h"
#include "registry/Pack.h"

namespace {

using namespace testkit;

class Wizard : public OperationsWindow {
 protected:
  void SetUp() override {
    OperationsWindow::SetUp();
    if (HasFatalFailure()) return;
    for (const char* key : {"InstallPrompt", "UseClassic"}) modSettings::WriteINI("", "Settings", key, "0");
    main_.ShowWizard();
    ASSERT_NE(main_.Wizard(), nullptr);
    UntilRead(main_);
  }
  std::string Counts() {
    frmNIMOWizard& w = *main_.Wizard();
    return w.lblInstalledCount.Text() + (IsWindowEnabled(w.lblDisable.Handle()) ? " <<, " : ", ") +
           w.lblAvailableCount.Text() + (IsWindowEnabled(w.lblInstall.Handle()) ? " >>" : "");
  }
  // The tick, the button shown in Finish's place, and whether the extensions' page shows.
  std::string State() {
    frmNIMOWizard& w = *main_.Wizard();
    return std::string(w.Checked() ? "ticked" : "unticked") + (w.lblProceed.IsVisible() ? " Next" : "") +
           (w.lblFinish.IsVisible() ? " Finish" : "") + (w.lvwAvailable.IsVisible() ? " extensions" : "");
  }
};

// Cancel at Finish stays (ClearLog has deleted the log); the close box ends the program unasked.
TEST_F(Wizard, FinishAsksAboutTheNextStartAndTheWizardComesBackOnItsWelcomePage) {
  modSettings::WriteINI("", "Shutdown", "ClearLog", "1");
  EXPECT_EQ(Counts(), "0 Extensions installed, 2 Extensions available >>");
  for (auto [answer, stored] : {std::pair{IDCANCEL, "0"}, std::pair{IDNO, "1"}}) {
    SCOPED_TRACE(answer);
    frmNIMOWizard& w = *main_.Wizard();
    if (answer == IDNO) {
      w.lvwAvailable.Select(Row(w.lvwAvailable, "Define"));
      w.lblInstall_Click();
      UntilRead(main_);
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
    EXPECT_EQ(Ini("Settings", "UseClassic"), stored);
    EXPECT_FALSE(main_.Unloaded());
    EXPECT_EQ(main_.IsVisible(), answer != IDCANCEL);
    if (answer == IDCANCEL) {
      ASSERT_EQ(main_.Wizard(), &w);
      EXPECT_FALSE(Exists(In("Logs\\applog.log")));
      EXPECT_EQ(State(), "unticked Next extensions");
      continue;
    }
    EXPECT_EQ(main_.Wizard(), nullptr);
    EXPECT_GE(Row(main_.lvwInstalled, "Define"), 0);
    EXPECT_EQ(Row(main_.lvwAvailable, "Define"), -1);
  }
  Install({{"&Translate", Ext("translate")}});
  main_.Command(IDM_mnuSwitchToWizard);
  ASSERT_NE(main_.Wizard(), nullptr);
  UntilRead(main_);
  frmNIMOWizard& w = *main_.Wizard();
  EXPECT_TRUE(w.IsVisible());
  EXPECT_FALSE(main_.IsVisible());
  EXPECT_EQ(Counts(), "2 Extensions installed <<, 0 Extensions available");
  EXPECT_EQ(State(), "unticked Next");
  w.SetChecked(true);
  EXPECT_EQ(State(), "ticked Finish");
  seam_.messages.clear();
  w.Send(WM_CLOSE);
  EXPECT_TRUE(seam_.messages.empty());
  EXPECT_TRUE(main_.Unloaded());
  EXPECT_EQ(main_.Wizard(), nullptr);
}

}  // namespace
