// NIMO.exe: the Zandor Extension Pack manager.
#include <windows.h>
#include <commctrl.h>

#include "lang/modLang.h"
#include "app/Program.h"

namespace {
// The command line less the program's own name.
std::string Arguments() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) {}
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  return p;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  modLang::WireLowerRooms();

  Program program;
  frmMain& main = program.Main();
  main.SetQuitOnUnload(true);
  if (!main.Start(Arguments())) return 0;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND h = main.Handle();
    if (h && (msg.hwnd == h || IsChild(h, msg.hwnd)) && TranslateAcceleratorW(h, main.Accelerators(), &msg))
      continue;
    if (win::DialogMessage(msg)) continue;  // the wizard's keyboard navigation
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
