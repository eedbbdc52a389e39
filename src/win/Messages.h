// The program's own window messages, by name; each says which window it goes to.
#pragma once
#include <windows.h>

namespace win {

enum Message : UINT {
  // To the main window: the wizard's window has gone, and its object may go.
  kWizardClosed = WM_APP,
  // To the main window from the thread reading MenuExt: one batch, which lParam owns.
  kReadBatch,
  // To the main window, posted as it first shows: the start's reads begin.
  kStartReads,
  // To the main window from the reading thread: its end; lParam owns what it held back.
  kReadDone,
  // To a window: a label button was clicked, handled once the label is done with the mouse.
  kLabelClicked,
  // To the properties dialog: the focus has settled on the Contexts box.
  kContextsEntered,
  // From a window to a control, after the window has answered WM_CTLCOLORSTATIC or
  // WM_CTLCOLORBTN for it: a control with a text colour of its own sets it in the DC
  // (wParam). Controls without one leave it to the platform's default, which does nothing.
  kOwnTextColour,
};

}  // namespace win
