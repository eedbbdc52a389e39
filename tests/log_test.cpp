#include <gtest/gtest.h>

#include "app/App.h"
#include "log/modLog.h"
#include "support/TestKit.h"

namespace {

class AppLog : public testkit::ProgramFolderTest {};

// Each line: short date, blank, time, tab, the text as given, CR LF. A deleted log (and
// its folder) comes back with the next line; deleting a missing log is no error.
TEST_F(AppLog, LinesAndALogDeletedUnderneath) {
  SYSTEMTIME t{2026, 12, 6, 5, 14, 3, 22, 0};
  modMain::SetClockOverride(t);
  char date[64], clock[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof clock);
  const std::string stamp = std::string(date) + " " + clock + "\t";
  for (const char* line : {"A", "B", "two\r\nlines"}) modMain::WriteLog(line);
  EXPECT_EQ(testkit::ReadAll(In("Logs\\applog.log")), stamp + "A\r\n" + stamp + "B\r\n" + stamp + "two\r\nlines\r\n");

  testkit::RemoveTree(In("Logs"));
  modMain::WriteLog("second");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"second"});
  modMain::DeleteLog();
  modMain::DeleteLog();
  modMain::WriteLog("third");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"third"});
}

}  // namespace
