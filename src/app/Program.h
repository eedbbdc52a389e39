// The program's model of the extensions and the windows that show it. The main window
// and the wizard send their commands here; neither calls the other.
#pragma once
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

  frmMain& main_;
  std::unique_ptr<frmNIMOWizard> wizard_;
  modMain::Extensions extensions_;
};
