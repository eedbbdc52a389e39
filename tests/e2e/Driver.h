// Drives a running NIMO.exe from another process the way a user does: it finds the
// program's windows by their captions, gives menu commands, types keys, answers message
// boxes after reading them, selects list rows and reads what the windows show. Every
// wait is a bounded poll.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

constexpr char kTitle[] = "Zandor Extension Pack";
constexpr char kWizardTitle[] = "Zandor Extension Pack Wizard";
constexpr DWORD kWaitMs = 30000;

// Polls done() until it holds or timeoutMs have passed; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);

// A message box (or any dialog) as the user sees it.
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

  // Starts the program from its own folder; arguments follow the quoted program path.
  bool Start(const std::string& arguments = "");
  bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  bool WaitForExit() { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, kWaitMs) == WAIT_OBJECT_0; }
  DWORD ExitCode() const;

  // The top-level windows of this process that `match` accepts; visible ones only
  // unless `hidden`.
  std::vector<HWND> Windows(const std::function<bool(HWND)>& match = {}, bool hidden = false) const;
  // For a failed test's report: the visible windows of this process and every process
  // of the prefix with its parent.
  std::string Describe() const;
  // The first visible window that `match` accepts, once there is one; null when none came.
  HWND WaitFor(const std::function<bool(HWND)>& match) const;
  // Accepts the windows whose caption starts with `start`.
  static std::function<bool(HWND)> Captioned(const std::string& start);
  HWND MainWindow() const { return WaitFor(Captioned(std::string(kTitle) + " [ ")); }
  // The next dialog box titled `title`; with other set, the next whose title is not
  // `title` (the platform's folder picker and file dialogs). Empty when none came.
  Box WaitForBox(const std::string& title = kTitle, bool other = false) const;
  // Presses a button of the box (IDOK, IDYES, ...) and waits for the box to go.
  bool Press(const Box& box, int button) const;
  // Waits for the next box titled kTitle and presses `button`; the box as read.
  Box Answer(int button) const {
    Box box = WaitForBox();
    if (box && !Press(box, button)) box.hwnd = nullptr;
    return box;
  }

  // A menu command of the main window, as the menu sends it.
  static void Menu(HWND main, UINT id) { PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // The keyboard: the control of the window's thread that has the focus; a key pressed
  // there (it goes through the program's message loop, as a typed key does), or with
  // alt a letter typed with Alt held, the access key of a control.
  static HWND Focus(HWND window);
  static void Key(HWND window, UINT key, bool alt = false);
  static bool Click(HWND button);
  static std::string Text(HWND window);
  static bool SetText(HWND window, const std::string& text);

  // List views of the program, read and changed through the program's own memory.
  std::vector<std::string> Rows(HWND list) const;
  int FindRow(HWND list, const std::string& text) const;  // -1 when absent
  bool Select(HWND list, const std::string& text) const;  // finds and selects the row

  // The platform's folder picker and open dialog: the folder selected, or the path
  // typed as the file name, then OK; Cancel and false when the choice does not hold.
  bool ChooseFolder(HWND picker, const std::string& folder) const;
  static bool ChooseFile(HWND dialog, const std::string& path);

 private:
  bool SendRemote(HWND window, UINT msg, WPARAM w, const void* data, size_t size, size_t textAt = 0,
                  std::string* text = nullptr) const;
  std::string exe_;
  PROCESS_INFORMATION pi_{};
};

// Copies a folder with everything in it.
bool CopyTree(const std::string& from, const std::string& to);
// The folder of the running test program.
std::string ModuleFolder();
// A Unix path (from the build) as the Windows path of Wine's Z: drive.
std::string WindowsPath(const std::string& path);

}  // namespace e2e
