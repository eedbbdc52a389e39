// shotdriver: puts a running NIMO into the states that tools/screenshots.sh captures.
// It finds NIMO's windows by class, posts the menu and label commands a user's click
// would send, selects list rows across the process boundary and reports where a
// window is on the screen, so that the script can crop its capture to it.
//
//   shotdriver desktop                  bring up the virtual desktop, put the pointer in
//                                       its corner (away from hover effects), print its size
//   shotdriver wait CLASS [SECONDS]     wait for a visible top-level window of CLASS
//   shotdriver gone CLASS [SECONDS]     wait until no visible window of CLASS is left
//   shotdriver rect CLASS               print "LEFT TOP WIDTH HEIGHT" of the window
//   shotdriver title CLASS              print the window's caption
//   shotdriver menu ID                  a menu command to the main window
//   shotdriver keys CLASS KEY...        press KEYs in the window: alt (into the menu bar,
//                                       as the Alt key does), left right up down return escape
//   shotdriver label ID                 a click on a wizard label button (BN_CLICKED)
//   shotdriver click CLASS ID           a click on a button or label button of the window
//   shotdriver text CLASS ID TEXT       the text of a box of the window, as if typed
//   shotdriver check ID                 tick a wizard check box and report the click
//   shotdriver answer ID                press a message box's button (IDOK, IDNO, ...)
//   shotdriver browse FOLDER            select FOLDER in the open folder picker
//   shotdriver select CLASS LIST TEXT [COLUMN]  select the row of list LIST whose first
//                                       cell (or the cell of COLUMN) is TEXT
//   shotdriver find CLASS LIST TEXT [COLUMN]  print the row index of TEXT in LIST (-1: none)
//   shotdriver count CLASS LIST         print the number of rows of LIST
//   shotdriver front CLASS              bring the window to the top and repaint it
//   shotdriver size CLASS WIDTH HEIGHT  resize the window as dragging its border would
//   shotdriver close CLASS              close the window as its close box would
//
// CLASS is a window class (NIMOMainWindow, NIMOWizardWindow, NIMOModifyWindow,
// NIMOAboutWindow, NIMORestoreWindow) or "msgbox" for a message box. Exit status 0 on
// success, 1 when the window or row was not found in time, 2 on a usage error.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kMainClass[] = "NIMOMainWindow";
constexpr char kWizardClass[] = "NIMOWizardWindow";

struct Search {
  const char* cls;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND h, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(h)) return TRUE;
  char cls[256] = {};
  GetClassNameA(h, cls, sizeof cls);
  if (strcmp(cls, search->cls) == 0) {
    search->found = h;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of a class; "msgbox" stands for the dialog class.
HWND FindTopLevel(const std::string& cls) {
  Search search{cls == "msgbox" ? "#32770" : cls.c_str(), nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const std::string& cls, double seconds) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    if (HWND h = FindTopLevel(cls)) return h;
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return nullptr;
    Sleep(100);
  }
}

HWND Require(const std::string& cls) {
  HWND h = FindTopLevel(cls);
  if (!h) fprintf(stderr, "shotdriver: no visible window of class %s\n", cls.c_str());
  return h;
}

// Memory in NIMO's process for the list-view messages whose parameter is a pointer.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool Ok() const { return address_ != nullptr; }
  void* At(SIZE_T offset = 0) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    SIZE_T done = 0;
    return offset + size <= size_ && WriteProcessMemory(process_, At(offset), data, size, &done) && done == size;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    SIZE_T done = 0;
    return offset + size <= size_ && ReadProcessMemory(process_, At(offset), data, size, &done) && done == size;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  SIZE_T size_;
};

// The text of a row's cell, read through NIMO's memory.
std::string RowText(HWND list, RemoteBuffer& buffer, int row, int column) {
  constexpr SIZE_T kText = sizeof(LVITEMA), kTextSize = 512;
  LVITEMA item{};
  item.iSubItem = column;
  item.cchTextMax = kTextSize;
  item.pszText = static_cast<char*>(buffer.At(kText));
  if (!buffer.Write(0, &item, sizeof item)) return {};
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(buffer.At()));
  char text[kTextSize] = {};
  buffer.Read(kText, text, kTextSize - 1);
  return text;
}

int FindRow(HWND list, const std::string& text, int column) {
  RemoteBuffer buffer(list, sizeof(LVITEMA) + 512);
  if (!buffer.Ok()) return -1;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row)
    if (RowText(list, buffer, row, column) == text) return row;
  return -1;
}

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
  RemoteBuffer buffer(list, sizeof(LVITEMA));
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  if (!buffer.Ok() || !buffer.Write(0, &item, sizeof item)) return false;
  return SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(buffer.At())) != 0;
}

