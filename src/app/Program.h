// The program's model of the extensions and the windows that show it. The main window
// and the wizard send their commands here; neither calls the other.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "inventory/Model.h"

class frmMain;
class frmNIMOWizard;

namespace modLang {
class LangWindow;
}

class Program {
 public:
  explicit Program(frmMain& main);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const modMain::Extensions& Extensions() const { return extensions_; }

  // MenuExt, the catalog, or both (in that order, as after an operation) are read again,
  // with the log lines of the reader's load, and every loaded window shows them.
  void LoadInstalled(modMain::Reader reader);
  void LoadCatalog(modMain::Reader reader);
  void Reload(modMain::Reader reader);

  // The main window's read of MenuExt on a thread of its own (the start, F5): the main
  // window shows each batch as it comes and answers its messages meanwhile; the log lines
  // are written here, in the order of a read at once, and then runs when the installed
  // list is whole: the available list, which depends on it, is its business. The wizard's
  // loads wait for its end.
  void ReadInstalledInBackground(std::function<void()> then);
  bool Reading() const { return read_ != nullptr; }
  // The reading thread's messages to the main window: one batch (win::kReadBatch), and
  // its last, after the start's copy of MenuExt, with what it held back (win::kReadDone).
  void TakeBatch(LPARAM batch);
  void TakeEnd(LPARAM held);
  // Ends the read under way, if any: its thread is waited for, its batches dropped.
  void StopReading();
  // Until the start's reads have ended the wizard's own load waits; Started runs it.
  void Starting() { starting_ = true; }
  void Started();

  // The wizard while it is loaded, else nullptr.
  frmNIMOWizard* Wizard() const;
  // Loads the wizard when it is not loaded, and shows it.
  void ShowWizard();
  // Loads it hidden, for the language refresh; nullptr when it could not be created.
  modLang::LangWindow* LoadWizardHidden();
  // The wizard closes: into the main window (toClassic), or the program ends.
  void WizardFinished(bool toClassic);
  // The wizard's window has gone; its object goes once its own handler has returned.
  void WizardClosed();
  void DropClosedWizard();
  // The program's end closes the wizard with it.
  void CloseWizard();

 private:
  void ShowInstalled(modMain::Reader reader);
  void ShowCatalog(modMain::Reader reader);

  class ReadThread;
  struct Batch;

  frmMain& main_;
  std::unique_ptr<ReadThread> read_;
  std::function<void()> then_;
  bool starting_ = false, wizardWaits_ = false;
  std::unique_ptr<frmNIMOWizard> wizard_;
  modMain::Extensions extensions_;
};
