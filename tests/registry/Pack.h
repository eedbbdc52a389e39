// A small pack of two extensions, &Translate and Define, for the operations, Restore and the wizard.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "app/Program.h"
#include "base/TextRules.h"
#include "inventory/Model.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace testkit {

using modReg::RegValue;

inline const UINT kAskNo = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
inline std::string Key(const std::string& name) { return kMenuExt + "\\" + name; }
inline bool Installed(const std::string& name) { return RegKeyExists(HKCU, Key(name)); }
inline RegValue Value(const std::string& name, const std::string& value) { return modReg::GetValue(HKCU, Key(name), value); }
// The entry read from the key `name` under MenuExt.
inline modMain::InstalledExtension Entry(const std::vector<modMain::InstalledExtension>& read, const std::string& name) {
  for (const modMain::InstalledExtension& e : read)
    if (e.Key == kFull + name) return e;
  ADD_FAILURE() << name << " is not read";
  return {};
}

// A hook run as each program starts; the first `drop` imports do nothing.
struct WatchedSeam : ScriptedSeam {
  std::function<void()> during;
  int drop = 0;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (command.rfind("regedit /s", 0) == 0 && drop > 0 && drop--) return {true, 0, true, 0};
    if (during) during();
    return ScriptedSeam::Launch(command, show, waitMs);
  }
};

// A pack of two extensions, &Translate and Define, none installed.
class Operations : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    if (HasFatalFailure()) return;
    menuExt_ = std::make_unique<RegistryKeyGuard>(HKCU, kMenuExt);
    RegDeleteTree(HKCU, kMenuExt);
    RegCreate(HKCU, kMenuExt);
    seam_.passThrough = {"regedit"};
    for (const char* folder : {"Reg_Files", "Lookup"}) CreateDirectoryA((pack_ / folder).c_str(), nullptr);
    for (const std::string name : {"translate", "define"}) WriteAll(Ext(name), name + "()");
    WriteRegFile("translate", "&Translate", "REGEDIT4");
    WriteRegFile("define", "Define", "REGEDIT4");
    WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nL=&Translate;Lookup\\translate.htm;T;Reg_Files\\translate.reg\r\n"
                                 "L=Define;Lookup\\define.htm;D;Reg_Files\\define.reg\r\n");
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
    modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  }
  std::string Ext(const std::string& name) const { return pack_ / ("Lookup\\" + name + ".htm"); }
  std::string Reg(const std::string& name) const { return pack_ / ("Reg_Files\\" + name + ".reg"); }
  void WriteRegFile(const std::string& file, const std::string& key, const std::string& header) {
    WriteAll(Reg(file), header + "\r\n\r\n[" + kFull + key + "]\r\n@=\"" + text::Replace(Ext(file), "\\", "\\\\") + "\"\r\n");
  }
  static void Install(const std::vector<std::pair<std::string, std::string>>& keys) {
    for (const auto& [key, file] : keys) RegSetString(HKCU, Key(key), "", file);
  }
  static modMain::Extensions Model() {
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    modMain::LoadCatalog(model, modMain::Reader::Wizard);
    return model;
  }
  static modMain::InstalledExtension Entry(const std::string& key) { return testkit::Entry(Model().Installed, key); }
  bool Disable(const std::string& key) { return modMain::DisableExtension(nullptr, Entry(key)); }
  bool Delete(const std::string& key, std::deque<int> answers = {IDYES}) {
    seam_.answers = std::move(answers);
    return modMain::DeleteExtension(nullptr, Entry(key));
  }
  // The properties dialog's: a key with Contexts 34; keys typed over a box's text ("\b" empties it).
  static void Add(const std::string& name, const std::string& path) {
    RegSetString(HKCU, Key(name), "", path);
    RegSetDword(HKCU, Key(name), "Contexts", 34);
  }
  void Open(const std::string& name) {
    ASSERT_TRUE(dialog_.Load(nullptr, Entry(name), [this](bool renamed) { applied_.push_back(renamed); }));
  }
  static void Type(const win::CWindow& box, const std::string& keys) {
    box.Send(EM_SETSEL, 0, -1);
    for (char c : keys) box.Send(WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Apply() {
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
    dialog_.lblOK_Click();
  }
  static std::set<std::string> Keys() {
    std::set<std::string> names;
    for (const modMain::InstalledExtension& e : Model().Installed) names.insert(e.Name);
    return names;
  }
  bool Enable(const std::string& name, std::deque<int> answers = {}) {
    seam_.answers = std::move(answers);
    for (const modMain::CatalogEntry& e : Model().Catalog)
      if (e.Name == name) return modMain::EnableExtension(nullptr, e);
    ADD_FAILURE() << name << " is not in the catalog";
    return false;
  }
  void TearDown() override {
    dialog_.Unload();
    menuExt_.reset();
    RegistryTest::TearDown();
  }

  WatchedSeam seam_;
  TempFolder pack_;
  frmModify dialog_;
  std::vector<bool> applied_;  // what the dialog told its owner, one entry per apply
  std::unique_ptr<RegistryKeyGuard> menuExt_;
};

class OperationsWindow : public Operations {
 protected:
  void SetUp() override {
    Operations::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(main_.Create());
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }
  Program program_;
  frmMain& main_ = program_.Main();
};

}  // namespace testkit
