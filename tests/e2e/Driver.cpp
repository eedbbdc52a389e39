#include "e2e/Driver.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/resource.h"

namespace e2e {

namespace {

constexpr DWORD kPollMs = 40;
constexpr UINT kSendTimeoutMs = 10000;

// A message sent to the program's window; false when the window did not answer in time.
bool Send(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, msg, w, l, SMTO_NORMAL, kSendTimeoutMs, &answer)) return false;
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

std::string Caption(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Search {
  DWORD pid;
  std::function<bool(HWND)> match;
  HWND found = nullptr;
};

BOOL CALLBACK SearchTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !search->match(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(DWORD pid, std::function<bool(HWND)> match) {
  Search search{pid, std::move(match)};
  EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Box ReadBox(HWND box) {
  Box read;
  read.hwnd = box;
  read.title = Caption(box);
  // A message box keeps its text in the static control 0xFFFF.
  if (HWND text = GetDlgItem(box, 0xFFFF)) read.text = Driver::Text(text);
  return read;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    Sleep(kPollMs);
  }
}

// ---------------------------------------------------------------------------
// Memory in the driven process

RemoteMemory::RemoteMemory(HANDLE process, size_t size)
    : process_(process), base_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteMemory::~RemoteMemory() {
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(const void* data, size_t size, size_t offset) {
  SIZE_T n = 0;
  return base_ && WriteProcessMemory(process_, At(offset), data, size, &n) && n == size;
}

bool RemoteMemory::Read(void* data, size_t size, size_t offset) const {
  SIZE_T n = 0;
  return base_ && ReadProcessMemory(process_, At(offset), data, size, &n) && n == size;
}

// ---------------------------------------------------------------------------
// The process

Driver::Driver(std::string exe) : exe_(std::move(exe)) {}

Driver::~Driver() {
  Kill();
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool Driver::Start(const std::string& arguments) {
  std::string commandLine = "\"" + exe_ + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  std::string folder = exe_.substr(0, exe_.find_last_of('\\'));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(exe_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_))
    return false;
  pid_ = pi_.dwProcessId;
  return true;
}

bool Driver::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool Driver::WaitForExit(DWORD timeoutMs) {
  return pi_.hProcess && WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Driver::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (pi_.hProcess) GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

void Driver::Kill() {
  if (!Running()) return;
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, kWaitMs);
}

// ---------------------------------------------------------------------------
// Windows

HWND Driver::TopWindow(const std::string& caption, bool prefix, bool visibleOnly, const char* className) const {
  return FindTopLevel(pid_, [&](HWND window) {
    if (visibleOnly && !IsWindowVisible(window)) return false;
    if (className && ClassOf(window) != className) return false;
    const std::string text = Caption(window);
    return prefix ? text.compare(0, caption.size(), caption) == 0 : text == caption;
  });
}

std::vector<HWND> Driver::VisibleWindows() const {
  std::vector<HWND> windows;
  FindTopLevel(pid_, [&](HWND window) {
    if (IsWindowVisible(window)) windows.push_back(window);
    return false;
  });
  return windows;
}

std::string Driver::Describe() const {
  std::string text = "Windows of the program:\n";
  for (HWND window : VisibleWindows()) {
    text += "  [" + ClassOf(window) + "] \"" + Caption(window) + "\"";
    if (HWND box = GetDlgItem(window, 0xFFFF)) text += " text \"" + Text(box) + "\"";
    text += "\n";
  }
  text += "Processes:\n";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    text += "  " + std::to_string(entry.th32ProcessID) + " (parent " + std::to_string(entry.th32ParentProcessID) +
            ") " + entry.szExeFile + "\n";
  CloseHandle(snapshot);
  return text;
}

HWND Driver::WaitForWindow(const std::string& caption, bool prefix, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = TopWindow(caption, prefix, true)) != nullptr; }, timeoutMs);
  return found;
}

HWND Driver::Wizard(DWORD timeoutMs) const { return WaitForWindow(kWizardTitle, false, timeoutMs); }

HWND Driver::MainWindow(DWORD timeoutMs) const {
  return WaitForWindow(std::string(kTitle) + " [ ", true, timeoutMs);
}

HWND Driver::ModifyDialog(DWORD timeoutMs) const { return WaitForWindow(kModifyTitle, false, timeoutMs); }

Box Driver::WaitForBox(const std::string& title, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = TopWindow(title, false, true, "#32770")) != nullptr; }, timeoutMs);
  return found ? ReadBox(found) : Box{};
}

Box Driver::WaitForOtherDialog(DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopLevel(pid_, [](HWND window) {
          return IsWindowVisible(window) && ClassOf(window) == "#32770" && Caption(window) != kTitle;
        });
        return found != nullptr;
      },
      timeoutMs);
  return found ? ReadBox(found) : Box{};
}

bool Driver::Press(const Box& box, int button) const {
  HWND control = GetDlgItem(box.hwnd, button);
  if (!control || !Click(control)) return false;
  return WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
}

Box Driver::Answer(int button, const std::string& title, DWORD timeoutMs) const {
  Box box = WaitForBox(title, timeoutMs);
  if (box && !Press(box, button)) box.hwnd = nullptr;
  return box;
}

void Driver::Menu(HWND main, UINT id) { PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void Driver::ClickLabel(HWND parent, UINT id) {
  PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(parent, id)));
}

HWND Driver::Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Driver::Key(HWND window, UINT key) {
  HWND target = Focus(window);
  if (!target) target = window;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(target, WM_KEYDOWN, key, scan | 1);
  PostMessageA(target, WM_KEYUP, key, scan | 1 | 0xC0000000);
}

void Driver::AccessKey(HWND window, char letter) {
  HWND target = Focus(window);
  PostMessageA(target ? target : window, WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));  // Alt held
}

