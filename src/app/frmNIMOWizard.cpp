#include "app/frmNIMOWizard.h"

#include <commctrl.h>

#include "app/ModelRows.h"
#include "app/ProgramCalls.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace {

constexpr char kClassName[] = "NIMOWizardWindow";
constexpr COLORREF kWhite = 0xFFFFFF, kHover = 0xE0E0E0, kBlue = 0xFF0000, kRed = 0x0000FF;
enum : UINT {
  kChkNoWiz = IDC_WIZ_CHKNOWIZ,
  kLblInstall = IDC_WIZ_LBLINSTALL,
  kLblDisable = IDC_WIZ_LBLDISABLE,
  kLblFinish = IDC_WIZ_LBLFINISH,
  kLblProceed = IDC_WIZ_LBLPROCEED,
  kLvwInstalled = IDC_WIZ_LVWINSTALLED,
  kLvwAvailable = IDC_WIZ_LVWAVAILABLE,
  kOther = IDC_WIZ_OTHER
};

// Positions in twips: left, top, width, height.
struct Twips {
  int left, top, width, height;
};
constexpr int kClientWidth = 9900, kClientHeight = 4710;
constexpr Twips kPage{2580, 120, 7200, 3840};
constexpr Twips kSidePanel{0, 0, 2460, 4710};
constexpr Twips kWelcome1{2700, 240, 6960, 420}, kWelcome2{2700, 840, 6960, 720}, kWelcome3{2700, 1680, 6960, 720},
    kNotice{2700, 2640, 6960, 720};
constexpr Twips kExtensions{2700, 240, 6960, 480}, kInstalled{2700, 840, 3000, 2520}, kAvailable{6540, 840, 3120, 2520},
    kInstall{5820, 1500, 600, 360}, kDisable{5820, 2100, 600, 360}, kInstalledCount{2700, 3420, 3000, 255},
    kAvailableCount{6540, 3420, 3120, 255};
constexpr Twips kLine{2580, 4020, 7200, 30}, kCheck{2700, 4200, 3600, 300}, kBack{8280, 4170, 1380, 360};
// The shape behind a label button reaches this far beyond its caption's place (pixels).
constexpr int kShapeMargin = 2;

const win::Command<frmNIMOWizard> kCommands[] = {
    {kChkNoWiz, &frmNIMOWizard::ChkNoWiz_Click},
    {kLblInstall, &frmNIMOWizard::lblInstall_Click},
    {kLblDisable, &frmNIMOWizard::lblDisable_Click},
    {kLblFinish, &frmNIMOWizard::lblFinish_Click},
    {kLblProceed, &frmNIMOWizard::lblProceed_Click},
    {IDCANCEL, &frmNIMOWizard::Close},  // Esc: as the close button, as a wizard's Cancel does
};

RECT Place(const win::CWindow& window, Twips t) {
  return RECT{window.TwipsToPixelsX(t.left), window.TwipsToPixelsY(t.top), window.TwipsToPixelsX(t.left + t.width),
              window.TwipsToPixelsY(t.top + t.height)};
}

// A child control of the window at `at`, in font.
bool Make(const win::CWindow& window, win::CWindow& control, const char* cls, const char* text, DWORD style, Twips at,
          UINT id, HFONT font) {
  const RECT r = Place(window, at);
  control.Attach(CreateWindowExA(0, cls, text, WS_CHILD | style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), modMain::Instance(), nullptr));
  control.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control.Handle() != nullptr;
}

HCURSOR HandPointer() { return LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND)); }

}  // namespace

frmNIMOWizard::frmNIMOWizard(ProgramCalls& program) : program_(program) {}

frmNIMOWizard::~frmNIMOWizard() {
  if (h_) DestroyWindow(h_);
  if (sidePanel_) DeleteObject(sidePanel_);
  if (images_) ImageList_Destroy(images_);
}

