// The one door through which the program talks to the user modally and starts other
// programs: message boxes, file dialogs, the folder picker, process launches and the
// shell's "open". Win32Seam is the real thing; tests install a scripted double.
#pragma once
#include <windows.h>
#include <string>

namespace win {

// The texts shown are Unicode (a language file may be in any script); file names and
// command lines are ANSI text, as everywhere in the program.

struct FileDialogRequest {
  HWND owner = nullptr;
  bool save = false;
  std::wstring title;
  std::wstring filter;     // L"Registry files (*.reg)|*.reg|All files (*.*)|*.*"
  std::string defaultExt;  // without the dot
  std::string initialDir;
  std::string fileName;    // proposed name
  DWORD flags = 0;         // OFN_* flags added to the defaults
};

struct LaunchResult {
  bool started = false;
  DWORD error = 0;        // GetLastError() of a failed start
  bool finished = false;  // the process ended within the wait
  DWORD exitCode = 0;
};

class Seam {
 public:
  virtual ~Seam() = default;
  // MessageBoxW: returns IDOK, IDYES, IDNO, IDCANCEL ...
  virtual int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type) = 0;
  // The platform's folder picker, opened at start when given; returns the raw file-system
  // path or empty text on Cancel.
  virtual std::string PickFolder(HWND owner, const std::wstring& title, const std::string& start) = 0;
  // The common file dialog; returns the chosen path or empty text on Cancel.
  virtual std::string FileDialog(const FileDialogRequest& request) = 0;
  // Starts a command line (no shell interpreter). waitMs 0: do not wait.
  virtual LaunchResult Launch(const std::string& commandLine, int show, DWORD waitMs) = 0;
  // ShellExecuteA with the verb "open"; returns the platform's result (> 32 is success).
  virtual INT_PTR ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                            const std::string& directory, int show) = 0;
  // A shortcut menu at a screen point; the chosen item's WM_COMMAND goes to the owner.
  virtual void PopupMenu(HMENU menu, HWND owner, POINT screen) = 0;
  // Called on the reading thread between two batches of MenuExt, after the window was
  // sent the first, and after the last before the copy of MenuExt; the program has
  // nothing to do there, a test may hold the read.
  virtual void BetweenBatches() {}
};

class Win32Seam : public Seam {
 public:
  int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type) override;
  std::string PickFolder(HWND owner, const std::wstring& title, const std::string& start) override;
  std::string FileDialog(const FileDialogRequest& request) override;
  LaunchResult Launch(const std::string& commandLine, int show, DWORD waitMs) override;
  INT_PTR ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                    const std::string& directory, int show) override;
  void PopupMenu(HMENU menu, HWND owner, POINT screen) override;
};

// The seam in use; a Win32Seam until a test installs another.
Seam& Ui();
// Installs a seam (nullptr restores the Win32 one); returns the previous.
Seam* SetUi(Seam* seam);

}  // namespace win
