// The application log: Logs\applog.log under the program folder, one time-stamped line
// per call, written at once; the file is open for the length of that call, or of a
// LogHold around many.
#pragma once
#include <windows.h>

#include <string>

namespace modMain {

std::string LogFolder();
std::string LogFile();
// The line as written: short date, a blank, long time, a tab, the text, CR LF.
std::string LogLine(const SYSTEMTIME& time, const std::string& text);
void WriteLog(const std::string& text);
// Keeps the log open while it lives (a load writes many lines): each line is still
// written when it is logged, and readers see the same file.
class LogHold {
 public:
  LogHold();
  ~LogHold();
  LogHold(const LogHold&) = delete;
  LogHold& operator=(const LogHold&) = delete;
};
// Deletes the log; a missing log is no error.
void DeleteLog();
// The clear-log rule of closing: delete the log when Shutdown/ClearLog is "1".
void ApplyClearLogRule();

}  // namespace modMain