bool frmNIMOWizard::Load() {
  Register(kClassName, IDI_WIZARD, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  h_ = CreateBound(WS_EX_CONTROLPARENT, kClassName, "Zandor Extension Pack Wizard", style, CW_USEDEFAULT, CW_USEDEFAULT,
                   100, 100, nullptr);
  if (!h_) return false;
  SetTextW(modLang::Text("Wizard", "Title"));
  win::ShowIcons(h_, IDI_WIZARD);
  FitFixedClient({kClientWidth, kClientHeight}, win::DpiOf(h_));
  win::CentreOnWorkArea(h_, nullptr);
  if (!CreateControls()) return false;
  Form_Load();
  return true;
}

void frmNIMOWizard::MakeFonts() {
  for (win::CFont* font : {&font_, &bold_, &heading_}) font->MakeFor(dpi_, h_);
}

bool frmNIMOWizard::CreateControls() {
  MakeFonts();
  if (!CreateWelcomePage() || !CreateExtensionsPage() || !CreateBottomRow()) return false;
  ShowSidePanel();
  ShowClickables();
  // Tab order: the lists with the arrows between them, then the bottom row.
  win::SetTabOrder({lvwInstalled, lblInstall, lblDisable, lvwAvailable, ChkNoWiz, lblProceed, lblFinish});
  AddTips();
  return true;
}

bool frmNIMOWizard::CreateWelcomePage() {
  const DWORD label = SS_LEFT;
  frMain.controls = {&lblNotice, &lblWelcome3, &lblWelcome2, &lblWelcome1};
  return Make(*this, lblNotice, "STATIC",
              "IMPORTANT: Changes you make with this utility will not take effect until you re-start your internet "
              "browser.", label, kNotice, kOther, bold_) &&
         Make(*this, lblWelcome3, "STATIC",
              "To use this wizard, click \"Next >>\" to continue to the next step. If you would prefer to use the "
              "Classic view, tick \"Switch to classic view\" and click Finish.", label, kWelcome3, kOther, font_) &&
         Make(*this, lblWelcome2, "STATIC",
              "This wizard has been provided to ease the usability of the Zandor Extension Pack for those that do "
              "not feel comfortable using the Classic (intermediate) mode.", label, kWelcome2, kOther, font_) &&
         Make(*this, lblWelcome1, "STATIC", "Welcome to the NIMO wizard!", label, kWelcome1, kOther, heading_);
}

// The two lists show only their name column; the others keep their data for the tips'
// sake, at no width.
bool frmNIMOWizard::CreateExtensionsPage() {
  if (!lvwInstalled.Create(h_, kLvwInstalled, LVS_NOSORTHEADER) || !lvwAvailable.Create(h_, kLvwAvailable, LVS_NOSORTHEADER))
    return false;
  for (auto [list, at] : {std::pair{&lvwInstalled, kInstalled}, {&lvwAvailable, kAvailable}}) {
    const RECT r = Place(*this, at);
    list->Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
    list->Send(WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()));
  }
  MakeImages();
  for (const char* title : {"colInstalled", "colPath", "colContext", "colFlags"})
    lvwInstalled.AddColumn(modLang::Text("Wizard", title), lvwInstalled.ColumnCount() ? 0 : 100);
  for (const char* title : {"colAvailable", "colCategory", "colDescription", "colLocation"})
    lvwAvailable.AddColumn(modLang::Text("Wizard", title), lvwAvailable.ColumnCount() ? 0 : 100);
  frExtensions.controls = {&lvwInstalled, &lvwAvailable, &lblInstalledCount, &lblAvailableCount, &lblExtensions,
                           &lblInstall, &lblDisable};
  const DWORD label = SS_LEFT;
  const win::ButtonLook look{kWhite, kHover, kShapeMargin, HandPointer()};
  return Make(*this, lblInstalledCount, "STATIC", "", label | SS_NOTIFY, kInstalledCount, IDC_WIZ_LBLINSTALLEDCOUNT,
              font_) &&
         Make(*this, lblAvailableCount, "STATIC", "", label | SS_NOTIFY, kAvailableCount, IDC_WIZ_LBLAVAILABLECOUNT,
              font_) &&
         Make(*this, lblExtensions, "STATIC",
              "Using the options below you may add or remove extensions that are currently provided by the Zandor "
              "Extension Pack.", label, kExtensions, kOther, font_) &&
         lblInstall.Create(h_, kLblInstall, "&>>", Place(*this, kInstall), bold_, false, &look) &&
         lblDisable.Create(h_, kLblDisable, "&<<", Place(*this, kDisable), bold_, false, &look);
}

