#include "app/frmMain.h"

#include <windowsx.h>

#include <algorithm>

#include "about/HelpMenu.h"
#include "about/Links.h"
#include "about/VersionInfo.h"
#include "about/frmAbout.h"
#include "app/ModelRows.h"
#include "app/ScreenRules.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "restore/frmRestore.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Messages.h"
#include "win/Seam.h"

namespace modMain {
View CurrentView = View::None;
}  // namespace modMain

using modMain::WriteLog;
using modSettings::SetSetting;
using modSettings::Setting;
using modMain::View;

namespace {

constexpr UINT kInstalledId = IDC_MAIN_LVWINSTALLED, kAvailableId = IDC_MAIN_LVWAVAILABLE, kStatusId = IDC_MAIN_STATUSBAR;
constexpr char kClassName[] = "NIMOMainWindow";
constexpr COLORREF kMissingColor = 255;  // red: a file that is not there
frmMain* g_main = nullptr;

#define M(n) {IDM_##n, #n}
const win::CMenuBar::Name kMenuNames[] = {
    M(mnuFile),
    M(mnuExport),
    M(mnuExAll),
    M(mnuExSelected),
    M(mnuImport),
    M(mnuRestore),
    M(mnuFSep1),
    M(mnuSwitchToWizard),
    M(mnuFSep2),
    M(mnuDelBackups),
    M(mnuFSep3),
    M(mnuExit),
    M(mnuEdit),
    M(mnuDisable),
    M(mnuEnable),
    M(mnuExportExt),
    M(mnuESep1),
    M(mnuModifyContent),
    M(mnuModify),
    M(mnuESep2),
    M(mnuViewRegFile),
    M(mnuESep3),
    M(mnuDelete),
    M(mnuESep4),
    M(mnuRefresh),
    M(mnuView),
    M(mnuAvailable),
    M(mnuInstalled),
    M(mnuVSep1),
    M(mnuAppLogMain),
    M(mnuAppLogDisable),
    M(mnuVSSep1),
    M(mnuAppLogClear),
    M(mnuAppLog),
    M(mnuSettings),
    M(mnuRegBackup),
    M(mnuClearLog),
    M(mnuPackFolder),
    M(mnuSSep1),
    M(mnuShowPrompts),
    M(mnuPromptInstall),
    M(mnuPromptContext),
    M(mnuPromptProperties),
    M(mnuSSep2),
    M(mnuStartup),
    M(mnuStartupClassic),
    M(mnuStartupAvailable),
    M(mnuStartupInstalled),
    M(mnuStartupWizard),
    M(mnuLanguage),
    M(mnuEditLangFile),
    M(mnuLangSep),
    M(mnuEnglish),
    M(mnuFrench),
    M(mnuGerman),
    M(mnuItalian),
    M(mnuRussian),
    M(mnuSpanish),
    M(mnuHelp),
    M(mnuContents),
    M(mnuHSep1),
    M(mnuAbout),
    M(mnuNIMO_OTW),
    M(mnuOTW_Feedback),
    M(mnuOTW_Sep),
    M(mnuHomepage),
    M(mnuOTWSep1),
    M(mnuHomepage_ZandorF),
    M(mnuHomepage_OrlixF),
    M(mnuHomepage_OrlixO),
    M(mnuHSep2),
    M(mnuUpdate)
};
#undef M

// The handler behind each menu item that has one, found by the item's id.
const win::Command<frmMain> kCommands[] = {
    {IDM_mnuSwitchToWizard, &frmMain::mnuSwitchToWizard_Click},
    {IDM_mnuExit, &frmMain::mnuExit_Click},
    {IDM_mnuRefresh, &frmMain::mnuRefresh_Click},
    {IDM_mnuAvailable, &frmMain::mnuAvailable_Click},
    {IDM_mnuInstalled, &frmMain::mnuInstalled_Click},
    {IDM_mnuAppLogDisable, &frmMain::mnuAppLogDisable_Click},
    {IDM_mnuAppLogClear, &frmMain::mnuAppLogClear_Click},
    {IDM_mnuAppLog, &frmMain::mnuAppLog_Click},
    {IDM_mnuRegBackup, &frmMain::mnuRegBackup_Click},
    {IDM_mnuClearLog, &frmMain::mnuClearLog_Click},
    {IDM_mnuPromptInstall, &frmMain::mnuPromptInstall_Click},
    {IDM_mnuPromptContext, &frmMain::mnuPromptContext_Click},
    {IDM_mnuPromptProperties, &frmMain::mnuPromptProperties_Click},
    {IDM_mnuStartupAvailable, &frmMain::mnuStartupAvailable_Click},
    {IDM_mnuStartupInstalled, &frmMain::mnuStartupInstalled_Click},
    {IDM_mnuStartupWizard, &frmMain::mnuStartupWizard_Click},
    {IDM_mnuEditLangFile, &frmMain::mnuEditLangFile_Click},
    {IDM_mnuEnglish, &frmMain::mnuEnglish_Click},
    {IDM_mnuFrench, &frmMain::mnuFrench_Click},
    {IDM_mnuGerman, &frmMain::mnuGerman_Click},
    {IDM_mnuItalian, &frmMain::mnuItalian_Click},
    {IDM_mnuRussian, &frmMain::mnuRussian_Click},
    {IDM_mnuSpanish, &frmMain::mnuSpanish_Click},
    {IDM_mnuEnable, &frmMain::mnuEnable_Click},
    {IDM_mnuDisable, &frmMain::mnuDisable_Click},
    {IDM_mnuDelete, &frmMain::mnuDelete_Click},
    {IDM_mnuExAll, &frmMain::mnuExAll_Click},
    {IDM_mnuExSelected, &frmMain::mnuExSelected_Click},
    {IDM_mnuExportExt, &frmMain::mnuExportExt_Click},
    {IDM_mnuImport, &frmMain::mnuImport_Click},
    {IDM_mnuRestore, &frmMain::mnuRestore_Click},
    {IDM_mnuPackFolder, &frmMain::mnuPackFolder_Click},
    {IDM_mnuModifyContent, &frmMain::mnuModifyContent_Click},
    {IDM_mnuModify, &frmMain::mnuModify_Click},
    {IDM_mnuViewRegFile, &frmMain::mnuViewRegFile_Click},
    {IDM_mnuContents, &frmMain::mnuContents_Click},
    {IDM_mnuAbout, &frmMain::mnuAbout_Click},
    {IDM_mnuOTW_Feedback, &frmMain::mnuOTW_Feedback_Click},
    {IDM_mnuHomepage, &frmMain::mnuHomepage_Click},
    {IDM_mnuHomepage_ZandorF, &frmMain::mnuHomepage_ZandorF_Click},
    {IDM_mnuHomepage_OrlixF, &frmMain::mnuHomepage_OrlixF_Click},
    {IDM_mnuHomepage_OrlixO, &frmMain::mnuHomepage_OrlixO_Click},
    {IDM_mnuUpdate, &frmMain::mnuUpdate_Click},
};

// What works while the lists are read: the views, Help, About, Exit and the settings that
// only mark a choice. Everything else acts on the extensions or reads them.
const UINT kWhileReading[] = {IDM_mnuAvailable, IDM_mnuInstalled, IDM_mnuExit, IDM_mnuContents, IDM_mnuAbout,
                              IDM_mnuOTW_Feedback, IDM_mnuHomepage, IDM_mnuHomepage_ZandorF, IDM_mnuHomepage_OrlixF,
                              IDM_mnuHomepage_OrlixO, IDM_mnuUpdate, IDM_mnuAppLog, IDM_mnuPromptInstall,
                              IDM_mnuPromptContext, IDM_mnuPromptProperties, IDM_mnuStartupWizard,
                              IDM_mnuStartupAvailable, IDM_mnuStartupInstalled, IDM_mnuClearLog};

// Items that the window is created with hidden; the resource cannot say so.
const UINT kCreatedHidden[] = {IDM_mnuDelBackups, IDM_mnuFSep3, IDM_mnuEnable, IDM_mnuESep2, IDM_mnuViewRegFile};

}  // namespace

