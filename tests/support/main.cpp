// Test program entry: common controls and COM as the real program has them.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "lang/modLang.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);
  modLang::WireLowerRooms();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