// The check box, Finish and "Next >>" in one place, the line above them and the picture.
bool frmNIMOWizard::CreateBottomRow() {
  const win::ButtonLook look{kWhite, kHover, kShapeMargin, HandPointer()};
  return Make(*this, ChkNoWiz, "BUTTON", "Switch to &classic view", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kCheck,
              kChkNoWiz, font_) &&
         lblFinish.Create(h_, kLblFinish, "&Finish", Place(*this, kBack), bold_, false, &look) &&
         lblProceed.Create(h_, kLblProceed, "&Next >>", Place(*this, kBack), bold_, true, &look) &&
         Make(*this, Line1, "STATIC", "", SS_ETCHEDHORZ | WS_VISIBLE, kLine, kOther, font_) &&
         Make(*this, imgSidePanel, "STATIC", "", SS_BITMAP | WS_VISIBLE, kSidePanel, kOther, font_);
}

// The check box turns blue and underlined under the pointer; the counts show the hand
// without a look of their own.
void frmNIMOWizard::ShowClickables() {
  win::ShowClickable(ChkNoWiz, {HandPointer(), 0, kBlue, true});
  for (HWND count : {lblInstalledCount.Handle(), lblAvailableCount.Handle()})
    win::ShowClickable(count, {HandPointer(), CLR_INVALID, CLR_INVALID, false});
}

void frmNIMOWizard::AddTips() {
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, h_, nullptr,
                          modMain::Instance(), nullptr);
  using Tip = std::pair<win::CWindow*, const char*>;
  for (auto [control, key] : {Tip{&ChkNoWiz, "tipNoWiz"}, Tip{&lblInstall, "tipInstall"}, Tip{&lblDisable, "tipDisable"}}) {
    std::wstring text = modLang::Text("Wizard", key);
    TTTOOLINFOW tip{};
    tip.cbSize = sizeof tip;
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = h_;
    tip.uId = reinterpret_cast<UINT_PTR>(control->Handle());
    tip.lpszText = text.data();
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
  }
}

void frmNIMOWizard::MakeImages() {
  const int size = win::MetricAt(SM_CXSMICON, LayoutDpi());
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 1);
  missingImage_ = win::AddWarningImage(images);
  for (win::CListView* list : {&lvwInstalled, &lvwAvailable}) list->SetImageList(images);
  if (images_) ImageList_Destroy(images_);
  images_ = images;
}

// The picture fills its place at any resolution, as the text around it grows.
void frmNIMOWizard::ShowSidePanel() {
  const RECT panel = imgSidePanel.ClientRect();
  HBITMAP previous = sidePanel_;
  sidePanel_ = win::ScaledBitmap(IDB_SIDEPANEL, panel.right, panel.bottom);
  imgSidePanel.Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(sidePanel_));
  if (previous) DeleteObject(previous);
}

void frmNIMOWizard::Form_DpiChanged(UINT dpi, LPARAM suggested) {
  const UINT from = FitFixedClient({kClientWidth, kClientHeight}, dpi, reinterpret_cast<const RECT*>(suggested));
  MakeFonts();
  win::ScaleChildren(h_, from, dpi_);
  ShowSidePanel();
  MakeImages();
  win::ShowIcons(h_, IDI_WIZARD);
  Redraw();
}

std::vector<modLang::Control> frmNIMOWizard::Controls() {
  std::vector<modLang::Control> controls;
  auto caption = [&](const char* name, win::CWindow& control, const char* kind) {
    controls.push_back(modLang::TextControl(name, kind, control));
  };
  auto fixed = [&](const char* name, const char* kind) { controls.push_back(modLang::FixedControl(name, kind)); };
  caption("ChkNoWiz", ChkNoWiz, "CheckBox");
  fixed("frMain", "Frame");
  caption("lblNotice", lblNotice, "Label");
  caption("lblWelcome3", lblWelcome3, "Label");
  caption("lblWelcome2", lblWelcome2, "Label");
  caption("lblWelcome1", lblWelcome1, "Label");
  fixed("frExtensions", "Frame");
  fixed("lvwInstalled", "ListView");
  fixed("lvwAvailable", "ListView");
  caption("lblInstalledCount", lblInstalledCount, "Label");
  caption("lblAvailableCount", lblAvailableCount, "Label");
  caption("lblExtensions", lblExtensions, "Label");
  caption("lblInstall", lblInstall, "Label");
  caption("lblDisable", lblDisable, "Label");
  fixed("shInstall", "Shape");
  fixed("shRemove", "Shape");
  caption("lblFinish", lblFinish, "Label");
  caption("lblProceed", lblProceed, "Label");
  fixed("Line1", "Line");
  fixed("imgSidePanel", "Image");
  fixed("shBackLabel", "Shape");
  return controls;
}

