#include "support/ScriptedSeam.h"

#include "win/Profile.h"

namespace testkit {

namespace {
std::string Next(std::deque<std::string>& queue) {
  if (queue.empty()) return {};
  std::string next = queue.front();
  queue.pop_front();
  return next;
}
}  // namespace

ScriptedSeam::ScriptedSeam() : previous_(win::SetUi(this)) {}
ScriptedSeam::~ScriptedSeam() { win::SetUi(previous_); }

int ScriptedSeam::MessageBox(HWND, const std::wstring& text, const std::wstring& title, UINT type) {
  messages.push_back({win::Narrow(text), win::Narrow(title), type, text, title});
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  ++unanswered;
  return (type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL ? IDYES : IDOK;
}

std::string ScriptedSeam::PickFolder(HWND, const std::wstring& title, const std::string& start) {
  folderStarts.push_back(start);
  folderTitles.push_back(title);
  return Next(folders);
}

std::string ScriptedSeam::FileDialog(const win::FileDialogRequest& request) {
  fileDialogs.push_back(request);
  return Next(files);
}

win::LaunchResult ScriptedSeam::Launch(const std::string& commandLine, int show, DWORD waitMs) {
  AcquireSRWLockExclusive(&lock_);
  commands.push_back(commandLine);
  ReleaseSRWLockExclusive(&lock_);
  if (launchError) return {false, launchError, false, 0};
  for (const std::string& prefix : passThrough)
    if (commandLine.compare(0, prefix.size(), prefix) == 0) {
      win::LaunchResult result = real_.Launch(commandLine, show, waitMs);
      if (exitCode) result.exitCode = exitCode;
      if (afterLaunch) afterLaunch(commandLine);
      return result;
    }
  return {true, 0, waitMs != 0, exitCode};
}

INT_PTR ScriptedSeam::ShellOpen(HWND, const std::string& file, const std::string& parameters,
                                const std::string& directory, int) {
  shellCalls.push_back({file, parameters, directory});
  return 42;  // above 32: opened
}

std::vector<std::string> ScriptedSeam::Texts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& m : messages) texts.push_back(m.text);
  return texts;
}

}  // namespace testkit
