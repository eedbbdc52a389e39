// Drives a running NIMO.exe from another process the way a user does: it finds the
// program's windows by their captions, gives menu commands and clicks buttons, answers
// message boxes after reading them, selects list rows and reads what the windows show.
// Every wait is a bounded poll.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr char kTitle[] = "Zandor Extension Pack";
constexpr char kWizardTitle[] = "Zandor Extension Pack Wizard";
constexpr char kModifyTitle[] = "Modify Extension";
constexpr DWORD kWaitMs = 30000;

// Polls done() until it holds or timeoutMs have passed; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);

// A message box (or any dialog) as the user sees it.
struct Box {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
  explicit operator bool() const { return hwnd != nullptr; }
};

// Memory in the driven process, for the list view messages whose arguments are
// pointers: the platform does not carry those across processes.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  char* At(size_t offset = 0) const { return static_cast<char*>(base_) + offset; }
  LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
  bool Write(const void* data, size_t size, size_t offset = 0);
  bool Read(void* data, size_t size, size_t offset = 0) const;
  explicit operator bool() const { return base_ != nullptr; }

 private:
  HANDLE process_;
  void* base_;
};

class Driver {
 public:
  explicit Driver(std::string exe);
  ~Driver();  // the program never outlives its test
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Starts the program from its own folder; arguments follow the quoted program path.
  bool Start(const std::string& arguments = "");
  bool Running() const;
  bool WaitForExit(DWORD timeoutMs = kWaitMs);
  DWORD ExitCode() const;
  void Kill();

  // A top-level window of this process whose caption is `caption` (or starts with it
  // when prefix is set); visibleOnly skips hidden ones. className may be null.
  HWND TopWindow(const std::string& caption, bool prefix, bool visibleOnly, const char* className = nullptr) const;
  // The visible top-level windows of this process.
  std::vector<HWND> VisibleWindows() const;
  // For a failed test's report: the visible windows of this process (class, caption,
  // a box's text) and every process of the prefix with its parent.
  std::string Describe() const;
  HWND WaitForWindow(const std::string& caption, bool prefix = false, DWORD timeoutMs = kWaitMs) const;
  // The visible wizard, the main window (caption "Zandor Extension Pack [ ... ]"), the
  // properties dialog.
  HWND Wizard(DWORD timeoutMs = kWaitMs) const;
  HWND MainWindow(DWORD timeoutMs = kWaitMs) const;
  HWND ModifyDialog(DWORD timeoutMs = kWaitMs) const;

  // The next dialog box of this process with the given title; empty when none came.
  Box WaitForBox(const std::string& title = kTitle, DWORD timeoutMs = kWaitMs) const;
  // Any dialog box of this process whose title differs from the program title (the
  // platform's folder picker and file dialogs).
  Box WaitForOtherDialog(DWORD timeoutMs = kWaitMs) const;
  // Presses a button of the box (IDOK, IDYES, ...) and waits for the box to go.
  bool Press(const Box& box, int button) const;
  // Waits for the next box titled `title`, presses `button`; returns the box as read.
  Box Answer(int button, const std::string& title = kTitle, DWORD timeoutMs = kWaitMs) const;

  // A menu command of the main window, as the menu sends it.
  static void Menu(HWND main, UINT id);
  // A click on a label used as a button, as it reports it to its window.
  static void ClickLabel(HWND parent, UINT id);
  // The keyboard: the control of the window's thread that has the focus; a key pressed
  // there (it goes through the program's message loop, as a typed key does); Alt and a
  // letter, the access key of a control.
  static HWND Focus(HWND window);
  static void Key(HWND window, UINT key);
  static void AccessKey(HWND window, char letter);
  // A click on a real button (check box, push button).
  static bool Click(HWND button);

  // A child control of `parent` of the given window class whose text is `text`.
  static HWND Child(HWND parent, const std::string& className, const std::string& text);

  static std::string Text(HWND window);
  static bool SetText(HWND window, const std::string& text);
  static std::string StatusText(HWND main);

  // List views of the program, read and changed through the program's own memory.
  std::vector<std::string> Rows(HWND list, int column = 0) const;
  int FindRow(HWND list, const std::string& text) const;  // -1 when absent
  bool SelectRow(HWND list, int row) const;
  bool Select(HWND list, const std::string& text) const;  // finds and selects the row
  static int SelectedRow(HWND list);

  // The platform's folder picker: makes `folder` its selection and presses OK; when
  // the picker does not show that folder as selected, presses Cancel and fails.
  bool ChooseFolder(HWND picker, const std::string& folder) const;
  // The text of the selected item of a tree view of the program.
  std::string TreeSelection(HWND tree) const;
  // The platform's open or save dialog: types `path` as the file name and presses OK;
  // when the name does not stay in its box, presses Cancel and fails.
  static bool ChooseFile(HWND dialog, const std::string& path);

 private:
  std::string exe_;
  PROCESS_INFORMATION pi_{};
  DWORD pid_ = 0;
};

// Copies a folder with everything in it.
bool CopyTree(const std::string& from, const std::string& to);
// The folder of the running test program.
std::string ModuleFolder();
// A Unix path (from the build) as the Windows path of Wine's Z: drive; Windows paths
// are returned unchanged.
std::string WindowsPath(const std::string& path);
// Runs a command line and waits for it to end; returns its exit code or -1.
long RunAndWait(const std::string& commandLine, DWORD timeoutMs = kWaitMs);

}  // namespace e2e
