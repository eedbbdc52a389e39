// Thin wrappers over one platform window each.
#pragma once
#include <windows.h>

#include <string>

namespace win {

class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND h) : h_(h) {}
  void Attach(HWND h) { h_ = h; }
  HWND Handle() const { return h_; }
  operator HWND() const { return h_; }

  // The window's own visible flag, whatever its parent shows.
  bool IsVisible() const { return h_ && (GetWindowLongA(h_, GWL_STYLE) & WS_VISIBLE); }
  void Show(bool show = true) const { ShowWindow(h_, show ? SW_SHOW : SW_HIDE); }
  void Hide() const { Show(false); }
  void Enable(bool on) const { EnableWindow(h_, on); }
  std::string Text() const;
  void SetText(const std::string& text) const { SetWindowTextA(h_, text.c_str()); }
  RECT WindowRect() const;
  RECT ClientRect() const;
  // Position relative to the parent's client area.
  RECT RectInParent() const;
  void Move(int x, int y, int width, int height) const { MoveWindow(h_, x, y, width, height, TRUE); }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageA(h_, msg, w, l); }
  void Redraw() const { InvalidateRect(h_, nullptr, TRUE); }

  // Twips (1/1440 inch) at the window's real resolution.
  int TwipsToPixelsX(int twips) const;
  int TwipsToPixelsY(int twips) const;
  int PixelsToTwipsX(int pixels) const;

 protected:
  HWND h_ = nullptr;
};

class CStatusBar : public CWindow {
 public:
  bool Create(HWND parent, UINT id);
  void SetText(const std::string& text) const;
  std::string Text() const;
  int Height() const;
};

}  // namespace win
