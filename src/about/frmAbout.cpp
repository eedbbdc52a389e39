#include "about/frmAbout.h"

#include "about/Links.h"
#include "about/VersionInfo.h"
#include "app/App.h"
#include "lang/modLang.h"
#include "app/resource.h"
#include "win/LabelButton.h"
#include "win/Seam.h"

namespace {

constexpr char kClassName[] = "NIMOAboutWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr SIZE kClientTwips{6000, 5160};

// Command1 answers to Enter as well as to a click.
enum : UINT {
  kCloseId = IDOK,
  kTitleId = 101,
  kVersionId,
  kAuthorId,
  kHomepageId,
  kVersionColonId,
  kAuthorColonId,
  kHomepageColonId,
  kVersionValueId,
  kAuthorValueId,
  kHomepageValueId,
  kDisclaimerId,
  kRightsId,
  kLogoId
};

const win::Command<frmAbout> kCommands[] = {
    {kCloseId, &frmAbout::Command1_Click},
    {IDCANCEL, &frmAbout::Command1_Click},  // Esc
    {kHomepageValueId, &frmAbout::Label16_Click},
    {kRightsId, &frmAbout::Label6_Click},
};

frmAbout* g_current = nullptr;

// The icon of a window: the one it was given, else its class's.
HICON WindowIcon(HWND window, bool small) {
  if (!window) return nullptr;
  auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, small ? ICON_SMALL : ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, small ? GCLP_HICONSM : GCLP_HICON));
  return icon;
}

}  // namespace

frmAbout* frmAbout::Current() { return g_current; }

frmAbout::~frmAbout() {
  Unload();
  if (backBrush_) DeleteObject(backBrush_);
  if (logo_) DeleteObject(logo_);
  if (g_current == this) g_current = nullptr;
}

bool frmAbout::Load(HWND owner) {
  Unload();
  owner_ = owner;
  Register(kClassName, 0, nullptr);  // each box paints its own background
  CreateBound(kExStyle, kClassName, "About", kStyle, 0, 0, 400, 340, owner);
  if (!h_ || !CreateControls()) {
    Unload();
    return false;
  }
  g_current = this;
  Form_Load();
  return true;
}

bool frmAbout::CreateControls() {
  if (!backBrush_) backBrush_ = CreateSolidBrush(kBackColor);
  // A client area of 6000 x 5160 twips, centred on the owner and wholly on the screen.
  FitFixedClient(kClientTwips, win::DpiOf(h_));
  win::CentreOnWorkArea(h_, owner_);
  for (win::CFont* font : {&font_, &titleFont_}) font->MakeFor(dpi_);

  auto pixels = [this](int left, int top, int w, int h) {
    RECT r{TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(left + w), TwipsToPixelsY(top + h)};
    return r;
  };
  HFONT font = font_;
  auto make = [&](win::CWindow& control, const char* cls, DWORD style, DWORD exStyle, RECT r, UINT id,
                  const char* text) {
    control.Attach(CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, h_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   modMain::Instance(), nullptr));
    control.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control.Handle() != nullptr;
  };
  constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX, kLink = SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
  constexpr int kRows = 1500, kRow = 300, kCaptionX = 240, kColonX = 1260, kValueX = 1440;
  const bool made =
      make(Image1, "STATIC", SS_BITMAP, 0, pixels(300, 240, 960, 960), kLogoId, nullptr) &&
      make(lblTitle, "STATIC", kLabel | SS_CENTERIMAGE, 0, pixels(1440, 420, 4320, 600), kTitleId, "") &&
      make(Label2, "STATIC", kLabel, 0, pixels(kCaptionX, kRows, 1000, 255), kVersionId, "Version") &&
      make(Label8, "STATIC", kLabel, 0, pixels(kColonX, kRows, 120, 255), kVersionColonId, ":") &&
      make(Label13, "STATIC", kLabel, 0, pixels(kValueX, kRows, 4320, 255), kVersionValueId, "") &&
      make(Label3, "STATIC", kLabel, 0, pixels(kCaptionX, kRows + kRow, 1000, 255), kAuthorId, "Author") &&
      make(Label10, "STATIC", kLabel, 0, pixels(kColonX, kRows + kRow, 120, 255), kAuthorColonId, ":") &&
      make(Label15, "STATIC", kLabel, 0, pixels(kValueX, kRows + kRow, 4320, 255), kAuthorValueId, "") &&
      make(Label4, "STATIC", kLabel, 0, pixels(kCaptionX, kRows + 2 * kRow, 1000, 255), kHomepageId, "Homepage") &&
      make(Label11, "STATIC", kLabel, 0, pixels(kColonX, kRows + 2 * kRow, 120, 255), kHomepageColonId, ":") &&
      make(Label16, "STATIC", kLink, 0, pixels(kValueX, kRows + 2 * kRow, 4320, 255), kHomepageValueId, "") &&
      make(txtMain, "EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
           pixels(240, 2520, 5520, 1620), kDisclaimerId, "") &&
      make(Label6, "STATIC", kLink, 0, pixels(240, 4260, 5520, 255), kRightsId, "") &&
      make(Command1, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, pixels(4560, 4620, 1200, 375), kCloseId, "&Close");
  if (!made) return false;
  SetTextW(modLang::Text("About", "Title"));
  for (auto [control, key] : {std::pair{&Label2, "Version"}, {&Label3, "Author"}, {&Label4, "Homepage"},
                              {&txtMain, "Disclaimer"}, {&Label6, "Rights"}, {&Command1, "Close"}})
    control->SetTextW(modLang::Text("About", key));
  lblTitle.Send(WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Handle()), FALSE);
  const HCURSOR hand = LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND));
  for (HWND link : {Label16.Handle(), Label6.Handle()}) win::ShowClickable(link, {hand, kLinkColor, kLinkColor, true});
  ShowLogo();
  Shape1 = pixels(120, 120, 5760, 1200);
  return true;
}

