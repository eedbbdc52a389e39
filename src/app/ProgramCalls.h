// What the windows ask of the program object, which owns the model and both windows:
// the main window and the wizard hold these calls, given by the program object, so that
// neither knows the other or the program object itself.
#pragma once
#include <windows.h>

#include <functional>

#include "inventory/Model.h"

class frmNIMOWizard;

namespace modLang {
class LangWindow;
}

struct ProgramCalls {
  std::function<const modMain::Extensions&()> extensions;

  // MenuExt, the catalog, or both (in that order, as after an operation) are read again,
  // with the log lines of the reader's load, and every loaded window shows them.
  std::function<void(modMain::Reader reader)> loadInstalled, loadCatalog, reload;

  // The main window's read of MenuExt on a thread of its own (the start, F5): the main
  // window shows each batch as it comes and answers its messages meanwhile; the log lines
  // are written here, in the order of a read at once, and then runs when the installed
  // list is whole: the available list, which depends on it, is its business. The wizard's
  // loads wait for its end.
  std::function<void(std::function<void()> then)> readInBackground;
  std::function<bool()> reading;
  // The reading thread's message to the main window: one batch, which lParam owns.
  std::function<void(LPARAM batch)> takeBatch;
  // Its last message, after the start's copy of MenuExt: what it held back, which lParam owns.
  std::function<void(LPARAM held)> takeEnd;
  // Ends the read under way, if any: its thread is waited for, its batches dropped.
  std::function<void()> stopReading;
  // Until the start's reads have ended the wizard's own load waits; started runs it.
  std::function<void()> starting, started;

  // The wizard while it is loaded, else nullptr.
  std::function<frmNIMOWizard*()> wizard;
  // Loads the wizard when it is not loaded, and shows it.
  std::function<void()> showWizard;
  // Loads it hidden, for the language refresh; nullptr when it could not be created.
  std::function<modLang::LangWindow*()> loadWizardHidden;
  // The wizard closes: into the main window (toClassic), or the program ends.
  std::function<void(bool toClassic)> wizardFinished;
  // The wizard's window has gone; its object goes once its own handler has returned.
  std::function<void()> wizardClosed, dropClosedWizard;
  // The program's end closes the wizard with it.
  std::function<void()> closeWizard;
};
