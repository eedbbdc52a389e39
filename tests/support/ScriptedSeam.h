// The seam's test double: answers from queues, everything shown recorded.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "win/Seam.h"

namespace testkit {

struct ShownMessage {
  std::string text, title;  // as the ANSI code page holds them
  UINT type;
  std::wstring shownText, shownTitle;
  UINT icon() const { return type & MB_ICONMASK; }
  UINT buttons() const { return type & MB_TYPEMASK; }
};

struct Popup { HMENU menu; POINT at; };
struct ShellCall { std::string file, parameters, directory; };

class ScriptedSeam : public win::Seam {
 public:
  ScriptedSeam();
  ~ScriptedSeam() override;

  // Queued answers; an unanswered message box gets IDOK or IDYES, counted as unanswered.
  std::deque<int> answers;
  std::deque<std::string> folders, files;
  // Command lines that really run (by prefix, e.g. "regedit"); the others are only recorded.
  std::vector<std::string> passThrough;
  DWORD launchError = 0;  // every start fails with this error, when set
  DWORD exitCode = 0;
  std::function<void(const std::string& commandLine)> afterLaunch;  // on the launching thread

  std::vector<ShownMessage> messages;
  std::vector<std::string> folderStarts;  // the folder each picker opened at
  std::vector<std::wstring> folderTitles;
  std::vector<win::FileDialogRequest> fileDialogs;
  std::vector<std::string> commands;
  std::vector<ShellCall> shellCalls;
  std::vector<Popup> popups;
  int unanswered = 0;

  int MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type) override;
  std::string PickFolder(HWND owner, const std::wstring& title, const std::string& start) override;
  std::string FileDialog(const win::FileDialogRequest& request) override;
  win::LaunchResult Launch(const std::string& commandLine, int show, DWORD waitMs) override;
  INT_PTR ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                    const std::string& directory, int show) override;
  void PopupMenu(HMENU menu, HWND, POINT screen) override { popups.push_back({menu, screen}); }
  // Runs on the reading thread between two batches, and before its copy of MenuExt: a
  // read as slow as the test wants.
  std::function<void()> betweenBatches;
  void BetweenBatches() override { if (betweenBatches) betweenBatches(); }

  std::vector<std::string> Texts() const;

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;  // the reading thread launches the editor for its copy of MenuExt
  win::Seam* previous_;
  win::Win32Seam real_;
};

}  // namespace testkit