// A name for the mutex that marks a running instance of this executable.
std::string frmMain::InstanceMutexName() {
  char exe[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string name = modMain::InAppPath(modMain::FileNamePart(exe));
  std::string id = "NIMO-";
  for (char c : name) id += c == '\\' ? '/' : static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return id;
}

frmMain::frmMain(ProgramCalls& program) : program_(program) { g_main = this; }

frmMain::~frmMain() {
  if (h_) DestroyWindow(h_);
  if (ImageList1) ImageList_Destroy(ImageList1);
  if (accel_) DestroyAcceleratorTable(accel_);
  if (instanceMutex_) CloseHandle(instanceMutex_);
  if (g_main == this) g_main = nullptr;
}

frmMain* frmMain::Get() { return g_main; }

bool frmMain::Start(const std::string& commandLine) {
  commandLine_ = commandLine;
  modLang::ForgetTexts();  // the language file of this start
  Form_Initialize();
  if (!Create()) return false;
  Form_Load();
  return !unloaded_;
}

bool frmMain::Create() {
  Register(kClassName, IDI_MAIN, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  // Created at its smallest size for the screen; the start gives it its own.
  const SIZE least = MinimumSize();
  h_ = CreateBound(0, kClassName, modMain::kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, least.cx,
                   least.cy, nullptr);
  return h_ && CreateControls();
}

bool frmMain::CreateControls() {
  if (!menu.Load(modMain::Instance(), IDR_MAINMENU, kMenuNames, std::size(kMenuNames))) return false;
  for (UINT id : kCreatedHidden) menu.SetVisible(id, false);
  SetMenu(h_, menu.Handle());
  accel_ = LoadAcceleratorsA(modMain::Instance(), MAKEINTRESOURCEA(IDR_ACCEL));

  // The installed list holds no copy of the model: it may show thousands of keys.
  const auto installed = [this](int item) { return modMain::EntryAt(shownInstalled_->Installed, item); };
  win::CListView::Source source{
      [installed](int item, int column) {
        const modMain::InstalledExtension* e = installed(item);
        return e ? modMain::InstalledCell(*e, column) : std::wstring();
      },
      [this, installed](int item) {
        const modMain::InstalledExtension* e = installed(item);
        return !e ? -1 : !e->FileExists ? MissingImage : e->Opened ? TickedImage : -1;
      },
      [installed](int item) {
        const modMain::InstalledExtension* e = installed(item);
        return e ? modMain::InstalledTip(*e) : std::wstring();
      },
      [installed](int item, int column) {
        const modMain::InstalledExtension* e = installed(item);
        return e && !e->FileExists && column < 3 ? win::CListView::CellStyle{kMissingColor, true}
                                                   : win::CListView::CellStyle{};
      }};
  if (!lvwInstalled.CreateVirtual(h_, kInstalledId, std::move(source)) || !lvwAvailable.Create(h_, kAvailableId) ||
      !ctlSBar.Create(h_, kStatusId))
    return false;
  MakeFontAndImages();
  for (int column = 0; column < 4; ++column) lvwInstalled.AddColumn(L"");
  for (int column : {2, 3}) lvwInstalled.SetColumnOrder(column, win::CListView::Order::Hex);
  for (int column = 0; column < 4; ++column) lvwAvailable.AddColumn(L"");
  ShowColumnTitles();
  lvwAvailable.SortBy(0, false);  // its loads sort it by name
  lvwInstalled.Show();
  lvwAvailable.Hide();
  return true;  // laid out when the start gives the window its size
}

void frmMain::MakeFontAndImages() {
  const UINT dpi = LayoutDpi();
  HFONT font = font_.MakeFor(dpi, h_);
  for (HWND control : {lvwInstalled.Handle(), lvwAvailable.Handle(), ctlSBar.Handle()})
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  win::ShowIcons(h_, IDI_MAIN);
  // The check mark drawn at the small-icon size, each pixel repeated: its magenta is the
  // transparent part, which smoothing would smear into its edges.
  const int size = win::MetricAt(SM_CXSMICON, dpi);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 1);
  if (HBITMAP ticked = win::ScaledBitmap(IDB_TICKED, size, size, false)) {
    TickedImage = ImageList_AddMasked(images, ticked, RGB(255, 0, 255));
    DeleteObject(ticked);
  }
  MissingImage = win::AddWarningImage(images);
  lvwInstalled.SetImageList(images);
  lvwAvailable.SetImageList(images);
  if (ImageList1) ImageList_Destroy(ImageList1);
  ImageList1 = images;
}

std::vector<modLang::Control> frmMain::Controls() {
  std::vector<modLang::Control> controls;
  for (const win::CMenuBar::Item& item : menu.Items()) {
    UINT id = item.id;
    controls.push_back({item.name, "Menu", true, [this, id] { return menu.Caption(id); },
                        [this, id](const std::wstring& caption) { menu.SetCaption(id, caption); }});
  }
  const auto fixed = modLang::FixedControl;
  controls.push_back(fixed("lvwInstalled", "ListView"));
  controls.push_back(fixed("lvwAvailable", "ListView"));
  controls.push_back(fixed("ctlSBar", "StatusBar"));
  controls.push_back(fixed("ImageList1", "ImageList"));
  controls.push_back(fixed("cDialog", "CommonDialog"));
  return controls;
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void frmMain::Form_Initialize() {
  const modMain::DataFolder& data = modMain::Data();
  WriteLog(std::string("Initializing ") + modMain::kTitle + " " + modMain::VersionText());
  WriteLog("Windows " + modVersion::WindowsVersion());
  WriteLog("Data folder: " + data.path + " (" + data.why + ")");
  if (!data.writable)  // said once; what cannot be written later is only logged
    modLang::Say(nullptr, modLang::Text("Messages", "DataFolderUnwritable", {modMain::kTitle, modLang::Reason(data.why)}),
                 MB_OK | MB_ICONEXCLAMATION);
}

bool frmMain::CheckSingleInstance() {
  instanceMutex_ = CreateMutexA(nullptr, FALSE, InstanceMutexName().c_str());
  const DWORD error = GetLastError();
  if (instanceMutex_ && error != ERROR_ALREADY_EXISTS) return true;
  if (!instanceMutex_) {
    // Not a second instance: the platform refused the mark, and says why.
    const std::string reason = modMain::SystemErrorText(error);
    WriteLog("Unable to create the single-instance mutex: " + reason);
    modLang::Say(nullptr, modLang::Text("Messages", "InstanceUnknown", {modMain::kTitle, reason}), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  modLang::Say(nullptr, modLang::Text("Messages", "AlreadyRunning", {modMain::kTitle}), MB_OK | MB_ICONINFORMATION);
  WriteLog("Woops, someone tried to load an additional instance of me");
  return false;
}

// The registry or extension backup folder, ending in a backslash, made when missing.
std::string frmMain::BackupFolder(const std::string& key, const std::string& defaultName) {
  std::string folder = modSettings::PathSetting("Paths", key, "");
  if (folder.empty()) {
    folder = modMain::InDataPath(defaultName) + "\\";
    SetSetting("Paths", key, folder);
  }
  if (folder.back() != '\\') folder += '\\';
  WriteLog("Checking for existence of " + folder);
  if (!modMain::FolderExists(folder)) {
    std::string error;
    if (modMain::CreateFolder(folder, &error)) {
      WriteLog(folder + " does not exist, " + modMain::kTitle + " will now create it");
    } else {
      WriteLog("Unable to create " + folder + ": " + error);
      if (modMain::Data().writable)
        modLang::Say(h_, modLang::Text("Messages", "FolderNotCreated", {folder, error}), MB_OK | MB_ICONEXCLAMATION);
    }
  }
  return folder;
}

void frmMain::Form_Load() {
  if (!CheckSingleInstance()) {
    keepLog_ = true;  // the log is the running instance's
    mnuExit_Click();
    return;
  }
  Hide();  // until the start view is chosen
  WriteLog("Loading extension list");
  InstallCatalog();
  LoadStartupLanguage();
  WriteLog("Loading settings");
  BackupFolder("Registry_Backup", "Reg_Backup");
  BackupFolder("Extension_Backup", "Ext_Backup");
  SetTextW(win::Widen(modMain::kTitle));
  if (!LocatePack()) return;
  ReportUnusablePaths();
  if (Setting("Startup", "Mode", "1") == "1") SwitchView(View::Available);  // on show before the lists are read
  ShowSettingMarks();
  SizeFirstWindow();
  BeginStart();
}

// The built-in catalog, when the stored version differs or the file is missing. The
// version is stored only with the catalog that goes with it, so that a failed
// replacement is tried again at the next start.
void frmMain::InstallCatalog() {
  const std::string version = modMain::VersionText();
  if (Setting("Settings", "Ver", "") == version && modMain::OwnFileExists(modSettings::CatalogFile())) return;
  if (modMain::ExtractResource(IDR_CATALOG, "Custom", modSettings::CatalogFile()))
    SetSetting("Settings", "Ver", version);
  else
    WriteLog("Unable to install the available extensions list [ " + modSettings::CatalogFile() + " ]");
}

// The language of this start; "-rlang" loads every window hidden to write its captions.
void frmMain::LoadStartupLanguage() {
  modLang::LoadStartupLanguage(*this, commandLine_,
                               {[this]() -> modLang::LangWindow* {
                                  refreshedDialog_ = std::make_unique<frmModify>();
                                  return refreshedDialog_->Load(h_, {}, nullptr) ? refreshedDialog_.get() : nullptr;
                                },
                                [this] { return program_.loadWizardHidden(); },
                                [this]() -> modLang::LangWindow* {
                                  refreshedRestore_ = std::make_unique<frmRestore>();
                                  return refreshedRestore_->Load(h_, nullptr) ? refreshedRestore_.get() : nullptr;
                                }});
}

// The pack's folder and its registry files; false when the user cancelled, which ends
// the program.
bool frmMain::LocatePack() {
  WriteLog("Verifying NIMO location");
  const modReg::PackLocation location = modReg::GetPackLocation(h_);
  if (location.Cancelled) {
    Unload();
    return false;
  }
  SetSetting("Paths", "NIMO_Location", location.PackFolder);
  WriteLog("NIMO location verified");
  WriteLog("Verifying extension registry files location");
  if (modMain::FolderExists(location.RegFilesFolder)) {
    SetSetting("Paths", "NIMO_Reg_Files", location.RegFilesFolder);
    WriteLog("Extension registry files location verified");
  } else {
    WriteLog("Unable to verify registry files location");
    modLang::Say(h_, modLang::Text("Messages", "RegFilesNotVerified", {modMain::kTitle}), MB_OK | MB_ICONINFORMATION);
  }
  return true;
}

// A path setting too long for the platform's functions is named now, not met later as a
// file that cannot be found.
void frmMain::ReportUnusablePaths() {
  const std::vector<std::string> unusable = modSettings::UnusablePathSettings();
  if (unusable.empty()) return;
  std::string lines;
  for (const std::string& line : unusable) {
    WriteLog("Path too long for the platform: " + line);
    lines += "\r\n" + line;
  }
  modLang::Say(h_, modLang::Text("Messages", "PathsTooLong", {modSettings::SettingsFile(), lines}),
               MB_OK | MB_ICONEXCLAMATION);
}

// The check marks of the settings; nothing is unchecked here. The logging menus show
// their stored state.
void frmMain::ShowSettingMarks() {
  if (Setting("Settings", "RMEK_Backup", "1") == "1") menu.SetChecked(IDM_mnuRegBackup, true);
  if (Setting("Shutdown", "ClearLog", "") == "1") menu.SetChecked(IDM_mnuClearLog, true);
  if (Setting("Settings", "ContextPrompt", "1") == "1") menu.SetChecked(IDM_mnuPromptContext, true);
  if (Setting("Settings", "PropertiesPrompt", "1") == "1") menu.SetChecked(IDM_mnuPromptProperties, true);
  if (Setting("Settings", "InstallPrompt", "1") == "1") menu.SetChecked(IDM_mnuPromptInstall, true);
  ShowStartModeMarks();
  if (Setting("Settings", "DisableLog", "0") == "1") {
    menu.SetChecked(IDM_mnuAppLogDisable, true);
    for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) menu.SetEnabled(id, false);
  }
}

// The start view shows; the lists are read once it has painted (Form_Shown).
void frmMain::BeginStart() {
  if (Setting("Settings", "UseClassic", "").empty()) SetSetting("Settings", "UseClassic", "0");
  startPending_ = true;
  program_.starting();
  {
    modMain::DeferHere hold(startLines_, false);  // the wizard's language lines follow the reads' lines
    ShowStartView();
  }
  PostMessageA(h_, win::kStartReads, 0, 0);
}

// Both lists, MenuExt in the background; the window answers meanwhile.
void frmMain::Form_Shown() {
  WriteLog("Loading extension information");
  LoadAvailableExtensions();
  WriteLog("Loading installed extensions");
  program_.readInBackground([this] {
    startPending_ = false;
    ShowViewText();
    WriteLog("Extension information loaded");
    if (Setting("Startup", "Mode", "1") == "1") {
      WriteLog("Loading available extension information");
      mnuAvailable_Click();
      WriteLog("Available extension information loaded");
    } else if (program_.extensions().CatalogCount >= 0) {
      ShowCatalog(program_.extensions(), modMain::Reader::Main);  // less what is installed now
    }
    startLines_.Release();
    program_.started();
  });
}

void frmMain::ShowStartView() {
  if (Setting("Settings", "UseClassic", "") != "1") {
    ShowWizard();
  } else {
    Show();
    SetForegroundWindow(h_);
    SetFocus(ListOnShow().Handle());
    UpdateWindow(h_);
  }
}

// Three quarters of the work area of the window's screen wide and two thirds tall, before
// anything is read, so that the window keeps its size as the lists fill; never below the
// minimum, so no warning greets the user.
void frmMain::SizeFirstWindow() {
  const RECT work = win::WorkAreaOf(h_);
  const SIZE wanted{(work.right - work.left) * 3 / 4, std::max<LONG>(TwipsToPixelsY(5000), (work.bottom - work.top) * 2 / 3)};
  const RECT place = screen::FirstPlace(wanted, MinimumSize(), work);
  const RECT created = WindowRect();
  SetWindowPos(h_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);  // the columns are fitted to the lists as they are read
  if (created.right - created.left == place.right - place.left && created.bottom - created.top == place.bottom - place.top)
    Form_Resize();  // the size it was created at: no WM_SIZE lays it out
}

SIZE frmMain::MinimumSize() const { return screen::MinimumSize(LayoutDpi(), win::WorkAreaOf(h_)); }

win::CListView& frmMain::ListOnShow() { return modMain::CurrentView == View::Available ? lvwAvailable : lvwInstalled; }

void frmMain::ShowViewText() {
  if (Reading()) {  // the counts come with the whole lists
    SetText(modMain::kTitle);
    ctlSBar.SetText(readingText_.empty() ? screen::ReadingText(0, 0) : readingText_);
    return;
  }
  const screen::Texts texts = screen::Describe(modMain::CurrentView, installedCount_, availableCount_);
  SetTextW(texts.title);
  ctlSBar.SetText(texts.status);
}

void frmMain::ShowColumnTitles() {
  const char* const installed[] = {"colName", "colPath", "colContext", "colFlags"};
  const char* const available[] = {"colName", "colCategory", "colDescription", "colLocation"};
  for (int column = 0; column < 4; ++column) {
    lvwInstalled.SetColumnTitle(column, modLang::Text("Main", installed[column]));
    lvwAvailable.SetColumnTitle(column, modLang::Text("Main", available[column]));
  }
}

void frmMain::ShowClassic() {
  LoadExtensionInfo();
  LoadAvailableExtensions();
  ShowStartModeMarks();  // the wizard may have changed the start mode
  Show();
  SetForegroundWindow(h_);
  SetFocus(ListOnShow().Handle());
}

void frmMain::Form_QueryUnload() {
  program_.stopReading();  // what a read ended now held back is written before the log may go
  startLines_.Release();
  if (!keepLog_) modSettings::ApplyClearLogRule();
}

void frmMain::Form_Unload() {
  unloaded_ = true;
  program_.stopReading();
  program_.closeWizard();
  if (refreshedDialog_) refreshedDialog_->Unload();
  if (h_) {
    HWND h = h_;
    h_ = nullptr;
    DestroyWindow(h);
  }
  if (quitOnUnload_) PostQuitMessage(0);
}

void frmMain::Unload() {
  if (unloaded_) return;
  Form_QueryUnload();
  Form_Unload();
}

// ---------------------------------------------------------------------------
// Lists, layout and views

void frmMain::ShowReadStart() {
  readSorted_ = lvwInstalled.Sorted();
  readPlace_ = lvwInstalled.Selected();
  lvwInstalled.SetSorted(false);  // the rows are appended as they come
  lvwInstalled.Clear();
  readingText_.clear();
  ShowViewText();
}

// Only the new rows: the list paints what of them comes into view, nothing else.
void frmMain::ShowBatch(const modMain::Extensions& extensions, size_t from, long total) {
  shownInstalled_ = &extensions;
  lvwInstalled.AddEntries(static_cast<int>(from), static_cast<int>(extensions.Installed.size()));
  readingText_ = screen::ReadingText(extensions.Installed.size(), total);
  ShowViewText();
}

void frmMain::ShowInstalled(const modMain::Extensions& extensions, modMain::Reader reader, bool rowsIn) {
  shownInstalled_ = &extensions;
  {
    win::CListView::Freeze freeze(lvwInstalled);
    const bool sorted = rowsIn ? readSorted_ : lvwInstalled.Sorted();  // an order the user chose holds across loads
    const int place = rowsIn ? readPlace_ : lvwInstalled.Selected();  // the selection stays in its place
    if (!rowsIn) {
      lvwInstalled.SetSorted(false);
      lvwInstalled.Clear();
      lvwInstalled.AddEntries(0, static_cast<int>(extensions.Installed.size()));
    }
    lvwInstalled.SetSorted(sorted);
    if (place >= 0) lvwInstalled.Select(place);
    lvAutosizeControl(lvwInstalled);
    // Files that are not there in bold red; the bold cells widen the others, so the last
    // column is fitted again, leaving no room to scroll to.
    bool bold = false;
    for (int row = 0; row < lvwInstalled.Count(); ++row)
      if (!extensions.Installed[lvwInstalled.Item(row)].FileExists) {
        for (int column : {0, 1, 2}) lvwInstalled.SetStyle(row, column, kMissingColor, true);
        bold = true;
      }
    if (bold) lvwInstalled.FitLastColumn();
  }
  installedCount_ = extensions.InstalledCount;
  if (reader != modMain::Reader::Main) return;  // the wizard's loads leave the caption alone
  ShowViewText();
  // The installed mark, unless the available list is the one on show.
  if (modMain::CurrentView != View::Available) menu.SetChecked(IDM_mnuInstalled, true);
}

void frmMain::ShowCatalog(const modMain::Extensions& extensions, modMain::Reader reader) {
  const std::vector<size_t> entries = modMain::AvailableEntries(extensions);
  {
    win::CListView::Freeze freeze(lvwAvailable);
    const int place = lvwAvailable.Selected();
    lvwAvailable.SetSorted(false);
    lvwAvailable.Clear();
    for (size_t i : entries) {
      const int row = modMain::AddAvailableRow(lvwAvailable, extensions, i, MissingImage);
      if (!extensions.Catalog[i].RegFileExists)
        for (int column : {0, 1, 2, 3}) lvwAvailable.SetStyle(row, column, kMissingColor, true);
    }
    if (extensions.CatalogCount >= 0) lvAutosizeControl(lvwAvailable);
    lvwAvailable.SetSorted(true);
    if (place >= 0) lvwAvailable.Select(place);
  }
  availableCount_ = static_cast<long>(entries.size());  // no catalog to read: none, and the screen says so
  if (reader == modMain::Reader::Main) ShowViewText();
}

const modMain::InstalledExtension* frmMain::SelectedInstalled() const {
  return modMain::EntryAt(program_.extensions().Installed, lvwInstalled.Item(lvwInstalled.Selected()));
}

const modMain::CatalogEntry* frmMain::SelectedAvailable() const {
  return modMain::EntryAt(program_.extensions().Catalog, lvwAvailable.Item(lvwAvailable.Selected()));
}

void frmMain::lvAutosizeControl(win::CListView& list) {
  const bool visible = list.IsVisible(), focused = GetFocus() == list.Handle();
  list.Hide();  // which gives the focus to this window
  list.FitColumns();
  if (visible) list.Show();
  if (focused) SetFocus(list.Handle());
}

void frmMain::Form_Resize() {
  if (!h_ || IsIconic(h_) || inResize_) return;
  inResize_ = true;
  const SIZE least = MinimumSize();
  const int minHeight = least.cy, minWidth = least.cx;
  const bool shown = IsWindowVisible(h_) != FALSE;  // the messages are for a user's drag, never for the start
  RECT r = WindowRect();
  if (r.bottom - r.top < minHeight) {
    if (shown) modLang::Say(h_, modLang::Text("Messages", "MinimumHeight"), MB_OK | MB_ICONINFORMATION);
    SetWindowPos(h_, nullptr, 0, 0, r.right - r.left, minHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  r = WindowRect();
  if (r.right - r.left < minWidth) {
    if (shown) modLang::Say(h_, modLang::Text("Messages", "MinimumWidth"), MB_OK | MB_ICONINFORMATION);
    SetWindowPos(h_, nullptr, 0, 0, minWidth, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ctlSBar.Send(WM_SIZE);
  const RECT client = ClientRect();
  for (win::CListView* list : {&lvwInstalled, &lvwAvailable}) {
    RECT at = list->RectInParent();
    list->Move(at.left, at.top, client.right - at.left, client.bottom - (at.top + ctlSBar.Height()));
  }
  inResize_ = false;
}

void frmMain::Form_DpiChanged(UINT dpi, LPARAM suggested) {
  dpi_ = dpi;
  MakeFontAndImages();
  win::TakeSuggestedPlace(h_, suggested);
  Form_Resize();
  // The rows again, so that the bold cells widen their columns in the new font.
  if (installedCount_ >= 0) ShowInstalled(program_.extensions(), modMain::Reader::Main);
  else lvAutosizeControl(lvwInstalled);
  if (availableCount_ >= 0) ShowCatalog(program_.extensions(), modMain::Reader::Main);
  else lvAutosizeControl(lvwAvailable);
}

void frmMain::SetViewMenus(View view) {
  const bool available = view == View::Available;
  menu.SetChecked(IDM_mnuAvailable, available);
  menu.SetChecked(IDM_mnuInstalled, !available);
  for (UINT id : {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete})
    menu.SetEnabled(id, !available);
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile}) {
    menu.SetEnabled(id, available);
    menu.SetVisible(id, available);
  }
  menu.SetVisible(IDM_mnuESep2, false);
  menu.SetDefault(available ? IDM_mnuEnable : IDM_mnuModify);
  DrawMenuBar(h_);
}

void frmMain::SwitchView(View view) {
  lvwInstalled.Show(view != View::Available);
  lvwAvailable.Show(view == View::Available);
  SetViewMenus(view);
  modMain::CurrentView = view;
  ShowViewText();
  if (IsVisible()) SetFocus(ListOnShow().Handle());
}

// While the lists are read the view switches at once; the read shows both when it ends.
void frmMain::mnuAvailable_Click() {
  if (!Reading()) LoadAvailableExtensions();
  SwitchView(View::Available);
}

void frmMain::mnuInstalled_Click() {
  if (!Reading()) LoadExtensionInfo();
  SwitchView(View::Installed);
}

void frmMain::mnuRefresh_Click() {
  program_.readInBackground([this] { LoadAvailableExtensions(); });
}

void frmMain::mnuSwitchToWizard_Click() {
  ShowWizard();
  Hide();
}

void frmMain::mnuExit_Click() { Unload(); }

void frmMain::lvwInstalled_MouseDown(int button, POINT screen) {
  if (button == VK_RBUTTON && lvwInstalled.Count() > 0)
    win::Ui().PopupMenu(menu.Popup(IDM_mnuEdit), h_, screen);
}

void frmMain::lvwAvailable_MouseDown(int button, POINT screen) {
  if (button == VK_RBUTTON && lvwAvailable.Count() > 0)
    win::Ui().PopupMenu(menu.Popup(IDM_mnuEdit), h_, screen);
}

void frmMain::lvwInstalled_DblClick() { Command(IDM_mnuModify); }
void frmMain::lvwAvailable_DblClick() { Command(IDM_mnuEnable); }

void frmMain::lvwInstalled_ColumnClick(int column) {
  lvwInstalled.SortBy(column, lvwInstalled.Sorted() && lvwInstalled.SortColumn() == column && !lvwInstalled.SortDescending());
}

void frmMain::lvwAvailable_ColumnClick(int column) {
  lvwAvailable.SortBy(column, lvwAvailable.Sorted() && lvwAvailable.SortColumn() == column && !lvwAvailable.SortDescending());
}

void frmMain::Form_ContextMenu(HWND from, POINT screen) {
  win::CListView& list = from == lvwAvailable.Handle() ? lvwAvailable : from == lvwInstalled.Handle() ? lvwInstalled : ListOnShow();
  if (!list.IsVisible()) return;
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: below the selected row, or the list's top
    RECT at{};
    const int row = list.Selected();
    if (row < 0 || !ListView_GetItemRect(list.Handle(), row, &at, LVIR_LABEL))
      GetClientRect(ListView_GetHeader(list.Handle()), &at);  // no row: below the header
    screen = {at.left, at.bottom};
    ClientToScreen(list.Handle(), &screen);
  }
  if (&list == &lvwInstalled) lvwInstalled_MouseDown(VK_RBUTTON, screen);
  else lvwAvailable_MouseDown(VK_RBUTTON, screen);
}

// ---------------------------------------------------------------------------
// Settings toggles

// An absent key counts as "1": it is written first, then toggled.
void frmMain::ToggleSetting(UINT id, const std::string& key) {
  std::string value = Setting("Settings", key, "");
  if (value.empty()) {
    SetSetting("Settings", key, "1");
    value = "1";
  }
  const bool on = value != "1";
  SetSetting("Settings", key, on ? "1" : "0");
  menu.SetChecked(id, on);
}

void frmMain::mnuRegBackup_Click() { ToggleSetting(IDM_mnuRegBackup, "RMEK_Backup"); }
void frmMain::mnuPromptInstall_Click() { ToggleSetting(IDM_mnuPromptInstall, "InstallPrompt"); }
void frmMain::mnuPromptContext_Click() { ToggleSetting(IDM_mnuPromptContext, "ContextPrompt"); }
void frmMain::mnuPromptProperties_Click() { ToggleSetting(IDM_mnuPromptProperties, "PropertiesPrompt"); }

void frmMain::mnuStartupWizard_Click() {
  std::string value = Setting("Settings", "UseClassic", "");
  if (value.empty()) {
    SetSetting("Settings", "UseClassic", "0");
    value = "0";
  }
  SetSetting("Settings", "UseClassic", value == "1" ? "0" : "1");
  ShowStartModeMarks();
}

void frmMain::mnuContents_Click() { modHelp::OpenContents(h_); }

void frmMain::mnuAbout_Click() {
  frmAbout about;
  if (about.Load(h_)) about.ShowModal();
}

void frmMain::mnuOTW_Feedback_Click() { modHelp::OpenPage(h_, modLinks::kOrlixFeedback); }
void frmMain::mnuHomepage_Click() { modHelp::OpenPage(h_, modLinks::kProductPage); }
void frmMain::mnuHomepage_ZandorF_Click() { modHelp::OpenPage(h_, modLinks::kBrowserForum); }
void frmMain::mnuHomepage_OrlixF_Click() { modHelp::OpenPage(h_, modLinks::kOrlixForum); }
void frmMain::mnuHomepage_OrlixO_Click() { modHelp::OpenPage(h_, modLinks::kOrlixHome); }
void frmMain::mnuUpdate_Click() { modHelp::RunUpdater(h_); }

// Choosing a classic list makes the classic window the start view, so that the marks,
// which show one start mode, follow the choice.
void frmMain::mnuStartupAvailable_Click() {
  SetSetting("Startup", "Mode", "1");
  SetSetting("Settings", "UseClassic", "1");
  ShowStartModeMarks();
}

void frmMain::mnuStartupInstalled_Click() {
  SetSetting("Startup", "Mode", "0");
  SetSetting("Settings", "UseClassic", "1");
  ShowStartModeMarks();
}

void frmMain::ShowStartModeMarks() {
  const screen::StartMarks marks =
      screen::StartModeMarks(Setting("Settings", "UseClassic", "0"), Setting("Startup", "Mode", "1"));
  menu.SetChecked(IDM_mnuStartupWizard, marks.wizard);
  menu.SetChecked(IDM_mnuStartupAvailable, marks.available);
  menu.SetChecked(IDM_mnuStartupInstalled, marks.installed);
}

// ---------------------------------------------------------------------------
// Languages

void frmMain::SetLanguage(modLang::Language language) {
  static const UINT kItems[] = {IDM_mnuEnglish, IDM_mnuFrench, IDM_mnuGerman, IDM_mnuItalian, IDM_mnuRussian,
                                IDM_mnuSpanish};
  if (!modLang::SetLanguage(*this, language)) return;
  ShowColumnTitles();
  for (win::CListView* list : {&lvwInstalled, &lvwAvailable}) lvAutosizeControl(*list);
  ShowViewText();
  for (int i = 0; i < 6; ++i) menu.SetChecked(kItems[i], i == static_cast<int>(language));
  DrawMenuBar(h_);
}

void frmMain::mnuEnglish_Click() { SetLanguage(modLang::Language::English); }
void frmMain::mnuFrench_Click() { SetLanguage(modLang::Language::French); }
void frmMain::mnuGerman_Click() { SetLanguage(modLang::Language::German); }
void frmMain::mnuItalian_Click() { SetLanguage(modLang::Language::Italian); }
void frmMain::mnuRussian_Click() { SetLanguage(modLang::Language::Russian); }
void frmMain::mnuSpanish_Click() { SetLanguage(modLang::Language::Spanish); }
void frmMain::mnuEditLangFile_Click() { modLang::EditLanguageFile(); }

// ---------------------------------------------------------------------------
// Application log

void frmMain::mnuAppLog_Click() {
  std::string log = modMain::LogFile();
  if (modMain::OwnFileExists(log)) {
    win::LaunchResult started = win::Ui().Launch("notepad " + log, SW_SHOWNORMAL, 0);
    if (!started.started)
      modLang::Say(h_, modLang::Text("Messages", "StartFailed", {"notepad " + log, modMain::SystemErrorText(started.error)}),
                   MB_OK | MB_ICONEXCLAMATION);
  } else {
    modLang::Say(h_, modLang::Text("Messages", "LogMissing"), MB_OK | MB_ICONEXCLAMATION);
  }
}

void frmMain::mnuAppLogClear_Click() { modMain::DeleteLog(); }

void frmMain::mnuClearLog_Click() {
  std::string value = Setting("Shutdown", "ClearLog", "");
  if (value.empty()) {
    SetSetting("Shutdown", "ClearLog", "0");
    value = "0";
  }
  const bool on = value != "1";
  SetSetting("Shutdown", "ClearLog", on ? "1" : "0");
  menu.SetChecked(IDM_mnuClearLog, on);
}

void frmMain::mnuAppLogDisable_Click() {
  std::string value = Setting("Settings", "DisableLog", "");
  if (value.empty()) {
    SetSetting("Settings", "DisableLog", "0");
    value = "0";
  }
  const bool disable = value != "1";
  SetSetting("Settings", "DisableLog", disable ? "1" : "0");
  menu.SetChecked(IDM_mnuAppLogDisable, disable);
  for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) menu.SetEnabled(id, !disable);
}

// ---------------------------------------------------------------------------
// Messages

bool frmMain::Command(UINT id) {
  if (!menu.IsActive(id)) return false;  // a shortcut key acts only where its menu would
  if (modMain::OperationRunning()) return false;  // one extension operation at a time
  if (Reading() && std::find(std::begin(kWhileReading), std::end(kWhileReading), id) == std::end(kWhileReading)) {
    ctlSBar.SetText(readingText_.empty() ? screen::ReadingText(0, 0) : readingText_);  // says why
    return false;
  }
  if (!RunCommand(kCommands, id)) return false;
  // The lists are all this window holds: the focus goes back to the one on show,
  // wherever the command's dialogs and loads left it.
  if (h_ && IsVisible() && GetActiveWindow() == h_ && ListOnShow().IsVisible()) SetFocus(ListOnShow().Handle());
  return true;
}

LRESULT frmMain::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) Form_Resize();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(l);
      LRESULT result = 0;
      if (lvwInstalled.OnNotify(header, result) || lvwAvailable.OnNotify(header, result)) return result;
      // A double-click on a row, or Enter with a row selected.
      const bool onRow = header->code == NM_RETURN || (header->code == NM_DBLCLK && reinterpret_cast<NMITEMACTIVATE*>(l)->iItem >= 0);
      if (onRow && header->hwndFrom == lvwInstalled.Handle()) {
        lvwInstalled_DblClick();
      } else if (onRow && header->hwndFrom == lvwAvailable.Handle()) {
        lvwAvailable_DblClick();
      } else if (header->code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<NMLISTVIEW*>(l)->iSubItem;
        if (header->hwndFrom == lvwInstalled.Handle()) lvwInstalled_ColumnClick(column);
        if (header->hwndFrom == lvwAvailable.Handle()) lvwAvailable_ColumnClick(column);
      }
      return 0;
    }
    case WM_CONTEXTMENU:  // the list's right click comes here too, after its NM_RCLICK
      Form_ContextMenu(reinterpret_cast<HWND>(w), {GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(l);
      const SIZE least = MinimumSize();
      info->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
    case WM_DPICHANGED:
      Form_DpiChanged(LOWORD(w), l);
      return 0;
    case WM_SETFOCUS:  // back from a dialog, the wizard or another program: the list on show
      if (IsWindowVisible(ListOnShow().Handle())) SetFocus(ListOnShow().Handle());
      return 0;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(w) == menu.Popup(IDM_mnuEdit)) mnuEdit_Click();
      return 0;
    case win::kWizardClosed:
      program_.dropClosedWizard();
      return 0;
    case win::kReadBatch:
      program_.takeBatch(l);
      return 0;
    case win::kReadDone:
      program_.takeEnd(l);
      return 0;
    case win::kStartReads:
      Form_Shown();
      return 0;
    case WM_CLOSE:
      if (!modMain::OperationRunning()) Unload();  // an operation under way ends first
      return 0;
    default:
      return Default(msg, w, l);
  }
}

