#include "win/LabelButton.h"

#include <string>

namespace win {

namespace {

constexpr wchar_t kClassName[] = L"NIMOLabelButton";
// Window extra bytes: the font, and whether a press (mouse or Space) is under way.
constexpr int kFontSlot = 0, kPressedSlot = sizeof(LONG_PTR);

HFONT Font(HWND h) { return reinterpret_cast<HFONT>(GetWindowLongPtrW(h, kFontSlot)); }
bool Pressed(HWND h) { return GetWindowLongPtrW(h, kPressedSlot) != 0; }
void SetPressed(HWND h, bool on) { SetWindowLongPtrW(h, kPressedSlot, on); }

void Clicked(HWND h) {
  if (!IsWindowEnabled(h) || !IsWindowVisible(h)) return;
  SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
}

void Paint(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r{};
  GetClientRect(h, &r);
  HGDIOBJ oldFont = SelectObject(dc, Font(h) ? Font(h) : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(h), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h)));
  FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  if (!IsWindowEnabled(h)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(h, caption.data(), static_cast<int>(caption.size()))));
  const LRESULT cues = SendMessageW(h, WM_QUERYUISTATE, 0, 0);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0));
  if (GetFocus() == h && !(cues & UISF_HIDEFOCUS)) {
    InflateRect(&r, -2, -2);
    DrawFocusRect(dc, &r);
  }
  SelectObject(dc, oldFont);
  EndPaint(h, &ps);
}

LRESULT CALLBACK Procedure(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT:
      Paint(h);
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the painting fills the whole button
    case WM_SETFONT:
      SetWindowLongPtrW(h, kFontSlot, static_cast<LONG_PTR>(w));
      if (l) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font(h));
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(h, msg, w, l);
      InvalidateRect(h, nullptr, TRUE);
      return result;
    }
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefWindowProcW(h, msg, w, l);
      InvalidateRect(h, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      SetPressed(h, false);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      // With the focus it is the button that Enter presses, as a focused push button is.
      return DLGC_BUTTON | (GetFocus() == h ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      return 0;  // the dialog navigation's default-button marking: the look stays
    case BM_CLICK:
      Clicked(h);
      return 0;
    case WM_KEYDOWN:
      if (w == VK_SPACE && !(l & 0x40000000)) SetPressed(h, true);
      return 0;
    case WM_KEYUP:
      if (w == VK_SPACE && Pressed(h)) {
        SetPressed(h, false);
        Clicked(h);
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      SetCapture(h);
      SetPressed(h, true);
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = Pressed(h) && GetCapture() == h;
      SetPressed(h, false);
      if (GetCapture() == h) ReleaseCapture();
      RECT r{};
      GetClientRect(h, &r);
      const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      if (pressed && PtInRect(&r, at)) Clicked(h);
      return 0;
    }
    case WM_CAPTURECHANGED:
      SetPressed(h, false);
      return 0;
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

}  // namespace

bool CLabelButton::Create(HWND parent, UINT id, const char* text, RECT r, HFONT font, bool visible) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kClassName, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  h_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_TABSTOP | (visible ? WS_VISIBLE : 0), r.left, r.top,
                       r.right - r.left, r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                       instance, nullptr);
  if (!h_) return false;
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetText(text);
  return true;
}

}  // namespace win
