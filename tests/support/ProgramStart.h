// Starts the main window as the program does, on a pack folder of the test's own.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "app/Program.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace testkit {

// Answers the window's messages until `done`, or until its lists are read (the start's reads, F5).
inline void Until(const std::function<bool()>& done) {
  for (MSG msg; !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT))
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}
inline void UntilRead(frmMain& main) { Until([&] { return !main.Handle() || !main.Reading(); }); }

class ProgramStartTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    if (HasFatalFailure()) return;
    uninstall_ = std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
    uninstall32_ = std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, kUninstall32);
    menuExt_ = std::make_unique<RegistryKeyGuard>(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    CreateDirectoryA((pack_ / "Reg_Files").c_str(), nullptr);
    RegDeleteTree(HKEY_LOCAL_MACHINE, kUninstall32);
    RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack_.path() + "\\");
  }
  // Where the pack's 32-bit installer's record lies, seen from the 64-bit view.
  static constexpr char kUninstall32[] =
      "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zandor Extension Pack_is1";
  void TearDown() override {
    program_.reset();  // the window goes before the keys it read are put back
    uninstall_.reset(), uninstall32_.reset(), menuExt_.reset();
    RegistryTest::TearDown();
  }
  // Returns once the start's reads have ended, as a user who waits sees it; background
  // leaves them under way.
  bool Start(const std::string& commandLine = "", bool background = false) {
    program_ = std::make_unique<Program>(), main_ = &program_->Main();
    const bool started = main_->Start(commandLine);
    if (started && !background) UntilRead(*main_);
    return started;
  }

  ScriptedSeam seam_;
  TempFolder pack_;
  std::unique_ptr<Program> program_;
  frmMain* main_ = nullptr;  // program_'s

 private:
  std::unique_ptr<RegistryKeyGuard> uninstall_, uninstall32_, menuExt_;
};

}  // namespace testkit
