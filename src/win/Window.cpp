#include "win/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win/Messages.h"
#include "win/Profile.h"

namespace win {

std::string CWindow::Text() const {
  int n = GetWindowTextLengthA(h_);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(h_, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

std::wstring CWindow::TextW() const {
  int n = GetWindowTextLengthW(h_);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h_, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

SIZE CWindow::TextSize() const {
  const std::wstring caption = TextW();
  HDC dc = GetDC(h_);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
  RECT r{};
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, previous);
  ReleaseDC(h_, dc);
  return {r.right - r.left, r.bottom - r.top};
}

RECT CWindow::WindowRect() const {
  RECT r{};
  GetWindowRect(h_, &r);
  return r;
}

RECT CWindow::ClientRect() const {
  RECT r{};
  GetClientRect(h_, &r);
  return r;
}

RECT CWindow::RectInParent() const {
  RECT r = WindowRect();
  MapWindowPoints(HWND_DESKTOP, GetParent(h_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

thread_local CFrame* CFrame::creating_ = nullptr;

HWND CFrame::CreateBound(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                         int width, int height, HWND owner) {
  h_ = nullptr;
  dpi_ = 0;
  creating_ = this;
  HWND h = CreateWindowExA(exStyle, className, title, style, x, y, width, height, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  creating_ = nullptr;
  if (!h) h_ = nullptr;
  return h;
}

CFrame* CFrame::Bound(HWND h, UINT msg) {
  if (creating_ && !creating_->h_ && !GetWindowLongPtrA(h, GWLP_USERDATA)) {
    creating_->h_ = h;
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating_));
    creating_ = nullptr;
  }
  if (msg == WM_NCCREATE) ScaleNonClient(h);
  auto* self = reinterpret_cast<CFrame*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  return self && self->h_ == h ? self : nullptr;
}

namespace {
// A click: a menu item's or a button's (code 0), or an accelerator's (code 1, from no control).
bool IsClick(WPARAM w, LPARAM l) { return HIWORD(w) == 0 || (HIWORD(w) == 1 && !l); }
}  // namespace

LRESULT CALLBACK CFrame::Procedure(HWND h, UINT msg, WPARAM w, LPARAM l) {
  CFrame* self = Bound(h, msg);
  if (!self) return DefWindowProcW(h, msg, w, l);
  switch (msg) {
    case WM_COMMAND:
      if (IsClick(w, l) && self->OnCommand(LOWORD(w))) return 0;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const LRESULT brush = self->OnMessage(msg, w, l);
      SendMessageW(reinterpret_cast<HWND>(l), kOwnTextColour, w, 0);
      return brush;
    }
    case WM_NCDESTROY:
      self->OnDestroyed();
      return DefWindowProcW(h, msg, w, l);
    default:
      break;
  }
  return self->OnMessage(msg, w, l);
}

// The classes are Unicode, so that a title in any script is kept and drawn as it is.
void CFrame::Register(const char* name, WORD iconId, HBRUSH background) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const std::wstring className = Widen(name);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, className.c_str(), &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  if (iconId) {
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(iconId));
    const int small = GetSystemMetrics(SM_CXSMICON);
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, small, small, 0));
  }
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className.c_str();
  RegisterClassExW(&wc);
}

