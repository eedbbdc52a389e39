#include "about/frmAbout.h"

#include "about/Links.h"
#include "about/VersionInfo.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "lang/modLang.h"
#include "win/Seam.h"

namespace {

constexpr char kClassName[] = "NIMOAboutWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr SIZE kClientTwips{6000, 5160};
// A click on a link label is handled after the label has finished with the mouse.
constexpr UINT kLabelClicked = WM_APP + 1;

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
  win::RegisterWindowClass(kClassName, WindowProc, 0, nullptr);  // each box paints its own background
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
  for (win::CFont* font : {&font_, &titleFont_, &hotFont_}) font->MakeFor(dpi_);
  hot_ = nullptr;

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
  for (win::CFont* font : {&font_, &titleFont_, &hotFont_}) font->MakeFor(dpi_, h_);
  win::ScaleChildren(h_, from, dpi_);
  Shape1 = win::ScaleRect(Shape1, from, dpi_);
  ShowLogo();
  Redraw();
}

// ---------------------------------------------------------------------------
// Showing and closing

void frmAbout::Forget() {
  h_ = nullptr;
  hot_ = nullptr;
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

void frmAbout::SetHotLink(const win::CWindow* link) {
  if (hot_ == link) return;
  if (hot_) hot_->Send(WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
  hot_ = link;
  if (hot_) hot_->Send(WM_SETFONT, reinterpret_cast<WPARAM>(hotFont_.Handle()), TRUE);
}

void frmAbout::Form_MouseMove() { SetHotLink(nullptr); }
void frmAbout::Label16_MouseMove() { SetHotLink(&Label16); }
void frmAbout::Label6_MouseMove() { SetHotLink(&Label6); }

// ---------------------------------------------------------------------------
// Messages

LRESULT CALLBACK frmAbout::WindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  frmAbout* self = FromHandle<frmAbout>(h, msg, l);
  return self ? self->OnMessage(msg, w, l) : DefWindowProcW(h, msg, w, l);
}

void frmAbout::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h_, &ps);
  DrawEdge(dc, &Shape1, EDGE_ETCHED, BF_RECT);
  EndPaint(h_, &ps);
}

LRESULT frmAbout::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND: {
      const UINT id = LOWORD(w), code = HIWORD(w);
      if (id == kCloseId && code == BN_CLICKED)
        Command1_Click();
      else if (id == IDCANCEL)
        Command1_Click();  // Esc
      else if (code == STN_CLICKED && (id == kHomepageValueId || id == kRightsId))
        PostMessageA(h_, kLabelClicked, id, 0);
      return 0;
    }
    case kLabelClicked:
      if (w == kHomepageValueId)
        Label16_Click();
      else if (w == kRightsId)
        Label6_Click();
      return 0;
    case WM_SETCURSOR: {
      HWND over = reinterpret_cast<HWND>(w);
      const bool link = over == Label16 || over == Label6;
      if (HIWORD(l) == WM_MOUSEMOVE) {
        if (over == Label16)
          Label16_MouseMove();
        else if (over == Label6)
          Label6_MouseMove();
        else
          Form_MouseMove();  // over the box itself, its frame or another control
      }
      if (link && LOWORD(l) == HTCLIENT) {
        SetCursor(LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND)));
        return TRUE;
      }
      if (over != h_) return FALSE;  // the control sets its own pointer
      break;
    }
    case WM_MOUSEMOVE:
      Form_MouseMove();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) Form_MouseMove();  // the pointer went to another window
      focus_.OnActivate(h_, w, Command1);              // back where the user left it
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      HWND control = reinterpret_cast<HWND>(l);
      if (control == txtMain) {  // read-only, but a text box all the same
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      SetBkColor(dc, kBackColor);
      SetTextColor(dc, control == Label16 || control == Label6 ? kLinkColor : GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(backBrush_);
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(backBrush_);
    case WM_ERASEBKGND: {
      RECT client = ClientRect();
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
    case WM_NCDESTROY:
      return Destroyed(msg, w, l);
    default:
      break;
  }
  return DefWindowProcW(h_, msg, w, l);
}