// ---------------------------------------------------------------------------
// Loading and the two lists

void frmNIMOWizard::Form_Load() {
  SwitchToClassic = false;
  ShowFrame(frExtensions, false);
  ShowFrame(frMain, true);
  if (modLang::RefreshingLanguage) return;
  modLang::LoadWindowLanguage(*this);
  lblDisable.Enable(false);  // until the lists are in
  lblInstall.Enable(false);
  program_.reload(modMain::Reader::Wizard);
}

void frmNIMOWizard::ShowFrame(Frame& frame, bool show) {
  frame.visible = show;
  for (win::CWindow* control : frame.controls) control->Show(show);
  InvalidateRect(h_, nullptr, TRUE);
}

void frmNIMOWizard::ShowInstalled(const modMain::Extensions& extensions) {
  {
    win::CListView::Freeze freeze(lvwInstalled);
    const int place = lvwInstalled.Selected();  // the selection stays in its place
    lvwInstalled.Clear();
    for (size_t i = 0; i < extensions.Installed.size(); ++i)
      modMain::AddInstalledRow(lvwInstalled, extensions, i, -1, missingImage_);
    if (place >= 0) lvwInstalled.Select(place);
  }
  FitNameColumn(lvwInstalled);
  lblInstalledCount.SetTextW(modLang::Count("Wizard", "Installed", extensions.InstalledCount, {extensions.InstalledCount}));
  lblDisable.Enable(extensions.InstalledCount > 0);
}

void frmNIMOWizard::ShowBatch(const modMain::Extensions& extensions, size_t from) {
  if (from == 0) fillingBatches_ = lvwInstalled.Count() == 0;
  if (!fillingBatches_) return;
  for (size_t i = from; i < extensions.Installed.size(); ++i)
    modMain::AddInstalledRow(lvwInstalled, extensions, i, -1, missingImage_);
}

void frmNIMOWizard::ShowCatalog(const modMain::Extensions& extensions) {
  const std::vector<size_t> entries = modMain::AvailableEntries(extensions);
  const long count = static_cast<long>(entries.size());
  {
    win::CListView::Freeze freeze(lvwAvailable);
    const int place = lvwAvailable.Selected();
    lvwAvailable.SetSorted(false);
    lvwAvailable.Clear();
    if (extensions.CatalogCount < 0) {  // no catalog: nothing to offer, and the count stays
      lblInstall.Enable(false);
      return;
    }
    for (size_t i : entries) modMain::AddAvailableRow(lvwAvailable, extensions, i, missingImage_);
    lvwAvailable.SetSorted(true);
    if (place >= 0) lvwAvailable.Select(place);
  }
  FitNameColumn(lvwAvailable);
  lblAvailableCount.SetTextW(modLang::Count("Wizard", "Available", count, {count}));
  lblInstall.Enable(count > 0);
}

// The name column, the only one shown, spans the list: a name wider than the list ends
// in "..." and shows whole in its tip, with no scroll bar for a few pixels.
void frmNIMOWizard::FitNameColumn(win::CListView& list) {
  ListView_SetColumnWidth(list.Handle(), 0, list.ClientRect().right);
  list.Redraw();
}

// The loads disable the arrow buttons for a moment, which takes the focus from them.
void frmNIMOWizard::lblInstall_Click() {
  if (program_.reading()) return;  // its lists are read again meanwhile
  HWND had = GetFocus();
  modMain::RunOperation(h_, modMain::EntryAt(program_.extensions().Catalog, lvwAvailable.Item(lvwAvailable.Selected())),
                        modMain::EnableExtension, [this] { program_.reload(modMain::Reader::Wizard); });
  win::CFocusMemory::MoveOn(h_, had);
}

