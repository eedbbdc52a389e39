// The application log: Logs\applog.log under the data folder, one time-stamped line
// per call, written at once; the file is open for the length of that call, or of a
// LogHold around many.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace modMain {

// Where the log is kept, asked at each line (tests move the data folder): the folder
// that holds Logs\applog.log, and whether a file could be created there (when not, the
// user was told at start, and a line that cannot be written is not said again). Given
// at start by the room that decides the data folder's place.
struct LogPlace {
  std::string folder;
  bool writable = true;
};
void PlaceLog(std::function<LogPlace()> where);

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

}  // namespace modMain
