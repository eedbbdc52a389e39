#include "win/LabelButton.h"

#include <commctrl.h>

#include <string>

#include "win/Messages.h"

namespace win {

namespace {
constexpr wchar_t kClassName[] = L"NIMOLabelButton";

// Until the pointer leaves the window, which then gets WM_MOUSELEAVE.
void TrackLeave(HWND h) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = h;
  TrackMouseEvent(&track);
}
}  // namespace

bool CLabelButton::Create(HWND parent, UINT id, const char* text, RECT r, HFONT font, bool visible,
                          const ButtonLook* look) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kClassName, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  hasLook_ = look != nullptr;
  if (look) {
    look_ = *look;
    InflateRect(&r, look->margin, look->margin);
  }
  h_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_TABSTOP | (visible ? WS_VISIBLE : 0), r.left, r.top,
                       r.right - r.left, r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                       instance, this);
  if (!h_) return false;
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetText(text);
  return true;
}

LRESULT CALLBACK CLabelButton::Procedure(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(h, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  auto* self = reinterpret_cast<CLabelButton*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self) return DefWindowProcW(h, msg, w, l);
  if (msg == WM_NCCREATE) self->h_ = h;
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  return self->OnMessage(msg, w, l);
}

void CLabelButton::Clicked() {
  if (!IsWindowEnabled(h_) || !IsWindowVisible(h_)) return;
  SendMessageW(GetParent(h_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h_), BN_CLICKED), reinterpret_cast<LPARAM>(h_));
}

void CLabelButton::SetHot(bool hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  if (hot) TrackLeave(h_);
  if (hasLook_) Redraw();
}

void CLabelButton::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h_, &ps);
  RECT r = ClientRect();
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  if (hasLook_) {
    HBRUSH shape = CreateSolidBrush(hot_ ? look_.hotFill : look_.fill);
    FillRect(dc, &r, shape);
    DeleteObject(shape);
    if (look_.frame != CLR_INVALID) {
      HBRUSH frame = CreateSolidBrush(look_.frame);
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
    }
    InflateRect(&r, -look_.margin, -look_.margin);
  } else {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(h_), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h_)));
    FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  }
  if (!IsWindowEnabled(h_)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  const std::wstring caption = TextW();
  const LRESULT cues = Send(WM_QUERYUISTATE);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0));
  if (GetFocus() == h_ && !(cues & UISF_HIDEFOCUS)) {
    InflateRect(&r, -2, -2);
    DrawFocusRect(dc, &r);
  }
  SelectObject(dc, oldFont);
  EndPaint(h_, &ps);
}

LRESULT CLabelButton::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  const HWND h = h_;
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the painting fills the whole button
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(w);
      if (l) Redraw();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT:
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefWindowProcW(h, msg, w, l);
      Redraw();
      return result;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      pressed_ = false;
      if (msg == WM_ENABLE && !w) hot_ = false;
      Redraw();
      return 0;
    case WM_SHOWWINDOW:
      if (!w) hot_ = false;  // hidden under the pointer: it shows again as it is away from it
      break;
    case WM_SETCURSOR:
      if (!hasLook_ || !look_.pointer) break;
      SetCursor(look_.pointer);
      return TRUE;
    case WM_MOUSEMOVE:
      SetHot(true);
      return 0;
    case WM_MOUSELEAVE:
      SetHot(false);
      return 0;
    case WM_GETDLGCODE:
      // With the focus it is the button that Enter presses, as a focused push button is.
      return DLGC_BUTTON | (GetFocus() == h_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      return 0;  // the dialog navigation's default-button marking: the look stays
    case BM_CLICK:
      Clicked();
      return 0;
    case WM_KEYDOWN:
      if (w == VK_SPACE && !(l & 0x40000000)) pressed_ = true;
      return 0;
    case WM_KEYUP:
      if (w == VK_SPACE && pressed_) {
        pressed_ = false;
        Clicked();
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h_);
      SetCapture(h_);
      pressed_ = true;
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = pressed_ && GetCapture() == h_;
      pressed_ = false;
      if (GetCapture() == h_) ReleaseCapture();
      const RECT r = ClientRect();
      const POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      if (pressed && PtInRect(&r, at)) Clicked();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_NCDESTROY:
      h_ = nullptr;
      hot_ = false;
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, w, l);
}

// ---------------------------------------------------------------------------
// Statics and check boxes that show they can be clicked

namespace {

struct Hover {
  HoverLook look;
  bool isStatic = false;
  bool hot = false;
  HFONT font = nullptr;        // the control's own font
  HFONT underlined = nullptr;  // it underlined, while the pointer is over the control
};

LRESULT CALLBACK HoverProcedure(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data);

void SetHover(HWND h, Hover& hover, bool hot) {
  if (hover.hot == hot) return;
  hover.hot = hot;
  if (hot) TrackLeave(h);
  if (!hover.look.underline) {
    InvalidateRect(h, nullptr, TRUE);
    return;
  }
  HFONT shown = hover.font;
  if (hot) {
    LOGFONTW font{};
    GetObjectW(hover.font ? hover.font : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    hover.underlined = CreateFontIndirectW(&font);
    shown = hover.underlined;
  }
  DefSubclassProc(h, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
  if (!hot && hover.underlined) {
    DeleteObject(hover.underlined);
    hover.underlined = nullptr;
  }
}

LRESULT CALLBACK HoverProcedure(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR data) {
  Hover& hover = *reinterpret_cast<Hover*>(data);
  switch (msg) {
    case WM_SETCURSOR:
      if (LOWORD(l) != HTCLIENT || !hover.look.pointer) break;
      SetCursor(hover.look.pointer);
      return TRUE;
    case WM_MOUSEMOVE:
      SetHover(h, hover, true);
      break;
    case WM_MOUSELEAVE:
      SetHover(h, hover, false);
      break;
    case kOwnTextColour: {
      const COLORREF color = hover.hot ? hover.look.hotText : hover.look.text;
      if (color != CLR_INVALID) SetTextColor(reinterpret_cast<HDC>(w), color);
      return 0;
    }
    // The control's own font, also while it shows underlined: a new one is underlined in turn.
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(hover.font);
    case WM_SETFONT:
      hover.font = reinterpret_cast<HFONT>(w);
      if (hover.hot && hover.look.underline) {
        hover.hot = false;
        DeleteObject(hover.underlined);
        hover.underlined = nullptr;
        SetHover(h, hover, true);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (!hover.isStatic) break;
      PostMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), STN_CLICKED), reinterpret_cast<LPARAM>(h));
      return 0;
    case WM_NCDESTROY: {
      RemoveWindowSubclass(h, HoverProcedure, id);
      if (hover.underlined) DeleteObject(hover.underlined);
      const LRESULT result = DefSubclassProc(h, msg, w, l);
      delete &hover;
      return result;
    }
    default:
      break;
  }
  return DefSubclassProc(h, msg, w, l);
}

}  // namespace

void ShowClickable(HWND control, const HoverLook& look) {
  auto* hover = new Hover{look};
  char name[16] = {};
  GetClassNameA(control, name, sizeof name);
  hover->isStatic = lstrcmpiA(name, "Static") == 0;
  hover->font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!SetWindowSubclass(control, HoverProcedure, 0, reinterpret_cast<DWORD_PTR>(hover))) delete hover;
}

}  // namespace win
