#include "win/Dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <utility>

namespace win {

namespace {

// A function of a system library that older versions of the platform lack; null there.
template <class F>
F Optional(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using EnableNonClientDpiScalingFn = BOOL(WINAPI*)(HWND);

struct Functions {
  GetDpiForWindowFn forWindow = Optional<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
  GetDpiForSystemFn forSystem = Optional<GetDpiForSystemFn>("user32.dll", "GetDpiForSystem");
  GetDpiForMonitorFn forMonitor = Optional<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
  GetSystemMetricsForDpiFn metrics = Optional<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi");
  AdjustWindowRectExForDpiFn adjust = Optional<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi");
  EnableNonClientDpiScalingFn nonClient =
      Optional<EnableNonClientDpiScalingFn>("user32.dll", "EnableNonClientDpiScaling");
};

const Functions& Platform() {
  static const Functions functions;
  return functions;
}

}  // namespace

UINT SystemDpi() {
  if (Platform().forSystem) return Platform().forSystem();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOf(HWND window) {
  if (window && Platform().forWindow) {
    if (const UINT dpi = Platform().forWindow(window)) return dpi;
  } else if (window && Platform().forMonitor) {
    UINT x = 0, y = 0;
    if (SUCCEEDED(Platform().forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)) && y)
      return y;  // 0: the effective DPI
  }
  return SystemDpi();
}

int MetricAt(int index, UINT dpi) {
  if (Platform().metrics) return Platform().metrics(index, dpi);
  return ScaleAt(GetSystemMetrics(index), SystemDpi(), dpi);
}

void AdjustFrameAt(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
  if (Platform().adjust) Platform().adjust(&r, style, menu, exStyle, dpi);
  else AdjustWindowRectEx(&r, style, menu, exStyle);
}

void ScaleNonClient(HWND window) {
  if (Platform().nonClient && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) Platform().nonClient(window);
}

RECT ScaleRect(const RECT& r, UINT from, UINT to) {
  return {ScaleAt(r.left, from, to), ScaleAt(r.top, from, to), ScaleAt(r.right, from, to), ScaleAt(r.bottom, from, to)};
}

UINT FittingDpi(UINT dpi, SIZE twips, SIZE frame, const RECT& work) {
  const long width = work.right - work.left - frame.cx, height = work.bottom - work.top - frame.cy;
  const long fits = std::min<long>(MulDiv(width, 1440, twips.cx), MulDiv(height, 1440, twips.cy));
  return static_cast<UINT>(std::max(1L, std::min(static_cast<long>(dpi), fits)));
}

CFont::~CFont() {
  if (h_) DeleteObject(h_);
}

HFONT CFont::MakeFor(UINT dpi, HWND parent) {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -MulDiv(8 * percent_, static_cast<int>(dpi), 72 * 100);
  font.lfWidth = 0;
  font.lfWeight = weight_;
  font.lfUnderline = underline_;
  HFONT made = CreateFontIndirectA(&font);
  if (h_ && parent)
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == h_)
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (h_) DeleteObject(h_);
  h_ = made;
  return h_;
}

void ScaleChildren(HWND parent, UINT from, UINT to) {
  if (from == to || !from) return;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    r = ScaleRect(r, from, to);
    SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    char name[32] = {};
    if (!GetClassNameA(child, name, sizeof name) || lstrcmpiA(name, WC_LISTVIEWA) != 0) continue;
    const int columns = Header_GetItemCount(ListView_GetHeader(child));
    for (int column = 0; column < columns; ++column)
      ListView_SetColumnWidth(child, column, ScaleAt(ListView_GetColumnWidth(child, column), from, to));
  }
}

void TakeSuggestedPlace(HWND window, LPARAM l) {
  const RECT& r = *reinterpret_cast<const RECT*>(l);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowIcons(HWND window, WORD id) {
  // Loaded once for each size: a window moved back and forth between monitors takes the
  // same icons again.
  static std::map<std::pair<WORD, int>, HICON> loaded;
  const UINT dpi = DpiOf(window);
  for (auto [kind, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
    const int size = MetricAt(metric, dpi);
    HICON& icon = loaded[{id, size}];
    if (!icon)
      icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    if (icon) SendMessageA(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
}

}  // namespace win