HWND Driver::Child(HWND parent, const std::string& className, const std::string& text) {
  struct Wanted {
    const std::string& className;
    const std::string& text;
    HWND found;
  } wanted{className, text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        auto* w = reinterpret_cast<Wanted*>(param);
        if (lstrcmpiA(ClassOf(child).c_str(), w->className.c_str()) != 0 || Text(child) != w->text) return TRUE;
        w->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

bool Driver::Click(HWND button) { return Send(button, BM_CLICK, 0, 0); }

std::string Driver::Text(HWND window) {
  LRESULT length = 0;
  if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT copied = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return {};
  text.resize(std::min(static_cast<size_t>(copied), text.size()));
  return text;
}

bool Driver::SetText(HWND window, const std::string& text) {
  return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Driver::StatusText(HWND main) {
  // The status bar answers WM_GETTEXT with the text of its first part.
  return Text(GetDlgItem(main, IDC_MAIN_STATUSBAR));
}

// ---------------------------------------------------------------------------
// List views

std::vector<std::string> Driver::Rows(HWND list, int column) const {
  std::vector<std::string> rows;
  LRESULT count = 0;
  if (!Send(list, LVM_GETITEMCOUNT, 0, 0, &count)) return rows;
  constexpr size_t kText = 1024;
  RemoteMemory memory(pi_.hProcess, sizeof(LVITEMA) + kText);
  if (!memory) return rows;
  for (int row = 0; row < count; ++row) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory.At(sizeof(LVITEMA));
    item.cchTextMax = static_cast<int>(kText);
    LRESULT length = 0;
    char text[kText] = {};
    if (!memory.Write(&item, sizeof item) || !Send(list, LVM_GETITEMTEXTA, row, memory.Param(), &length) ||
        !memory.Read(text, kText, sizeof(LVITEMA)))
      break;
    rows.emplace_back(text, strnlen(text, kText));
  }
  return rows;
}

int Driver::FindRow(HWND list, const std::string& text) const {
  const std::vector<std::string> rows = Rows(list);
  const auto at = std::find(rows.begin(), rows.end(), text);
  return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

bool Driver::SelectRow(HWND list, int row) const {
  RemoteMemory memory(pi_.hProcess, sizeof(LVITEMA));
  if (!memory) return false;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  if (!memory.Write(&item, sizeof item) || !Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), memory.Param()))
    return false;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!memory.Write(&item, sizeof item) || !Send(list, LVM_SETITEMSTATE, row, memory.Param())) return false;
  return SelectedRow(list) == row;
}

bool Driver::Select(HWND list, const std::string& text) const {
  const int row = FindRow(list, text);
  return row >= 0 && SelectRow(list, row);
}

int Driver::SelectedRow(HWND list) {
  LRESULT row = -1;
  if (!Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &row)) return -1;
  return static_cast<int>(row);
}

// ---------------------------------------------------------------------------
// The platform's dialogs

std::string Driver::TreeSelection(HWND tree) const {
  LRESULT item = 0;
  if (!Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item) || !item) return {};
  constexpr size_t kText = 520;
  RemoteMemory memory(pi_.hProcess, sizeof(TVITEMA) + kText);
  TVITEMA get{};
  get.mask = TVIF_TEXT;
  get.hItem = reinterpret_cast<HTREEITEM>(item);
  get.pszText = memory.At(sizeof(TVITEMA));
  get.cchTextMax = static_cast<int>(kText);
  char text[kText] = {};
  if (!memory.Write(&get, sizeof get) || !Send(tree, TVM_GETITEMA, 0, memory.Param()) ||
      !memory.Read(text, kText, sizeof(TVITEMA)))
    return {};
  return std::string(text, strnlen(text, kText));
}

bool Driver::ChooseFolder(HWND picker, const std::string& folder) const {
  // The picker takes a selection only once it has filled its tree, which it may still
  // be doing when it shows: the selection is made until the tree shows the folder.
  // Without that, OK would answer with the picker's own start folder.
  const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
  HWND tree = FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
  RemoteMemory memory(pi_.hProcess, folder.size() + 1);
  if (!tree || !memory || !memory.Write(folder.c_str(), folder.size() + 1)) return false;
  const bool selected = WaitUntil([&] {
    if (lstrcmpiA(TreeSelection(tree).c_str(), leaf.c_str()) == 0) return true;
    Send(picker, BFFM_SETSELECTIONA, TRUE, memory.Param());
    Sleep(100);
    return lstrcmpiA(TreeSelection(tree).c_str(), leaf.c_str()) == 0;
  });
  HWND button = GetDlgItem(picker, selected ? IDOK : IDCANCEL);
  return button && Click(button) && selected;
}

bool Driver::ChooseFile(HWND dialog, const std::string& path) {
  // The file name box: a combo box (cmb13) in the explorer-style dialog, an edit box
  // (edt1) in the older one.
  // The name is typed until the box keeps it: a dialog that is still setting itself up
  // may clear it again.
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  if (!name) return false;
  const bool typed = WaitUntil([&] {
    if (Text(name) == path) return true;
    SetText(name, path);
    Sleep(100);
    return Text(name) == path;
  });
  HWND button = GetDlgItem(dialog, typed ? IDOK : IDCANCEL);
  return button && Click(button) && typed;
}

// ---------------------------------------------------------------------------
// Files

bool CopyTree(const std::string& from, const std::string& to) {
  CreateDirectoryA(to.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string source = from + "\\" + name, target = to + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ok = CopyTree(source, target) && ok;
    else ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return ok;
}

std::string ModuleFolder() {
  char path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

long RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  long code = -1;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD exit = 0;
    GetExitCodeProcess(pi.hProcess, &exit);
    code = static_cast<long>(exit);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

}  // namespace e2e
