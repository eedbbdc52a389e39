#include "win/Window.h"

#include <commctrl.h>

#include <vector>

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

namespace {
int Dpi(HWND h, int index) {
  HDC dc = GetDC(h);
  int dpi = GetDeviceCaps(dc, index);
  ReleaseDC(h, dc);
  return dpi > 0 ? dpi : 96;
}
}  // namespace

void RegisterWindowClass(const char* name, WNDPROC procedure, WORD iconId, HBRUSH background) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  if (iconId) {
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, 0));
  }
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

bool BeginModal(HWND window, HWND owner, HWND focus) {
  const bool disabled = owner && IsWindowEnabled(owner);
  if (disabled) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(focus);
  return disabled;
}

void ModalLoop(const HWND& window, const std::function<void()>& close) {
  MSG msg;
  while (window) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      close();
      break;
    }
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int CWindow::TwipsToPixelsX(int twips) const { return MulDiv(twips, Dpi(h_, LOGPIXELSX), 1440); }
int CWindow::TwipsToPixelsY(int twips) const { return MulDiv(twips, Dpi(h_, LOGPIXELSY), 1440); }
int CWindow::PixelsToTwipsX(int pixels) const { return MulDiv(pixels, 1440, Dpi(h_, LOGPIXELSX)); }

bool CStatusBar::Create(HWND parent, UINT id) {
  h_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  return h_ != nullptr;
}

void CStatusBar::SetText(const std::string& text) const { Send(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str())); }

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

}  // namespace win
