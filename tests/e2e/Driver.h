// Drives a running NIMO.exe from another process as a user does. Every wait is bounded.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "operations/modRegedit.h"

namespace e2e {

constexpr char kTitle[] = "Zandor Extension Pack";
constexpr char kWizardTitle[] = "Zandor Extension Pack Wizard";
constexpr DWORD kWaitMs = 30000;
// After a command that runs the registry editor twice: as long as the program waits for it.
constexpr DWORD kEditorWaitMs = 2 * modReg::kRegeditWaitMs;

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);

// A dialog box as the user sees it; text is a message box's text.
struct Box {
  HWND hwnd = nullptr;
  std::string title, text;
  explicit operator bool() const { return hwnd != nullptr; }
};

class Driver {
 public:
  explicit Driver(std::string exe) : exe_(std::move(exe)) {}
  ~Driver();  // the program never outlives its test
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  bool Start(const std::string& arguments = "");  // from the program's own folder
  bool WaitForExit() { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, kWaitMs) == WAIT_OBJECT_0; }
  DWORD ExitCode() const { DWORD code = STILL_ACTIVE; return GetExitCodeProcess(pi_.hProcess, &code), code; }

  std::vector<HWND> Windows(const std::function<bool(HWND)>& match = {}) const;
  HWND WaitFor(const std::function<bool(HWND)>& match) const;  // null when none came
  static std::function<bool(HWND)> Captioned(const std::string& start);
  HWND MainWindow() const { return WaitFor(Captioned(std::string(kTitle) + " [ ")); }
  // The next dialog titled `title`; with `other`, the next not so titled (the platform's).
  Box WaitForBox(const std::string& title = kTitle, bool other = false) const;
  bool Press(const Box& box, int button) const;  // and waits for the box to go
  Box Answer(int button) const {  // the next box titled kTitle, empty when not pressed
    Box box = WaitForBox();
    return box && Press(box, button) ? box : Box{};
  }

  static void Menu(HWND main, UINT id) { PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // The control with the focus; a key posted there, or with alt a letter with Alt held.
  static HWND Focus(HWND window);
  static void Key(HWND window, UINT key, bool alt = false);
  static bool Click(HWND button);
  static std::string Text(HWND window);
  static bool SetText(HWND window, const std::string& text);

  std::vector<std::string> Rows(HWND list) const;
  bool Select(HWND list, const std::string& text) const;

  // The folder selected or the file name typed, then OK; Cancel and false when it does not hold.
  bool ChooseFolder(HWND picker, const std::string& folder) const;
  static bool ChooseFile(HWND dialog, const std::string& path);

 private:
  bool SendRemote(HWND window, UINT msg, WPARAM w, const void* data, size_t size, size_t textAt = 0,
                  std::string* text = nullptr) const;
  std::string exe_;
  PROCESS_INFORMATION pi_{};
};

}  // namespace e2e
