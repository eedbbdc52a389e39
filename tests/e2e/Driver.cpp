#include "e2e/Driver.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace e2e {

namespace {

constexpr size_t kText = 1024;

bool Send(HWND window, UINT msg, WPARAM w, LPARAM l, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  const bool answered = SendMessageTimeoutA(window, msg, w, l, SMTO_NORMAL, 10000, &answer) != 0;
  if (result) *result = static_cast<LRESULT>(answer);
  return answered;
}

std::string Caption(HWND window, bool className = false) {
  char text[1024] = {};
  className ? GetClassNameA(window, text, sizeof text) : GetWindowTextA(window, text, sizeof text);
  return text;
}

// Makes the choice until it holds (a dialog setting itself up may undo it), then OK.
bool ChooseThenConfirm(HWND dialog, const std::function<bool()>& holds, const std::function<void()>& make) {
  const bool held = WaitUntil([&] { return holds() || (make(), Sleep(100), holds()); });
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
  if (pi_.hProcess && TerminateProcess(pi_.hProcess, 1)) WaitForSingleObject(pi_.hProcess, kWaitMs);
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

std::vector<HWND> Driver::Windows(const std::function<bool(HWND)>& match) const {
  std::vector<HWND> found;
  std::function<void(HWND)> visit = [&](HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == pi_.dwProcessId && IsWindowVisible(window) && (!match || match(window)))
      found.push_back(window);
  };
  EnumWindows([](HWND window, LPARAM param) { return (*reinterpret_cast<decltype(visit)*>(param))(window), TRUE; },
              reinterpret_cast<LPARAM>(&visit));
  return found;
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
  return box ? Box{box, Caption(box), Text(GetDlgItem(box, 0xFFFF))} : Box{};  // a message box's static text
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
  HWND target = Focus(window) ? Focus(window) : window;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
  if (alt) return void(PostMessageA(target, WM_SYSCHAR, key, 1 | (1 << 29)));
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

// `data` copied into the program with kText bytes of room after it, which the char* at
// textAt aims at when `text` is given.
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

bool Driver::Select(HWND list, const std::string& text) const {  // the lists take one row at a time
  const std::vector<std::string> rows = Rows(list);
  const auto row = std::find(rows.begin(), rows.end(), text) - rows.begin();
  LVITEMA item{};
  item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  LRESULT selected = -1;
  return row < static_cast<ptrdiff_t>(rows.size()) && SendRemote(list, LVM_SETITEMSTATE, row, &item, sizeof item) &&
         Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &selected) && selected == row;
}

bool Driver::ChooseFolder(HWND picker, const std::string& folder) const {
  // The picker takes a selection only once it has filled its tree.
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
  // The file name box: a combo box in the explorer-style dialog, an edit box in the older one.
  HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
  return name && ChooseThenConfirm(dialog, [&] { return Text(name) == path; }, [&] { SetText(name, path); });
}

}  // namespace e2e
