#include "e2e/Driver.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace e2e {

namespace {

constexpr size_t kText = 1024;

// A message sent to the program's window; false when the window did not answer in time.
bool Send(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, msg, w, l, SMTO_NORMAL, 10000, &answer)) return false;
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

// A window's caption, or with className set its window class.
std::string Caption(HWND window, bool className = false) {
  char text[1024] = {};
  className ? GetClassNameA(window, text, sizeof text) : GetWindowTextA(window, text, sizeof text);
  return text;
}

// Makes the dialog's choice until it holds (a dialog still setting itself up may undo
// it), then presses OK; when it never held, presses Cancel and fails.
bool ChooseThenConfirm(HWND dialog, const std::function<bool()>& holds, const std::function<void()>& make) {
  const bool held = WaitUntil([&] {
    if (holds()) return true;
    make();
    Sleep(100);
    return holds();
  });
  HWND button = GetDlgItem(dialog, held ? IDOK : IDCANCEL);
  return button && Driver::Click(button) && held;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(40))
    if (GetTickCount() - start >= timeoutMs) return done();
  return true;
}

Driver::~Driver() {
  if (Running()) {
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, kWaitMs);
  }
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool Driver::Start(const std::string& arguments) {
  std::string commandLine = "\"" + exe_ + "\"" + (arguments.empty() ? "" : " " + arguments);
  const std::string folder = exe_.substr(0, exe_.find_last_of('\\'));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  return CreateProcessA(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_);
}

DWORD Driver::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (pi_.hProcess) GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

