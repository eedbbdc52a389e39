// The rules the extension operations apply to names and keys.
#include <gtest/gtest.h>

#include <vector>

#include "inventory/modReg.h"
#include "operations/modOperations.h"

namespace {

const SYSTEMTIME kClock{2027, 2, 1, 1, 9, 7, 3, 0};  // 01-02-27_090703
const std::string kMenuExt = std::string(modReg::kMenuExtFull) + "\\";

TEST(FileNameRule, NamesStayInTheirFolder) {
  using modMain::SafeFileName;
  EXPECT_EQ(SafeFileName("&Translate", kClock), "&Translate");
  EXPECT_EQ(SafeFileName("..\\..\\Windows\\evil", kClock), ".._.._Windows_evil");
  EXPECT_EQ(SafeFileName("C:/a*b?\"c\"<d>|e", kClock), "C__a_b__c__d__e");
  EXPECT_EQ(SafeFileName("tab\there\r\n", kClock), "tab_here__");
  EXPECT_EQ(SafeFileName("  Leading spaces", kClock), "  Leading spaces");
  EXPECT_EQ(SafeFileName("\xDC" "bersetzen \xE9t\xE9", kClock), "\xDC" "bersetzen \xE9t\xE9");  // ANSI letters kept
  // Nothing usable left: the clock names the file.
  for (const char* empty : {"", "   ", ".", "..", " .. ", "..."}) EXPECT_EQ(SafeFileName(empty, kClock), "01-02-27_090703");
  EXPECT_EQ(SafeFileName("./", kClock), "._");
  // Device names would write to the device, not to a file.
  EXPECT_EQ(SafeFileName("CON", kClock), "CON_");
  EXPECT_EQ(SafeFileName("nul.txt", kClock), "nul_.txt");
  EXPECT_EQ(SafeFileName(" Com1 ", kClock), " Com1_ ");
  EXPECT_EQ(SafeFileName("CONSOLE", kClock), "CONSOLE");
  EXPECT_EQ(SafeFileName(std::string(300, 'x'), kClock).size(), 200u);
  // Backups drop "&" first; a name of nothing but "&" then gets the clock name.
  EXPECT_EQ(modMain::WithoutAmpersands("&Tr&ans&&late"), "Translate");
  EXPECT_EQ(SafeFileName(modMain::WithoutAmpersands("&&"), kClock), "01-02-27_090703");
}

TEST(ExtensionKeys, OnlyOneDirectSubkeyOfMenuExtIsAnExtension) {
  using modMain::IsExtensionKey;
  EXPECT_TRUE(IsExtensionKey(kMenuExt + "&Translate"));
  EXPECT_TRUE(IsExtensionKey(kMenuExt + "  Spaced/and:odd*"));
  EXPECT_EQ(modMain::ExtensionSubkey(kMenuExt + "&Translate"),
            "Software\\Microsoft\\Internet Explorer\\MenuExt\\&Translate");
  for (const std::string& bad : std::vector<std::string>{
           std::string(), kMenuExt, std::string(modReg::kMenuExtFull), kMenuExt + "A\\B", kMenuExt + "A\\",
           "HKEY_CURRENT_USER\\Software", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A",
           "hkey_current_user\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A", "Not Found"})
    EXPECT_FALSE(IsExtensionKey(bad)) << bad;
}

}  // namespace