void frmNIMOWizard::lblDisable_Click() {
  if (program_.reading()) return;  // its lists are read again meanwhile
  HWND had = GetFocus();
  modMain::RunOperation(h_,
                        modMain::EntryAt(program_.extensions().Installed, lvwInstalled.Item(lvwInstalled.Selected())),
                        modMain::DisableExtension, [this] { program_.reload(modMain::Reader::Wizard); });
  win::CFocusMemory::MoveOn(h_, had);
}

// ---------------------------------------------------------------------------
// Pages, Finish and closing

bool frmNIMOWizard::Checked() const { return ChkNoWiz.Send(BM_GETCHECK) == BST_CHECKED; }

void frmNIMOWizard::SetChecked(bool on) {
  ChkNoWiz.Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED);
  ChkNoWiz_Click();
}

void frmNIMOWizard::lblProceed_Click() {
  ShowFrame(frMain, false);
  ShowFrame(frExtensions, true);
  ShowFinishOrNext(true);
}

void frmNIMOWizard::ChkNoWiz_Click() { ShowFinishOrNext(Checked()); }

void frmNIMOWizard::ShowFinishOrNext(bool finish) {
  HWND had = GetFocus();
  lblFinish.Show(finish);
  lblProceed.Show(!finish);
  win::CFocusMemory::MoveOn(h_, had, finish ? lblFinish : lblProceed);
}

UINT frmNIMOWizard::DefaultButton() const {
  const HWND focus = GetFocus();
  if (focus == lvwInstalled.Handle()) return kLblDisable;
  if (focus == lvwAvailable.Handle()) return kLblInstall;
  return lblFinish.IsVisible() ? kLblFinish : kLblProceed;
}

void frmNIMOWizard::lblFinish_Click() {
  SwitchToClassic = Checked();
  Close();
}

void frmNIMOWizard::Close() {
  if (!h_ || closing_) return;  // the program's end closes it again from inside its own close
  closing_ = true;
  Form_QueryUnload();
  const bool closes = Form_Unload();
  closing_ = false;
  if (!closes) return;
  HWND h = h_;
  h_ = nullptr;
  DestroyWindow(h);
  program_.wizardClosed();
}

void frmNIMOWizard::Form_QueryUnload() { modSettings::ApplyClearLogRule(); }

bool frmNIMOWizard::Form_Unload() {
  if (!SwitchToClassic) {
    program_.wizardFinished(false);  // every window closes and the program ends
    return true;
  }
  const int answer =
      modLang::Say(h_, modLang::Text("Messages", "UseWizardAgain", {modMain::kTitle}), MB_YESNOCANCEL | MB_ICONQUESTION);
  SwitchToClassic = false;
  if (answer == IDCANCEL) {
    SetChecked(false);
    ShowFinishOrNext(false);
    return false;
  }
  modSettings::SetSetting("Settings", "UseClassic", answer == IDYES ? "0" : "1");
  program_.wizardFinished(true);
  return true;
}

// ---------------------------------------------------------------------------
// Messages

bool frmNIMOWizard::OnCommand(UINT id) { return RunCommand(kCommands, id); }

HBRUSH frmNIMOWizard::ControlColors(HDC dc, HWND control) const {
  if (control == lblNotice.Handle()) SetTextColor(dc, kRed);
  SetBkColor(dc, kWhite);
  return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

LRESULT frmNIMOWizard::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case DM_GETDEFID:
      return MAKELONG(DefaultButton(), DC_HASDEFID);
    case WM_ACTIVATE:
      focus_.OnActivate(h_, w, lblFinish.IsVisible() ? lblFinish.Handle() : lblProceed.Handle());
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      auto* header = reinterpret_cast<NMHDR*>(l);
      if (lvwInstalled.OnNotify(header, result) || lvwAvailable.OnNotify(header, result)) return result;
      if (header->code == NM_DBLCLK && reinterpret_cast<NMITEMACTIVATE*>(l)->iItem >= 0) {
        if (header->hwndFrom == lvwInstalled.Handle()) lvwInstalled_DblClick();
        if (header->hwndFrom == lvwAvailable.Handle()) lvwAvailable_DblClick();
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(ControlColors(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l)));
    case WM_DPICHANGED:
      Form_DpiChanged(LOWORD(w), l);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      return Default(msg, w, l);
  }
}