void CModalWindow::RunModal(HWND focus) {
  if (!h_) return;
  modal_ = owner_ && IsWindowEnabled(owner_);
  if (modal_) EnableWindow(owner_, FALSE);
  ShowWindow(h_, SW_SHOW);
  SetForegroundWindow(h_);
  SetFocus(focus);
  MSG msg;
  while (h_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      Unload();
      break;
    }
    if (DialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void CModalWindow::Unload() {
  if (!h_) return;
  Closing();
  if (modal_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  modal_ = false;
  HWND h = h_;
  Forget();
  DestroyWindow(h);
}

void CModalWindow::OnDestroyed() {
  modal_ = false;
  Forget();
}

HBITMAP ScaledBitmap(WORD id, int width, int height, bool smooth) {
  auto original = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  BITMAP size{};
  if (!original || !GetObjectA(original, sizeof size, &size)) return original;
  if (size.bmWidth == width && size.bmHeight == height) return original;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ oldFrom = SelectObject(from, original), oldTo = SelectObject(to, scaled);
  SetStretchBltMode(to, smooth ? HALFTONE : COLORONCOLOR);
  SetBrushOrgEx(to, 0, 0, nullptr);
  StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  DeleteObject(original);
  return scaled;
}

bool DialogMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  return root && (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg);
}

LRESULT NextDialogControl(HWND window, WPARAM w, LPARAM l) {
  HWND to = LOWORD(l) ? reinterpret_cast<HWND>(w) : GetNextDlgTabItem(window, GetFocus(), w != 0);
  if (!to) return 0;
  SetFocus(to);
  if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
  return 0;
}

void SetTabOrder(std::initializer_list<HWND> controls) {
  HWND previous = HWND_TOP;
  for (HWND control : controls) {
    SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control;
  }
}

namespace {
bool CanTakeFocus(HWND window, HWND control) {
  return control && IsChild(window, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}
}  // namespace

void CFocusMemory::OnActivate(HWND window, WPARAM w, HWND fallback) {
  if (LOWORD(w) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) saved_ = focus;
    return;
  }
  if (HIWORD(w)) return;  // minimized
  HWND focus = CanTakeFocus(window, saved_) ? saved_ : fallback;
  if (!CanTakeFocus(window, focus)) focus = GetNextDlgTabItem(window, nullptr, FALSE);
  SetFocus(focus ? focus : window);
}

void CFocusMemory::MoveOn(HWND window, HWND had, HWND prefer) {
  HWND focus = GetFocus();
  if (CanTakeFocus(window, focus)) return;
  if (focus && focus != window && !IsChild(window, focus)) return;  // another window has it
  if (GetActiveWindow() != window) return;                           // the activation gives it back
  HWND next = CanTakeFocus(window, prefer) ? prefer : CanTakeFocus(window, had) ? had : nullptr;
  HWND from = focus && focus != window ? focus : had;
  if (!next) next = GetNextDlgTabItem(window, from && IsChild(window, from) ? from : nullptr, FALSE);
  if (next) SetFocus(next);
}

RECT PlaceOnWorkArea(int width, int height, const RECT& on, const RECT& work) {
  int left = on.left + (on.right - on.left - width) / 2, top = on.top + (on.bottom - on.top - height) / 2;
  left = std::max<int>(work.left, std::min<int>(left, work.right - width));
  top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  return {left, top, left + width, top + height};
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(window ? MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                         : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY),
                  &monitor);
  return monitor.rcWork;
}

void CentreOnWorkArea(HWND window, HWND owner, bool shrink) {
  const RECT frame = CWindow(window).WindowRect();
  const RECT work = WorkAreaOf(owner ? owner : window);
  RECT on = work;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &on);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (shrink) {
    width = std::min<int>(width, work.right - work.left);
    height = std::min<int>(height, work.bottom - work.top);
  }
  const RECT at = PlaceOnWorkArea(width, height, on, work);
  SetWindowPos(window, nullptr, at.left, at.top, width, height,
               (shrink ? 0 : SWP_NOSIZE) | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT CWindow::FitFixedClient(SIZE twips, UINT own, const RECT* at) {
  const UINT before = dpi_;
  if (at) SetWindowPos(h_, nullptr, at->left, at->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const DWORD style = GetWindowLongA(h_, GWL_STYLE), exStyle = GetWindowLongA(h_, GWL_EXSTYLE);
  RECT frame{};
  AdjustFrameAt(frame, style, false, exStyle, own);
  dpi_ = FittingDpi(own, twips, {frame.right - frame.left, frame.bottom - frame.top}, WorkAreaOf(h_));
  RECT r{0, 0, TwipsToPixelsX(twips.cx), TwipsToPixelsY(twips.cy)};
  AdjustFrameAt(r, style, false, exStyle, own);
  SetWindowPos(h_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return before ? before : dpi_;
}

bool CStatusBar::Create(HWND parent, UINT id) {
  h_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  return h_ != nullptr;
}

void CStatusBar::SetText(const std::wstring& text) const { Send(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str())); }

std::wstring CStatusBar::TextW() const {
  std::vector<wchar_t> buffer(static_cast<size_t>(LOWORD(Send(SB_GETTEXTLENGTHW, 0))) + 1, L'\0');
  Send(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

std::string CStatusBar::Text() const {
  LRESULT n = LOWORD(Send(SB_GETTEXTLENGTHA, 0));
  std::vector<char> buffer(static_cast<size_t>(n) + 1, '\0');
  Send(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer.data()));
  return buffer.data();
}

int CStatusBar::Height() const {
  RECT r = WindowRect();
  return r.bottom - r.top;
}

void DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // the program is ending: leave that to the message loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace win
