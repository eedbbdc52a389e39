// The main window: the two extension lists, the status bar and the whole menu bar.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/ProgramCalls.h"
#include "app/ScreenRules.h"
#include "lang/modLang.h"
#include "log/Deferral.h"
#include "win/ListView.h"
#include "win/Menu.h"
#include "win/Window.h"

class frmModify;
class frmRestore;

namespace modMain {
// The list the main window shows; None before either view command has run.
extern View CurrentView;
}  // namespace modMain

class frmMain : public win::CFrame, public modLang::LangWindow {
 public:
  explicit frmMain(ProgramCalls& program);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // The main window of this run (the one most recently created).
  static frmMain* Get();
  // The name of the mutex that marks a running instance of this executable.
  static std::string InstanceMutexName();

  // Creates the hidden window and runs Form_Initialize and Form_Load. Returns false when
  // the program ended during start-up (second instance, pack not located).
  bool Start(const std::string& commandLine);
  // Creates the hidden window with its controls and menus, without start-up.
  bool Create();
  // The real program ends its message loop when the window unloads; tests do not.
  void SetQuitOnUnload(bool on) { quitOnUnload_ = on; }
  bool Unloaded() const { return unloaded_; }
  HACCEL Accelerators() const { return accel_; }

  // The main window's loads: MenuExt or the catalog read again with their log lines;
  // every window shows the result.
  void LoadExtensionInfo() { program_.loadInstalled(modMain::Reader::Main); }
  void LoadAvailableExtensions() { program_.loadCatalog(modMain::Reader::Main); }
  // The lists show the model: the installed extensions, and the catalog less them. The
  // caption and status bar follow the main window's own loads only.
  // rowsIn: the rows came batch by batch as MenuExt was read (ShowBatch).
  void ShowInstalled(const modMain::Extensions& extensions, modMain::Reader reader, bool rowsIn = false);
  // A read of MenuExt in the background begins: the installed list empties, keeping its
  // order and selection for the end; each batch adds its rows and counts on the status bar.
  void ShowReadStart();
  void ShowBatch(const modMain::Extensions& extensions, size_t from, long total);
  // The lists are being read (from the window's first show to the end of the start's
  // reads, and at F5): the commands that act on extensions wait.
  bool Reading() const { return startPending_ || program_.reading(); }
  void ShowCatalog(const modMain::Extensions& extensions, modMain::Reader reader);
  void lvAutosizeControl(win::CListView& list);
  // Closes the window as its close button does: Form_QueryUnload, then Form_Unload.
  void Unload();
  // The wizard window while it is loaded, else nullptr.
  frmNIMOWizard* Wizard() const { return program_.wizard(); }
  // Loads the wizard when it is not loaded, and shows it.
  void ShowWizard() { program_.showWizard(); }
  // The wizard closes into this window: both lists are loaded again (the wizard may have
  // changed them) and the window is shown with its list focused.
  void ShowClassic();
  // Runs the handler of a menu item, as choosing it does; false when the item or a menu
  // above it is hidden or disabled, or the item has no handler.
  bool Command(UINT id);

  // LangWindow
  std::string WindowName() const override { return "frmMain"; }
  std::vector<modLang::Control> Controls() override;

  // Controls
  win::CListView lvwInstalled;
  win::CListView lvwAvailable;
  win::CStatusBar ctlSBar;
  win::CMenuBar menu;
  HIMAGELIST ImageList1 = nullptr;
  int TickedImage = -1;
  int MissingImage = -1;  // a row whose file is missing, in both lists

  // Window events
  void Form_Initialize();
  void Form_Load();
  void Form_QueryUnload();
  void Form_Unload();
  void Form_Resize();
  // Moved to a monitor of another scaling: fonts, pictures, columns and layout follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  void lvwInstalled_MouseDown(int button, POINT screen);
  void lvwAvailable_MouseDown(int button, POINT screen);
  // A double-click on a row, or Enter: the list's default action, bold in the Edit menu.
  void lvwInstalled_DblClick();
  void lvwAvailable_DblClick();
  // A header click sorts by that column; a second click on it reverses the order.
  void lvwInstalled_ColumnClick(int column);
  void lvwAvailable_ColumnClick(int column);
  // The context-menu key or Shift+F10 (position -1, -1) and the right button alike.
  void Form_ContextMenu(HWND from, POINT screen);

