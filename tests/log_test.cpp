#include <gtest/gtest.h>

#include "app/App.h"
#include "log/modLog.h"
#include "support/TestKit.h"

namespace {

class AppLog : public testkit::ProgramFolderTest {};

TEST_F(AppLog, LinesCarryDateBlankTimeTabTextAndCrLf) {
  SYSTEMTIME t{2026, 12, 6, 5, 14, 3, 22, 0};
  modMain::SetClockOverride(t);
  char date[64], clock[64];
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, clock, sizeof clock);
  const std::string stamp = std::string(date) + " " + clock + "\t";

  modMain::WriteLog("A");
  modMain::WriteLog("B");
  modMain::WriteLog("two\r\nlines");
  EXPECT_EQ(testkit::ReadAll(In("Logs\\applog.log")),
            stamp + "A\r\n" + stamp + "B\r\n" + stamp + "two\r\nlines\r\n");
}

TEST_F(AppLog, DeletedLogAndFolderAreRecreatedByTheNextLine) {
  modMain::WriteLog("first");
  testkit::RemoveTree(In("Logs"));
  modMain::WriteLog("second");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"second"});
  modMain::DeleteLog();
  modMain::DeleteLog();  // a missing log is no error
  modMain::WriteLog("third");
  EXPECT_EQ(testkit::LogMessages(), std::vector<std::string>{"third"});
}

}  // namespace