void Repaint(HWND h) {
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The keys that move through a menu.
UINT VirtualKey(const std::string& name) {
  static const struct {
    const char* name;
    UINT key;
  } kKeys[] = {{"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP}, {"down", VK_DOWN}, {"return", VK_RETURN},
               {"escape", VK_ESCAPE}};
  for (const auto& key : kKeys)
    if (name == key.name) return key.key;
  return 0;
}

UINT Number(const char* text) { return static_cast<UINT>(strtoul(text, nullptr, 0)); }

int Usage() {
  fprintf(stderr,
          "usage: shotdriver desktop | wait|gone CLASS [SECONDS] | rect|title|front|close CLASS | size CLASS WIDTH HEIGHT |\n"
          "       keys CLASS KEY... | menu|label|check|answer ID | click CLASS ID | text CLASS ID TEXT |\n"
          "       browse FOLDER | select|find CLASS LIST TEXT [COLUMN] | count CLASS LIST\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "desktop") == 0) {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    SetCursorPos(r.right - 1, r.bottom - 1);
    printf("%ld %ld\n", r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (argc < 3) return Usage();
  const std::string verb = argv[1];
  const std::string arg = argv[2];

  if (verb == "wait") {
    HWND h = WaitFor(arg, argc > 3 ? atof(argv[3]) : 30);
    if (!h) fprintf(stderr, "shotdriver: no window of class %s appeared\n", arg.c_str());
    return h ? 0 : 1;
  }
  if (verb == "gone") {
    const DWORD until = GetTickCount() + static_cast<DWORD>((argc > 3 ? atof(argv[3]) : 30) * 1000);
    while (FindTopLevel(arg)) {
      if (static_cast<LONG>(GetTickCount() - until) >= 0) return 1;
      Sleep(100);
    }
    return 0;
  }
  if (verb == "rect" || verb == "title" || verb == "front" || verb == "close") {
    HWND h = Require(arg);
    if (!h) return 1;
    if (verb == "rect") {
      RECT r{};
      GetWindowRect(h, &r);
      printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else if (verb == "title") {
      char text[512] = {};
      GetWindowTextA(h, text, sizeof text);
      printf("%s\n", text);
    } else if (verb == "front") {
      SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      SetForegroundWindow(h);
      Repaint(h);
    } else {
      PostMessageA(h, WM_CLOSE, 0, 0);
    }
    return 0;
  }
  if (verb == "size") {
    if (argc < 5) return Usage();
    HWND h = Require(arg);
    if (!h) return 1;
    SetWindowPos(h, nullptr, 0, 0, atoi(argv[3]), atoi(argv[4]), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint(h);
    return 0;
  }
  if (verb == "keys") {
    HWND h = Require(arg);
    if (!h) return 1;
    for (int i = 3; i < argc; ++i)
      if (strcmp(argv[i], "alt") != 0 && !VirtualKey(argv[i])) return Usage();
    // The menu loop that "alt" starts reads the keys after it from the queue.
    for (int i = 3; i < argc; ++i) {
      if (strcmp(argv[i], "alt") == 0) PostMessageA(h, WM_SYSCOMMAND, SC_KEYMENU, 0);
      else PostMessageA(h, WM_KEYDOWN, VirtualKey(argv[i]), 1);
    }
    return 0;
  }
  if (verb == "menu") {
    HWND main = Require(kMainClass);
    if (!main) return 1;
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(Number(argv[2]), 0), 0);
    return 0;
  }
  if (verb == "label" || verb == "check") {
    HWND wizard = Require(kWizardClass);
    if (!wizard) return 1;
    const UINT id = Number(argv[2]);
    HWND control = GetDlgItem(wizard, static_cast<int>(id));
    if (!control) {
      fprintf(stderr, "shotdriver: the wizard has no control %u\n", id);
      return 1;
    }
    if (verb == "check") SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (verb == "click" || verb == "text") {
    if (argc < (verb == "text" ? 5 : 4)) return Usage();
    HWND owner = Require(arg);
    if (!owner) return 1;
    const UINT id = Number(argv[3]);
    HWND control = GetDlgItem(owner, static_cast<int>(id));
    if (!control) {
      fprintf(stderr, "shotdriver: %s has no control %u\n", arg.c_str(), id);
      return 1;
    }
    if (verb == "text") SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));  // marshalled
    else PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (verb == "answer") {
    HWND box = Require("msgbox");
    if (!box) return 1;
    const UINT id = Number(argv[2]);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, static_cast<int>(id))));
    return 0;
  }
  if (verb == "browse") {
    // The picker is a dialog: the folder goes to it as its owner's callback would send it.
    HWND picker = Require("msgbox");
    if (!picker) return 1;
    RemoteBuffer buffer(picker, arg.size() + 1);
    if (!buffer.Ok() || !buffer.Write(0, arg.c_str(), arg.size() + 1)) {
      fprintf(stderr, "shotdriver: no memory in the picker's process\n");
      return 1;
    }
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(buffer.At()));
    return 0;
  }
  if (verb == "select" || verb == "find" || verb == "count") {
    if (argc < (verb == "count" ? 4 : 5)) return Usage();
    HWND owner = Require(arg);
    if (!owner) return 1;
    HWND list = GetDlgItem(owner, static_cast<int>(Number(argv[3])));
    if (!list) {
      fprintf(stderr, "shotdriver: %s has no list %s\n", arg.c_str(), argv[3]);
      return 1;
    }
    if (verb == "count") {
      printf("%ld\n", static_cast<long>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
      return 0;
    }
    const int row = FindRow(list, argv[4], argc > 5 ? atoi(argv[5]) : 0);
    if (verb == "find") {
      printf("%d\n", row);
      return row >= 0 ? 0 : 1;
    }
    if (row < 0) {
      fprintf(stderr, "shotdriver: no row \"%s\"\n", argv[4]);
      return 1;
    }
    SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (!SetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED)) {
      fprintf(stderr, "shotdriver: the row could not be selected\n");
      return 1;
    }
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    return 0;
  }
  return Usage();
}
