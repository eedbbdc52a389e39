#include "win/Seam.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "win/Profile.h"

namespace win {

int Win32Seam::MessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), title.c_str(), type);
}

namespace {
// The shell's dialogs and its open live in libraries that most runs never use: each is
// loaded when first needed, which keeps it out of every start of the program.
template <typename Function>
Function Entry(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// COM is started when a shell dialog first needs it, not on every start of the program.
void NeedCom() {
  static const auto coInitializeEx = Entry<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
  static const HRESULT com =
      coInitializeEx ? coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : E_FAIL;
  (void)com;
}
}  // namespace

namespace {
// The picker's callback: once it has shown, it selects the folder it was given.
int CALLBACK PickerStarted(HWND picker, UINT msg, LPARAM, LPARAM start) {
  if (msg == BFFM_INITIALIZED && start) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}
}  // namespace

std::string Win32Seam::PickFolder(HWND owner, const std::wstring& title, const std::string& start) {
  NeedCom();
  static const auto browse = Entry<decltype(&SHBrowseForFolderW)>("shell32.dll", "SHBrowseForFolderW");
  static const auto pathOf = Entry<decltype(&SHGetPathFromIDListW)>("shell32.dll", "SHGetPathFromIDListW");
  static const auto freeMemory = Entry<decltype(&CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
  if (!browse || !pathOf || !freeMemory) return {};
  BROWSEINFOW bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = title.c_str();
  bi.lpfn = PickerStarted;
  // The folder without its closing "\" (a drive's root keeps it), as the picker names it.
  std::string from = start;
  if (from.size() > 3 && from.back() == '\\') from.pop_back();
  const std::wstring wideFrom = Widen(from);
  bi.lParam = from.empty() ? 0 : reinterpret_cast<LPARAM>(wideFrom.c_str());
  LPITEMIDLIST item = browse(&bi);
  if (!item) return {};
  wchar_t path[MAX_PATH * 2] = {};
  if (!pathOf(item, path)) path[0] = 0;
  freeMemory(item);
  return Narrow(path);
}

std::string Win32Seam::FileDialog(const FileDialogRequest& r) {
  NeedCom();
  static const auto openDialog = Entry<decltype(&GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
  static const auto saveDialog = Entry<decltype(&GetSaveFileNameW)>("comdlg32.dll", "GetSaveFileNameW");
  if (!openDialog || !saveDialog) return {};
  std::wstring filter = r.filter;
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  std::vector<wchar_t> file(MAX_PATH * 4, L'\0');
  Widen(r.fileName).copy(file.data(), file.size() - 1);
  const std::wstring defaultExt = Widen(r.defaultExt), initialDir = Widen(r.initialDir);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = r.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | r.flags;
  BOOL ok = r.save ? saveDialog(&ofn) : openDialog(&ofn);
  return ok ? Narrow(file.data()) : std::string();
}

LaunchResult Win32Seam::Launch(const std::string& commandLine, int show, DWORD waitMs) {
  LaunchResult result;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    result.error = GetLastError();
    return result;
  }
  result.started = true;
  if (waitMs) {
    // Keep the windows painting while the other program works; user input waits.
    const DWORD deadline = GetTickCount() + waitMs;
    for (;;) {
      DWORD left = deadline - GetTickCount();
      if (static_cast<LONG>(left) <= 0) break;
      DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, left, QS_PAINT | QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(pi.hProcess, &result.exitCode);
        break;
      }
      if (r != WAIT_OBJECT_0 + 1) break;
      MSG msg;
      while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
      // Sent messages are delivered by the peek itself.
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

void Win32Seam::PopupMenu(HMENU menu, HWND owner, POINT screen) {
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

INT_PTR Win32Seam::ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                             const std::string& directory, int show) {
  NeedCom();
  static const auto shellExecute = Entry<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  if (!shellExecute) return SE_ERR_DLLNOTFOUND;
  return reinterpret_cast<INT_PTR>(shellExecute(owner, "open", file.c_str(),
                                                 parameters.empty() ? nullptr : parameters.c_str(),
                                                 directory.empty() ? nullptr : directory.c_str(), show));
}

namespace {
Win32Seam g_win32;
Seam* g_seam = &g_win32;
}  // namespace

Seam& Ui() { return *g_seam; }

Seam* SetUi(Seam* seam) {
  Seam* old = g_seam;
  g_seam = seam ? seam : &g_win32;
  return old;
}

}  // namespace win
