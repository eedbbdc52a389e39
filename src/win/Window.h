// Thin wrappers over one platform window each.
#pragma once
#include <windows.h>

#include <functional>
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
  // The caption in any script (captions read from language files).
  std::wstring TextW() const;
  void SetTextW(const std::wstring& text) const { SetWindowTextW(h_, text.c_str()); }
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
  // For a window class's procedure: binds the window to its object at creation (the
  // object comes as the creation parameter) and finds the object for every message.
  template <class T>
  static T* FromHandle(HWND h, UINT msg, LPARAM l) {
    if (msg == WM_NCCREATE) {
      auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
      SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      static_cast<CWindow*>(self)->h_ = h;
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    return self && static_cast<CWindow*>(self)->h_ == h ? self : nullptr;
  }

  HWND h_ = nullptr;
};

// Registers a window class of the executable once (later calls find it registered).
// iconId 0: no icon; background nullptr: the window paints its own background.
void RegisterWindowClass(const char* name, WNDPROC procedure, WORD iconId, HBRUSH background);

// A modal window: the owner is disabled (when it was enabled; the result says so), the
// window shown and focus given; then messages run until the window handle turns null.
// A WM_QUIT closes the window and goes back to the main loop.
bool BeginModal(HWND window, HWND owner, HWND focus);
void ModalLoop(const HWND& window, const std::function<void()>& close);

class CStatusBar : public CWindow {
 public:
  bool Create(HWND parent, UINT id);
  void SetText(const std::string& text) const;
  std::string Text() const;
  int Height() const;
};

}  // namespace win