  // Menu handlers
  void mnuExit_Click();
  void mnuSwitchToWizard_Click();
  void mnuRefresh_Click();
  void mnuAvailable_Click();
  void mnuInstalled_Click();
  void mnuAppLog_Click();
  void mnuAppLogClear_Click();
  void mnuAppLogDisable_Click();
  void mnuClearLog_Click();
  void mnuRegBackup_Click();
  void mnuPromptInstall_Click();
  void mnuPromptContext_Click();
  void mnuPromptProperties_Click();
  void mnuStartupWizard_Click();
  void mnuStartupAvailable_Click();
  void mnuStartupInstalled_Click();
  // Languages
  void mnuEnglish_Click();
  void mnuFrench_Click();
  void mnuGerman_Click();
  void mnuItalian_Click();
  void mnuRussian_Click();
  void mnuSpanish_Click();
  void mnuEditLangFile_Click();
  void SetLanguage(modLang::Language language);
  // Extension operations (src/operations)
  void mnuEnable_Click();
  void mnuDisable_Click();
  void mnuDelete_Click();
  void mnuExAll_Click();
  void mnuExSelected_Click();
  void mnuExportExt_Click();
  void mnuImport_Click();
  void mnuRestore_Click();  // the Restore window (src/restore)
  void mnuPackFolder_Click();  // the pack's folder chosen again
  void mnuModifyContent_Click();
  void mnuModify_Click();  // the properties dialog
  void mnuViewRegFile_Click();
  void mnuEdit_Click();  // runs each time the Edit menu opens
  // Help menu
  void mnuContents_Click();
  void mnuAbout_Click();
  void mnuOTW_Feedback_Click();
  void mnuHomepage_Click();
  void mnuHomepage_ZandorF_Click();
  void mnuHomepage_OrlixF_Click();
  void mnuHomepage_OrlixO_Click();
  void mnuUpdate_Click();

 private:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(UINT id) override { return Command(id); }
  bool CreateControls();
  bool CheckSingleInstance();
  // The steps of Form_Load.
  void InstallCatalog();
  void LoadStartupLanguage();
  bool LocatePack();
  void ReportUnusablePaths();
  void ShowSettingMarks();
  void BeginStart();
  std::string BackupFolder(const std::string& key, const std::string& defaultName);
  void ToggleSetting(UINT id, const std::string& key);
  void SetViewMenus(modMain::View view);
  // Shows the list of the view, with its menus and texts.
  void SwitchView(modMain::View view);
  void ShowStartView();
  // The title and status bar for the list on show, from the counts of the last loads.
  void ShowViewText();
  // The lists' column headers in the current language.
  void ShowColumnTitles();
  void ShowStartModeMarks();
  win::CListView& ListOnShow();
  void SizeFirstWindow();
  // The start's reads, once the first window has shown: both lists, the start list.
  void Form_Shown();
  // The window's smallest size on the work area of its monitor.
  SIZE MinimumSize() const;
  // The font and the check mark at the window's DPI.
  void MakeFontAndImages();
  // The model's entry of the selected row; nullptr when no row is selected.
  const modMain::InstalledExtension* SelectedInstalled() const;
  const modMain::CatalogEntry* SelectedAvailable() const;

  ProgramCalls& program_;
  const modMain::Extensions* shownInstalled_ = &program_.extensions();  // what the installed list's rows show
  win::CFont font_;
  std::unique_ptr<frmModify> refreshedDialog_;  // loaded hidden by the language refresh
  std::unique_ptr<frmRestore> refreshedRestore_;
  std::string commandLine_;
  HANDLE instanceMutex_ = nullptr;
  HACCEL accel_ = nullptr;
  bool quitOnUnload_ = false;
  bool unloaded_ = false;
  bool inResize_ = false;
  bool keepLog_ = false;  // a start that ends as a second instance leaves the log alone
  long installedCount_ = -1, availableCount_ = -1;  // -1: not loaded yet
  bool startPending_ = false;
  modMain::Deferred startLines_;  // the wizard's, shown at the start, written after the reads' lines
  bool readSorted_ = false;  // the installed list's order and selection before a read in the background
  int readPlace_ = -1;
  std::wstring readingText_;
};
