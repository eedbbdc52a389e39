// What the windows ask of the program object, which owns the model and both windows:
// the main window and the wizard hold this, so that neither knows the other or the
// program object itself.
#pragma once
#include <windows.h>

#include <functional>

#include "inventory/Model.h"

class frmNIMOWizard;

namespace modLang {
class LangWindow;
}

class ProgramCalls {
 public:
  virtual const modMain::Extensions& Extensions() const = 0;

  // MenuExt, the catalog, or both (in that order, as after an operation) are read again,
  // with the log lines of the reader's load, and every loaded window shows them.
  virtual void LoadInstalled(modMain::Reader reader) = 0;
  virtual void LoadCatalog(modMain::Reader reader) = 0;
  virtual void Reload(modMain::Reader reader) = 0;

  // The main window's read of MenuExt on a thread of its own (the start, F5): the main
  // window shows each batch as it comes and answers its messages meanwhile; the log lines
  // are written here, in the order of a read at once, and then runs when the installed
  // list is whole: the available list, which depends on it, is its business. The wizard's
  // loads wait for its end.
  virtual void ReadInstalledInBackground(std::function<void()> then) = 0;
  virtual bool Reading() const = 0;
  // The reading thread's message to the main window: one batch, which lParam owns.
  static constexpr UINT kBatchMessage = WM_APP + 1;
  virtual void TakeBatch(LPARAM batch) = 0;
  // Its last message, after the start's copy of MenuExt: what it held back, which lParam owns.
  static constexpr UINT kDoneMessage = WM_APP + 3;
  virtual void TakeEnd(LPARAM held) = 0;
  // Ends the read under way, if any: its thread is waited for, its batches dropped.
  virtual void StopReading() = 0;
  // Until the start's reads have ended the wizard's own load waits; Started runs it.
  virtual void Starting() = 0;
  virtual void Started() = 0;

  // The wizard while it is loaded, else nullptr.
  virtual frmNIMOWizard* Wizard() const = 0;
  // Loads the wizard when it is not loaded, and shows it.
  virtual void ShowWizard() = 0;
  // Loads it hidden, for the language refresh; nullptr when it could not be created.
  virtual modLang::LangWindow* LoadWizardHidden() = 0;
  // The wizard closes: into the main window (toClassic), or the program ends.
  virtual void WizardFinished(bool toClassic) = 0;
  // The wizard's window has gone; its object goes once its own handler has returned.
  virtual void WizardClosed() = 0;
  virtual void DropClosedWizard() = 0;
  // The program's end closes the wizard with it.
  virtual void CloseWizard() = 0;

 protected:
  ~ProgramCalls() = default;
};
