#include "app/App.h"

#include "app/resource.h"

namespace modMain {

bool RefreshingLanguage = false;
int CurrentView = 0;
RuntimeError Err;

namespace {
std::string g_appPathOverride;
std::optional<SYSTEMTIME> g_clock;
}  // namespace

std::string VersionText() {
  return std::to_string(NIMO_VER_MAJOR) + "." + std::to_string(NIMO_VER_MINOR) + "." +
         std::to_string(NIMO_VER_REVISION);
}

std::string AppPath() {
  if (!g_appPathOverride.empty()) return g_appPathOverride;
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  size_t slash = folder.find_last_of('\\');
  folder.erase(slash == std::string::npos ? 0 : slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // drive root keeps its "\"
  return folder;
}

void SetAppPathOverride(const std::string& folder) { g_appPathOverride = folder; }

std::string InAppPath(const std::string& name) {
  std::string folder = AppPath();
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

SYSTEMTIME Now() {
  if (g_clock) return *g_clock;
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t;
}

void SetClockOverride(std::optional<SYSTEMTIME> time) { g_clock = time; }

void DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // the program is ending: leave that to the message loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n ? std::string(buffer, n) : "Error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace modMain