// The logo fills its place, laid out in twips, whatever the resolution.
void frmAbout::ShowLogo() {
  const RECT place = Image1.ClientRect();
  HBITMAP previous = logo_;
  logo_ = win::ScaledBitmap(IDB_LOGO, place.right, place.bottom);
  if (logo_) Image1.Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
  if (previous) DeleteObject(previous);
}

void frmAbout::Form_DpiChanged(UINT dpi, LPARAM suggested) {
  const UINT from = FitFixedClient(kClientTwips, dpi, reinterpret_cast<const RECT*>(suggested));
  for (win::CFont* font : {&font_, &titleFont_}) font->MakeFor(dpi_, h_);
  win::ScaleChildren(h_, from, dpi_);
  Shape1 = win::ScaleRect(Shape1, from, dpi_);
  ShowLogo();
  Redraw();
}

// ---------------------------------------------------------------------------
// Showing and closing

void frmAbout::Forget() {
  h_ = nullptr;
  if (g_current == this) g_current = nullptr;
}

// ---------------------------------------------------------------------------
// Form events

void frmAbout::Form_Load() {
  // The main window's icon, in both sizes.
  HICON big = WindowIcon(owner_, false), small = WindowIcon(owner_, true);
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
  lblTitle.SetText(modMain::kTitle);
  const modVersion::FileVersionInfo version = modVersion::ReadVersionInfo(modVersion::ProgramFile());
  Label13.SetText(version.Version);
  Label15.SetText(version.CompanyName);
  Label16.SetText(modLinks::kMakerHome);
}

void frmAbout::Command1_Click() { Unload(); }

void frmAbout::OpenMakerHome() { win::Ui().ShellOpen(h_, modLinks::kMakerHome, "", "", SW_SHOWNORMAL); }

void frmAbout::Label16_Click() { OpenMakerHome(); }
void frmAbout::Label6_Click() { OpenMakerHome(); }

// ---------------------------------------------------------------------------
// Messages

void frmAbout::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h_, &ps);
  DrawEdge(dc, &Shape1, EDGE_ETCHED, BF_RECT);
  EndPaint(h_, &ps);
}

HBRUSH frmAbout::ControlColors(HDC dc, HWND control) const {
  if (control == txtMain) {  // read-only, but a text box all the same
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  SetBkColor(dc, kBackColor);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return backBrush_;
}

bool frmAbout::OnCommand(UINT id) { return RunCommand(kCommands, id); }

LRESULT frmAbout::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_ACTIVATE:
      focus_.OnActivate(h_, w, Command1);  // back where the user left it
      return 0;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(ControlColors(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l)));
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(backBrush_);
    case WM_ERASEBKGND: {
      const RECT client = ClientRect();
      FillRect(reinterpret_cast<HDC>(w), &client, backBrush_);
      return TRUE;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DPICHANGED:
      Form_DpiChanged(LOWORD(w), l);
      return 0;
    case WM_CLOSE:
      Command1_Click();
      return 0;
    default:
      return Default(msg, w, l);
  }
}
