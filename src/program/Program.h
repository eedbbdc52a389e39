// The program object: the model of the extensions and the windows that show it, the
// main window and the wizard, which send their commands here and never call each other.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "app/ProgramCalls.h"
#include "app/frmMain.h"
#include "inventory/Model.h"

class Program final : public ProgramCalls {
 public:
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  frmMain& Main() { return main_; }

  const modMain::Extensions& Extensions() const override { return extensions_; }
  void LoadInstalled(modMain::Reader reader) override;
  void LoadCatalog(modMain::Reader reader) override;
  void Reload(modMain::Reader reader) override;

  void ReadInstalledInBackground(std::function<void()> then) override;
  bool Reading() const override { return read_ != nullptr; }
  void TakeBatch(LPARAM batch) override;
  void TakeEnd(LPARAM held) override;
  void StopReading() override;
  void Starting() override { starting_ = true; }
  void Started() override;

  frmNIMOWizard* Wizard() const override;
  void ShowWizard() override;
  modLang::LangWindow* LoadWizardHidden() override;
  void WizardFinished(bool toClassic) override;
  void WizardClosed() override;
  void DropClosedWizard() override;
  void CloseWizard() override;

 private:
  void ShowInstalled(modMain::Reader reader);
  void ShowCatalog(modMain::Reader reader);

  class ReadThread;
  struct Batch;

  // In this order: the main window, made with the model in place, goes first, and the
  // wizard after it, as they close.
  modMain::Extensions extensions_;
  std::unique_ptr<ReadThread> read_;
  std::function<void()> then_;
  bool starting_ = false, wizardWaits_ = false;
  std::unique_ptr<frmNIMOWizard> wizard_;
  frmMain main_{*this};
};
