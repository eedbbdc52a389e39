// Thin wrappers over one platform window each.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

#include "win/Dpi.h"

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
  // The size of the caption drawn on one line in the window's font ("&" marks no letter).
  SIZE TextSize() const;
  RECT WindowRect() const;
  RECT ClientRect() const;
  // Position relative to the parent's client area.
  RECT RectInParent() const;
  void Move(int x, int y, int width, int height) const { MoveWindow(h_, x, y, width, height, TRUE); }
  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageA(h_, msg, w, l); }
  void Redraw() const { InvalidateRect(h_, nullptr, TRUE); }

  // Twips (1/1440 inch) at the DPI the window is laid out at.
  UINT LayoutDpi() const { return dpi_ ? dpi_ : DpiOf(h_); }
  int TwipsToPixelsX(int twips) const { return MulDiv(twips, static_cast<int>(LayoutDpi()), 1440); }
  int TwipsToPixelsY(int twips) const { return TwipsToPixelsX(twips); }

 protected:
  // A window of fixed client size (twips) drawn at dpi: laid out at the DPI at which it
  // fits on the work area of its monitor (at `at`, when moved there), and sized to it.
  // Returns the DPI it was laid out at before.
  UINT FitFixedClient(SIZE twips, UINT dpi, const RECT* at = nullptr);

  HWND h_ = nullptr;
  // The DPI the window is laid out at: 0 for the one it was created at, else the one
  // WM_DPICHANGED gave, or a smaller one where a window of fixed size would not fit.
  UINT dpi_ = 0;
};

// One row of a window's table of commands: the id of a menu item, accelerator, button or
// label button, and the handler its click runs.
template <class T>
struct Command {
  UINT id;
  void (T::*handler)();
};

// A top-level window of the program, bound to its object. Every class registered with
// Register has one procedure, which finds the object and gives it the messages: a click
// (WM_COMMAND from a menu item, an accelerator, a button or a label) first to OnCommand,
// WM_NCDESTROY to OnDestroyed, everything else to OnMessage, which leaves what it does
// not handle to Default.
class CFrame : public CWindow {
 public:
  CFrame() = default;
  virtual ~CFrame() = default;
  CFrame(const CFrame&) = delete;
  CFrame& operator=(const CFrame&) = delete;

 protected:
  // Registers a window class of the executable for these windows, once (later calls find
  // it registered). iconId 0: no icon; background nullptr: the window paints its own.
  static void Register(const char* className, WORD iconId, HBRUSH background);
  // Creates a window of such a class. The object is bound to it from its first message:
  // WM_GETMINMAXINFO comes before WM_NCCREATE, and the window's limits hold from the start.
  HWND CreateBound(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                   int height, HWND owner);

  virtual LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) = 0;
  // The click of a command id; false when the window has no handler for it.
  virtual bool OnCommand(UINT) { return false; }
  // Runs id's handler from the window's table; false when the table has none.
  template <class T, size_t N>
  bool RunCommand(const Command<T> (&table)[N], UINT id) {
    for (const Command<T>& command : table)
      if (command.id == id) {
        (static_cast<T*>(this)->*command.handler)();
        return true;
      }
    return false;
  }
  // The platform's default handling, for the messages the window leaves alone.
  LRESULT Default(UINT msg, WPARAM w, LPARAM l) const { return DefWindowProcW(h_, msg, w, l); }
  // The window is being destroyed, from inside or out (with its owner).
  virtual void OnDestroyed() { Forget(); }
  // The window is gone or going: nothing may refer to it any more.
  virtual void Forget() { h_ = nullptr; }

 private:
  static LRESULT CALLBACK Procedure(HWND h, UINT msg, WPARAM w, LPARAM l);
  // The object of the window, bound to it by CreateBound at its first message.
  static CFrame* Bound(HWND h, UINT msg);
  static thread_local CFrame* creating_;
};

// A window shown modally over its owner: the owner is disabled while it shows (when it
// was enabled), and enabled again before the window goes, so that it is the one
// activated.
class CModalWindow : public CFrame {
 public:
  // Closes the window: Closing, the owner back, then the window goes.
  void Unload();
  bool Loaded() const { return h_ != nullptr; }

 protected:
  // Shows the loaded window with the focus on focus; messages run until it has gone. A
  // WM_QUIT closes the window and goes back to the main loop.
  void RunModal(HWND focus);
  // Runs as the window closes, before it goes.
  virtual void Closing() {}
  void OnDestroyed() override;

  HWND owner_ = nullptr;

 private:
  bool modal_ = false;  // RunModal disabled the owner
};

// A bitmap resource of the executable drawn at width x height pixels, so that a
// picture laid out in twips keeps its place at any resolution. nullptr when missing.
// Not smooth: each pixel repeated, for pictures whose colour marks the transparent part.
HBITMAP ScaledBitmap(WORD id, int width, int height, bool smooth = true);

// Gives a keyboard message to the platform's dialog navigation (Tab, Enter, Esc, access
// keys) when its top-level window holds controls to move between, as the windows with
// WS_EX_CONTROLPARENT do. True when the navigation took it. Messages come from
// GetMessageW, so that typed characters keep their script.
bool DialogMessage(MSG& msg);
// What a dialog does with WM_NEXTDLGCTL, for those windows, which are no dialogs: the
// navigation sends it for a label's access key, to go to the control after the label.
// The focus goes to the control w (l non-zero) or to the next (w 0) or previous control;
// a text box's text is selected.
LRESULT NextDialogControl(HWND window, WPARAM w, LPARAM l);

// Tab order: each control after the one before it.
void SetTabOrder(std::initializer_list<HWND> controls);

// The keyboard focus of a window of controls, kept as a dialog keeps it: remembered
// when the window is deactivated, given back when it is activated again (else to
// fallback), and moved on when its control is hidden or disabled under it.
class CFocusMemory {
 public:
  // For WM_ACTIVATE: the window handles it with this instead of the default handling.
  void OnActivate(HWND window, WPARAM w, HWND fallback);
  // After controls of the active window were hidden or disabled: when the focus is on
  // one of them, or was taken away (a disabled control loses it), it goes to prefer,
  // else back to had (the control that had it before), else to the next control in tab
  // order.
  static void MoveOn(HWND window, HWND had, HWND prefer = nullptr);

 private:
  HWND saved_ = nullptr;
};

// The work area of the monitor the window shows on; of the primary monitor for none.
RECT WorkAreaOf(HWND window);
// A window of width x height centred on the rectangle `on`, moved as little as needed to
// lie wholly on `work` (the work area; one larger than it is put at its top left).
RECT PlaceOnWorkArea(int width, int height, const RECT& on, const RECT& work);
// Moves the window to PlaceOnWorkArea, centred on `owner` (on the screen's work area
// when owner is null) and on the work area of the monitor it shows on. A resizable
// window (shrink) larger than the work area is first made as small as the work area.
void CentreOnWorkArea(HWND window, HWND owner, bool shrink = false);

class CStatusBar : public CWindow {
 public:
  bool Create(HWND parent, UINT id);
  void SetText(const std::wstring& text) const;
  std::string Text() const;
  std::wstring TextW() const;
  int Height() const;
};

// Lets pending window events run once, so that the windows repaint.
void DoEvents();

}  // namespace win