std::vector<HWND> Driver::Windows(const std::function<bool(HWND)>& match, bool hidden) const {
  struct Search {
    const Driver* self;
    const std::function<bool(HWND)>& match;
    bool hidden;
    std::vector<HWND> found;
  } search{this, match, hidden, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->self->pi_.dwProcessId && (s->hidden || IsWindowVisible(window)) && (!s->match || s->match(window)))
          s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Driver::Describe() const {
  std::string text = "Windows of the program:\n";
  for (HWND window : Windows())
    text += "  [" + Caption(window, true) + "] \"" + Caption(window) + "\" " + Text(GetDlgItem(window, 0xFFFF)) + "\n";
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

std::function<bool(HWND)> Driver::Captioned(const std::string& start) {
  return [start](HWND window) { return Caption(window).rfind(start, 0) == 0; };
}

HWND Driver::WaitFor(const std::function<bool(HWND)>& match) const {
  std::vector<HWND> found;
  WaitUntil([&] { return !(found = Windows(match)).empty(); });
  return found.empty() ? nullptr : found[0];
}

Box Driver::WaitForBox(const std::string& title, bool other) const {
  HWND box = WaitFor([&](HWND window) { return Caption(window, true) == "#32770" && (Caption(window) == title) != other; });
  // A message box keeps its text in the static control 0xFFFF.
  return box ? Box{box, Caption(box), Text(GetDlgItem(box, 0xFFFF))} : Box{};
}

bool Driver::Press(const Box& box, int button) const {
  HWND control = GetDlgItem(box.hwnd, button);
  return control && Click(control) && WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
}

HWND Driver::Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Driver::Key(HWND window, UINT key, bool alt) {
  HWND target = Focus(window);
  if (!target) target = window;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
  if (alt) {  // a letter typed with Alt held
    PostMessageA(target, WM_SYSCHAR, key, 1 | (1 << 29));
    return;
  }
  PostMessageA(target, WM_KEYDOWN, key, scan | 1);
  PostMessageA(target, WM_KEYUP, key, scan | 1 | 0xC0000000);
}

bool Driver::Click(HWND button) { return Send(button, BM_CLICK, 0, 0); }

std::string Driver::Text(HWND window) {
  char text[kText] = {};
  return window && Send(window, WM_GETTEXT, kText, reinterpret_cast<LPARAM>(text)) ? text : "";
}

bool Driver::SetText(HWND window, const std::string& text) {
  return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// A message whose argument points at `data`, which the platform does not carry across
// processes: the data goes into the program's memory with kText bytes of room after
// it. With `text`, the char* at offset textAt in data is aimed at that room, and the
// text the program left there comes back.
bool Driver::SendRemote(HWND window, UINT msg, WPARAM w, const void* data, size_t size, size_t textAt,
                        std::string* text) const {
  char* remote = static_cast<char*>(VirtualAllocEx(pi_.hProcess, nullptr, size + kText, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return false;
  std::string local(static_cast<const char*>(data), size);
  char* room = remote + size;
  if (text) std::memcpy(local.data() + textAt, &room, sizeof room);
  char read[kText] = {};
  const bool ok = WriteProcessMemory(pi_.hProcess, remote, local.data(), size, nullptr) &&
                  Send(window, msg, w, reinterpret_cast<LPARAM>(remote)) &&
                  (!text || ReadProcessMemory(pi_.hProcess, room, read, kText, nullptr));
  if (ok && text) *text = std::string(read, strnlen(read, kText));
  VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
  return ok;
}

std::vector<std::string> Driver::Rows(HWND list) const {
  std::vector<std::string> rows;
  LRESULT count = 0;
  Send(list, LVM_GETITEMCOUNT, 0, 0, &count);
  LVITEMA item{};
  item.cchTextMax = static_cast<int>(kText);
  std::string text;
  for (int row = 0; row < count && SendRemote(list, LVM_GETITEMTEXTA, row, &item, sizeof item,
                                              offsetof(LVITEMA, pszText), &text); ++row)
    rows.push_back(text);
  return rows;
}

int Driver::FindRow(HWND list, const std::string& text) const {
  const std::vector<std::string> rows = Rows(list);
  const auto at = std::find(rows.begin(), rows.end(), text);
  return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
}

bool Driver::Select(HWND list, const std::string& text) const {
  const int row = FindRow(list, text);
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (row < 0 || !SendRemote(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), &item, sizeof item)) return false;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  LRESULT selected = -1;
  return SendRemote(list, LVM_SETITEMSTATE, row, &item, sizeof item) &&
         Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &selected) && selected == row;
}

bool Driver::ChooseFolder(HWND picker, const std::string& folder) const {
  // The picker takes a selection only once it has filled its tree, which it may still
  // be doing when it shows; without it, OK would answer with the picker's start folder.
  const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
  HWND tree = FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
  const auto shown = [&] {  // the tree's selected folder
    TVITEMA get{};
    get.mask = TVIF_TEXT;
    get.cchTextMax = static_cast<int>(kText);
    LRESULT item = 0;
    std::string text;
    if (!Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item) || !item) return false;
    get.hItem = reinterpret_cast<HTREEITEM>(item);
    return SendRemote(tree, TVM_GETITEMA, 0, &get, sizeof get, offsetof(TVITEMA, pszText), &text) &&
           lstrcmpiA(text.c_str(), leaf.c_str()) == 0;
  };
  return tree && ChooseThenConfirm(picker, shown, [&] {
           SendRemote(picker, BFFM_SETSELECTIONA, TRUE, folder.c_str(), folder.size() + 1);
         });
}

bool Driver::ChooseFile(HWND dialog, const std::string& path) {
  // The file name box: a combo box (cmb13) in the explorer-style dialog, an edit box
  // (edt1) in the older one.
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  return name && ChooseThenConfirm(dialog, [&] { return Text(name) == path; }, [&] { SetText(name, path); });
}

bool CopyTree(const std::string& from, const std::string& to) {
  const std::string source = from + "\\*" + '\0', target = to + '\0';  // lists end in two NULs
  SHFILEOPSTRUCTA copy{};
  copy.wFunc = FO_COPY;
  copy.pFrom = source.c_str();
  copy.pTo = target.c_str();
  copy.fFlags = FOF_NO_UI;
  return SHFileOperationA(&copy) == 0 && !copy.fAnyOperationsAborted;
}

std::string ModuleFolder() {
  char path[MAX_PATH * 2] = {};
  const std::string module(path, GetModuleFileNameA(nullptr, path, sizeof path));
  return module.substr(0, module.find_last_of('\\'));
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

}  // namespace e2e
