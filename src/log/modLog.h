// The application log: Logs\applog.log under the program folder, one time-stamped line
// per call, the file open only for the length of that call.
#pragma once
#include <windows.h>

#include <string>

namespace modMain {

std::string LogFolder();
std::string LogFile();
// The line as written: short date, a blank, long time, a tab, the text, CR LF.
std::string LogLine(const SYSTEMTIME& time, const std::string& text);
void WriteLog(const std::string& text);
// Deletes the log; a missing log is no error.
void DeleteLog();
// The clear-log rule of closing: delete the log when Shutdown/ClearLog is "1".
void ApplyClearLogRule();

}  // namespace modMain
