#include "app/Program.h"

#include "app/App.h"
#include "app/frmMain.h"
#include "wizard/frmNIMOWizard.h"

Program::Program(frmMain& main) : main_(main) {}

Program::~Program() = default;

void Program::LoadInstalled(modMain::Reader reader) {
  modMain::LoadInstalled(extensions_, reader);
  ShowInstalled(reader);
  // What is available depends on what is installed, whichever was read last.
  if (extensions_.CatalogCount >= 0) ShowCatalog(reader);
}

void Program::LoadCatalog(modMain::Reader reader) {
  modMain::LoadCatalog(extensions_, reader);
  ShowCatalog(reader);
}

void Program::Reload(modMain::Reader reader) {
  modMain::LoadInstalled(extensions_, reader);
  ShowInstalled(reader);  // the available list follows with the catalog, read next
  modMain::DoEvents();  // the installed list paints before the catalog is read
  LoadCatalog(reader);
}

void Program::ShowInstalled(modMain::Reader reader) {
  main_.ShowInstalled(extensions_, reader);
  if (frmNIMOWizard* wizard = Wizard()) wizard->ShowInstalled(extensions_);
}

void Program::ShowCatalog(modMain::Reader reader) {
  main_.ShowCatalog(extensions_, reader);
  if (frmNIMOWizard* wizard = Wizard()) wizard->ShowCatalog(extensions_);
}

frmNIMOWizard* Program::Wizard() const { return wizard_ && wizard_->Loaded() ? wizard_.get() : nullptr; }

void Program::ShowWizard() {
  if (!Wizard()) {
    wizard_ = std::make_unique<frmNIMOWizard>(*this);
    if (!wizard_->Load()) return;
  }
  wizard_->Show();
  SetForegroundWindow(wizard_->Handle());
}

modLang::LangWindow* Program::LoadWizardHidden() {
  wizard_ = std::make_unique<frmNIMOWizard>(*this);
  return wizard_->Load() ? wizard_.get() : nullptr;
}

void Program::WizardFinished(bool toClassic) {
  if (toClassic) main_.ShowClassic();
  else main_.Unload();  // every window closes and the program ends
}

void Program::WizardClosed() {
  if (main_.Handle()) PostMessageA(main_.Handle(), WM_APP, 0, 0);
}

void Program::DropClosedWizard() {
  if (wizard_ && !wizard_->Loaded()) wizard_.reset();
}

void Program::CloseWizard() {
  if (frmNIMOWizard* wizard = Wizard()) wizard->Close();
}
