#include "log/modLog.h"

#include "base/Identity.h"
#include "base/Words.h"
#include "log/Deferral.h"

namespace modMain {

namespace {
bool g_failureShown = false;  // a failing log is reported once per run, not per line
HANDLE g_held = INVALID_HANDLE_VALUE;  // the log a LogHold keeps open
int g_holds = 0;
std::function<LogPlace()> g_place;
// Each thread's holders (Deferred*), in the platform's thread-local slots.
const DWORD g_linesSlot = TlsAlloc(), g_messagesSlot = TlsAlloc();
Deferred* Held(DWORD slot) { return static_cast<Deferred*>(TlsGetValue(slot)); }
}

DeferHere::DeferHere(Deferred& into, bool messages) : lines_(Held(g_linesSlot)), messages_(Held(g_messagesSlot)) {
  TlsSetValue(g_linesSlot, &into);
  if (messages) TlsSetValue(g_messagesSlot, &into);
}

DeferHere::~DeferHere() {
  TlsSetValue(g_linesSlot, lines_);
  TlsSetValue(g_messagesSlot, messages_);
}

Deferred* DeferredMessages() { return Held(g_messagesSlot); }

void Deferred::Release() {
  if (!lines.empty()) {
    LogHold hold;
    for (const std::string& line : lines) WriteLog(line);
  }
  for (const Message& message : messages) words::Show(message.text, message.type, message.title);
  lines.clear();
  messages.clear();
}

void PlaceLog(std::function<LogPlace()> where) { g_place = std::move(where); }

// Empty text until the log is placed: nothing is written before.
std::string LogFolder() {
  const std::string folder = g_place ? g_place().folder : std::string();
  if (folder.empty()) return {};
  return folder.back() == '\\' ? folder + "Logs" : folder + "\\Logs";
}
std::string LogFile() {
  const std::string folder = LogFolder();
  return folder.empty() ? folder : folder + "\\applog.log";
}

std::string LogLine(const SYSTEMTIME& time, const std::string& text) {
  char date[128] = {}, clock[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
  return std::string(date) + " " + clock + "\t" + text + "\r\n";
}

namespace {
HANDLE OpenLog() {
  return CreateFileA(LogFile().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

LogHold::LogHold() {
  if (g_holds++ == 0) g_held = OpenLog();
}

LogHold::~LogHold() {
  if (--g_holds == 0 && g_held != INVALID_HANDLE_VALUE) {
    CloseHandle(g_held);
    g_held = INVALID_HANDLE_VALUE;
  }
}

void WriteLog(const std::string& text) {
  if (Deferred* held = Held(g_linesSlot)) {  // away from the windows' thread, or held for later
    held->lines.push_back(text);
    return;
  }
  // The date and time are formatted once a second, not once a line.
  static SYSTEMTIME last{};
  static std::string stamp;
  const SYSTEMTIME now = Now();
  if (stamp.empty() || now.wSecond != last.wSecond || now.wMinute != last.wMinute || now.wHour != last.wHour ||
      now.wDay != last.wDay || now.wMonth != last.wMonth || now.wYear != last.wYear) {
    stamp = LogLine(now, "");
    stamp.resize(stamp.size() - 2);  // without the line's end
    last = now;
  }
  const std::string line = stamp + text + "\r\n";
  std::string error;
  if (g_held != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (WriteFile(g_held, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) && written == line.size())
      return;
  }
  HANDLE file = OpenLog();
  // A missing Logs folder shows as a missing path: create it (one level) and try again.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND) {
    if (CreateDirectoryA(LogFolder().c_str(), nullptr))
      file = OpenLog();
    else
      error = SystemErrorText(GetLastError());
  }
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) && written == line.size();
  if (!ok && error.empty()) error = SystemErrorText(GetLastError());
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok && !g_failureShown && g_place && g_place().writable) {  // an unwritable data folder was said at start
    g_failureShown = true;
    words::Say("LogWriteFailed", {LogFile(), error}, MB_OK | MB_ICONEXCLAMATION);
  }
}

void DeleteLog() { DeleteFileA(LogFile().c_str()); }

}  // namespace modMain
