// Resolution: each window drawn at the DPI of the monitor it is on, where the platform
// tells it (Windows 10 1607 and later, or 8.1 through shcore), else at the system's.
// The newer functions are looked up when first needed, so that the program still runs
// on Windows 7, where every window has the system's DPI.
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace win {

UINT SystemDpi();
// The DPI the window is drawn at; the system's for no window.
UINT DpiOf(HWND window);
// A system metric (SM_CXSMICON, SM_CXVSCROLL ...) at dpi.
int MetricAt(int index, UINT dpi);
// AdjustWindowRectEx for a window drawn at dpi.
void AdjustFrameAt(RECT& r, DWORD style, bool menu, DWORD exStyle, UINT dpi);
// For WM_NCCREATE: the caption and menu bar of a top-level window follow its DPI where
// the platform scales only the client area by itself.
void ScaleNonClient(HWND window);

// Pixels laid out at one DPI, at another.
inline int ScaleAt(int pixels, UINT from, UINT to) { return MulDiv(pixels, static_cast<int>(to), static_cast<int>(from)); }
RECT ScaleRect(const RECT& r, UINT from, UINT to);

// The DPI to lay out a window of fixed client size (in twips) at: its own, or less where
// the window would not fit on the work area, as a large scaling on a small screen leaves
// it. frame: the window's frame in pixels at dpi, as AdjustWindowRectEx gives it.
UINT FittingDpi(UINT dpi, SIZE twips, SIZE frame, const RECT& work);

// One font of a window's: the dialog font (the stock GUI font's face, 8 points) at a DPI,
// bold, underlined or larger as asked.
class CFont {
 public:
  explicit CFont(int weight = FW_NORMAL, bool underline = false, int percent = 100)
      : weight_(weight), underline_(underline), percent_(percent) {}
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  HFONT Handle() const { return h_; }
  operator HFONT() const { return h_; }
  // Makes the font anew for dpi; the children of parent that showed the font made before
  // show the new one.
  HFONT MakeFor(UINT dpi, HWND parent = nullptr);

 private:
  HFONT h_ = nullptr;
  int weight_;
  bool underline_;
  int percent_;
};

// For WM_DPICHANGED of a window whose children have fixed places: each child's place and
// each list's column widths, laid out at `from`, scaled to `to`.
void ScaleChildren(HWND parent, UINT from, UINT to);
// For WM_DPICHANGED: the window takes the rectangle the platform suggests (lParam).
void TakeSuggestedPlace(HWND window, LPARAM l);
// The window's icons, the resource `id` at the sizes of the window's DPI.
void ShowIcons(HWND window, WORD id);

}  // namespace win
