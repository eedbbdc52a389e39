// A label used as a button: its caption on the colour its parent gives it (the shape
// behind it, which changes under the pointer), and a button to the keyboard. It takes
// the focus with Tab and shows it with a focus rectangle, Space and Enter press it, and
// the letter after "&" in its caption is its access key. A press reaches the parent as
// a push button's does: WM_COMMAND with BN_CLICKED.
//
// The parent answers WM_CTLCOLORBTN with the brush of the shape (and sets the text
// colour in the DC), and DM_GETDEFID with the id of the button that Enter presses when
// the focus is on no button.
#pragma once
#include <windows.h>

#include "win/Window.h"

namespace win {

class CLabelButton : public CWindow {
 public:
  // A child window of parent at r (pixels), hidden unless visible.
  bool Create(HWND parent, UINT id, const char* text, RECT r, HFONT font, bool visible);
};

}  // namespace win
