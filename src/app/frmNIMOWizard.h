// The wizard: a two-page window for enabling and disabling extensions without the
// main window's menus. A welcome page, then the installed and available lists side by
// side with an arrow button each way.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "inventory/Model.h"
#include "lang/modLang.h"
#include "win/LabelButton.h"
#include "win/ListView.h"
#include "win/Window.h"

struct ProgramCalls;

class frmNIMOWizard : public win::CFrame, public modLang::LangWindow {
 public:
  explicit frmNIMOWizard(ProgramCalls& program);
  ~frmNIMOWizard() override;
  frmNIMOWizard(const frmNIMOWizard&) = delete;
  frmNIMOWizard& operator=(const frmNIMOWizard&) = delete;

  // Creates the hidden window and runs Form_Load.
  bool Load();
  // Closes the window as its close button does: Form_QueryUnload, then Form_Unload,
  // which may keep it open (Cancel at the question).
  void Close();
  bool Loaded() const { return h_ != nullptr; }

  // The lists show the model: the installed extensions, and the catalog less them.
  void ShowInstalled(const modMain::Extensions& extensions);
  // A batch of a read under way, from row from on: it joins the list when the list was
  // empty as the read began (its first load); a list on show keeps its rows and selection
  // until ShowInstalled.
  void ShowBatch(const modMain::Extensions& extensions, size_t from);
  void ShowCatalog(const modMain::Extensions& extensions);

  // LangWindow
  std::string WindowName() const override { return "frmNIMOWizard"; }
  std::vector<modLang::Control> Controls() override;

  // A frame used as a page: its controls show and hide with it.
  struct Frame {
    bool visible = false;
    std::vector<win::CWindow*> controls;
  };

  // Controls, in layout order.
  win::CWindow ChkNoWiz;
  Frame frMain;
  win::CWindow lblNotice, lblWelcome3, lblWelcome2, lblWelcome1;
  Frame frExtensions;
  win::CListView lvwInstalled, lvwAvailable;
  win::CWindow lblInstalledCount, lblAvailableCount, lblExtensions;
  win::CLabelButton lblInstall, lblDisable;
  win::CLabelButton lblFinish, lblProceed;
  win::CWindow Line1, imgSidePanel;

  bool SwitchToClassic = false;
  bool Checked() const;
  void SetChecked(bool on);

  // Window events
  void Form_Load();
  void Form_QueryUnload();
  bool Form_Unload();  // false: the close is cancelled
  void ChkNoWiz_Click();
  void lblProceed_Click();
  void lblFinish_Click();
  void lblInstall_Click();
  void lblDisable_Click();
  // A double-click on a row moves it across, as its arrow does.
  void lvwInstalled_DblClick() { lblDisable_Click(); }
  void lvwAvailable_DblClick() { lblInstall_Click(); }

 private:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(UINT id) override;
  // Moved to a monitor of another scaling: fonts, places and pictures follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  void MakeFonts();
  void ShowSidePanel();
  bool CreateControls();
  bool CreateWelcomePage();
  bool CreateExtensionsPage();
  bool CreateBottomRow();
  // The hand pointer over what can be clicked, and the hover looks.
  void ShowClickables();
  void AddTips();
  void ShowFrame(Frame& frame, bool show);
  // Finish or "Next >>" in their common place; the focus follows from one to the other.
  void ShowFinishOrNext(bool finish);
  // The button that Enter presses when the focus is on no button: on a list, the arrow
  // that moves its row across.
  UINT DefaultButton() const;
  // The warning sign of a row whose file is missing, at the window's DPI.
  void MakeImages();
  void FitNameColumn(win::CListView& list);
  // The colours of a static or the check box on the white window.
  HBRUSH ControlColors(HDC dc, HWND control) const;

  ProgramCalls& program_;
  HWND tips_ = nullptr;
  win::CFont font_, bold_{FW_BOLD}, heading_{FW_BOLD, false, 150};
  HBITMAP sidePanel_ = nullptr;
  HIMAGELIST images_ = nullptr;
  int missingImage_ = -1;
  bool closing_ = false;
  bool fillingBatches_ = false;  // ShowBatch adds the read's rows
  win::CFocusMemory focus_;
};
