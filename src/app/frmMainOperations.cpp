// The main window's extension commands: each takes the model's entry of the selected
// row, runs the operation, and has the model read again when the operation asks.
#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "restore/frmRestore.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace {
constexpr modMain::Reader kMain = modMain::Reader::Main;
}

void frmMain::mnuEnable_Click() {
  modMain::RunOperation(h_, SelectedAvailable(), modMain::EnableExtension, [this] { program_.Reload(kMain); });
}

void frmMain::mnuDisable_Click() {
  modMain::RunOperation(h_, SelectedInstalled(), modMain::DisableExtension, [this] { program_.Reload(kMain); });
}

void frmMain::mnuDelete_Click() {
  modMain::RunOperation(h_, SelectedInstalled(), modMain::DeleteExtension, [this] { program_.Reload(kMain); });
}

void frmMain::mnuExAll_Click() {
  modMain::OperationScope scope;
  if (!scope) return;
  const std::vector<modMain::InstalledExtension> installed = program_.Extensions().Installed;
  modMain::ExportAll(h_, installed, [this](const std::wstring& text) {
    ctlSBar.SetText(text);
    UpdateWindow(ctlSBar.Handle());
  });
}

void frmMain::mnuExSelected_Click() {
  const modMain::InstalledExtension* selected = SelectedInstalled();
  if (!selected) return;
  const modMain::InstalledExtension extension = *selected;
  modMain::OperationScope scope;
  if (scope) modMain::ExportSelected(h_, extension);
}

void frmMain::mnuExportExt_Click() { mnuExSelected_Click(); }

void frmMain::mnuImport_Click() {
  modMain::OperationScope scope;
  if (scope && modMain::ImportChosenFile(h_)) program_.Reload(kMain);
}

void frmMain::mnuModifyContent_Click() {
  if (const modMain::InstalledExtension* selected = SelectedInstalled()) modMain::OpenExtensionFile(h_, *selected);
}

void frmMain::mnuViewRegFile_Click() {
  if (const modMain::CatalogEntry* selected = SelectedAvailable()) modMain::OpenRegFile(h_, *selected);
}

void frmMain::mnuModify_Click() {
  const modMain::InstalledExtension* selected = SelectedInstalled();
  if (!selected) return;
  const modMain::InstalledExtension extension = *selected;
  if (!extension.Opened) {
    modLang::Say(h_, modLang::Text("Messages", "PropertiesUnreadable"), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (!modMain::CheckExtension(h_, extension)) return;
  frmModify dialog;
  // The renamed extension leaves or joins the available list too.
  if (dialog.Load(h_, extension, [this](bool renamed) {
        if (renamed) program_.Reload(kMain);
        else LoadExtensionInfo();
      }))
    dialog.ShowModal();
}

void frmMain::mnuRestore_Click() {
  if (modMain::OperationRunning()) return;
  frmRestore window;
  if (window.Load(h_, [this] { program_.Reload(kMain); })) window.ShowModal();
}

void frmMain::mnuPackFolder_Click() {
  if (modMain::OperationRunning()) return;
  modMain::WriteLog("User wishes to choose the pack's folder");
  const std::string folder =
      modReg::ChoosePackFolder(h_, modSettings::PathSetting("Paths", "NIMO_Location", ""));
  if (folder.empty()) return;
  modMain::WriteLog("Location verified as " + folder);
  modSettings::SetSetting("Paths", "NIMO_Location", folder);
  if (modMain::FolderExists(folder + "Reg_Files")) modSettings::SetSetting("Paths", "NIMO_Reg_Files", folder + "Reg_Files");
  program_.Reload(kMain);
}

void frmMain::mnuEdit_Click() {
  const bool available = modMain::CurrentView == modMain::View::Available && availableCount_ > 0;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile, IDM_mnuESep2}) menu.SetEnabled(id, available);
}