// The extension commands: each takes the model's entry of the selected row, runs the
// operation, and has the model read again when the operation asks.
void frmMain::mnuEnable_Click() {
  modMain::RunOperation(h_, SelectedAvailable(), modMain::EnableExtension, [this] { program_.reload(modMain::Reader::Main); });
}

void frmMain::mnuDisable_Click() {
  modMain::RunOperation(h_, SelectedInstalled(), modMain::DisableExtension, [this] { program_.reload(modMain::Reader::Main); });
}

void frmMain::mnuDelete_Click() {
  modMain::RunOperation(h_, SelectedInstalled(), modMain::DeleteExtension, [this] { program_.reload(modMain::Reader::Main); });
}

void frmMain::mnuExAll_Click() {
  modMain::OperationScope scope;
  if (!scope) return;
  const std::vector<modMain::InstalledExtension> installed = program_.extensions().Installed;
  modMain::ExportAll(h_, installed, [this](const std::wstring& text) {
    ctlSBar.SetText(text);
    UpdateWindow(ctlSBar.Handle());
  });
}

void frmMain::mnuExSelected_Click() {
  const modMain::InstalledExtension* selected = SelectedInstalled();
  if (!selected) return;
  const modMain::InstalledExtension extension = *selected;
  modMain::OperationScope scope;
  if (scope) modMain::ExportSelected(h_, extension);
}

