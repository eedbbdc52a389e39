// Labels used as buttons, and controls that show under the pointer that they can be
// clicked.
#pragma once
#include <windows.h>

#include "win/Window.h"

namespace win {

// How a label button looks: the shape behind its caption, away from and under the
// pointer, which reaches `margin` pixels beyond the caption's place, the pointer over
// it, and the colour of the shape's one-pixel frame (CLR_INVALID: none).
struct ButtonLook {
  COLORREF fill, hotFill;
  int margin;
  HCURSOR pointer;
  COLORREF frame = CLR_INVALID;
};

// A label used as a button: its caption on its shape, and a button to the keyboard. It
// takes the focus with Tab and shows it with a focus rectangle, Space and Enter press
// it, and the letter after "&" in its caption is its access key. A press reaches the
// parent as a push button's does: WM_COMMAND with BN_CLICKED.
//
// With a look it draws its shape and sets its pointer itself. Without one it is drawn on
// the brush that the parent answers to WM_CTLCOLORBTN, and the parent sets its pointer.
// The parent answers DM_GETDEFID with the id of the button that Enter presses when the
// focus is on no button.
class CLabelButton : public CWindow {
 public:
  // A child window of parent at r (pixels; with a look, r is the caption's place), hidden
  // unless visible.
  bool Create(HWND parent, UINT id, const char* text, RECT r, HFONT font, bool visible,
              const ButtonLook* look = nullptr);
  bool Hot() const { return hot_; }

 private:
  static LRESULT CALLBACK Procedure(HWND h, UINT msg, WPARAM w, LPARAM l);
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
  void Paint();
  void Clicked();
  void SetHot(bool hot);

  HFONT font_ = nullptr;
  bool pressed_ = false;  // a press (mouse or Space) under way
  bool hot_ = false;      // under the pointer
  bool hasLook_ = false;
  ButtonLook look_{};
};

// How a static or a check box shows that it can be clicked: the pointer over it, and its
// caption's colour away from and under the pointer (CLR_INVALID: the colour its window
// gives it), underlined under the pointer when `underline`.
struct HoverLook {
  HCURSOR pointer;
  COLORREF text, hotText;
  bool underline;
};

// Gives the control its look for the life of its window. A static's click (it needs
// SS_NOTIFY) reaches the parent as WM_COMMAND with STN_CLICKED, posted, so that its
// handler runs once the static is done with the mouse. The parent is a CFrame, which
// lets the control set its own text colour.
void ShowClickable(HWND control, const HoverLook& look);

}  // namespace win
