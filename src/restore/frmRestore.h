// The Restore window: every backup the program made, newest first (of the automatic
// copies only the newest unless asked), and the commands to put one back, open it in
// the text editor or delete those selected. Its place is kept between runs. Modal, owned by the main
// window; loaded when shown, unloaded when closed.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "lang/modLang.h"
#include "restore/Backups.h"
#include "win/ListView.h"
#include "win/Window.h"

class frmRestore : public win::CModalWindow, public modLang::LangWindow {
 public:
  frmRestore() = default;
  ~frmRestore() override;
  frmRestore(const frmRestore&) = delete;
  frmRestore& operator=(const frmRestore&) = delete;

  // Creates the hidden window owned by the main window and runs Form_Load; restored runs
  // after a backup was put back. False when the window could not be created.
  bool Load(HWND owner, std::function<void()> restored);
  // Shows the loaded window modally: the owner is disabled until it closes.
  void ShowModal() { RunModal(lvwBackups.Handle()); }

  // LangWindow
  std::string WindowName() const override { return "frmRestore"; }
  std::vector<modLang::Control> Controls() override;

  // Fills the list from the backup folders; the row of `select` (a file) is selected
  // when it is still there, else the row at `at` or the last.
  void LoadBackups(std::string select = "", int at = 0);
  // The backup of a row (it carries the backup's index in the list of backups), or nullptr.
  const modRestore::Backup* BackupOf(int row) const;

  // Controls
  win::CListView lvwBackups;
  win::CWindow cmdRestore, cmdOpen, cmdDelete, cmdClose, chkAutomatic;

  // Window events
  void Form_Load();
  void Form_Resize();
  // Moved to a monitor of another scaling: the font, columns and layout follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  // Laid out at dpi, or less where its smallest size would not fit on the work area.
  void FitLayout(UINT dpi);
  void lvwBackups_ColumnClick(int column);
  void cmdRestore_Click();
  void cmdOpen_Click();
  void cmdDelete_Click();
  void cmdClose_Click();
  void chkAutomatic_Click();

 private:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(UINT id) override;
  // The list's notifications.
  void OnListNotice(const NMHDR& header);
  void Form_MinMaxInfo(MINMAXINFO& limits) const;
  bool CreateControls();
  void Closing() override;
  // Back where it was closed, on that monitor's work area.
  void PlaceAsLeft();
  // A button's width for its caption, at least the usual width.
  int ButtonWidth(const win::CWindow& button) const;
  // The client width the buttons and the check box need.
  int LeastWidth() const;
  // The rows selected, top to bottom.
  std::vector<int> SelectedRows() const;
  std::function<void()> restored_;
  std::vector<modRestore::Backup> backups_;
  win::CFocusMemory focus_;
  win::CFont font_;
};