void frmMain::mnuExportExt_Click() { mnuExSelected_Click(); }

void frmMain::mnuImport_Click() {
  modMain::OperationScope scope;
  if (scope && modMain::ImportChosenFile(h_)) program_.reload(modMain::Reader::Main);
}

void frmMain::mnuModifyContent_Click() {
  if (const modMain::InstalledExtension* selected = SelectedInstalled()) modMain::OpenExtensionFile(h_, *selected);
}

void frmMain::mnuViewRegFile_Click() {
  if (const modMain::CatalogEntry* selected = SelectedAvailable()) modMain::OpenRegFile(h_, *selected);
}

void frmMain::mnuModify_Click() {
  const modMain::InstalledExtension* selected = SelectedInstalled();
  if (!selected) return;
  const modMain::InstalledExtension extension = *selected;
  if (!extension.Opened) {
    modLang::Say(h_, modLang::Text("Messages", "PropertiesUnreadable"), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (!modMain::CheckExtension(h_, extension)) return;
  frmModify dialog;
  // The renamed extension leaves or joins the available list too.
  if (dialog.Load(h_, extension, [this](bool renamed) {
        if (renamed) program_.reload(modMain::Reader::Main);
        else LoadExtensionInfo();
      }))
    dialog.ShowModal();
}

void frmMain::mnuRestore_Click() {
  if (modMain::OperationRunning()) return;
  frmRestore window;
  if (window.Load(h_, [this] { program_.reload(modMain::Reader::Main); })) window.ShowModal();
}

void frmMain::mnuPackFolder_Click() {
  if (modMain::OperationRunning()) return;
  modMain::WriteLog("User wishes to choose the pack's folder");
  const std::string folder =
      modReg::ChoosePackFolder(h_, modSettings::PathSetting("Paths", "NIMO_Location", ""));
  if (folder.empty()) return;
  modMain::WriteLog("Location verified as " + folder);
  modSettings::SetSetting("Paths", "NIMO_Location", folder);
  if (modMain::FolderExists(folder + "Reg_Files")) modSettings::SetSetting("Paths", "NIMO_Reg_Files", folder + "Reg_Files");
  program_.reload(modMain::Reader::Main);
}

void frmMain::mnuEdit_Click() {
  const bool available = modMain::CurrentView == modMain::View::Available && availableCount_ > 0;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile, IDM_mnuESep2}) menu.SetEnabled(id, available);
}
