#include "base/Identity.h"

#include "base/resource.h"

namespace modMain {

namespace {
std::optional<SYSTEMTIME> g_clock;
}  // namespace

std::string VersionText() {
  return std::to_string(NIMO_VER_MAJOR) + "." + std::to_string(NIMO_VER_MINOR) + "." +
         std::to_string(NIMO_VER_REVISION);
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

SYSTEMTIME Now() {
  if (g_clock) return *g_clock;
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t;
}

void SetClockOverride(std::optional<SYSTEMTIME> time) { g_clock = time; }

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
