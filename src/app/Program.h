// The program object: the model of the extensions and the windows that show it, the
// main window and the wizard, which send their commands here and never call each other.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/ProgramCalls.h"
#include "app/frmMain.h"
#include "inventory/Model.h"

class Program {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  frmMain& Main() { return main_; }

 private:
  const modMain::Extensions& Extensions() const { return extensions_; }
  void LoadInstalled(modMain::Reader reader);
  void LoadCatalog(modMain::Reader reader);
  void Reload(modMain::Reader reader);

  void ReadInstalledInBackground(std::function<void()> then, modMain::Reader reader = modMain::Reader::Main);
  bool Reading() const { return read_ != nullptr; }
  void TakeBatch(LPARAM batch);
  void TakeEnd(LPARAM held);
  void StopReading();
  void Starting() { starting_ = true; }
  void Started();

  frmNIMOWizard* Wizard() const;
  void ShowWizard();
  modLang::LangWindow* LoadWizardHidden();
  void WizardFinished(bool toClassic);
  void WizardClosed();
  void DropClosedWizard();
  void CloseWizard();

  void ShowInstalled(modMain::Reader reader);
  void ShowCatalog(modMain::Reader reader);

  class ReadThread;
  struct Batch;

  // What the windows ask, each a call of this object's.
  ProgramCalls Calls();

  // In this order: the main window, made with the model and the calls in place, goes
  // first, and the wizard after it, as they close.
  modMain::Extensions extensions_;
  std::unique_ptr<ReadThread> read_;
  std::function<void()> then_;
  modMain::Reader reader_ = modMain::Reader::Main;
  std::optional<modMain::Reader> again_;  // a reload asked for during the read
  bool starting_ = false, wizardWaits_ = false;
  std::unique_ptr<frmNIMOWizard> wizard_;
  ProgramCalls calls_ = Calls();
  frmMain main_{calls_};
};
